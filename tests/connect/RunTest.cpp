#include <gtest/gtest.h>

#include "connect/ConnectUnit.h"
#include "support/FakeSecretStore.h"
#include "support/FakeTimer.h"
#include "support/ScriptedPlatform.h"

using namespace Connection;
namespace code = platform::code;
using testsupport::FakeTimer;
using testsupport::ScriptedPlatform;

namespace {

struct RunFixture {
  explicit RunFixture(int entries = 0) {
    settings.DoMapping = true;
    settings.EntryCount = entries;
    for (int i = 0; i < entries; ++i) {
      DefUnit::SetField(settings.NetPath[i], "\\\\srv\\s" + std::to_string(i));
      DefUnit::SetField(settings.LocalDrive[i], std::string(1, static_cast<char>('K' + i)) + ":");
    }
  }
  void SetEntry(int i, std::int32_t wait, std::int32_t maxError) {
    settings.WaitTime[i] = wait;
    settings.Countdown[i] = wait;
    settings.MaxError[i] = maxError;
  }
  // Ticks as Timer1 would deliver them while it is enabled.
  int TicksUntilEnd(int limit) {
    for (int tick = 1; tick <= limit; ++tick) {
      if (!timer1.enabled) return -1;
      run.Tick();
      if (!timer1.enabled) return tick;
    }
    return 0;
  }
  DefUnit::RunningSettings settings;
  ScriptedPlatform p;
  FakeTimer timer1, timer2;
  ConnectionRun run{settings, p.Services(), p, timer1, timer2};
};

}  // namespace

TEST(ConnectionRun, PrepareStartsTheRunAndSetsTheExitDelay) {
  RunFixture f;
  f.settings.NoErrorDialog = true;
  f.settings.ExitTime = 7;
  f.timer2.enabled = true;
  f.run.Prepare();
  EXPECT_TRUE(f.timer1.enabled);
  EXPECT_EQ(f.p.StateText, "接続待ち");
  EXPECT_TRUE(f.p.Ticked);
  EXPECT_EQ(f.timer2.interval, 7000u);
  EXPECT_FALSE(f.timer2.enabled);

  RunFixture idle;
  idle.settings.DoMapping = false;
  idle.p.Ticked = true;
  idle.run.Prepare();
  EXPECT_FALSE(idle.timer1.enabled);
  EXPECT_EQ(idle.p.StateText, "待機中");
  EXPECT_FALSE(idle.p.Ticked);
}

TEST(ConnectionRun, ExitIntervalIsClamped) {
  EXPECT_EQ(ExitInterval(0), 1u);
  EXPECT_EQ(ExitInterval(-5), 1u);
  EXPECT_EQ(ExitInterval(5), 5000u);
  EXPECT_EQ(ExitInterval(2147483), 2147483000u);
  EXPECT_EQ(ExitInterval(2147484), 2147483000u);
  EXPECT_EQ(ExitInterval(2147483647), 2147483000u);
}

TEST(ConnectionRun, FailingEntryIsTriedMaxErrorTimesThenTheRunEnds) {
  RunFixture f(1);
  f.SetEntry(0, 2, 3);
  f.p.DefaultAddCode = code::NoNetOrBadPath;
  f.p.Ticked = true;
  f.run.Prepare();
  std::vector<int> attemptTicks;
  int end = 0;
  for (int tick = 1; tick <= 12 && f.timer1.enabled; ++tick) {
    const int before = f.p.AddCount();
    f.run.Tick();
    if (f.p.AddCount() != before) attemptTicks.push_back(tick);
    if (tick == 3 || tick == 6) {
      EXPECT_EQ(f.p.CurrentTitle, " Kayoiji [再試行待ち]") << tick;
    }
    if (tick == 9) {
      EXPECT_EQ(f.p.CurrentTitle, " Kayoiji") << "given up: no retry title";
    }
    if (!f.timer1.enabled) end = tick;
  }
  EXPECT_EQ(attemptTicks, (std::vector<int>{3, 6, 9}));
  EXPECT_EQ(end, 10);
  EXPECT_EQ(f.p.CurrentTitle, " Kayoiji [終了処理中]");
  EXPECT_TRUE(f.timer2.enabled);
  EXPECT_EQ(f.settings.ErrorCount[0], 3);
  f.run.ExitTimerFired();
  EXPECT_TRUE(f.p.Terminated);
}

TEST(ConnectionRun, EndsWithoutEntriesAndSkipsWaitMinusOne) {
  RunFixture none;
  none.run.Prepare();
  EXPECT_EQ(none.TicksUntilEnd(5), 1);
  EXPECT_EQ(none.p.CurrentTitle, " Kayoiji [終了処理中]");

  RunFixture skip(2);
  skip.SetEntry(0, -1, 3);
  skip.SetEntry(1, 0, 1);
  skip.run.Prepare();
  EXPECT_EQ(skip.TicksUntilEnd(5), 2);
  EXPECT_EQ(skip.p.AddCount(), 1);
  EXPECT_EQ(skip.p.Requests[0].LocalName, "L:");

  RunFixture never(1);
  never.SetEntry(0, -3, 1);
  never.run.Prepare();
  EXPECT_EQ(never.TicksUntilEnd(50), 0) << "a wait below -1 keeps the run going";
  EXPECT_EQ(never.p.AddCount(), 0);
}

TEST(ConnectionRun, MaxErrorZeroOrOneGivesOneAttempt) {
  for (std::int32_t maxError : {-2, 0, 1}) {
    RunFixture f(1);
    f.SetEntry(0, 0, maxError);
    f.p.DefaultAddCode = code::BadNetName;
    f.p.Ticked = true;
    f.run.Prepare();
    f.TicksUntilEnd(10);
    EXPECT_EQ(f.p.AddCount(), 1) << maxError;
  }
}

TEST(ConnectionRun, ConnectNowAttemptsEveryEntryAndStartsTheExitDelayOnce) {
  RunFixture f(3);
  f.settings.DoMapping = false;
  f.SetEntry(0, 5, 1);
  f.SetEntry(1, -1, 1);
  f.SetEntry(2, 0, 1);
  f.p.AddCodes = {code::NoError, code::AlreadyAssigned, code::NoError};
  f.p.Ticked = true;
  f.run.Prepare();
  f.run.ConnectNow();
  EXPECT_EQ(f.p.AddCount(), 3);
  EXPECT_EQ(f.p.StateText, "接続終了。");
  EXPECT_TRUE(f.timer2.enabled);
  EXPECT_EQ(f.settings.Countdown[0], 5) << "the run's state is untouched";
  EXPECT_EQ(f.settings.ErrorCount[1], 0);
  f.run.ConnectNow();
  EXPECT_EQ(f.timer2.starts, 1) << "a running exit delay goes on unchanged";
}

TEST(ConnectionRun, TicksAndClicksDuringAnAttemptAreDeferredNotNested) {
  RunFixture f(2);
  f.SetEntry(0, 0, 1);
  f.SetEntry(1, 1, 1);
  f.p.Ticked = true;
  f.run.Prepare();
  int depth = 0, maxDepth = 0, nestedTicks = 0;
  f.p.DuringAdd = [&] {
    maxDepth = std::max(maxDepth, ++depth);
    if (nestedTicks++ == 0) {
      // A tick and a click that arrive while the first entry is connecting.
      f.run.Tick();
      f.run.ConnectNow();
      EXPECT_EQ(f.p.AddCount(), 1) << "nothing runs inside the attempt";
    }
    --depth;
  };
  f.run.Tick();
  EXPECT_EQ(maxDepth, 1);
  // The first tick attempted entry 0; the deferred tick then attempted
  // entry 1 (its one-second wait passed), and the click attempted both.
  ASSERT_EQ(f.p.AddCount(), 4);
  EXPECT_EQ(f.p.Requests[1].LocalName, "L:");
  EXPECT_EQ(f.settings.Countdown[0], -1);
  EXPECT_EQ(f.settings.Countdown[1], -1);
  EXPECT_TRUE(f.timer2.enabled);
  EXPECT_FALSE(f.run.Busy());
}

TEST(ConnectionRun, ADeferredTickIsDroppedWhenTheRunWasStoppedMeanwhile) {
  RunFixture f(1);
  f.SetEntry(0, 0, 1);
  f.p.Ticked = true;
  f.run.Prepare();
  f.p.DuringAdd = [&] {
    f.run.Tick();
    f.timer1.enabled = false;  // e.g. the settings dialog paused the run
  };
  f.run.Tick();
  EXPECT_EQ(f.p.AddCount(), 1);
  EXPECT_EQ(f.settings.Countdown[0], -1);
}

// The end of the run gives one notice listing the entries it gave up on,
// with the message of each one's latest attempt; nothing when all connected.
TEST(ConnectionRun, TheEndOfTheRunNamesTheEntriesItGaveUpOn) {
  RunFixture all(2);
  all.SetEntry(0, 0, 0);
  all.SetEntry(1, 0, 3);
  // Entry 1 connects on its second attempt.
  all.p.AddCodes = {code::NoError, code::NoNetOrBadPath, code::NoError};
  all.run.Prepare();
  EXPECT_GT(all.TicksUntilEnd(10), 0);
  EXPECT_TRUE(all.p.Notices.empty());

  RunFixture f(4);
  f.SetEntry(0, 0, 2);   // fails twice: given up
  f.SetEntry(1, 0, 1);   // connects
  f.SetEntry(2, -1, 1);  // takes no part
  f.SetEntry(3, 0, 0);   // fails once: given up
  f.p.AddCodes = {code::NoNetOrBadPath, code::NoError, code::InvalidPassword, code::BadNetName};
  f.p.Ticked = true;
  f.run.Prepare();
  // Tick 1 attempts entries 0, 1 and 3, tick 2 entry 0 again, tick 3 ends.
  EXPECT_EQ(f.TicksUntilEnd(10), 3);
  ASSERT_EQ(f.p.Notices.size(), 1u);
  const auto& failed = f.p.Notices[0];
  ASSERT_EQ(failed.size(), 2u);
  EXPECT_EQ(failed[0].Path, "\\\\srv\\s0");
  EXPECT_EQ(failed[0].Message, "接続先が見つかりません。") << "the latest attempt's message";
  EXPECT_EQ(failed[1].Path, "\\\\srv\\s3");
  EXPECT_EQ(failed[1].Message, "パスワードエラーです。");
}

TEST(ConnectionRun, AnEntryTheButtonConnectedAfterTheRunGaveUpIsNotNamed) {
  RunFixture f(2);
  f.SetEntry(0, 0, 1);
  f.SetEntry(1, 3, 1);  // keeps the run going after entry 0 gave up
  f.p.Ticked = true;
  f.p.AddCodes = {code::NoNetOrBadPath, code::NoError, code::NoError};
  f.run.Prepare();
  f.run.Tick();        // entry 0 gives up
  f.run.ConnectNow();  // connects both
  EXPECT_GT(f.TicksUntilEnd(10), 0);
  EXPECT_TRUE(f.p.Notices.empty());
}

// A refused password retried is one more failed log-on each time, and a
// domain locks the account after a few: the entry is given up at once and
// named at the end. A server that does not answer is still retried.
TEST(ConnectionRun, RefusedCredentialsAreTriedOnceOtherFailuresUpToMaxError) {
  for (std::uint32_t refused :
       {code::InvalidPassword, code::LogonFailure, code::PasswordMustChange, code::AccountLockedOut,
        code::PasswordExpired, code::AccountDisabled, code::CredentialConflict}) {
    RunFixture f(2);
    f.SetEntry(0, 0, 5);
    f.SetEntry(1, 1, 5);
    f.p.AddCodes = {refused, code::NoError};
    f.p.Ticked = true;
    f.run.Prepare();
    EXPECT_GT(f.TicksUntilEnd(30), 0) << refused;
    EXPECT_EQ(f.p.AddCount(), 2) << refused << ": one attempt each";
    ASSERT_EQ(f.p.Notices.size(), 1u) << refused;
    ASSERT_EQ(f.p.Notices[0].size(), 1u) << refused;
    EXPECT_EQ(f.p.Notices[0][0].Message, ConnectErrorMessage(refused));
  }
  RunFixture unreachable(1);
  unreachable.SetEntry(0, 0, 5);
  unreachable.p.DefaultAddCode = code::NoNetOrBadPath;
  unreachable.p.Ticked = true;
  unreachable.run.Prepare();
  EXPECT_GT(unreachable.TicksUntilEnd(30), 0);
  EXPECT_EQ(unreachable.p.AddCount(), 5);
  EXPECT_FALSE(GivenUp(1, 5, code::NoNetOrBadPath));
  EXPECT_FALSE(GivenUp(9, 5, code::NoError)) << "a connected entry has not given up";
}

// Whatever a pass throws reaches the caller (the general error handler);
// the run is not left busy, attempts the entry again at the next tick and
// still ends the program by itself.
TEST(ConnectionRun, APassThatThrowsDoesNotStallTheRun) {
  RunFixture f(1);
  f.SetEntry(0, 0, 1);
  f.settings.ExitTime = 0;
  f.p.Ticked = true;
  f.run.Prepare();
  bool thrown = false;
  f.p.DuringAdd = [&] {
    if (!thrown) {
      thrown = true;
      throw std::bad_alloc();
    }
  };
  EXPECT_THROW(f.run.Tick(), std::bad_alloc);
  EXPECT_FALSE(f.run.Busy());
  EXPECT_EQ(f.TicksUntilEnd(5), 2) << "attempted again, then the run ends";
  EXPECT_EQ(f.p.AddCount(), 2);
  EXPECT_TRUE(f.timer2.enabled);
  f.run.ExitTimerFired();
  EXPECT_TRUE(f.p.Terminated);
}

namespace {

// Entry 0 keeps its password in the store, entry 1 (where it could not go)
// still in the file.
struct StoreRun : RunFixture {
  StoreRun() : RunFixture(2) {
    settings.PasswordStore = true;
    DefUnit::SetField(settings.UserName[0], "u");
    DefUnit::SetField(settings.UserPasswd[1], "filepw");
    store.Held[{"\\\\srv\\s0", "u"}] = "storepw";
    p.Services().Secrets = &store;
    p.Ticked = true;
    run.Prepare();
  }
  int Adds(const std::string& remote) {
    int n = 0;
    for (const platform::NetResource& r : p.Requests) n += r.RemoteName == remote ? 1 : 0;
    return n;
  }
  bool Sent(const std::string& what) {
    for (const std::string& line : p.Log) {
      if (line.rfind("add ", 0) == 0 && line.find(what) != std::string::npos) return true;
    }
    return false;
  }
  testsupport::FakeSecretStore store;
};

}  // namespace

TEST(ConnectionRun, PasswordsComeFromTheStoreAndALockedStoreCostsNoAttempt) {
  StoreRun f;
  f.SetEntry(0, 1, 2);
  f.store.IsLocked = true;
  f.store.LockNoticed = false;  // found locked by the first read, then known
  // Due on tick 2; waits, unattempted, as long as its two attempts would take.
  for (int tick = 1; tick <= 4; ++tick) f.run.Tick();
  EXPECT_EQ(f.Adds("\\\\srv\\s0"), 0);
  EXPECT_EQ(f.settings.ErrorCount[0], 0);
  EXPECT_EQ(f.store.Calls, std::vector<std::string>{"read \\\\srv\\s0 u"}) << "asked once";
  EXPECT_EQ(f.p.StateText, "接続終了。") << "nothing said of the wait";
  EXPECT_EQ(f.Adds("\\\\srv\\s1"), 1) << "a password in the file needs no store";
  EXPECT_TRUE(f.Sent("pw=filepw"));

  f.store.IsLocked = false;  // the store's notice: unlocked
  f.run.Tick();
  ASSERT_EQ(f.Adds("\\\\srv\\s0"), 1);
  EXPECT_TRUE(f.Sent("pw=storepw"));
  EXPECT_EQ(f.settings.Countdown[0], -1);
}

TEST(ConnectionRun, AStoreThatStaysLockedOrIsMissingEndsTheEntryWithoutAnEmptyPassword) {
  StoreRun locked;
  locked.SetEntry(0, 0, 2);
  locked.store.IsLocked = true;
  EXPECT_GT(locked.TicksUntilEnd(10), 2);
  EXPECT_EQ(locked.Adds("\\\\srv\\s0"), 0);
  ASSERT_EQ(locked.p.Notices.size(), 1u);
  ASSERT_EQ(locked.p.Notices[0].size(), 1u);
  EXPECT_EQ(locked.p.Notices[0][0].Message, ConnectErrorMessage(code::StoreStaysLocked));

  for (const bool inSession : {false, true}) {
    StoreRun missing;
    missing.SetEntry(0, 0, 3);
    if (inSession) {
      missing.store.IsAvailable = false;
    } else {
      missing.p.Services().Secrets = nullptr;
    }
    missing.TicksUntilEnd(10);
    EXPECT_EQ(missing.Adds("\\\\srv\\s0"), 0) << "tried once, with no password at all";
    EXPECT_EQ(missing.p.StateText, "接続終了。");  // entry 1 came last
    ASSERT_EQ(missing.p.Notices.size(), 1u);
    EXPECT_EQ(missing.p.Notices[0][0].Message, ConnectErrorMessage(code::NoSecretStore));
  }

  StoreRun gone;
  gone.store.Held.clear();
  gone.TicksUntilEnd(10);
  EXPECT_EQ(gone.Adds("\\\\srv\\s0"), 0);
  EXPECT_EQ(gone.p.Notices.at(0).at(0).Message, ConnectErrorMessage(code::NotReadFromStore));
}
