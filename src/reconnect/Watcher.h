// The resident reconnect watcher: after a network change or a resume it
// checks every connection of the configuration once, leaves the connected
// ones alone and runs the others on the program's own schedule of attempts,
// with nothing on screen.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "connect/ConnectCore.h"
#include "platform/Services.h"
#include "platform/SessionState.h"
#include "platform/Watch.h"
#include "platform/WatchWords.h"
#include "settings/DefUnit.h"

namespace Reconnect {

// One line for the log (UTF-8, no line end).
using LogLine = std::function<void(const std::string&)>;

// How long a connect to the server's port may take before a check.
constexpr std::uint32_t ServerAnswerMilliseconds = 3000;

struct Options {
  // The program's path first, then its parameters ("-f" as the program takes it).
  std::vector<std::string> CommandLine;
  // Events closer together than this are one; a stream of events is cut
  // off after four times as long.
  std::uint32_t SettleMilliseconds = KAYOIJI_SETTLE_SECONDS * 1000;
  // A mount of this user's whose server stops answering stays (whatever
  // touches its drive then waits for the server) rather than being taken down.
  bool KeepMounts = false;
  // Where the program marks its log-in run (platform::SessionFolder()); empty: no mark.
  std::string SessionFolder;
  std::function<std::chrono::steady_clock::time_point()> Now = std::chrono::steady_clock::now;
};

// The most a connection call of a check may take: a server that takes the
// connection and never answers must not hold the check for long.
constexpr std::uint32_t AttemptMilliseconds = 20000;

// The options of `args` (the program's path first): "-f FILE",
// "--settle SECONDS" (0 to 600) and "--keep-mounts". Empty, with the reason
// in `error`, for anything else.
std::optional<Options> ParseCommandLine(const std::vector<std::string>& args, std::string& error);

// What keeps the configuration file `path` from being read ("見つかりません"
// and the like); empty when it reads.
std::string ConfigFileProblem(const std::string& path);

class Watcher : public platform::WatchEvents::Handler, private Connection::Attempts {
 public:
  // `services` gives the network, keyboard, OS identity, secret store,
  // refusals and notices; nothing is shown, so no boxes and no application.
  Watcher(platform::Services services, platform::WatchEvents& events, platform::WatchProbes& probes,
          LogLine log, Options options);
  ~Watcher() override;

  void Woken(Wake why) override;
  void TimerFired() override;

 private:
  enum class Phase { Idle, Settling, Checking };

  // Runs one event's work; a failure is logged with the entry under attempt
  // and ends the check, and the watcher waits for the next event.
  template <typename Step>
  void Guarded(Step step);
  void Arrived(Wake why);
  void Settled();
  void StartCheck();
  // The check's settings from the configuration, or none, with a log line
  // that says why.
  void LoadCheckSettings();
  // Sets each entry aside that needs no attempt, or cannot have one now.
  void SortEntries();
  // One second of the check.
  void Tick();
  void EndCheck();
  // A due entry's attempt (Connection::Attempts).
  std::uint32_t Attempt(int index) override;
  // Whether the entry's server answers; counts it when not.
  bool ServerAnswers(int index);
  // Whether the entry's credentials were refused under this configuration
  // (by the program or the watcher); counts it held back.
  bool HeldBack(int index);
  int EntriesInCheck() const;
  // Whether the entry is connected through a mount whose server does not
  // answer (counted so); then the mount is not touched, or, when this user's
  // connections made it, taken down.
  bool ServerGone(int index);
  // "\\host\share" in UTF-8, for the log.
  std::string PathText(int index) const;
  // "\\host\share (X:)" in UTF-8, for the log and the notice.
  std::string EntryName(int index) const;
  // Logs that the entry's letter is something else's, and counts it.
  void Taken(int index);
  // How long the settle timer runs for an event at `now`.
  std::uint32_t SettleDelay(std::chrono::steady_clock::time_point now);

  platform::Services services_;
  platform::WatchEvents& events_;
  platform::WatchProbes& probes_;
  LogLine log_;
  Options options_;

  Phase phase_ = Phase::Idle;
  Wake why_ = Wake::NetworkChanged;
  std::chrono::steady_clock::time_point firstEvent_;
  // The log-in run starts with the watcher: until it can have ended, a check
  // would race it for the same letters (and make it show "既に接続されています。").
  std::chrono::steady_clock::time_point started_;
  std::unique_ptr<platform::SessionMark> logInRun_;
  // Since when this check has waited for the log-in run's mark.
  std::optional<std::chrono::steady_clock::time_point> markSeen_;
  std::optional<std::chrono::steady_clock::time_point> logInRunEnds_;
  bool pending_ = false;
  Wake pendingWhy_ = Wake::NetworkChanged;

  DefUnit::RunningSettings settings_;
  std::unique_ptr<Connection::Schedule> schedule_;
  std::array<bool, DefUnit::MaxEntries> attempted_{};
  // Entries whose letter holds this program's link into a share that no
  // longer lists: the link goes just before the attempt.
  std::array<bool, DefUnit::MaxEntries> stale_{};
  int underAttempt_ = -1;
  // What became of the check's entries. Its failures include attempts that
  // ended in a failure of the watcher's own; held back: refused credentials,
  // configuration unchanged; not tried: a wait below 0, which the program's
  // run never tries either.
  platform::words::CheckCounts tally_;
  // The entries (remote and local name) whose mounts were taken down, until
  // a check connects them again; and this check's, for its notice.
  std::set<std::pair<std::string, std::string>> takenDown_;
  std::vector<platform::FailedConnection> offline_;
  // The entries left connected because they were in use, until their server answers.
  std::set<std::pair<std::string, std::string>> busy_;
  // Whether each server (host, port) of a connected entry answered in this check.
  std::map<std::pair<std::string, std::uint16_t>, bool> answers_;
};

}  // namespace Reconnect
