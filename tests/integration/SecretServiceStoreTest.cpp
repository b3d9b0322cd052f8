// The Secret Service backend against a real gnome-keyring-daemon on a private
// session bus (secret-service.sh), and against a bus without any store. Its
// lock, watched, is tested end to end (PasswordStoreRunTest.cpp).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/linux/SecretServiceStore.h"

using platform::CredentialName;
using platform::StoreAnswer;

namespace {

bool InKeyringFixture() {
  return std::getenv("KAYOIJI_TEST_KEYRING_PASSWORD") != nullptr;
}

const CredentialName kShare{"\\\\127.0.0.1@4450\\\x8B\xA4\x97\x4C", "DOM\\u"};  // 共有

}  // namespace

TEST(SecretServiceStore, KeepsReadsAndRemovesAPassword) {
  if (!InKeyringFixture()) GTEST_SKIP() << "outside secret-service.sh";
  platform::SecretServiceStore store;
  ASSERT_TRUE(store.Available());
  EXPECT_FALSE(store.Locked());
  const std::string password = "p\x82\xA0 ss";  // "pあ ss": beyond what the file can keep
  ASSERT_EQ(store.Write(kShare, password), "");
  EXPECT_EQ(store.Write(kShare, password), "") << "a second write replaces the first";

  platform::StoredPassword read = store.Read(kShare);
  ASSERT_EQ(read.Answer, StoreAnswer::Found) << read.Reason;
  EXPECT_EQ(read.Password, password);
  EXPECT_EQ(store.Read({kShare.RemoteName, "other"}).Answer, StoreAnswer::NotFound);
  EXPECT_EQ(store.Read({kShare.RemoteName + "x", kShare.UserName}).Answer, StoreAnswer::NotFound);

  EXPECT_EQ(store.Remove(kShare), "");
  EXPECT_EQ(store.Read(kShare).Answer, StoreAnswer::NotFound);
  EXPECT_EQ(store.Remove(kShare), "") << "nothing to remove is no failure";
}

// Run on a bus with no activatable services and no keyring.
TEST(SecretServiceStore, NoSecretServiceOnTheBus) {
  if (InKeyringFixture()) GTEST_SKIP() << "inside secret-service.sh";
  if (std::getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr) GTEST_SKIP() << "no session bus";
  platform::SecretServiceStore store;
  EXPECT_FALSE(store.Available());
  EXPECT_FALSE(store.Locked());
  EXPECT_EQ(store.Read(kShare).Answer, StoreAnswer::NoStore);
  EXPECT_NE(store.Write(kShare, "x"), "");
}
