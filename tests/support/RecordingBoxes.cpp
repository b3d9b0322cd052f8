#include "support/RecordingBoxes.h"

namespace testsupport {

platform::BoxAnswer RecordingBoxes::Show(const platform::Box& box) {
  Shown.push_back(box);
  if (WhileOpen) WhileOpen(box);
  if (Answers.empty()) return platform::BoxAnswer::Ok;
  const platform::BoxAnswer a = Answers.front();
  Answers.pop_front();
  return a;
}

}  // namespace testsupport
