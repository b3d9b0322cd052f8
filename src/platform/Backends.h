// Each system's backends, composed once: platform/linux and platform/windows
// each name their parts (SystemBackends.h, SystemWatch.h), and CMake builds
// the system's own. The window program and the reconnect watcher take them
// from here. No toolkit: the watcher links none. Each program's composition
// stands in a file of its own (ProgramBackends.cpp, WatchBackends.cpp), so
// that the window program links none of the watcher's backends, nor their
// system libraries.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Services.h"
#include "platform/Watch.h"

namespace platform {

// The window program's: the network, the keyboard, the OS identity, the
// secret store and, where the system has them, desktop notices.
class ProgramBackends {
 public:
  ProgramBackends();
  ~ProgramBackends();

  // Points `services` at them; leaves the other services as they are.
  void Fill(Services& services) const;

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

// The watcher's: its log, its events and probes, and the services of the
// program with a network whose every call is bounded by `attemptMilliseconds`.
// Made before anything that starts a thread: on Linux it blocks the stop
// signals, which every later thread inherits.
class WatchBackends {
 public:
  explicit WatchBackends(std::uint32_t attemptMilliseconds);
  ~WatchBackends();

  // One line of the watcher's log (UTF-8, no line end).
  void Log(const std::string& line) const;
  WatchEvents& Events();
  WatchProbes& Probes();
  // Points `services` at the network, the keyboard, the OS identity, the
  // secret store and the notices; leaves the others as they are.
  void Fill(Services& services) const;

  // How the user stops the watcher: the usage text's last line, with its line end.
  static const char* const StopText;
  // When `args` make the program the process of one network call (Linux's
  // watcher makes each call in one): that call's exit status.
  static std::optional<int> RunChildCall(const std::vector<std::string>& args);

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

// Points `services` at a composition's `network` and at `rest`, the
// backends both programs have (SystemBackends of platform/linux or
// platform/windows); leaves the other services as they are.
template <typename Rest>
void PointAt(Services& services, NetworkService& network, Rest& rest) {
  services.Network = &network;
  services.Keys = &rest.Keys;
  services.Os = &rest.Os;
  services.Secrets = &rest.Secrets;
  // Not every system has desktop notices.
  if constexpr (requires { rest.Notices; }) services.Notices = &rest.Notices;
}

}  // namespace platform
