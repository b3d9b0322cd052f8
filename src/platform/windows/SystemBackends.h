// What both programs' compositions on Windows have alike: the keyboard, the
// OS identity and the Credential Manager.
#pragma once

#include "platform/Backends.h"
#include "platform/windows/Win32CredentialStore.h"
#include "platform/windows/Win32System.h"

namespace platform {

// Made in this order. No desktop notices.
struct CommonBackends {
  Win32Keyboard Keys;
  Win32OsIdentity Os;
  Win32CredentialStore Secrets;

  BackendSet With(NetworkService& network) { return {&network, &Keys, &Os, &Secrets, nullptr}; }
};

}  // namespace platform
