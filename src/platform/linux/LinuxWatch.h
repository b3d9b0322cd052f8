// The reconnect watcher's events on Linux: GIO's network monitor and
// logind's PrepareForSleep on the system bus, one instance per session bus,
// ending with it.
#pragma once

#include <functional>
#include <string>

#include "platform/Services.h"
#include "platform/SessionState.h"
#include "platform/Watch.h"

namespace platform {

class GioNetwork;

// Raised once the watcher is told to end (SIGTERM, SIGINT, SIGHUP): every
// wait of a check watches it, so that the watcher ends within a second
// whatever it is waiting for.
class StopSignal {
 public:
  StopSignal();
  ~StopSignal();
  StopSignal(const StopSignal&) = delete;
  StopSignal& operator=(const StopSignal&) = delete;
  void Raise();
  bool Raised() const;
  // Readable once raised.
  int Fd() const { return fds_[0]; }

 private:
  int fds_[2] = {-1, -1};
};

class LinuxWatchEvents : public WatchEvents {
 public:
  // The session bus name that keeps a second watcher of the session out.
  static constexpr const char* BusName = "io.kayoiji.Reconnect";

  // Blocks the stop signals in the calling thread, and so in every thread
  // started after it: make it before anything that starts threads.
  LinuxWatchEvents(std::function<void(const std::string&)> log, StopSignal& stop);
  ~LinuxWatchEvents() override;
  LinuxWatchEvents(const LinuxWatchEvents&) = delete;
  LinuxWatchEvents& operator=(const LinuxWatchEvents&) = delete;

  int Run(Handler& handler) override;
  void StartTimer(std::uint32_t milliseconds) override;

 private:
  void StopTimer();
  static int TimerDone(void* self);

  std::function<void(const std::string&)> log_;
  StopSignal& stop_;
  Handler* handler_ = nullptr;
  unsigned timer_ = 0;
};

class ProcessNetwork;

// Drive links in `drivesFolder` (GioNetwork's), mounts in GVfs's folder;
// mounts are taken down through `network` (none: they stay).
class LinuxWatchProbes : public WatchProbes {
 public:
  LinuxWatchProbes(std::string drivesFolder, const StopSignal& stop,
                   ProcessNetwork* network = nullptr)
      : drivesFolder_(std::move(drivesFolder)),
        stop_(stop),
        network_(network),
        mounts_(SessionFolder(), SessionIdentity()) {}
  EntryState State(const std::string& localName, const std::string& remoteName) override;
  std::string MountOf(const std::string& localName, const std::string& remoteName) override;
  bool MadeByUs(const std::string& root) override;
  std::uint32_t TakeDown(const std::string& root) override;
  // The name looked up and the port connected within `milliseconds`
  // together, and the server answering an SMB negotiation within them: a
  // server that takes the connection and says nothing does not answer.
  bool ServerAnswers(const std::string& host, std::uint16_t port,
                     std::uint32_t milliseconds) override;

 private:
  std::string drivesFolder_;
  const StopSignal& stop_;
  ProcessNetwork* network_;
  // The mounts this user's connections made, in the session's folder.
  SessionMounts mounts_;
};

// The connections of the watcher, each call in a process of its own that
// runs GioNetwork (RunNetworkCall): a long-lived GVfs client keeps talking
// to mount daemons that have gone with their mounts, and its calls cannot
// be bounded or stopped. A call that takes longer than `limitMilliseconds`
// is ended as a server that did not answer; one under way when the watcher
// is told to end is ended as cancelled.
class ProcessNetwork : public NetworkService {
 public:
  ProcessNetwork(std::string program, const StopSignal& stop, std::uint32_t limitMilliseconds);
  std::uint32_t AddConnection(const NetResource& request, const std::string& password,
                              const std::string& userName, std::uint32_t flags) override;
  std::uint32_t CancelConnection(const std::string& localName, std::uint32_t flags,
                                 bool force) override;
  // The call's own process probes the path before it connects.
  std::intptr_t ProbeOpen(const std::string&, std::uint32_t) override { return 0; }
  void ProbeClose(std::intptr_t) override {}
  // GioNetwork::TakeDown in the call's own process, waited for a moment only.
  std::uint32_t TakeDown(const std::string& root);

  // The option that makes the program the process of one call.
  static constexpr const char* Option = "--network-call";

 private:
  // The call's code; `late` when it has not ended within `limitMilliseconds`.
  std::uint32_t Call(const std::string& request, std::uint32_t limitMilliseconds,
                     std::uint32_t late);

  std::string program_;
  const StopSignal& stop_;
  std::uint32_t limit_;
};

// The process of one call: reads the request from standard input, makes the
// call through `network`, writes its code to standard output; the exit status.
int RunNetworkCall(GioNetwork& network);

// The watcher's log: one line on standard error, which the desktop session
// hands to the journal (or to its own log file).
class LinuxWatchLog {
 public:
  void Write(const std::string& line);
};

}  // namespace platform
