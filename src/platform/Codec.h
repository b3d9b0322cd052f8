// Shift-JIS (code page 932) at the user-interface boundary. The settings keep
// Shift-JIS bytes; the user interface and messages use UTF-8.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// True for a byte that starts a double-byte Shift-JIS character.
constexpr bool IsSjisLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Length in bytes of the Shift-JIS character starting at text[i] (1 or 2; 1
// when a lead byte has no second byte).
inline std::size_t SjisCharLength(const std::string& text, std::size_t i) {
  return (IsSjisLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
}

// The longest prefix of `sjis` of at most `maxBytes` bytes that does not end
// in the middle of a double-byte character.
std::string CutSjis(const std::string& sjis, std::size_t maxBytes);

// Bytes as lower-case hexadecimal digits, and back (false for anything else).
std::string HexBytes(const std::string& bytes);
bool FromHexBytes(const std::string& hex, std::string& bytes);

// Conversions with code page 932 semantics. Bytes or characters that cannot
// be converted become U+FFFD or "?" rather than failing: these texts are for
// display and for fields the user typed.
std::string SjisToUtf8(const std::string& sjis);
std::string Utf8ToSjis(const std::string& utf8);

}  // namespace platform
