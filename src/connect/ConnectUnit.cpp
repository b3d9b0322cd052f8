#include "connect/ConnectUnit.h"

#include <algorithm>
#include <vector>

#include "platform/RemoteName.h"
#include "platform/SessionState.h"

namespace Connection {

const char* const TitleAtRest = " Kayoiji";
const char* const TitleConnecting = "*Kayoiji [接続中]";
const char* const TitleRetryWait = " Kayoiji [再試行待ち]";
const char* const TitleEnding = " Kayoiji [終了処理中]";

namespace {
constexpr std::uint32_t kProbeAttributeMask = 63;  // every kind of entry
}

std::string ConnectErrorMessage(std::uint32_t code) {
  namespace c = platform::code;
  switch (code) {
    case c::NoError:
      return "";
    case c::AccessDenied:
      return "アクセスが拒否されました。";
    case c::BadDevType:
      return "デバイスタイプが一致しません。";
    case c::BadNetName:
      return "接続先が見つかりません。";
    case c::AlreadyAssigned:
      return "既に接続されています。";
    case c::InvalidPassword:
      return "パスワードエラーです。";
    case c::Busy:
      return "接続先、ないし経路がBusyです。";
    case c::BadDevice:
      return "ローカルドライブ名が不正です。";
    case c::DeviceAlreadyRemembered:
      return "既に別名で接続されているようです。";
    case c::NoNetOrBadPath:
      return "ネットワーク接続が開始出来ないか、接続先が見つかりません。";
    case c::BadProvider:
      return "接続先と値が一致しません。";
    case c::CannotOpenProfile:
      return "ユーザー情報をオープン出来ませでした。";
    case c::BadProfile:
      return "ユーザー情報が不正です。";
    case c::ExtendedError:
      return "ネットワークエラーです。";
    case c::NoNetwork:
      return "ネットワーク接続が出来ません。";
    case c::Cancelled:
      return "接続は取り消されました。";
    // What current systems answer most often, beyond the codes above.
    case c::BadNetPath:
      return "サーバーが見つかりません。名前とネットワークを確認してください。";
    case c::NetNameDeleted:
      return "サーバーとの接続が切れました。ネットワークを確認してください。";
    case c::CredentialConflict:
      return "このサーバーには別のユーザー名で接続済みです。その接続を切断してください。";
    case c::NoLogonServers:
      return "ログオンサーバーがありません。ネットワークを確認してください。";
    case c::LogonFailure:
      return "ユーザー名かパスワードが違います。";
    case c::PasswordExpired:
      return "パスワードの期限が切れています。パスワードを変更してください。";
    case c::AccountDisabled:
      return "アカウントが無効です。管理者に連絡してください。";
    case c::PasswordMustChange:
      return "パスワードを変更してからログオンしてください。";
    case c::AccountLockedOut:
      return "アカウントがロックされています。管理者に連絡してください。";
    case c::StoreStaysLocked:
      return "パスワードの保管場所がロックされたままのため、接続しませんでした。";
    case c::NoSecretStore:
      return "パスワードの保管場所が使えないため、接続しませんでした。";
    case c::NotReadFromStore:
      return "パスワードを保管場所から読み出せなかったため、接続しませんでした。";
    default:
      return "原因不明なエラーが発生しました。";
  }
}

bool CredentialsRefused(std::uint32_t code) {
  namespace c = platform::code;
  switch (code) {
    case c::InvalidPassword:
    case c::LogonFailure:
    case c::PasswordMustChange:
    case c::AccountLockedOut:
    case c::PasswordExpired:
    case c::AccountDisabled:
      return true;
    default:
      return false;
  }
}

bool GivenUp(std::int32_t errorCount, std::int32_t maxError, std::uint32_t lastCode) {
  if (lastCode == platform::code::NoError) return false;
  // Each retry of refused credentials is one more failed log-on, and a
  // domain locks the account after a few; another user name for a server
  // already connected cannot succeed either.
  if (CredentialsRefused(lastCode) || lastCode == platform::code::CredentialConflict) return true;
  // Without its password from the store the entry has nothing to try with.
  if (lastCode == platform::code::StoreStaysLocked || lastCode == platform::code::NoSecretStore ||
      lastCode == platform::code::NotReadFromStore) {
    return true;
  }
  return errorCount >= std::max<std::int32_t>(maxError, 1);
}

std::uint32_t AttemptConnection(platform::Services& services, bool holdShiftKey,
                                const AttemptRequest& request,
                                const std::function<void()>& announce) {
  platform::Application& app = *services.App;
  platform::NetworkService& network = *services.Network;

  app.ProcessMessages();
  // The probe wakes a sleeping path before the call; its outcome is unused.
  const std::intptr_t search = network.ProbeOpen(request.RemoteName + "\\*.*", kProbeAttributeMask);
  app.ProcessMessages();
  if (search != 0) network.ProbeClose(search);
  app.ProcessMessages();

  platform::NetResource resource;
  resource.dwType = 0;  // RESOURCETYPE_ANY
  resource.LocalName = request.LocalName;
  resource.RemoteName = request.RemoteName;

  app.SetTitle(TitleConnecting);
  if (announce) announce();
  app.ProcessMessages();

  if (holdShiftKey) services.Keys->KeybdEvent(platform::VK_SHIFT_KEY, 0, 0, 0);
  const std::uint32_t code = network.AddConnection(resource, request.Password, request.UserName, 0);
  app.ProcessMessages();
  if (holdShiftKey) {
    services.Keys->KeybdEvent(platform::VK_SHIFT_KEY, 0, platform::KEYEVENTF_KEYUP_FLAG, 0);
  }
  return code;
}

std::uint32_t PasswordForAttempt(const DefUnit::ConnectionSettings& settings,
                                 platform::Services& services, int index, std::string& password) {
  password = DefUnit::FieldText(settings.UserPasswd[static_cast<std::size_t>(index)]);
  if (!DefUnit::PasswordInStore(settings, index)) return platform::code::NoError;
  if (services.Secrets == nullptr) return platform::code::NoSecretStore;
  const platform::StoredPassword stored =
      services.Secrets->Read(DefUnit::CredentialNameOf(settings, index));
  switch (stored.Answer) {
    case platform::StoreAnswer::Found:
      password = stored.Password;
      return platform::code::NoError;
    case platform::StoreAnswer::Locked:
      return platform::code::StoreStaysLocked;
    case platform::StoreAnswer::NoStore:
      return platform::code::NoSecretStore;
    default:
      return platform::code::NotReadFromStore;
  }
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

  DefUnit::TextField& path = settings.NetPath[static_cast<std::size_t>(index)];
  // A final 0x5C may be the second byte of 表 or ソ: only a backslash of its own goes.
  DefUnit::SetField(path, platform::WithoutTrailingBackslash(DefUnit::FieldText(path)));

  AttemptRequest request;
  request.RemoteName = DefUnit::FieldText(path);
  request.LocalName = DefUnit::FieldText(settings.LocalDrive[static_cast<std::size_t>(index)]);
  request.UserName = DefUnit::FieldText(settings.UserName[static_cast<std::size_t>(index)]);
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

bool DecideHoldShiftKey(platform::OsIdentity* os) {
  if (os == nullptr) return false;
  const platform::OsVersion v = os->Version();
  return v.PlatformId == 2 && v.MajorVersion == 5;
}

std::string DrivesHiddenWarning(platform::OsIdentity* os) {
  if (os == nullptr || !os->DrivesHiddenFromUser()) return {};
  return "管理者として実行中です。ここで接続したドライブは管理者でないプログラムから見えません。"
         "管理者としてではなく起動するか、コンピューターの EnableLinkedConnections "
         "を有効にしてください。";
}

std::uint32_t ExitInterval(std::int32_t exitTime) {
  // 2147483 s is the most whole seconds whose milliseconds fit a signed
  // 32-bit interval; a negative time ends at once, like 0.
  const std::int32_t seconds = std::clamp<std::int32_t>(exitTime, 0, 2147483);
  return seconds == 0 ? 1u : static_cast<std::uint32_t>(seconds) * 1000u;
}

ConnectionRun::ConnectionRun(DefUnit::RunningSettings& settings, platform::Services& services,
                             MainView& view, RunTimer& timer1, RunTimer& timer2)
    : settings_(settings), services_(services), view_(view), timer1_(timer1), timer2_(timer2) {}

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
  int finished = 0;
  const int count = std::clamp<int>(settings_.EntryCount, 0, DefUnit::MaxEntries);
  for (int i = 0; i < count && !abandoned_; ++i) {
    std::int32_t& countdown = settings_.Countdown[static_cast<std::size_t>(i)];
    if (countdown == -1) {
      ++finished;
    } else if (countdown == 0 && StoreLockedFor(i)) {
      WaitForStore(i);
    } else if (countdown == 0 && gate_ && !gate_(i)) {
      countdown = -1;
    } else if (countdown == 0) {
      const std::uint32_t code = Attempt(i, true);
      if (code == platform::code::StoreStaysLocked) {
        // Locked since the store was last heard of: a wait all the same.
        WaitForStore(i);
      } else if (code != platform::code::NoError) {
        std::int32_t& errors = settings_.ErrorCount[static_cast<std::size_t>(i)];
        ++errors;
        if (!GivenUp(errors, settings_.MaxError[static_cast<std::size_t>(i)], code)) {
          countdown = settings_.WaitTime[static_cast<std::size_t>(i)];
          services_.App->SetTitle(TitleRetryWait);
        } else {
          countdown = -1;
        }
      } else {
        countdown = -1;
      }
    } else {
      // Wraps instead of overflowing for a wait far below -1.
      countdown = static_cast<std::int32_t>(static_cast<std::uint32_t>(countdown) - 1u);
    }
  }
  if (abandoned_) return;
  if (finished == count) {
    if (services_.LogInRun != nullptr) services_.LogInRun->Release();
    timer1_.SetEnabled(false);
    timer2_.SetEnabled(true);
    services_.App->SetTitle(TitleEnding);
    NotifyGivenUp(count);
  }
}

void ConnectionRun::ConnectNowPass() {
  const int count = std::clamp<int>(settings_.EntryCount, 0, DefUnit::MaxEntries);
  for (int i = 0; i < count && !abandoned_; ++i) Attempt(i);
  if (!abandoned_) timer2_.SetEnabled(true);
}

bool ConnectionRun::StoreLockedFor(int index) {
  return DefUnit::PasswordInStore(settings_, index) && services_.Secrets != nullptr &&
         services_.Secrets->Locked();
}

// A locked store is no failed attempt: the entry waits without using one,
// and is tried at the first tick after the store unlocks (the store's own
// change notice clears Locked()). It gives up once it has waited as long as
// its attempts would have taken, each after its wait.
void ConnectionRun::WaitForStore(int index) {
  const auto slot = static_cast<std::size_t>(index);
  const std::int64_t patience = (std::int64_t{std::max(settings_.WaitTime[slot], 0)} + 1) *
                                std::max(settings_.MaxError[slot], 1);
  if (++lockedTicks_[slot] <= patience) return;
  ++settings_.ErrorCount[slot];
  settings_.Countdown[slot] = -1;
  lastCode_[slot] = platform::code::StoreStaysLocked;
  ReportOutcome(services_, view_, !view_.NoErrorTicked(),
                DefUnit::CredentialNameOf(settings_, index).RemoteName, lastCode_[slot]);
}

std::uint32_t ConnectionRun::Attempt(int index, bool holdIfLocked) {
  const std::uint32_t code = ConnectEntryCode(settings_, services_, view_, index, holdIfLocked);
  const auto slot = static_cast<std::size_t>(index);
  lastCode_[slot] = code;
  // The watcher must not try again what the server refused here, nor hold
  // back what has connected since.
  if (services_.Refused != nullptr &&
      (code == platform::code::NoError || CredentialsRefused(code))) {
    services_.Refused->Record(settings_.ConfigIdentity, DefUnit::FieldText(settings_.NetPath[slot]),
                              DefUnit::FieldText(settings_.UserName[slot]),
                              code != platform::code::NoError);
  }
  return code;
}

// The entries the run gave up, with the message of their latest attempt.
// One the "接続" button connected after the run gave up is not one.
void ConnectionRun::NotifyGivenUp(int count) {
  if (services_.Notices == nullptr) return;
  std::vector<platform::FailedConnection> failed;
  for (int i = 0; i < count; ++i) {
    const auto slot = static_cast<std::size_t>(i);
    if (settings_.Countdown[slot] != -1 ||
        !GivenUp(settings_.ErrorCount[slot], settings_.MaxError[slot], lastCode_[slot])) {
      continue;
    }
    failed.push_back(
        {DefUnit::FieldText(settings_.NetPath[slot]), ConnectErrorMessage(lastCode_[slot])});
  }
  if (!failed.empty()) services_.Notices->ConnectionsFailed(failed);
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
