// The registry reads and program starts of the hyperlink label, on the Win32
// "A" calls. Texts are UTF-8; they are converted to and from code page 932 at
// the calls.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform::windows {

// Opens the browser's settings key under the current user for full access,
// creating it when it is missing, and reads each of `valueNames` from its
// "Settings" subkey as text. An entry is empty when its value is missing or
// is not text; all are empty when the key cannot be opened.
std::vector<std::optional<std::string>> ReadBrowserSettings(
    const std::vector<std::string>& valueNames);

// The default value of `keyName` under HKEY_CLASSES_ROOT, read into a
// 260-byte buffer up to its first zero byte; empty when it cannot be read.
// False only when the key does not open.
bool ReadClassesRootDefault(const std::string& keyName, std::string& value);

// ShellExecuteA(no window, "open", file, no parameters, no folder, SW_SHOW);
// true when it reports success (a result above 32).
bool ShellExecuteOpen(const std::string& file);

// WinExec(commandLine, SW_SHOW); the result is not used.
void WinExecShow(const std::string& commandLine);

}  // namespace platform::windows
