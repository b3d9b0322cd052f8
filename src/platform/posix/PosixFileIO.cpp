// File access on POSIX systems: descriptors, a rename that replaces, advisory
// locks that tell a live save's temporary file from a stale one.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Errors.h"
#include "platform/FileIO.h"
#include "platform/FileIOShared.h"

namespace platform {

namespace fileio {

bool IsSeparator(char c) {
  return c == '/';
}

unsigned long ProcessId() {
  return static_cast<unsigned long>(::getpid());
}

}  // namespace fileio

using namespace fileio;

char FolderSeparator() {
  return '/';
}

namespace {

constexpr int kMaxLinkHops = 40;  // as the kernel allows

// A regular file only: devices are not even opened, and a pipe that turns
// up between the check and the opening does not block it.
int OpenRegularForReading(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

bool WriteAll(int fd, const std::string& bytes) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

// The file a save writes: `path` with its links followed.
struct Target {
  std::string path;
  std::string folder;  // with its separator; empty for the current folder
  std::string name;
  bool exists = false;
  struct stat st {};
};

// In a folder where everyone may create files and only owners may remove
// them (/tmp and the like), a link is followed only when it is the user's
// or the folder owner's: anyone else may have planted it to make the save
// write where they can read it. The kernel's protected_symlinks rule.
bool MayFollow(const std::string& folder, const struct stat& link) {
  struct stat dir {};
  if (::stat(folder.empty() ? "." : folder.c_str(), &dir) != 0) return false;
  const bool shared = (dir.st_mode & S_ISVTX) && (dir.st_mode & S_IWOTH);
  return !shared || link.st_uid == ::geteuid() || link.st_uid == dir.st_uid;
}

Target Resolve(const std::string& path) {
  Target t;
  t.path = path;
  for (int hops = 0;; ++hops) {
    if (::lstat(t.path.c_str(), &t.st) != 0) {
      // Not there yet; a missing folder shows when the file is created.
      if (errno != ENOENT) throw InOutErrorFromErrno(errno);
      break;
    }
    if (!S_ISLNK(t.st.st_mode)) {
      t.exists = true;
      break;
    }
    const std::string folder = t.path.substr(0, NameStart(t.path));
    if (hops == kMaxLinkHops) throw InOutErrorFromErrno(ELOOP);
    if (!MayFollow(folder, t.st)) throw InOutErrorFromErrno(EACCES);
    std::string to(static_cast<std::size_t>(t.st.st_size > 0 ? t.st.st_size : 4095) + 1, '\0');
    const ssize_t n = ::readlink(t.path.c_str(), to.data(), to.size());
    if (n < 0) throw InOutErrorFromErrno(errno);
    if (static_cast<std::size_t>(n) >= to.size()) throw InOutErrorFromErrno(ENAMETOOLONG);
    to.resize(static_cast<std::size_t>(n));
    t.path = !to.empty() && to[0] == '/' ? to : folder + to;
  }
  t.folder = t.path.substr(0, NameStart(t.path));
  t.name = t.path.substr(t.folder.size());
  return t;
}

// Temporary files of this target that are the user's and that no save holds
// locked any more: what killed saves left behind.
void RemoveStaleTemporaries(const Target& t) {
  DIR* dir = ::opendir(t.folder.empty() ? "." : t.folder.c_str());
  if (dir == nullptr) return;
  const int dirFd = ::dirfd(dir);
  const std::string prefix = TemporaryNamePrefix(t.name);
  while (const dirent* entry = ::readdir(dir)) {
    if (!IsTemporaryOf(entry->d_name, prefix)) continue;
    const int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat opened {};
    struct stat named {};
    if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_uid == ::geteuid() &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        ::fstatat(dirFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        named.st_dev == opened.st_dev && named.st_ino == opened.st_ino) {
      ::unlinkat(dirFd, entry->d_name, 0);
    }
    ::close(fd);
  }
  ::closedir(dir);
}

// Sets the complete temporary file's owner and mode from the old file: its
// mode when it was the user's (with its group, or without the group's
// rights when the group cannot be kept), else the user's alone, whatever
// the umask made of the temporary file.
int TakeOverMode(int fd, const Target& t) {
  struct stat mine {};
  if (::fstat(fd, &mine) != 0) return errno;
  mode_t mode = 0600;
  const uid_t me = ::geteuid();
  if (t.exists && (t.st.st_uid == me || me == 0)) {
    // The administrator saving someone's file keeps it theirs.
    if (me == 0 && ::fchown(fd, t.st.st_uid, t.st.st_gid) == 0) mine.st_gid = t.st.st_gid;
    mode = t.st.st_mode & 0777;
    if (mine.st_gid != t.st.st_gid && ::fchown(fd, static_cast<uid_t>(-1), t.st.st_gid) != 0) {
      mode &= ~static_cast<mode_t>(0070);
    }
  }
  return (mine.st_mode & 0777) == mode || ::fchmod(fd, mode) == 0 ? 0 : errno;
}

// Overwrites the user's own file itself. Room for the whole content is made
// first, so that a full disk stops the save before the old file changes;
// then the content and an empty line are written and flushed, and only then
// is the file cut to the content's length.
void WriteInPlace(const Target& t, const std::string& contents) {
  const int fd = ::open(t.path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) throw InOutErrorFromErrno(errno);
  struct stat st {};
  int err = 0;
  const std::string bytes = InPlaceContents(contents);
  if (::fstat(fd, &st) != 0) {
    err = errno;
  } else if (!S_ISREG(st.st_mode) || st.st_ino != t.st.st_ino || st.st_dev != t.st.st_dev) {
    err = EACCES;  // not the file that was checked
  } else if (const int r = ::posix_fallocate(fd, 0, static_cast<off_t>(bytes.size()));
             r == ENOSPC || r == EDQUOT || r == EFBIG) {
    err = r;
  } else if (!WriteAll(fd, bytes) || ::fdatasync(fd) != 0 ||
             ::ftruncate(fd, static_cast<off_t>(contents.size())) != 0 || ::fsync(fd) != 0) {
    err = errno;
  }
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err != 0) throw InOutErrorFromErrno(err);
}

}  // namespace

bool FileOpensForReading(const std::string& path) {
  if (path.empty()) return false;
  const int fd = OpenRegularForReading(path);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

ReadResult ReadRegularFile(const std::string& path, std::size_t limit, std::string& contents,
                           const std::function<bool(const std::string&)>& enough) {
  if (path.empty()) return ReadResult::NotOpened;
  const int fd = OpenRegularForReading(path);
  if (fd < 0) return ReadResult::NotOpened;
  const ReadResult result = ReadPieces(
      [fd](char* buffer, std::size_t size) -> long {
        ssize_t n;
        do n = ::read(fd, buffer, size);
        while (n < 0 && errno == EINTR);
        return static_cast<long>(n);
      },
      limit, contents, enough);
  ::close(fd);
  return result;
}

void WriteFileReplacing(const std::string& path, const std::string& contents) {
  if (path.empty()) throw EmptyName();
  const Target t = Resolve(path);
  if (t.exists) {
    if (!S_ISREG(t.st.st_mode)) throw InOutErrorFromErrno(S_ISDIR(t.st.st_mode) ? EISDIR : EACCES);
    // As opening it for writing would be: a read-only file stays as it is.
    if (::access(t.path.c_str(), W_OK) != 0) throw InOutErrorFromErrno(errno);
  }
  RemoveStaleTemporaries(t);

  // Readable by the user alone from its creation: it holds the passwords.
  const std::string prefix = t.folder + TemporaryNamePrefix(t.name);
  std::string temp;
  int fd = -1;
  for (int attempt = 0; fd < 0; ++attempt) {
    temp = prefix + RandomSuffix();
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) break;
    const int err = errno;
    if (err == EEXIST && attempt < 100) continue;
    // A folder that takes no new file: the user's own file is written in place.
    if ((err == EACCES || err == EPERM) && t.exists && t.st.st_uid == ::geteuid()) {
      return WriteInPlace(t, contents);
    }
    throw InOutErrorFromErrno(err);
  }
  // Held until the rename, so that no other save takes it for a stale one.
  ::flock(fd, LOCK_EX | LOCK_NB);

  int err = 0;
  if (!WriteAll(fd, contents) || ::fsync(fd) != 0) {
    err = errno;
  } else if ((err = TakeOverMode(fd, t)) == 0 && ::rename(temp.c_str(), t.path.c_str()) != 0) {
    err = errno;
  }
  if (err != 0) ::unlink(temp.c_str());
  ::close(fd);
  if (err != 0) throw InOutErrorFromErrno(err);
}

std::string CommandLineFileName(const std::string& given) {
  return given;
}

void SeedUserConfiguration(const std::string&, std::size_t) {}

}  // namespace platform
