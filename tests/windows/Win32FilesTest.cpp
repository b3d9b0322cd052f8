// Shift-JIS through the Windows codec and the settings file through the
// Windows file branch (ANSI names, replacement with MoveFileExA).
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/Codec.h"
#include "platform/Errors.h"
#include "platform/FileIO.h"
#include "settings/DefUnit.h"
#include "support/RecordingBoxes.h"
#include "support/TestFiles.h"

using platform::SjisToUtf8;
using platform::Utf8ToSjis;
using testsupport::TempDir;

// The codec names code page 932 itself, so it gives these bytes whatever the
// system's ANSI code page is (ctest runs this suite under both).
TEST(Win32Codec, ConvertsWithCodePage932) {
  const std::vector<std::pair<std::string, std::string>> pairs = {
      {"ｶﾅ", "\xB6\xC5"},            // half-width katakana: one byte each
      {"㈱①", "\x87\x8A\x87\x40"},   // row 13 symbols
      {"髙﨑", "\xFB\xFC\xFA\xB1"},  // extension kanji (rows 115-119)
      {"～∥－￠￡￢", "\x81\x60\x81\x61\x81\x7C\x81\x91\x81\x92\x81\xCA"},
      {"ソ表能", "\x83\x5C\x95\x5C\x94\x5C"},  // 0x5C as the second byte
      {"\\\\srv\\共有", "\\\\srv\\\x8B\xA4\x97\x4C"},
  };
  for (const auto& [utf8, sjis] : pairs) {
    EXPECT_EQ(Utf8ToSjis(utf8), sjis) << utf8;
    EXPECT_EQ(SjisToUtf8(sjis), utf8) << utf8;
  }
  // A bad byte is marked, never turned into a real character.
  EXPECT_EQ(SjisToUtf8("\x82\x20z"), "\xEF\xBF\xBD z");
}

TEST(Win32Files, JapaneseFileNamesReachTheFileSystemIntact) {
  if (GetACP() != 932) GTEST_SKIP() << "needs the Japanese ANSI code page";
  TempDir dir;
  // "表" ends in 0x5C: the path must not be split inside the character.
  const std::string folder = dir.Path().string() + "\\" + Utf8ToSjis("表示ソフト");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  const std::string path = folder + "\\" + Utf8ToSjis("接続設定.dat");

  DefUnit::ConnectionSettings saved;
  DefUnit::SetField(saved.NetPath[0], Utf8ToSjis("\\\\サーバー\\共有"));
  DefUnit::SetField(saved.LocalDrive[0], "Z:");
  DefUnit::SetField(saved.UserPasswd[0], Utf8ToSjis("パス"));
  saved.ExitTime = 3;
  DefUnit::SaveSettings(path, saved);
  saved.ExitTime = 4;
  DefUnit::SaveSettings(path, saved);  // replaces the file

  std::vector<std::wstring> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.Path() / L"表示ソフト")) {
    names.push_back(e.path().filename().wstring());
  }
  EXPECT_EQ(names, std::vector<std::wstring>{L"接続設定.dat"}) << "no temporary file stays";

  DefUnit::RunningSettings loaded;
  testsupport::RecordingBoxes boxes;
  DefUnit::LoadSettings(loaded, {"kayoiji", "-f", path}, boxes);
  EXPECT_TRUE(boxes.Shown.empty());
  ASSERT_EQ(loaded.EntryCount, 1);
  EXPECT_EQ(loaded.ExitTime, 4);
  EXPECT_EQ(SjisToUtf8(DefUnit::FieldText(loaded.NetPath[0])), "\\\\サーバー\\共有");
  EXPECT_EQ(SjisToUtf8(DefUnit::FieldText(loaded.UserPasswd[0])), "パス");
}

TEST(Win32Files, AFileHeldOpenElsewhereIsNotReplaced) {
  TempDir dir;
  const std::string path = dir.Write("conf.dat", "old");
  // Another program has the file open and does not let it be deleted.
  const HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  try {
    DefUnit::SaveSettings(path, DefUnit::ConnectionSettings{});
    ADD_FAILURE() << "the replacement reported success";
  } catch (const platform::EInOutError& e) {
    EXPECT_STREQ(e.what(), "ファイルへのアクセスが拒否されました");
  }
  CloseHandle(held);
  EXPECT_EQ(testsupport::ReadBytes(path), "old");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"conf.dat"}) << "no temporary file stays";
}

// A user's first start on their own configuration makes it from the one the
// administrator left for the machine; after that it is the user's, and the
// machine's changes no longer reach it. No other file is made that way.
// (The test's own Wine prefix: its user's and machine's folders.)
TEST(Win32Files, TheMachinesConfigurationSeedsAUsersFirstStart) {
  const std::string own = platform::CommandLineFileName("%APPDATA%\\Kayoiji\\ConfFile.dat");
  const std::string seed = platform::CommandLineFileName("%ProgramData%\\Kayoiji\\ConfFile.dat");
  ASSERT_EQ(own.find('%'), std::string::npos);
  const std::filesystem::path ownFolder = std::filesystem::path(own).parent_path();
  const std::filesystem::path seedFolder = std::filesystem::path(seed).parent_path();
  std::filesystem::remove_all(ownFolder);
  std::filesystem::create_directories(seedFolder);
  auto put = [&seed](const char* bytes) { std::ofstream(seed, std::ios::binary) << bytes; };
  put("DoMapping\tTrue\r\nExitTime\t7\r\n");

  auto load = [](const std::string& name) {
    DefUnit::RunningSettings loaded;
    testsupport::RecordingBoxes boxes;
    DefUnit::LoadSettings(loaded, {"kayoiji", "-f", name}, boxes);
    return std::make_pair(loaded.ExitTime, boxes.Shown.size());
  };
  // As a shortcut for all users names it, in another case.
  EXPECT_EQ(load("%appdata%\\KAYOIJI\\conffile.dat"), std::make_pair(7, std::size_t{0}));
  EXPECT_EQ(testsupport::ReadBytes(own), "DoMapping\tTrue\r\nExitTime\t7\r\n");
  const auto files = std::distance(std::filesystem::directory_iterator(ownFolder), {});
  EXPECT_EQ(files, 1) << "no temporary file stays";

  put("ExitTime\t9\r\n");
  EXPECT_EQ(load(own).first, 7) << "the user's file is never replaced";
  TempDir dir;
  EXPECT_EQ(load(dir.File("conf.dat")).second, 1u) << "only the user's own is made";
  EXPECT_TRUE(dir.Names().empty());

  std::filesystem::remove_all(ownFolder);
  std::filesystem::remove_all(seedFolder);
}
