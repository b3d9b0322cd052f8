// The watcher's backends on Linux: its events on the session and system
// buses, each connection call in a process of its own, its log on standard
// error.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/LinuxWatch.h"
#include "platform/linux/SystemBackends.h"

namespace platform {

struct WatchParts {
  static constexpr const char* StopText =
      "止めるには / to stop it: pkill -x kayoiji-reconnect"
      " (1 秒以内に終わります / ends within 1 s)\n";

  // The process of one network call that the watcher starts for each.
  static std::optional<int> RunChildCall(const std::vector<std::string>& args) {
    if (args.size() != 2 || args[1] != ProcessNetwork::Option) return std::nullopt;
    GioNetwork direct;
    return RunNetworkCall(direct);
  }

  explicit WatchParts(std::uint32_t attemptMilliseconds)
      : Events([this](const std::string& line) { Log.Write(line); }, Stop),
        Network("/proc/self/exe", Stop, attemptMilliseconds),
        Probes(GioNetwork::DefaultDrivesFolder(), Stop, &Network) {}

  LinuxWatchLog Log;
  // First: the stop signals are blocked before any thread starts.
  StopSignal Stop;
  LinuxWatchEvents Events;
  ProcessNetwork Network;
  LinuxWatchProbes Probes;
  SystemBackends Rest;
};

}  // namespace platform
