#include "platform/windows/Win32System.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace platform {

void Win32Keyboard::KeybdEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags,
                               std::uintptr_t extraInfo) {
  keybd_event(vk, scan, flags, extraInfo);
}

// The record the call fills is the original, short one; its size member is
// what tells the call which form it was given.
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA is 148 bytes");

OsVersion Win32OsIdentity::Version() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
  if (!GetVersionExA(&info)) return {};
  return OsVersion{info.dwPlatformId, info.dwMajorVersion};
}

}  // namespace platform
