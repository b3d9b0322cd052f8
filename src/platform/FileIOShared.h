// What the file access of each system has in common (FileIO.cpp), and the
// two things each system answers for itself (windows/, posix/). For the
// platform core's own files only.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>

#include "platform/Errors.h"
#include "platform/FileIO.h"

namespace platform::fileio {

// Each system's own.
bool IsSeparator(char c);
unsigned long ProcessId();

EInOutError EmptyName();

// The failures a Japanese desktop names in its own words, and which of a
// system's error codes stand for each (errno in Errors.cpp, the Win32 file
// access's own).
enum class IoProblem { AccessDenied, DiskFull, PathNotFound, BadName, TooManyOpenFiles };
struct IoProblemCode {
  long Code;
  IoProblem Problem;
};
// The failure for `code` with the message of its problem in `problems`;
// "I/O エラー (code)" for a code they do not list.
EInOutError InOutError(long code, std::span<const IoProblemCode> problems);

// Where the name of the file starts in `path`: what comes before is its
// folder, with its separator, or nothing for the current folder.
std::size_t NameStart(const std::string& path);

// Six letters and digits for a temporary file's name.
std::string RandomSuffix();

bool IsTemporaryOf(const std::string& candidate, const std::string& prefix);

// The content written in place: the new lines, then an empty line. Should
// the save stop before the old file's longer tail is cut off, the reader
// ends at that empty line and never sees the rest of the old lines.
std::string InPlaceContents(const std::string& contents);

// Reads through `readSome` (bytes read, 0 at the end, negative on failure).
template <typename ReadSome>
ReadResult ReadPieces(ReadSome readSome, std::size_t limit, std::string& contents,
                      const std::function<bool(const std::string&)>& enough) {
  contents.clear();
  char buffer[65536];
  for (;;) {
    const long n = readSome(buffer, sizeof buffer);
    if (n < 0) return ReadResult::NotOpened;
    if (n == 0) return ReadResult::Ok;
    contents.append(buffer, static_cast<std::size_t>(n));
    if (enough && enough(contents)) return ReadResult::Ok;
    if (contents.size() > limit) return ReadResult::TooLarge;
  }
}

}  // namespace platform::fileio
