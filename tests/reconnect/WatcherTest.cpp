// The watcher's state machine in-process: fake clock, events and probes,
// the scripted network, the real session files in a scratch folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "platform/Errors.h"
#include "platform/SessionState.h"
#include "reconnect/Watcher.h"
#include "settings/Scramble.h"
#include "support/FakeTimer.h"
#include "support/FakeWatch.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"

namespace {

using Wake = platform::WatchEvents::Handler::Wake;
namespace code = platform::code;

struct WatcherFixture {
  WatcherFixture() {
    WriteConfig("right");
    p.Services().Refused = &refusals;
    options.CommandLine = {"kayoiji-reconnect", "-f", conf};
    options.SessionFolder = dir.Path().string();
    options.Now = [this] { return clock.Time; };
    watcher = MakeWatcher();
  }
  std::unique_ptr<Reconnect::Watcher> MakeWatcher() {
    return std::make_unique<Reconnect::Watcher>(
        p.Services(), events, probes, [this](const std::string& line) { log.push_back(line); },
        options);
  }
  bool Logged(const std::string& line) const {
    return std::find(log.begin(), log.end(), line) != log.end();
  }
  void WriteConfig(const std::string& password) {
    dir.Write("conf.dat",
              "DoMapping\tTrue\r\nNetPath\t\\\\srv\\data\r\nLocalDrive\tX:\r\n"
              "UserName\tuser\r\nUserPasswd\t" +
                  DefUnit::ScramblePassword(password) + "\r\nMaxError\t1\r\n");
  }
  // Lets the timer fire until none runs (a check and its ticks), at most `limit` times.
  void FireTimers(int limit = 100) {
    for (int i = 0; i < limit && events.Timer; ++i) {
      const std::uint32_t delay = *events.Timer;
      events.Timer.reset();
      clock.Advance(delay);
      watcher->TimerFired();
    }
  }
  int Checks() const {
    return static_cast<int>(std::count_if(log.begin(), log.end(), [](const std::string& line) {
      return line.rfind("確認終了", 0) == 0;
    }));
  }

  testsupport::TempDir dir;
  std::string conf = dir.File("conf.dat");
  testsupport::ScriptedPlatform p;
  testsupport::FakeWatchEvents events;
  testsupport::FakeWatchProbes probes;
  testsupport::FakeClock clock;
  platform::SessionRefusals refusals{dir.Path().string(), "session-1"};
  Reconnect::Options options;
  std::vector<std::string> log;
  std::unique_ptr<Reconnect::Watcher> watcher;
};

TEST(Watcher, ABurstOfEventsIsOneCheckAndIsCutOffAfterFourSettleDelays) {
  WatcherFixture f;
  // One event a second: each pushes the check back 3 s, until 9 s after the first.
  for (int i = 0; i < 11; ++i) {
    f.watcher->Woken(Wake::NetworkChanged);
    f.clock.Advance(1000);
  }
  EXPECT_EQ(f.events.Starts, 9);
  EXPECT_EQ(f.p.AddCount(), 0);
  // An event during the check's attempt gives one more check afterwards.
  f.p.DuringAdd = [&] {
    f.p.DuringAdd = nullptr;
    f.watcher->Woken(Wake::Resumed);
  };
  f.FireTimers();
  EXPECT_EQ(f.Checks(), 2);
  EXPECT_EQ(f.p.AddCount(), 2);
  EXPECT_EQ(f.log.back(),
            "確認終了: 接続 1、失敗 0、接続済み 0、応答なし 0、認証拒否で保留 0、ドライブ使用中 "
            "0、対象外 0");
}

TEST(Watcher, LeavesTheLettersToTheLogInRunUntilItHasEnded) {
  WatcherFixture f;
  platform::SessionMark program(f.dir.Path().string(), platform::LogInRunMark);
  ASSERT_TRUE(program.Hold());
  f.watcher->Woken(Wake::NetworkChanged);
  // A run that takes a minute (attempts that wait for a silent server).
  f.FireTimers(60);
  EXPECT_EQ(f.p.AddCount(), 0);
  EXPECT_EQ(f.Checks(), 0);
  program.Release();
  f.FireTimers();
  EXPECT_EQ(f.p.AddCount(), 1);
  // A run that never ends (a wait below -1) is waited for ten minutes, not for ever.
  ASSERT_TRUE(program.Hold());
  f.watcher->Woken(Wake::NetworkChanged);
  f.FireTimers(700);
  EXPECT_EQ(f.p.AddCount(), 2);
}

TEST(Watcher, CredentialsRefusedAnywhereInTheSessionAreTriedAgainOnlyAfterAnEdit) {
  WatcherFixture f;
  // The log-in run, with its own memory object on the same folder, is refused once.
  testsupport::ScriptedPlatform program;
  platform::SessionRefusals programMemory(f.dir.Path().string(), "session-1");
  program.Services().Refused = &programMemory;
  program.DefaultAddCode = code::InvalidPassword;
  DefUnit::RunningSettings settings;
  DefUnit::LoadSettings(settings, {"kayoiji", "-f", f.conf}, program.Boxes);
  testsupport::FakeTimer timer1, timer2;
  Connection::ConnectionRun run(settings, program.Services(), program, timer1, timer2);
  run.Prepare();
  for (int i = 0; i < 5 && timer1.enabled; ++i) run.Tick();
  ASSERT_EQ(program.AddCount(), 1);

  // Twenty events, a check without the file, the same file back: nothing tried.
  for (int i = 0; i < 20; ++i) f.watcher->Woken(Wake::NetworkChanged);
  f.FireTimers();
  const std::string bytes = testsupport::ReadBytes(f.conf);
  std::filesystem::remove(f.conf);
  f.watcher->Woken(Wake::NetworkChanged);
  f.FireTimers();
  f.dir.Write("conf.dat", bytes);
  f.watcher->Woken(Wake::Resumed);
  f.FireTimers();
  EXPECT_EQ(f.p.AddCount(), 0);
  EXPECT_EQ(f.Checks(), 3);
  EXPECT_NE(f.log.back().find("認証拒否で保留 1"), std::string::npos) << f.log.back();
  // Another log-on session starts afresh.
  EXPECT_FALSE(platform::SessionRefusals(f.dir.Path().string(), "session-2")
                   .Refused(settings.ConfigIdentity, "\\\\srv\\data", "user"));

  // An edited file is tried once; refused again, it is held back again.
  f.WriteConfig("still-wrong");
  f.p.DefaultAddCode = code::InvalidPassword;
  for (int i = 0; i < 3; ++i) {
    f.watcher->Woken(Wake::NetworkChanged);
    f.FireTimers();
  }
  EXPECT_EQ(f.p.AddCount(), 1);
  // The file keeps names, never the password.
  EXPECT_EQ(testsupport::ReadBytes(f.dir.File("refused")).find("still-wrong"), std::string::npos);
}

TEST(Watcher, TakesDownOnlyItsOwnMountOfASilentServerAndBringsItBackWhenTheServerAnswers) {
  WatcherFixture f;
  const std::string mount = "/run/user/1000/gvfs/smb-share:server=srv,share=data";
  f.probes.Mounts["X:"] = mount;
  f.probes.States["X:"] = platform::EntryState::Connected;
  const auto check = [&f] {
    f.watcher->Woken(Wake::NetworkChanged);
    f.FireTimers();
  };
  // An answering server: the connection is left as it is.
  check();
  EXPECT_TRUE(f.probes.TakenDown.empty());
  EXPECT_EQ(f.p.AddCount(), 0);

  // Silent: a mount made by someone else stays, and so does ours while it is
  // in use, or when the user keeps mounts; none costs an attempt.
  f.probes.Answers = false;
  check();
  EXPECT_TRUE(f.probes.TakenDown.empty());
  f.probes.Ours.insert(mount);
  f.probes.TakeDownCode = code::OpenFiles;
  check();
  check();
  const std::string busy =
      "\\\\srv\\data (X:): サーバーが応答しませんが、使用中のため切断しません。";
  EXPECT_EQ(std::count(f.log.begin(), f.log.end(), busy), 1) << "once an outage, not each check";
  f.probes.TakeDownCode = code::NoError;
  f.probes.TakenDown.clear();
  f.options.KeepMounts = true;
  f.watcher = f.MakeWatcher();
  check();
  EXPECT_TRUE(f.probes.TakenDown.empty());
  EXPECT_TRUE(f.p.Notices.empty());

  // Otherwise it goes, once per outage, in one line and one notice.
  f.options.KeepMounts = false;
  f.watcher = f.MakeWatcher();
  for (int i = 0; i < 3; ++i) check();
  EXPECT_EQ(f.probes.TakenDown.size(), 1u);
  const std::string down = "\\\\srv\\data (X:): サーバーが応答しないため切断しました。";
  EXPECT_EQ(std::count(f.log.begin(), f.log.end(), down), 1);
  ASSERT_EQ(f.p.Notices.size(), 1u);
  EXPECT_EQ(f.p.Notices[0][0].Path, "\\\\srv\\data (X:)");
  EXPECT_EQ(f.p.AddCount(), 0);
  EXPECT_NE(f.log.back().find("応答なし 1"), std::string::npos) << f.log.back();

  // The server is back: the next event connects it again, attempts intact.
  f.probes.Answers = true;
  check();
  EXPECT_EQ(f.p.AddCount(), 1);
  EXPECT_TRUE(f.Logged("\\\\srv\\data (X:): サーバーが応答したため再接続しました。"));
  EXPECT_NE(f.log.back().find("接続 1"), std::string::npos) << f.log.back();
}

TEST(Watcher, AFailureInsideACheckIsLoggedWithItsEntryAndEndsOnlyThatCheck) {
  WatcherFixture f;
  f.p.DuringAdd = [] { throw platform::Exception("壊れました"); };
  f.watcher->Woken(Wake::NetworkChanged);
  f.FireTimers();
  EXPECT_TRUE(f.Logged("\\\\srv\\data: 壊れました"));
  EXPECT_EQ(f.Checks(), 1);
  EXPECT_FALSE(f.events.Timer);
  f.p.DuringAdd = nullptr;
  f.watcher->Woken(Wake::NetworkChanged);
  f.FireTimers();
  EXPECT_EQ(f.p.AddCount(), 2);
  EXPECT_EQ(f.Checks(), 2);
}

TEST(Watcher, SaysWhatKeepsItsConfigurationFromBeingReadWithoutShowingValues) {
  WatcherFixture f;
  const std::string line = "設定ファイル " + f.conf + ": ";
  // A hand-typed password that is no scrambled one: the key, never the text.
  f.dir.Write("conf.dat", "DoMapping\tTrue\r\nNetPath\t\\\\srv\\data\r\nUserPasswd\t$Pl\r\n");
  f.watcher->Woken(Wake::NetworkChanged);
  f.FireTimers();
  EXPECT_TRUE(f.Logged(line + "UserPasswd の値が読めません。"));
  for (const std::string& logged : f.log)
    EXPECT_EQ(logged.find("$Pl"), std::string::npos) << logged;

  std::filesystem::remove(f.conf);
  const auto missing = f.MakeWatcher();
  EXPECT_TRUE(f.Logged(line + "見つかりません。")) << "at start, before any event";
  std::filesystem::create_directory(f.conf);
  f.watcher->Woken(Wake::NetworkChanged);
  f.FireTimers();
  EXPECT_TRUE(f.Logged(line + "フォルダーです。"));
  EXPECT_EQ(f.p.AddCount(), 0);
}

}  // namespace
