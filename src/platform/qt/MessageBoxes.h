// Message boxes on Qt. In tests the boxes are not shown: each is recorded
// and answered from a queue, so no test ever waits on a modal box.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/Services.h"

namespace platform::qt {

class QtMessageBoxes : public platform::MessageBoxes {
 public:
  platform::BoxAnswer Show(const platform::Box& box) override;

  // Test hook: from now on boxes are recorded, not shown.
  static void EnableTestMode();
  // In test mode, also show each box for real (with the program's own
  // placement and modality) while the "while open" callback runs.
  static void ShowBoxesInTests(bool show);
  // The answer for the next recorded box (OK when the queue is empty).
  static void QueueAnswer(platform::BoxAnswer answer);
  // A callback run while a recorded box is "open" (its nested loop).
  static void SetWhileOpen(std::function<void()> action);
  static std::vector<platform::Box>& Recorded();
  static void ClearRecorded();
};

}  // namespace platform::qt
