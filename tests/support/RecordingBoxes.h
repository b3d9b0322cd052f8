// The message-box double every test uses: records each box, runs
// WhileOpen while it stands "open" (its nested loop), then answers with the
// next queued answer, OK when none is queued. No box ever waits on a user.
#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "platform/Services.h"

namespace testsupport {

class RecordingBoxes : public platform::MessageBoxes {
 public:
  platform::BoxAnswer Show(const platform::Box& box) override;
  std::vector<platform::Box> Shown;
  std::deque<platform::BoxAnswer> Answers;
  std::function<void(const platform::Box&)> WhileOpen;
};

}  // namespace testsupport
