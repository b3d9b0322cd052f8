#include <gtest/gtest.h>

#include "platform/Codec.h"
#include "settingsdialog/DialogRules.h"

namespace {

using Unit2::DialogInteger;

TEST(DialogInteger, ReadsDecimalAndHexadecimalWithLeadingBlanksAndSign) {
  EXPECT_EQ(DialogInteger("12"), 12);
  EXPECT_EQ(DialogInteger("   12"), 12);
  EXPECT_EQ(DialogInteger("+7"), 7);
  EXPECT_EQ(DialogInteger(" -3"), -3);
  EXPECT_EQ(DialogInteger("$10"), 16);
  EXPECT_EQ(DialogInteger("x1f"), 31);
  EXPECT_EQ(DialogInteger("X1F"), 31);
  EXPECT_EQ(DialogInteger("0x10"), 16);
  EXPECT_EQ(DialogInteger("0X10"), 16);
  EXPECT_EQ(DialogInteger("-$10"), -16);
  EXPECT_EQ(DialogInteger("$FFFFFFFF"), -1);
  EXPECT_EQ(DialogInteger("2147483647"), 2147483647);
  EXPECT_EQ(DialogInteger("-2147483648"), INT32_MIN);
  EXPECT_EQ(DialogInteger("0"), 0);
}

TEST(DialogInteger, RejectsWhatIsNoIntegerOrDoesNotFit) {
  for (const char* text :
       {"", " ", "abc", "12a", "12 ", "1 2", "+", "-", "$", "0x", "x", "$G", "1.5", "--1",
        "2147483648", "-2147483649", "$100000000", "99999999999999999999", "１２"}) {
    EXPECT_FALSE(DialogInteger(QString::fromUtf8(text)).has_value()) << text;
  }
}

TEST(PathParts, FolderAndNameFollowTheDelimiterRule) {
  EXPECT_EQ(Unit2::FolderPart("\\\\srv\\share\\dir"), "\\\\srv\\share");
  EXPECT_EQ(Unit2::FolderPart("C:\\dir"), "C:\\");
  EXPECT_EQ(Unit2::FolderPart("C:dir"), "C:");
  EXPECT_EQ(Unit2::FolderPart("dir"), "");
  EXPECT_EQ(Unit2::FolderPart("\\dir"), "\\");
  EXPECT_EQ(Unit2::FolderPart("\\\\srv"), "\\\\");
  EXPECT_EQ(Unit2::FolderPart(""), "");
  EXPECT_EQ(Unit2::NamePart("C:\\conf\\a.dat"), "a.dat");
  EXPECT_EQ(Unit2::NamePart("C:a.dat"), "a.dat");
  EXPECT_EQ(Unit2::NamePart("a.dat"), "a.dat");
#ifndef _WIN32
  EXPECT_EQ(Unit2::FolderPart("/home/u/ConfFile.dat"), "/home/u");
  EXPECT_EQ(Unit2::FolderPart("/ConfFile.dat"), "/");
  EXPECT_EQ(Unit2::NamePart("/home/u/ConfFile.dat"), "ConfFile.dat");
#endif
}

// "表" and "ソ" end in the byte 0x5C in Shift-JIS: never a backslash.
TEST(PathParts, DoubleByteCharactersEndingIn5CAreNoDelimiter) {
  ASSERT_EQ(platform::Utf8ToSjis("表"), "\x95\x5C");
  EXPECT_EQ(Unit2::FolderPart(QStringLiteral("\\\\srv\\表\\dir")), QStringLiteral("\\\\srv\\表"));
  EXPECT_EQ(Unit2::FolderPart(QStringLiteral("\\\\srv\\ソフト表")), QStringLiteral("\\\\srv"));
  EXPECT_EQ(Unit2::FolderPart(QStringLiteral("ソ表")), QString());
  EXPECT_EQ(Unit2::NamePart(QStringLiteral("C:\\data\\表.dat")), QStringLiteral("表.dat"));
}

TEST(SjisLimit, CutsAtACharacterBoundary) {
  EXPECT_EQ(Unit2::SjisLength(QStringLiteral("aあ")), 3u);
  EXPECT_EQ(Unit2::CutToSjisBytes(QStringLiteral("abc"), 5), QStringLiteral("abc"));
  EXPECT_EQ(Unit2::CutToSjisBytes(QStringLiteral("aあい"), 4), QStringLiteral("aあ"));
  EXPECT_EQ(Unit2::CutToSjisBytes(QStringLiteral("aあい"), 5), QStringLiteral("aあい"));

  Unit2::SjisLimitValidator validator(4, nullptr);
  int pos = 0;
  QString fits = QStringLiteral("あい");
  QString over = QStringLiteral("あいa");
  EXPECT_EQ(validator.validate(fits, pos), QValidator::Acceptable);
  EXPECT_EQ(validator.validate(over, pos), QValidator::Invalid);
}

// What the dialog says when the file cannot hold a text: the entry, the
// field and the character, but of a password only the position.
TEST(Refusals, NameEntryFieldAndCharacterButAPasswordOnlyByPosition) {
  const Unit2::UnstorableCharacter emoji{3, QStringLiteral("😀")};
  const QString text = Unit2::UnstorableText(2, QStringLiteral("ユーザー名"), false, emoji);
  EXPECT_TRUE(text.startsWith(QStringLiteral("設定項目 2 のユーザー名の文字「😀」(U+1F600) は")))
      << text.toStdString();
  const QString password = Unit2::UnstorableText(2, QStringLiteral("パスワード"), true, emoji);
  EXPECT_TRUE(password.contains(QStringLiteral("パスワードの 3 文字目"))) << password.toStdString();
  EXPECT_FALSE(password.contains(emoji.Character));

  using DefUnit::PasswordProblem;
  EXPECT_TRUE(Unit2::PasswordProblemText(4, PasswordProblem::TooLong, QString())
                  .contains(QStringLiteral("設定項目 4 のパスワードは長すぎる")));
  // "-" scrambles into a byte that reads back as another.
  EXPECT_TRUE(Unit2::PasswordProblemText(1, PasswordProblem::UnstoredByte, QStringLiteral("-"))
                  .contains(QStringLiteral("パスワードの 1 文字目")));
}

}  // namespace
