// GIO's failures as the Windows codes the connection messages know.
#pragma once

#include <gio/gio.h>

#include <cstdint>

namespace platform::gio {

// What the caller knows about the call that failed, beyond the error itself.
struct CallFacts {
  bool Unmounting = false;          // the error came from an unmount
  bool CredentialsRefused = false;  // the server asked for a password a second time
  bool Anonymous = false;           // the attempt logged in without a user or password
};

// The one mapping of a GIO, GDBus or resolver error onto a Windows code; 0
// for no error and for a share that is already mounted.
std::uint32_t WindowsCodeFor(const GError* error, const CallFacts& facts = {});

// A system error met while reading a mounted share through its local path.
std::uint32_t WindowsCodeForErrno(int error);

}  // namespace platform::gio
