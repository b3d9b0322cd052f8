#include "platform/linux/LinuxSystem.h"

namespace platform {

void LinuxKeyboard::KeybdEvent(std::uint8_t, std::uint8_t, std::uint32_t, std::uintptr_t) {}

}  // namespace platform
