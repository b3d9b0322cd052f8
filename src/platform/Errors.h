// The program's failures. Handlers do not catch them: they end the running
// handler and reach the application's general error handler, which shows the
// message in an error box and lets the program go on.
#pragma once

#include <exception>
#include <stdexcept>
#include <string>

namespace platform {

// The general error. The message is UTF-8.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// A text that is not an integer.
class EConvertError : public Exception {
 public:
  explicit EConvertError(const std::string& message) : Exception(message) {}
};

// A file could not be created, written, replaced or closed.
class EInOutError : public Exception {
 public:
  explicit EInOutError(const std::string& message) : Exception(message) {}
};

// The conversion failure for `sjisText` (Shift-JIS bytes as they stood).
EConvertError NotAnInteger(const std::string& sjisText);

// The input/output failure for a C library error number, with the message
// a Japanese desktop shows for it; "I/O エラー (%d)" for the uncommon ones.
EInOutError InOutErrorFromErrno(int err);

// The message of a failure as the user reads it: the program's own failures
// carry Japanese messages; a library's (out of memory, a failed standard
// call) would be English, so it is named in Japanese instead.
std::string UserMessage(const std::exception& failure);

// The text the general error handler shows: the message with "." added,
// unless its last character already sorts at or before ".".
std::string ErrorBoxText(const std::string& utf8Message);

}  // namespace platform
