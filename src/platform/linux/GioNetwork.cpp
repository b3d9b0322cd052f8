#include "platform/linux/GioNetwork.h"

#include <dirent.h>
#include <fcntl.h>
#include <gio/gio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/Codec.h"
#include "platform/linux/DriveBookmarks.h"
#include "platform/linux/DriveLinks.h"
#include "platform/linux/GioErrors.h"
#include "platform/linux/GvfsPath.h"
#include "platform/linux/UncPath.h"

namespace platform {

namespace {

// Runs one asynchronous GIO call to its end on a private main context pushed
// as the thread default: the call blocks like its Windows twin, and nothing
// else (the toolkit's events included) is dispatched meanwhile.
class BlockingCall {
 public:
  BlockingCall() : context_(g_main_context_new()) { g_main_context_push_thread_default(context_); }
  ~BlockingCall() {
    g_clear_object(&result_);
    g_main_context_pop_thread_default(context_);
    g_main_context_unref(context_);
  }
  BlockingCall(const BlockingCall&) = delete;
  BlockingCall& operator=(const BlockingCall&) = delete;

  static void Done(GObject*, GAsyncResult* result, gpointer self) {
    static_cast<BlockingCall*>(self)->result_ = G_ASYNC_RESULT(g_object_ref(result));
  }
  GAsyncResult* Wait() {
    while (result_ == nullptr) g_main_context_iteration(context_, TRUE);
    return result_;
  }

 private:
  GMainContext* context_;
  GAsyncResult* result_ = nullptr;
};

// Without GVfs (or without the session bus it needs) GIO knows no smb:// at all.
bool SmbAvailable() {
  const gchar* const* schemes = g_vfs_get_supported_uri_schemes(g_vfs_get_default());
  for (; schemes != nullptr && *schemes != nullptr; ++schemes) {
    if (std::string_view(*schemes) == "smb") return true;
  }
  return false;
}

// What the server is told when it asks for a password. GVfs asks again after
// a refused answer; a second request is therefore aborted, not answered.
struct Credentials {
  std::string Domain;
  std::string User;
  std::string Password;
  bool Anonymous = false;
  int Requests = 0;
  bool Refused = false;
};

void AskPassword(GMountOperation* op, const char*, const char*, const char*,
                 GAskPasswordFlags flags, gpointer data) {
  auto* answer = static_cast<Credentials*>(data);
  if (++answer->Requests > 1) {
    answer->Refused = true;
    g_mount_operation_reply(op, G_MOUNT_OPERATION_ABORTED);
    return;
  }
  if (answer->Anonymous && (flags & G_ASK_PASSWORD_ANONYMOUS_SUPPORTED)) {
    g_mount_operation_set_anonymous(op, TRUE);
  } else {
    g_mount_operation_set_username(op, answer->User.c_str());
    if (!answer->Domain.empty()) g_mount_operation_set_domain(op, answer->Domain.c_str());
    g_mount_operation_set_password(op, answer->Password.c_str());
  }
  g_mount_operation_set_password_save(op, G_PASSWORD_SAVE_NEVER);
  g_mount_operation_reply(op, G_MOUNT_OPERATION_HANDLED);
}

// Nobody is there to answer a question (a host key, a certificate).
void AskQuestion(GMountOperation* op, const char*, GStrv, gpointer) {
  g_mount_operation_reply(op, G_MOUNT_OPERATION_ABORTED);
}

std::uint32_t Mount(GFile* share, const std::string& sjisUser, const std::string& sjisPassword,
                    bool& mountedNow) {
  Credentials answer;
  const gio::Account account = gio::SplitUserName(sjisUser);
  answer.Domain = account.Domain;
  answer.User = account.User;
  answer.Password = SjisToUtf8(sjisPassword);
  answer.Anonymous = sjisUser.empty() && sjisPassword.empty();
  // A password without a user name is the password of the user running us.
  if (answer.User.empty() && !answer.Anonymous) answer.User = g_get_user_name();

  g_autoptr(GMountOperation) op = g_mount_operation_new();
  g_signal_connect(op, "ask-password", G_CALLBACK(AskPassword), &answer);
  g_signal_connect(op, "ask-question", G_CALLBACK(AskQuestion), nullptr);
  g_autoptr(GError) error = nullptr;
  {
    BlockingCall call;
    g_file_mount_enclosing_volume(share, G_MOUNT_MOUNT_NONE, op, nullptr, &BlockingCall::Done,
                                  &call);
    g_file_mount_enclosing_volume_finish(share, call.Wait(), &error);
  }
  // GVfs may keep the operation beyond the call; `answer` does not outlive it.
  g_signal_handlers_disconnect_by_data(op, &answer);
  mountedNow = error == nullptr;
  return gio::WindowsCodeFor(error, {false, answer.Refused, answer.Anonymous});
}

std::uint32_t Unmount(GMount* mount, bool force) {
  g_autoptr(GError) error = nullptr;
  {
    BlockingCall call;
    g_mount_unmount_with_operation(mount, force ? G_MOUNT_UNMOUNT_FORCE : G_MOUNT_UNMOUNT_NONE,
                                   nullptr, nullptr, &BlockingCall::Done, &call);
    g_mount_unmount_with_operation_finish(mount, call.Wait(), &error);
  }
  return gio::WindowsCodeFor(error, {true, false, false});
}

// The GVfs mount a location or a FUSE path lies in; null when there is none.
// A path outside GVfs's FUSE folder stays a local file and never yields the
// mount of a local file system.
GMount* SmbMountOf(GFile* file) {
  if (!g_file_has_uri_scheme(file, "smb")) return nullptr;
  return g_file_find_enclosing_mount(file, nullptr, nullptr);
}

// The local path of the mount a location lies in; empty when it is not
// mounted or GVfs gives the mount no local path.
std::string MountRootOf(GFile* file) {
  g_autoptr(GMount) mount = SmbMountOf(file);
  if (mount == nullptr) return {};
  g_autoptr(GFile) root = g_mount_get_root(mount);
  g_autofree char* path = g_file_get_path(root);
  return path != nullptr ? path : "";
}

// Every change to the drives folder's links, by any instance, happens under
// this lock, so that looking at a letter and taking it are one step. It is
// held for link work and unmounts, never across a mount call.
class DrivesLock {
 public:
  explicit DrivesLock(const std::string& folder)
      : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    // A folder that cannot be locked (some network file systems) is used
    // unlocked rather than not at all.
    if (fd_ >= 0) {
      while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
      }
    }
  }
  ~DrivesLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  DrivesLock(const DrivesLock&) = delete;
  DrivesLock& operator=(const DrivesLock&) = delete;

 private:
  int fd_;
};

// The target of a link, relative targets taken from the link's folder;
// empty when `link` is no link.
std::string ReadLink(const std::string& folder, const std::string& link) {
  g_autofree char* target = g_file_read_link(link.c_str(), nullptr);
  if (target == nullptr) return {};
  if (target[0] == '/') return target;
  return folder + "/" + target;
}

enum class Slot { Free, Dangling, Taken };

// A drive link whose target is gone is free for a new connection; any other
// entry of that name keeps the letter taken.
Slot SlotState(const std::string& link) {
  struct stat st;
  if (::lstat(link.c_str(), &st) != 0) return Slot::Free;
  if (S_ISLNK(st.st_mode) && ::stat(link.c_str(), &st) != 0) return Slot::Dangling;
  return Slot::Taken;
}

// The share, or the folder below it, must be a folder the server lets us
// see. Its error is the server's own answer, also for a stale mount.
std::uint32_t CheckFolder(GFile* share) {
  g_autoptr(GError) error = nullptr;
  g_autoptr(GFileInfo) info = g_file_query_info(share, G_FILE_ATTRIBUTE_STANDARD_TYPE,
                                                G_FILE_QUERY_INFO_NONE, nullptr, &error);
  if (info == nullptr) {
    const std::uint32_t result = gio::WindowsCodeFor(error);
    return result != code::NoError ? result : code::BadNetName;
  }
  return g_file_info_get_file_type(info) == G_FILE_TYPE_DIRECTORY ? code::NoError
                                                                  : code::BadNetName;
}

// Right after a share was unmounted and mounted again, GVfs's FUSE daemon
// answers `stat` from its cache while reads still fail (EIO) for a second or
// so. The drive is connected when its folder can be listed; a refusal is
// final at once.
std::uint32_t WaitUntilReadable(const char* path) {
  constexpr gint64 kPatience = 10 * G_USEC_PER_SEC;
  constexpr gulong kStep = 5 * 1000;
  const gint64 deadline = g_get_monotonic_time() + kPatience;
  int error;
  while ((error = gio::ListError(path)) != 0 && error != EACCES && error != EPERM &&
         g_get_monotonic_time() < deadline) {
    g_usleep(kStep);
  }
  return gio::WindowsCodeForErrno(error);
}

// GVfs reports a server name that does not resolve as a share that is not
// there; the user should be told the server is not found instead.
bool HostNotFound(const std::string& uri) {
  g_autoptr(GUri) parsed = g_uri_parse(uri.c_str(), G_URI_FLAGS_NONE, nullptr);
  const char* host = parsed != nullptr ? g_uri_get_host(parsed) : nullptr;
  if (host == nullptr || g_hostname_is_ip_address(host)) return false;
  g_autoptr(GResolver) resolver = g_resolver_get_default();
  g_autoptr(GError) error = nullptr;
  GList* addresses = g_resolver_lookup_by_name(resolver, host, nullptr, &error);
  g_resolver_free_addresses(addresses);
  return error != nullptr && g_error_matches(error, G_RESOLVER_ERROR, G_RESOLVER_ERROR_NOT_FOUND);
}

}  // namespace

GioNetwork::GioNetwork(std::string drivesFolder)
    : drivesFolder_(drivesFolder.empty() ? DefaultDrivesFolder() : std::move(drivesFolder)) {}

GioNetwork::~GioNetwork() {
  while (!probes_.empty()) ProbeClose(probes_.begin()->first);
}

std::string GioNetwork::DefaultDrivesFolder() {
  if (const char* drives = std::getenv("KAYOIJI_DRIVES"); drives != nullptr && *drives != '\0') {
    return drives;
  }
  return std::string(g_get_home_dir()) + "/Drives";
}

std::uint32_t GioNetwork::AddConnection(const NetResource& request, const std::string& password,
                                        const std::string& userName, std::uint32_t) {
  const gio::LocalName local = gio::ParseLocalName(request.LocalName);
  if (local.Error != code::NoError) return local.Error;
  const gio::SmbLocation where = gio::SmbLocationFromUnc(request.RemoteName);
  if (where.Error != code::NoError) return where.Error;

  std::string link;
  if (local.Drive != 0) {
    link = LinkPath(local.Drive);
    if (g_mkdir_with_parents(drivesFolder_.c_str(), 0700) != 0) return code::BadDevice;
  }
  if (!SmbAvailable()) return code::NoNetwork;
  // The loser of a race for the letter stops here, before any mount is touched.
  if (!link.empty()) {
    if (const std::uint32_t error = ReserveDrive(link)) return error;
  }

  g_autoptr(GFile) share = g_file_new_for_uri(where.Uri.c_str());
  const bool mountedBefore = !MountRootOf(share).empty();
  bool mountedNow = false;
  std::uint32_t result = Mount(share, userName, password, mountedNow);
  // With the session bus there, a D-Bus failure is GVfs losing the mount
  // daemon it had just started (seen right after an unmount of the same
  // share): one more try.
  if (result == code::NoNetwork) {
    g_usleep(50 * 1000);
    result = Mount(share, userName, password, mountedNow);
  }
  if (result == code::BadNetName && HostNotFound(where.Uri)) result = code::BadNetPath;
  const bool madeMount = mountedNow && !mountedBefore;
  const std::string root = MountRootOf(share);
  g_autofree char* path = nullptr;
  if (result == code::NoError) {
    path = g_file_get_path(share);
    // As a rule the folder lists at once. Only when it does not is the server
    // asked what the location is: its answer is the error, also for a stale
    // mount; a folder that is there is waited for.
    if (path == nullptr || gio::ListError(path) != 0) {
      result = CheckFolder(share);
      // Mounted, but GVfs's FUSE daemon gives it no usable local path.
      if (result == code::NoError) {
        result = path == nullptr ? code::NoNetwork : WaitUntilReadable(path);
      }
    }
  }
  if (result == code::NoError && !link.empty()) {
    result = LinkDrive(link, path);
    if (result == code::NoError) bookmarks::AddDriveBookmark(link, request.RemoteName);
  }

  const std::string key = link.empty() ? where.Uri : std::string{local.Drive, ':'};
  if (result == code::NoError) {
    // Connecting a share that this object already holds without a drive adds
    // no second connection.
    const auto known = connections_.find(key);
    if (!mountedBefore || known == connections_.end() || known->second.Root != root) {
      connections_[key] = Connection{root, madeMount};
    }
    if (madeMount) OwnMounts().Record(root, true);
    return code::NoError;
  }
  // A failed call leaves nothing of its own behind, and nothing of anyone else's goes.
  DrivesLock lock(drivesFolder_);
  if (!link.empty() && ReadLink(drivesFolder_, link) == gio::ReservationTarget(::getpid())) {
    ::unlink(link.c_str());
  }
  if (!root.empty()) ReleaseMount(key, root, madeMount, true);
  return result;
}

std::uint32_t GioNetwork::ReserveDrive(const std::string& link) {
  DrivesLock lock(drivesFolder_);
  switch (SlotState(link)) {
    case Slot::Taken:
      return code::AlreadyAssigned;
    case Slot::Dangling:
      RemoveDriveLink(link);
      break;
    case Slot::Free:
      break;
  }
  if (::symlink(gio::ReservationTarget(::getpid()).c_str(), link.c_str()) != 0) {
    return errno == EEXIST ? code::AlreadyAssigned : code::BadDevice;
  }
  return code::NoError;
}

// The one place where a drive link comes to point at a share: the reservation
// is swapped for the real link in one step.
std::uint32_t GioNetwork::LinkDrive(const std::string& link, const std::string& target) {
  DrivesLock lock(drivesFolder_);
  if (ReadLink(drivesFolder_, link) != gio::ReservationTarget(::getpid())) {
    // The reservation was taken away (by hand): the letter goes to whoever holds it now.
    if (::symlink(target.c_str(), link.c_str()) != 0) {
      return errno == EEXIST ? code::AlreadyAssigned : code::BadDevice;
    }
    return code::NoError;
  }
  const std::size_t name = link.rfind('/') + 1;
  const std::string fresh =
      link.substr(0, name) + "." + link.substr(name) + ".new-" + std::to_string(::getpid());
  ::unlink(fresh.c_str());
  if (::symlink(target.c_str(), fresh.c_str()) != 0) return code::BadDevice;
  if (::rename(fresh.c_str(), link.c_str()) != 0) {
    ::unlink(fresh.c_str());
    return code::BadDevice;
  }
  return code::NoError;
}

// The one place where a drive link that pointed at a share goes.
void GioNetwork::RemoveDriveLink(const std::string& link) {
  ::unlink(link.c_str());
  bookmarks::RemoveDriveBookmark(link);
}

bool GioNetwork::MadeMountAt(const std::string& key, const std::string& root) const {
  const auto known = connections_.find(key);
  return known != connections_.end() && known->second.MadeMount && known->second.Root == root;
}

std::uint32_t GioNetwork::ReleaseMount(const std::string& key, const std::string& root,
                                       bool madeMount, bool force) {
  std::vector<std::string> users;
  for (char drive = 'A'; drive <= 'Z'; ++drive) {
    if (key.size() == 2 && key[0] == drive) continue;
    std::string target = ReadLink(drivesFolder_, LinkPath(drive));
    if (!target.empty()) users.push_back(std::move(target));
  }
  Connection* heir = nullptr;
  for (auto& [otherKey, other] : connections_) {
    if (otherKey == key || other.Root != root) continue;
    users.push_back(other.Root);
    heir = &other;
  }
  if (!gio::MayUnmount(madeMount, root, users)) {
    // The mount is still this program's when one of its own connections keeps it.
    if (madeMount && heir != nullptr) heir->MadeMount = true;
    return code::NoError;
  }
  g_autoptr(GFile) file = g_file_new_for_path(root.c_str());
  g_autoptr(GMount) mount = SmbMountOf(file);
  if (mount == nullptr) return code::NoError;
  return UnmountOwn(mount, root, force);
}

std::uint32_t GioNetwork::TakeDown(const std::string& root) {
  if (!SmbAvailable()) return code::NoNetwork;
  g_autoptr(GFile) file = g_file_new_for_path(root.c_str());
  g_autoptr(GMount) mount = SmbMountOf(file);
  if (mount == nullptr) return code::NotConnected;
  if (gio::MountInUse(root)) return code::OpenFiles;
  return UnmountOwn(mount, root, false);
}

std::uint32_t GioNetwork::UnmountOwn(GMount* mount, const std::string& root, bool force) {
  const std::uint32_t result = Unmount(mount, force);
  if (result == code::NoError) OwnMounts().Record(root, false);
  return result;
}

SessionMounts& GioNetwork::OwnMounts() {
  if (!ownMounts_) ownMounts_.emplace(SessionFolder(), SessionIdentity());
  return *ownMounts_;
}

std::uint32_t GioNetwork::CancelConnection(const std::string& localName, std::uint32_t,
                                           bool force) {
  const gio::LocalName local = gio::ParseLocalName(localName);
  if (local.Error == code::NoError && local.Drive != 0) return CancelDrive(local.Drive, force);

  const gio::SmbLocation where = gio::SmbLocationFromUnc(localName);
  if (where.Error != code::NoError || !SmbAvailable()) return code::NotConnected;
  const auto known = connections_.find(where.Uri);
  if (known == connections_.end()) return code::NotConnected;
  g_autoptr(GFile) share = g_file_new_for_uri(where.Uri.c_str());
  const std::string root = MountRootOf(share);
  if (root.empty()) {
    connections_.erase(known);
    return code::NotConnected;
  }
  DrivesLock lock(drivesFolder_);
  if (const std::uint32_t error =
          ReleaseMount(where.Uri, root, MadeMountAt(where.Uri, root), force)) {
    return error;
  }
  connections_.erase(where.Uri);
  return code::NoError;
}

std::uint32_t GioNetwork::CancelDrive(char drive, bool force) {
  const std::string link = LinkPath(drive);
  const std::string key{drive, ':'};
  DrivesLock lock(drivesFolder_);
  const std::string target = ReadLink(drivesFolder_, link);
  // Another instance's letter while it is still connecting is not a connection yet.
  if (target.empty() || gio::IsReservation(target)) return code::NotConnected;

  g_autoptr(GFile) file = g_file_new_for_path(target.c_str());
  const std::string root = MountRootOf(file);
  if (!root.empty()) {
    if (const std::uint32_t error = ReleaseMount(key, root, MadeMountAt(key, root), force)) {
      return error;
    }
  }
  RemoveDriveLink(link);
  connections_.erase(key);
  return code::NoError;
}

// The probe lists the folder of a mounted share and fetches its first entry.
// Every kind of entry is listed, which is what the Windows mask 63 asks for.
// A share that is not mounted is left alone: the probe must not connect it.
std::intptr_t GioNetwork::ProbeOpen(const std::string& pattern, std::uint32_t) {
  const gio::SmbLocation where = gio::SmbFolderOfPattern(pattern);
  if (where.Error != code::NoError || !SmbAvailable()) return 0;
  g_autoptr(GFile) folder = g_file_new_for_uri(where.Uri.c_str());
  g_autoptr(GMount) mount = SmbMountOf(folder);
  if (mount == nullptr) return 0;
  GFileEnumerator* entries = g_file_enumerate_children(folder, G_FILE_ATTRIBUTE_STANDARD_NAME,
                                                       G_FILE_QUERY_INFO_NONE, nullptr, nullptr);
  if (entries == nullptr) return 0;
  if (GFileInfo* first = g_file_enumerator_next_file(entries, nullptr, nullptr)) {
    g_object_unref(first);
  }
  const std::intptr_t handle = nextProbe_++;
  probes_[handle] = entries;
  return handle;
}

void GioNetwork::ProbeClose(std::intptr_t handle) {
  const auto it = probes_.find(handle);
  if (it == probes_.end()) return;
  g_file_enumerator_close(it->second, nullptr, nullptr);
  g_object_unref(it->second);
  probes_.erase(it);
}

}  // namespace platform
