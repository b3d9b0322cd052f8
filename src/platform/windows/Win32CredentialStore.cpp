#include "platform/windows/Win32CredentialStore.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <wincred.h>

#include <string>

#include "platform/windows/Win32Text.h"

namespace platform {

namespace {

std::wstring TargetOf(const CredentialName& name) {
  return Wide(CredentialLabel(name), CP_UTF8);
}

std::string Reason(const char* call, DWORD error) {
  return std::string(call) + " error " + std::to_string(error);
}

}  // namespace

// A session without the user's own log-on (a service, a network log-on) has
// no Credential Manager to keep anything in.
bool Win32CredentialStore::Available() {
  PCREDENTIALW found = nullptr;
  if (CredReadW(L"Kayoiji:", CRED_TYPE_GENERIC, 0, &found)) {
    CredFree(found);
    return true;
  }
  return GetLastError() != ERROR_NO_SUCH_LOGON_SESSION;
}

StoredPassword Win32CredentialStore::Read(const CredentialName& name) {
  const std::wstring target = TargetOf(name);
  PCREDENTIALW found = nullptr;
  if (!CredReadW(target.c_str(), CRED_TYPE_GENERIC, 0, &found)) {
    const DWORD error = GetLastError();
    if (error == ERROR_NOT_FOUND) return {StoreAnswer::NotFound, {}, {}};
    if (error == ERROR_NO_SUCH_LOGON_SESSION) return {StoreAnswer::NoStore, {}, {}};
    return {StoreAnswer::Failed, {}, Reason("CredReadW", error)};
  }
  // The password as Windows' own tools keep one: UTF-16 without an end.
  const std::wstring_view chars(reinterpret_cast<const wchar_t*>(found->CredentialBlob),
                                found->CredentialBlobSize / sizeof(wchar_t));
  StoredPassword answer{StoreAnswer::Found, Narrow(chars, 932), {}};
  SecureZeroMemory(found->CredentialBlob, found->CredentialBlobSize);
  CredFree(found);
  return answer;
}

std::string Win32CredentialStore::Write(const CredentialName& name, const std::string& password) {
  std::wstring target = TargetOf(name);
  std::wstring user = Wide(name.UserName, 932);
  std::wstring secret = Wide(password, 932);
  CREDENTIALW credential{};
  credential.Type = CRED_TYPE_GENERIC;
  credential.TargetName = target.data();
  credential.CredentialBlobSize = static_cast<DWORD>(secret.size() * sizeof(wchar_t));
  credential.CredentialBlob = reinterpret_cast<LPBYTE>(secret.data());
  // Kept for this user on this machine, across log-ons; never roaming.
  credential.Persist = CRED_PERSIST_LOCAL_MACHINE;
  credential.UserName = user.empty() ? nullptr : user.data();
  const bool written = CredWriteW(&credential, 0);
  const DWORD error = GetLastError();
  SecureZeroMemory(secret.data(), secret.size() * sizeof(wchar_t));
  return written ? std::string() : Reason("CredWriteW", error);
}

std::string Win32CredentialStore::Remove(const CredentialName& name) {
  const std::wstring target = TargetOf(name);
  if (CredDeleteW(target.c_str(), CRED_TYPE_GENERIC, 0)) return {};
  const DWORD error = GetLastError();
  return error == ERROR_NOT_FOUND ? std::string() : Reason("CredDeleteW", error);
}

}  // namespace platform
