// The backends both programs compose on Linux: the window program's network
// (GIO/GVfs), and the keyboard, the OS identity, the Secret Service and
// desktop notices that the watcher has too.
#pragma once

#include "platform/linux/DesktopNotifier.h"
#include "platform/linux/GioNetwork.h"
#include "platform/linux/LinuxSystem.h"
#include "platform/linux/SecretServiceStore.h"

namespace platform {

using ProgramNetwork = GioNetwork;

// Made in this order.
struct SystemBackends {
  LinuxKeyboard Keys;
  LinuxOsIdentity Os;
  SecretServiceStore Secrets;
  DesktopNotifier Notices;
};

}  // namespace platform
