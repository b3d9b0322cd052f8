#include "platform/windows/Win32Network.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <winnetwk.h>

namespace platform {

std::uint32_t Win32Network::AddConnection(const NetResource& request, const std::string& password,
                                          const std::string& userName, std::uint32_t flags) {
  // NETRESOURCEA holds writable pointers; the call only reads through them.
  std::string localName = request.LocalName;
  std::string remoteName = request.RemoteName;
  NETRESOURCEA resource{};
  resource.dwScope = request.dwScope;
  resource.dwType = request.dwType;
  resource.dwDisplayType = request.dwDisplayType;
  resource.dwUsage = request.dwUsage;
  // Empty texts stay empty texts: a null local name would mean something else.
  resource.lpLocalName = localName.data();
  resource.lpRemoteName = remoteName.data();
  resource.lpComment = nullptr;
  resource.lpProvider = nullptr;  // the system picks the network provider
  return WNetAddConnection2A(&resource, password.c_str(), userName.c_str(), flags);
}

std::uint32_t Win32Network::CancelConnection(const std::string& localName, std::uint32_t flags,
                                             bool force) {
  return WNetCancelConnection2A(localName.c_str(), flags, force ? TRUE : FALSE);
}

// FindFirstFileA takes no attribute mask: it returns entries of every kind
// (read-only, hidden, system, directory, archive). The mask the program asks
// for, 63, admits every kind too, so the first entry found is the one a
// masked search would stop at, and there is nothing to filter.
std::intptr_t Win32Network::ProbeOpen(const std::string& pattern, std::uint32_t) {
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  return reinterpret_cast<std::intptr_t>(search);
}

void Win32Network::ProbeClose(std::intptr_t handle) {
  FindClose(reinterpret_cast<HANDLE>(handle));
}

}  // namespace platform
