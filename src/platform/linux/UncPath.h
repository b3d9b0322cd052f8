// The rules that turn the Windows-style names of a connection request into
// what GIO and the drives folder use. Pure text work: no GIO, no files.
#pragma once

#include <cstdint>
#include <string>

namespace platform::gio {

// A remote name as an smb:// location GIO can mount.
struct SmbLocation {
  // A Windows code when the name cannot form a location (the URI is then empty).
  std::uint32_t Error = 0;
  std::string Uri;
};

// "\\host\share[\path...]" (Shift-JIS bytes) as "smb://host/share[/path...]";
// "\\host@port\share" names a port. One trailing backslash is allowed.
// Names that no SMB location can have give 1203 (bad host part) or 67 (bad
// share or path part).
SmbLocation SmbLocationFromUnc(const std::string& sjisUnc);

// The folder a search pattern looks in: "\\host\share\*.*" gives the location
// of "\\host\share".
SmbLocation SmbFolderOfPattern(const std::string& sjisPattern);

// A local device name: "X:" (a letter of either case and a colon) is drive X;
// an empty name is no drive; anything else is 1200.
struct LocalName {
  std::uint32_t Error = 0;
  char Drive = 0;  // the upper-case letter, 0 for no drive
};
LocalName ParseLocalName(const std::string& localName);

// "DOMAIN\user" split into its parts (UTF-8); a name without a backslash has
// no domain.
struct Account {
  std::string Domain;
  std::string User;
};
Account SplitUserName(const std::string& sjisUserName);

}  // namespace platform::gio
