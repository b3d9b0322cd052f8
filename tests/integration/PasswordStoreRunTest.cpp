// Passwords in the desktop's secret store, end to end: the settings dialog
// moves the password of an entry of the private Samba server into a real
// gnome-keyring-daemon, the real program maps the share with it, and so does
// the reconnect watcher; a keyring locked at the start of a run costs no
// log-on until it is unlocked. smb-fixture.sh starts the server and the
// session bus, secret-service.sh the keyring.
#include <gio/gio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "SmbShare.h"
#include "platform/linux/LinuxWatch.h"
#include "platform/linux/SecretServiceStore.h"
#include "reconnect/Watcher.h"
#include "settings/Scramble.h"
#include "settingsdialog/Unit2.h"
#include "support/FakeWatch.h"
#include "support/WidgetTests.h"

namespace {

// The server's authentications of the test user so far, as its audit lists them.
int Logons(const char* status = "") {
  std::ifstream log(Env("KAYOIJI_TEST_WORK") + "/log/smbd.out");
  int count = 0;
  for (std::string line; std::getline(log, line);) {
    if (line.find("Auth:") != std::string::npos &&
        line.find(Env("KAYOIJI_TEST_SMB_USER")) != std::string::npos &&
        line.find(status) != std::string::npos) {
      ++count;
    }
  }
  return count;
}

void Keyring(const std::string& what) {
  const std::string command = std::string(KAYOIJI_KEYRING_CONTROL) + " " + what +
                              (what == "unlock" ? " <<< \"$KAYOIJI_TEST_KEYRING_PASSWORD\"" : "");
  ASSERT_EQ(std::system(("bash -c '" + command + "'").c_str()), 0) << what;
}

// The watcher's events as the test delivers them.
class PasswordStoreRun : public SmbShare {
 protected:
  void SetUp() override {
    SmbShare::SetUp();
    if (IsSkipped()) return;
    if (std::getenv("KAYOIJI_TEST_KEYRING_PASSWORD") == nullptr) {
      GTEST_SKIP() << "outside secret-service.sh";
    }
    conf_ = (scratch_.Path() / "ConfFile.dat").string();
    std::ofstream(conf_, std::ios::binary)
        << "DoMapping\tTrue\r\nNoErrorDialog\tTrue\r\nExitTime\t0\r\nNetPath\t" << Unc()
        << "\r\nLocalDrive\tZ:\r\nUserName\t" << User() << "\r\nUserPasswd\t"
        << DefUnit::ScramblePassword(Password()) << "\r\nWaitTime\t0\r\nMaxError\t30\r\n";
  }
  // The real program, ending by itself; its process id.
  pid_t StartProgram() {
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
      ::setenv("KAYOIJI_DRIVES", Drives().c_str(), 1);
      ::execl("/usr/bin/timeout", "timeout", "90", KAYOIJI_PROGRAM, "-f", conf_.c_str(), nullptr);
      ::_exit(127);
    }
    return pid;
  }
  static int Wait(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  bool Linked() {
    std::error_code e;
    return fs::is_directory(Link('Z'), e) &&
           fs::directory_iterator(Link('Z'), e) != fs::directory_iterator();
  }
  void Disconnect() {
    std::error_code ignored;
    fs::remove(Link('Z'), ignored);
    UnmountShare();
  }
  std::string File() { return testsupport::ReadBytes(conf_); }

  std::string conf_;
  platform::SecretServiceStore store_;
};

TEST_F(PasswordStoreRun, TheDialogMovesThePasswordAndTheProgramAndTheWatcherConnectWithIt) {
  std::ofstream(Env("KAYOIJI_TEST_SMB_DIR") + "/hello.txt") << "hello\n";
  // The settings dialog, as the program shows it, over the real store.
  DefUnit::RunningSettings running;
  testsupport::RecordingBoxes loadBoxes;
  DefUnit::LoadSettings(running, {"kayoiji", "-f", conf_}, loadBoxes);
  platform::Services services = testsupport::ProgramServices();
  services.Secrets = &store_;
  {
    TfrmCNF dialog(running, services);
    dialog.show();
    QCheckBox* option = testsupport::Named<QCheckBox>(dialog, "passwordStore");
    ASSERT_TRUE(option->isEnabled());
    QTest::mouseClick(option, Qt::LeftButton);
    QTest::mouseClick(testsupport::Named<QPushButton>(dialog, "btnSave"), Qt::LeftButton);
    testsupport::ProgramBoxes().Shown.clear();
  }
  EXPECT_NE(File().find("PasswordStore\tTrue\r\n"), std::string::npos);
  EXPECT_NE(File().find("UserPasswd\t\r\n"), std::string::npos) << File();
  EXPECT_EQ(File().find(DefUnit::ScramblePassword(Password())), std::string::npos);
  EXPECT_EQ(File().find(Password()), std::string::npos);
  const platform::StoredPassword kept = store_.Read({Unc(), User()});
  ASSERT_EQ(kept.Answer, platform::StoreAnswer::Found);
  EXPECT_EQ(kept.Password, Password());

  // The program maps the share with the password from the store.
  ASSERT_EQ(Wait(StartProgram()), 0);
  EXPECT_TRUE(Linked());
  EXPECT_EQ(Logons("NT_STATUS_WRONG_PASSWORD"), 0);

  // So does the watcher, woken after the share was lost.
  Disconnect();
  ASSERT_FALSE(Linked());
  platform::Services watcherServices;
  watcherServices.Network = net_.get();
  watcherServices.Secrets = &store_;
  testsupport::FakeWatchEvents events;
  platform::StopSignal stop;
  platform::LinuxWatchProbes probes(Drives().string(), stop);
  std::vector<std::string> log;
  Reconnect::Options options;
  options.CommandLine = {"kayoiji-reconnect", "-f", conf_};
  Reconnect::Watcher watcher(
      watcherServices, events, probes, [&log](const std::string& line) { log.push_back(line); },
      options);
  watcher.Woken(platform::WatchEvents::Handler::Wake::Resumed);
  const auto checks = [&log] {
    return std::count_if(log.begin(), log.end(),
                         [](const std::string& line) { return line.rfind("確認終了", 0) == 0; });
  };
  for (int i = 0; i < 10 && checks() == 0; ++i) watcher.TimerFired();
  ASSERT_EQ(checks(), 1);
  EXPECT_EQ(log.back().rfind("確認終了: 接続 1、失敗 0、", 0), 0u) << log.back();
  EXPECT_TRUE(Linked());
}

TEST_F(PasswordStoreRun, ALockedKeyringCostsNoLogOnUntilItIsUnlocked) {
  ASSERT_EQ(store_.Write({Unc(), User()}, Password()), "");
  std::ofstream(conf_, std::ios::binary)
      << "DoMapping\tTrue\r\nNoErrorDialog\tTrue\r\nExitTime\t0\r\nPasswordStore\tTrue\r\nNetPath\t"
      << Unc() << "\r\nLocalDrive\tZ:\r\nUserName\t" << User()
      << "\r\nUserPasswd\t\r\nWaitTime\t0\r\nMaxError\t30\r\n";
  Keyring("lock");
  const int before = Logons();
  const pid_t program = StartProgram();
  std::this_thread::sleep_for(std::chrono::seconds(4));
  EXPECT_EQ(Logons(), before) << "an attempt while the keyring was locked";
  EXPECT_FALSE(Linked());

  const auto unlocked = std::chrono::steady_clock::now();
  Keyring("unlock");
  ASSERT_EQ(Wait(program), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - unlocked, std::chrono::seconds(15));
  EXPECT_TRUE(Linked()) << "not connected once the keyring was unlocked";
  EXPECT_GT(Logons(), before);
  EXPECT_EQ(Logons("NT_STATUS_WRONG_PASSWORD"), 0);
  store_.Remove({Unc(), User()});
}

}  // namespace
