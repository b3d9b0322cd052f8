// The secret store on Windows: the user's Credential Manager, one generic
// credential per stored password, named as the user sees it there.
#pragma once

#include "platform/SecretStore.h"

namespace platform {

class Win32CredentialStore : public SecretStore {
 public:
  bool Available() override;
  // The Credential Manager opens with the user's log-on; it is never locked.
  bool Locked() override { return false; }
  StoredPassword Read(const CredentialName& name) override;
  std::string Write(const CredentialName& name, const std::string& password) override;
  std::string Remove(const CredentialName& name) override;
};

}  // namespace platform
