#include "settings/DefUnit.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cstring>

#include "platform/Errors.h"
#include "support/RecordingBoxes.h"
#include "support/TestFiles.h"

using namespace DefUnit;
using testsupport::RecordingBoxes;
using testsupport::TempDir;

namespace {

// Loads `contents` (lines joined with CR LF) as the file named by "-f".
struct Loaded {
  RunningSettings s;
  RecordingBoxes boxes;
  std::string error;  // the conversion failure's message, if one was raised
};

std::unique_ptr<Loaded> LoadText(const std::string& contents) {
  TempDir dir;
  const std::string path = dir.Write("conf.dat", contents);
  auto result = std::make_unique<Loaded>();
  try {
    LoadSettings(result->s, {"kayoiji", "-f", path}, result->boxes);
  } catch (const platform::EConvertError& e) {
    result->error = e.what();
  }
  return result;
}

std::string Lines(std::initializer_list<std::string> lines) {
  std::string out;
  for (const auto& l : lines) out += l + "\r\n";
  return out;
}

}  // namespace

TEST(LoadSettings, ReadsGlobalsAndEntriesInFileOrder) {
  auto r = LoadText(Lines({"### DRIVLINK Config file", "DoMapping\tTrue", "SmallStart\tFalse",
                           "NoErrorDialog\tTRUE", "ExitTime\t7", "# 5", "NetPath\t\\\\a\\one",
                           "LocalDrive\tY:", "UserName\tbob", "WaitTime\t2", "MaxError\t3", "# 1",
                           "NetPath\t\\\\b\\two", "NetPath\t\\\\c\\three"}));
  const RunningSettings& s = r->s;
  EXPECT_TRUE(r->boxes.Shown.empty());
  EXPECT_TRUE(s.DoMapping);
  EXPECT_FALSE(s.SmallStart);
  EXPECT_TRUE(s.NoErrorDialog);
  EXPECT_EQ(s.ExitTime, 7);
  ASSERT_EQ(s.EntryCount, 3);
  EXPECT_EQ(FieldText(s.NetPath[0]), "\\\\a\\one");
  EXPECT_EQ(FieldText(s.LocalDrive[0]), "Y:");
  EXPECT_EQ(FieldText(s.UserName[0]), "bob");
  EXPECT_EQ(s.WaitTime[0], 2);
  EXPECT_EQ(s.Countdown[0], 2);
  EXPECT_EQ(s.MaxError[0], 3);
  EXPECT_EQ(FieldText(s.NetPath[1]), "\\\\b\\two");
  EXPECT_EQ(FieldText(s.NetPath[2]), "\\\\c\\three");
  EXPECT_EQ(FieldText(s.NetPath[3]), "");
}

TEST(LoadSettings, MissingFileShowsOneBoxAndKeepsDefaults) {
  RunningSettings s;
  s.EntryCount = 4;
  s.DoMapping = true;
  s.ExitTime = 9;
  s.Countdown[3] = 7;
  RecordingBoxes boxes;
  LoadSettings(s, {"kayoiji", "-f", "/nonexistent/conf.dat"}, boxes);
  ASSERT_EQ(boxes.Shown.size(), 1u);
  EXPECT_EQ(boxes.Shown[0].Text, "設定ファイルオープンエラー");
  EXPECT_EQ(boxes.Shown[0].Title, "エラー");
  EXPECT_EQ(boxes.Shown[0].Kind, platform::BoxKind::Error);
  EXPECT_EQ(boxes.Shown[0].Buttons, platform::BoxButtons::Ok);
  EXPECT_EQ(s.EntryCount, 0);
  EXPECT_FALSE(s.DoMapping);
  EXPECT_EQ(s.ExitTime, 5);
  EXPECT_EQ(s.Countdown[3], 0);
  EXPECT_EQ(s.ConfigFileName, "/nonexistent/conf.dat");
}

TEST(LoadSettings, CommandLineOptionRules) {
  TempDir dir;
  const std::string a = dir.Write("a.txt", Lines({"ExitTime\t1"}));
  const std::string b = dir.Write("b.txt", Lines({"ExitTime\t2"}));
  struct Case {
    std::vector<std::string> args;
    std::string expectedName;
  };
  const std::vector<Case> cases = {
      {{"prog", "-F", a}, a}, {{"prog", "-f", a, "-f", b}, b}, {{"prog", "-f" + a}, "ConfFile.dat"},
      {{"prog", "-f"}, ""},   {{"prog", "-f", "-f", b}, b},    {{"prog"}, "ConfFile.dat"},
  };
  for (const Case& c : cases) {
    RunningSettings s;
    RecordingBoxes boxes;
    LoadSettings(s, c.args, boxes);
    EXPECT_EQ(s.ConfigFileName, c.expectedName);
  }
  RunningSettings s;
  RecordingBoxes boxes;
  LoadSettings(s, {"prog", "-f"}, boxes);
  EXPECT_EQ(boxes.Shown.size(), 1u) << "an empty name cannot be opened";
}

TEST(LoadSettings, CommentsAndEmptyLines) {
  auto onlyComments = LoadText(Lines({"# one", "#two", "###"}));
  EXPECT_EQ(onlyComments->s.EntryCount, 0);
  EXPECT_TRUE(onlyComments->boxes.Shown.empty());

  auto stopsAtEmpty =
      LoadText(Lines({"NetPath\t\\\\a\\x", "", "NetPath\t\\\\b\\y", "DoMapping\tTrue"}));
  EXPECT_EQ(stopsAtEmpty->s.EntryCount, 1);
  EXPECT_FALSE(stopsAtEmpty->s.DoMapping);

  // A "#" inside a line starts a comment there; the reading goes on.
  auto inline_ = LoadText(Lines({"NetPath\t\\\\srv\\share#1", "  # note", "LocalDrive\tX:"}));
  EXPECT_EQ(inline_->s.EntryCount, 1);
  EXPECT_EQ(FieldText(inline_->s.NetPath[0]), "\\\\srv\\share");
  EXPECT_EQ(FieldText(inline_->s.LocalDrive[0]), "X:");

  // LF alone ends lines too; the last line needs no line end.
  auto lf = LoadText("NetPath\t\\\\a\\b\nLocalDrive\tQ:");
  EXPECT_EQ(FieldText(lf->s.LocalDrive[0]), "Q:");
}

TEST(LoadSettings, KeyMatchingQuirks) {
  auto r = LoadText(Lines({"NetPath\t\\\\srv\\my share", "LocalDrive Z : ", "  UserName \t al ice ",
                           "netpath\t\\\\lower\\case", "NetPath\\\\srv\\notab", "NetPath\t"}));
  const RunningSettings& s = r->s;
  ASSERT_EQ(s.EntryCount, 3);
  EXPECT_EQ(FieldText(s.NetPath[0]), "\\\\srv\\myshare");
  EXPECT_EQ(FieldText(s.LocalDrive[0]), "Z:");
  EXPECT_EQ(FieldText(s.UserName[0]), "alice");
  EXPECT_EQ(FieldText(s.NetPath[1]), "\\\\srv\\notab");
  EXPECT_EQ(FieldText(s.NetPath[2]), "");

  // A key's name never matches from the second byte of a double-byte
  // character: 0x82 0x4E is one character, so "NetPath" does not start there.
  auto sjis = LoadText(Lines({"\x82NetPath\t\\\\a\\b", "A NetPath\t\\\\c\\d"}));
  ASSERT_EQ(sjis->s.EntryCount, 1);
  EXPECT_EQ(FieldText(sjis->s.NetPath[0]), "\\\\c\\d");
}

TEST(LoadSettings, BooleanValues) {
  for (const char* yes : {"true", "True", "TRUE", " t r u e "}) {
    EXPECT_TRUE(LoadText(Lines({std::string("DoMapping\t") + yes}))->s.DoMapping) << yes;
  }
  for (const char* no : {"False", "yes", "1", "", "TRUE1"}) {
    EXPECT_FALSE(LoadText(Lines({std::string("DoMapping\t") + no}))->s.DoMapping) << no;
  }
  auto later = LoadText(Lines({"SmallStart\tTrue", "SmallStart\tFalse"}));
  EXPECT_TRUE(later->s.SmallStart) << "nothing sets an option back to false";
}

TEST(LoadSettings, NumberForms) {
  struct Case {
    const char* text;
    std::int32_t value;
  };
  for (const Case& c : std::initializer_list<Case>{{"0x10", 16},
                                                   {"$10", 16},
                                                   {"x1f", 31},
                                                   {"0XfF", 255},
                                                   {"- 3", -3},
                                                   {"+12", 12},
                                                   {"-$10", -16},
                                                   {"4294967297", 1},
                                                   {"2147483648", -2147483647 - 1},
                                                   {"$FFFFFFFFFFFFFFFF", -1},
                                                   {"-9223372036854775808", 0}}) {
    auto r = LoadText(Lines({std::string("ExitTime\t") + c.text}));
    EXPECT_EQ(r->error, "") << c.text;
    EXPECT_EQ(r->s.ExitTime, c.value) << c.text;
  }
  for (const char* bad : {"abc", "", "$", "0x", "1.5", "9223372036854775808", "$10000000000000000",
                          "--1", "$-1", "12a"}) {
    auto r = LoadText(Lines({std::string("ExitTime\t") + bad}));
    EXPECT_NE(r->error, "") << bad;
  }
}

TEST(LoadSettings, BadNumberStopsTheReadingAndKeepsWhatCameBefore) {
  auto r = LoadText(Lines({"DoMapping\tTrue", "NetPath\t\\\\a\\b", "WaitTime\tabc", "MaxError\t4",
                           "NetPath\t\\\\c\\d"}));
  EXPECT_EQ(r->error, "'abc' は整数ではありません");
  EXPECT_TRUE(r->s.DoMapping);
  EXPECT_EQ(r->s.EntryCount, 1);
  EXPECT_EQ(r->s.MaxError[0], 0);

  // Another key's name inside a path is read as that key, with an empty value.
  auto inPath = LoadText(Lines({"NetPath\t\\\\srv\\WaitTime"}));
  EXPECT_EQ(inPath->error, "'' は整数ではありません");
  EXPECT_EQ(inPath->s.EntryCount, 1);
  EXPECT_EQ(FieldText(inPath->s.NetPath[0]), "\\\\srv\\WaitTime");
}

TEST(LoadSettings, ValueRewritesTheLineForLaterKeys) {
  // "WaitTime" is looked for before "ExitTime": its value (all that follows
  // it) replaces the rest of the line, so "ExitTime" is no longer there.
  auto r = LoadText(Lines({"NetPath\t\\\\a\\b", "WaitTime\t1ExitTime\t2"}));
  EXPECT_NE(r->error, "");
  // An upper-cased boolean value is what the later keys see.
  auto b = LoadText(Lines({"DoMapping xSmallStarttrue"}));
  EXPECT_FALSE(b->s.SmallStart);
}

TEST(LoadSettings, EntryLimits) {
  // Entry keys before any NetPath have no entry to go into.
  auto early =
      LoadText(Lines({"LocalDrive\tX:", "WaitTime\t4", "UserPasswd\t00", "NetPath\t\\\\a\\b"}));
  EXPECT_EQ(early->error, "");
  EXPECT_EQ(early->s.EntryCount, 1);
  EXPECT_EQ(FieldText(early->s.LocalDrive[0]), "");
  EXPECT_EQ(early->s.WaitTime[0], 0);

  // A 27th entry and its keys are dropped; the 26 stay as they were.
  std::string text;
  for (int i = 1; i <= 30; ++i) {
    text += "NetPath\t\\\\h\\s" + std::to_string(i) + "\r\nWaitTime\t" + std::to_string(i) + "\r\n";
  }
  text += "ExitTime\t9\r\n";
  auto many = LoadText(text);
  EXPECT_EQ(many->s.EntryCount, 26);
  EXPECT_EQ(FieldText(many->s.NetPath[25]), "\\\\h\\s26");
  EXPECT_EQ(many->s.WaitTime[25], 26);
  EXPECT_EQ(many->s.ExitTime, 9) << "global keys still apply";
}

TEST(LoadSettings, LongLinesAreCutAtACharacterBoundary) {
  // A line holds the longest key, a TAB and 256 bytes: 270 bytes. Blanks
  // count in the line but are dropped from the value.
  std::string blanks;
  for (int i = 0; i < 130; ++i) blanks += "a ";
  auto r = LoadText(Lines({"NetPath\t" + blanks + "\x82\xA0zz", "LocalDrive\tX:"}));
  EXPECT_EQ(FieldText(r->s.NetPath[0]), std::string(130, 'a') + "\x82\xA0");
  EXPECT_EQ(FieldText(r->s.LocalDrive[0]), "X:") << "the rest of the long line is dropped";

  auto cut = LoadText(Lines({"NetPath\t" + blanks + "a \x82\xA0"}));
  EXPECT_EQ(FieldText(cut->s.NetPath[0]), std::string(131, 'a'))
      << "half a character is never kept";

  // A value longer than a field keeps its first 256 bytes.
  auto full =
      LoadText(Lines({"NetPath\t\\\\a\\b", "UserName\t" + std::string(255, 'u') + "\x82\xA0"}));
  EXPECT_EQ(FieldText(full->s.UserName[0]), std::string(255, 'u'));
  EXPECT_EQ(full->s.UserName[0][FieldSize - 1], '\0');
}

TEST(LoadSettings, PasswordsAreUnscrambled) {
  auto r = LoadText(Lines({"NetPath\t\\\\a\\b", "UserPasswd\t" + ScramblePassword("s3cret"),
                           "NetPath\t\\\\c\\d", "UserPasswd\t"}));
  EXPECT_EQ(FieldText(r->s.UserPasswd[0]), "s3cret");
  EXPECT_EQ(FieldText(r->s.UserPasswd[1]), "");

  auto bad = LoadText(Lines({"NetPath\t\\\\a\\b", "UserPasswd\tZZ"}));
  EXPECT_EQ(bad->error, "'$ZZ' は整数ではありません");
  EXPECT_EQ(FieldText(bad->s.UserPasswd[0]), "") << "the undecodable text is not kept";
}

TEST(SaveSettings, WritesTheFileFormat) {
  ConnectionSettings s;
  s.DoMapping = true;
  s.ExitTime = -4;
  SetField(s.NetPath[2], "\\\\computer\\share");
  SetField(s.LocalDrive[2], "Z:");
  s.MaxError[2] = 3;
  SetField(s.LocalDrive[0], "Y:");  // no NetPath: left out
  EXPECT_EQ(FormatSettings(s),
            "### DRIVLINK Config file\r\nDoMapping\tTrue\r\nSmallStart\tFalse\r\n"
            "NoErrorDialog\tFalse\r\nExitTime\t-4\r\n# 3\r\nNetPath\t\\\\computer\\share\r\n"
            "LocalDrive\tZ:\r\nUserName\t\r\nUserPasswd\t\r\nWaitTime\t0\r\nMaxError\t3\r\n");
}

TEST(SaveSettings, RoundTripThroughTheFile) {
  TempDir dir;
  ConnectionSettings saved;
  saved.SmallStart = true;
  saved.NoErrorDialog = true;
  saved.ExitTime = 12;
  SetField(saved.NetPath[4], "\\\\srv\\共有");
  SetField(saved.LocalDrive[4], "K:");
  SetField(saved.UserName[4], "DOM\\user");
  SetField(saved.UserPasswd[4], "p\x82\xA0ss");
  saved.WaitTime[4] = 10;
  saved.MaxError[4] = -1;
  SetField(saved.NetPath[20], "\\\\srv\\x");
  const std::string path = dir.File("conf.dat");
  SaveSettings(path, saved);

  RunningSettings s;
  RecordingBoxes boxes;
  LoadSettings(s, {"prog", "-f", path}, boxes);
  EXPECT_TRUE(boxes.Shown.empty());
  EXPECT_FALSE(s.DoMapping);
  EXPECT_TRUE(s.SmallStart);
  EXPECT_TRUE(s.NoErrorDialog);
  EXPECT_EQ(s.ExitTime, 12);
  ASSERT_EQ(s.EntryCount, 2);
  EXPECT_EQ(s.NetPath[0], saved.NetPath[4]);
  EXPECT_EQ(s.LocalDrive[0], saved.LocalDrive[4]);
  EXPECT_EQ(s.UserName[0], saved.UserName[4]);
  EXPECT_EQ(s.UserPasswd[0], saved.UserPasswd[4]);
  EXPECT_EQ(s.WaitTime[0], 10);
  EXPECT_EQ(s.MaxError[0], -1);
  EXPECT_EQ(FieldText(s.NetPath[1]), "\\\\srv\\x");
}

TEST(SaveSettings, ReplacesAtomicallyAndKeepsTheFileForItsOwner) {
  TempDir dir;
  ConnectionSettings s;
  const std::string path = dir.File("conf.dat");
  SaveSettings(path, s);
#ifndef _WIN32  // Windows has no owner-only file modes; its folders' rights apply.
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u) << "the file holds passwords";

  ::chmod(path.c_str(), 0640);
#endif
  s.ExitTime = 8;
  SaveSettings(path, s);
#ifndef _WIN32
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
#endif
  EXPECT_NE(testsupport::ReadBytes(path).find("ExitTime\t8"), std::string::npos);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"conf.dat"}) << "no temporary file stays";
}

TEST(SaveSettings, FailuresLeaveTheOldFileAndReachTheCaller) {
  TempDir dir;
  ConnectionSettings s;
  EXPECT_THROW(SaveSettings("", s), platform::EInOutError);

  try {
    SaveSettings(dir.File("missing/conf.dat"), s);
    FAIL() << "no failure for a missing folder";
  } catch (const platform::EInOutError& e) {
    EXPECT_STREQ(e.what(), "指定されたパスが見つかりません。");
  }

  // A folder in the way: nothing is replaced and nothing is left behind.
  std::filesystem::create_directory(dir.File("taken"));
  EXPECT_THROW(SaveSettings(dir.File("taken"), s), platform::EInOutError);
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("taken")));
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"taken"});
}

TEST(ConfigFileExists, NeedsAReadableFile) {
  TempDir dir;
  EXPECT_FALSE(ConfigFileExists(""));
  EXPECT_FALSE(ConfigFileExists(dir.File("none")));
  EXPECT_FALSE(ConfigFileExists(dir.Path().string()));
  EXPECT_TRUE(ConfigFileExists(dir.Write("x", "")));
}

TEST(LineHelpers, CopySettingValueAndReadConfigLine) {
  char dest[FieldSize];
  EXPECT_EQ(CopySettingValue(dest, " a\tb c "), 3);
  EXPECT_STREQ(dest, "abc");
  const std::string big(2000, 'q');
  EXPECT_EQ(CopySettingValue(dest, big.c_str()), MaxFieldText);

  ConfigFile file("#c1\r\n#c2\r\nkey\r\n#tail\r\n");
  char buffer[LineBufferSize];
  EXPECT_EQ(ReadConfigLine(file, buffer), 3);
  EXPECT_STREQ(buffer, "key");
  EXPECT_EQ(ReadConfigLine(file, buffer), 0) << "a comment run to the end ends the reading";
  EXPECT_STREQ(buffer, "key");
}

TEST(LoadSettings, MalformedFilesNeverCrash) {
  const std::vector<std::string> inputs = {
      std::string(10 * 1024 * 1024, 'N'),
      "NetPath\t" + std::string(10 * 1024 * 1024, 'x'),
      std::string("NetPath\t\\\\a\\b\0WaitTime\t1\r\n", 26),
      "NetPath\t\\\\a\\b\rLocalDrive\tX:\rWaitTime\t1",
      "NetPath\t\x82",
      "ExitTime\t999999999999999999999999999999",
      std::string("\0\0\0\n\n", 5),
  };
  for (const std::string& in : inputs) {
    RunningSettings s;
    try {
      ReadSettingsText(s, in);
    } catch (const platform::EConvertError&) {
    }
    EXPECT_LE(s.EntryCount, MaxEntries);
    for (const auto& f : s.NetPath) EXPECT_EQ(f[FieldSize - 1], '\0');
  }
  std::string thousand;
  for (int i = 0; i < 1000; ++i) thousand += "NetPath\tp" + std::to_string(i) + "\nUserName\tu\n";
  RunningSettings s;
  ReadSettingsText(s, thousand);
  EXPECT_EQ(s.EntryCount, MaxEntries);
  EXPECT_EQ(FieldText(s.NetPath[25]), "p25");
}

TEST(SaveSettings, ThePasswordStoreOptionIsOneLineOnlyWhenOn) {
  ConnectionSettings s;
  SetField(s.NetPath[0], "\\\\srv\\share");
  const std::string off = FormatSettings(s);
  EXPECT_EQ(off.find(PasswordStoreKey), std::string::npos) << "the file is as it always was";

  s.PasswordStore = true;
  const std::string on = FormatSettings(s);
  const std::string line = std::string(PasswordStoreKey) + "\tTrue\r\n";
  EXPECT_EQ(on, std::string(off).insert(off.find("# 1"), line));
  for (const char* key : {"NetPath", "LocalDrive", "UserName", "UserPasswd", "WaitTime",
                          "NoErrorDialog", "DoMapping", "MaxError", "SmallStart", "ExitTime"}) {
    EXPECT_EQ(line.find(key), std::string::npos) << key;
  }
  EXPECT_TRUE(LoadText(on)->s.PasswordStore);
  EXPECT_FALSE(LoadText(off)->s.PasswordStore);
  EXPECT_FALSE(LoadText(Lines({"PasswordStore\tno"}))->s.PasswordStore);

  // The store's name for an entry: as an attempt sends it, "表" left whole.
  SetField(s.NetPath[1], "\\\\srv\\a\\");
  SetField(s.UserName[1], "DOM\\u");
  EXPECT_EQ(CredentialNameOf(s, 1), (platform::CredentialName{"\\\\srv\\a", "DOM\\u"}));
  SetField(s.NetPath[1], "\\\\srv\\\x95\x5C");
  EXPECT_EQ(CredentialNameOf(s, 1).RemoteName, "\\\\srv\\\x95\x5C");
}
