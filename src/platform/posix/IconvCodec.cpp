// The code page conversions elsewhere: iconv.
#include <iconv.h>

#include <cerrno>
#include <vector>

#include "platform/Codec.h"

namespace platform {

namespace {
// glibc's "SHIFT_JIS" maps a few characters differently from code page 932;
// "CP932" is the one the files are written in.
std::string Convert(const std::string& in, const char* to, const char* from,
                    const std::string& replacement) {
  if (in.empty()) return {};
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return in;
  std::string out;
  std::vector<char> buf(in.size() * 4 + 16);
  char* src = const_cast<char*>(in.data());
  std::size_t srcLeft = in.size();
  while (srcLeft > 0) {
    char* dst = buf.data();
    std::size_t dstLeft = buf.size();
    const std::size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buf.data(), static_cast<std::size_t>(dst - buf.data()));
    if (r == static_cast<std::size_t>(-1)) {
      if (errno == E2BIG) continue;
      // An invalid or incomplete sequence: replace one byte and go on.
      out += replacement;
      ++src;
      --srcLeft;
      // A UTF-8 sequence's continuation bytes go with it.
      if (std::string(from) == "UTF-8") {
        while (srcLeft > 0 && (static_cast<unsigned char>(*src) & 0xC0) == 0x80) {
          ++src;
          --srcLeft;
        }
      }
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}
}  // namespace

std::string SjisToUtf8(const std::string& sjis) {
  return Convert(sjis, "UTF-8", "CP932", "\xEF\xBF\xBD");
}
std::string Utf8ToSjis(const std::string& utf8) {
  return Convert(utf8, "CP932", "UTF-8", "?");
}

}  // namespace platform
