// The GIO network backend against a real Samba server. smb-fixture.sh starts
// the server and a D-Bus session and says where they are; outside it these
// cases skip.
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>

#include "SmbShare.h"

namespace {

TEST_F(SmbShare, CorrectCredentialsLinkTheDriveToTheShare) {
  const fs::path bookmarks = Env("XDG_CONFIG_HOME") + "/gtk-3.0/bookmarks";
  fs::create_directories(bookmarks.parent_path());
  { std::ofstream(bookmarks) << "file:///tmp Tmp\n"; }

  ASSERT_EQ(Connect("z:"), code::NoError);
  EXPECT_EQ(testsupport::ReadBytes(bookmarks),
            "file:///tmp Tmp\nfile://" + Link('Z').string() + " Z: (" + Unc() + ")\n");
  EXPECT_TRUE(ShareMounted());
  ASSERT_TRUE(fs::is_symlink(Link('Z')));
  EXPECT_EQ(fs::status(Drives()).permissions() & fs::perms::all, fs::perms::owner_all);

  { std::ofstream(Link('Z') / "through-the-drive.txt") << "written on Z:"; }
  EXPECT_EQ(testsupport::ReadBytes(Env("KAYOIJI_TEST_SMB_DIR") + "/through-the-drive.txt"),
            "written on Z:");

  const std::intptr_t probe = net_->ProbeOpen(Unc() + "\\*.*", 63);
  EXPECT_NE(probe, 0);
  if (probe != 0) net_->ProbeClose(probe);

  EXPECT_EQ(Cancel("Z:"), code::NoError);
  EXPECT_FALSE(fs::exists(fs::symlink_status(Link('Z'))));
  EXPECT_FALSE(ShareMounted());
  EXPECT_EQ(testsupport::ReadBytes(bookmarks), "file:///tmp Tmp\n");
  EXPECT_EQ(Cancel("Z:"), code::NotConnected);
}

TEST_F(SmbShare, RefusedCredentials) {
  EXPECT_EQ(Connect("Z:", Unc(), "wrong", User()), code::InvalidPassword);
  EXPECT_EQ(Connect("Z:", Unc(), Password(), "WORKGROUP\\nobody"), code::InvalidPassword);
  EXPECT_EQ(Connect("Z:", Unc(), "", ""), code::AccessDenied) << "anonymous";
  EXPECT_FALSE(fs::exists(fs::symlink_status(Link('Z'))));
  EXPECT_FALSE(ShareMounted());
}

TEST_F(SmbShare, DomainAndUserAreSplit) {
  EXPECT_EQ(Connect("Y:", Unc(), Password(), "WORKGROUP\\" + User()), code::NoError);
  EXPECT_TRUE(fs::is_symlink(Link('Y')));
}

TEST_F(SmbShare, UnknownShareOrFolder) {
  EXPECT_EQ(Connect("Z:", Unc("nosuchshare"), Password(), User()), code::BadNetName);
  EXPECT_EQ(Connect("Z:", Unc() + "\\nosuchfolder", Password(), User()), code::BadNetName);
  EXPECT_FALSE(fs::exists(fs::symlink_status(Link('Z'))));
  EXPECT_FALSE(ShareMounted()) << "a failed call leaves no mount behind";
}

TEST_F(SmbShare, AFolderBelowTheShare) {
  fs::create_directories(Env("KAYOIJI_TEST_SMB_DIR") + "/sub/deeper");
  { std::ofstream(Env("KAYOIJI_TEST_SMB_DIR") + "/sub/deeper/seen.txt") << "from the server"; }
  ASSERT_EQ(Connect("W:", Unc() + "\\sub\\deeper", Password(), User()), code::NoError);
  EXPECT_EQ(testsupport::ReadBytes((Link('W') / "seen.txt").string()), "from the server");
  EXPECT_EQ(Cancel("W:"), code::NoError);
  EXPECT_FALSE(ShareMounted());
}

TEST_F(SmbShare, NothingListening) {
  const std::string unc = "\\\\127.0.0.1@" + std::to_string(ClosedPort()) + "\\data";
  EXPECT_EQ(Connect("Z:", unc, Password(), User()), code::NoNetOrBadPath);
}

// GVfs reports a name that does not resolve like a missing share (ENOENT):
// the user is told the server is not found. A missing share stays 67.
TEST_F(SmbShare, UnknownHost) {
  EXPECT_EQ(Connect("Z:", "\\\\nosuchhost.invalid\\data", Password(), User()), code::BadNetPath);
}

TEST_F(SmbShare, EmptyLocalNameConnectsWithoutALink) {
  ASSERT_EQ(Connect(""), code::NoError);
  EXPECT_TRUE(ShareMounted());
  EXPECT_TRUE(!fs::exists(Drives()) || fs::is_empty(Drives()));
  EXPECT_EQ(Cancel(Unc(), false), code::NoError);
  EXPECT_FALSE(ShareMounted());
  EXPECT_EQ(Cancel(Unc()), code::NotConnected);
}

TEST_F(SmbShare, LetterInUse) {
  ASSERT_EQ(Connect("Z:"), code::NoError);
  const fs::path target = fs::read_symlink(Link('Z'));
  EXPECT_EQ(Connect("Z:"), code::AlreadyAssigned);
  EXPECT_EQ(fs::read_symlink(Link('Z')), target);

  // A second letter on the same share; dropping one keeps the other working.
  ASSERT_EQ(Connect("Y:"), code::NoError);
  EXPECT_EQ(Cancel("Z:"), code::NoError);
  EXPECT_TRUE(ShareMounted());
  EXPECT_TRUE(fs::is_directory(Link('Y')));
  EXPECT_EQ(Cancel("Y:"), code::NoError);
  EXPECT_FALSE(ShareMounted());

  // A folder or file of that name is not ours to replace.
  fs::create_directories(Link('X'));
  EXPECT_EQ(Connect("X:"), code::AlreadyAssigned);
}

TEST_F(SmbShare, DanglingLinkIsReplaced) {
  fs::create_directories(Drives());
  fs::create_symlink(scratch_.Path() / "gone", Link('Z'));
  ASSERT_EQ(Connect("Z:"), code::NoError);
  EXPECT_TRUE(fs::is_directory(Link('Z')));
  EXPECT_NE(fs::read_symlink(Link('Z')), scratch_.Path() / "gone");
}

TEST_F(SmbShare, BadLocalNamesFailBeforeAnyNetworkWork) {
  for (const std::string local : {"Q", "1:", ":", "ZZ:", "Z:\\", " Z:", "\x82\x79:"}) {
    EXPECT_EQ(Connect(local), code::BadDevice) << local;
  }
  EXPECT_FALSE(ShareMounted());
  EXPECT_FALSE(fs::exists(Drives()));
  EXPECT_EQ(Cancel("Q"), code::NotConnected);
}

TEST_F(SmbShare, BadRemoteNamesGiveWindowsCodes) {
  const std::string host = "\\\\" + Env("KAYOIJI_TEST_SMB_HOST");
  const struct {
    std::string remote;
    std::uint32_t expected;
  } cases[] = {
      {"", code::NoNetOrBadPath},
      {host, code::BadNetName},
      {host + "\\", code::BadNetName},
      {"data", code::NoNetOrBadPath},
      {" " + host + "\\data", code::NoNetOrBadPath},
      {"\\\\127.0 .0.1\\data", code::NoNetOrBadPath},
      {host + "\\da ta", code::BadNetName},
      {host + "\\\x8B\xA4\x97\x4C", code::BadNetName},          // a share named in Japanese
      {host + "\\\x95\x5C", code::BadNetName},                  // 0x5C as a second byte
      {host + "\\d\x82", code::BadNetName},                     // a lone lead byte
      {host + "\\" + std::string(256, 'a'), code::BadNetName},  // a 256-byte share
      {"\\\\" + std::string(254, 'h') + "\\data", code::NoNetOrBadPath},
      {"\\\\127.0.0.1@99999\\data", code::NoNetOrBadPath},
      {host + "\\data\\..", code::BadNetName},
      {host + "\\..", code::BadNetName},
      {host + "\\data\\a*b", code::BadNetName},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Connect("Z:", c.remote, Password(), User()), c.expected) << c.remote;
  }
  EXPECT_FALSE(fs::exists(fs::symlink_status(Link('Z'))));
}

TEST_F(SmbShare, ProbeLeavesAShareThatIsNotMountedAlone) {
  EXPECT_EQ(net_->ProbeOpen(Unc() + "\\*.*", 63), 0);
  EXPECT_EQ(net_->ProbeOpen("\\*.*", 63), 0);
  EXPECT_EQ(net_->ProbeOpen("", 63), 0);
  EXPECT_FALSE(ShareMounted());
}

// A host that takes the connection but never answers: bounded by GVfs's own
// timeout, so it runs only when asked for (KAYOIJI_TEST_SLOW=1).
TEST_F(SmbShare, SilentHost) {
  if (Env("KAYOIJI_TEST_SLOW") != "1") GTEST_SKIP() << "slow; set KAYOIJI_TEST_SLOW=1";
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_EQ(::listen(s, 8), 0);
  ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
  const std::string unc = "\\\\127.0.0.1@" + std::to_string(ntohs(addr.sin_port)) + "\\data";
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Connect("Z:", unc, Password(), User()), code::NoNetOrBadPath);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
  ::close(s);
}

}  // namespace
