// Remote names with Shift-JIS characters whose second byte is 0x5C.
#include <gtest/gtest.h>

#include "platform/RemoteName.h"

namespace {

using platform::SameRemoteName;

// ソフト, 表計算, 能力 and 予定表: each has a 0x5C second byte; 予定表 ends in one.
const std::string kSoft = "\x83\x5C\x83\x74\x83\x67";
const std::string kSheet = "\x95\x5C\x8C\x76\x8E\x5A";
const std::string kPower = "\x94\x5C\x97\xCD";
const std::string kPlan = "\x97\x5C\x92\xE8\x95\x5C";

TEST(RemoteNames, DoubleByteCharactersEndingIn5CAreNoSeparators) {
  const std::string name = "\\\\" + kSheet + "\\" + kSoft + "\\" + kPower + "\\" + kPlan;
  EXPECT_EQ(platform::RemoteNameParts(name),
            (std::vector<std::string>{kSheet, kSoft, kPower, kPlan}));
  const auto server = platform::ServerOf(name);
  ASSERT_TRUE(server);
  EXPECT_EQ(server->Host, kSheet);
  EXPECT_EQ(server->Port, 445);
  EXPECT_EQ(platform::ShareOf(name), "\\\\" + kSheet + "\\" + kSoft);
  EXPECT_EQ(platform::ShareOf("\\\\" + kSheet + "\\" + kPlan), "\\\\" + kSheet + "\\" + kPlan);
  EXPECT_EQ(platform::FolderOf("\\\\srv\\" + kPlan + "\\*.*"), "\\\\srv\\" + kPlan);
  EXPECT_EQ(platform::WithoutTrailingBackslash("\\\\srv\\" + kPlan), "\\\\srv\\" + kPlan);
  EXPECT_EQ(platform::WithoutTrailingBackslash("\\\\srv\\" + kPlan + "\\"), "\\\\srv\\" + kPlan);
}

TEST(RemoteNames, TheServerAndItsPortComeFromTheHostPart) {
  const auto ported = platform::ServerOf("\\\\127.0.0.1@4450\\data");
  ASSERT_TRUE(ported);
  EXPECT_EQ(ported->Host, "127.0.0.1");
  EXPECT_EQ(ported->Port, 4450);
  EXPECT_EQ(platform::ServerOf("\\\\" + kSoft + "@4451\\d")->Host, kSoft);
  // Not a port: the SMB port stays.
  EXPECT_EQ(platform::ServerOf("\\\\web@SSL\\dav")->Port, 445);
  EXPECT_EQ(platform::ServerOf("\\\\host@99999\\data")->Port, 445);
  EXPECT_FALSE(platform::ServerOf("\\\\\\data"));
  EXPECT_FALSE(platform::ServerOf("C:\\data"));
  EXPECT_FALSE(platform::ServerOf(""));
}

TEST(RemoteNames, ComparedAsWindowsComparesThem) {
  EXPECT_TRUE(SameRemoteName("\\\\SRV\\Data\\", "\\\\srv\\data"));
  EXPECT_FALSE(SameRemoteName("\\\\srv\\data", "\\\\srv\\data2"));
  // ア (83 41) and ヂ (83 61): second bytes that are "A" and "a".
  EXPECT_FALSE(SameRemoteName("\\\\srv\\\x83\x41", "\\\\srv\\\x83\x61"));
  // 予定表 and 予定 followed by a backslash of its own differ by one character.
  EXPECT_FALSE(SameRemoteName("\\\\srv\\" + kPlan, "\\\\srv\\\x97\x5C\x92\xE8\\"));
  EXPECT_TRUE(SameRemoteName("\\\\srv\\" + kPlan, "\\\\SRV\\" + kPlan + "\\"));
  // Full-width Ａ and ａ, Greek Α and α, Cyrillic Я and я are one letter each.
  EXPECT_TRUE(
      SameRemoteName("\\\\srv\\\x82\x60\x83\x9F\x84\x60", "\\\\srv\\\x82\x81\x83\xBF\x84\x91"));
  EXPECT_TRUE(SameRemoteName("\\\\" + kSheet + "@4450\\D", "\\\\" + kSheet + "@4450\\d\\"));
}

}  // namespace
