// The window program's composition on Linux: GIO/GVfs connections and the rest
// both programs have alike.
#include "platform/Backends.h"

#include "platform/linux/CommonBackends.h"
#include "platform/linux/GioNetwork.h"

namespace platform {

struct ProgramBackends::Parts {
  GioNetwork Network;
  CommonBackends Rest;
};

ProgramBackends::ProgramBackends()
    : parts_(std::make_unique<Parts>()), set_(parts_->Rest.With(parts_->Network)) {}

ProgramBackends::~ProgramBackends() = default;

}  // namespace platform
