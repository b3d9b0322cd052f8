// The connection run as the main window drives it: connecting one share
// with the window's labels and boxes, and the timed run over all
// connections with its automatic exit, on the window-free core.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "connect/ConnectCore.h"
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

// The steps every connection attempt shares: pump, probe the path, set the
// busy title, run `announce`, pump, press Shift if asked, call the platform,
// pump, release Shift. Returns the platform's code.
std::uint32_t AttemptConnection(platform::Services& services, bool holdShiftKey,
                                const AttemptRequest& request,
                                const std::function<void()>& announce);

// Connects entry `index` of `settings`; 0 when connected, -1 when not.
int ConnectEntry(DefUnit::RunningSettings& settings, platform::Services& services, MainView& view,
                 int index);

// The exit delay in milliseconds for `exitTime` seconds: clamped to what a
// 32-bit millisecond interval can hold, and at least 1 ms.
std::uint32_t ExitInterval(std::int32_t exitTime);

// The once-a-second run, connect-now and the automatic exit.
class ConnectionRun : private Attempts {
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

 private:
  void Enter(bool& deferred, void (ConnectionRun::*pass)());
  void TickPass();
  void ConnectNowPass();
  void RunDeferred();
  // Attempts, as a tick's pass makes them.
  std::uint32_t Attempt(int index) override;
  void Retrying(int index) override;
  void StoreStayedLocked(int index) override;

  DefUnit::RunningSettings& settings_;
  platform::Services& services_;
  MainView& view_;
  RunTimer& timer1_;
  RunTimer& timer2_;
  bool busy_ = false;
  bool abandoned_ = false;
  bool tickDeferred_ = false;
  bool connectNowDeferred_ = false;
  Schedule schedule_;
};

}  // namespace Connection
