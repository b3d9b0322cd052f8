// The system's secret store, where an entry's password may live instead of
// the configuration file: the Secret Service on Linux, the Credential Manager
// on Windows. Names and passwords are Shift-JIS bytes, as the settings hold
// them; reasons are UTF-8 for the user.
#pragma once

#include <string>

namespace platform {

// One stored password: the remote path and the user name it belongs to.
struct CredentialName {
  std::string RemoteName;
  std::string UserName;
  bool operator==(const CredentialName&) const = default;
};

enum class StoreAnswer {
  Found,
  NotFound,
  Locked,   // the store holds it but is locked; nothing asked the user
  NoStore,  // no store in this session
  Failed,
};

struct StoredPassword {
  StoreAnswer Answer = StoreAnswer::NotFound;
  std::string Password;  // with Found
  std::string Reason;    // with Failed
};

class SecretStore {
 public:
  virtual ~SecretStore() = default;
  // Whether the session has a store at all.
  virtual bool Available() = 0;
  // Whether the store is locked now. Kept current by the store's own change
  // notices as the program's event loop delivers them, so a run may ask at
  // every tick without asking the store again.
  virtual bool Locked() = 0;
  // Never prompts the user: a locked store answers Locked.
  virtual StoredPassword Read(const CredentialName& name) = 0;
  // Empty when it worked, else the reason. A locked store may ask the user
  // to unlock it (only the settings dialog writes).
  virtual std::string Write(const CredentialName& name, const std::string& password) = 0;
  // Empty when it is gone or was never there, else the reason.
  virtual std::string Remove(const CredentialName& name) = 0;
};

// How a person recognises the password in the store's own tools:
// "Kayoiji: \\server\share (user)". UTF-8.
std::string CredentialLabel(const CredentialName& name);

}  // namespace platform
