// Drive links in the side bar of the desktop's file dialogs: one line per
// drive in the user's GTK bookmarks file, "URI LABEL", added when the link is
// made and removed with it. Every other line of the file stays as it was.
#pragma once

#include <string>

namespace platform::bookmarks {

// The line for drive link `linkPath` ("/home/u/Drives/Z") to `utf8Remote`:
// "file:///home/u/Drives/Z Z: (\\host\share)". Empty when the path cannot
// form a URI.
std::string LineFor(const std::string& linkPath, const std::string& utf8Remote);

// `content` with the line for the link added at its end, replacing a line
// this program made for the same link before (another share on that letter).
// Unchanged when the user has a bookmark of that link of their own.
std::string WithDrive(const std::string& content, const std::string& linkPath,
                      const std::string& utf8Remote);

// `content` without the line this program made for the link.
std::string WithoutDrive(const std::string& content, const std::string& linkPath);

// $XDG_CONFIG_HOME/gtk-3.0/bookmarks (~/.config when unset or not absolute).
std::string BookmarksFile();

// The file operations, replacing the file in one step. A bookmark is a
// convenience: a file that cannot be read or written is left alone and the
// drive works as before.
void AddDriveBookmark(const std::string& linkPath, const std::string& sjisRemote);
void RemoveDriveBookmark(const std::string& linkPath);

}  // namespace platform::bookmarks
