// The connection engine: connecting one share, the message for a platform
// result, and the timed run over all connections with its automatic exit.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/Services.h"
#include "settings/DefUnit.h"

namespace Connection {

// What the engine sees of the main window.
class MainView {
 public:
  virtual ~MainView() = default;
  // The ignore-errors check box ("エラーを無視する。").
  virtual bool NoErrorTicked() const = 0;
  virtual void SetNoErrorTicked(bool ticked) = 0;
  virtual void SetStateText(const std::string& utf8) = 0;
  // The remote path, as the Shift-JIS bytes stored in the settings.
  virtual void SetPathText(const std::string& sjis) = 0;
};

// A timer of the main window as the run drives it.
class RunTimer {
 public:
  virtual ~RunTimer() = default;
  virtual bool Enabled() const = 0;
  // Enabling an enabled timer changes nothing; enabling a disabled one
  // starts a full interval.
  virtual void SetEnabled(bool enabled) = 0;
  virtual void SetInterval(std::uint32_t milliseconds) = 0;
};

// The title texts of the progress display.
extern const char* const TitleAtRest;      // " Kayoiji"
extern const char* const TitleConnecting;  // "*Kayoiji [接続中]"
extern const char* const TitleRetryWait;   // " Kayoiji [再試行待ち]"
extern const char* const TitleEnding;      // " Kayoiji [終了処理中]"

// The message for a platform result code; empty for 0.
std::string ConnectErrorMessage(std::uint32_t code);

// True when `code` says the server refused the entry's credentials.
bool CredentialsRefused(std::uint32_t code);

// Whether an entry takes no further attempt in a run after `errorCount`
// failures, the latest with `lastCode`: its `maxError` attempts are used up
// (at least one is always made), or retrying cannot help and can hurt
// (refused credentials, another user name for the same server). Never for
// a connected entry (`lastCode` 0).
bool GivenUp(std::int32_t errorCount, std::int32_t maxError, std::uint32_t lastCode);

// One connection request as the user or the settings give it (Shift-JIS).
struct AttemptRequest {
  std::string RemoteName;
  std::string LocalName;
  std::string UserName;
  std::string Password;
};

// The steps every connection attempt shares: pump, probe the path, set the
// busy title, run `announce`, pump, press Shift if asked, call the platform,
// pump, release Shift. Returns the platform's code.
std::uint32_t AttemptConnection(platform::Services& services, bool holdShiftKey,
                                const AttemptRequest& request,
                                const std::function<void()>& announce);

// The password for entry `index`'s attempt: the settings' own, or the
// secret store's when the entry keeps it there (never asking the user to
// unlock it). Any other code than NoError says why there is none.
std::uint32_t PasswordForAttempt(const DefUnit::ConnectionSettings& settings,
                                 platform::Services& services, int index, std::string& password);

// Connects entry `index` of `settings`; 0 when connected, -1 when not.
int ConnectEntry(DefUnit::RunningSettings& settings, platform::Services& services, MainView& view,
                 int index);

// True when the system reports the platform and version that need Shift
// held during a connection call (NT, major version 5).
bool DecideHoldShiftKey(platform::OsIdentity* os);

// The line the program and the watcher give once as they start when the
// drives they connect stay hidden from the user's other programs (an
// elevated administrator's); empty otherwise.
std::string DrivesHiddenWarning(platform::OsIdentity* os);

// The exit delay in milliseconds for `exitTime` seconds: clamped to what a
// 32-bit millisecond interval can hold, and at least 1 ms.
std::uint32_t ExitInterval(std::int32_t exitTime);

// The once-a-second run, connect-now and the automatic exit.
class ConnectionRun {
 public:
  ConnectionRun(DefUnit::RunningSettings& settings, platform::Services& services, MainView& view,
                RunTimer& timer1, RunTimer& timer2);

  // After the settings are loaded: start the run when asked, set the check
  // box, give the exit timer its interval.
  void Prepare();
  // One tick of Timer1.
  void Tick();
  // The "接続" button: every loaded entry at once, then the exit delay.
  void ConnectNow();
  // Timer2: the program ends.
  void ExitTimerFired();
  // The program is ending: a pass under way attempts no further entry, and
  // no tick or click starts another.
  void Abandon();

  // True while a pass over the entries is under way.
  bool Busy() const { return busy_; }

  // Asked before each attempt of a tick: false sets the entry aside for the
  // rest of the run without using up an attempt (the resident watcher's
  // test that the server answers at all).
  void SetAttemptGate(std::function<bool(int index)> gate) { gate_ = std::move(gate); }
  // The platform's code of entry `index`'s latest attempt in this run.
  std::uint32_t LastCode(int index) const { return lastCode_[static_cast<std::size_t>(index)]; }

 private:
  void Enter(bool& deferred, void (ConnectionRun::*pass)());
  void TickPass();
  void ConnectNowPass();
  void RunDeferred();
  // Whether entry `index`'s password is in a store known to be locked.
  bool StoreLockedFor(int index);
  // One tick of waiting for the store to unlock, or giving up waiting.
  void WaitForStore(int index);
  // ConnectEntry, remembering the platform's code for the run's notice.
  std::uint32_t Attempt(int index, bool holdIfLocked = false);
  void NotifyGivenUp(int count);

  DefUnit::RunningSettings& settings_;
  platform::Services& services_;
  MainView& view_;
  RunTimer& timer1_;
  RunTimer& timer2_;
  bool busy_ = false;
  bool abandoned_ = false;
  bool tickDeferred_ = false;
  bool connectNowDeferred_ = false;
  std::function<bool(int)> gate_;
  // The code of each entry's latest attempt.
  std::array<std::uint32_t, DefUnit::MaxEntries> lastCode_{};
  // The ticks each entry has waited for a locked store.
  std::array<std::int64_t, DefUnit::MaxEntries> lockedTicks_{};
};

}  // namespace Connection
