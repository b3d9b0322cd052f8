// Network connections on Linux: SMB shares mounted through GIO/GVfs, drive
// letters as symbolic links to the mounts' FUSE paths.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/Services.h"

typedef struct _GFileEnumerator GFileEnumerator;

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

  // $KAYOIJI_DRIVES, else ~/Drives.
  static std::string DefaultDrivesFolder();

 private:
  std::string LinkPath(char drive) const { return drivesFolder_ + "/" + drive; }
  std::uint32_t CancelDrive(char drive, bool force);
  bool OtherLinkInto(const std::string& link, const std::string& root) const;

  std::string drivesFolder_;
  std::map<std::intptr_t, GFileEnumerator*> probes_;
  std::intptr_t nextProbe_ = 1;
};

}  // namespace platform
