// The real program's timed run against the real Samba server: a password the
// server refuses costs one failed log-on, whatever the entry's MaxError, and
// the entry is named in the notice at the end. smb-fixture.sh starts the
// server (logging each authentication) and the session bus.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "SmbShare.h"
#include "settings/Scramble.h"

namespace {

// The server's failed log-ons so far, as its authentication audit lists them.
int FailedLogons() {
  std::ifstream log(Env("KAYOIJI_TEST_WORK") + "/log/smbd.out");
  int count = 0;
  for (std::string line; std::getline(log, line);) {
    if (line.find("NT_STATUS_WRONG_PASSWORD") != std::string::npos &&
        line.find("Auth:") != std::string::npos) {
      ++count;
    }
  }
  return count;
}

std::string Shell(const std::string& command) {
  std::string out;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, p) != nullptr) out += buffer;
    ::pclose(p);
  }
  return out;
}

// smbd writes its log as it goes; let the last lines of an attempt land.
int SettledFailedLogons() {
  int count = FailedLogons();
  for (int i = 0; i < 20; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const int again = FailedLogons();
    if (again == count && i >= 5) break;
    count = again;
  }
  return count;
}

TEST(RefusedPasswordRun, OneFailedLogonAndANoticeWhateverMaxError) {
  if (Env("KAYOIJI_TEST_SMB_HOST").empty()) GTEST_SKIP() << "outside smb-fixture.sh";
  testsupport::TempDir dir;
  const std::string unc = "\\\\" + Env("KAYOIJI_TEST_SMB_HOST") + "\\data";

  // What one attempt with a wrong password costs the account on this server.
  const int before = SettledFailedLogons();
  const std::string once =
      Shell(std::string(KAYOIJI_CONNECT_ONCE) + " " + dir.Path().string() + "/once Z: '" + unc +
            "' " + Env("KAYOIJI_TEST_SMB_USER") + " wrong </dev/null");
  ASSERT_NE(once.find("86"), std::string::npos) << once;
  const int perAttempt = SettledFailedLogons() - before;
  ASSERT_GE(perAttempt, 1) << "the server's log names no failed log-on";

  const std::string conf = (dir.Path() / "conf.dat").string();
  {
    std::ofstream f(conf, std::ios::binary);
    f << "DoMapping\tTrue\r\nNoErrorDialog\tTrue\r\nExitTime\t0\r\n"
      << "NetPath\t" << unc << "\r\nLocalDrive\tZ:\r\nUserName\t" << Env("KAYOIJI_TEST_SMB_USER")
      << "\r\nUserPasswd\t" << DefUnit::ScramblePassword("wrong")
      << "\r\nWaitTime\t0\r\nMaxError\t5\r\n";
  }
  const std::string calls = (dir.Path() / "notices").string();
  const std::string run =
      "set -e; " + std::string(KAYOIJI_FAKE_NOTIFICATIONS) + " " + calls + " > " +
      dir.Path().string() + "/ready & fake=$!; trap 'kill $fake' EXIT; " +
      "for i in $(seq 100); do [ -s " + dir.Path().string() +
      "/ready ] && break; sleep 0.05; done; " +
      "QT_QPA_PLATFORM=offscreen KAYOIJI_DRIVES=" + dir.Path().string() + "/drives timeout 60 " +
      KAYOIJI_PROGRAM + " -f " + conf + " && echo ended-by-itself; " +
      "for i in $(seq 100); do [ -s " + calls + " ] && break; sleep 0.05; done";
  EXPECT_NE(Shell(run).find("ended-by-itself"), std::string::npos);

  EXPECT_EQ(SettledFailedLogons() - before - perAttempt, perAttempt)
      << "MaxError 5 made more than one attempt with the refused password";
  const std::string notices = testsupport::ReadBytes(calls);
  EXPECT_NE(notices.find("data: パスワードエラーです。"), std::string::npos) << notices;
}

}  // namespace
