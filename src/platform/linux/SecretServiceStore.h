// The secret store on Linux: the desktop's Secret Service over D-Bus, through
// libsecret, items in its default collection.
#pragma once

#include <string>

#include "platform/SecretStore.h"

typedef struct _GDBusConnection GDBusConnection;
typedef struct _GVariant GVariant;

namespace platform {

class SecretServiceStore : public SecretStore {
 public:
  SecretServiceStore();
  ~SecretServiceStore() override;
  SecretServiceStore(const SecretServiceStore&) = delete;
  SecretServiceStore& operator=(const SecretServiceStore&) = delete;

  bool Available() override;
  bool Locked() override;
  StoredPassword Read(const CredentialName& name) override;
  std::string Write(const CredentialName& name, const std::string& password) override;
  std::string Remove(const CredentialName& name) override;

 private:
  // The default collection's lock state, read once and then kept by the
  // service's change signals.
  void Watch();
  void ReadLocked();
  static void Changed(GDBusConnection* bus, const char* sender, const char* path,
                      const char* interface, const char* signal, GVariant* parameters, void* self);

  GDBusConnection* bus_ = nullptr;
  unsigned propertiesSignal_ = 0;
  unsigned collectionSignal_ = 0;
  bool watching_ = false;
  bool locked_ = false;
  std::string collection_;  // its object path; empty while there is none
};

}  // namespace platform
