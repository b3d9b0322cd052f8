// Message boxes on Qt: the program's boxes, modal to what asked for them.
#pragma once

#include <memory>

#include "platform/Services.h"

class QMessageBox;

namespace platform::qt {

class QtMessageBoxes : public platform::MessageBoxes {
 public:
  platform::BoxAnswer Show(const platform::Box& box) override;
};

// The toolkit's box for `box` with its buttons ("OK" the default), placed
// and made modal as Show places it; not shown yet.
std::unique_ptr<QMessageBox> MakeMessageBox(const platform::Box& box);

}  // namespace platform::qt
