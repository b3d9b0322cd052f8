// The session's folder and mark on POSIX systems: the user's runtime folder,
// and a lock on a file, which the kernel drops with the process.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/SessionState.h"

namespace platform {

namespace {

bool Absolute(const char* path) {
  return path != nullptr && path[0] == '/';
}

// Where GVfs keeps its mounts too: the runtime folder, else the cache folder.
std::string SessionParent() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); Absolute(runtime)) return runtime;
  if (const char* cache = std::getenv("XDG_CACHE_HOME"); Absolute(cache)) return cache;
  if (const char* home = std::getenv("HOME"); Absolute(home)) return std::string(home) + "/.cache";
  return {};
}

}  // namespace

std::string SessionFolder() {
  const std::string parent = SessionParent();
  if (parent.empty()) return {};
  const std::string folder = parent + "/kayoiji";
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return {};
  // Only a folder of the user's own, never one another user put there.
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
    return {};
  }
  return folder;
}

// logind's session number, which starts again at each boot: with the boot's own.
std::string SessionIdentity() {
  std::string boot;
  if (std::FILE* file = std::fopen("/proc/sys/kernel/random/boot_id", "re")) {
    char text[64] = {};
    if (std::fgets(text, sizeof text, file) != nullptr) boot = text;
    std::fclose(file);
  }
  while (!boot.empty() && boot.back() == '\n') boot.pop_back();
  const char* id = std::getenv("XDG_SESSION_ID");
  return boot + "/" + (id != nullptr ? id : "");
}

SessionMark::SessionMark(const std::string& folder, const std::string& name)
    : path_(folder.empty() ? std::string() : folder + "/" + name) {}

SessionMark::~SessionMark() {
  Release();
}

bool SessionMark::Hold() {
  if (handle_ >= 0) return true;
  if (path_.empty()) return false;
  const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  handle_ = fd;
  return true;
}

void SessionMark::Release() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
  handle_ = -1;
}

bool SessionMark::HeldElsewhere() const {
  if (path_.empty() || handle_ >= 0) return false;
  const int fd = ::open(path_.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);
  return held;
}

}  // namespace platform
