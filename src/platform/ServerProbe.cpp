#include "platform/ServerProbe.h"

namespace platform {

int MillisecondsLeft(ProbeClock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - ProbeClock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

bool ServerAnswersAt(const std::string& host, std::uint16_t port, std::uint32_t milliseconds,
                     const LookUpAddresses& lookUp, const AddressAnswers& answers) {
  const ProbeClock::time_point deadline =
      ProbeClock::now() + std::chrono::milliseconds(milliseconds);
  for (const ServerAddress& address : lookUp(host, port, deadline)) {
    if (answers(address, deadline)) return true;
  }
  return false;
}

}  // namespace platform
