#include "platform/windows/Win32Shell.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// shellapi.h needs the types of windows.h.
#include <shellapi.h>

#include <algorithm>

#include "platform/Codec.h"

namespace platform::windows {

namespace {

constexpr const char* kBrowserKey = "Software\\Microsoft\\Internet Explorer";
constexpr LONG kDefaultValueBuffer = 260;

std::optional<std::string> ReadText(HKEY key, const std::string& valueName) {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key, valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return std::nullopt;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
  // One byte more than asked for: a stored text need not end in a zero byte.
  std::string data(static_cast<std::size_t>(size) + 1, '\0');
  DWORD got = size;
  if (RegQueryValueExA(key, valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                       &got) != ERROR_SUCCESS)
    return std::nullopt;
  data.resize(static_cast<std::size_t>(std::find(data.begin(), data.end(), '\0') - data.begin()));
  return SjisToUtf8(data);
}

}  // namespace

std::vector<std::optional<std::string>> ReadBrowserSettings(
    const std::vector<std::string>& valueNames) {
  std::vector<std::optional<std::string>> values(valueNames.size());
  HKEY browser = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kBrowserKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &browser, nullptr) != ERROR_SUCCESS)
    return values;
  for (std::size_t i = 0; i < valueNames.size(); ++i) {
    HKEY settings = nullptr;
    if (RegOpenKeyExA(browser, "Settings", 0, KEY_QUERY_VALUE, &settings) != ERROR_SUCCESS)
      continue;
    values[i] = ReadText(settings, Utf8ToSjis(valueNames[i]));
    RegCloseKey(settings);
  }
  RegCloseKey(browser);
  return values;
}

bool ReadClassesRootDefault(const std::string& keyName, std::string& value) {
  value.clear();
  HKEY key = nullptr;
  const std::string name = Utf8ToSjis(keyName);
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, name.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return false;
  char buffer[kDefaultValueBuffer] = {};
  LONG size = kDefaultValueBuffer;
  if (RegQueryValueA(key, nullptr, buffer, &size) == ERROR_SUCCESS) {
    const char* end = std::find(buffer, buffer + kDefaultValueBuffer, '\0');
    value = SjisToUtf8(std::string(static_cast<const char*>(buffer), end));
  }
  RegCloseKey(key);
  return true;
}

bool ShellExecuteOpen(const std::string& file) {
  const std::string sjis = Utf8ToSjis(file);
  const HINSTANCE result = ShellExecuteA(nullptr, "open", sjis.c_str(), nullptr, nullptr, SW_SHOW);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

void WinExecShow(const std::string& commandLine) {
  const std::string sjis = Utf8ToSjis(commandLine);
  static_cast<void>(WinExec(sjis.c_str(), SW_SHOW));
}

}  // namespace platform::windows
