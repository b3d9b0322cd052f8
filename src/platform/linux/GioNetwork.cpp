#include "platform/linux/GioNetwork.h"

#include <gio/gio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>

#include "platform/Codec.h"
#include "platform/linux/DriveBookmarks.h"
#include "platform/linux/GioErrors.h"
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

enum class Slot { Free, Dangling, Taken };

// A drive link whose target is gone is free for a new connection; any other
// entry of that name keeps the letter taken.
Slot SlotState(const std::string& link) {
  struct stat st;
  if (::lstat(link.c_str(), &st) != 0) return Slot::Free;
  if (S_ISLNK(st.st_mode) && ::stat(link.c_str(), &st) != 0) return Slot::Dangling;
  return Slot::Taken;
}

// Right after a share was unmounted and mounted again, GVfs's FUSE daemon
// answers from a stale cache for a second or so (EIO). The drive is ready
// when its local path is.
bool WaitForLocalPath(const char* path) {
  constexpr gint64 kPatience = 10 * G_USEC_PER_SEC;
  const gint64 deadline = g_get_monotonic_time() + kPatience;
  struct stat st;
  while (::stat(path, &st) != 0) {
    if (g_get_monotonic_time() >= deadline) return false;
    g_usleep(50 * 1000);
  }
  return true;
}

std::uint32_t LinkDrive(GFile* share, const std::string& link) {
  g_autofree char* path = g_file_get_path(share);
  // Mounted, but GVfs's FUSE daemon gives it no usable local path.
  if (path == nullptr || !WaitForLocalPath(path)) return code::NoNetwork;
  if (SlotState(link) == Slot::Dangling) ::unlink(link.c_str());
  if (::symlink(path, link.c_str()) != 0) {
    return errno == EEXIST ? code::AlreadyAssigned : code::BadDevice;
  }
  return code::NoError;
}

bool IsInside(std::string_view path, std::string_view root) {
  return path.substr(0, root.size()) == root &&
         (path.size() == root.size() || path[root.size()] == '/');
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
    if (SlotState(link) == Slot::Taken) return code::AlreadyAssigned;
  }
  if (!SmbAvailable()) return code::NoNetwork;

  g_autoptr(GFile) share = g_file_new_for_uri(where.Uri.c_str());
  bool mountedNow = false;
  if (const std::uint32_t error = Mount(share, userName, password, mountedNow)) return error;

  std::uint32_t result = code::NoError;
  if (g_file_query_file_type(share, G_FILE_QUERY_INFO_NONE, nullptr) != G_FILE_TYPE_DIRECTORY) {
    result = code::BadNetName;  // a folder below the share that is not there
  } else if (!link.empty()) {
    result = LinkDrive(share, link);
    if (result == code::NoError) bookmarks::AddDriveBookmark(link, request.RemoteName);
  }
  // A failed call leaves no mount of its own behind.
  if (result != code::NoError && mountedNow) {
    g_autoptr(GMount) mount = SmbMountOf(share);
    if (mount != nullptr) Unmount(mount, true);
  }
  return result;
}

std::uint32_t GioNetwork::CancelConnection(const std::string& localName, std::uint32_t,
                                           bool force) {
  const gio::LocalName local = gio::ParseLocalName(localName);
  if (local.Error == code::NoError && local.Drive != 0) return CancelDrive(local.Drive, force);

  const gio::SmbLocation where = gio::SmbLocationFromUnc(localName);
  if (where.Error != code::NoError || !SmbAvailable()) return code::NotConnected;
  g_autoptr(GFile) share = g_file_new_for_uri(where.Uri.c_str());
  g_autoptr(GMount) mount = SmbMountOf(share);
  if (mount == nullptr) return code::NotConnected;
  // Drives still linked into the share keep it mounted.
  g_autoptr(GFile) root = g_mount_get_root(mount);
  g_autofree char* rootPath = g_file_get_path(root);
  if (rootPath != nullptr && OtherLinkInto({}, rootPath)) return code::NoError;
  return Unmount(mount, force);
}

std::uint32_t GioNetwork::CancelDrive(char drive, bool force) {
  const std::string link = LinkPath(drive);
  g_autofree char* target = g_file_read_link(link.c_str(), nullptr);
  if (target == nullptr) return code::NotConnected;

  g_autoptr(GFile) file = g_file_new_for_path(target);
  g_autoptr(GMount) mount = SmbMountOf(file);
  if (mount != nullptr) {
    g_autoptr(GFile) root = g_mount_get_root(mount);
    g_autofree char* rootPath = g_file_get_path(root);
    // Another drive on the same share keeps it mounted.
    if (rootPath == nullptr || !OtherLinkInto(link, rootPath)) {
      if (const std::uint32_t error = Unmount(mount, force)) return error;
    }
  }
  ::unlink(link.c_str());
  bookmarks::RemoveDriveBookmark(link);
  return code::NoError;
}

bool GioNetwork::OtherLinkInto(const std::string& link, const std::string& root) const {
  for (char drive = 'A'; drive <= 'Z'; ++drive) {
    const std::string other = LinkPath(drive);
    if (other == link) continue;
    g_autofree char* target = g_file_read_link(other.c_str(), nullptr);
    if (target != nullptr && IsInside(target, root)) return true;
  }
  return false;
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
