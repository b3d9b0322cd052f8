// Keyboard injection and the operating-system version on Windows.
#pragma once

#include <cstdint>

#include "platform/Services.h"

namespace platform {

class Win32Keyboard : public Keyboard {
 public:
  void KeybdEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags,
                  std::uintptr_t extraInfo) override;
};

// What the rule about elevated connections asks the system. Tests answer
// for it: Wine gives every process the elevated token and cannot give the
// other cases.
class ElevationQueries {
 public:
  virtual ~ElevationQueries() = default;
  // GetTokenInformation(TokenElevationType) of the process token: 1 no
  // split token, 2 its elevated half, 3 its limited half; 0 when the system
  // cannot tell (before Vista).
  virtual std::uint32_t TokenElevationType() = 0;
  // The machine's EnableLinkedConnections policy value; 0 when it is not set.
  virtual std::uint32_t EnableLinkedConnections() = 0;
};

class Win32ElevationQueries : public ElevationQueries {
 public:
  std::uint32_t TokenElevationType() override;
  std::uint32_t EnableLinkedConnections() override;
};

class Win32OsIdentity : public OsIdentity {
 public:
  Win32OsIdentity() : queries_(own_) {}
  explicit Win32OsIdentity(ElevationQueries& queries) : queries_(queries) {}
  Win32OsIdentity(const Win32OsIdentity&) = delete;
  Win32OsIdentity& operator=(const Win32OsIdentity&) = delete;
  OsVersion Version() override;
  bool DrivesHiddenFromUser() override;

 private:
  Win32ElevationQueries own_;
  ElevationQueries& queries_;
};

}  // namespace platform
