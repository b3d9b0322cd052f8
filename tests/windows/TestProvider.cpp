// A network provider for the Windows tests, never shipped. Registered in a
// Wine prefix (tests/windows/provider.sh), it receives the connection calls
// that Wine's multiple-provider router hands on and answers like a file
// server, from a table beside the DLL:
//   share  <TAB> \\server\name <TAB> unix folder <TAB> user <TAB> password [<TAB> refusal code]
//   answer <TAB> \\server\name <TAB> code   ("hang": a minute without an answer)
// ("*" accepts any user or password; a wrong one gets the refusal code,
// 1326 unless the line names 86). On success the letter becomes a drive of
// the prefix through Wine's mount manager, pointing at unc/<server>/<name>
// below the prefix's device folder, where provider.sh links the unix
// folder: Wine then also answers WNetGetConnection for the letter and reads
// \\server\name itself. Every call is logged, one UTF-8 line each:
//   function <TAB> remote or local name <TAB> local name <TAB> user <TAB> result
// The drives it made are listed in connections.txt; it removes only those.
#ifndef NOMINMAX
#define NOMINMAX
#endif
// npapi.h declares the provider's functions with TCHAR texts: they are wide.
#define UNICODE
#include <windows.h>
#include <winioctl.h>
#include <winnetwk.h>
#include <wnnc.h>
extern "C" {
#include <npapi.h>
}

#include <cwchar>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "WinText.h"

namespace {

// Wine's extension of the mount manager, as its own configuration tool uses it.
constexpr DWORD kDefineUnixDrive =
    CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
struct UnixDrive {
  ULONG Size;
  ULONG Type;
  ULONG FsType;
  DWORD Serial;
  ULONGLONG UnixDev;
  WCHAR Letter;
  USHORT MountPointOffset;  // a byte string in the unix character set; 0: remove the drive
  USHORT DeviceOffset;
  USHORT LabelOffset;
};

HMODULE self = nullptr;

std::string Utf8(const std::wstring& text) {
  return wintext::Narrow(text);
}

std::wstring Text(const wchar_t* text) {
  return text != nullptr ? text : L"";
}

bool Same(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// The folder the DLL was copied into: the table, the log and the list live there.
std::wstring Folder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(self, path, MAX_PATH);
  std::wstring folder = path;
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

std::vector<std::vector<std::wstring>> ReadLines(const wchar_t* name) {
  std::ifstream in((Folder() + name).c_str(), std::ios::binary);
  std::vector<std::vector<std::wstring>> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::wstring> fields;
    std::istringstream split(line);
    std::string field;
    while (std::getline(split, field, '\t')) fields.push_back(wintext::Wide(field));
    lines.push_back(fields);
  }
  return lines;
}

// One line per call, whichever process of the prefix made it.
void Log(const wchar_t* function, const std::wstring& name, const std::wstring& local,
         const std::wstring& user, DWORD result) {
  std::ofstream out((Folder() + L"calls.log").c_str(), std::ios::binary | std::ios::app);
  out << Utf8(function) << '\t' << Utf8(name) << '\t' << Utf8(local) << '\t' << Utf8(user) << '\t'
      << result << '\n';
}

// The drives this provider made, in every process of the prefix: letter,
// remote name, user.
struct Connection {
  std::wstring Local, Remote, User;
};

std::vector<Connection> Connections() {
  std::vector<Connection> list;
  for (auto& fields : ReadLines(L"connections.txt")) {
    fields.resize(3);
    list.push_back({fields[0], fields[1], fields[2]});
  }
  return list;
}

void SaveConnections(const std::vector<Connection>& list) {
  std::ofstream out((Folder() + L"connections.txt").c_str(), std::ios::binary | std::ios::trunc);
  for (const Connection& c : list) {
    out << Utf8(c.Local) << '\t' << Utf8(c.Remote) << '\t' << Utf8(c.User) << '\n';
  }
}

// Calls from several processes must not interleave on the list.
class Lock {
 public:
  Lock() : mutex_(CreateMutexW(nullptr, FALSE, L"KayoijiTestProvider")) {
    WaitForSingleObject(mutex_, INFINITE);
  }
  ~Lock() {
    ReleaseMutex(mutex_);
    CloseHandle(mutex_);
  }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

 private:
  HANDLE mutex_;
};

// "\\server\name\" -> "\\server\name"; the server part, or empty.
std::wstring Trimmed(std::wstring remote) {
  if (remote.size() > 2 && remote.back() == L'\\') remote.pop_back();
  return remote;
}

std::wstring Server(const std::wstring& remote) {
  if (remote.rfind(L"\\\\", 0) != 0) return {};
  return remote.substr(2, remote.find(L'\\', 2) - 2);
}

bool IsLetter(const std::wstring& local) {
  return local.size() == 2 && local[1] == L':' && iswalpha(local[0]);
}

bool DefineDrive(wchar_t letter, const std::string& mountPoint) {
  HANDLE manager =
      CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (manager == INVALID_HANDLE_VALUE) return false;
  std::vector<char> buffer(sizeof(UnixDrive) + mountPoint.size() + 1, '\0');
  auto* drive = reinterpret_cast<UnixDrive*>(buffer.data());
  drive->Size = static_cast<ULONG>(buffer.size());
  drive->Type = DRIVE_REMOTE;
  drive->Letter = static_cast<WCHAR>(towlower(letter));
  if (!mountPoint.empty()) {
    drive->MountPointOffset = sizeof(UnixDrive);
    mountPoint.copy(buffer.data() + sizeof(UnixDrive), mountPoint.size());
  }
  DWORD returned = 0;
  const BOOL done =
      DeviceIoControl(manager, kDefineUnixDrive, buffer.data(), static_cast<DWORD>(buffer.size()),
                      nullptr, 0, &returned, nullptr);
  CloseHandle(manager);
  return done != FALSE;
}

DWORD Connect(const std::wstring& remoteName, const std::wstring& local, const std::wstring& user,
              const std::wstring& password) {
  const std::wstring remote = Trimmed(remoteName);
  const std::wstring server = Server(remote);
  bool serverKnown = false;
  const auto table = ReadLines(L"table.txt");
  const std::vector<std::wstring>* share = nullptr;
  for (const auto& fields : table) {
    if (fields.size() < 3) continue;
    if (Same(Server(fields[1]), server)) serverKnown = true;
    if (!Same(fields[1], remote)) continue;
    if (fields[0] == L"answer" && fields[2] == L"hang") {
      Sleep(60 * 1000);
      return ERROR_BAD_NETPATH;
    }
    if (fields[0] == L"answer")
      return static_cast<DWORD>(std::wcstoul(fields[2].c_str(), nullptr, 10));
    if (fields[0] == L"share" && fields.size() >= 5) share = &fields;
  }
  if (server.empty() || !serverKnown) return ERROR_BAD_NETPATH;
  if (share == nullptr) return ERROR_BAD_NET_NAME;
  Lock lock;
  if (!local.empty()) {
    if (!IsLetter(local)) return ERROR_BAD_DEVICE;
    const std::wstring root = local + L"\\";
    if (GetDriveTypeW(root.c_str()) != DRIVE_NO_ROOT_DIR) return ERROR_ALREADY_ASSIGNED;
  }
  const std::vector<std::wstring>& fields = *share;
  std::vector<Connection> list = Connections();
  for (const Connection& c : list) {
    if (Same(Server(c.Remote), server) && !Same(c.User, user)) {
      return ERROR_SESSION_CREDENTIAL_CONFLICT;
    }
  }
  const bool userMatches = fields[3] == L"*" || Same(fields[3], user);
  const bool passwordMatches = fields[4] == L"*" || fields[4] == password;
  if (!userMatches || !passwordMatches) {
    return fields.size() > 5 ? static_cast<DWORD>(std::wcstoul(fields[5].c_str(), nullptr, 10))
                             : ERROR_LOGON_FAILURE;
  }
  if (!local.empty()) {
    const std::wstring name = remote.substr(2);
    std::string mountPoint = "unc/" + Utf8(name);
    for (char& c : mountPoint) {
      if (c == '\\') c = '/';
    }
    if (!DefineDrive(local[0], mountPoint)) return ERROR_NO_NETWORK;
  }
  list.push_back({local, remote, user});
  SaveConnections(list);
  return NO_ERROR;
}

DWORD Cancel(const std::wstring& name) {
  Lock lock;
  std::vector<Connection> list = Connections();
  for (auto it = list.begin(); it != list.end(); ++it) {
    const bool byLetter = !it->Local.empty() && Same(it->Local, name);
    if (!byLetter && !(it->Local.empty() && Same(it->Remote, Trimmed(name)))) continue;
    if (byLetter) DefineDrive(it->Local[0], "");
    list.erase(it);
    SaveConnections(list);
    return NO_ERROR;
  }
  return ERROR_NOT_CONNECTED;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) self = instance;
  return TRUE;
}

__declspec(dllexport) DWORD WINAPI NPGetCaps(DWORD index) {
  switch (index) {
    case WNNC_SPEC_VERSION:
      return WNNC_SPEC_VERSION51;
    case WNNC_NET_TYPE:
      return WNNC_NET_RDR2SAMPLE;
    case WNNC_DRIVER_VERSION:
      return 1;
    case WNNC_CONNECTION:
      return WNNC_CON_ADDCONNECTION | WNNC_CON_ADDCONNECTION3 | WNNC_CON_CANCELCONNECTION |
             WNNC_CON_GETCONNECTIONS;
    case WNNC_START:
      return WNNC_WAIT_FOR_START;  // started
    default:
      return 0;
  }
}

__declspec(dllexport) DWORD WINAPI
    NPAddConnection3(HWND, LPNETRESOURCEW resource, LPWSTR password, LPWSTR user, DWORD) {
  const std::wstring remote = resource != nullptr ? Text(resource->lpRemoteName) : L"";
  const std::wstring local = resource != nullptr ? Text(resource->lpLocalName) : L"";
  const DWORD result = Connect(remote, local, Text(user), Text(password));
  Log(L"NPAddConnection3", remote, local, Text(user), result);
  return result;
}

__declspec(dllexport) DWORD WINAPI
    NPAddConnection(LPNETRESOURCEW resource, LPWSTR password, LPWSTR user) {
  return NPAddConnection3(nullptr, resource, password, user, 0);
}

__declspec(dllexport) DWORD WINAPI NPCancelConnection(LPWSTR name, BOOL) {
  const DWORD result = Cancel(Text(name));
  Log(L"NPCancelConnection", Text(name), L"", L"", result);
  return result;
}

__declspec(dllexport) DWORD WINAPI
    NPGetConnection(LPWSTR localName, LPWSTR remoteName, LPDWORD length) {
  DWORD result = ERROR_NOT_CONNECTED;
  std::wstring remote;
  {
    Lock lock;
    for (const Connection& c : Connections()) {
      if (!c.Local.empty() && Same(c.Local, Text(localName))) remote = c.Remote;
    }
  }
  if (!remote.empty()) {
    if (length == nullptr) {
      result = ERROR_INVALID_PARAMETER;
    } else if (remoteName == nullptr || *length < remote.size() + 1) {
      *length = static_cast<DWORD>(remote.size() + 1);
      result = ERROR_MORE_DATA;
    } else {
      remote.copy(remoteName, remote.size());
      remoteName[remote.size()] = L'\0';
      result = NO_ERROR;
    }
  }
  Log(L"NPGetConnection", Text(localName), L"", L"", result);
  return result;
}

}  // extern "C"
