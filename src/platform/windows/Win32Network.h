// Network connections on Windows: the ANSI WNet calls and a file search as
// the probe, with the arguments exactly as the program gives them.
#pragma once

#include "platform/Services.h"

namespace platform {

class Win32Network : public NetworkService {
 public:
  std::uint32_t AddConnection(const NetResource& request, const std::string& password,
                              const std::string& userName, std::uint32_t flags) override;
  std::uint32_t CancelConnection(const std::string& localName, std::uint32_t flags,
                                 bool force) override;
  std::intptr_t ProbeOpen(const std::string& pattern, std::uint32_t attributeMask) override;
  void ProbeClose(std::intptr_t handle) override;
};

}  // namespace platform
