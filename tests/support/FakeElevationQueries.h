// The token and policy queries of the elevation rule, answered by the test:
// Wine gives every process the elevated token of a split one.
#pragma once

#include <cstdint>

#include "platform/windows/Win32System.h"

namespace testsupport {

class FakeElevationQueries : public platform::ElevationQueries {
 public:
  std::uint32_t TokenElevationType() override { return elevationType; }
  std::uint32_t EnableLinkedConnections() override { return linkedConnections; }
  std::uint32_t elevationType = 0;
  std::uint32_t linkedConnections = 0;
};

}  // namespace testsupport
