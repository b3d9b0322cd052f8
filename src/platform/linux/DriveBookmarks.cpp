#include "platform/linux/DriveBookmarks.h"

#include <glib.h>
#include <sys/stat.h>

#include <cstdlib>
#include <exception>
#include <functional>
#include <string_view>

#include "platform/Codec.h"
#include "platform/FileIO.h"

namespace platform::bookmarks {

namespace {

// The link's name is its drive letter.
char DriveOf(const std::string& linkPath) {
  return linkPath.empty() ? '\0' : linkPath.back();
}

std::string UriFor(const std::string& linkPath) {
  g_autofree char* absolute = g_canonicalize_filename(linkPath.c_str(), nullptr);
  g_autofree char* uri = g_filename_to_uri(absolute, nullptr, nullptr);
  return uri != nullptr ? uri : "";
}

// The label's prefix, "Z: (": what marks a line as one this program made.
std::string LabelPrefix(const std::string& linkPath) {
  return std::string(1, DriveOf(linkPath)) + ": (";
}

bool IsOurs(std::string_view line, const std::string& uri, const std::string& prefix) {
  const std::string head = uri + " " + prefix;
  return line.size() > head.size() && line.substr(0, head.size()) == head && line.back() == ')';
}

// `content` without the lines `drop` picks; every other byte stays.
std::string Filtered(const std::string& content,
                     const std::function<bool(std::string_view)>& drop) {
  std::string kept;
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t end = content.find('\n', start);
    end = end == std::string::npos ? content.size() : end + 1;
    std::string_view line(content.data() + start, end - start);
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (!drop(line)) kept.append(content, start, end - start);
    start = end;
  }
  return kept;
}

// Reads, changes and replaces the file; a missing file reads as empty.
void Update(const std::function<std::string(const std::string&)>& change, bool create) {
  // A file kept elsewhere and linked here (a dotfiles folder) stays a link:
  // the replacing write goes through links.
  const std::string path = BookmarksFile();
  std::string before;
  const auto wholeFile = [](const std::string&) { return false; };
  if (ReadRegularFile(path, 1 << 20, before, wholeFile) != ReadResult::Ok) {
    struct stat st;
    if (!create || ::lstat(path.c_str(), &st) == 0) return;  // there, but unreadable
    g_autofree char* folder = g_path_get_dirname(path.c_str());
    if (g_mkdir_with_parents(folder, 0700) != 0) return;
    before.clear();
  }
  const std::string after = change(before);
  if (after == before) return;
  try {
    WriteFileReplacing(path, after);
  } catch (const std::exception&) {
    // The old file stays whole; the drive itself is not affected.
  }
}

}  // namespace

std::string LineFor(const std::string& linkPath, const std::string& utf8Remote) {
  const std::string uri = UriFor(linkPath);
  if (uri.empty()) return "";
  std::string label = LabelPrefix(linkPath);
  // One bookmark is one line, whatever the settings hold.
  for (const char c : utf8Remote) {
    if (c != '\n' && c != '\r') label += c;
  }
  return uri + " " + label + ")";
}

std::string WithDrive(const std::string& content, const std::string& linkPath,
                      const std::string& utf8Remote) {
  const std::string line = LineFor(linkPath, utf8Remote);
  if (line.empty()) return content;
  const std::string uri = UriFor(linkPath);
  const std::string prefix = LabelPrefix(linkPath);
  bool usersOwn = false;
  std::string result = Filtered(content, [&](std::string_view existing) {
    if (IsOurs(existing, uri, prefix)) return true;
    if (existing == uri || existing.substr(0, uri.size() + 1) == uri + " ") usersOwn = true;
    return false;
  });
  if (usersOwn) return result;
  if (!result.empty() && result.back() != '\n') result += '\n';
  return result + line + "\n";
}

std::string WithoutDrive(const std::string& content, const std::string& linkPath) {
  const std::string uri = UriFor(linkPath);
  if (uri.empty()) return content;
  const std::string prefix = LabelPrefix(linkPath);
  return Filtered(content, [&](std::string_view line) { return IsOurs(line, uri, prefix); });
}

std::string BookmarksFile() {
  const char* home = std::getenv("XDG_CONFIG_HOME");
  const std::string config = home != nullptr && home[0] == '/'
                                 ? std::string(home)
                                 : std::string(g_get_home_dir()) + "/.config";
  return config + "/gtk-3.0/bookmarks";
}

void AddDriveBookmark(const std::string& linkPath, const std::string& sjisRemote) {
  const std::string remote = SjisToUtf8(sjisRemote);
  Update([&](const std::string& content) { return WithDrive(content, linkPath, remote); }, true);
}

void RemoveDriveBookmark(const std::string& linkPath) {
  Update([&](const std::string& content) { return WithoutDrive(content, linkPath); }, false);
}

}  // namespace platform::bookmarks
