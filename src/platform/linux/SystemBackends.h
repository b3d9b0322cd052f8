// What both programs' compositions on Linux have alike: the keyboard, the
// OS identity, the Secret Service and desktop notices.
#pragma once

#include "platform/Backends.h"
#include "platform/linux/DesktopNotifier.h"
#include "platform/linux/LinuxSystem.h"
#include "platform/linux/SecretServiceStore.h"

namespace platform {

// Made in this order.
struct CommonBackends {
  LinuxKeyboard Keys;
  LinuxOsIdentity Os;
  SecretServiceStore Secrets;
  DesktopNotifier Notices;

  BackendSet With(NetworkService& network) { return {&network, &Keys, &Os, &Secrets, &Notices}; }
};

}  // namespace platform
