// The backends both programs compose on Windows: the window program's network
// (the WNet calls), and the keyboard, the OS identity and the Credential
// Manager that the watcher has too. Windows has no desktop notices here.
#pragma once

#include "platform/windows/Win32CredentialStore.h"
#include "platform/windows/Win32Network.h"
#include "platform/windows/Win32System.h"

namespace platform {

using ProgramNetwork = Win32Network;

// Made in this order.
struct SystemBackends {
  Win32Keyboard Keys;
  Win32OsIdentity Os;
  Win32CredentialStore Secrets;
};

}  // namespace platform
