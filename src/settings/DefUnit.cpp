#include "settings/DefUnit.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string_view>

#include "platform/Codec.h"
#include "platform/Errors.h"
#include "platform/FileIO.h"
#include "platform/RemoteName.h"

namespace DefUnit {

const char* const DefaultConfigFileName = "ConfFile.dat";
const char* const PasswordStoreKey = "PasswordStore";

// ---- Text fields ----------------------------------------------------------

int FieldLength(const TextField& field) {
  const auto* end = std::find(field.begin(), field.end(), '\0');
  return static_cast<int>(end - field.begin());
}

std::string FieldText(const TextField& field) {
  return std::string(field.data(), static_cast<std::size_t>(FieldLength(field)));
}

void SetField(TextField& field, const std::string& text) {
  field.fill('\0');
  const std::string cut = platform::CutSjis(text.substr(0, text.find('\0')), MaxFieldText);
  std::memcpy(field.data(), cut.data(), cut.size());
}

int CopySettingValue(char* destination, const char* source, int destinationSize) {
  constexpr int kMaxSourceBytes = 1024;
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  int stored = 0;
  for (int i = 0; i < kMaxSourceBytes && source[i] != '\0';) {
    if (blank(source[i])) {
      ++i;
      continue;
    }
    // A double-byte character is copied whole or not at all.
    const bool pair = platform::IsSjisLeadByte(static_cast<unsigned char>(source[i])) &&
                      i + 1 < kMaxSourceBytes && source[i + 1] != '\0' && !blank(source[i + 1]);
    const int length = pair ? 2 : 1;
    if (stored + length >= destinationSize) break;  // keep room for the zero byte
    std::memcpy(destination + stored, source + i, static_cast<std::size_t>(length));
    stored += length;
    i += length;
  }
  destination[stored] = '\0';
  return stored;
}

// ---- Integers ---------------------------------------------------------------

std::optional<ParsedInteger> ParseInteger(std::string_view text) {
  std::size_t i = 0;
  ParsedInteger parsed;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    parsed.Negative = text[i] == '-';
    ++i;
  }
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    parsed.Hex = true;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    parsed.Hex = true;
    i += 2;
  }
  if (i >= text.size()) return std::nullopt;

  const std::uint64_t base = parsed.Hex ? 16 : 10;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    std::uint64_t digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<std::uint64_t>(c - '0');
    } else if (parsed.Hex && c >= 'a' && c <= 'f') {
      digit = static_cast<std::uint64_t>(c - 'a' + 10);
    } else if (parsed.Hex && c >= 'A' && c <= 'F') {
      digit = static_cast<std::uint64_t>(c - 'A' + 10);
    } else {
      return std::nullopt;
    }
    if (parsed.Magnitude > (std::numeric_limits<std::uint64_t>::max() - digit) / base) {
      return std::nullopt;
    }
    parsed.Magnitude = parsed.Magnitude * base + digit;
  }
  return parsed;
}

std::int32_t ConfigInteger(const std::string& text) {
  const std::optional<ParsedInteger> parsed = ParseInteger(text);
  // Decimal must fit a signed 64-bit value; hexadecimal may use all 64 bits.
  const std::uint64_t decimalLimit =
      static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) +
      (parsed && parsed->Negative ? 1 : 0);
  if (!parsed || (!parsed->Hex && parsed->Magnitude > decimalLimit)) {
    throw platform::NotAnInteger(text);
  }
  std::uint64_t value = parsed->Magnitude;
  if (parsed->Negative) value = ~value + 1;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value & 0xFFFFFFFFu));
}

// ---- Reading ---------------------------------------------------------------

std::string ConfigFile::ReadLine() {
  if (AtEnd()) return {};
  const std::size_t lf = data_.find('\n', pos_);
  const std::size_t end = lf == std::string::npos ? data_.size() : lf;
  std::size_t stop = end;
  if (stop > pos_ && data_[stop - 1] == '\r') --stop;
  std::string line = data_.substr(pos_, stop - pos_);
  pos_ = lf == std::string::npos ? data_.size() : lf + 1;
  return line;
}

int ReadConfigLine(ConfigFile& file, char* buffer) {
  auto next = [&file] {
    std::string line = file.ReadLine();
    if (line.size() >= LineBufferSize) line = platform::CutSjis(line, LineBufferSize - 1);
    return line;
  };
  std::string s = next();
  std::size_t hash = s.find('#');
  while (hash == 0) {
    if (file.AtEnd()) return 0;
    s = next();
    hash = s.find('#');
  }
  // A "#" after the first character starts a comment at the end of the line.
  if (hash != std::string::npos) s.resize(hash);
  std::memcpy(buffer, s.data(), s.size());
  buffer[s.size()] = '\0';
  return static_cast<int>(s.size());
}

namespace {

// The first occurrence of `key` in `line` that starts on a character.
std::size_t FindKey(const std::string& line, const std::string_view key) {
  std::size_t boundary = 0;  // a known character start at or before `at`
  for (std::size_t at = line.find(key); at != std::string::npos; at = line.find(key, at + 1)) {
    while (boundary < at) boundary += platform::SjisCharLength(line, boundary);
    if (boundary == at) return at;
  }
  return std::string::npos;
}

// Upper-cases the single-byte letters a to z; second bytes of double-byte
// characters are left alone.
void UpperCaseSjis(std::string& text, std::size_t from) {
  for (std::size_t i = from; i < text.size(); i += platform::SjisCharLength(text, i)) {
    if (text[i] >= 'a' && text[i] <= 'z') text[i] = static_cast<char>(text[i] - 'a' + 'A');
  }
}

enum class Key {
  NetPath,
  LocalDrive,
  UserName,
  UserPasswd,
  WaitTime,
  NoErrorDialog,
  DoMapping,
  MaxError,
  SmallStart,
  ExitTime,
};

struct KeyName {
  Key key;
  const char* name;
};

// The order the keys are looked for in a line.
constexpr KeyName kKeys[] = {
    {Key::NetPath, "NetPath"},       {Key::LocalDrive, "LocalDrive"},
    {Key::UserName, "UserName"},     {Key::UserPasswd, "UserPasswd"},
    {Key::WaitTime, "WaitTime"},     {Key::NoErrorDialog, "NoErrorDialog"},
    {Key::DoMapping, "DoMapping"},   {Key::MaxError, "MaxError"},
    {Key::SmallStart, "SmallStart"}, {Key::ExitTime, "ExitTime"},
};

class Reader {
 public:
  explicit Reader(RunningSettings& s) : s_(s) {}

  void ProcessLine(std::string line) {
    for (const KeyName& k : kKeys) {
      const std::size_t at = FindKey(line, k.name);
      if (at == std::string::npos) continue;
      char value[FieldSize];
      CopySettingValue(value, line.c_str() + at + std::strlen(k.name));
      const std::string v(value);
      try {
        Apply(k, v, line, at);
      } catch (const platform::EConvertError& error) {
        throw BadValue(error, k.name);
      }
    }
    // Its name holds none of the ten keys, so the line is still whole here.
    const std::size_t at = FindKey(line, PasswordStoreKey);
    if (at != std::string::npos) {
      char value[FieldSize];
      CopySettingValue(value, line.c_str() + at + std::strlen(PasswordStoreKey));
      std::string v(value);
      UpperCaseSjis(v, 0);
      if (v == "TRUE") s_.PasswordStore = true;
    }
  }

 private:
  void Apply(const KeyName& k, const std::string& v, std::string& line, std::size_t at) {
    switch (k.key) {
      case Key::NetPath:
        // Entries past the 26th have nowhere to go; their keys are ignored.
        if (s_.EntryCount >= MaxEntries) {
          overflow_ = true;
          break;
        }
        ++s_.EntryCount;
        SetField(s_.NetPath[Current()], v);
        break;
      case Key::LocalDrive:
        if (EntryOpen()) SetField(s_.LocalDrive[Current()], v);
        break;
      case Key::UserName:
        if (EntryOpen()) SetField(s_.UserName[Current()], v);
        break;
      case Key::UserPasswd:
        if (EntryOpen()) {
          // Decoded before it is stored: a text that fails to decode must
          // not stay in the field as if it were the password.
          const std::string plain = UnscramblePassword(v);
          TextField& field = s_.UserPasswd[Current()];
          field.fill('\0');
          CopySettingValue(field.data(), plain.c_str());
        }
        break;
      default:
        // The value replaces the rest of the line, for the keys that follow.
        line.resize(at);
        line += v;
        ApplyScalar(k.key, line, at);
        break;
    }
  }

  int Current() const { return s_.EntryCount - 1; }
  bool EntryOpen() const { return s_.EntryCount > 0 && !overflow_; }

  void ApplyScalar(Key key, std::string& line, std::size_t valueAt) {
    const std::string v = line.substr(valueAt);
    switch (key) {
      case Key::WaitTime:
        if (EntryOpen()) {
          const std::int32_t n = ConfigInteger(v);
          s_.WaitTime[Current()] = n;
          s_.Countdown[Current()] = n;
        }
        break;
      case Key::MaxError:
        if (EntryOpen()) s_.MaxError[Current()] = ConfigInteger(v);
        break;
      case Key::ExitTime:
        s_.ExitTime = ConfigInteger(v);
        break;
      case Key::NoErrorDialog:
      case Key::DoMapping:
      case Key::SmallStart: {
        UpperCaseSjis(line, valueAt);
        if (line.compare(valueAt, std::string::npos, "TRUE") != 0) break;
        bool& option = key == Key::NoErrorDialog ? s_.NoErrorDialog
                       : key == Key::DoMapping   ? s_.DoMapping
                                                 : s_.SmallStart;
        option = true;
        break;
      }
      default:
        break;
    }
  }

  RunningSettings& s_;
  bool overflow_ = false;
};

// WaitTime is left as it is: it is zero when the process starts and the
// file is read once, at start-up, so only a WaitTime line ever sets it.
// An entry without one keeps 0 (no wait).
void Reset(RunningSettings& s) {
  for (int i = 0; i < MaxEntries; ++i) {
    s.NetPath[i].fill('\0');
    s.LocalDrive[i].fill('\0');
    s.UserName[i].fill('\0');
    s.UserPasswd[i].fill('\0');
    s.Countdown[i] = 0;
    s.MaxError[i] = 0;
    s.ErrorCount[i] = 0;
  }
  s.DoMapping = false;
  s.SmallStart = false;
  s.NoErrorDialog = false;
  s.EntryCount = 0;
  s.ExitTime = 5;
  s.PasswordStore = false;
  s.ConfigFileName = DefaultConfigFileName;
  s.ConfigIdentity.clear();
}

// FNV-1a: the same in every build of both programs, unlike std::hash.
std::string Fingerprint(const std::string& contents) {
  std::uint64_t hash = 14695981039346656037ull;
  for (char c : contents) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// True once `contents` holds an empty line: the reading ends there, so the
// rest of the file is never needed.
bool ReadingEnds(const std::string& contents) {
  return contents.rfind("\n", 0) == 0 || contents.rfind("\r\n", 0) == 0 ||
         contents.find("\n\n") != std::string::npos || contents.find("\n\r\n") != std::string::npos;
}

}  // namespace

bool ConfigFileExists(const std::string& name) {
  return platform::FileOpensForReading(name);
}

std::string ConfigFileNameOf(const std::vector<std::string>& commandLine) {
  std::string name = DefaultConfigFileName;
  for (std::size_t i = 1; i < commandLine.size(); ++i) {
    if (LowerAscii(commandLine[i]) == "-f") {
      name = i + 1 < commandLine.size() ? platform::CommandLineFileName(commandLine[i + 1]) : "";
    }
  }
  return name;
}

void LoadSettings(RunningSettings& settings, const std::vector<std::string>& commandLine,
                  platform::MessageBoxes& boxes) {
  const std::string problem = ReadSettings(settings, commandLine);
  if (!problem.empty()) boxes.Show(platform::ErrorBox(problem));
}

std::string ReadSettings(RunningSettings& settings, const std::vector<std::string>& commandLine) {
  Reset(settings);
  settings.ConfigFileName = ConfigFileNameOf(commandLine);
  platform::SeedUserConfiguration(settings.ConfigFileName, MaxConfigFileBytes);
  std::string contents;
  platform::ReadResult read = platform::ReadResult::NotOpened;
  if (ConfigFileExists(settings.ConfigFileName)) {
    read = platform::ReadRegularFile(settings.ConfigFileName, MaxConfigFileBytes, contents,
                                     ReadingEnds);
  }
  if (read == platform::ReadResult::NotOpened) return "設定ファイルオープンエラー";
  if (read == platform::ReadResult::TooLarge) return "設定ファイルが大きすぎます（上限 1 MB）。";
  settings.ConfigIdentity = Fingerprint(contents);
  ReadSettingsText(settings, std::move(contents));
  return {};
}

void ReadSettingsText(RunningSettings& settings, std::string contents) {
  ConfigFile file(std::move(contents));
  Reader reader(settings);
  char buffer[LineBufferSize] = {};
  while (ReadConfigLine(file, buffer) != 0) reader.ProcessLine(buffer);
}

// ---- Writing ---------------------------------------------------------------

std::string FormatSettings(const ConnectionSettings& s) {
  std::string out;
  auto line = [&out](const std::string& text) { out += text + "\r\n"; };
  auto flag = [](bool b) { return std::string(b ? "True" : "False"); };
  line("### DRIVLINK Config file");
  line("DoMapping\t" + flag(s.DoMapping));
  line("SmallStart\t" + flag(s.SmallStart));
  line("NoErrorDialog\t" + flag(s.NoErrorDialog));
  line("ExitTime\t" + std::to_string(s.ExitTime));
  if (s.PasswordStore) line(std::string(PasswordStoreKey) + "\t" + flag(true));
  for (int i = 0; i < MaxEntries; ++i) {
    if (FieldLength(s.NetPath[i]) == 0) continue;
    line("# " + std::to_string(i + 1));
    line("NetPath\t" + FieldText(s.NetPath[i]));
    line("LocalDrive\t" + FieldText(s.LocalDrive[i]));
    line("UserName\t" + FieldText(s.UserName[i]));
    line("UserPasswd\t" + ScramblePassword(FieldText(s.UserPasswd[i])));
    line("WaitTime\t" + std::to_string(s.WaitTime[i]));
    line("MaxError\t" + std::to_string(s.MaxError[i]));
  }
  return out;
}

platform::CredentialName CredentialNameOf(const ConnectionSettings& settings, int index) {
  const auto i = static_cast<std::size_t>(index);
  // As an attempt names the share: a trailing backslash of its own goes, the
  // second byte of a double-byte character ("表") stays.
  return {platform::WithoutTrailingBackslash(FieldText(settings.NetPath[i])),
          FieldText(settings.UserName[i])};
}

bool PasswordInStore(const ConnectionSettings& settings, int index) {
  return settings.PasswordStore &&
         FieldLength(settings.UserPasswd[static_cast<std::size_t>(index)]) == 0;
}

void SaveSettings(const std::string& path, const ConnectionSettings& settings) {
  platform::WriteFileReplacing(path, FormatSettings(settings));
}

}  // namespace DefUnit
