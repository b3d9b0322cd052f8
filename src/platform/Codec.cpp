#include "platform/Codec.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>

#include <cerrno>
#endif

#include <vector>

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

#ifdef _WIN32

namespace {

std::wstring Widen(const std::string& in, UINT from) {
  // UTF-8 marks bad bytes with U+FFFD by itself; code page 932 would make
  // them U+30FB, a real character, so there a bad byte must fail the call.
  const DWORD flags = from == CP_UTF8 ? 0 : MB_ERR_INVALID_CHARS;
  const int size = static_cast<int>(in.size());
  const int wlen = MultiByteToWideChar(from, flags, in.data(), size, nullptr, 0);
  if (wlen > 0) {
    std::wstring wide(static_cast<std::size_t>(wlen), L'\0');
    MultiByteToWideChar(from, flags, in.data(), size, wide.data(), wlen);
    return wide;
  }
  // A bad byte becomes U+FFFD and the next byte starts afresh, as in the
  // iconv branch.
  std::wstring wide;
  for (std::size_t i = 0; i < in.size();) {
    const std::size_t n = SjisCharLength(in, i);
    wchar_t ch[2];
    const int got =
        MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, in.data() + i, static_cast<int>(n), ch, 2);
    if (got > 0) {
      wide.append(ch, static_cast<std::size_t>(got));
      i += n;
    } else {
      wide += L'\xFFFD';
      ++i;
    }
  }
  return wide;
}

std::string Convert(const std::string& in, UINT from, UINT to) {
  if (in.empty()) return {};
  const std::wstring wide = Widen(in, from);
  const int wlen = static_cast<int>(wide.size());
  const int len = WideCharToMultiByte(to, 0, wide.data(), wlen, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(len), '\0');
  WideCharToMultiByte(to, 0, wide.data(), wlen, out.data(), len, nullptr, nullptr);
  return out;
}

}  // namespace

std::string SjisToUtf8(const std::string& sjis) {
  return Convert(sjis, 932, CP_UTF8);
}
std::string Utf8ToSjis(const std::string& utf8) {
  return Convert(utf8, CP_UTF8, 932);
}

#else

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

#endif

}  // namespace platform
