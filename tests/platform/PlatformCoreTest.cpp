#include <gtest/gtest.h>

#include <cerrno>
#include <new>
#include <stdexcept>

#include "platform/Codec.h"
#include "platform/Errors.h"

using namespace platform;

// A library's English text never reaches a box; the program's own messages do.
TEST(UserMessage, OnlyTheProgramsOwnMessagesPassThrough) {
  EXPECT_EQ(UserMessage(NotAnInteger("abc")), "'abc' は整数ではありません");
  EXPECT_EQ(UserMessage(std::bad_alloc()), "メモリが不足しています");
  EXPECT_EQ(UserMessage(std::length_error("basic_string::_M_create")),
            "予期しないエラーが発生しました");
}

TEST(ErrorBoxText, AddsAFullStopUnlessTheLastCharacterSortsAtOrBeforeIt) {
  EXPECT_EQ(ErrorBoxText("'abc' は整数ではありません"), "'abc' は整数ではありません.");
  EXPECT_EQ(ErrorBoxText("done."), "done.");
  EXPECT_EQ(ErrorBoxText("a-"), "a-");
  EXPECT_EQ(ErrorBoxText("a "), "a ");
  EXPECT_EQ(ErrorBoxText("a/"), "a/.");
  EXPECT_EQ(ErrorBoxText("接続終了。"), "接続終了。.");
  EXPECT_EQ(ErrorBoxText(""), "");
}

TEST(InOutErrors, CarryTheUsersMessage) {
  EXPECT_STREQ(InOutErrorFromErrno(EACCES).what(), "ファイルへのアクセスが拒否されました");
  EXPECT_STREQ(InOutErrorFromErrno(ENOSPC).what(), "ディスクがいっぱいです");
  EXPECT_STREQ(InOutErrorFromErrno(EIO).what(), "I/O エラー (5)");
  for (int missing : {ENOENT, ENOTDIR, ENAMETOOLONG}) {
    EXPECT_STREQ(InOutErrorFromErrno(missing).what(), "指定されたパスが見つかりません。");
  }
  EXPECT_STREQ(InOutErrorFromErrno(EISDIR).what(), "ファイルへのアクセスが拒否されました");
  EXPECT_STREQ(InOutErrorFromErrno(EMFILE).what(), "システムはファイルを開くことができません。");
  EXPECT_STREQ(NotAnInteger("\x82\xA0").what(), "'あ' は整数ではありません");
}

TEST(Codec, Cp932Semantics) {
  // The characters where code page 932 and plain Shift-JIS differ.
  EXPECT_EQ(Utf8ToSjis("～－①"), "\x81\x60\x81\x7C\x87\x40");
  EXPECT_EQ(SjisToUtf8("\x81\x60\x81\x7C\x87\x40"), "～－①");
  EXPECT_EQ(SjisToUtf8("\\\\srv\\\x8B\xA4\x97\x4C"), "\\\\srv\\共有");
  EXPECT_EQ(SjisToUtf8("\x95\x5C"), "表") << "0x5C as a second byte";
  EXPECT_EQ(SjisToUtf8("a\x82"), "a\xEF\xBF\xBD") << "a lone lead byte does not fail";
  EXPECT_EQ(Utf8ToSjis("a\xFF"
                       "b"),
            "a?b");
}

TEST(Codec, CutsAtCharacterBoundaries) {
  EXPECT_EQ(CutSjis("ab\x82\xA0", 3), "ab");
  EXPECT_EQ(CutSjis("ab\x82\xA0", 4), "ab\x82\xA0");
  EXPECT_EQ(CutSjis("\x95\x5C\x5C", 2), "\x95\x5C");
  EXPECT_EQ(CutSjis("abc", 10), "abc");
}
