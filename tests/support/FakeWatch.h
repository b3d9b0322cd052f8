// The reconnect watcher's system as a test drives it: the timer it would
// start, the state of each entry, whether servers answer and which mounts
// it may take down.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Watch.h"

namespace testsupport {

class FakeWatchEvents : public platform::WatchEvents {
 public:
  int Run(Handler&) override { return 0; }
  void StartTimer(std::uint32_t milliseconds) override {
    Timer = milliseconds;
    ++Starts;
  }
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
  std::string MountOf(const std::string& localName, const std::string&) override {
    const auto found = Mounts.find(localName);
    return found != Mounts.end() ? found->second : std::string();
  }
  bool MadeByUs(const std::string& root) override { return Ours.count(root) != 0; }
  // Taken down, the mount goes and its link leads nowhere.
  std::uint32_t TakeDown(const std::string& root) override {
    TakenDown.push_back(root);
    if (TakeDownCode != platform::code::NoError) return TakeDownCode;
    for (auto it = Mounts.begin(); it != Mounts.end();) {
      if (it->second != root) {
        ++it;
        continue;
      }
      States[it->first] = platform::EntryState::Missing;
      it = Mounts.erase(it);
    }
    return TakeDownCode;
  }
  std::map<std::string, platform::EntryState> States;  // by local name; Missing otherwise
  bool Answers = true;
  int Probes = 0;
  std::map<std::string, std::string> Mounts;  // by local name
  std::set<std::string> Ours;
  std::uint32_t TakeDownCode = platform::code::NoError;
  std::vector<std::string> TakenDown;
};

// A clock that moves only when the test moves it.
struct FakeClock {
  std::chrono::steady_clock::time_point Time{std::chrono::hours(1)};
  void Advance(std::uint32_t milliseconds) { Time += std::chrono::milliseconds(milliseconds); }
};

}  // namespace testsupport
