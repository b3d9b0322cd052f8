// The reconnect watcher's events on Linux: GIO's network monitor and
// logind's PrepareForSleep on the system bus, one instance per session bus,
// ending with it.
#pragma once

#include <functional>
#include <string>

#include "platform/Watch.h"

typedef struct _GMainLoop GMainLoop;

namespace platform {

class LinuxWatchEvents : public WatchEvents {
 public:
  // The session bus name that keeps a second watcher of the session out.
  static constexpr const char* BusName = "io.kayoiji.Reconnect";

  explicit LinuxWatchEvents(std::function<void(const std::string&)> log);
  ~LinuxWatchEvents() override;
  LinuxWatchEvents(const LinuxWatchEvents&) = delete;
  LinuxWatchEvents& operator=(const LinuxWatchEvents&) = delete;

  int Run(Handler& handler) override;
  void StartTimer(std::uint32_t milliseconds) override;
  void StopTimer() override;

 private:
  static int TimerDone(void* self);

  std::function<void(const std::string&)> log_;
  Handler* handler_ = nullptr;
  GMainLoop* loop_ = nullptr;
  unsigned timer_ = 0;
};

// Drive links in `drivesFolder` (GioNetwork's), mounts in GVfs's folder.
class LinuxWatchProbes : public WatchProbes {
 public:
  explicit LinuxWatchProbes(std::string drivesFolder) : drivesFolder_(std::move(drivesFolder)) {}
  EntryState State(const std::string& localName, const std::string& remoteName) override;
  bool ServerAnswers(const std::string& host, std::uint16_t port,
                     std::uint32_t milliseconds) override;

 private:
  std::string drivesFolder_;
};

// The watcher's log: one line on standard error, which the desktop session
// hands to the journal (or to its own log file).
class LinuxWatchLog {
 public:
  void Write(const std::string& line);
};

}  // namespace platform
