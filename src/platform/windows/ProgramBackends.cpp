// The window program's composition on Windows: the WNet calls and the rest
// both programs have alike.
#include "platform/Backends.h"

#include "platform/windows/CommonBackends.h"
#include "platform/windows/Win32Network.h"

namespace platform {

struct ProgramBackends::Parts {
  Win32Network Network;
  CommonBackends Rest;
};

ProgramBackends::ProgramBackends()
    : parts_(std::make_unique<Parts>()), set_(parts_->Rest.With(parts_->Network)) {}

ProgramBackends::~ProgramBackends() = default;

}  // namespace platform
