// The GIO network backend in a process whose session bus address points
// nowhere (its own ctest entry: GIO picks its VFS once per process). GIO then
// has no GVfs, which must be reported, not hung on.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/linux/GioNetwork.h"
#include "support/TestFiles.h"

namespace fs = std::filesystem;
using platform::GioNetwork;
using platform::NetResource;
namespace code = platform::code;

namespace {

bool RunWithoutBus() {
  const char* expected = std::getenv("KAYOIJI_TEST_EXPECT_NO_BUS");
  return expected != nullptr && std::string(expected) == "1";
}

TEST(NoSessionBus, ReportsNoNetwork) {
  if (!RunWithoutBus()) GTEST_SKIP() << "needs a process without a bus";
  testsupport::TempDir scratch;
  GioNetwork net((scratch.Path() / "drives").string());
  NetResource request;
  request.LocalName = "Z:";
  request.RemoteName = "\\\\127.0.0.1@4450\\data";
  EXPECT_EQ(net.AddConnection(request, "secret", "user", 0), code::NoNetwork);
  EXPECT_FALSE(fs::exists(fs::symlink_status(scratch.Path() / "drives" / "Z")));
  EXPECT_EQ(net.CancelConnection("Z:", 0, true), code::NotConnected);
  EXPECT_EQ(net.ProbeOpen("\\\\127.0.0.1@4450\\data\\*.*", 63), 0);
}

}  // namespace
