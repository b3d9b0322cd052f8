// A secret store in memory: what it holds, whether it is there or locked,
// which names it refuses to take, and every call in order.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/SecretStore.h"

namespace testsupport {

class FakeSecretStore : public platform::SecretStore {
 public:
  using Key = std::pair<std::string, std::string>;  // remote name, user name
  static Key KeyOf(const platform::CredentialName& n) { return {n.RemoteName, n.UserName}; }

  // ---- script ----
  bool IsAvailable = true;
  bool IsLocked = false;
  // False: the lock is not yet known to Locked(), until a Read meets it (a
  // store that started locked after it was first asked).
  bool LockNoticed = true;
  std::set<Key> RefuseWrites;  // Write answers "full" for these
  // ---- state and record ----
  std::map<Key, std::string> Held;
  std::vector<std::string> Calls;  // "read \\a\b u", "write ...", "remove ..."

  bool Available() override { return IsAvailable; }
  bool Locked() override { return IsAvailable && IsLocked && LockNoticed; }
  platform::StoredPassword Read(const platform::CredentialName& name) override {
    Calls.push_back("read " + Text(name));
    if (!IsAvailable) return {platform::StoreAnswer::NoStore, {}, {}};
    if (IsLocked) {
      LockNoticed = true;
      return {platform::StoreAnswer::Locked, {}, {}};
    }
    const auto it = Held.find(KeyOf(name));
    if (it == Held.end()) return {platform::StoreAnswer::NotFound, {}, {}};
    return {platform::StoreAnswer::Found, it->second, {}};
  }
  std::string Write(const platform::CredentialName& name, const std::string& password) override {
    Calls.push_back("write " + Text(name));
    if (!IsAvailable) return "no store";
    if (RefuseWrites.count(KeyOf(name)) != 0) return "full";
    Held[KeyOf(name)] = password;
    return {};
  }
  std::string Remove(const platform::CredentialName& name) override {
    Calls.push_back("remove " + Text(name));
    if (!IsAvailable) return "no store";
    Held.erase(KeyOf(name));
    return {};
  }

 private:
  static std::string Text(const platform::CredentialName& n) {
    return n.RemoteName + " " + n.UserName;
  }
};

}  // namespace testsupport
