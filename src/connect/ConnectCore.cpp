#include "connect/ConnectCore.h"

#include <algorithm>
#include <vector>

#include "platform/RemoteName.h"

namespace Connection {

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

AttemptRequest RequestOf(DefUnit::ConnectionSettings& settings, int index) {
  const auto slot = static_cast<std::size_t>(index);
  DefUnit::TextField& path = settings.NetPath[slot];
  // A final 0x5C may be the second byte of 表 or ソ: only a backslash of its own goes.
  DefUnit::SetField(path, platform::WithoutTrailingBackslash(DefUnit::FieldText(path)));
  AttemptRequest request;
  request.RemoteName = DefUnit::FieldText(path);
  request.LocalName = DefUnit::FieldText(settings.LocalDrive[slot]);
  request.UserName = DefUnit::FieldText(settings.UserName[slot]);
  return request;
}

std::uint32_t CallPlatform(platform::Services& services, bool holdShiftKey,
                           const AttemptRequest& request,
                           const std::function<void(AttemptStage)>& between) {
  platform::NetworkService& network = *services.Network;
  const auto stage = [&between](AttemptStage reached) {
    if (between) between(reached);
  };
  stage(AttemptStage::Starting);
  const std::intptr_t search = network.ProbeOpen(request.RemoteName + "\\*.*", kProbeAttributeMask);
  stage(AttemptStage::Probing);
  if (search != 0) network.ProbeClose(search);
  stage(AttemptStage::Calling);

  platform::NetResource resource;
  resource.dwType = 0;  // RESOURCETYPE_ANY
  resource.LocalName = request.LocalName;
  resource.RemoteName = request.RemoteName;
  if (holdShiftKey) services.Keys->KeybdEvent(platform::VK_SHIFT_KEY, 0, 0, 0);
  const std::uint32_t code = network.AddConnection(resource, request.Password, request.UserName, 0);
  stage(AttemptStage::Called);
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

std::int64_t EntrySeconds(const DefUnit::ConnectionSettings& settings, int index) {
  const auto slot = static_cast<std::size_t>(index);
  return (std::int64_t{std::max(settings.WaitTime[slot], 0)} + 1) *
         std::max(settings.MaxError[slot], 1);
}

std::int64_t LongestRunSeconds(const DefUnit::RunningSettings& settings) {
  std::int64_t seconds = 0;
  const int count =
      settings.DoMapping ? std::clamp<int>(settings.EntryCount, 0, DefUnit::MaxEntries) : 0;
  for (int i = 0; i < count; ++i) {
    if (settings.WaitTime[static_cast<std::size_t>(i)] < 0) continue;
    seconds = std::max(seconds, EntrySeconds(settings, i));
  }
  return seconds;
}

Schedule::Schedule(DefUnit::RunningSettings& settings, platform::Services& services)
    : settings_(settings), services_(services) {}

int Schedule::Count() const {
  return std::clamp<int>(settings_.EntryCount, 0, DefUnit::MaxEntries);
}

bool Schedule::Due(int index) const {
  return settings_.Countdown[static_cast<std::size_t>(index)] == 0;
}

void Schedule::SetAside(int index) {
  settings_.Countdown[static_cast<std::size_t>(index)] = -1;
}

bool Schedule::Done() const {
  const auto end = settings_.Countdown.begin() + Count();
  return std::all_of(settings_.Countdown.begin(), end,
                     [](std::int32_t countdown) { return countdown == -1; });
}

bool Schedule::Pass(Attempts& attempts, const bool& stopped) {
  int done = 0;
  const int count = Count();
  for (int i = 0; i < count && !stopped; ++i) {
    if (settings_.Countdown[static_cast<std::size_t>(i)] == -1) {
      ++done;
    } else {
      PassEntry(attempts, i);
    }
  }
  return !stopped && done == count;
}

void Schedule::PassEntry(Attempts& attempts, int index) {
  const auto slot = static_cast<std::size_t>(index);
  std::int32_t& countdown = settings_.Countdown[slot];
  if (countdown != 0) {
    // Wraps instead of overflowing for a wait far below -1.
    countdown = static_cast<std::int32_t>(static_cast<std::uint32_t>(countdown) - 1u);
    return;
  }
  if (StoreLocked(index)) {
    WaitForStore(attempts, index);
    return;
  }
  const std::uint32_t code = attempts.Attempt(index);
  Record(index, code);
  if (code == platform::code::StoreStaysLocked) {
    // Locked since the store was last heard of: a wait all the same.
    WaitForStore(attempts, index);
  } else if (code == platform::code::NoError) {
    countdown = -1;
  } else if (!GivenUp(++settings_.ErrorCount[slot], settings_.MaxError[slot], code)) {
    countdown = settings_.WaitTime[slot];
    attempts.Retrying(index);
  } else {
    countdown = -1;
  }
}

void Schedule::Record(int index, std::uint32_t code) {
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
}

bool Schedule::StoreLocked(int index) const {
  return DefUnit::PasswordInStore(settings_, index) && services_.Secrets != nullptr &&
         services_.Secrets->Locked();
}

// A locked store is no failed attempt: the entry waits without using one,
// and is tried at the first tick after the store unlocks (the store's own
// change notice clears Locked()). It gives up once it has waited as long as
// its attempts would have taken, each after its wait.
void Schedule::WaitForStore(Attempts& attempts, int index) {
  const auto slot = static_cast<std::size_t>(index);
  if (++lockedTicks_[slot] <= EntrySeconds(settings_, index)) return;
  ++settings_.ErrorCount[slot];
  settings_.Countdown[slot] = -1;
  lastCode_[slot] = platform::code::StoreStaysLocked;
  attempts.StoreStayedLocked(index);
}

void Schedule::NotifyGivenUp() const {
  if (services_.Notices == nullptr) return;
  std::vector<platform::FailedConnection> failed;
  for (int i = 0; i < Count(); ++i) {
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

}  // namespace Connection
