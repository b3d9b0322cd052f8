// What the watchers' server probes share, apart from each system's sockets:
// the time left, and the server's addresses tried in turn.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform {

using ProbeClock = std::chrono::steady_clock;

// What is left of the time until `deadline`, 0 once it has passed.
int MillisecondsLeft(ProbeClock::time_point deadline);

// One address of a server, with its port, as the system's sockets take it
// (a sockaddr's bytes).
struct ServerAddress {
  int Family = 0;
  std::vector<unsigned char> Native;
};

// The system's part of a probe: the addresses of `host` (Shift-JIS) with
// `port`, found before the deadline (none when not in time)...
using LookUpAddresses = std::function<std::vector<ServerAddress>(
    const std::string& host, std::uint16_t port, ProbeClock::time_point deadline)>;
// ...and whether the server at one of them answers before the deadline.
using AddressAnswers =
    std::function<bool(const ServerAddress& address, ProbeClock::time_point deadline)>;

// Whether `host` answers at `port` within `milliseconds`, the look-up and
// the tries together: its addresses are tried in turn until one answers.
bool ServerAnswersAt(const std::string& host, std::uint16_t port, std::uint32_t milliseconds,
                     const LookUpAddresses& lookUp, const AddressAnswers& answers);

}  // namespace platform
