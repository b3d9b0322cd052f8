// The watcher's backends on Windows: its events through a hidden window and
// the address-change notification, each connection call in a thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/windows/SystemBackends.h"
#include "platform/windows/Win32Watch.h"

namespace platform {

struct WatchParts {
  static constexpr const char* StopText =
      "止めるには / to stop it: taskkill /IM KayoijiReconnect.exe\n";

  // Each call is made in a thread of the watcher's own process.
  static std::optional<int> RunChildCall(const std::vector<std::string>&) { return std::nullopt; }

  explicit WatchParts(std::uint32_t attemptMilliseconds)
      : Events([this](const std::string& line) { Log.Write(line); }),
        Network(attemptMilliseconds) {}

  Win32WatchLog Log;
  Win32WatchEvents Events;
  Win32WatchNetwork Network;
  Win32WatchProbes Probes;
  SystemBackends Rest;
};

}  // namespace platform
