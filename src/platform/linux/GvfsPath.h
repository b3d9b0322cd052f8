// Folders of the SMB shares GVfs has mounted, as the remote names the
// program connects. GVfs shows each mount as a folder under the user's
// runtime folder ("$XDG_RUNTIME_DIR/gvfs/smb-share:server=host,share=name");
// a folder chosen inside one names the share it lies in.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform::gio {

// The folder GVfs mounts into: `runtimeDir` + "/gvfs".
std::string GvfsMountRoot(const std::string& runtimeDir);

// `path` (UTF-8, absolute) inside a GVfs SMB share mount under `runtimeDir`
// as "\\host\share\sub...", with "\\host@port\share" when the mount names a
// port. Empty for any other path, and for a mount of anything but a share
// (a whole server, another protocol). Pure text work.
std::optional<std::string> GvfsPathToUnc(const std::string& path, const std::string& runtimeDir);

// The share mounts GVfs shows now under `runtimeDir`, as folder paths,
// sorted.
std::vector<std::string> GvfsShareMounts(const std::string& runtimeDir);

// 0 when the folder `path` can be listed, else the system error. A drive is
// connected when its folder lists: GVfs's FUSE daemon answers `stat` from
// its cache before reads work.
int ListError(const std::string& path);

// Whether a process of the user's holds a file open, or its working folder,
// inside the mount at `root`. GVfs itself unmounts such a mount without a
// word. Only the system's names of open files are read, never the mount.
bool MountInUse(const std::string& root);

// The folder GVfs mounts into "gvfs" of: $XDG_RUNTIME_DIR, else the
// user's cache folder (~/.cache), as GVfs itself decides.
std::string UserRuntimeDir();

}  // namespace platform::gio
