#include "platform/linux/GvfsPath.h"

#include <dirent.h>
#include <glib.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>
#include <system_error>

namespace platform::gio {

namespace {

constexpr char kShareMount[] = "smb-share:";

// GVfs writes the values of a mount's name escaped as in a URI; a bad or
// NUL escape names no share.
std::optional<std::string> Unescape(const std::string& text) {
  g_autofree char* plain = g_uri_unescape_string(text.c_str(), nullptr);
  if (plain == nullptr) return std::nullopt;
  return std::string(plain);
}

// "key=value,key=value" after the mount type.
std::optional<std::map<std::string, std::string>> MountKeys(const std::string& text) {
  std::map<std::string, std::string> keys;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find(',', start), text.size());
    const std::string item = text.substr(start, end - start);
    const std::size_t eq = item.find('=');
    if (eq == std::string::npos || eq == 0) return std::nullopt;
    const std::optional<std::string> value = Unescape(item.substr(eq + 1));
    if (!value) return std::nullopt;
    keys[item.substr(0, eq)] = *value;
    start = end + 1;
  }
  return keys;
}

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

std::string GvfsMountRoot(const std::string& runtimeDir) {
  return WithoutTrailingSlashes(runtimeDir) + "/gvfs";
}

std::optional<std::string> GvfsPathToUnc(const std::string& path, const std::string& runtimeDir) {
  if (runtimeDir.empty() || runtimeDir[0] != '/') return std::nullopt;
  const std::string root = GvfsMountRoot(runtimeDir) + "/";
  if (path.compare(0, root.size(), root) != 0) return std::nullopt;
  const std::string rest = path.substr(root.size());
  const std::size_t slash = rest.find('/');
  const std::string mount = rest.substr(0, slash);
  if (mount.compare(0, sizeof kShareMount - 1, kShareMount) != 0) return std::nullopt;
  const auto keys = MountKeys(mount.substr(sizeof kShareMount - 1));
  if (!keys) return std::nullopt;
  const auto server = keys->find("server");
  const auto share = keys->find("share");
  if (server == keys->end() || share == keys->end()) return std::nullopt;
  const std::string& host = server->second;
  const std::string& name = share->second;
  if (host.empty() || name.empty() || host.find_first_of("\\/@") != std::string::npos ||
      name.find_first_of("\\/") != std::string::npos) {
    return std::nullopt;
  }

  std::string unc = "\\\\" + host;
  const auto port = keys->find("port");
  if (port != keys->end()) {
    const std::string& p = port->second;
    if (p.empty() || !std::all_of(p.begin(), p.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return std::nullopt;
    unc += "@" + p;
  }
  unc += "\\" + name;
  if (slash != std::string::npos) {
    // Folders inside the share; empty steps ("a//b", a final "/") add nothing.
    const std::string sub = rest.substr(slash + 1);
    std::size_t start = 0;
    while (start < sub.size()) {
      const std::size_t end = std::min(sub.find('/', start), sub.size());
      const std::string step = sub.substr(start, end - start);
      if (step == "." || step == ".." || step.find('\\') != std::string::npos) {
        return std::nullopt;
      }
      if (!step.empty()) unc += "\\" + step;
      start = end + 1;
    }
  }
  return unc;
}

std::vector<std::string> GvfsShareMounts(const std::string& runtimeDir) {
  std::vector<std::string> mounts;
  if (runtimeDir.empty()) return mounts;
  std::error_code error;
  for (std::filesystem::directory_iterator it(GvfsMountRoot(runtimeDir), error), end;
       !error && it != end; it.increment(error)) {
    const std::string path = it->path().string();
    if (GvfsPathToUnc(path, runtimeDir)) mounts.push_back(path);
  }
  std::sort(mounts.begin(), mounts.end());
  return mounts;
}

std::string UserRuntimeDir() {
  // GVfs's own rule: without $XDG_RUNTIME_DIR it mounts under the cache folder.
  return g_get_user_runtime_dir();
}

bool MountInUse(const std::string& root) {
  const auto inside = [&root](const std::filesystem::path& link) {
    std::error_code error;
    const std::string target = std::filesystem::read_symlink(link, error).string();
    return !error && target.compare(0, root.size(), root) == 0 &&
           (target.size() == root.size() || target[root.size()] == '/');
  };
  std::error_code error;
  for (std::filesystem::directory_iterator process("/proc", error), end; !error && process != end;
       process.increment(error)) {
    const std::string name = process->path().filename().string();
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
    if (inside(process->path() / "cwd")) return true;
    std::error_code fdError;
    for (std::filesystem::directory_iterator fd(process->path() / "fd", fdError);
         !fdError && fd != end; fd.increment(fdError)) {
      if (inside(fd->path())) return true;
    }
  }
  return false;
}

int ListError(const std::string& path) {
  DIR* dir = ::opendir(path.c_str());
  if (dir == nullptr) return errno;
  errno = 0;
  ::readdir(dir);
  const int error = errno;
  ::closedir(dir);
  return error;
}

}  // namespace platform::gio
