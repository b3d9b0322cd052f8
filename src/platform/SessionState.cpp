#include "platform/SessionState.h"

#include <algorithm>

#include "platform/Codec.h"
#include "platform/Errors.h"
#include "platform/FileIO.h"
#include "platform/RemoteName.h"

namespace platform {

namespace {

constexpr char kHeader[] = "kayoiji-refused";
constexpr std::size_t kLimit = 64 * 1024;
// Far more than 26 entries of a few configurations; the oldest go first.
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

}  // namespace

// Names are stored in hexadecimal: Shift-JIS bytes need no escaping then.
SessionRefusals::SessionRefusals(const std::string& folder, std::string session)
    : path_(folder.empty() ? std::string() : folder + FolderSeparator() + "refused"),
      session_(std::move(session)) {}

std::vector<SessionRefusals::Entry> SessionRefusals::Load() const {
  std::vector<Entry> entries;
  std::string contents;
  if (path_.empty() || ReadRegularFile(path_, kLimit, contents, [](const std::string&) {
                         return false;
                       }) != ReadResult::Ok) {
    return entries;
  }
  std::size_t start = 0;
  bool first = true;
  while (start < contents.size()) {
    const std::size_t end = std::min(contents.find('\n', start), contents.size());
    const std::vector<std::string> fields = Fields(contents.substr(start, end - start));
    start = end + 1;
    if (first) {
      if (fields.size() != 2 || fields[0] != kHeader || fields[1] != HexBytes(session_)) return {};
      first = false;
      continue;
    }
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
  if (path_.empty()) return;
  std::string contents = std::string(kHeader) + "\t" + HexBytes(session_) + "\n";
  const std::size_t skip = entries.size() > kMostEntries ? entries.size() - kMostEntries : 0;
  for (std::size_t i = skip; i < entries.size(); ++i) {
    contents += entries[i].Config + "\t" + HexBytes(entries[i].RemoteName) + "\t" +
                HexBytes(entries[i].UserName) + "\n";
  }
  try {
    WriteFileReplacing(path_, contents);
  } catch (const Exception&) {
    // What this process recorded still holds for itself.
  }
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

}  // namespace platform
