// The window-free core of the connection run: the message for a platform
// result, one attempt's steps, and each entry's schedule (countdown, attempts,
// giving up) with its once-a-second pass. The main window's timers and the
// resident watcher both drive it, each in its own terms.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/Services.h"
#include "settings/DefUnit.h"

namespace Connection {

// The message for a platform result code; empty for 0.
std::string ConnectErrorMessage(std::uint32_t code);

// True when `code` says the server refused the entry's credentials.
bool CredentialsRefused(std::uint32_t code);

// Whether an entry takes no further attempt in a run after `errorCount`
// failures, the latest with `lastCode`: its `maxError` attempts are used up
// (at least one is always made), or retrying cannot help and can hurt
// (refused credentials, another user name for the same server). Never for
// a connected entry (`lastCode` 0).
bool GivenUp(std::int32_t errorCount, std::int32_t maxError, std::uint32_t lastCode);

// One connection request as the user or the settings give it (Shift-JIS).
struct AttemptRequest {
  std::string RemoteName;
  std::string LocalName;
  std::string UserName;
  std::string Password;
};

// Entry `index`'s request, without its password. A backslash of its own at
// the end of the remote path goes, in the settings too.
AttemptRequest RequestOf(DefUnit::ConnectionSettings& settings, int index);

// Where an attempt stands when `between` is called: a window pumps its
// messages there, and shows before the call that it is busy.
enum class AttemptStage { Starting, Probing, Calling, Called };

// The steps of a connection attempt: probe the path (it wakes a sleeping
// path; the outcome is unused), press Shift if asked, call the platform,
// release Shift. Returns the platform's code.
std::uint32_t CallPlatform(platform::Services& services, bool holdShiftKey,
                           const AttemptRequest& request,
                           const std::function<void(AttemptStage)>& between);

// The password for entry `index`'s attempt: the settings' own, or the
// secret store's when the entry keeps it there (never asking the user to
// unlock it). Any other code than NoError says why there is none.
std::uint32_t PasswordForAttempt(const DefUnit::ConnectionSettings& settings,
                                 platform::Services& services, int index, std::string& password);

// True when the system reports the platform and version that need Shift
// held during a connection call (NT, major version 5).
bool DecideHoldShiftKey(platform::OsIdentity* os);

// The line the program and the watcher give once as they start when the
// drives they connect stay hidden from the user's other programs (an
// elevated administrator's); empty otherwise.
std::string DrivesHiddenWarning(platform::OsIdentity* os);

// The seconds entry `index`'s attempts can take, each after its wait: how
// long it waits for a locked store before it gives up.
std::int64_t EntrySeconds(const DefUnit::ConnectionSettings& settings, int index);
// The longest any entry of a run of `settings` can take (entries that are
// never tried do not count).
std::int64_t LongestRunSeconds(const DefUnit::RunningSettings& settings);

// What a pass asks of whoever drives the run.
class Attempts {
 public:
  virtual ~Attempts() = default;
  // Attempts the due entry `index` and gives the platform's code. A store
  // found locked ends it before it begins, without a word, with
  // code::StoreStaysLocked: the schedule then waits for the store.
  virtual std::uint32_t Attempt(int index) = 0;
  // Entry `index` failed and waits for its next attempt.
  virtual void Retrying(int) {}
  // Entry `index` gave up waiting for its locked store.
  virtual void StoreStayedLocked(int) {}
};

// Each entry's countdown (in the settings: -1 once it is done), attempts
// and giving up, over the running settings.
class Schedule {
 public:
  Schedule(DefUnit::RunningSettings& settings, platform::Services& services);

  // One second of the run: each entry waits a second less, a due one is
  // attempted (or waits for its locked store) and then is done or waits
  // again. `stopped` is read between entries; a stopped pass goes no
  // further. True when every entry was done as the pass came to it.
  bool Pass(Attempts& attempts, const bool& stopped);
  // Keeps the code of an attempt of entry `index` made outside a pass (the
  // "接続" button's), as a pass keeps its own.
  void Record(int index, std::uint32_t code);

  int Count() const;
  bool Due(int index) const;
  // Done without an attempt.
  void SetAside(int index);
  // Every entry is done.
  bool Done() const;
  // The platform's code of entry `index`'s latest attempt.
  std::uint32_t LastCode(int index) const { return lastCode_[static_cast<std::size_t>(index)]; }
  // Whether entry `index`'s password is in a store known to be locked.
  bool StoreLocked(int index) const;
  // Names the entries given up, with the message of their latest attempt,
  // through the services' notices. One connected since is not named.
  void NotifyGivenUp() const;

 private:
  void PassEntry(Attempts& attempts, int index);
  void WaitForStore(Attempts& attempts, int index);

  DefUnit::RunningSettings& settings_;
  platform::Services& services_;
  std::array<std::uint32_t, DefUnit::MaxEntries> lastCode_{};
  // The ticks each entry has waited for a locked store.
  std::array<std::int64_t, DefUnit::MaxEntries> lockedTicks_{};
};

}  // namespace Connection
