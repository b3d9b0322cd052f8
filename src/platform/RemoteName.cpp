#include "platform/RemoteName.h"

#include <charconv>

#include "platform/Codec.h"

namespace platform {

namespace {

// Where each backslash of `name` stands, counting only characters of their own.
std::vector<std::size_t> Backslashes(const std::string& name) {
  std::vector<std::size_t> at;
  for (std::size_t i = 0; i < name.size(); i += SjisCharLength(name, i)) {
    if (name[i] == '\\') at.push_back(i);
  }
  return at;
}

// UTF-8 to code points; false for a sequence the codec would not write.
bool CodePoints(const std::string& utf8, std::u32string& out) {
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (i + length > utf8.size()) return false;
    char32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
    for (std::size_t k = 1; k < length; ++k) c = (c << 6) | (utf8[i + k] & 0x3F);
    if (c == U'\uFFFD') return false;
    out += c;
    i += length;
  }
  return true;
}

// The upper case Windows compares names in, for the letters code page 932 has.
char32_t Fold(char32_t c) {
  if ((c >= U'a' && c <= U'z') || (c >= U'ａ' && c <= U'ｚ') || (c >= U'а' && c <= U'я') ||
      (c >= U'α' && c <= U'ω' && c != U'ς')) {
    return c - 0x20;
  }
  if (c == U'ё') return U'Ё';
  if (c >= U'ⅰ' && c <= U'ⅿ') return c - 0x10;
  return c;
}

std::optional<std::u32string> Comparable(const std::string& sjisName) {
  std::u32string text;
  if (!CodePoints(SjisToUtf8(WithoutTrailingBackslash(sjisName)), text)) return std::nullopt;
  for (char32_t& c : text) c = Fold(c);
  return text;
}

}  // namespace

std::vector<std::string> RemoteNameParts(const std::string& sjisName) {
  if (sjisName.compare(0, 2, "\\\\") != 0) return {};
  std::vector<std::string> parts;
  std::size_t start = 2;
  for (std::size_t at : Backslashes(sjisName)) {
    if (at < start) continue;
    parts.push_back(sjisName.substr(start, at - start));
    start = at + 1;
  }
  parts.push_back(sjisName.substr(start));
  return parts;
}

HostPart SplitHostPart(const std::string& part) {
  // Host names are ASCII: an "@" here is one of its own.
  const std::size_t at = part.find('@');
  if (at == std::string::npos) return HostPart{part, {}, false};
  return HostPart{part.substr(0, at), part.substr(at + 1), true};
}

std::optional<Server> ServerOf(const std::string& sjisName) {
  const std::vector<std::string> parts = RemoteNameParts(sjisName);
  if (parts.empty()) return std::nullopt;
  const HostPart host = SplitHostPart(parts[0]);
  if (host.Host.empty()) return std::nullopt;
  Server server{host.Host};
  unsigned value = 0;
  const char* end = host.Port.data() + host.Port.size();
  const auto read = std::from_chars(host.Port.data(), end, value);
  if (host.HasPort && read.ec == std::errc() && read.ptr == end && value > 0 && value < 65536) {
    server.Port = static_cast<std::uint16_t>(value);
  }
  return server;
}

std::string ShareOf(const std::string& sjisName) {
  const std::vector<std::size_t> at = Backslashes(sjisName);
  // "\\" "host" "\" "share" "\" ...: the fourth backslash ends the share.
  return at.size() > 3 ? sjisName.substr(0, at[3]) : sjisName;
}

std::string WithoutTrailingBackslash(const std::string& sjisName) {
  const std::vector<std::size_t> at = Backslashes(sjisName);
  if (!at.empty() && at.back() + 1 == sjisName.size()) return sjisName.substr(0, at.back());
  return sjisName;
}

std::string FolderOf(const std::string& sjisName) {
  const std::vector<std::size_t> at = Backslashes(sjisName);
  return at.empty() ? std::string() : sjisName.substr(0, at.back());
}

bool SameRemoteName(const std::string& a, const std::string& b) {
  const std::optional<std::u32string> x = Comparable(a);
  const std::optional<std::u32string> y = Comparable(b);
  if (x && y) return *x == *y;
  return WithoutTrailingBackslash(a) == WithoutTrailingBackslash(b);
}

}  // namespace platform
