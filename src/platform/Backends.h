// Each system's backends, composed once (in platform/linux and
// platform/windows; CMake builds the system's own): the window program and
// the reconnect watcher take them from here. No toolkit: the watcher links
// none. Each program's composition stands in a file of its own, so that the
// window program links none of the watcher's backends, nor their system
// libraries.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Services.h"
#include "platform/Watch.h"

namespace platform {

// Where a composition's backends are: the services' fields it fills.
struct BackendSet {
  NetworkService* Network = nullptr;
  Keyboard* Keys = nullptr;
  OsIdentity* Os = nullptr;
  SecretStore* Secrets = nullptr;
  // Null where the system has no desktop notices.
  Notifier* Notices = nullptr;

  // Points the services at them; leaves the others as they are.
  void Fill(Services& services) const {
    services.Network = Network;
    services.Keys = Keys;
    services.Os = Os;
    services.Secrets = Secrets;
    services.Notices = Notices;
  }
};

// The window program's: the network, the keyboard, the OS identity, the
// secret store and, where the system has them, desktop notices.
class ProgramBackends {
 public:
  ProgramBackends();
  ~ProgramBackends();
  ProgramBackends(const ProgramBackends&) = delete;
  ProgramBackends& operator=(const ProgramBackends&) = delete;

  void Fill(Services& services) const { set_.Fill(services); }

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
  BackendSet set_;
};

// The watcher's: its log, its events and probes, and the services of the
// program with a network whose every call is bounded by `attemptMilliseconds`.
// Made before anything that starts a thread: on Linux it blocks the stop
// signals, which every later thread inherits.
class WatchBackends {
 public:
  explicit WatchBackends(std::uint32_t attemptMilliseconds);
  ~WatchBackends();
  WatchBackends(const WatchBackends&) = delete;
  WatchBackends& operator=(const WatchBackends&) = delete;

  // One line of the watcher's log (UTF-8, no line end).
  void Log(const std::string& line) const { set_.Log(line); }
  WatchEvents& Events() { return *set_.Events; }
  WatchProbes& Probes() { return *set_.Probes; }
  void Fill(Services& services) const { set_.Backends.Fill(services); }

  // How the user stops the watcher: the usage text's last line, with its line end.
  static const char* const StopText;
  // When `args` make the program the process of one network call (Linux's
  // watcher makes each call in one): that call's exit status.
  static std::optional<int> RunChildCall(const std::vector<std::string>& args);

 private:
  struct Set {
    std::function<void(const std::string&)> Log;
    WatchEvents* Events = nullptr;
    WatchProbes* Probes = nullptr;
    BackendSet Backends;
  };
  // Each system's parts have alike names.
  template <typename Parts>
  static Set Pointers(Parts& parts) {
    return {[&parts](const std::string& line) { parts.Log.Write(line); }, &parts.Events,
            &parts.Probes, parts.Rest.With(parts.Network)};
  }

  struct Parts;
  std::unique_ptr<Parts> parts_;
  Set set_;
};

}  // namespace platform
