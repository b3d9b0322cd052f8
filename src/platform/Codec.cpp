#include "platform/Codec.h"

namespace platform {

std::string CutSjis(const std::string& sjis, std::size_t maxBytes) {
  std::size_t i = 0;
  while (i < sjis.size()) {
    const std::size_t n = SjisCharLength(sjis, i);
    if (i + n > maxBytes) break;
    i += n;
  }
  return sjis.substr(0, i);
}

std::string HexBytes(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (char c : bytes) {
    const auto u = static_cast<unsigned char>(c);
    out += kDigits[u >> 4];
    out += kDigits[u & 0x0F];
  }
  return out;
}

bool FromHexBytes(const std::string& hex, std::string& bytes) {
  if (hex.size() % 2 != 0) return false;
  const auto digit = [](char c) {
    return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
  };
  bytes.clear();
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int high = digit(hex[i]);
    const int low = digit(hex[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes += static_cast<char>(high * 16 + low);
  }
  return true;
}

}  // namespace platform
