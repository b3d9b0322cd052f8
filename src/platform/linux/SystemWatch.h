// The watcher's composition on Linux: its events on the session and system
// buses, each connection call in a process of its own, its log on standard
// error.
#include "platform/Backends.h"

#include "platform/linux/CommonBackends.h"
#include "platform/linux/GioNetwork.h"
#include "platform/linux/LinuxWatch.h"

namespace platform {

struct WatchBackends::Parts {
  explicit Parts(std::uint32_t attemptMilliseconds)
      : Events([this](const std::string& line) { Log.Write(line); }, Stop),
        Network("/proc/self/exe", Stop, attemptMilliseconds),
        Probes(GioNetwork::DefaultDrivesFolder(), Stop, &Network) {}

  LinuxWatchLog Log;
  // First: the stop signals are blocked before any thread starts.
  StopSignal Stop;
  LinuxWatchEvents Events;
  ProcessNetwork Network;
  LinuxWatchProbes Probes;
  CommonBackends Rest;
};

WatchBackends::WatchBackends(std::uint32_t attemptMilliseconds)
    : parts_(std::make_unique<Parts>(attemptMilliseconds)), set_(Pointers(*parts_)) {}

WatchBackends::~WatchBackends() = default;

const char* const WatchBackends::StopText =
    "止めるには / to stop it: pkill -x kayoiji-reconnect"
    " (1 秒以内に終わります / ends within 1 s)\n";

std::optional<int> WatchBackends::RunChildCall(const std::vector<std::string>& args) {
  if (args.size() != 2 || args[1] != ProcessNetwork::Option) return std::nullopt;
  GioNetwork direct;
  return RunNetworkCall(direct);
}

}  // namespace platform
