#include "platform/linux/GioErrors.h"

#include <locale.h>
#include <string.h>

#include <cerrno>

#include "platform/Services.h"

namespace platform::gio {

namespace {
// The system errors a failed SMB mount ends with.
constexpr struct {
  int Errno;
  std::uint32_t Code;
} kSystemErrors[] = {
    {ENOENT, code::BadNetName},          {ENODEV, code::BadNetName},
    {ENXIO, code::BadNetName},           {ENOTDIR, code::BadNetName},
    {EINVAL, code::BadNetName},          {ECONNREFUSED, code::NoNetOrBadPath},
    {ETIMEDOUT, code::NoNetOrBadPath},   {EHOSTUNREACH, code::NoNetOrBadPath},
    {ENETUNREACH, code::NoNetOrBadPath}, {EHOSTDOWN, code::NoNetOrBadPath},
    {ECONNRESET, code::NetNameDeleted},  {ECONNABORTED, code::NetNameDeleted},
    {EPIPE, code::NetNameDeleted},       {EACCES, code::AccessDenied},
    {EPERM, code::AccessDenied},
};

// GVfs's SMB backend reports a failed mount as G_IO_ERROR_FAILED with the
// system's error text at the end of the message, in the session's language
// or untranslated.
std::uint32_t CodeFromMessage(const char* message) {
  static const locale_t untranslated = newlocale(LC_ALL_MASK, "C", nullptr);
  for (const auto& e : kSystemErrors) {
    if (g_str_has_suffix(message, g_strerror(e.Errno)) ||
        (untranslated != nullptr && g_str_has_suffix(message, strerror_l(e.Errno, untranslated)))) {
      return e.Code;
    }
  }
  return code::UnexpectedNetError;
}

std::uint32_t IoErrorCode(const GError* error, const CallFacts& facts) {
  switch (error->code) {
    case G_IO_ERROR_ALREADY_MOUNTED:
      return code::NoError;
    case G_IO_ERROR_PERMISSION_DENIED:
      return code::AccessDenied;
    case G_IO_ERROR_NOT_FOUND:
    case G_IO_ERROR_NOT_MOUNTABLE_FILE:
    case G_IO_ERROR_NOT_DIRECTORY:
    case G_IO_ERROR_INVALID_FILENAME:
    case G_IO_ERROR_INVALID_ARGUMENT:
      return code::BadNetName;
    case G_IO_ERROR_HOST_NOT_FOUND:
      return code::BadNetPath;
    case G_IO_ERROR_CONNECTION_CLOSED:
      return code::NetNameDeleted;
    case G_IO_ERROR_HOST_UNREACHABLE:
    case G_IO_ERROR_NETWORK_UNREACHABLE:
    case G_IO_ERROR_CONNECTION_REFUSED:
    case G_IO_ERROR_TIMED_OUT:
    case G_IO_ERROR_NOT_CONNECTED:
      return code::NoNetOrBadPath;
    case G_IO_ERROR_NOT_SUPPORTED:
    case G_IO_ERROR_DBUS_ERROR:
      return code::NoNetwork;
    case G_IO_ERROR_CANCELLED:
    case G_IO_ERROR_FAILED_HANDLED:
      return code::Cancelled;
    case G_IO_ERROR_BUSY:
      return facts.Unmounting ? code::OpenFiles : code::Busy;
    case G_IO_ERROR_NOT_MOUNTED:
      return code::NotConnected;
    case G_IO_ERROR_FAILED:
      return error->message != nullptr ? CodeFromMessage(error->message) : code::UnexpectedNetError;
    default:
      return code::UnexpectedNetError;
  }
}
}  // namespace

std::uint32_t WindowsCodeForErrno(int error) {
  if (error == 0) return code::NoError;
  for (const auto& e : kSystemErrors) {
    if (e.Errno == error) return e.Code;
  }
  return code::UnexpectedNetError;
}

std::uint32_t WindowsCodeFor(const GError* error, const CallFacts& facts) {
  if (error == nullptr) return code::NoError;
  // A second password request is how GVfs says the first answer was refused;
  // the error that follows only says the request was aborted.
  if (facts.CredentialsRefused) return facts.Anonymous ? code::AccessDenied : code::InvalidPassword;
  if (error->domain == G_IO_ERROR) return IoErrorCode(error, facts);
  if (error->domain == G_DBUS_ERROR) return code::NoNetwork;
  if (error->domain == G_RESOLVER_ERROR) {
    return error->code == G_RESOLVER_ERROR_NOT_FOUND ? code::BadNetPath : code::NoNetOrBadPath;
  }
  return code::UnexpectedNetError;
}

}  // namespace platform::gio
