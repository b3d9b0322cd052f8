// Linux's composition: GIO/GVfs connections, the Secret Service, desktop
// notices; the watcher's events on the session and system buses.
#include "platform/Backends.h"

#include "platform/linux/DesktopNotifier.h"
#include "platform/linux/GioNetwork.h"
#include "platform/linux/LinuxSystem.h"
#include "platform/linux/LinuxWatch.h"
#include "platform/linux/SecretServiceStore.h"

namespace platform {

namespace {

// What both programs have alike, made in this order.
struct Common {
  LinuxKeyboard Keys;
  LinuxOsIdentity Os;
  SecretServiceStore Secrets;
  DesktopNotifier Notices;

  BackendSet With(NetworkService& network) { return {&network, &Keys, &Os, &Secrets, &Notices}; }
};

}  // namespace

struct ProgramBackends::Parts {
  GioNetwork Network;
  Common Rest;
};

ProgramBackends::ProgramBackends()
    : parts_(std::make_unique<Parts>()), set_(parts_->Rest.With(parts_->Network)) {}

ProgramBackends::~ProgramBackends() = default;

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
  Common Rest;
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
