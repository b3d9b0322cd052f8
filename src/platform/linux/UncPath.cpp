#include "platform/linux/UncPath.h"

#include <string_view>
#include <vector>

#include "platform/Codec.h"
#include "platform/RemoteName.h"
#include "platform/Services.h"

namespace platform::gio {

namespace {

// What iconv leaves for a byte sequence code page 932 does not have.
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
// DNS limits; NetBIOS names are shorter still.
constexpr std::size_t kMaxHostLength = 253;
constexpr std::size_t kMaxLabelLength = 63;
// Windows share names are at most 80 characters.
constexpr std::size_t kMaxShareCharacters = 80;

bool IsAsciiAlnum(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool IsControl(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < 0x20 || u == 0x7F;
}

std::size_t Utf8Characters(std::string_view s) {
  std::size_t n = 0;
  for (char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

std::vector<std::string_view> Split(std::string_view s, char sep) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = s.find(sep, start);
    parts.push_back(s.substr(start, at == std::string_view::npos ? at : at - start));
    if (at == std::string_view::npos) return parts;
    start = at + 1;
  }
}

bool ValidHost(std::string_view host) {
  if (host.empty() || host.size() > kMaxHostLength) return false;
  for (std::string_view label : Split(host, '.')) {
    if (label.empty() || label.size() > kMaxLabelLength) return false;
    for (char c : label) {
      if (!IsAsciiAlnum(c) && c != '-' && c != '_') return false;
    }
  }
  return true;
}

bool ValidPort(std::string_view port) {
  if (port.empty() || port.size() > 5) return false;
  unsigned value = 0;
  for (char c : port) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return value >= 1 && value <= 65535;
}

bool ValidName(std::string_view name, std::string_view forbidden) {
  if (name.empty() || name.find(kReplacement) != std::string_view::npos) return false;
  for (char c : name) {
    if (IsControl(c) || forbidden.find(c) != std::string_view::npos) return false;
  }
  return true;
}

// "." and ".." name no share: as path parts they would climb out of it.
bool ValidShare(std::string_view share) {
  return share != "." && share != ".." && Utf8Characters(share) <= kMaxShareCharacters &&
         ValidName(share, "\"/[]:|<>+=;,?*");
}

bool ValidPathPart(std::string_view part) {
  return part != "." && part != ".." && ValidName(part, "<>:\"/|?*");
}

// Everything but the unreserved characters escaped, UTF-8 bytes included.
std::string PercentEncode(std::string_view s) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : s) {
    if (IsAsciiAlnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
      out += c;
    } else {
      const auto u = static_cast<unsigned char>(c);
      out += '%';
      out += kHex[u >> 4];
      out += kHex[u & 0x0F];
    }
  }
  return out;
}

SmbLocation Fail(std::uint32_t error) {
  return SmbLocation{error, {}};
}

// `sjisParts` as RemoteNameParts gives them: split before they are
// converted, as 0x5C can be the second byte of a double-byte character.
SmbLocation LocationFromParts(const std::vector<std::string>& sjisParts) {
  if (sjisParts.empty()) return Fail(code::NoNetOrBadPath);
  std::vector<std::string> parts;
  for (const std::string& part : sjisParts) parts.push_back(SjisToUtf8(part));
  if (parts.size() > 1 && parts.back().empty()) parts.pop_back();

  const HostPart host = SplitHostPart(parts[0]);
  if (host.HasPort && !ValidPort(host.Port)) return Fail(code::NoNetOrBadPath);
  if (!ValidHost(host.Host)) return Fail(code::NoNetOrBadPath);
  if (parts.size() < 2 || !ValidShare(parts[1])) return Fail(code::BadNetName);

  std::string uri = "smb://" + host.Host;
  if (host.HasPort) uri += ":" + host.Port;
  uri += "/" + PercentEncode(parts[1]);
  for (std::size_t i = 2; i < parts.size(); ++i) {
    if (!ValidPathPart(parts[i])) return Fail(code::BadNetName);
    uri += "/" + PercentEncode(parts[i]);
  }
  return SmbLocation{code::NoError, uri};
}

}  // namespace

SmbLocation SmbLocationFromUnc(const std::string& sjisUnc) {
  return LocationFromParts(RemoteNameParts(sjisUnc));
}

SmbLocation SmbFolderOfPattern(const std::string& sjisPattern) {
  return LocationFromParts(RemoteNameParts(FolderOf(sjisPattern)));
}

LocalName ParseLocalName(const std::string& localName) {
  if (localName.empty()) return {};
  if (localName.size() == 2 && localName[1] == ':') {
    const char c = localName[0];
    if (c >= 'a' && c <= 'z') return LocalName{code::NoError, static_cast<char>(c - 'a' + 'A')};
    if (c >= 'A' && c <= 'Z') return LocalName{code::NoError, c};
  }
  return LocalName{code::BadDevice, 0};
}

Account SplitUserName(const std::string& sjisUserName) {
  const std::string name = SjisToUtf8(sjisUserName);
  const std::size_t slash = name.find('\\');
  if (slash == std::string::npos) return Account{{}, name};
  return Account{name.substr(0, slash), name.substr(slash + 1)};
}

}  // namespace platform::gio
