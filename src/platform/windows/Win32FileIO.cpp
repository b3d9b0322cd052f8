// File access on Windows: the ANSI file calls, a rename that replaces; the
// user's configuration made from the machine's.
#include <windows.h>
// After windows.h:
#include <knownfolders.h>
#include <shlobj.h>

#include <cstring>
#include <string>

#include "platform/Errors.h"
#include "platform/FileIO.h"
#include "platform/FileIOShared.h"
#include "platform/windows/Win32Text.h"

namespace platform {

namespace fileio {

bool IsSeparator(char c) {
  return c == '\\' || c == '/' || c == ':';
}

unsigned long ProcessId() {
  return GetCurrentProcessId();
}

}  // namespace fileio

using namespace fileio;

char FolderSeparator() {
  return '\\';
}

namespace {

// Which Windows error codes (GetLastError) stand for the failures a
// Japanese desktop names in its own words.
constexpr IoProblemCode kWin32Problems[] = {
    {ERROR_ACCESS_DENIED, IoProblem::AccessDenied},
    {ERROR_WRITE_PROTECT, IoProblem::AccessDenied},
    {ERROR_SHARING_VIOLATION, IoProblem::AccessDenied},
    {ERROR_DISK_FULL, IoProblem::DiskFull},
    {ERROR_HANDLE_DISK_FULL, IoProblem::DiskFull},
    {ERROR_FILE_NOT_FOUND, IoProblem::PathNotFound},
    {ERROR_PATH_NOT_FOUND, IoProblem::PathNotFound},
    {ERROR_FILENAME_EXCED_RANGE, IoProblem::PathNotFound},
    {ERROR_INVALID_NAME, IoProblem::BadName},
    {ERROR_TOO_MANY_OPEN_FILES, IoProblem::TooManyOpenFiles},
};

EInOutError InOutErrorFromWin32(DWORD err) {
  return InOutError(static_cast<long>(err), kWin32Problems);
}

HANDLE OpenRegularForReading(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return INVALID_HANDLE_VALUE;
  }
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  // Device names such as CON or COM1 open too, but are no files.
  if (h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_DISK) {
    CloseHandle(h);
    return INVALID_HANDLE_VALUE;
  }
  return h;
}

bool WriteAll(HANDLE h, const std::string& bytes) {
  DWORD written = 0;
  return WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

bool SetLength(HANDLE h, std::size_t length) {
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(length);
  return SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h);
}

// The file a link leads to, at every level, so that the file is replaced
// and the link stays. A link that leads nowhere is replaced itself.
std::string FinalPath(const std::string& path, DWORD attributes) {
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return path;
  }
  HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return path;
  char buffer[4 * MAX_PATH];
  const DWORD n = GetFinalPathNameByHandleA(h, buffer, sizeof buffer, FILE_NAME_NORMALIZED);
  CloseHandle(h);
  return n == 0 || n >= sizeof buffer ? path : std::string(buffer, n);
}

// Temporary files nobody holds open any more; a live save holds its own
// open without sharing, so it cannot be deleted.
void RemoveStaleTemporaries(const std::string& folder, const std::string& prefix) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + prefix + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (IsTemporaryOf(found.cFileName, prefix)) DeleteFileA((folder + found.cFileName).c_str());
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

// Overwrites the file itself: room for the whole content is made first, so
// that a full disk stops the save before anything of the old file changes.
void WriteInPlace(const std::string& path, const std::string& contents) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw InOutErrorFromWin32(GetLastError());
  const std::string bytes = InPlaceContents(contents);
  LARGE_INTEGER size{};
  const bool ok =
      GetFileSizeEx(h, &size) &&
      (static_cast<std::size_t>(size.QuadPart) >= bytes.size() || SetLength(h, bytes.size())) &&
      SetFilePointerEx(h, LARGE_INTEGER{}, nullptr, FILE_BEGIN) && WriteAll(h, bytes) &&
      FlushFileBuffers(h) && SetLength(h, contents.size()) && FlushFileBuffers(h);
  const DWORD err = ok ? 0 : GetLastError();
  CloseHandle(h);
  if (!ok) throw InOutErrorFromWin32(err);
}

// A new temporary file named `prefix` and six characters; INVALID_HANDLE_VALUE
// with the error in `err` when the folder takes none.
HANDLE CreateTemporary(const std::string& prefix, std::string& temp, DWORD& err) {
  for (int attempt = 0;; ++attempt) {
    temp = prefix + RandomSuffix();
    HANDLE h = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) return h;
    err = GetLastError();
    if (err != ERROR_FILE_EXISTS || attempt >= 100) return INVALID_HANDLE_VALUE;
  }
}

// Writes `contents` into the temporary file `h`, closes it and renames it to
// `path` with the `flags` of MoveFileExA. False with the system's error;
// the temporary file is gone then.
bool MoveInto(HANDLE h, const std::string& temp, const std::string& contents,
              const std::string& path, DWORD flags) {
  const bool ok = WriteAll(h, contents) && FlushFileBuffers(h);
  DWORD err = ok ? 0 : GetLastError();
  if (!CloseHandle(h) && ok) err = GetLastError();
  if (err == 0 && MoveFileExA(temp.c_str(), path.c_str(), flags | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  if (err == 0) err = GetLastError();
  DeleteFileA(temp.c_str());
  SetLastError(err);
  return false;
}

// Where the machine's configuration and each user's own lie, below a known folder.
const wchar_t* const kConfigUnder = L"\\Kayoiji\\ConfFile.dat";

// Empty when the ANSI code page cannot name it: the file calls here are ANSI.
std::string Ansi(const std::wstring& wide) {
  BOOL lossy = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(),
                                    static_cast<int>(wide.size()), nullptr, 0, nullptr, &lossy);
  std::string ansi(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                      ansi.data(), n, nullptr, &lossy);
  return lossy ? std::string() : ansi;
}

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  std::wstring folder;
  if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)) && path != nullptr) folder = path;
  CoTaskMemFree(path);
  return folder;
}

std::wstring FullPath(const std::wstring& path) {
  const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (n == 0) return path;
  std::wstring full(n, L'\0');
  const DWORD written = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
  full.resize(written < n ? written : 0);
  return full;
}

// Names of one file: whole paths compared without regard to case, as the
// file system does.
bool SamePath(const std::wstring& a, const std::wstring& b) {
  const std::wstring fa = FullPath(a);
  const std::wstring fb = FullPath(b);
  return !fa.empty() && CompareStringOrdinal(fa.c_str(), static_cast<int>(fa.size()), fb.c_str(),
                                             static_cast<int>(fb.size()), TRUE) == CSTR_EQUAL;
}

// The sample the program comes with, in its own folder.
std::string SampleBesideProgram() {
  char self[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
  if (n == 0 || n >= sizeof self) return {};
  const std::string program(self, n);
  return program.substr(0, NameStart(program)) + "ConfFile.dat";
}

}  // namespace

bool FileOpensForReading(const std::string& path) {
  if (path.empty()) return false;
  HANDLE h = OpenRegularForReading(path);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

ReadResult ReadRegularFile(const std::string& path, std::size_t limit, std::string& contents,
                           const std::function<bool(const std::string&)>& enough) {
  if (path.empty()) return ReadResult::NotOpened;
  HANDLE h = OpenRegularForReading(path);
  if (h == INVALID_HANDLE_VALUE) return ReadResult::NotOpened;
  const ReadResult result = ReadPieces(
      [h](char* buffer, std::size_t size) -> long {
        DWORD n = 0;
        if (!ReadFile(h, buffer, static_cast<DWORD>(size), &n, nullptr)) return -1;
        return static_cast<long>(n);
      },
      limit, contents, enough);
  CloseHandle(h);
  return result;
}

void WriteFileReplacing(const std::string& given, const std::string& contents) {
  if (given.empty()) throw EmptyName();
  const std::string path = FinalPath(given, GetFileAttributesA(given.c_str()));
  const DWORD attributes = GetFileAttributesA(path.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))) {
    throw InOutErrorFromWin32(ERROR_ACCESS_DENIED);
  }
  const std::string folder = path.substr(0, NameStart(path));
  const std::string prefix = TemporaryNamePrefix(path.substr(folder.size()));
  RemoveStaleTemporaries(folder, prefix);

  std::string temp;
  DWORD err = 0;
  HANDLE h = CreateTemporary(folder + prefix, temp, err);
  if (h == INVALID_HANDLE_VALUE) {
    if (err == ERROR_ACCESS_DENIED && exists) return WriteInPlace(path, contents);
    throw InOutErrorFromWin32(err);
  }
  if (!MoveInto(h, temp, contents, path, MOVEFILE_REPLACE_EXISTING)) {
    throw InOutErrorFromWin32(GetLastError());
  }
}

std::string CommandLineFileName(const std::string& given) {
  if (given.find('%') == std::string::npos) return given;
  // For ANSI text the call wants one byte more than it reports.
  const DWORD size = ExpandEnvironmentStringsA(given.c_str(), nullptr, 0) + 1;
  std::string expanded(size, '\0');
  const DWORD n = ExpandEnvironmentStringsA(given.c_str(), expanded.data(), size);
  if (n == 0 || n > size) return given;
  expanded.resize(std::strlen(expanded.c_str()));
  return expanded;
}

void SeedUserConfiguration(const std::string& path, std::size_t limit) {
  if (path.empty() || GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return;
  const DWORD missing = GetLastError();
  if (missing != ERROR_FILE_NOT_FOUND && missing != ERROR_PATH_NOT_FOUND) return;
  const std::wstring own = KnownFolder(FOLDERID_RoamingAppData);
  if (own.empty() || !SamePath(Wide(path, CP_ACP), own + kConfigUnder)) return;

  std::string contents;
  bool found = false;
  for (const std::string& seed :
       {Ansi(KnownFolder(FOLDERID_ProgramData) + kConfigUnder), SampleBesideProgram()}) {
    if (!seed.empty() && ReadRegularFile(seed, limit, contents, nullptr) == ReadResult::Ok) {
      found = true;
      break;
    }
  }
  if (!found) return;
  // A user who has never started it has no folder of it yet.
  const std::string folder = path.substr(0, NameStart(path));
  if (!folder.empty() && !CreateDirectoryA(folder.c_str(), nullptr) &&
      GetLastError() != ERROR_ALREADY_EXISTS) {
    throw InOutErrorFromWin32(GetLastError());
  }
  std::string temp;
  DWORD err = 0;
  HANDLE h = CreateTemporary(folder + TemporaryNamePrefix(path.substr(folder.size())), temp, err);
  if (h == INVALID_HANDLE_VALUE) throw InOutErrorFromWin32(err);
  // Without replacing: a file that turned up meanwhile is the user's.
  if (!MoveInto(h, temp, contents, path, 0)) {
    err = GetLastError();
    if (err != ERROR_ALREADY_EXISTS && err != ERROR_FILE_EXISTS) throw InOutErrorFromWin32(err);
  }
}

}  // namespace platform
