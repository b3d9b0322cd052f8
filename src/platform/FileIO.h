// File access for the settings store. Files are open only inside these calls.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace platform {

// The system's own separator of folders in a path: what its file dialogs
// write between them.
char FolderSeparator();

// True when `path` is not empty and names a regular file that opens for
// reading. Folders, pipes and devices are not configuration files: opening a
// pipe would wait for a writer, and a device may never end.
bool FileOpensForReading(const std::string& path);

enum class ReadResult { Ok, NotOpened, TooLarge };

// Reads the regular file `path` from its start until `enough(contents)` says
// the rest is not needed, or its end. More than `limit` bytes without enough
// is TooLarge. `enough` is asked after each piece read.
ReadResult ReadRegularFile(const std::string& path, std::size_t limit, std::string& contents,
                           const std::function<bool(const std::string&)>& enough);

// Writes `contents` to the file `path` so that readers see either the old
// file or the whole new one. Links are written through: the file a link
// leads to (at every level) is replaced in its own folder, and the link
// stays. The bytes go to a temporary file in that folder, readable by its
// owner only until complete, which is renamed over the target. The new file
// keeps the old one's mode when the old one was the user's, else it is the
// user's alone. A file the user may not write is refused, as opening it for
// writing would be. Throws EInOutError; the old file is then unchanged and
// no temporary file is left behind.
// Where the folder takes no new file, the user's own writable file is
// overwritten in place instead: room for the content is made first, so a
// full disk fails before anything changes; only a failure of the device or
// a kill in the middle of the writing can leave old and new lines mixed.
void WriteFileReplacing(const std::string& path, const std::string& contents);

// The configuration file named on the command line as the system's
// shortcuts mean it. On Windows %NAME% stands for that environment variable:
// a shortcut for all users names each user's own folder as %APPDATA%.
// Elsewhere the shell has expanded such names already.
std::string CommandLineFileName(const std::string& given);

// A user's first start on their own configuration (Windows:
// %APPDATA%\Kayoiji\ConfFile.dat) when there is none yet: it is made from
// the machine's, %ProgramData%\Kayoiji\ConfFile.dat, else from the sample
// beside the program; then it is the user's, and a later change of the
// machine's does not reach it. Made in one step, never over a file that is
// there, as the user's own file; a seed above `limit` bytes is not taken.
// Throws EInOutError when it cannot be written. Nothing happens for any
// other file, nor on Linux, where kayoiji-autostart makes it.
void SeedUserConfiguration(const std::string& path, std::size_t limit);

// The temporary files of a save to the file named `name` (without its
// folder) are this fixed-length prefix followed by six characters; a save
// removes the ones that killed saves of the same target left behind.
std::string TemporaryNamePrefix(const std::string& name);
constexpr std::size_t TemporaryNameLength = 24;

}  // namespace platform
