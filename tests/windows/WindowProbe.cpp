// What the Wine tests of the real program cannot see from X, asked of Windows
// itself:
//   window-probe region <title> <honeycomb-region.dat>
//       the window's shape (GetWindowRgn) is the committed region moved to
//       (7, 1); prints its box and exits 1 when they differ
//   window-probe client <title>
//       prints the screen position and size of the window's client area
//   window-probe shortcut <file.lnk>
//       prints the shortcut's target, arguments and working folder
//   window-probe clipboard
//       prints the clipboard's text (a message box copies its own on Ctrl+C)
//   window-probe texts <title>
//       prints the text of each visible control in the window, one
//       "text<TAB>..." line each (line breaks as spaces)
//   window-probe elevation
//       prints the token this Wine gives a program: "full" (the elevated half
//       of a split token), "limited" or "default"
// Titles and paths are taken as UTF-16 from the command line; the output is
// UTF-8, one "name<TAB>value" line each.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "WinText.h"

namespace {

std::string Utf8(const std::wstring& text) {
  return wintext::Narrow(text);
}

void Print(const char* name, const std::string& value) {
  std::printf("%s\t%s\n", name, value.c_str());
}

HWND FindTopLevel(const std::wstring& title) {
  HWND window = FindWindowW(nullptr, title.c_str());
  if (window == nullptr) std::fprintf(stderr, "no window titled \"%s\"\n", Utf8(title).c_str());
  return window;
}

std::string BoxText(HRGN region) {
  RECT box{};
  GetRgnBox(region, &box);
  return std::to_string(box.left) + "," + std::to_string(box.top) + "," +
         std::to_string(box.right) + "," + std::to_string(box.bottom);
}

// The "DATA" block: a 32-bit count, then that many bytes of RGNDATA.
HRGN CommittedRegion(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  const std::vector<char> block{std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>()};
  if (block.size() < 4 + sizeof(RGNDATAHEADER)) return nullptr;
  std::vector<DWORD> data((block.size() - 4 + sizeof(DWORD) - 1) / sizeof(DWORD));
  std::copy(block.begin() + 4, block.end(), reinterpret_cast<char*>(data.data()));
  HRGN region = ExtCreateRegion(nullptr, static_cast<DWORD>(block.size() - 4),
                                reinterpret_cast<const RGNDATA*>(data.data()));
  RECT box{};
  if (region == nullptr || GetRgnBox(region, &box) == 0) return region;
  OffsetRgn(region, 7 - box.left, 1 - box.top);
  return region;
}

int Region(const std::wstring& title, const std::wstring& dataPath) {
  const HWND window = FindTopLevel(title);
  if (window == nullptr) return 2;
  HRGN expected = CommittedRegion(dataPath);
  if (expected == nullptr) {
    std::fprintf(stderr, "cannot read the region data\n");
    return 2;
  }
  HRGN shape = CreateRectRgn(0, 0, 0, 0);
  const int kind = GetWindowRgn(window, shape);
  if (kind == ERROR || kind == NULLREGION) {
    Print("shape", "none");
    return 1;
  }
  Print("shape", BoxText(shape));
  Print("expected", BoxText(expected));
  const bool same = EqualRgn(shape, expected) != 0;
  Print("equal", same ? "yes" : "no");
  DeleteObject(shape);
  DeleteObject(expected);
  return same ? 0 : 1;
}

int Client(const std::wstring& title) {
  const HWND window = FindTopLevel(title);
  if (window == nullptr) return 2;
  RECT client{};
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  std::printf("%ld %ld %ld %ld\n", origin.x, origin.y, client.right, client.bottom);
  return 0;
}

int Shortcut(const std::wstring& path) {
  if (FAILED(CoInitialize(nullptr))) return 2;
  IShellLinkW* link = nullptr;
  IPersistFile* file = nullptr;
  int status = 2;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
    wchar_t text[2 * MAX_PATH] = {};
    link->GetPath(text, 2 * MAX_PATH, nullptr, 0);
    Print("target", Utf8(text));
    text[0] = 0;
    link->GetArguments(text, 2 * MAX_PATH);
    Print("arguments", Utf8(text));
    text[0] = 0;
    link->GetWorkingDirectory(text, 2 * MAX_PATH);
    Print("workdir", Utf8(text));
    status = 0;
  } else {
    std::fprintf(stderr, "cannot load the shortcut\n");
  }
  if (file != nullptr) file->Release();
  if (link != nullptr) link->Release();
  CoUninitialize();
  return status;
}

int Clipboard() {
  if (!OpenClipboard(nullptr)) return 2;
  const HANDLE data = GetClipboardData(CF_UNICODETEXT);
  const auto* text = data != nullptr ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
  if (text != nullptr) {
    std::printf("%s\n", Utf8(text).c_str());
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text != nullptr ? 0 : 1;
}

BOOL CALLBACK PrintText(HWND control, LPARAM) {
  if (!IsWindowVisible(control)) return TRUE;
  // WM_GETTEXT itself: GetWindowText does not ask another process's controls.
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length) ||
      length == 0) {
    return TRUE;
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 5000, &copied);
  text.resize(copied);
  std::replace(text.begin(), text.end(), L'\r', L' ');
  std::replace(text.begin(), text.end(), L'\n', L' ');
  Print("text", Utf8(text));
  return TRUE;
}

int Texts(const std::wstring& title) {
  const HWND window = FindTopLevel(title);
  if (window == nullptr) return 2;
  EnumChildWindows(window, PrintText, 0);
  return 0;
}

int Elevation() {
  HANDLE token = nullptr;
  TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
  DWORD size = 0;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return 1;
  const BOOL ok = GetTokenInformation(token, TokenElevationType, &type, sizeof type, &size);
  CloseHandle(token);
  if (!ok) return 1;
  std::printf("elevation\t%s\n", type == TokenElevationTypeFull      ? "full"
                                 : type == TokenElevationTypeLimited ? "limited"
                                                                     : "default");
  return 0;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  const std::wstring command = argc > 1 ? argv[1] : L"";
  int status = 2;
  if (command == L"region" && argc == 4) {
    status = Region(argv[2], argv[3]);
  } else if (command == L"client" && argc == 3) {
    status = Client(argv[2]);
  } else if (command == L"shortcut" && argc == 3) {
    status = Shortcut(argv[2]);
  } else if (command == L"clipboard" && argc == 2) {
    status = Clipboard();
  } else if (command == L"texts" && argc == 3) {
    status = Texts(argv[2]);
  } else if (command == L"elevation" && argc == 2) {
    status = Elevation();
  } else {
    std::fprintf(stderr,
                 "usage: window-probe region TITLE DATA | client TITLE | shortcut LNK | texts "
                 "TITLE | clipboard | elevation\n");
  }
  LocalFree(argv);
  std::fflush(stdout);
  return status;
}
