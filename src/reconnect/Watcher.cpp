#include "reconnect/Watcher.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

#include "platform/Codec.h"
#include "platform/Errors.h"
#include "platform/FileIO.h"
#include "platform/RemoteName.h"
#include "platform/SessionState.h"

namespace Reconnect {

namespace words = platform::words;

namespace {

constexpr std::uint32_t kTickMilliseconds = 1000;
constexpr int kLongestSettle = 4;
// The program marks its log-in run once it has started, and the watcher waits
// while the mark is held. Before it, the watcher goes by what the run's waits
// take, but never longer than this: the mark says the rest.
constexpr std::int64_t kLogInRunStarts = 30;
// A log-in run that holds its mark longer than this is not waited for.
constexpr std::int64_t kLongestLogInRun = 600;

const char* WakeText(platform::WatchEvents::Handler::Wake why) {
  return why == platform::WatchEvents::Handler::Wake::Resumed ? words::Resumed
                                                              : words::NetworkChanged;
}

}  // namespace

std::optional<Options> ParseCommandLine(const std::vector<std::string>& args, std::string& error) {
  Options options;
  options.CommandLine = args;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const bool hasValue = i + 1 < args.size();
    if (args[i] == "-f" || args[i] == "-F") {
      if (!hasValue) {
        error = words::FileMissingAfterF;
        return std::nullopt;
      }
      ++i;
    } else if (args[i] == "--settle") {
      unsigned seconds = 0;
      const std::string value = hasValue ? args[i + 1] : std::string();
      const auto [end, failed] =
          std::from_chars(value.data(), value.data() + value.size(), seconds);
      if (value.empty() || failed != std::errc() || end != value.data() + value.size() ||
          seconds > 600) {
        error = words::SettleOutOfRange;
        return std::nullopt;
      }
      options.SettleMilliseconds = seconds * 1000;
      ++i;
    } else if (args[i] == "--keep-mounts") {
      options.KeepMounts = true;
    } else {
      error = words::UnknownOption + args[i];
      return std::nullopt;
    }
  }
  return options;
}

std::string ConfigFileProblem(const std::string& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (status.type() == std::filesystem::file_type::not_found) return words::FileNotFound;
  if (error) return words::FileNotExamined;
  if (status.type() == std::filesystem::file_type::directory) return words::FileIsFolder;
  if (status.type() != std::filesystem::file_type::regular) return words::FileNotRegular;
  if (!platform::FileOpensForReading(path)) return words::FileNotReadable;
  return {};
}

Watcher::Watcher(platform::Services services, platform::WatchEvents& events,
                 platform::WatchProbes& probes, LogLine log, Options options)
    : services_(std::move(services)),
      events_(events),
      probes_(probes),
      log_(std::move(log)),
      options_(std::move(options)) {
  started_ = options_.Now();
  // Reported at once: the first event may be far off.
  const std::string file = DefUnit::ConfigFileNameOf(options_.CommandLine);
  if (const std::string problem = ConfigFileProblem(file); !problem.empty()) {
    log_(words::ConfigLine(file, problem));
  }
  if (!options_.SessionFolder.empty()) {
    logInRun_ =
        std::make_unique<platform::SessionMark>(options_.SessionFolder, platform::LogInRunMark);
  }
}

Watcher::~Watcher() = default;

template <typename Step>
void Watcher::Guarded(Step step) {
  try {
    step();
    return;
  } catch (const std::exception& failure) {
    const std::string entry =
        phase_ == Phase::Checking && underAttempt_ >= 0 ? PathText(underAttempt_) + ": " : "";
    log_(entry + platform::UserMessage(failure));
  }
  if (phase_ == Phase::Checking && underAttempt_ >= 0) {
    attempted_[static_cast<std::size_t>(underAttempt_)] = false;
    ++tally_.Failed;
  }
  if (phase_ != Phase::Checking) return;
  try {
    EndCheck();
  } catch (const std::exception&) {
    schedule_.reset();
    phase_ = Phase::Idle;
  }
}

void Watcher::Woken(Wake why) {
  Guarded([&] { Arrived(why); });
}

void Watcher::TimerFired() {
  Guarded([&] { Settled(); });
}

void Watcher::Arrived(Wake why) {
  const auto now = options_.Now();
  switch (phase_) {
    case Phase::Checking:
      // Whatever changed during a check gets one check of its own afterwards.
      if (!pending_) pendingWhy_ = why;
      pending_ = true;
      return;
    case Phase::Idle:
      phase_ = Phase::Settling;
      why_ = why;
      firstEvent_ = now;
      events_.StartTimer(SettleDelay(now));
      return;
    case Phase::Settling: {
      // A burst keeps pushing the check back, but not for ever.
      const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(now - firstEvent_);
      const auto limit = std::chrono::milliseconds(std::uint64_t{options_.SettleMilliseconds} *
                                                   (kLongestSettle - 1));
      if (waited < limit) events_.StartTimer(SettleDelay(now));
      if (why == Wake::Resumed) why_ = why;
      return;
    }
  }
}

void Watcher::Settled() {
  if (phase_ == Phase::Settling) {
    // The program's log-in run goes on: it has the letters until it ends,
    // unless it never does (a wait below -1 keeps it going for ever).
    const auto now = options_.Now();
    if (logInRun_ != nullptr && logInRun_->HeldElsewhere()) {
      if (!markSeen_) markSeen_ = now;
      if (now - *markSeen_ < std::chrono::seconds(kLongestLogInRun)) {
        events_.StartTimer(kTickMilliseconds);
        return;
      }
    }
    markSeen_.reset();
    StartCheck();
  } else if (phase_ == Phase::Checking && schedule_ != nullptr) {
    Tick();
  }
}

void Watcher::Tick() {
  for (int i = 0; i < schedule_->Count(); ++i) {
    if (!schedule_->Due(i) || schedule_->StoreLocked(i)) continue;
    const auto slot = static_cast<std::size_t>(i);
    // The program may have been refused meanwhile (its "接続" button); a
    // server that does not answer costs none of the entry's attempts: the
    // next event brings the next check.
    if (HeldBack(i) || !ServerAnswers(i)) {
      schedule_->SetAside(i);
    } else if (stale_[slot]) {
      // Only this program's own link goes; the mount stays with whoever made it.
      stale_[slot] = false;
      services_.Network->CancelConnection(DefUnit::FieldText(settings_.LocalDrive[slot]), 0, false);
    }
  }
  const bool stopped = false;
  schedule_->Pass(*this, stopped);
  underAttempt_ = -1;
  // Unlike the window's run, the check ends as soon as nothing is left,
  // rather than at the next tick.
  if (!schedule_->Done()) {
    events_.StartTimer(kTickMilliseconds);
    return;
  }
  schedule_->NotifyGivenUp();
  EndCheck();
}

std::uint32_t Watcher::SettleDelay(std::chrono::steady_clock::time_point now) {
  if (!logInRunEnds_) {
    // The longest the run can take: each entry's attempts, each after its wait.
    auto settings = std::make_unique<DefUnit::RunningSettings>();
    std::int64_t seconds = 0;
    try {
      DefUnit::ReadSettings(*settings, options_.CommandLine);
      seconds = Connection::LongestRunSeconds(*settings);
    } catch (const platform::Exception&) {
    }
    logInRunEnds_ =
        started_ + std::chrono::seconds(std::min<std::int64_t>(seconds, kLogInRunStarts));
  }
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(*logInRunEnds_ - now).count();
  return static_cast<std::uint32_t>(std::max<std::int64_t>(options_.SettleMilliseconds, left));
}

void Watcher::StartCheck() {
  phase_ = Phase::Checking;
  log_(std::string(words::CheckStarts) + "(" + WakeText(why_) + ")");
  tally_ = platform::words::CheckCounts{};
  offline_.clear();
  answers_.clear();
  attempted_.fill(false);
  stale_.fill(false);
  underAttempt_ = -1;
  schedule_ = std::make_unique<Connection::Schedule>(settings_, services_);
  LoadCheckSettings();
  SortEntries();
  // An entry without a wait is tried as the check begins, not a second later.
  Tick();
}

void Watcher::LoadCheckSettings() {
  settings_ = DefUnit::RunningSettings{};
  settings_.HoldShiftKey = Connection::DecideHoldShiftKey(services_.Os);
  const std::string file = DefUnit::ConfigFileNameOf(options_.CommandLine);
  try {
    if (const std::string box = DefUnit::ReadSettings(settings_, options_.CommandLine);
        !box.empty()) {
      const std::string problem = ConfigFileProblem(file);
      log_(words::ConfigLine(file, problem.empty() ? box : problem));
    }
  } catch (const DefUnit::BadValue& error) {
    // The value may be a password's: the key says where.
    log_(words::ConfigLine(file, error.Key + words::ValueUnreadable));
    settings_.EntryCount = 0;
  } catch (const platform::Exception& error) {
    log_(words::ConfigLine(file, error.what()));
    settings_.EntryCount = 0;
  }
  if (!settings_.DoMapping) settings_.EntryCount = 0;
}

void Watcher::SortEntries() {
  for (int i = 0; i < EntriesInCheck(); ++i) {
    const auto slot = static_cast<std::size_t>(i);
    // A wait below -1 would keep the run, and so every later check, from ever ending.
    if (settings_.Countdown[slot] < 0) {
      schedule_->SetAside(i);
      ++tally_.NotTried;
      continue;
    }
    if (HeldBack(i) || ServerGone(i)) {
      schedule_->SetAside(i);
      continue;
    }
    switch (probes_.State(DefUnit::FieldText(settings_.LocalDrive[slot]),
                          DefUnit::FieldText(settings_.NetPath[slot]))) {
      case platform::EntryState::Connected:
        schedule_->SetAside(i);
        ++tally_.AlreadyConnected;
        break;
      case platform::EntryState::Occupied:
        schedule_->SetAside(i);
        Taken(i);
        break;
      case platform::EntryState::Stale:
        stale_[slot] = true;
        break;
      case platform::EntryState::Missing:
        break;
    }
  }
}

int Watcher::EntriesInCheck() const {
  return std::clamp<int>(settings_.EntryCount, 0, DefUnit::MaxEntries);
}

std::string Watcher::PathText(int index) const {
  return platform::SjisToUtf8(
      DefUnit::FieldText(settings_.NetPath[static_cast<std::size_t>(index)]));
}

std::string Watcher::EntryName(int index) const {
  const std::string local =
      DefUnit::FieldText(settings_.LocalDrive[static_cast<std::size_t>(index)]);
  return PathText(index) + (local.empty() ? "" : " (" + local + ")");
}

bool Watcher::ServerGone(int index) {
  const auto slot = static_cast<std::size_t>(index);
  const std::string local = DefUnit::FieldText(settings_.LocalDrive[slot]);
  const std::string remote = DefUnit::FieldText(settings_.NetPath[slot]);
  // Only a connected entry's server is asked here: looking into its mount
  // would wait for the server far longer than the question does.
  const std::string mount = probes_.MountOf(local, remote);
  if (mount.empty()) return false;
  const std::optional<platform::Server> server = platform::ServerOf(remote);
  if (!server) return false;
  // One question per server and check: shares of one silent server add no waits.
  const auto asked = answers_.try_emplace({server->Host, server->Port}, false);
  if (asked.second) {
    asked.first->second =
        probes_.ServerAnswers(server->Host, server->Port, ServerAnswerMilliseconds);
  }
  const std::pair<std::string, std::string> entry{remote, local};
  if (asked.first->second) {
    busy_.erase(entry);
    return false;
  }
  ++tally_.Unreachable;
  // Never a mount that someone else made: it is theirs to keep. One taken
  // down is still listed until GVfs has given up on the server.
  if (options_.KeepMounts || takenDown_.count(entry) != 0 || !probes_.MadeByUs(mount)) {
    return true;
  }
  const std::uint32_t code = probes_.TakeDown(mount);
  std::string line;
  if (code == platform::code::NoError) {
    // The link stays, leading nowhere: whatever touches it fails at once
    // until the server answers and a check connects it again.
    line = words::TakenDown;
    takenDown_.insert(entry);
    offline_.push_back({platform::Utf8ToSjis(EntryName(index)), line});
  } else if (code == platform::code::OpenFiles || code == platform::code::Busy) {
    // Said once an outage: it is asked again at every event.
    if (!busy_.insert(entry).second) return true;
    line = words::KeptInUse;
  } else {
    line = words::NotTakenDown + Connection::ConnectErrorMessage(code);
  }
  log_(EntryName(index) + ": " + line);
  return true;
}

void Watcher::Taken(int index) {
  const auto slot = static_cast<std::size_t>(index);
  ++tally_.Taken;
  log_(words::DriveTaken(PathText(index), DefUnit::FieldText(settings_.LocalDrive[slot])));
}

bool Watcher::HeldBack(int index) {
  const auto slot = static_cast<std::size_t>(index);
  if (services_.Refused == nullptr ||
      !services_.Refused->Refused(settings_.ConfigIdentity,
                                  DefUnit::FieldText(settings_.NetPath[slot]),
                                  DefUnit::FieldText(settings_.UserName[slot]))) {
    return false;
  }
  ++tally_.HeldBack;
  return true;
}

bool Watcher::ServerAnswers(int index) {
  const std::optional<platform::Server> server =
      platform::ServerOf(DefUnit::FieldText(settings_.NetPath[static_cast<std::size_t>(index)]));
  if (!server || probes_.ServerAnswers(server->Host, server->Port, ServerAnswerMilliseconds)) {
    return true;
  }
  ++tally_.Unreachable;
  return false;
}

std::uint32_t Watcher::Attempt(int index) {
  attempted_[static_cast<std::size_t>(index)] = true;
  underAttempt_ = index;
  Connection::AttemptRequest request = Connection::RequestOf(settings_, index);
  const std::uint32_t code =
      Connection::PasswordForAttempt(settings_, services_, index, request.Password);
  if (code != platform::code::NoError) return code;
  return Connection::CallPlatform(services_, settings_.HoldShiftKey, request, nullptr);
}

void Watcher::EndCheck() {
  const int count = EntriesInCheck();
  for (int i = 0; i < count; ++i) {
    const auto slot = static_cast<std::size_t>(i);
    const std::uint32_t code = schedule_ != nullptr ? schedule_->LastCode(i) : 0;
    // An entry that gave up waiting for a locked store was never attempted.
    if (!attempted_[slot] && code != platform::code::StoreStaysLocked) continue;
    if (code == platform::code::NoError) {
      ++tally_.Connected;
      if (takenDown_.erase({DefUnit::FieldText(settings_.NetPath[slot]),
                            DefUnit::FieldText(settings_.LocalDrive[slot])}) != 0) {
        log_(EntryName(i) + ": " + words::BackAgain);
      }
      continue;
    }
    // One whose server went away between its attempts waits for the next event.
    if (!Connection::GivenUp(settings_.ErrorCount[slot], settings_.MaxError[slot], code)) continue;
    ++tally_.Failed;
    log_(PathText(i) + ": " + Connection::ConnectErrorMessage(code));
  }
  log_(words::CheckEnded(tally_));
  if (!offline_.empty() && services_.Notices != nullptr) services_.Notices->TakenOffline(offline_);
  offline_.clear();
  schedule_.reset();
  phase_ = Phase::Idle;
  if (pending_) {
    pending_ = false;
    Arrived(pendingWhy_);
  }
}

}  // namespace Reconnect
