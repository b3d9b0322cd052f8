// The Credential Manager backend, under Wine's own Credential Manager.
#include "platform/windows/Win32CredentialStore.h"

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, whose types it uses.
#include <wincred.h>

#include <string>

namespace {

using platform::StoreAnswer;

TEST(Win32CredentialStore, KeepsAGenericCredentialThatAPersonRecognises) {
  platform::Win32CredentialStore store;
  ASSERT_TRUE(store.Available());
  EXPECT_FALSE(store.Locked());
  const platform::CredentialName name{"\\\\srv\\\x8B\xA4\x97\x4C", "DOM\\u"};  // \\srv\共有
  const std::string password = "p\x82\xA0ss word";                             // "pあss word"
  ASSERT_EQ(store.Write(name, password), "");

  const platform::StoredPassword read = store.Read(name);
  ASSERT_EQ(read.Answer, StoreAnswer::Found) << read.Reason;
  EXPECT_EQ(read.Password, password);
  EXPECT_EQ(store.Read({name.RemoteName, "other"}).Answer, StoreAnswer::NotFound);

  // As the Credential Manager lists it: named for the share and the user,
  // the password in UTF-16 as Windows' own tools keep one.
  PCREDENTIALW found = nullptr;
  ASSERT_TRUE(CredReadW(L"Kayoiji: \\\\srv\\\u5171\u6709 (DOM\\u)", CRED_TYPE_GENERIC, 0, &found));
  EXPECT_EQ(std::wstring(found->UserName), L"DOM\\u");
  EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(found->CredentialBlob),
                         found->CredentialBlobSize / sizeof(wchar_t)),
            L"p\u3042ss word");
  CredFree(found);

  EXPECT_EQ(store.Remove(name), "");
  EXPECT_EQ(store.Read(name).Answer, StoreAnswer::NotFound);
  EXPECT_EQ(store.Remove(name), "") << "nothing to remove is no failure";
}

}  // namespace
