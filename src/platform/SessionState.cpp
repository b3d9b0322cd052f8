#include "platform/SessionState.h"

#include <algorithm>

#include "platform/Codec.h"
#include "platform/Errors.h"
#include "platform/FileIO.h"
#include "platform/RemoteName.h"

namespace platform {

namespace {

constexpr char kHeader[] = "kayoiji-refused";
constexpr char kMountsHeader[] = "kayoiji-mounts";
constexpr std::size_t kLimit = 64 * 1024;
// Far more than 26 entries of a few configurations (or mounts); the oldest go first.
constexpr std::size_t kMostEntries = 256;

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
    fields.push_back(line.substr(start, tab - start));
  }
  fields.push_back(line.substr(start));
  return fields;
}

// The lines of a session's file after its header; none when the file is
// missing, unreadable or of another session.
std::vector<std::string> LoadSessionLines(const std::string& path, const char* header,
                                          const std::string& session) {
  std::string contents;
  if (path.empty() || ReadRegularFile(path, kLimit, contents,
                                      [](const std::string&) { return false; }) != ReadResult::Ok) {
    return {};
  }
  std::vector<std::string> lines;
  std::size_t start = 0;
  bool first = true;
  while (start < contents.size()) {
    const std::size_t end = std::min(contents.find('\n', start), contents.size());
    std::string line = contents.substr(start, end - start);
    start = end + 1;
    if (first) {
      const std::vector<std::string> fields = Fields(line);
      if (fields.size() != 2 || fields[0] != header || fields[1] != HexBytes(session)) return {};
      first = false;
      continue;
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

// Replaces the file in one step with the newest lines; a file that cannot be
// written leaves what this process knows to itself.
void StoreSessionLines(const std::string& path, const char* header, const std::string& session,
                       const std::vector<std::string>& lines) {
  if (path.empty()) return;
  std::string contents = std::string(header) + "\t" + HexBytes(session) + "\n";
  const std::size_t skip = lines.size() > kMostEntries ? lines.size() - kMostEntries : 0;
  for (std::size_t i = skip; i < lines.size(); ++i) contents += lines[i] + "\n";
  try {
    WriteFileReplacing(path, contents);
  } catch (const Exception&) {
  }
}

}  // namespace

// Names are stored in hexadecimal: Shift-JIS bytes need no escaping then.
SessionRefusals::SessionRefusals(const std::string& folder, std::string session)
    : path_(folder.empty() ? std::string() : folder + FolderSeparator() + "refused"),
      session_(std::move(session)) {}

std::vector<SessionRefusals::Entry> SessionRefusals::Load() const {
  std::vector<Entry> entries;
  for (const std::string& line : LoadSessionLines(path_, kHeader, session_)) {
    const std::vector<std::string> fields = Fields(line);
    Entry entry;
    if (fields.size() == 3 && FromHexBytes(fields[1], entry.RemoteName) &&
        FromHexBytes(fields[2], entry.UserName)) {
      entry.Config = fields[0];
      entries.push_back(std::move(entry));
    }
  }
  return entries;
}

void SessionRefusals::Store(const std::vector<Entry>& entries) const {
  std::vector<std::string> lines;
  for (const Entry& entry : entries) {
    lines.push_back(entry.Config + "\t" + HexBytes(entry.RemoteName) + "\t" +
                    HexBytes(entry.UserName));
  }
  StoreSessionLines(path_, kHeader, session_, lines);
}

bool SessionRefusals::Refused(const std::string& config, const std::string& remoteName,
                              const std::string& userName) {
  const Entry wanted{config, remoteName, userName};
  const std::vector<Entry> stored = Load();
  return std::any_of(stored.begin(), stored.end(), wanted) ||
         std::any_of(own_.begin(), own_.end(), wanted);
}

void SessionRefusals::Record(const std::string& config, const std::string& remoteName,
                             const std::string& userName, bool refused) {
  // Without a configuration there is nothing that could change to clear it.
  if (config.empty()) return;
  const Entry wanted{config, remoteName, userName};
  std::erase_if(own_, wanted);
  if (refused) own_.push_back(wanted);
  std::vector<Entry> stored = Load();
  if (std::any_of(stored.begin(), stored.end(), wanted) == refused) return;
  std::erase_if(stored, wanted);
  if (refused) stored.push_back(wanted);
  Store(stored);
}

bool SessionRefusals::Entry::operator()(const Entry& other) const {
  return other.Config == Config && other.UserName == UserName &&
         SameRemoteName(other.RemoteName, RemoteName);
}

SessionMounts::SessionMounts(const std::string& folder, std::string session)
    : path_(folder.empty() ? std::string() : folder + FolderSeparator() + "mounts"),
      session_(std::move(session)) {}

bool SessionMounts::Made(const std::string& root) const {
  const std::vector<std::string> stored = LoadSessionLines(path_, kMountsHeader, session_);
  return std::find(stored.begin(), stored.end(), HexBytes(root)) != stored.end();
}

void SessionMounts::Record(const std::string& root, bool made) {
  std::vector<std::string> stored = LoadSessionLines(path_, kMountsHeader, session_);
  const std::string line = HexBytes(root);
  if ((std::find(stored.begin(), stored.end(), line) != stored.end()) == made) return;
  std::erase(stored, line);
  if (made) stored.push_back(line);
  StoreSessionLines(path_, kMountsHeader, session_, stored);
}

void SessionMounts::KeepOnly(const std::vector<std::string>& present) {
  std::vector<std::string> stored = LoadSessionLines(path_, kMountsHeader, session_);
  const std::size_t before = stored.size();
  std::erase_if(stored, [&present](const std::string& line) {
    std::string root;
    return !FromHexBytes(line, root) ||
           std::find(present.begin(), present.end(), root) == present.end();
  });
  if (stored.size() != before) StoreSessionLines(path_, kMountsHeader, session_, stored);
}

}  // namespace platform
