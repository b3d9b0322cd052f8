#include "platform/FileIO.h"

#include <cerrno>
#include <cstdio>

#include "platform/Errors.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

bool FileOpensForReading(const std::string& path) {
  if (path.empty()) return false;
#ifndef _WIN32
  // A folder opens for reading here but holds no lines.
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return false;
#endif
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  std::fclose(f);
  return true;
}

bool ReadWholeFile(const std::string& path, std::string& contents) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  contents.clear();
  char buffer[16384];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) contents.append(buffer, n);
  const bool ok = std::ferror(f) == 0;
  std::fclose(f);
  return ok;
}

namespace {

EInOutError EmptyName() {
  return EInOutError("ファイル名が指定されていません", EINVAL);
}

}  // namespace

#ifdef _WIN32

namespace {
EInOutError FromWin32(DWORD err) {
  switch (err) {
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_SHARING_VIOLATION:
      return EInOutError("ファイルへのアクセスが拒否されました", static_cast<int>(err));
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return EInOutError("ディスクがいっぱいです", static_cast<int>(err));
    default:
      return EInOutError("I/O エラー (" + std::to_string(err) + ")", static_cast<int>(err));
  }
}
}  // namespace

void WriteFileReplacing(const std::string& path, const std::string& contents) {
  if (path.empty()) throw EmptyName();
  const std::string temp = path + ".tmp~";
  HANDLE h = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw FromWin32(GetLastError());
  DWORD written = 0;
  const BOOL ok =
      WriteFile(h, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr) &&
      written == contents.size() && FlushFileBuffers(h);
  const DWORD writeErr = ok ? 0 : GetLastError();
  if (!CloseHandle(h) || !ok) {
    const DWORD err = ok ? GetLastError() : writeErr;
    DeleteFileA(temp.c_str());
    throw FromWin32(err);
  }
  if (!MoveFileExA(temp.c_str(), path.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD err = GetLastError();
    DeleteFileA(temp.c_str());
    throw FromWin32(err);
  }
}

#else

void WriteFileReplacing(const std::string& path, const std::string& contents) {
  if (path.empty()) throw EmptyName();

  // The file holds passwords: a new one is for its owner only.
  mode_t mode = S_IRUSR | S_IWUSR;
  struct stat existing {};
  if (::stat(path.c_str(), &existing) == 0) {
    if (S_ISDIR(existing.st_mode)) throw InOutErrorFromErrno(EISDIR);
    mode = existing.st_mode & 07777;
  }

  std::string temp = path + ".XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) throw InOutErrorFromErrno(errno);

  auto fail = [&](int err) {
    ::close(fd);
    ::unlink(temp.c_str());
    throw InOutErrorFromErrno(err);
  };

  if (::fchmod(fd, mode) != 0) fail(errno);
  const char* p = contents.data();
  std::size_t left = contents.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(errno);
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0) fail(errno);
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    throw InOutErrorFromErrno(err);
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    throw InOutErrorFromErrno(err);
  }
}

#endif

}  // namespace platform
