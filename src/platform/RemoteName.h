// Remote names as the connection call takes them: "\\host\share[\path...]",
// "\\host@port\share", as Shift-JIS bytes. Many double-byte characters have
// 0x5C, the backslash, as their second byte (ソ, 表, 能, 予...), so every
// split here walks characters, never bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// The parts between the backslashes after the leading "\\": "\\h@1\s\a"
// gives {"h@1", "s", "a"}; a trailing backslash gives a last empty part.
// Empty for a name that does not start with "\\".
std::vector<std::string> RemoteNameParts(const std::string& sjisName);

// The host part split at its "@": "host@4450" gives "host" and "4450".
struct HostPart {
  std::string Host;
  std::string Port;  // the text after "@", empty when there is none
  bool HasPort = false;
};
HostPart SplitHostPart(const std::string& part);

// The server a remote name lives on, and its SMB port (445 unless "@port"
// names one; "@SSL" and other words keep 445). Empty without a host.
struct Server {
  std::string Host;
  std::uint16_t Port = 445;
};
std::optional<Server> ServerOf(const std::string& sjisName);

// "\\host\share" of a name that may name a folder below the share.
std::string ShareOf(const std::string& sjisName);

// The name without one trailing backslash (a character of its own, not the
// second byte of 表).
std::string WithoutTrailingBackslash(const std::string& sjisName);

// The name up to its last backslash: the folder of "\\host\share\*.*".
// Empty when there is none.
std::string FolderOf(const std::string& sjisName);

// Whether two remote names name the same place, as Windows compares them:
// by character, letters in any case (full-width, Greek and Cyrillic ones
// too), one trailing backslash ignored. Names the codec cannot read compare
// byte for byte.
bool SameRemoteName(const std::string& a, const std::string& b);

}  // namespace platform
