// What the integration cases of the GIO network backend share: the server
// that smb-fixture.sh starts (found through KAYOIJI_TEST_SMB_* variables) and
// a backend with a drives folder of its own. Outside the fixture the cases skip.
#pragma once

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/linux/GioNetwork.h"
#include "support/TestFiles.h"

namespace fs = std::filesystem;
using platform::GioNetwork;
using platform::NetResource;
namespace code = platform::code;

std::string Env(const char* name);

// Runs one blocking call and keeps the longest of the run for its report.
std::uint32_t Timed(const std::string& what, const std::function<std::uint32_t()>& call);

// A port on 127.0.0.1 where nothing listens: bound once, then let go.
int ClosedPort();

class SmbShare : public ::testing::Test {
 protected:
  void SetUp() override;
  // Nothing one case mounted or linked is left for the next, whoever made it.
  void TearDown() override;

  static std::string Unc(const std::string& share = Env("KAYOIJI_TEST_SMB_SHARE"));
  static std::string User() { return Env("KAYOIJI_TEST_SMB_USER"); }
  static std::string Password() { return Env("KAYOIJI_TEST_SMB_PASSWORD"); }

  std::uint32_t Connect(const std::string& local, const std::string& remote,
                        const std::string& password, const std::string& user);
  std::uint32_t Connect(const std::string& local) {
    return Connect(local, Unc(), Password(), User());
  }
  std::uint32_t Cancel(const std::string& local, bool force = true);

  fs::path Drives() const { return net_->DrivesFolder(); }
  fs::path Link(char drive) const { return Drives() / std::string(1, drive); }

  static bool ShareMounted();
  // Unmounts the share behind the backend's back, as another program would.
  static void UnmountShare();

  testsupport::TempDir scratch_;
  std::unique_ptr<GioNetwork> net_;
};
