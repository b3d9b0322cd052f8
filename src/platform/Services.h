// The services the toolkit-free layers rely on, as small interfaces. The
// program's start owns the real ones (Qt, GIO or Win32) and one Services
// record over them, and passes it by reference; tests wire their own doubles.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/SecretStore.h"

namespace platform {

// ---- Message boxes --------------------------------------------------------

enum class BoxKind { Information, Error };
enum class BoxButtons { Ok, OkCancel };
enum class BoxAnswer { Ok, Cancel };

struct Box {
  BoxKind Kind = BoxKind::Error;
  std::string Title;  // UTF-8
  std::string Text;   // UTF-8
  BoxButtons Buttons = BoxButtons::Ok;
};

// A modal box: runs a nested message loop until closed. Closing the box any
// other way than with "OK" answers Cancel.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  virtual BoxAnswer Show(const Box& box) = 0;
};

// The two kinds the program uses, with their fixed titles.
Box ErrorBox(const std::string& text);
Box InformationBox(const std::string& text, BoxButtons buttons = BoxButtons::Ok);

// ---- Application object ---------------------------------------------------

class Application {
 public:
  virtual ~Application() = default;
  // The taskbar text; the program's progress display. UTF-8.
  virtual std::string Title() const = 0;
  virtual void SetTitle(const std::string& title) = 0;
  // Dispatch every pending window message, then return.
  virtual void ProcessMessages() = 0;
  // End the message loop once the running handler has returned.
  virtual void Terminate() = 0;
  // Minimise the whole application to the task bar.
  virtual void Minimize() = 0;
};

// ---- Network connections ---------------------------------------------------

// The connection request (the ANSI NETRESOURCE record). Texts are Shift-JIS
// bytes and never null; the provider is always left to the platform.
struct NetResource {
  std::uint32_t dwScope = 0;
  std::uint32_t dwType = 0;  // RESOURCETYPE_ANY
  std::uint32_t dwDisplayType = 0;
  std::uint32_t dwUsage = 0;
  std::string LocalName;
  std::string RemoteName;
};

// Windows error codes the engine and the backends share: the one place that
// spells out their numbers.
namespace code {
constexpr std::uint32_t NoError = 0;
constexpr std::uint32_t AccessDenied = 5;
constexpr std::uint32_t BadNetPath = 53;          // ERROR_BAD_NETPATH: no such server
constexpr std::uint32_t UnexpectedNetError = 59;  // ERROR_UNEXP_NET_ERR
constexpr std::uint32_t NetNameDeleted = 64;      // ERROR_NETNAME_DELETED: connection lost
constexpr std::uint32_t BadDevType = 66;
constexpr std::uint32_t BadNetName = 67;
constexpr std::uint32_t AlreadyAssigned = 85;
constexpr std::uint32_t InvalidPassword = 86;
constexpr std::uint32_t Busy = 170;
constexpr std::uint32_t BadDevice = 1200;
constexpr std::uint32_t DeviceAlreadyRemembered = 1202;
constexpr std::uint32_t NoNetOrBadPath = 1203;
constexpr std::uint32_t BadProvider = 1204;
constexpr std::uint32_t CannotOpenProfile = 1205;
constexpr std::uint32_t BadProfile = 1206;
constexpr std::uint32_t ExtendedError = 1208;
// ERROR_SESSION_CREDENTIAL_CONFLICT: the server is already connected under
// another user name.
constexpr std::uint32_t CredentialConflict = 1219;
constexpr std::uint32_t NoNetwork = 1222;
constexpr std::uint32_t Cancelled = 1223;
constexpr std::uint32_t NoLogonServers = 1311;
constexpr std::uint32_t LogonFailure = 1326;  // wrong user name or password
constexpr std::uint32_t PasswordExpired = 1330;
constexpr std::uint32_t AccountDisabled = 1331;
constexpr std::uint32_t PasswordMustChange = 1907;
constexpr std::uint32_t AccountLockedOut = 1909;
constexpr std::uint32_t NotConnected = 2250;
constexpr std::uint32_t OpenFiles = 2401;  // ERROR_OPEN_FILES: in use, not disconnected
// This program's own outcomes of an attempt that never reached the network
// (bit 29 marks a code as an application's, never a system's).
constexpr std::uint32_t StoreStaysLocked = 0x20000001;  // the secret store stayed locked
constexpr std::uint32_t NoSecretStore = 0x20000002;     // the session has no secret store
constexpr std::uint32_t NotReadFromStore = 0x20000003;  // not in the store, or unreadable
}  // namespace code

// The platform's network-connection calls with the Windows contract.
class NetworkService {
 public:
  virtual ~NetworkService() = default;
  // WNetAddConnection2A(&request, password, userName, flags): 0 or an error code.
  virtual std::uint32_t AddConnection(const NetResource& request, const std::string& password,
                                      const std::string& userName, std::uint32_t flags) = 0;
  // WNetCancelConnection2A(localName, flags, force).
  virtual std::uint32_t CancelConnection(const std::string& localName, std::uint32_t flags,
                                         bool force) = 0;
  // The probe: FindFirstFileA(pattern) with an attribute mask; returns a
  // search handle, or 0 when no search was opened. Its outcome is never used.
  virtual std::intptr_t ProbeOpen(const std::string& pattern, std::uint32_t attributeMask) = 0;
  // FindClose on a handle ProbeOpen returned (never called with 0).
  virtual void ProbeClose(std::intptr_t handle) = 0;
};

// ---- Keyboard injection -----------------------------------------------------

constexpr std::uint8_t VK_SHIFT_KEY = 0x10;
constexpr std::uint32_t KEYEVENTF_KEYUP_FLAG = 2;

class Keyboard {
 public:
  virtual ~Keyboard() = default;
  // keybd_event(bVk, bScan, dwFlags, dwExtraInfo).
  virtual void KeybdEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags,
                          std::uintptr_t extraInfo) = 0;
};

// ---- Operating-system identity -------------------------------------------

struct OsVersion {
  std::uint32_t PlatformId = 0;
  std::uint32_t MajorVersion = 0;
};

class OsIdentity {
 public:
  virtual ~OsIdentity() = default;
  // What GetVersionExA reports; all zero where the platform cannot tell.
  virtual OsVersion Version() = 0;
  // True when the drives this process connects are not seen by the user's
  // other programs: Windows runs it with the elevated half of an
  // administrator's split token, and the machine does not link the two
  // halves' connections (EnableLinkedConnections).
  virtual bool DrivesHiddenFromUser() = 0;
};

// ---- Desktop notifications -----------------------------------------------

// A connection the run gave up on.
struct FailedConnection {
  std::string Path;     // the remote path, Shift-JIS bytes as the settings hold it
  std::string Message;  // UTF-8, as ConnectErrorMessage gives it
};

// A notice that stays with the desktop after the program has ended. Best
// effort: where the desktop has no notification service nothing happens.
class Notifier {
 public:
  virtual ~Notifier() = default;
  // Once at the end of a run that gave up on `failed` (never empty).
  virtual void ConnectionsFailed(const std::vector<FailedConnection>& failed) = 0;
  // Once at the end of a watcher's check that took `offline` down (never
  // empty): the same kind of notice, each line the path and what was done.
  virtual void TakenOffline(const std::vector<FailedConnection>& offline) {
    ConnectionsFailed(offline);
  }
};

// ---- Refused credentials -------------------------------------------------

// Credentials a server refused during this log-on session, shared by the
// program and the watcher: each refused attempt is one failed log-on, and a
// domain locks the account after a few. Never the password itself: an entry
// is known by its configuration's identity, remote name and user name.
class RefusedCredentials {
 public:
  virtual ~RefusedCredentials() = default;
  virtual bool Refused(const std::string& config, const std::string& remoteName,
                       const std::string& userName) = 0;
  // `refused` false forgets it: the same credentials connected.
  virtual void Record(const std::string& config, const std::string& remoteName,
                      const std::string& userName, bool refused) = 0;
};

class SessionMark;

// ---- Everything together -------------------------------------------------

struct Services {
  MessageBoxes* Boxes = nullptr;
  Application* App = nullptr;
  NetworkService* Network = nullptr;
  Keyboard* Keys = nullptr;
  OsIdentity* Os = nullptr;
  // Null where the platform has no notices to give (Windows).
  Notifier* Notices = nullptr;
  // Null where the session has no secret store.
  SecretStore* Secrets = nullptr;
  // Null: nothing is remembered beyond the attempt.
  RefusedCredentials* Refused = nullptr;
  // Held while the log-in run goes, so that the watcher leaves it the
  // letters; null: no mark.
  SessionMark* LogInRun = nullptr;
  // The program's own path first, then the parameters.
  std::vector<std::string> CommandLine;
};

}  // namespace platform
