#include <gtest/gtest.h>

#include <random>

#include "platform/Errors.h"
#include "settings/DefUnit.h"

using namespace DefUnit;

TEST(HexText, BothDirections) {
  EXPECT_EQ(HexText("abc", 1), "616263");
  EXPECT_EQ(HexText(std::string("\x00\xFF", 2), 1), "");
  EXPECT_EQ(HexText("\xFF\x01", 1), "FF01");
  EXPECT_EQ(HexText("616263", 0), "abc");
  EXPECT_EQ(HexText("6a6B", 0), "jk");
  EXPECT_EQ(HexText("ABC", 0), "\xAB\x0C") << "an odd last digit is a byte of its own";
  EXPECT_EQ(HexText("", 0), "");
  EXPECT_EQ(HexText("0041", 0), std::string("\x00\x41", 2));
  try {
    HexText("41G1", 0);
    FAIL();
  } catch (const platform::EConvertError& e) {
    EXPECT_STREQ(e.what(), "'$G1' は整数ではありません");
  }
}

TEST(ScramblePassword, KnownVectors) {
  EXPECT_EQ(ScramblePassword(""), "");
  EXPECT_EQ(ScramblePassword("abc"), "8733E642E526E72FE60EE510E6A8E616E515E72CE605E54DE749E5FE");
  EXPECT_EQ(ScramblePassword("secret"), "8A45E942F629F841E90EF613F7BAE916F618F83EE905F650F85BE8FE");
  EXPECT_EQ(ScramblePassword("\x83\x70\x83\x58"),  // "パス"
            "8855F462DC47F451DC2EF431DBCAF436DC36F44EDC25F46EDC6BF31E");
  for (int n = 1; n <= 27; ++n) {
    const std::string text = ScramblePassword(std::string(static_cast<std::size_t>(n), 'k'));
    EXPECT_EQ(text.size(), 56u);
    EXPECT_EQ(text.find_first_not_of("0123456789ABCDEF"), std::string::npos);
  }
}

TEST(UnscramblePassword, ReadsBack) {
  EXPECT_EQ(UnscramblePassword(""), "");
  EXPECT_EQ(UnscramblePassword("00"), "");
  EXPECT_EQ(UnscramblePassword("8733e642e526e72fe60ee510e6a8e616e515e72ce605e54de749e5fe"), "abc");
  EXPECT_EQ(UnscramblePassword(ScramblePassword("\x83\x70\x83\x58")), "\x83\x70\x83\x58");
  EXPECT_THROW(UnscramblePassword("87 3"), platform::EConvertError);
}

TEST(UnscramblePassword, ReadsOnlyTheLengthByteAndTheFirstLDataBytes) {
  const std::string text = ScramblePassword("hello");
  std::string changed = text;
  for (std::size_t i = 2 + 2 * 5; i < changed.size(); ++i)
    changed[i] = changed[i] == 'A' ? 'B' : 'A';
  EXPECT_EQ(UnscramblePassword(changed), "hello");
}

TEST(UnscramblePassword, NeverReadsBeyondWhatTheTextHolds) {
  // A length byte that claims 100 bytes, with three data bytes present.
  const std::string claim = HexText(std::string(1, static_cast<char>(100 + 0x82 + 2)), 1);
  EXPECT_EQ(UnscramblePassword(claim + "E3E4E5").size(), 3u);
  // A claim above 27 with the full 27 data bytes present gives at most 27.
  const std::string full = ScramblePassword(std::string(40, 'z'));
  EXPECT_EQ(UnscramblePassword(full), std::string(27, 'z'));
}

TEST(PasswordStorable, RefusesWhatWouldNotReadBack) {
  EXPECT_TRUE(PasswordStorable(""));
  EXPECT_TRUE(PasswordStorable(std::string(27, 'a')));
  EXPECT_EQ(CheckPasswordStorable(std::string(28, 'a')), PasswordProblem::TooLong);
  // K[1] is 0xD0: a "-" as first byte sums to 0xFF and reads back as ".".
  EXPECT_EQ(CheckPasswordStorable("-abc"), PasswordProblem::UnstoredByte);
  EXPECT_NE(UnscramblePassword(ScramblePassword("-abc")), "-abc");
  EXPECT_TRUE(PasswordStorable("a-bc")) << "the same byte elsewhere meets another key byte";
  EXPECT_EQ(CheckPasswordStorable("a b"), PasswordProblem::Blank);
}

TEST(PasswordStorable, EveryStorablePasswordReadsBackExactly) {
  std::mt19937 rng(12345);
  std::uniform_int_distribution<int> len(1, 27), byte(1, 255);
  int storable = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string p;
    const int n = len(rng);
    for (int i = 0; i < n; ++i) p += static_cast<char>(byte(rng));
    if (!PasswordStorable(p)) continue;
    ++storable;
    ASSERT_EQ(UnscramblePassword(ScramblePassword(p)), p);
  }
  EXPECT_GT(storable, 1000);
}
