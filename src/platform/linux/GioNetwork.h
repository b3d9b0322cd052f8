// Network connections on Linux: SMB shares mounted through GIO/GVfs, drive
// letters as symbolic links to the mounts' FUSE paths.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "platform/Services.h"
#include "platform/SessionState.h"

typedef struct _GFileEnumerator GFileEnumerator;
typedef struct _GMount GMount;

namespace platform {

class GioNetwork : public NetworkService {
 public:
  // Drive links go into `drivesFolder`; empty means DefaultDrivesFolder().
  explicit GioNetwork(std::string drivesFolder = {});
  ~GioNetwork() override;
  GioNetwork(const GioNetwork&) = delete;
  GioNetwork& operator=(const GioNetwork&) = delete;

  // Blocks until GVfs has answered; no other events are dispatched meanwhile.
  std::uint32_t AddConnection(const NetResource& request, const std::string& password,
                              const std::string& userName, std::uint32_t flags) override;
  // `localName` is a drive ("X:") or a remote name ("\\host\share") connected
  // without a drive. Nothing is remembered across sessions, so `flags` has no use.
  std::uint32_t CancelConnection(const std::string& localName, std::uint32_t flags,
                                 bool force) override;
  std::intptr_t ProbeOpen(const std::string& pattern, std::uint32_t attributeMask) override;
  void ProbeClose(std::intptr_t handle) override;

  const std::string& DrivesFolder() const { return drivesFolder_; }

  // Unmounts the share mounted at `root` (its local folder) without force,
  // whoever made it, and leaves every drive link as it is: the caller has
  // made sure it is its own. code::OpenFiles when something holds it open.
  std::uint32_t TakeDown(const std::string& root);

  // $KAYOIJI_DRIVES, else ~/Drives.
  static std::string DefaultDrivesFolder();

 private:
  // A connection this object made and has not cancelled: the root of the
  // mount it uses, and whether it mounted the share itself.
  struct Connection {
    std::string Root;
    bool MadeMount = false;
  };

  std::string LinkPath(char drive) const { return drivesFolder_ + "/" + drive; }
  // Takes the letter before any mount is touched (85 when it is taken).
  std::uint32_t ReserveDrive(const std::string& link);
  // The only place where a drive link comes to point at a share...
  std::uint32_t LinkDrive(const std::string& link, const std::string& target);
  // ...and the only place where such a link goes (a dangling one included).
  void RemoveDriveLink(const std::string& link);
  std::uint32_t CancelDrive(char drive, bool force);
  // Whether the connection `key` of this object mounted `root` itself.
  bool MadeMountAt(const std::string& key, const std::string& root) const;
  // Unmounts `root` when the connection `key` made it and nothing else uses it.
  std::uint32_t ReleaseMount(const std::string& key, const std::string& root, bool madeMount,
                             bool force);
  // Unmounts the share mounted at `root`; once it is gone, it is no longer
  // among the session's mounts of this user's connections.
  std::uint32_t UnmountOwn(GMount* mount, const std::string& root, bool force);

  // The session's record of the mounts its connections made, read and
  // written only when a mount comes or goes.
  SessionMounts& OwnMounts();

  std::string drivesFolder_;
  std::optional<SessionMounts> ownMounts_;
  // Keyed by the local name ("X:"), or by the share's smb:// location for a
  // connection without a drive.
  std::map<std::string, Connection> connections_;
  std::map<std::intptr_t, GFileEnumerator*> probes_;
  std::intptr_t nextProbe_ = 1;
};

}  // namespace platform
