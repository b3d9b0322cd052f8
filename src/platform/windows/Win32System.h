// Keyboard injection and the operating-system version on Windows.
#pragma once

#include "platform/Services.h"

namespace platform {

class Win32Keyboard : public Keyboard {
 public:
  void KeybdEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags,
                  std::uintptr_t extraInfo) override;
};

class Win32OsIdentity : public OsIdentity {
 public:
  OsVersion Version() override;
};

}  // namespace platform
