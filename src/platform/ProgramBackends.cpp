// The window program's composition: the system's own network and the
// backends both programs have. Each system's library builds this file with
// its own folder first on the include path, so SystemBackends.h is the one of
// platform/linux or platform/windows. It includes none of the watcher's
// backends: the window program links none of them, nor their system libraries.
#include "SystemBackends.h"
#include "platform/Backends.h"

namespace platform {

struct ProgramBackends::Parts {
  ProgramNetwork Network;
  SystemBackends Rest;
};

ProgramBackends::ProgramBackends() : parts_(std::make_unique<Parts>()) {}

ProgramBackends::~ProgramBackends() = default;

void ProgramBackends::Fill(Services& services) const {
  PointAt(services, parts_->Network, parts_->Rest);
}

}  // namespace platform
