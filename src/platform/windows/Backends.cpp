// Windows's composition: the WNet calls, the Credential Manager; the
// watcher's events through a hidden window and the address-change notification.
#include "platform/Backends.h"

#include "platform/windows/Win32CredentialStore.h"
#include "platform/windows/Win32Network.h"
#include "platform/windows/Win32System.h"
#include "platform/windows/Win32Watch.h"

namespace platform {

namespace {

// What both programs have alike, made in this order. No desktop notices.
struct Common {
  Win32Keyboard Keys;
  Win32OsIdentity Os;
  Win32CredentialStore Secrets;

  BackendSet With(NetworkService& network) { return {&network, &Keys, &Os, &Secrets, nullptr}; }
};

}  // namespace

struct ProgramBackends::Parts {
  Win32Network Network;
  Common Rest;
};

ProgramBackends::ProgramBackends()
    : parts_(std::make_unique<Parts>()), set_(parts_->Rest.With(parts_->Network)) {}

ProgramBackends::~ProgramBackends() = default;

struct WatchBackends::Parts {
  explicit Parts(std::uint32_t attemptMilliseconds)
      : Events([this](const std::string& line) { Log.Write(line); }),
        Network(attemptMilliseconds) {}

  Win32WatchLog Log;
  Win32WatchEvents Events;
  Win32WatchNetwork Network;
  Win32WatchProbes Probes;
  Common Rest;
};

WatchBackends::WatchBackends(std::uint32_t attemptMilliseconds)
    : parts_(std::make_unique<Parts>(attemptMilliseconds)), set_(Pointers(*parts_)) {}

WatchBackends::~WatchBackends() = default;

const char* const WatchBackends::StopText =
    "止めるには / to stop it: taskkill /IM KayoijiReconnect.exe\n";

// Each call is made in a thread of the watcher's own process.
std::optional<int> WatchBackends::RunChildCall(const std::vector<std::string>&) {
  return std::nullopt;
}

}  // namespace platform
