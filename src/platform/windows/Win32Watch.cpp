// winsock2.h must come before windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>
//
#include <iphlpapi.h>
#include <shlobj.h>
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/RemoteName.h"
#include "platform/ServerProbe.h"
#include "platform/WatchWords.h"
#include "platform/windows/Win32Text.h"
#include "platform/windows/Win32Watch.h"

namespace platform {

namespace {

constexpr DWORD kLogLimit = 64 * 1024;

LRESULT CALLBACK WatchWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* events = reinterpret_cast<Win32WatchEvents*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_POWERBROADCAST:
      if (wParam == PBT_APMRESUMEAUTOMATIC && events != nullptr) events->Resumed();
      return TRUE;
    case WM_ENDSESSION:
      // The log-off goes on: the watcher ends with the session.
      if (wParam) PostQuitMessage(0);
      return 0;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// The address-change notification, asked for again after each change.
class AddressChanges {
 public:
  AddressChanges() : overlapped_{} {
    overlapped_.hEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    armed_ = overlapped_.hEvent != nullptr && Arm();
  }
  ~AddressChanges() {
    if (armed_) CancelIPChangeNotify(&overlapped_);
    if (overlapped_.hEvent != nullptr) CloseHandle(overlapped_.hEvent);
  }
  AddressChanges(const AddressChanges&) = delete;
  AddressChanges& operator=(const AddressChanges&) = delete;

  bool Armed() const { return armed_; }
  HANDLE Event() const { return overlapped_.hEvent; }
  bool Arm() {
    HANDLE handle = nullptr;
    armed_ = NotifyAddrChange(&handle, &overlapped_) == ERROR_IO_PENDING;
    return armed_;
  }

 private:
  OVERLAPPED overlapped_;
  bool armed_ = false;
};

// A look-up's result, shared by the waiting watcher and the thread that
// asks the system, which may outlive the wait.
struct LookUpState {
  std::mutex Lock;
  std::condition_variable Done;
  bool Finished = false;
  bool Abandoned = false;
  ADDRINFOW* Found = nullptr;
};

// The addresses of `host` found before the deadline, or null. The system's
// look-up cannot be given a time: it runs in a thread of its own, which is
// left to finish alone when the deadline passes.
ADDRINFOW* LookUpInfo(const std::string& host, std::uint16_t port,
                      ProbeClock::time_point deadline) {
  auto state = std::make_shared<LookUpState>();
  std::thread([state, host, port] {
    // The wide call: a name in Japanese goes to DNS as its ASCII (IDN) form.
    const std::wstring name = Wide(host, CP_ACP);
    ADDRINFOW hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    ADDRINFOW* found = nullptr;
    if (GetAddrInfoW(name.c_str(), std::to_wstring(port).c_str(), &hints, &found) != 0) {
      found = nullptr;
    }
    std::lock_guard<std::mutex> hold(state->Lock);
    if (state->Abandoned) {
      if (found != nullptr) FreeAddrInfoW(found);
      return;
    }
    state->Found = found;
    state->Finished = true;
    state->Done.notify_one();
  }).detach();
  std::unique_lock<std::mutex> hold(state->Lock);
  if (!state->Done.wait_until(hold, deadline, [&] { return state->Finished; })) {
    state->Abandoned = true;
    return nullptr;
  }
  return state->Found;
}

// The same, as the probes share them.
std::vector<ServerAddress> LookUp(const std::string& host, std::uint16_t port,
                                  ProbeClock::time_point deadline) {
  std::vector<ServerAddress> found;
  ADDRINFOW* info = LookUpInfo(host, port, deadline);
  for (const ADDRINFOW* address = info; address != nullptr; address = address->ai_next) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(address->ai_addr);
    found.push_back({address->ai_family, {bytes, bytes + address->ai_addrlen}});
  }
  if (info != nullptr) FreeAddrInfoW(info);
  return found;
}

// Whether the server at `address` takes the connection before the deadline.
bool TakesConnection(const ServerAddress& address, ProbeClock::time_point deadline) {
  SOCKET s = socket(address.Family, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return false;
  bool answered = false;
  u_long nonBlocking = 1;
  ioctlsocket(s, FIONBIO, &nonBlocking);
  if (connect(s, reinterpret_cast<const sockaddr*>(address.Native.data()),
              static_cast<int>(address.Native.size())) == 0) {
    answered = true;
  } else if (WSAGetLastError() == WSAEWOULDBLOCK) {
    const int left = MillisecondsLeft(deadline);
    if (left > 0) {
      fd_set writable, failed;
      FD_ZERO(&writable);
      FD_ZERO(&failed);
      FD_SET(s, &writable);
      FD_SET(s, &failed);
      timeval wait{static_cast<long>(left / 1000), static_cast<long>(left % 1000) * 1000};
      answered = select(0, nullptr, &writable, &failed, &wait) == 1 && FD_ISSET(s, &writable);
    }
  }
  closesocket(s);
  return answered;
}

}  // namespace

Win32WatchEvents::Win32WatchEvents(std::function<void(const std::string&)> log)
    : log_(std::move(log)) {}

void Win32WatchEvents::Resumed() {
  if (handler_ != nullptr) handler_->Woken(Handler::Wake::Resumed);
}

void Win32WatchEvents::StartTimer(std::uint32_t milliseconds) {
  timerOn_ = true;
  due_ = GetTickCount64() + milliseconds;
}

int Win32WatchEvents::Run(Handler& handler) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, MutexName);
  if (mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    log_(words::AlreadyRunning);
    return 0;
  }

  // A hidden top-level window: broadcasts (the resume, the session's end)
  // reach top-level windows only, never message-only ones.
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WatchWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = WindowClass;
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, WindowClass, "Kayoiji", WS_POPUP, 0, 0, 0, 0,
                                nullptr, nullptr, windowClass.hInstance, this);
  if (window == nullptr) {
    log_(words::NoWindow);
    if (mutex != nullptr) CloseHandle(mutex);
    return 1;
  }

  AddressChanges changes;
  if (!changes.Armed()) log_(words::NoAddressChanges);
  handler_ = &handler;
  log_(words::Waiting);

  int status = 0;
  for (bool running = true; running;) {
    DWORD timeout = INFINITE;
    if (timerOn_) {
      const ULONGLONG now = GetTickCount64();
      timeout = due_ > now ? static_cast<DWORD>(due_ - now) : 0;
    }
    const DWORD handles = changes.Armed() ? 1 : 0;
    HANDLE event = changes.Event();
    const DWORD woke = MsgWaitForMultipleObjects(handles, &event, FALSE, timeout, QS_ALLINPUT);
    if (handles == 1 && woke == WAIT_OBJECT_0) {
      changes.Arm();
      handler.Woken(Handler::Wake::NetworkChanged);
    } else if (woke == WAIT_OBJECT_0 + handles) {
      MSG message;
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
          status = static_cast<int>(message.wParam);
          running = false;
          break;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
      }
    }
    if (running && timerOn_ && GetTickCount64() >= due_) {
      timerOn_ = false;
      handler.TimerFired();
    }
  }
  handler_ = nullptr;
  if (IsWindow(window)) DestroyWindow(window);
  if (mutex != nullptr) CloseHandle(mutex);
  log_(words::Ended);
  return status;
}

EntryState Win32WatchProbes::State(const std::string& localName, const std::string& remoteName) {
  if (localName.empty()) {
    // Without a letter: a connection to the share among the session's own.
    HANDLE list = nullptr;
    if (WNetOpenEnumA(RESOURCE_CONNECTED, RESOURCETYPE_DISK, 0, nullptr, &list) != NO_ERROR) {
      return EntryState::Missing;
    }
    EntryState state = EntryState::Missing;
    alignas(NETRESOURCEA) char buffer[16 * 1024];
    for (;;) {
      DWORD count = static_cast<DWORD>(-1);
      DWORD size = sizeof buffer;
      if (WNetEnumResourceA(list, &count, buffer, &size) != NO_ERROR) break;
      const auto* found = reinterpret_cast<const NETRESOURCEA*>(buffer);
      for (DWORD i = 0; i < count; ++i) {
        if (found[i].lpRemoteName != nullptr && SameRemoteName(found[i].lpRemoteName, remoteName)) {
          state = EntryState::Connected;
        }
      }
    }
    WNetCloseEnum(list);
    return state;
  }

  char remote[1024];
  DWORD size = sizeof remote;
  const DWORD result = WNetGetConnectionA(localName.c_str(), remote, &size);
  if (result == NO_ERROR) {
    return SameRemoteName(remote, remoteName) ? EntryState::Connected : EntryState::Occupied;
  }
  // Remembered, but not connected now.
  if (result == ERROR_CONNECTION_UNAVAIL) {
    return SameRemoteName(remote, remoteName) ? EntryState::Stale : EntryState::Occupied;
  }
  // A local disk at that letter.
  const char letter = localName[0];
  const int bit = (letter | 0x20) - 'a';
  if (localName.size() == 2 && localName[1] == ':' && bit >= 0 && bit < 26 &&
      (GetLogicalDrives() & (1u << bit)) != 0) {
    return EntryState::Occupied;
  }
  return EntryState::Missing;
}

bool Win32WatchProbes::ServerAnswers(const std::string& host, std::uint16_t port,
                                     std::uint32_t milliseconds) {
  // Sockets once, for the rest of the process: the watcher asks until it ends.
  static const bool sockets = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  if (!sockets) return true;  // cannot tell: let the connection call answer
  return ServerAnswersAt(host, port, milliseconds, LookUp, TakesConnection);
}

std::uint32_t Win32WatchNetwork::AddConnection(const NetResource& request,
                                               const std::string& password,
                                               const std::string& userName, std::uint32_t flags) {
  return CallInThread([this, request, password, userName, flags] {
    return Win32Network::AddConnection(request, password, userName, flags);
  });
}

std::uint32_t Win32WatchNetwork::CancelConnection(const std::string& localName, std::uint32_t flags,
                                                  bool force) {
  return CallInThread([this, localName, flags, force] {
    return Win32Network::CancelConnection(localName, flags, force);
  });
}

std::uint32_t Win32WatchNetwork::CallInThread(std::function<std::uint32_t()> call) {
  return static_cast<std::uint32_t>(
      InThread([call = std::move(call)] { return static_cast<std::intptr_t>(call()); },
               code::NoNetOrBadPath, code::Cancelled));
}

// The search that wakes a sleeping path may wait on the server as long as
// the connection call.
std::intptr_t Win32WatchNetwork::ProbeOpen(const std::string& pattern,
                                           std::uint32_t attributeMask) {
  return InThread(
      [this, pattern, attributeMask] { return Win32Network::ProbeOpen(pattern, attributeMask); }, 0,
      0);
}

std::intptr_t Win32WatchNetwork::InThread(std::function<std::intptr_t()> call, std::intptr_t late,
                                          std::intptr_t cancelled) {
  if (ending_) return cancelled;
  struct Shared {
    HANDLE Done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::intptr_t Result = 0;
    ~Shared() {
      if (Done != nullptr) CloseHandle(Done);
    }
  };
  auto shared = std::make_shared<Shared>();
  if (shared->Done == nullptr) return call();
  std::thread([shared, call = std::move(call)] {
    shared->Result = call();
    SetEvent(shared->Done);
  }).detach();
  const ULONGLONG deadline = GetTickCount64() + limit_;
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    const DWORD left = deadline > now ? static_cast<DWORD>(deadline - now) : 0;
    const DWORD woke = MsgWaitForMultipleObjects(1, &shared->Done, FALSE, left, QS_ALLINPUT);
    if (woke == WAIT_OBJECT_0) return shared->Result;
    if (woke != WAIT_OBJECT_0 + 1) return late;
    // The window's messages: a resume waits for the check's end as any event
    // during a check does; the session's end ends the watcher.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        ending_ = true;
        PostQuitMessage(static_cast<int>(message.wParam));
        return cancelled;
      }
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}

Win32WatchLog::Win32WatchLog() {
  char folder[MAX_PATH];
  if (SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, folder) !=
      S_OK) {
    return;
  }
  path_ = std::string(folder) + "\\Kayoiji";
  CreateDirectoryA(path_.c_str(), nullptr);
  path_ += "\\reconnect.log";
}

void Win32WatchLog::Write(const std::string& line) {
  if (path_.empty()) return;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExA(path_.c_str(), GetFileExInfoStandard, &data) &&
      (data.nFileSizeHigh != 0 || data.nFileSizeLow > kLogLimit)) {
    MoveFileExA(path_.c_str(), (path_ + ".old").c_str(), MOVEFILE_REPLACE_EXISTING);
  }
  HANDLE file = CreateFileA(path_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  SYSTEMTIME now;
  GetLocalTime(&now);
  char stamp[32];
  wsprintfA(stamp, "%04u-%02u-%02u %02u:%02u:%02u ", now.wYear, now.wMonth, now.wDay, now.wHour,
            now.wMinute, now.wSecond);
  const std::string text = stamp + line + "\r\n";
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

}  // namespace platform
