#include "platform/linux/GioErrors.h"

#include <locale.h>
#include <string.h>

#include <cerrno>
#include <span>

#include "platform/Services.h"

namespace platform::gio {

namespace {
struct CodeFor {
  int Error;
  std::uint32_t Code;
};

// The system errors a failed SMB mount ends with.
constexpr CodeFor kSystemErrors[] = {
    {ENOENT, code::BadNetName},          {ENODEV, code::BadNetName},
    {ENXIO, code::BadNetName},           {ENOTDIR, code::BadNetName},
    {EINVAL, code::BadNetName},          {ECONNREFUSED, code::NoNetOrBadPath},
    {ETIMEDOUT, code::NoNetOrBadPath},   {EHOSTUNREACH, code::NoNetOrBadPath},
    {ENETUNREACH, code::NoNetOrBadPath}, {EHOSTDOWN, code::NoNetOrBadPath},
    {ECONNRESET, code::NetNameDeleted},  {ECONNABORTED, code::NetNameDeleted},
    {EPIPE, code::NetNameDeleted},       {EACCES, code::AccessDenied},
    {EPERM, code::AccessDenied},
};

// GIO's own errors; a busy mount and a plain failure need more than the code.
constexpr CodeFor kIoErrors[] = {
    {G_IO_ERROR_ALREADY_MOUNTED, code::NoError},
    {G_IO_ERROR_PERMISSION_DENIED, code::AccessDenied},
    {G_IO_ERROR_NOT_FOUND, code::BadNetName},
    {G_IO_ERROR_NOT_MOUNTABLE_FILE, code::BadNetName},
    {G_IO_ERROR_NOT_DIRECTORY, code::BadNetName},
    {G_IO_ERROR_INVALID_FILENAME, code::BadNetName},
    {G_IO_ERROR_INVALID_ARGUMENT, code::BadNetName},
    {G_IO_ERROR_HOST_NOT_FOUND, code::BadNetPath},
    {G_IO_ERROR_CONNECTION_CLOSED, code::NetNameDeleted},
    {G_IO_ERROR_HOST_UNREACHABLE, code::NoNetOrBadPath},
    {G_IO_ERROR_NETWORK_UNREACHABLE, code::NoNetOrBadPath},
    {G_IO_ERROR_CONNECTION_REFUSED, code::NoNetOrBadPath},
    {G_IO_ERROR_TIMED_OUT, code::NoNetOrBadPath},
    {G_IO_ERROR_NOT_CONNECTED, code::NoNetOrBadPath},
    {G_IO_ERROR_NOT_SUPPORTED, code::NoNetwork},
    {G_IO_ERROR_DBUS_ERROR, code::NoNetwork},
    {G_IO_ERROR_CANCELLED, code::Cancelled},
    {G_IO_ERROR_FAILED_HANDLED, code::Cancelled},
    {G_IO_ERROR_NOT_MOUNTED, code::NotConnected},
};

// An error the table does not list is an unexpected one.
std::uint32_t Find(std::span<const CodeFor> table, int error) {
  for (const auto& e : table) {
    if (e.Error == error) return e.Code;
  }
  return code::UnexpectedNetError;
}

// GVfs's SMB backend reports a failed mount as G_IO_ERROR_FAILED with the
// system's error text at the end of the message, in the session's language
// or untranslated.
std::uint32_t CodeFromMessage(const char* message) {
  static const locale_t untranslated = newlocale(LC_ALL_MASK, "C", nullptr);
  for (const auto& e : kSystemErrors) {
    if (g_str_has_suffix(message, g_strerror(e.Error)) ||
        (untranslated != nullptr && g_str_has_suffix(message, strerror_l(e.Error, untranslated)))) {
      return e.Code;
    }
  }
  return code::UnexpectedNetError;
}

std::uint32_t IoErrorCode(const GError* error, const CallFacts& facts) {
  if (error->code == G_IO_ERROR_BUSY) return facts.Unmounting ? code::OpenFiles : code::Busy;
  if (error->code == G_IO_ERROR_FAILED && error->message != nullptr) {
    return CodeFromMessage(error->message);
  }
  return Find(kIoErrors, error->code);
}
}  // namespace

std::uint32_t WindowsCodeForErrno(int error) {
  if (error == 0) return code::NoError;
  return Find(kSystemErrors, error);
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
