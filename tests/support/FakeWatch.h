// The reconnect watcher's system as a test drives it: the timer it would
// start, the state of each entry and whether servers answer.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "platform/Watch.h"

namespace testsupport {

class FakeWatchEvents : public platform::WatchEvents {
 public:
  int Run(Handler&) override { return 0; }
  void StartTimer(std::uint32_t milliseconds) override {
    Timer = milliseconds;
    ++Starts;
  }
  void StopTimer() override { Timer.reset(); }
  // The timer's delay while it runs, and how often it was started.
  std::optional<std::uint32_t> Timer;
  int Starts = 0;
};

class FakeWatchProbes : public platform::WatchProbes {
 public:
  platform::EntryState State(const std::string& localName, const std::string&) override {
    const auto found = States.find(localName);
    return found != States.end() ? found->second : platform::EntryState::Missing;
  }
  bool ServerAnswers(const std::string&, std::uint16_t, std::uint32_t) override {
    ++Probes;
    return Answers;
  }
  std::map<std::string, platform::EntryState> States;  // by local name; Missing otherwise
  bool Answers = true;
  int Probes = 0;
};

// A clock that moves only when the test moves it.
struct FakeClock {
  std::chrono::steady_clock::time_point Time{std::chrono::hours(1)};
  void Advance(std::uint32_t milliseconds) { Time += std::chrono::milliseconds(milliseconds); }
};

}  // namespace testsupport
