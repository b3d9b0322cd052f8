// The run's timer double: it only remembers what it was told.
#pragma once

#include <cstdint>

#include "connect/ConnectUnit.h"

namespace testsupport {

class FakeTimer : public Connection::RunTimer {
 public:
  bool Enabled() const override { return enabled; }
  void SetEnabled(bool e) override {
    if (e && !enabled) ++starts;
    enabled = e;
  }
  void SetInterval(std::uint32_t ms) override { interval = ms; }
  bool enabled = false;
  std::uint32_t interval = 0;
  int starts = 0;  // how often a full interval was started
};

}  // namespace testsupport
