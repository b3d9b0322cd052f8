// The code page conversions on Windows: through UTF-16 with the system's
// own tables for code page 932; and to and from the wide text of the "W" calls.
#include <windows.h>

#include "platform/Codec.h"
#include "platform/windows/Win32Text.h"

namespace platform {

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
  // A bad byte becomes U+FFFD and the next byte starts afresh, as with
  // iconv elsewhere.
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
  return Narrow(Widen(in, from), to);
}

}  // namespace

std::wstring Wide(const std::string& text, unsigned codePage) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int wlen = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(wlen > 0 ? wlen : 0), L'\0');
  if (wlen > 0) MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), wlen);
  return wide;
}

std::string Narrow(std::wstring_view text, unsigned codePage) {
  if (text.empty()) return {};
  const int wlen = static_cast<int>(text.size());
  const int len = WideCharToMultiByte(codePage, 0, text.data(), wlen, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(len > 0 ? len : 0), '\0');
  if (len > 0)
    WideCharToMultiByte(codePage, 0, text.data(), wlen, out.data(), len, nullptr, nullptr);
  return out;
}

std::string SjisToUtf8(const std::string& sjis) {
  return Convert(sjis, 932, CP_UTF8);
}
std::string Utf8ToSjis(const std::string& utf8) {
  return Convert(utf8, CP_UTF8, 932);
}

}  // namespace platform
