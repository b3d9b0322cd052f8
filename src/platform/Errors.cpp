#include "platform/Errors.h"

#include <algorithm>
#include <cerrno>
#include <new>

#include "platform/Codec.h"
#include "platform/FileIOShared.h"

namespace platform {

EConvertError NotAnInteger(const std::string& sjisText) {
  return EConvertError("'" + SjisToUtf8(sjisText) + "' は整数ではありません");
}

namespace fileio {

EInOutError InOutError(long code, std::span<const IoProblemCode> problems) {
  const auto found = std::find_if(problems.begin(), problems.end(),
                                  [code](const IoProblemCode& p) { return p.Code == code; });
  if (found != problems.end()) {
    switch (found->Problem) {
      case IoProblem::AccessDenied:
        return EInOutError("ファイルへのアクセスが拒否されました");
      case IoProblem::DiskFull:
        return EInOutError("ディスクがいっぱいです");
      case IoProblem::PathNotFound:
        return EInOutError("指定されたパスが見つかりません。");
      case IoProblem::BadName:
        return EInOutError(
            "ファイル名、ディレクトリ名、またはボリューム ラベルの構文が間違っています。");
      case IoProblem::TooManyOpenFiles:
        return EInOutError("システムはファイルを開くことができません。");
    }
  }
  return EInOutError("I/O エラー (" + std::to_string(code) + ")");
}

}  // namespace fileio

namespace {

using fileio::IoProblem;

constexpr fileio::IoProblemCode kErrnoProblems[] = {
    {EACCES, IoProblem::AccessDenied},
    {EPERM, IoProblem::AccessDenied},
    {EISDIR, IoProblem::AccessDenied},  // what a folder in the way of a file gives on Windows too
#ifdef EROFS
    {EROFS, IoProblem::AccessDenied},
#endif
    {ENOSPC, IoProblem::DiskFull},
#ifdef EDQUOT
    {EDQUOT, IoProblem::DiskFull},
#endif
    // A missing folder, a file where a folder should be, a name too long
    // for the file system: Windows says the path is not found to each.
    {ENOENT, IoProblem::PathNotFound},
    {ENOTDIR, IoProblem::PathNotFound},
    {ENAMETOOLONG, IoProblem::PathNotFound},
    {EMFILE, IoProblem::TooManyOpenFiles},
    {ENFILE, IoProblem::TooManyOpenFiles},
};

}  // namespace

EInOutError InOutErrorFromErrno(int err) {
  return fileio::InOutError(err, kErrnoProblems);
}

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
