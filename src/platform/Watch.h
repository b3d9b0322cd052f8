// What the reconnect watcher needs of the system: the events that wake it,
// one timer, and what it asks about a connection before trying it again.
// Linux and Windows each have one backend; nothing here polls.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Services.h"

namespace platform {

class WatchEvents {
 public:
  class Handler {
   public:
    virtual ~Handler() = default;
    enum class Wake { NetworkChanged, Resumed };
    // The network came, went or changed, or the machine woke from sleep.
    virtual void Woken(Wake why) = 0;
    virtual void TimerFired() = 0;
  };

  virtual ~WatchEvents() = default;
  // Delivers events to `handler` until the session ends (or the process is
  // told to stop); returns the exit status. Calls return only between events.
  virtual int Run(Handler& handler) = 0;
  // One shot after `milliseconds`; starting it again replaces the old one.
  virtual void StartTimer(std::uint32_t milliseconds) = 0;
};

// How a connection entry stands right now.
enum class EntryState {
  Missing,    // not connected: nothing at its letter, or a link that leads nowhere
  Connected,  // its letter (or, without one, the share) is connected to its share and answers
  Stale,      // its letter holds this program's link into the share, which no longer lists
  Occupied,   // its letter is taken by something else
};

class WatchProbes {
 public:
  virtual ~WatchProbes() = default;
  // `localName` and `remoteName` are the entry's Shift-JIS texts.
  virtual EntryState State(const std::string& localName, const std::string& remoteName) = 0;
  // Whether something accepts a TCP connection at host:port within `milliseconds`.
  virtual bool ServerAnswers(const std::string& host, std::uint16_t port,
                             std::uint32_t milliseconds) = 0;

  // Where a connection is a mount of the system's own (Linux: GVfs), which
  // holds up whatever touches it while its server is silent. The defaults
  // are a system without such mounts.
  //
  // The mount the entry's letter leads into (without a letter: its share's
  // mount), found without touching the mount or its server; empty when there
  // is none.
  virtual std::string MountOf(const std::string&, const std::string&) { return {}; }
  // Whether this user's connections made the mount at `root` in this session.
  virtual bool MadeByUs(const std::string&) { return false; }
  // Unmounts `root`, never forced, leaving the drive link as it is:
  // code::NoError, or code::OpenFiles when something holds it open.
  virtual std::uint32_t TakeDown(const std::string&) { return code::NotConnected; }
};

}  // namespace platform
