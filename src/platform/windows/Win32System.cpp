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

std::uint32_t Win32ElevationQueries::TokenElevationType() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return 0;
  TOKEN_ELEVATION_TYPE type{};
  DWORD size = 0;
  const bool ok = GetTokenInformation(token, ::TokenElevationType, &type, sizeof type, &size);
  CloseHandle(token);
  return ok ? static_cast<std::uint32_t>(type) : 0;
}

std::uint32_t Win32ElevationQueries::EnableLinkedConnections() {
  DWORD value = 0;
  DWORD size = sizeof value;
  const LSTATUS status = RegGetValueA(
      HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
      "EnableLinkedConnections", RRF_RT_REG_DWORD, nullptr, &value, &size);
  return status == ERROR_SUCCESS ? value : 0;
}

// Windows keeps an elevated program's connections apart from the ones the
// same user's other programs see, unless the machine links them. A token
// without a split (UAC off, the built-in administrator, a standard user)
// has no other half to hide them from.
bool Win32OsIdentity::DrivesHiddenFromUser() {
  return queries_.TokenElevationType() == TokenElevationTypeFull &&
         queries_.EnableLinkedConnections() == 0;
}

}  // namespace platform
