// A folder chosen inside a share that GVfs really mounted names the share's
// UNC path. smb-fixture.sh starts the server; outside it the case skips.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "platform/linux/GioNetwork.h"
#include "platform/linux/GvfsPath.h"
#include "support/TestFiles.h"

namespace fs = std::filesystem;

namespace {
std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}
}  // namespace

TEST(GvfsMount, AFolderInsideAMountedShareNamesItsUncPath) {
  if (Env("KAYOIJI_TEST_SMB_DIR").empty()) GTEST_SKIP() << "needs the server of smb-fixture.sh";
  fs::create_directories(Env("KAYOIJI_TEST_SMB_DIR") + "/資料/月次");
  testsupport::TempDir scratch;
  platform::GioNetwork net((scratch.Path() / "drives").string());
  platform::NetResource request;
  request.LocalName = "K:";
  const std::string unc =
      "\\\\" + Env("KAYOIJI_TEST_SMB_HOST") + "\\" + Env("KAYOIJI_TEST_SMB_SHARE");
  request.RemoteName = unc;
  ASSERT_EQ(
      net.AddConnection(request, Env("KAYOIJI_TEST_SMB_PASSWORD"), Env("KAYOIJI_TEST_SMB_USER"), 0),
      0u);

  const std::string runtime = platform::gio::UserRuntimeDir();
  const std::string mount = fs::read_symlink(scratch.Path() / "drives" / "K").string();
  std::cout << "GVfs mount folder: " << mount << "\n";
  EXPECT_EQ(platform::gio::GvfsShareMounts(runtime), std::vector<std::string>{mount});
  const std::string chosen = mount + "/資料/月次";
  EXPECT_TRUE(fs::is_directory(chosen));
  // "\\127.0.0.1@port\data\資料\月次": the fixture's server listens on a port of its own.
  EXPECT_EQ(platform::gio::GvfsPathToUnc(chosen, runtime), unc + "\\資料\\月次");
  EXPECT_EQ(platform::gio::GvfsPathToUnc(mount, runtime), unc);

  EXPECT_EQ(net.CancelConnection("K:", 0, true), 0u);
}
