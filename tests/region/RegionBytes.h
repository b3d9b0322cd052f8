// Region data as bytes, for the tests of the region and of the picture
// control that reads it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "region/RegionData.h"

namespace regiontests {

using Bytes = std::vector<std::uint8_t>;

inline void SetU32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline Bytes TwoRects() {
  return RegionData::ToRgnData({{0, 0, 10, 5}, {20, 5, 30, 8}});
}

}  // namespace regiontests
