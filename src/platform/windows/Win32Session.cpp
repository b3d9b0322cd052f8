// The session's folder and mark on Windows: the user's local application
// data, and a file opened without sharing, which closes with the process.
#include <windows.h>
//
#include <shlobj.h>

#include <cstdio>

#include "platform/SessionState.h"

namespace platform {

std::string SessionFolder() {
  char folder[MAX_PATH];
  if (SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, folder) !=
      S_OK) {
    return {};
  }
  const std::string path = std::string(folder) + "\\Kayoiji";
  if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return {};
  return path;
}

// The log-on session's own number, new at each log-on.
std::string SessionIdentity() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  TOKEN_STATISTICS statistics{};
  DWORD size = 0;
  const BOOL known =
      GetTokenInformation(token, TokenStatistics, &statistics, sizeof statistics, &size);
  CloseHandle(token);
  if (!known) return {};
  char text[32];
  std::snprintf(text, sizeof text, "%08lx%08lx",
                static_cast<unsigned long>(statistics.AuthenticationId.HighPart),
                static_cast<unsigned long>(statistics.AuthenticationId.LowPart));
  return text;
}

SessionMark::SessionMark(const std::string& folder, const std::string& name)
    : path_(folder.empty() ? std::string() : folder + "\\" + name) {}

SessionMark::~SessionMark() {
  Release();
}

bool SessionMark::Hold() {
  if (handle_ != -1) return true;
  if (path_.empty()) return false;
  HANDLE file = CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  handle_ = reinterpret_cast<std::intptr_t>(file);
  return true;
}

void SessionMark::Release() {
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = -1;
}

bool SessionMark::HeldElsewhere() const {
  if (path_.empty() || handle_ != -1) return false;
  HANDLE file = CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
    return false;
  }
  return GetLastError() == ERROR_SHARING_VIOLATION;
}

}  // namespace platform
