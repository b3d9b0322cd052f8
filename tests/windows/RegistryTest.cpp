// The hyperlink label's registry reads and program starts on Win32.
// registry.sh prepares the prefix's registry with `reg add` before each
// stage; the registered web-page and mail programs are this program itself,
// started with --record, which writes down what it was given.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/LinkShell.h"

namespace {

constexpr const char* kEndMark = "-- end";

void RequireSetup() {
  if (std::getenv("KAYOIJI_REGISTRY_SETUP") == nullptr) GTEST_SKIP() << "run by registry.sh";
}

// What a started program recorded, one argument a line; empty when it did
// not finish within a few seconds.
std::vector<std::string> WaitForRecord(const std::string& path) {
  for (int i = 0; i < 100; ++i) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    if (!lines.empty() && lines.back() == kEndMark) {
      lines.pop_back();
      return lines;
    }
    Sleep(100);
  }
  return {};
}

std::string RecordFile() {
  const char* path = std::getenv("KAYOIJI_LINK_RECORD");
  return path != nullptr ? path : "";
}

}  // namespace

TEST(LinkColours, DefaultsWhenNothingIsStored) {
  RequireSetup();
  const about::LinkSettings s = about::PlatformLinkShell().ReadLinkColors();
  EXPECT_EQ(s.Normal, "0,0,255");
  EXPECT_EQ(s.Hover, "255,0,0");
  EXPECT_EQ(s.Visited, "255,0,255");
  EXPECT_EQ(s.UseHover, "no");
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer", 0,
                          KEY_QUERY_VALUE, &key),
            ERROR_SUCCESS)
      << "the missing key is created";
  if (key != nullptr) RegCloseKey(key);
}

TEST(LinkColours, StoredTextsWinAndOtherValuesKeepTheirDefaults) {
  RequireSetup();
  const about::LinkSettings s = about::PlatformLinkShell().ReadLinkColors();
  EXPECT_EQ(s.Normal, "12,34,56");
  EXPECT_EQ(s.Hover, "255,128,0");
  EXPECT_EQ(s.Visited, "255,0,255") << "stored as a number, not as text";
  EXPECT_EQ(s.UseHover, "yes");
}

TEST(ClassesRoot, DefaultValuesAsRegistered) {
  RequireSetup();
  about::LinkShell& shell = about::PlatformLinkShell();
  std::string value = "stale";
  EXPECT_TRUE(shell.ReadClassesRootDefault(".htm", value));
  EXPECT_EQ(value, "Kayoiji.TestPage");
  EXPECT_FALSE(shell.ReadClassesRootDefault("Kayoiji.NoSuchClass", value));
  EXPECT_EQ(value, "");
  // The key opens but has no default value: success, and an empty text.
  EXPECT_TRUE(shell.ReadClassesRootDefault("Kayoiji.TestPage\\shell", value));
  EXPECT_EQ(value, "");
  // A command longer than the 260-byte buffer is not read at all, rather
  // than cut into a different command line.
  EXPECT_TRUE(shell.ReadClassesRootDefault("Kayoiji.LongCommand", value));
  EXPECT_EQ(value, "");
}

TEST(ClassesRoot, JapaneseTextsComeBackAsWritten) {
  RequireSetup();
  if (GetACP() != 932) GTEST_SKIP() << "needs the Japanese ANSI code page";
  std::string value;
  EXPECT_TRUE(about::PlatformLinkShell().ReadClassesRootDefault("Kayoiji.Japanese", value));
  EXPECT_EQ(value, "表示ソフト");
}

TEST(OpenLink, MailGoesToTheRegisteredMailProgram) {
  RequireSetup();
  const std::string record = RecordFile();
  ASSERT_FALSE(record.empty());
  std::remove(record.c_str());
  about::PlatformLinkShell().OpenLink("someone@example.jp", true);
  EXPECT_EQ(WaitForRecord(record), (std::vector<std::string>{"mail", "someone@example.jp"}));
}

TEST(OpenLink, AWebAddressTheShellCannotOpenGoesToThePageProgram) {
  RequireSetup();
  const std::string record = RecordFile();
  ASSERT_FALSE(record.empty());
  std::remove(record.c_str());
  about::PlatformLinkShell().OpenLink("http://example.jp/kayoiji?a=1&b=2", false);
  EXPECT_EQ(WaitForRecord(record),
            (std::vector<std::string>{"page", "http://example.jp/kayoiji?a=1&b=2"}));
}

int main(int argc, char** argv) {
  // Started as a registered program: write down the arguments and end.
  if (argc >= 3 && std::string(argv[1]) == "--record") {
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    for (int i = 3; i < argc; ++i) out << argv[i] << '\n';
    out << kEndMark << '\n';
    return 0;
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
