// The rules of the GIO network backend that need no server: remote names as
// smb:// locations, local names as drives, and GIO errors as Windows codes.
#include <gio/gio.h>
#include <gtest/gtest.h>

#include <cerrno>

#include "platform/Services.h"
#include "platform/linux/DriveLinks.h"
#include "platform/linux/GioErrors.h"
#include "platform/linux/LinuxSystem.h"
#include "platform/linux/UncPath.h"

using namespace platform::gio;
namespace code = platform::code;

namespace {

std::string Uri(const std::string& unc) {
  const SmbLocation where = SmbLocationFromUnc(unc);
  EXPECT_EQ(where.Error, code::NoError) << unc;
  return where.Uri;
}

std::uint32_t Error(const std::string& unc) {
  const SmbLocation where = SmbLocationFromUnc(unc);
  EXPECT_TRUE(where.Uri.empty()) << unc;
  return where.Error;
}

TEST(SmbLocation, FromUncNames) {
  EXPECT_EQ(Uri("\\\\srv\\share"), "smb://srv/share");
  EXPECT_EQ(Uri("\\\\srv\\share\\"), "smb://srv/share") << "one trailing backslash";
  EXPECT_EQ(Uri("\\\\127.0.0.1@4450\\data"), "smb://127.0.0.1:4450/data");
  EXPECT_EQ(Uri("\\\\File-Server_2.example.org\\C$"), "smb://File-Server_2.example.org/C%24");
  EXPECT_EQ(Uri("\\\\srv\\my share\\sub dir\\a~b.txt"), "smb://srv/my%20share/sub%20dir/a~b.txt");
  // Shift-JIS is converted before splitting: 0x5C in "表" is no separator.
  EXPECT_EQ(Uri("\\\\srv\\\x8B\xA4\x97\x4C\\\x95\x5C"), "smb://srv/%E5%85%B1%E6%9C%89/%E8%A1%A8");
  EXPECT_EQ(Uri("\\\\srv\\a%b#c&d"), "smb://srv/a%25b%23c%26d");
}

TEST(SmbLocation, HostPartsThatNoServerHasAreNoNetOrBadPath) {
  for (const std::string unc :
       {"", "\\", "srv\\share", "/srv/share", " \\\\srv\\share", "\\\\\\share",
        "\\\\\\\\srv\\share", "\\\\sr v\\share", "\\\\srv.\\share", "\\\\a..b\\share",
        "\\\\\x83\x54\x81\x5B\x83\x6F\\s", "\\\\srv@\\share", "\\\\srv@0\\share",
        "\\\\srv@65536\\share", "\\\\srv@44x\\share", "\\\\srv:445\\share", "\\\\[::1]\\share"}) {
    EXPECT_EQ(Error(unc), code::NoNetOrBadPath) << unc;
  }
  EXPECT_EQ(Error("\\\\" + std::string(254, 'h') + "\\share"), code::NoNetOrBadPath);
  EXPECT_EQ(Error("\\\\" + std::string(64, 'h') + ".org\\share"), code::NoNetOrBadPath);
  EXPECT_EQ(Uri("\\\\" + std::string(63, 'h') + "@65535\\s"),
            "smb://" + std::string(63, 'h') + ":65535/s");
}

TEST(SmbLocation, BadShareOrPathPartsAreBadNetName) {
  for (const std::string unc : {"\\\\srv",
                                "\\\\srv\\",
                                "\\\\srv\\\\",
                                "\\\\srv\\\\share",
                                "\\\\srv\\share\\\\",
                                "\\\\srv\\share\\\\x",
                                "\\\\srv\\sh*re",
                                "\\\\srv\\sh/re",
                                "\\\\srv\\sh:re",
                                "\\\\srv\\a\tb",
                                "\\\\srv\\share\\..",
                                "\\\\srv\\share\\.\\x",
                                "\\\\srv\\share\\a?b",
                                "\\\\srv\\d\x82",
                                "\\\\srv\\\x82\\x",
                                "\\\\srv\\.",
                                "\\\\srv\\..",
                                "\\\\srv\\.\\x",
                                "\\\\srv\\..\\x",
                                "\\\\srv\\..\\"}) {
    EXPECT_EQ(Error(unc), code::BadNetName) << unc;
  }
  EXPECT_EQ(Uri("\\\\srv\\" + std::string(80, 's')), "smb://srv/" + std::string(80, 's'));
  EXPECT_EQ(Error("\\\\srv\\" + std::string(81, 's')), code::BadNetName);
  EXPECT_EQ(Error("\\\\srv\\" + std::string(256, 's')), code::BadNetName);
  EXPECT_EQ(Uri("\\\\srv\\.dot\\..."), "smb://srv/.dot/...") << "only . and .. are special";
}

TEST(SmbLocation, FolderOfAProbePattern) {
  EXPECT_EQ(SmbFolderOfPattern("\\\\srv\\share\\*.*").Uri, "smb://srv/share");
  EXPECT_EQ(SmbFolderOfPattern("\\\\srv@4450\\share\\sub\\*.*").Uri, "smb://srv:4450/share/sub");
  EXPECT_EQ(SmbFolderOfPattern("\\\\srv\\\x95\x5C\\*.*").Uri, "smb://srv/%E8%A1%A8");
  EXPECT_NE(SmbFolderOfPattern("\\*.*").Error, code::NoError);
  EXPECT_NE(SmbFolderOfPattern("*.*").Error, code::NoError);
  EXPECT_NE(SmbFolderOfPattern("\\\\srv\\*.*").Error, code::NoError);
}

TEST(LocalNames, DriveLettersOnly) {
  EXPECT_EQ(ParseLocalName("Z:").Drive, 'Z');
  EXPECT_EQ(ParseLocalName("z:").Drive, 'Z');
  EXPECT_EQ(ParseLocalName("a:").Drive, 'A');
  const LocalName none = ParseLocalName("");
  EXPECT_EQ(none.Error, code::NoError);
  EXPECT_EQ(none.Drive, 0);
  const std::string bad[] = {"Q",
                             "1:",
                             ":",
                             "ZZ:",
                             "Z:\\",
                             " Z:",
                             "Z: ",
                             "LPT1",
                             "\\\\srv\\s",
                             "\x82\x79:",
                             std::string("Z\0", 2)};
  for (const std::string& name : bad) {
    const LocalName local = ParseLocalName(name);
    EXPECT_EQ(local.Error, code::BadDevice) << name;
    EXPECT_EQ(local.Drive, 0) << name;
  }
}

TEST(UserNames, DomainIsSplitOff) {
  EXPECT_EQ(SplitUserName("WORKGROUP\\alice").Domain, "WORKGROUP");
  EXPECT_EQ(SplitUserName("WORKGROUP\\alice").User, "alice");
  EXPECT_EQ(SplitUserName("alice").Domain, "");
  EXPECT_EQ(SplitUserName("alice@example.org").User, "alice@example.org");
  EXPECT_EQ(SplitUserName("D\\a\\b").User, "a\\b") << "split at the first backslash";
  EXPECT_EQ(SplitUserName("\x95\x5C").User, "表") << "0x5C as a second byte";
  EXPECT_EQ(SplitUserName("\x95\x5C\\\x95\x5C").Domain, "表");
}

std::uint32_t Code(GQuark domain, int errorCode, const CallFacts& facts = {}) {
  g_autoptr(GError) error = g_error_new_literal(domain, errorCode, "test");
  return WindowsCodeFor(error, facts);
}

TEST(GioErrors, MountFailures) {
  EXPECT_EQ(WindowsCodeFor(nullptr), code::NoError);
  EXPECT_EQ(Code(G_IO_ERROR, G_IO_ERROR_ALREADY_MOUNTED), code::NoError);
  EXPECT_EQ(Code(G_IO_ERROR, G_IO_ERROR_PERMISSION_DENIED), code::AccessDenied);
  EXPECT_EQ(Code(G_IO_ERROR, G_IO_ERROR_NOT_FOUND), code::BadNetName);
  EXPECT_EQ(Code(G_IO_ERROR, G_IO_ERROR_INVALID_ARGUMENT), code::BadNetName);
  for (int unreachable : {G_IO_ERROR_HOST_UNREACHABLE, G_IO_ERROR_NETWORK_UNREACHABLE,
                          G_IO_ERROR_CONNECTION_REFUSED, G_IO_ERROR_TIMED_OUT}) {
    EXPECT_EQ(Code(G_IO_ERROR, unreachable), code::NoNetOrBadPath) << unreachable;
  }
  // A name that does not resolve and a connection that drops have codes of their own.
  EXPECT_EQ(Code(G_IO_ERROR, G_IO_ERROR_HOST_NOT_FOUND), code::BadNetPath);
  EXPECT_EQ(Code(G_RESOLVER_ERROR, G_RESOLVER_ERROR_NOT_FOUND), code::BadNetPath);
  EXPECT_EQ(Code(G_RESOLVER_ERROR, G_RESOLVER_ERROR_TEMPORARY_FAILURE), code::NoNetOrBadPath);
  EXPECT_EQ(Code(G_IO_ERROR, G_IO_ERROR_CONNECTION_CLOSED), code::NetNameDeleted);
  EXPECT_EQ(Code(G_IO_ERROR, G_IO_ERROR_NOT_SUPPORTED), code::NoNetwork);
  EXPECT_EQ(Code(G_IO_ERROR, G_IO_ERROR_DBUS_ERROR), code::NoNetwork);
  EXPECT_EQ(Code(G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN), code::NoNetwork);
  EXPECT_EQ(Code(G_DBUS_ERROR, G_DBUS_ERROR_FILE_NOT_FOUND), code::NoNetwork);
  EXPECT_EQ(Code(G_IO_ERROR, G_IO_ERROR_CANCELLED), code::Cancelled);
  EXPECT_EQ(Code(G_IO_ERROR, G_IO_ERROR_FAILED_HANDLED), code::Cancelled);
  EXPECT_EQ(Code(G_IO_ERROR, G_IO_ERROR_BUSY), 170u);
  EXPECT_EQ(Code(G_IO_ERROR, G_IO_ERROR_FAILED), 59u) << "ERROR_UNEXP_NET_ERR";
  EXPECT_EQ(Code(G_FILE_ERROR, G_FILE_ERROR_NOENT), 59u);
}

// How GVfs's SMB backend reports most failed mounts.
std::uint32_t FailedMount(const std::string& systemText) {
  g_autoptr(GError) error = g_error_new(G_IO_ERROR, G_IO_ERROR_FAILED,
                                        "Failed to mount Windows share: %s", systemText.c_str());
  return WindowsCodeFor(error);
}

TEST(GioErrors, FailedMountsByTheirSystemError) {
  EXPECT_EQ(FailedMount("No such file or directory"), code::BadNetName);
  EXPECT_EQ(FailedMount("Connection refused"), code::NoNetOrBadPath);
  EXPECT_EQ(FailedMount("Connection timed out"), code::NoNetOrBadPath);
  EXPECT_EQ(FailedMount("No route to host"), code::NoNetOrBadPath);
  EXPECT_EQ(FailedMount("Permission denied"), code::AccessDenied);
  EXPECT_EQ(FailedMount("Connection reset by peer"), code::NetNameDeleted);
  EXPECT_EQ(FailedMount(g_strerror(ENETUNREACH)), code::NoNetOrBadPath)
      << "in the session's language";
  EXPECT_EQ(FailedMount("Bad message"), 59u);
  EXPECT_EQ(FailedMount(""), 59u);
}

TEST(GioErrors, ASecondPasswordRequestMeansRefusedCredentials) {
  const CallFacts named{false, true, false};
  const CallFacts anonymous{false, true, true};
  EXPECT_EQ(Code(G_IO_ERROR, G_IO_ERROR_FAILED_HANDLED, named), code::InvalidPassword);
  EXPECT_EQ(Code(G_IO_ERROR, G_IO_ERROR_PERMISSION_DENIED, named), code::InvalidPassword);
  EXPECT_EQ(Code(G_IO_ERROR, G_IO_ERROR_FAILED_HANDLED, anonymous), code::AccessDenied);
  EXPECT_EQ(WindowsCodeFor(nullptr, named), code::NoError);
}

TEST(GioErrors, UnmountFailures) {
  const CallFacts unmounting{true, false, false};
  EXPECT_EQ(Code(G_IO_ERROR, G_IO_ERROR_BUSY, unmounting), 2401u) << "ERROR_OPEN_FILES";
  EXPECT_EQ(Code(G_IO_ERROR, G_IO_ERROR_NOT_MOUNTED, unmounting), code::NotConnected);
  EXPECT_EQ(Code(G_IO_ERROR, G_IO_ERROR_PERMISSION_DENIED, unmounting), code::AccessDenied);
}

TEST(GioErrors, ReadingThroughTheLocalPath) {
  EXPECT_EQ(WindowsCodeForErrno(0), code::NoError);
  EXPECT_EQ(WindowsCodeForErrno(EACCES), code::AccessDenied);
  EXPECT_EQ(WindowsCodeForErrno(ENOENT), code::BadNetName);
  EXPECT_EQ(WindowsCodeForErrno(ENOTDIR), code::BadNetName);
  EXPECT_EQ(WindowsCodeForErrno(ECONNREFUSED), code::NoNetOrBadPath);
  EXPECT_EQ(WindowsCodeForErrno(EIO), 59u);
  EXPECT_EQ(WindowsCodeForErrno(ENOTCONN), 59u) << "a FUSE daemon that is gone";
}

TEST(DriveLinks, AMountGoesOnlyWithTheConnectionThatMadeItWhenNoLinkPointsIntoIt) {
  const std::string root = "/run/user/1000/gvfs/smb-share:server=srv,share=data";
  EXPECT_TRUE(MayUnmount(true, root, {}));
  EXPECT_FALSE(MayUnmount(false, root, {})) << "mounted before the connection";
  EXPECT_FALSE(MayUnmount(true, root, {"/elsewhere", root}));
  EXPECT_FALSE(MayUnmount(true, root, {root + "/sub/deeper"}));
  EXPECT_FALSE(MayUnmount(true, root + "/", {root}));
  EXPECT_TRUE(MayUnmount(true, root,
                         {root + "2", root.substr(0, root.size() - 1), root + ",user=u",
                          ReservationTarget(42), "/run/user/1000/gvfs"}))
      << "other shares, a share's name as a prefix, a reservation, the folder above";
  EXPECT_FALSE(MayUnmount(true, "", {})) << "no mount";
}

TEST(DriveLinks, AReservationNamesItsProcess) {
  EXPECT_EQ(ReservationTarget(4242), "/proc/4242");
  EXPECT_TRUE(IsReservation(ReservationTarget(1)));
  for (const char* target : {"/proc/", "/proc/self", "/proc/12/cwd", "proc/12", "/proc/1x", "",
                             "/run/user/0/gvfs/smb-share:server=srv,share=data"}) {
    EXPECT_FALSE(IsReservation(target)) << target;
  }
}

TEST(LinuxSystem, NoVersionSoNoShiftWorkaround) {
  platform::LinuxOsIdentity os;
  EXPECT_EQ(os.Version().PlatformId, 0u);
  EXPECT_EQ(os.Version().MajorVersion, 0u);
  platform::LinuxKeyboard keys;
  keys.KeybdEvent(platform::VK_SHIFT_KEY, 0, 0, 0);  // dropped, without effect
}

}  // namespace
