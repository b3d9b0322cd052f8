#include "platform/Errors.h"

#include <cerrno>
#include <new>

#include "platform/Codec.h"

namespace platform {

EConvertError NotAnInteger(const std::string& sjisText) {
  return EConvertError("'" + SjisToUtf8(sjisText) + "' は整数ではありません");
}

namespace {

enum class IoProblem { AccessDenied, DiskFull, PathNotFound, BadName, TooManyOpenFiles, Other };

EInOutError InOutError(IoProblem problem, long code) {
  const int n = static_cast<int>(code);
  switch (problem) {
    case IoProblem::AccessDenied:
      return EInOutError("ファイルへのアクセスが拒否されました", n);
    case IoProblem::DiskFull:
      return EInOutError("ディスクがいっぱいです", n);
    case IoProblem::PathNotFound:
      return EInOutError("指定されたパスが見つかりません。", n);
    case IoProblem::BadName:
      return EInOutError(
          "ファイル名、ディレクトリ名、またはボリューム ラベルの構文が間違っています。", n);
    case IoProblem::TooManyOpenFiles:
      return EInOutError("システムはファイルを開くことができません。", n);
    case IoProblem::Other:
      break;
  }
  return EInOutError("I/O エラー (" + std::to_string(code) + ")", n);
}

}  // namespace

EInOutError InOutErrorFromErrno(int err) {
  switch (err) {
    case EACCES:
    case EPERM:
    case EISDIR:  // what a folder in the way of a file gives on Windows too
#ifdef EROFS
    case EROFS:
#endif
      return InOutError(IoProblem::AccessDenied, err);
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return InOutError(IoProblem::DiskFull, err);
    // A missing folder, a file where a folder should be, a name too long
    // for the file system: Windows says the path is not found to each.
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
      return InOutError(IoProblem::PathNotFound, err);
    case EMFILE:
    case ENFILE:
      return InOutError(IoProblem::TooManyOpenFiles, err);
    default:
      return InOutError(IoProblem::Other, err);
  }
}

#ifdef _WIN32
EInOutError InOutErrorFromWin32(unsigned long err) {
  switch (err) {
    case 5:   // ERROR_ACCESS_DENIED
    case 19:  // ERROR_WRITE_PROTECT
    case 32:  // ERROR_SHARING_VIOLATION
      return InOutError(IoProblem::AccessDenied, static_cast<long>(err));
    case 112:  // ERROR_DISK_FULL
    case 39:   // ERROR_HANDLE_DISK_FULL
      return InOutError(IoProblem::DiskFull, static_cast<long>(err));
    case 2:    // ERROR_FILE_NOT_FOUND
    case 3:    // ERROR_PATH_NOT_FOUND
    case 206:  // ERROR_FILENAME_EXCED_RANGE
      return InOutError(IoProblem::PathNotFound, static_cast<long>(err));
    case 123:  // ERROR_INVALID_NAME
      return InOutError(IoProblem::BadName, static_cast<long>(err));
    case 4:  // ERROR_TOO_MANY_OPEN_FILES
      return InOutError(IoProblem::TooManyOpenFiles, static_cast<long>(err));
    default:
      return InOutError(IoProblem::Other, static_cast<long>(err));
  }
}
#endif

std::string UserMessage(const std::exception& failure) {
  if (dynamic_cast<const Exception*>(&failure) != nullptr) return failure.what();
  if (dynamic_cast<const std::bad_alloc*>(&failure) != nullptr) return "メモリが不足しています";
  return "予期しないエラーが発生しました";
}

std::string ErrorBoxText(const std::string& utf8Message) {
  if (utf8Message.empty()) return utf8Message;
  // Compare the last character, not the last byte: any multi-byte UTF-8
  // character sorts after ".", and so does its final byte (>= 0x80).
  const unsigned char last = static_cast<unsigned char>(utf8Message.back());
  if (last <= '.') return utf8Message;
  return utf8Message + ".";
}

}  // namespace platform
