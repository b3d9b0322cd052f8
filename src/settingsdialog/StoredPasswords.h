// Moving the entries' passwords between the configuration file and the
// system's secret store when the dialog saves, without a window: the store
// is written before the file, and emptied of what the file no longer needs
// only after the file has been written, so that a failure loses nothing.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "platform/SecretStore.h"
#include "settings/DefUnit.h"

namespace Unit2 {

// What the dialog knows of the store's passwords since it was shown.
struct StoredPasswords {
  // The name each entry's password was kept under in the store when the
  // dialog was shown (none for a password the file held).
  std::array<std::optional<platform::CredentialName>, DefUnit::MaxEntries> ShownNames{};
  // The store could not give the entry's password (locked, missing): the
  // working copy's password is empty for want of it, not because it is.
  std::array<bool, DefUnit::MaxEntries> Unknown{};
  // What the store gave for each entry when the dialog was shown.
  std::array<std::string, DefUnit::MaxEntries> Given{};

  // Fills the working copy's passwords from the store, for the entries of
  // `running` that keep theirs there. Never prompts.
  void Load(const DefUnit::ConnectionSettings& running, DefUnit::ConnectionSettings& working,
            platform::SecretStore* store);
};

struct StoreMove {
  // The settings to write: the passwords the store took are left out.
  DefUnit::ConnectionSettings ToFile;
  // Entries (from 0) the store refused, with its reason: the file keeps them.
  std::vector<std::pair<int, std::string>> NotStored;
  // An entry whose password the dialog does not know and cannot leave where
  // it is (its name changed, or the option goes off): nothing may be saved.
  std::optional<int> Unreadable;
};

// Writes the passwords of `working` into the store when its option is on.
StoreMove MovePasswordsForSave(const DefUnit::ConnectionSettings& working,
                               const StoredPasswords& known, platform::SecretStore* store);

// After `saved` has been written: removes from the store the passwords it
// kept that `saved` no longer reads from there.
void ForgetUnusedPasswords(const DefUnit::ConnectionSettings& saved, const StoredPasswords& known,
                           platform::SecretStore* store);

}  // namespace Unit2
