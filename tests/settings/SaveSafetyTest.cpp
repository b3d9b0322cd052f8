// The configuration file as a file the user owns: links, modes, folders that
// take no new file, long names, temporary files, pipes and devices, kills.
// Permission cases run in a child process as an unprivileged user (the
// administrator ignores modes), so they need the tests to start as root.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "platform/Errors.h"
#include "platform/FileIO.h"
#include "settings/DefUnit.h"
#include "support/RecordingBoxes.h"
#include "support/TestFiles.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#endif

using namespace DefUnit;
using testsupport::ReadBytes;
using testsupport::TempDir;

namespace {

const char* const kDenied = "ファイルへのアクセスが拒否されました";
const char* const kNoPath = "指定されたパスが見つかりません。";

ConnectionSettings Sample(int exitTime) {
  ConnectionSettings s;
  s.ExitTime = exitTime;
  SetField(s.NetPath[0], "\\\\srv\\share");
  SetField(s.UserPasswd[0], "secret");
  return s;
}

// The message SaveSettings fails with, or "" when it succeeds.
std::string Save(const std::string& path, int exitTime) {
  try {
    SaveSettings(path, Sample(exitTime));
    return "";
  } catch (const platform::EInOutError& e) {
    return e.what();
  }
}

std::vector<std::string> Temporaries(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) {
    const std::string name = e.path().filename().string();
    if (name.rfind(".kayoiji-", 0) == 0) names.push_back(name);
  }
  return names;
}

}  // namespace

TEST(SaveSettings, FullLengthTextsSurviveSaveAndLoad) {
  TempDir dir;
  ConnectionSettings saved;
  // 256 bytes each, the last character a double-byte one.
  SetField(saved.NetPath[0], "\\\\" + std::string(252, 'n') + "\x82\xA0");
  SetField(saved.LocalDrive[0], std::string(256, 'd'));
  SetField(saved.UserName[0], std::string(254, 'u') + "\x95\x5C");
  ASSERT_EQ(FieldLength(saved.NetPath[0]), MaxFieldText);
  const std::string path = dir.File("conf.dat");
  SaveSettings(path, saved);

  RunningSettings s;
  testsupport::RecordingBoxes boxes;
  LoadSettings(s, {"prog", "-f", path}, boxes);
  ASSERT_EQ(s.EntryCount, 1);
  EXPECT_EQ(s.NetPath[0], saved.NetPath[0]);
  EXPECT_EQ(s.LocalDrive[0], saved.LocalDrive[0]);
  EXPECT_EQ(s.UserName[0], saved.UserName[0]);
}

TEST(SaveSettings, LongNamesAndMissingFolders) {
  TempDir dir;
#ifndef _WIN32  // the test folder's path alone leaves Windows too few characters
  // The longest name the file system takes is saved and read back.
  const std::string longest = dir.File(std::string(255, 'c'));
  EXPECT_EQ(Save(longest, 31), "");
  RunningSettings s;
  testsupport::RecordingBoxes boxes;
  LoadSettings(s, {"prog", "-f", longest}, boxes);
  EXPECT_EQ(s.ExitTime, 31);
  EXPECT_EQ(Temporaries(dir.Path()).size(), 0u);
  EXPECT_EQ(Save(dir.File(std::string(256, 'c')), 1), kNoPath);
#endif
  EXPECT_EQ(Save(dir.File("missing/conf.dat"), 1), kNoPath);
}

TEST(SaveSettings, RemovesTheTemporariesOfKilledSaves) {
  TempDir dir;
  const std::string stale = platform::TemporaryNamePrefix("conf.dat") + "Ab3xYz";
  const std::string otherTarget = platform::TemporaryNamePrefix("other.dat") + "Ab3xYz";
  ASSERT_EQ(stale.size(), platform::TemporaryNameLength);
  dir.Write(stale, "half");
  dir.Write(otherTarget, "half");
  EXPECT_EQ(Save(dir.File("conf.dat"), 1), "");
  EXPECT_EQ(Temporaries(dir.Path()), std::vector<std::string>{otherTarget})
      << "the stale one goes, another target's stays";
}

#ifdef _WIN32

TEST(SaveSettings, AReadOnlyFileIsRefused) {
  TempDir dir;
  const std::string path = dir.Write("conf.dat", "old");
  std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  EXPECT_EQ(Save(path, 1), kDenied);
  EXPECT_EQ(ReadBytes(path), "old");
  std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
}

TEST(SaveSettings, ALinkIsWrittenThrough) {
  TempDir dir;
  const std::string real = dir.Write("real.dat", "old");
  const std::string link = dir.File("conf.lnk");
  if (!CreateSymbolicLinkA(link.c_str(), "real.dat", 0x2) || !std::filesystem::exists(link)) {
    GTEST_SKIP() << "no symbolic links here";
  }
  EXPECT_EQ(Save(link, 3), "");
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadBytes(real), FormatSettings(Sample(3)));
  EXPECT_TRUE(Temporaries(dir.Path()).empty());
}

#else

namespace {

// Two unprivileged users: the one who saves and another one.
constexpr uid_t kUser = 64021;
constexpr uid_t kOther = 64022;

bool CanSwitchUsers() {
  return ::geteuid() == 0;
}

// Runs `work` in a child process as `uid` and returns what it returned, or
// the message of the failure it threw.
std::string AsUser(uid_t uid, const std::function<std::string()>& work) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return "pipe failed";
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(pipeFds[0]);
    std::string out;
    if (::setgroups(0, nullptr) != 0 || ::setgid(uid) != 0 || ::setuid(uid) != 0) {
      out = "cannot become the test user";
    } else {
      try {
        out = work();
      } catch (const std::exception& e) {
        out = e.what();
      }
    }
    if (::write(pipeFds[1], out.data(), out.size()) < 0) ::_exit(1);
    ::_exit(0);
  }
  ::close(pipeFds[1]);
  std::string out;
  char buffer[512];
  for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) out.append(buffer, n);
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return out;
}

struct Stat {
  mode_t Mode;
  uid_t Owner;
  ino_t Inode;
};

Stat StatOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return {st.st_mode & 07777, st.st_uid, st.st_ino};
}

bool IsLink(const std::string& path) {
  return std::filesystem::is_symlink(std::filesystem::symlink_status(path));
}

// A folder or file made by the administrator for `owner`.
std::string Folder(const TempDir& dir, const std::string& name, uid_t owner, mode_t mode) {
  const std::string path = dir.File(name);
  std::filesystem::create_directories(path);
  EXPECT_EQ(::chown(path.c_str(), owner, owner), 0);
  EXPECT_EQ(::chmod(path.c_str(), mode), 0);
  return path;
}

std::string OwnedFile(const std::string& path, const std::string& bytes, uid_t owner, mode_t mode) {
  std::ofstream(path, std::ios::binary) << bytes;
  EXPECT_EQ(::chown(path.c_str(), owner, owner), 0);
  EXPECT_EQ(::chmod(path.c_str(), mode), 0);
  return path;
}

std::string Link(const std::string& target, const std::string& link, uid_t owner) {
  EXPECT_EQ(::symlink(target.c_str(), link.c_str()), 0) << link;
  EXPECT_EQ(::lchown(link.c_str(), owner, owner), 0);
  return link;
}

bool Saved(const std::string& path, int exitTime) {
  return ReadBytes(path) == FormatSettings(Sample(exitTime));
}

class SaveAsUser : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!CanSwitchUsers() || AsUser(kUser, [] { return std::string("ok"); }) != "ok") {
      GTEST_SKIP() << "switching users needs the tests to run as root";
    }
    ::chmod(dir.Path().c_str(), 0755);  // whatever the umask: the users pass through
    home = Folder(dir, "home", kUser, 0755);
  }
  std::string SaveAs(uid_t uid, const std::string& path, int exitTime) {
    return AsUser(uid, [&] { return Save(path, exitTime); });
  }
  TempDir dir;
  std::string home;
};

}  // namespace

TEST_F(SaveAsUser, LinksAreWrittenThroughAndStay) {
  const std::string real = OwnedFile(home + "/real.dat", "old", kUser, 0640);
  Folder(dir, "home/sub", kUser, 0755);
  const std::string first = Link("real.dat", home + "/first.lnk", kUser);
  const std::string second = Link("../first.lnk", home + "/sub/second.lnk", kUser);
  const std::string dangling = Link("new.dat", home + "/dangling.lnk", kUser);

  EXPECT_EQ(SaveAs(kUser, second, 2), "");
  EXPECT_TRUE(IsLink(first) && IsLink(second));
  EXPECT_TRUE(Saved(real, 2));
  EXPECT_EQ(StatOf(real).Mode, 0640u);
  EXPECT_EQ(StatOf(real).Owner, kUser);

  EXPECT_EQ(SaveAs(kUser, dangling, 3), "");
  EXPECT_TRUE(IsLink(dangling));
  EXPECT_TRUE(Saved(home + "/new.dat", 3));
  EXPECT_EQ(StatOf(home + "/new.dat").Mode, 0600u);
  EXPECT_TRUE(Temporaries(home).empty());
  EXPECT_TRUE(Temporaries(home + "/sub").empty());
}

TEST_F(SaveAsUser, LinksInAFolderSharedWithAnotherUser) {
  const std::string shared = Folder(dir, "shared", 0, 01777);
  const std::string open = Folder(dir, "open", kOther, 0777);  // no sticky bit

  // Another user's link to their own file, which anyone may write: following
  // it would put the password where they read it.
  const std::string theirs = OwnedFile(shared + "/theirs.dat", "theirs", kOther, 0666);
  const std::string planted = Link("theirs.dat", shared + "/conf.dat", kOther);
  EXPECT_EQ(SaveAs(kUser, planted, 4), kDenied);
  EXPECT_EQ(ReadBytes(theirs), "theirs");
  EXPECT_EQ(StatOf(theirs).Mode, 0666u);
  EXPECT_TRUE(IsLink(planted));

  // The user's own link to a file of the other user: it is replaced by the
  // user's own file, readable by them alone.
  const std::string target = OwnedFile(open + "/team.dat", "team", kOther, 0666);
  const std::string mine = Link(target, shared + "/mine.lnk", kUser);
  EXPECT_EQ(SaveAs(kUser, mine, 5), "");
  EXPECT_TRUE(IsLink(mine));
  EXPECT_TRUE(Saved(target, 5));
  EXPECT_EQ(StatOf(target).Mode, 0600u);
  EXPECT_EQ(StatOf(target).Owner, kUser);

  // The sticky folder does not let the user replace the other user's file.
  const std::string toTheirs = Link("theirs.dat", shared + "/to-theirs.lnk", kUser);
  EXPECT_EQ(SaveAs(kUser, toTheirs, 6), kDenied);
  EXPECT_EQ(ReadBytes(theirs), "theirs");
  EXPECT_TRUE(Temporaries(shared).empty());
  EXPECT_TRUE(Temporaries(open).empty());
}

TEST_F(SaveAsUser, ModesAreKeptNeverWidenedAndReadOnlyFilesRefused) {
  // A new file is the user's alone, whatever the umask says.
  EXPECT_EQ(AsUser(kUser,
                   [&] {
                     ::umask(0277);
                     return Save(home + "/new.dat", 1);
                   }),
            "");
  EXPECT_EQ(StatOf(home + "/new.dat").Mode, 0600u);
  for (mode_t mode : {0640, 0666}) {
    const std::string own = OwnedFile(home + "/own.dat", "old", kUser, mode);
    EXPECT_EQ(SaveAs(kUser, own, 2), "");
    EXPECT_TRUE(Saved(own, 2));
    EXPECT_EQ(StatOf(own).Mode, mode);
  }
  for (mode_t mode : {0444, 0400}) {
    const std::string readOnly = OwnedFile(home + "/ro.dat", "old", kUser, mode);
    EXPECT_EQ(SaveAs(kUser, readOnly, 3), kDenied) << mode;
    EXPECT_EQ(ReadBytes(readOnly), "old");
  }
  const std::string notWritable = OwnedFile(home + "/theirs.dat", "old", kOther, 0644);
  EXPECT_EQ(SaveAs(kUser, notWritable, 4), kDenied);
  EXPECT_EQ(ReadBytes(notWritable), "old");

  const std::string writable = OwnedFile(home + "/open.dat", "old", kOther, 0666);
  EXPECT_EQ(SaveAs(kUser, writable, 5), "");
  EXPECT_EQ(StatOf(writable).Mode, 0600u);
  EXPECT_EQ(StatOf(writable).Owner, kUser);
  EXPECT_TRUE(Temporaries(home).empty());
}

TEST_F(SaveAsUser, AFolderThatTakesNoNewFileIsWrittenInPlace) {
  const std::string locked = Folder(dir, "locked", 0, 0755);
  std::string longer;
  for (int i = 0; i < 2000; ++i) longer += "# an old and longer file\r\n";
  const std::string own = OwnedFile(locked + "/own.dat", longer, kUser, 0640);
  const ino_t inode = StatOf(own).Inode;
  EXPECT_EQ(SaveAs(kUser, own, 7), "");
  EXPECT_TRUE(Saved(own, 7)) << "cut to the new length";
  EXPECT_EQ(StatOf(own).Inode, inode);
  EXPECT_EQ(StatOf(own).Mode, 0640u);

  const std::string readOnly = OwnedFile(locked + "/ro.dat", "old", kUser, 0444);
  EXPECT_EQ(SaveAs(kUser, readOnly, 8), kDenied);
  // Another user's file would keep its owner and mode: the password is not
  // written into it.
  const std::string theirs = OwnedFile(locked + "/theirs.dat", "old", kOther, 0666);
  EXPECT_EQ(SaveAs(kUser, theirs, 8), kDenied);
  EXPECT_EQ(ReadBytes(theirs), "old");
  EXPECT_EQ(SaveAs(kUser, locked + "/new.dat", 8), kDenied);
  EXPECT_FALSE(std::filesystem::exists(locked + "/new.dat"));
}

TEST_F(SaveAsUser, OnlyTheUsersOwnUnheldTemporariesAreRemoved) {
  const std::string prefix = platform::TemporaryNamePrefix("conf.dat");
  const std::string stale = OwnedFile(home + "/" + prefix + "stale1", "x", kUser, 0600);
  const std::string others = OwnedFile(home + "/" + prefix + "other1", "x", kOther, 0600);
  const std::string held = OwnedFile(home + "/" + prefix + "held01", "x", kUser, 0600);
  // A save in progress holds its temporary file locked.
  const int fd = ::open(held.c_str(), O_RDONLY);
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);
  EXPECT_EQ(SaveAs(kUser, home + "/conf.dat", 1), "");
  ::close(fd);
  EXPECT_FALSE(std::filesystem::exists(stale));
  EXPECT_TRUE(std::filesystem::exists(others));
  EXPECT_TRUE(std::filesystem::exists(held));
}

// A child saves two versions in turn until it is killed at a random moment:
// the file is always one whole version, and at most the one temporary file
// of the last killed save remains, readable by its owner only.
TEST(SaveSettings, KillsDuringSavesLeaveOnlyWholeFiles) {
  TempDir dir;
  const std::string path = dir.File("conf.dat");
  SaveSettings(path, Sample(1));
  ::chmod(path.c_str(), 0644);
  const std::string one = FormatSettings(Sample(1));
  const std::string two = FormatSettings(Sample(2));
  std::minstd_rand random(12345);
  for (int round = 0; round < 120; ++round) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      try {
        for (int i = 0;; ++i) SaveSettings(path, Sample(1 + i % 2));
      } catch (...) {
        ::_exit(1);
      }
    }
    ::usleep(static_cast<useconds_t>(random() % 25000));
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    const std::string now = ReadBytes(path);
    ASSERT_TRUE(now == one || now == two) << "round " << round << ": " << now.size() << " bytes";
    const std::vector<std::string> left = Temporaries(dir.Path());
    ASSERT_LE(left.size(), 1u) << "round " << round;
    for (const std::string& name : left) {
      const std::string temp = dir.File(name);
      const std::string bytes = ReadBytes(temp);
      EXPECT_TRUE(StatOf(temp).Mode == 0600u || bytes == one || bytes == two)
          << "an incomplete temporary file is for its owner only";
    }
  }
  EXPECT_EQ(StatOf(path).Mode, 0644u);
  SaveSettings(path, Sample(1));
  EXPECT_TRUE(Temporaries(dir.Path()).empty());
}

TEST(LoadSettings, OnlyRegularFilesOfAReasonableSize) {
  ::alarm(60);  // a pipe that blocks the reading fails the test instead of hanging it
  TempDir dir;
  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string big;
  while (big.size() <= MaxConfigFileBytes) big += "# a long comment, line after line\r\n";
  const std::string tooLarge = dir.Write("big.dat", big);
  const std::string endsEarly = dir.Write("early.dat", "ExitTime\t9\r\n\r\n" + big + big);

  struct Case {
    std::string path;
    std::string box;  // "" when the file is read
  };
  for (const Case& c : std::initializer_list<Case>{
           {fifo, "設定ファイルオープンエラー"},
           {"/dev/zero", "設定ファイルオープンエラー"},
           {dir.Path().string(), "設定ファイルオープンエラー"},
           {tooLarge, "設定ファイルが大きすぎます（上限 1 MB）。"},
           {endsEarly, ""},
       }) {
    RunningSettings s;
    testsupport::RecordingBoxes boxes;
    LoadSettings(s, {"prog", "-f", c.path}, boxes);
    if (c.box.empty()) {
      EXPECT_TRUE(boxes.Shown.empty()) << c.path;
      EXPECT_EQ(s.ExitTime, 9);
    } else {
      ASSERT_EQ(boxes.Shown.size(), 1u) << c.path;
      EXPECT_EQ(boxes.Shown[0].Text, c.box);
      EXPECT_EQ(s.ExitTime, 5);
    }
  }
  EXPECT_FALSE(ConfigFileExists(fifo));
  EXPECT_EQ(Save(fifo, 1), kDenied) << "a pipe is not written either";
  ::alarm(0);
}

#endif
