// What the watcher reads from a remote name before it decides anything.
#include <gtest/gtest.h>

#include "platform/Watch.h"
#include "reconnect/Watcher.h"

namespace {

TEST(RemoteNames, TheServerAndItsPortComeFromTheHostPart) {
  const auto plain = Reconnect::ServerOf("\\\\fileserver\\data\\sub");
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->Host, "fileserver");
  EXPECT_EQ(plain->Port, 445);
  const auto ported = Reconnect::ServerOf("\\\\127.0.0.1@4450\\data");
  ASSERT_TRUE(ported);
  EXPECT_EQ(ported->Host, "127.0.0.1");
  EXPECT_EQ(ported->Port, 4450);
  // Not a port: the SMB port stays.
  EXPECT_EQ(Reconnect::ServerOf("\\\\web@SSL\\dav")->Port, 445);
  EXPECT_EQ(Reconnect::ServerOf("\\\\host@99999\\data")->Port, 445);
  EXPECT_FALSE(Reconnect::ServerOf("\\\\\\data"));
  EXPECT_FALSE(Reconnect::ServerOf("C:\\data"));
  EXPECT_FALSE(Reconnect::ServerOf(""));
}

TEST(RemoteNames, CaseAndATrailingBackslashDoNotMatterButDoubleByteCharactersDo) {
  EXPECT_TRUE(platform::SameRemoteName("\\\\SRV\\Data\\", "\\\\srv\\data"));
  EXPECT_FALSE(platform::SameRemoteName("\\\\srv\\data", "\\\\srv\\data2"));
  // ア (83 41) and ヂ (83 61): second bytes that are "A" and "a".
  EXPECT_FALSE(platform::SameRemoteName("\\\\srv\\\x83\x41", "\\\\srv\\\x83\x61"));
  EXPECT_TRUE(platform::SameRemoteName("\\\\srv\\\x83\x41", "\\\\SRV\\\x83\x41\\"));
}

}  // namespace
