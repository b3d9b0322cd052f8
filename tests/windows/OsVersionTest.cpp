// GetVersionExA as the system reports it, and the start-up rule that holds
// Shift during connection calls on it. os-version.sh makes Wine report one
// Windows version after another and says what to expect.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "connect/ConnectUnit.h"
#include "platform/windows/Win32System.h"

TEST(Win32OsIdentity, HoldShiftKeyFollowsTheReportedVersion) {
  const char* platformId = std::getenv("KAYOIJI_EXPECT_PLATFORM");
  const char* major = std::getenv("KAYOIJI_EXPECT_MAJOR");
  const char* hold = std::getenv("KAYOIJI_EXPECT_HOLD");
  if (platformId == nullptr || major == nullptr || hold == nullptr) {
    GTEST_SKIP() << "run by os-version.sh";
  }
  platform::Win32OsIdentity os;
  const platform::OsVersion v = os.Version();
  EXPECT_EQ(v.PlatformId, std::stoul(platformId));
  EXPECT_EQ(v.MajorVersion, std::stoul(major));
  EXPECT_EQ(Connection::DecideHoldShiftKey(&os), std::string(hold) == "1");
}
