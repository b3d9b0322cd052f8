// The reconnect watcher's events on Windows: the address-change
// notification and the resume broadcast, one instance per log-on session,
// ending with the session.
#pragma once

#include <functional>
#include <string>

#include "platform/Watch.h"
#include "platform/windows/Win32Network.h"

namespace platform {

class Win32WatchEvents : public WatchEvents {
 public:
  // The hidden window's class, which the resume broadcast reaches.
  static constexpr const char* WindowClass = "KayoijiReconnect";
  // In the session's namespace: one watcher per log-on session.
  static constexpr const char* MutexName = "Local\\Kayoiji.Reconnect";

  explicit Win32WatchEvents(std::function<void(const std::string&)> log);
  int Run(Handler& handler) override;
  void StartTimer(std::uint32_t milliseconds) override;

  // The window procedure's part (public for the procedure only).
  void Resumed();

 private:
  std::function<void(const std::string&)> log_;
  Handler* handler_ = nullptr;
  bool timerOn_ = false;
  unsigned long long due_ = 0;
};

class Win32WatchProbes : public WatchProbes {
 public:
  EntryState State(const std::string& localName, const std::string& remoteName) override;
  bool ServerAnswers(const std::string& host, std::uint16_t port,
                     std::uint32_t milliseconds) override;
};

// The watcher's connections: Win32Network's calls, each in a thread of its
// own while the watcher's window goes on taking messages, so that neither a
// resume nor the session's end waits for a server that does not answer. A
// call that takes longer than `limitMilliseconds` is left to itself and
// counts as a server that did not answer; once the watcher is told to end,
// calls are cancelled. Closing a probe's search waits for nothing.
class Win32WatchNetwork : public Win32Network {
 public:
  explicit Win32WatchNetwork(std::uint32_t limitMilliseconds) : limit_(limitMilliseconds) {}
  std::uint32_t AddConnection(const NetResource& request, const std::string& password,
                              const std::string& userName, std::uint32_t flags) override;
  std::uint32_t CancelConnection(const std::string& localName, std::uint32_t flags,
                                 bool force) override;
  std::intptr_t ProbeOpen(const std::string& pattern, std::uint32_t attributeMask) override;

 private:
  // `call`'s result; `late` when the limit passes first, `cancelled` when the
  // watcher is told to end.
  std::intptr_t InThread(std::function<std::intptr_t()> call, std::intptr_t late,
                         std::intptr_t cancelled);
  // A connection call's code: code::NoNetOrBadPath when it is late,
  // code::Cancelled once the watcher is told to end.
  std::uint32_t CallInThread(std::function<std::uint32_t()> call);

  std::uint32_t limit_;
  bool ending_ = false;
};

// The watcher's log: %LOCALAPPDATA%\Kayoiji\reconnect.log, each line with
// its time. Past 64 KiB the file becomes reconnect.log.old and a new one
// begins, so the two never take more than 128 KiB.
class Win32WatchLog {
 public:
  Win32WatchLog();
  void Write(const std::string& line);

 private:
  std::string path_;
};

}  // namespace platform
