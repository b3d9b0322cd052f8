// The watcher's composition: the parts SystemWatch.h of platform/linux or
// platform/windows names (each system's library builds this file with its
// own folder first on the include path).
#include "SystemWatch.h"
#include "platform/Backends.h"

namespace platform {

struct WatchBackends::Parts : WatchParts {
  using WatchParts::WatchParts;
};

WatchBackends::WatchBackends(std::uint32_t attemptMilliseconds)
    : parts_(std::make_unique<Parts>(attemptMilliseconds)) {}

WatchBackends::~WatchBackends() = default;

void WatchBackends::Log(const std::string& line) const {
  parts_->Log.Write(line);
}

WatchEvents& WatchBackends::Events() {
  return parts_->Events;
}

WatchProbes& WatchBackends::Probes() {
  return parts_->Probes;
}

void WatchBackends::Fill(Services& services) const {
  PointAt(services, parts_->Network, parts_->Rest);
}

const char* const WatchBackends::StopText = WatchParts::StopText;

std::optional<int> WatchBackends::RunChildCall(const std::vector<std::string>& args) {
  return WatchParts::RunChildCall(args);
}

}  // namespace platform
