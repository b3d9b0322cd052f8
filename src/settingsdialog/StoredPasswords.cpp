#include "settingsdialog/StoredPasswords.h"

#include <algorithm>

namespace Unit2 {

namespace {

bool Written(const DefUnit::ConnectionSettings& s, int k) {
  return DefUnit::FieldLength(s.NetPath[static_cast<std::size_t>(k)]) > 0;
}

}  // namespace

void StoredPasswords::Load(const DefUnit::ConnectionSettings& running,
                           DefUnit::ConnectionSettings& working, platform::SecretStore* store) {
  for (int k = 0; k < DefUnit::MaxEntries; ++k) {
    const auto i = static_cast<std::size_t>(k);
    ShownNames[i].reset();
    Unknown[i] = false;
    Given[i].clear();
    if (!Written(running, k) || !DefUnit::PasswordInStore(running, k)) continue;
    ShownNames[i] = DefUnit::CredentialNameOf(running, k);
    const platform::StoredPassword read =
        store != nullptr ? store->Read(*ShownNames[i])
                         : platform::StoredPassword{platform::StoreAnswer::NoStore, {}, {}};
    if (read.Answer == platform::StoreAnswer::Found) {
      DefUnit::SetField(working.UserPasswd[i], read.Password);
      Given[i] = DefUnit::FieldText(working.UserPasswd[i]);
    } else {
      Unknown[i] = true;
    }
  }
}

StoreMove MovePasswordsForSave(const DefUnit::ConnectionSettings& working,
                               const StoredPasswords& known, platform::SecretStore* store) {
  StoreMove move{working, {}, {}};
  for (int k = 0; k < DefUnit::MaxEntries; ++k) {
    const auto i = static_cast<std::size_t>(k);
    if (!Written(working, k)) continue;
    const platform::CredentialName name = DefUnit::CredentialNameOf(working, k);
    if (known.Unknown[i]) {
      // Still in the store under the same name: it stays there untouched.
      if (working.PasswordStore && known.ShownNames[i] == name) continue;
      move.Unreadable = k;
      return move;
    }
    if (!working.PasswordStore) continue;
    const std::string password = DefUnit::FieldText(working.UserPasswd[i]);
    // Already there as it is: not written again (a locked store would ask).
    if (known.ShownNames[i] == name && known.Given[i] == password) {
      move.ToFile.UserPasswd[i].fill('\0');
      continue;
    }
    const std::string reason =
        store != nullptr ? store->Write(name, password) : std::string("no secret store");
    if (reason.empty()) {
      move.ToFile.UserPasswd[i].fill('\0');
    } else {
      move.NotStored.emplace_back(k, reason);
    }
  }
  return move;
}

void ForgetUnusedPasswords(const DefUnit::ConnectionSettings& saved, const StoredPasswords& known,
                           platform::SecretStore* store) {
  if (store == nullptr) return;
  std::vector<platform::CredentialName> used;
  for (int k = 0; k < DefUnit::MaxEntries; ++k) {
    if (Written(saved, k) && DefUnit::PasswordInStore(saved, k)) {
      used.push_back(DefUnit::CredentialNameOf(saved, k));
    }
  }
  for (const std::optional<platform::CredentialName>& name : known.ShownNames) {
    if (!name || std::find(used.begin(), used.end(), *name) != used.end()) continue;
    // One left behind is only clutter in the store: the file has what it needs.
    store->Remove(*name);
  }
}

}  // namespace Unit2
