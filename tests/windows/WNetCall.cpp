// The connection calls as another program of the same session makes them,
// for the Wine tests with the test network provider:
//   wnet-call add \\server\share X: USER PASSWORD   WNetAddConnection2A
//   wnet-call cancel X:                             WNetCancelConnection2A(X:, 0, TRUE)
//   wnet-call get X:                                WNetGetConnectionA
//   wnet-call provider-get PROVIDER.DLL X:          its NPGetConnection, which
//                                                   Wine's router never asks
// Arguments are taken as UTF-16 and passed in the ANSI code page, as the
// program passes its Shift-JIS settings. Prints the result code, and for
// "get" the remote name (UTF-8) after a TAB; exits 0 when the call was made.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <shellapi.h>
#include <winnetwk.h>

#include <cstdio>
#include <string>
#include <vector>

#include "WinText.h"

int main() {
  int argc = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(wintext::Narrow(wide[i], CP_ACP));
  LocalFree(wide);
  const std::string command = args.empty() ? "" : args[0];
  if (command == "add" && args.size() == 5) {
    NETRESOURCEA resource{};
    resource.lpRemoteName = args[1].data();
    resource.lpLocalName = args[2].data();
    std::printf("%lu\n", WNetAddConnection2A(&resource, args[4].c_str(), args[3].c_str(), 0));
  } else if (command == "cancel" && args.size() == 2) {
    std::printf("%lu\n", WNetCancelConnection2A(args[1].c_str(), 0, TRUE));
  } else if (command == "get" && args.size() == 2) {
    char remote[1024] = {};
    DWORD size = sizeof remote;
    const DWORD result = WNetGetConnectionA(args[1].c_str(), remote, &size);
    std::printf("%lu\t%s\n", result,
                wintext::Narrow(wintext::Wide(result == 0 ? remote : "", CP_ACP)).c_str());
  } else if (command == "provider-get" && args.size() == 3) {
    using GetConnection = DWORD(WINAPI*)(LPWSTR, LPWSTR, LPDWORD);
    const HMODULE provider = LoadLibraryA(args[1].c_str());
    const auto get = provider != nullptr ? reinterpret_cast<GetConnection>(reinterpret_cast<void*>(
                                               GetProcAddress(provider, "NPGetConnection")))
                                         : nullptr;
    if (get == nullptr) return 2;
    std::wstring local = wintext::Wide(args[2], CP_ACP);
    wchar_t remote[1024] = {};
    DWORD length = 1024;
    const DWORD result = get(local.data(), remote, &length);
    std::printf("%lu\t%s\n", result, wintext::Narrow(result == 0 ? remote : L"").c_str());
  } else {
    std::fprintf(stderr,
                 "usage: wnet-call add REMOTE LOCAL USER PASSWORD | cancel LOCAL | get LOCAL |"
                 " provider-get DLL LOCAL\n");
    return 2;
  }
  std::fflush(stdout);
  return 0;
}
