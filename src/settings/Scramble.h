// The scrambling of stored passwords: each password becomes a fixed-length
// text of hexadecimal digits in the configuration file.
#pragma once

#include <string>

namespace DefUnit {

constexpr int MaxStorablePassword = 27;

std::string ScramblePassword(const std::string& password);
// Throws platform::EConvertError for a text that is not hexadecimal.
std::string UnscramblePassword(const std::string& text);
// mode 1: bytes to upper-case hexadecimal digits; otherwise digits to bytes.
std::string HexText(const std::string& text, int mode);

// Why a password would not read back as it was typed.
enum class PasswordProblem {
  None,
  TooLong,       // more than 27 bytes: the file keeps only 27
  UnstoredByte,  // a byte whose scrambled form reads back as another byte
  Blank,         // a space or TAB: the reader drops them
};
PasswordProblem CheckPasswordStorable(const std::string& password);
inline bool PasswordStorable(const std::string& password) {
  return CheckPasswordStorable(password) == PasswordProblem::None;
}

}  // namespace DefUnit
