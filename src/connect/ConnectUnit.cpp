#include "connect/ConnectUnit.h"

#include <algorithm>

#include "platform/SessionState.h"

namespace Connection {

const char* const TitleAtRest = " Kayoiji";
const char* const TitleConnecting = "*Kayoiji [接続中]";
const char* const TitleRetryWait = " Kayoiji [再試行待ち]";
const char* const TitleEnding = " Kayoiji [終了処理中]";

std::uint32_t AttemptConnection(platform::Services& services, bool holdShiftKey,
                                const AttemptRequest& request,
                                const std::function<void()>& announce) {
  platform::Application& app = *services.App;
  return CallPlatform(services, holdShiftKey, request, [&](AttemptStage stage) {
    app.ProcessMessages();
    if (stage != AttemptStage::Calling) return;
    app.SetTitle(TitleConnecting);
    if (announce) announce();
    app.ProcessMessages();
  });
}

namespace {

// The end of every attempt: the message, its box unless errors are ignored,
// the title at rest and the labels.
std::uint32_t ReportOutcome(platform::Services& services, MainView& view, bool showBox,
                            const std::string& remoteName, std::uint32_t code) {
  std::string message = ConnectErrorMessage(code);
  if (message.empty()) {
    message = "接続終了。";
  } else if (showBox) {
    services.Boxes->Show(platform::ErrorBox(message));
  }
  services.App->SetTitle(TitleAtRest);
  view.SetPathText(remoteName);
  view.SetStateText(message);
  return code;
}

// ConnectEntry with the platform's code, which the run keeps for its notice.
// With `holdIfLocked` a store found locked ends the attempt before it
// begins, without a word: the run then waits for the store.
std::uint32_t ConnectEntryCode(DefUnit::RunningSettings& settings, platform::Services& services,
                               MainView& view, int index, bool holdIfLocked = false) {
  const bool showBox = !view.NoErrorTicked();
  AttemptRequest request = RequestOf(settings, index);
  // Never an empty password in place of one the store could not give.
  std::uint32_t code = PasswordForAttempt(settings, services, index, request.Password);
  if (code == platform::code::StoreStaysLocked && holdIfLocked) return code;
  if (code == platform::code::NoError) {
    code = AttemptConnection(services, settings.HoldShiftKey, request,
                             [&view] { view.SetStateText("接続処理中"); });
  }
  return ReportOutcome(services, view, showBox, request.RemoteName, code);
}

}  // namespace

int ConnectEntry(DefUnit::RunningSettings& settings, platform::Services& services, MainView& view,
                 int index) {
  return ConnectEntryCode(settings, services, view, index) == 0 ? 0 : -1;
}

std::uint32_t ExitInterval(std::int32_t exitTime) {
  // 2147483 s is the most whole seconds whose milliseconds fit a signed
  // 32-bit interval; a negative time ends at once, like 0.
  const std::int32_t seconds = std::clamp<std::int32_t>(exitTime, 0, 2147483);
  return seconds == 0 ? 1u : static_cast<std::uint32_t>(seconds) * 1000u;
}

ConnectionRun::ConnectionRun(DefUnit::RunningSettings& settings, platform::Services& services,
                             MainView& view, RunTimer& timer1, RunTimer& timer2)
    : settings_(settings),
      services_(services),
      view_(view),
      timer1_(timer1),
      timer2_(timer2),
      schedule_(settings, services) {}

void ConnectionRun::Prepare() {
  if (settings_.DoMapping) {
    if (services_.LogInRun != nullptr) services_.LogInRun->Hold();
    timer1_.SetEnabled(true);
    view_.SetStateText("接続待ち");
  }
  view_.SetNoErrorTicked(settings_.NoErrorDialog);
  timer2_.SetInterval(ExitInterval(settings_.ExitTime));
  timer2_.SetEnabled(false);
}

// An attempt pumps messages and may wait in a box, so a tick or a click can
// arrive in the middle of a pass. It must not start a second pass over the
// same entries (the entry under attempt is still due): it is remembered and
// run once the current pass has returned.
void ConnectionRun::Tick() {
  Enter(tickDeferred_, &ConnectionRun::TickPass);
}

void ConnectionRun::ConnectNow() {
  Enter(connectNowDeferred_, &ConnectionRun::ConnectNowPass);
}

void ConnectionRun::Enter(bool& deferred, void (ConnectionRun::*pass)()) {
  if (abandoned_) return;
  if (busy_) {
    deferred = true;
    return;
  }
  busy_ = true;
  // A pass that fails reaches the general error handler; the run must not
  // stay busy for ever, or no tick would attempt anything again.
  struct ClearBusy {
    bool& busy;
    ~ClearBusy() { busy = false; }
  } clear{busy_};
  (this->*pass)();
  RunDeferred();
}

void ConnectionRun::RunDeferred() {
  while (!abandoned_ && (tickDeferred_ || connectNowDeferred_)) {
    if (tickDeferred_) {
      tickDeferred_ = false;
      // A tick only counts while the run is still going.
      if (timer1_.Enabled()) TickPass();
    } else {
      connectNowDeferred_ = false;
      ConnectNowPass();
    }
  }
}

void ConnectionRun::TickPass() {
  if (!schedule_.Pass(*this, abandoned_)) return;
  if (services_.LogInRun != nullptr) services_.LogInRun->Release();
  timer1_.SetEnabled(false);
  timer2_.SetEnabled(true);
  services_.App->SetTitle(TitleEnding);
  schedule_.NotifyGivenUp();
}

void ConnectionRun::ConnectNowPass() {
  for (int i = 0; i < schedule_.Count() && !abandoned_; ++i) {
    schedule_.Record(i, ConnectEntryCode(settings_, services_, view_, i));
  }
  if (!abandoned_) timer2_.SetEnabled(true);
}

std::uint32_t ConnectionRun::Attempt(int index) {
  return ConnectEntryCode(settings_, services_, view_, index, true);
}

void ConnectionRun::Retrying(int) {
  services_.App->SetTitle(TitleRetryWait);
}

void ConnectionRun::StoreStayedLocked(int index) {
  ReportOutcome(services_, view_, !view_.NoErrorTicked(),
                DefUnit::CredentialNameOf(settings_, index).RemoteName, schedule_.LastCode(index));
}

void ConnectionRun::ExitTimerFired() {
  Abandon();
  services_.App->Terminate();
}

void ConnectionRun::Abandon() {
  abandoned_ = true;
  tickDeferred_ = false;
  connectNowDeferred_ = false;
}

}  // namespace Connection
