// The settings store: the running settings of the process and the
// configuration file's reader and writer (passwords are stored scrambled,
// see Scramble.h).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Errors.h"
#include "platform/Services.h"
#include "settings/Scramble.h"

namespace DefUnit {

constexpr int MaxEntries = 26;
constexpr int FieldSize = 257;  // 256 bytes of Shift-JIS text and a zero byte
constexpr int MaxFieldText = FieldSize - 1;
// A configuration line: the longest key ("NoErrorDialog"), a TAB, a full
// text value and a zero byte, so that every line SaveSettings writes reads
// back whole.
constexpr int LongestKeyLength = 13;
constexpr int LineBufferSize = LongestKeyLength + 1 + MaxFieldText + 1;
// Far above any configuration file (26 entries take some 40 KB); a larger
// file is refused rather than read into memory.
constexpr std::size_t MaxConfigFileBytes = 1024 * 1024;

// A text field: Shift-JIS text ending at the first zero byte.
using TextField = std::array<char, FieldSize>;
using TextArray = std::array<TextField, MaxEntries>;
using IntArray = std::array<std::int32_t, MaxEntries>;

// The connections and the global options: what the configuration file
// holds, and what the settings dialog edits as its working copy.
struct ConnectionSettings {
  TextArray NetPath{};
  TextArray LocalDrive{};
  TextArray UserName{};
  TextArray UserPasswd{};
  IntArray WaitTime{};
  IntArray MaxError{};
  bool DoMapping = false;
  bool SmallStart = false;
  std::int32_t ExitTime = 5;
  bool NoErrorDialog = false;
  // The entries' passwords live in the system's secret store: the file's
  // password lines stay empty (one that is not still holds its password).
  bool PasswordStore = false;
};

// The option's line, written only when it is on: a file without it reads as
// before, and a reader that knows only the ten keys finds none in it.
extern const char* const PasswordStoreKey;  // "PasswordStore"

// Where the secret store keeps an entry's password: its remote path without
// a trailing backslash (as a connection attempt uses it) and its user name.
platform::CredentialName CredentialNameOf(const ConnectionSettings& settings, int index);
// Whether entry `index`'s password is to be read from the secret store.
bool PasswordInStore(const ConnectionSettings& settings, int index);

// The settings the program runs with: the connections as loaded, and the
// run's own state beside them. One instance, owned by the program's start.
struct RunningSettings : ConnectionSettings {
  IntArray Countdown{};
  IntArray ErrorCount{};
  std::int32_t EntryCount = 0;
  std::string ConfigFileName = "ConfFile.dat";
  // What the file held when it was read, as a short fingerprint; empty when
  // it was not read. Refused credentials are remembered under it: only an
  // edited file may try them again.
  std::string ConfigIdentity;
  bool HoldShiftKey = false;
};

extern const char* const DefaultConfigFileName;  // "ConfFile.dat"

// A value that is not a number, with the key it stood under: the watcher
// names the key in its log, never the value (it may be a password's).
class BadValue : public platform::EConvertError {
 public:
  BadValue(const platform::EConvertError& error, std::string key)
      : platform::EConvertError(error.what()), Key(std::move(key)) {}
  std::string Key;
};

// The configuration file `commandLine` names with "-f" (the last one), else
// the default.
std::string ConfigFileNameOf(const std::vector<std::string>& commandLine);

// Resets `settings`, takes "-f" from `commandLine` (the program's path first)
// and reads the configuration file. A file that does not open, or is no
// regular file, or is too large, is reported with a box through `boxes`; a value that is not a
// number throws platform::EConvertError with the settings read so far left in place.
void LoadSettings(RunningSettings& settings, const std::vector<std::string>& commandLine,
                  platform::MessageBoxes& boxes);
// LoadSettings without a box: the box's text, or empty when the file was read.
std::string ReadSettings(RunningSettings& settings, const std::vector<std::string>& commandLine);
// The reading part of LoadSettings: the lines of a file's `contents` into
// `settings`, which the caller has reset.
void ReadSettingsText(RunningSettings& settings, std::string contents);

// Writes `settings` to `path`, replacing an existing file in one step.
// Throws platform::EInOutError; the old file is then unchanged.
void SaveSettings(const std::string& path, const ConnectionSettings& settings);
// The bytes SaveSettings writes.
std::string FormatSettings(const ConnectionSettings& settings);

bool ConfigFileExists(const std::string& name);

// Line source for ReadConfigLine: a file's bytes and a read position.
class ConfigFile {
 public:
  explicit ConfigFile(std::string contents) : data_(std::move(contents)) {}
  bool AtEnd() const { return pos_ >= data_.size(); }
  // The next line without its line end (LF, or CR LF); empty at the end.
  std::string ReadLine();

 private:
  std::string data_;
  std::size_t pos_ = 0;
};

// Hands the next line that is not a comment to the reader: copies it into
// `buffer` (LineBufferSize bytes) and returns its length; 0 ends the reading.
int ReadConfigLine(ConfigFile& file, char* buffer);

// Copies `source` without its spaces and TABs into `destination` (room for
// `destinationSize` bytes including the zero byte) and returns the bytes
// stored. Reads at most 1024 bytes of `source`.
int CopySettingValue(char* destination, const char* source, int destinationSize = FieldSize);

int FieldLength(const TextField& field);
std::string FieldText(const TextField& field);
// Stores `text` into `field`, cut at a character boundary to fit.
void SetField(TextField& field, const std::string& text);

// The integer value of a configuration text: optional sign, decimal digits,
// or hexadecimal digits after "$", "x", "X", "0x" or "0X"; the whole text
// must be used. The low 32 bits are kept. Throws platform::EConvertError.
std::int32_t ConfigInteger(const std::string& text);

// The reading both integer rules share: optional sign, then decimal digits or
// hexadecimal digits after "$", "x", "X", "0x" or "0X", the whole text used.
// Empty when the text is no number or its digits pass 64 bits; the caller
// applies its own range.
struct ParsedInteger {
  std::uint64_t Magnitude = 0;
  bool Negative = false;
  bool Hex = false;
};
std::optional<ParsedInteger> ParseInteger(std::string_view text);

}  // namespace DefUnit
