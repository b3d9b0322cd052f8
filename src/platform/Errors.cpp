#include "platform/Errors.h"

#include <cerrno>

#include "platform/Codec.h"

namespace platform {

EConvertError NotAnInteger(const std::string& sjisText) {
  return EConvertError("'" + SjisToUtf8(sjisText) + "' は整数ではありません");
}

EInOutError InOutErrorFromErrno(int err) {
  switch (err) {
    case EACCES:
    case EPERM:
#ifdef EROFS
    case EROFS:
#endif
      return EInOutError("ファイルへのアクセスが拒否されました", err);
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return EInOutError("ディスクがいっぱいです", err);
    default:
      return EInOutError("I/O エラー (" + std::to_string(err) + ")", err);
  }
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
