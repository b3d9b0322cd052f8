// The keyboard and operating-system identity on Linux, where neither exists
// in the form the program asks for.
#pragma once

#include "platform/Services.h"

namespace platform {

// Key injection into other programs is not available: every event is dropped.
class LinuxKeyboard : public Keyboard {
 public:
  void KeybdEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags,
                  std::uintptr_t extraInfo) override;
};

// Reports zeros ("cannot tell"), which never asks for the Shift workaround.
class LinuxOsIdentity : public OsIdentity {
 public:
  OsVersion Version() override { return {}; }
  // One user's mounts are the same for all of the user's programs.
  bool DrivesHiddenFromUser() override { return false; }
};

}  // namespace platform
