// Passwords are kept in the configuration file scrambled with a fixed key
// and written as hexadecimal digits: not encryption, only not plain text.
#include "settings/Scramble.h"

#include <algorithm>

#include "platform/Errors.h"

namespace DefUnit {

namespace {

// "ひみつのかぎ・ここにあるよ☆" in Shift-JIS.
constexpr unsigned char kScrambleKey[] = {
    0x82, 0xD0, 0x82, 0xDD, 0x82, 0xC2, 0x82, 0xCC, 0x82, 0xA9, 0x82, 0xAC, 0x81, 0x45,
    0x82, 0xB1, 0x82, 0xB1, 0x82, 0xC9, 0x82, 0xA0, 0x82, 0xE9, 0x82, 0xE6, 0x81, 0x99,
};
constexpr int kKeyLength = sizeof(kScrambleKey);
static_assert(kKeyLength == MaxStorablePassword + 1);

unsigned char DataByte(int k, unsigned char passwordByte) {
  return static_cast<unsigned char>((kScrambleKey[k] + passwordByte + 2) & 0xFF);
}

}  // namespace

std::string HexText(const std::string& text, int mode) {
  const std::string in = text.substr(0, text.find('\0'));
  std::string out;
  if (mode == 1) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (unsigned char b : in) {
      out += kDigits[b / 16];
      out += kDigits[b % 16];
    }
    return out;
  }
  // Each pair reads as the integer "$" followed by the pair would.
  auto digit = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  out.reserve(in.size() / 2 + 1);
  for (std::size_t i = 0; i < in.size(); i += 2) {
    const int high = digit(in[i]);
    const int low = i + 1 < in.size() ? digit(in[i + 1]) : 0;
    if (high < 0 || low < 0) throw platform::NotAnInteger("$" + in.substr(i, 2));
    out += static_cast<char>(i + 1 < in.size() ? high * 16 + low : high);
  }
  return out;
}

std::string ScramblePassword(const std::string& password) {
  const std::string p = password.substr(0, password.find('\0'));
  const std::size_t length = p.size();
  if (length == 0) return {};
  std::string s(kKeyLength, '\0');
  s[0] = static_cast<char>((length + kScrambleKey[0] + 2) & 0xFF);
  for (int k = 1; k < kKeyLength; ++k) {
    unsigned char b = DataByte(k, static_cast<unsigned char>(p[(k - 1) % length]));
    if (b == 0) b = 0xFF;
    s[k] = static_cast<char>(b);
  }
  return HexText(s, 1);  // HexText stops at a zero length byte: empty then
}

std::string UnscramblePassword(const std::string& text) {
  const std::string b = HexText(text, 0);
  if (b.empty() || b[0] == '\0') return {};
  const int length = (static_cast<unsigned char>(b[0]) - 2 - kScrambleKey[0]) & 0xFF;
  // A damaged or hand-made text may claim more bytes than it holds.
  const int available = std::min<int>(static_cast<int>(b.size()) - 1, MaxStorablePassword);
  const int n = std::min(length, available);
  std::string p;
  for (int i = 1; i <= n; ++i) {
    unsigned char c = static_cast<unsigned char>(b[i]);
    if (c == 0xFF) c = 0;
    p += static_cast<char>((c - 2 - kScrambleKey[i]) & 0xFF);
  }
  return p.substr(0, p.find('\0'));
}

PasswordProblem CheckPasswordStorable(const std::string& password) {
  if (password.size() > MaxStorablePassword) return PasswordProblem::TooLong;
  if (password.find_first_of(" \t") != std::string::npos) return PasswordProblem::Blank;
  if (password.empty()) return PasswordProblem::None;
  if (((password.size() + kScrambleKey[0] + 2) & 0xFF) == 0) return PasswordProblem::UnstoredByte;
  // Only the first L data bytes are read back.
  for (std::size_t i = 0; i < password.size(); ++i) {
    if (DataByte(static_cast<int>(i) + 1, static_cast<unsigned char>(password[i])) == 0xFF) {
      return PasswordProblem::UnstoredByte;
    }
  }
  return PasswordProblem::None;
}

}  // namespace DefUnit
