// The watcher's composition on Windows: its events through a hidden window
// and the address-change notification, each connection call in a thread.
#include "platform/Backends.h"

#include "platform/windows/CommonBackends.h"
#include "platform/windows/Win32Watch.h"

namespace platform {

struct WatchBackends::Parts {
  explicit Parts(std::uint32_t attemptMilliseconds)
      : Events([this](const std::string& line) { Log.Write(line); }),
        Network(attemptMilliseconds) {}

  Win32WatchLog Log;
  Win32WatchEvents Events;
  Win32WatchNetwork Network;
  Win32WatchProbes Probes;
  CommonBackends Rest;
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
