#include "platform/linux/LinuxWatch.h"

#include <fcntl.h>
#include <gio/gio.h>
#include <glib-unix.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <optional>
#include <thread>
#include <vector>

#include "platform/Codec.h"
#include "platform/RemoteName.h"
#include "platform/ServerProbe.h"
#include "platform/SessionState.h"
#include "platform/WatchWords.h"
#include "platform/linux/GioNetwork.h"
#include "platform/linux/GvfsPath.h"
#include "platform/linux/UncPath.h"

extern char** environ;

namespace platform {

namespace {

// How long a stop may take before the process ends without the check.
constexpr int kStopMilliseconds = 700;
// How long a take-down's answer is waited for: a mount in use is refused at once.
constexpr std::uint32_t kTakeDownMilliseconds = 2000;

sigset_t StopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGHUP);
  return signals;
}

// The watcher's name on the session bus: whether the bus has answered the
// request yet, and whether with the name.
struct SessionName {
  StopSignal* Stop;
  GMainLoop* Loop;
  bool Answered = false;
  bool Owned = false;
};

void NameAcquired(GDBusConnection*, const char*, gpointer data) {
  auto* name = static_cast<SessionName*>(data);
  name->Answered = name->Owned = true;
}

void NameLost(GDBusConnection*, const char*, gpointer data) {
  auto* name = static_cast<SessionName*>(data);
  name->Answered = true;
  if (!name->Owned) return;
  // Nothing may take the name over: it goes with the bus, at the session's
  // end. A check under way ends too.
  name->Stop->Raise();
  g_main_loop_quit(name->Loop);
}

void NetworkChanged(GNetworkMonitor*, gboolean, gpointer handler) {
  // Losing the network needs a check too: a mount whose server went with it
  // would hold up whatever touches its drive.
  static_cast<WatchEvents::Handler*>(handler)->Woken(WatchEvents::Handler::Wake::NetworkChanged);
}

void PrepareForSleep(GDBusConnection*, const char*, const char*, const char*, const char*,
                     GVariant* parameters, gpointer handler) {
  if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(b)"))) return;
  gboolean goingToSleep = TRUE;
  g_variant_get(parameters, "(b)", &goingToSleep);
  if (!goingToSleep) {
    static_cast<WatchEvents::Handler*>(handler)->Woken(WatchEvents::Handler::Wake::Resumed);
  }
}

bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

// The remote name a path inside a GVfs share mount stands for (Shift-JIS).
std::optional<std::string> RemoteNameOf(const std::string& path) {
  const std::optional<std::string> unc = gio::GvfsPathToUnc(path, gio::UserRuntimeDir());
  if (!unc) return std::nullopt;
  return Utf8ToSjis(*unc);
}

using Clock = ProbeClock;

gboolean SetFlag(gpointer flag) {
  *static_cast<bool*>(flag) = true;
  return G_SOURCE_REMOVE;
}

gboolean SetFlagForFd(gint, GIOCondition, gpointer flag) {
  return SetFlag(flag);
}

// A source on the watcher's own main context that sets `flag`.
GSource* Attach(GSource* source, bool& flag) {
  g_source_set_callback(source, SetFlag, &flag, nullptr);
  g_source_attach(source, nullptr);
  return source;
}

GSource* AttachFd(int fd, GIOCondition condition, bool& flag) {
  GSource* source = g_unix_fd_source_new(fd, condition);
  g_source_set_callback(source, G_SOURCE_FUNC(SetFlagForFd), &flag, nullptr);
  g_source_attach(source, nullptr);
  return source;
}

void Detach(GSource* source) {
  g_source_destroy(source);
  g_source_unref(source);
}

// Runs the watcher's main context until `done` is set, the deadline passes
// or the stop is raised; whether `done` was set. The watcher's own events go
// on meanwhile (one during a check brings a check after it), so a slow
// server holds up neither them nor the stop.
bool RunUntil(const bool& done, Clock::time_point deadline, const StopSignal& stop) {
  bool over = false;
  GSource* late =
      Attach(g_timeout_source_new(static_cast<guint>(MillisecondsLeft(deadline))), over);
  GSource* stopped = AttachFd(stop.Fd(), G_IO_IN, over);
  while (!done && !over) g_main_context_iteration(nullptr, TRUE);
  Detach(late);
  Detach(stopped);
  return done;
}

// Until `fd` is ready for `condition`; false when the deadline passes or the
// stop is raised first.
bool WaitFor(int fd, GIOCondition condition, Clock::time_point deadline, const StopSignal& stop) {
  bool ready = false;
  GSource* source = AttachFd(fd, static_cast<GIOCondition>(condition | G_IO_ERR | G_IO_HUP), ready);
  RunUntil(ready, deadline, stop);
  Detach(source);
  return ready && !stop.Raised();
}

struct Lookup {
  GList* Addresses = nullptr;
  bool Done = false;
};

void LookedUp(GObject* resolver, GAsyncResult* result, gpointer data) {
  auto* lookup = static_cast<Lookup*>(data);
  lookup->Addresses = g_resolver_lookup_by_name_finish(G_RESOLVER(resolver), result, nullptr);
  lookup->Done = true;
}

// The addresses of `host` (Shift-JIS) known before the deadline or the stop,
// with `port`. The system's look-up cannot be given a time: it goes on in
// GIO's thread, and is left to itself.
std::vector<ServerAddress> LookUp(const std::string& host, std::uint16_t port,
                                  Clock::time_point deadline, const StopSignal& stop) {
  g_autoptr(GCancellable) cancellable = g_cancellable_new();
  g_autoptr(GResolver) resolver = g_resolver_get_default();
  Lookup lookup;
  g_resolver_lookup_by_name_async(resolver, SjisToUtf8(host).c_str(), cancellable, LookedUp,
                                  &lookup);
  if (!RunUntil(lookup.Done, deadline, stop)) {
    // Cancelled, the look-up answers at once (without its addresses).
    g_cancellable_cancel(cancellable);
    while (!lookup.Done) g_main_context_iteration(nullptr, TRUE);
  }
  std::vector<ServerAddress> found;
  for (GList* item = lookup.Addresses; item != nullptr; item = item->next) {
    g_autoptr(GSocketAddress) address = g_inet_socket_address_new(G_INET_ADDRESS(item->data), port);
    ServerAddress native;
    native.Family = static_cast<int>(g_socket_address_get_family(address));
    native.Native.resize(static_cast<std::size_t>(g_socket_address_get_native_size(address)));
    if (g_socket_address_to_native(address, native.Native.data(), native.Native.size(), nullptr)) {
      found.push_back(std::move(native));
    }
  }
  g_resolver_free_addresses(lookup.Addresses);
  return found;
}

// An SMB2 NEGOTIATE request (dialects 2.0.2 to 3.0.2) after its 4-byte
// session header: any server that speaks SMB answers it, and it is no log-on.
constexpr unsigned char kNegotiate[] = {
    0x00, 0x00, 0x00, 0x6C,                          // session message, 108 bytes
    0xFE, 'S',  'M',  'B',  0x40, 0x00, 0x00, 0x00,  // SMB2 header: 64 bytes, no charge
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00,  // status, NEGOTIATE, one credit
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // flags, next command
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // message 0
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // process, tree
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // session
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // signature
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x24, 0x00, 0x04, 0x00, 0x01, 0x00, 0x00, 0x00,  // 36 bytes, 4 dialects, signing enabled
    0x00, 0x00, 0x00, 0x00,                          // capabilities
    'K',  'a',  'y',  'o',  'i',  'j',  'i',  ' ',   // client identifier
    'r',  'e',  'c',  'o',  'n',  'n',  'e',  'c',
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // client start time
    0x02, 0x02, 0x10, 0x02, 0x00, 0x03, 0x02, 0x03,  // the dialects
};
static_assert(sizeof kNegotiate == 4 + 108);

// Whether the server at `address` takes the connection and answers the
// negotiation (or closes the connection in an orderly way) before the deadline.
bool AnswersSmb(const ServerAddress& address, Clock::time_point deadline, const StopSignal& stop) {
  const int fd = ::socket(address.Family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  bool answered = false;
  int error = 0;
  socklen_t length = sizeof error;
  if ((::connect(fd, reinterpret_cast<const sockaddr*>(address.Native.data()),
                 static_cast<socklen_t>(address.Native.size())) == 0 ||
       errno == EINPROGRESS) &&
      WaitFor(fd, G_IO_OUT, deadline, stop) &&
      ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0 &&
      ::send(fd, kNegotiate, sizeof kNegotiate, MSG_NOSIGNAL) ==
          static_cast<ssize_t>(sizeof kNegotiate) &&
      WaitFor(fd, G_IO_IN, deadline, stop)) {
    char byte = 0;
    answered = ::recv(fd, &byte, 1, 0) >= 0;
  }
  ::close(fd);
  return answered;
}

}  // namespace

StopSignal::StopSignal() {
  if (::pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) fds_[0] = fds_[1] = -1;
}

StopSignal::~StopSignal() {
  for (int fd : fds_) {
    if (fd >= 0) ::close(fd);
  }
}

void StopSignal::Raise() {
  const char byte = 1;
  if (fds_[1] >= 0 && ::write(fds_[1], &byte, 1) < 0) {
    // Full: it is raised already.
  }
}

bool StopSignal::Raised() const {
  pollfd raised{fds_[0], POLLIN, 0};
  return fds_[0] >= 0 && ::poll(&raised, 1, 0) == 1;
}

LinuxWatchEvents::LinuxWatchEvents(std::function<void(const std::string&)> log, StopSignal& stop)
    : log_(std::move(log)), stop_(stop) {
  const sigset_t signals = StopSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

LinuxWatchEvents::~LinuxWatchEvents() {
  StopTimer();
}

int LinuxWatchEvents::Run(Handler& handler) {
  g_autoptr(GError) error = nullptr;
  g_autoptr(GDBusConnection) session = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
  if (session == nullptr) {
    log_(words::NoSessionBus + std::string(error->message));
    return 1;
  }
  // The session's end is the bus going away: end with it, quietly.
  g_dbus_connection_set_exit_on_close(session, FALSE);
  g_autoptr(GMainLoop) loop = g_main_loop_new(nullptr, FALSE);
  // Without queueing: only the first watcher of the session gets the name.
  SessionName name{&stop_, loop};
  const guint owner =
      g_bus_own_name_on_connection(session, BusName, G_BUS_NAME_OWNER_FLAGS_DO_NOT_QUEUE,
                                   NameAcquired, NameLost, &name, nullptr);
  while (!name.Answered) g_main_context_iteration(nullptr, TRUE);
  if (!name.Owned) {
    g_bus_unown_name(owner);
    log_(words::AlreadyRunning);
    return 0;
  }
  handler_ = &handler;

  // The stop signals are taken by a thread of their own: the main thread may
  // be in the middle of a check, which the stop ends. One that does not end
  // in time is not waited for.
  std::atomic<bool> ended{false};
  std::thread stopper([this, loop, &ended] {
    const sigset_t signals = StopSignals();
    int signal = 0;
    sigwait(&signals, &signal);
    if (ended) return;
    stop_.Raise();
    g_main_loop_quit(loop);
    for (int waited = 0; waited < kStopMilliseconds && !ended; waited += 10) g_usleep(10 * 1000);
    if (!ended) {
      log_(words::Ended);
      ::_exit(0);
    }
  });

  GNetworkMonitor* monitor = g_network_monitor_get_default();
  const gulong changed =
      g_signal_connect(monitor, "network-changed", G_CALLBACK(NetworkChanged), &handler);

  g_autoptr(GError) systemError = nullptr;
  g_autoptr(GDBusConnection) system = g_bus_get_sync(G_BUS_TYPE_SYSTEM, nullptr, &systemError);
  guint sleep = 0;
  if (system != nullptr) {
    g_dbus_connection_set_exit_on_close(system, FALSE);
    sleep = g_dbus_connection_signal_subscribe(
        system, "org.freedesktop.login1", "org.freedesktop.login1.Manager", "PrepareForSleep",
        "/org/freedesktop/login1", nullptr, G_DBUS_SIGNAL_FLAGS_NONE, PrepareForSleep, &handler,
        nullptr);
  } else {
    log_(words::NoSystemBus + std::string(systemError->message));
  }

  log_(words::Waiting);
  if (!stop_.Raised()) g_main_loop_run(loop);
  // Releasing the name asks the bus (unless it has gone): within the stop's time.
  g_bus_unown_name(owner);
  ended = true;
  pthread_kill(stopper.native_handle(), SIGTERM);
  stopper.join();

  StopTimer();
  if (sleep != 0) g_dbus_connection_signal_unsubscribe(system, sleep);
  g_signal_handler_disconnect(monitor, changed);
  handler_ = nullptr;
  log_(words::Ended);
  return 0;
}

int LinuxWatchEvents::TimerDone(void* self) {
  auto* events = static_cast<LinuxWatchEvents*>(self);
  events->timer_ = 0;
  if (events->handler_ != nullptr) events->handler_->TimerFired();
  return G_SOURCE_REMOVE;
}

void LinuxWatchEvents::StartTimer(std::uint32_t milliseconds) {
  StopTimer();
  timer_ = g_timeout_add(milliseconds, TimerDone, this);
}

void LinuxWatchEvents::StopTimer() {
  if (timer_ != 0) g_source_remove(timer_);
  timer_ = 0;
}

void LinuxWatchLog::Write(const std::string& line) {
  std::fprintf(stderr, "%s%s\n", words::LinePrefix, line.c_str());
  std::fflush(stderr);
}

EntryState LinuxWatchProbes::State(const std::string& localName, const std::string& remoteName) {
  const gio::LocalName local = gio::ParseLocalName(localName);
  if (local.Error != code::NoError) return EntryState::Missing;

  if (local.Drive == 0) {
    // Without a letter: the share mounted and listing is the connection.
    const std::string share = ShareOf(remoteName);
    for (const std::string& mount : gio::GvfsShareMounts(gio::UserRuntimeDir())) {
      const std::optional<std::string> remote = RemoteNameOf(mount);
      if (remote && SameRemoteName(*remote, share)) {
        return gio::ListError(mount) == 0 ? EntryState::Connected : EntryState::Stale;
      }
    }
    return EntryState::Missing;
  }

  const std::string link = drivesFolder_ + "/" + local.Drive;
  g_autofree char* read = g_file_read_link(link.c_str(), nullptr);
  if (read == nullptr) {
    struct stat st;
    return ::lstat(link.c_str(), &st) == 0 ? EntryState::Occupied : EntryState::Missing;
  }
  const std::string target = read[0] == '/' ? std::string(read) : drivesFolder_ + "/" + read;
  const std::optional<std::string> remote = RemoteNameOf(target);
  if (remote && SameRemoteName(*remote, remoteName)) {
    if (!Exists(target)) return EntryState::Missing;
    return gio::ListError(target) == 0 ? EntryState::Connected : EntryState::Stale;
  }
  // A link that leads nowhere is free for the connection to replace.
  return Exists(link) ? EntryState::Occupied : EntryState::Missing;
}

std::string LinuxWatchProbes::MountOf(const std::string& localName, const std::string& remoteName) {
  const gio::LocalName local = gio::ParseLocalName(localName);
  if (local.Error != code::NoError) return {};
  // Only names are read here: the link, and the list of mounts GVfs keeps
  // for itself. Anything inside a mount would wait for its server.
  const std::string runtime = gio::UserRuntimeDir();
  const std::vector<std::string> mounts = gio::GvfsShareMounts(runtime);
  mounts_.KeepOnly(mounts);
  if (local.Drive == 0) {
    const std::string share = ShareOf(remoteName);
    for (const std::string& mount : mounts) {
      const std::optional<std::string> remote = RemoteNameOf(mount);
      if (remote && SameRemoteName(*remote, share)) return mount;
    }
    return {};
  }
  g_autofree char* read = g_file_read_link((drivesFolder_ + "/" + local.Drive).c_str(), nullptr);
  if (read == nullptr) return {};
  const std::string target = read[0] == '/' ? std::string(read) : drivesFolder_ + "/" + read;
  const std::optional<std::string> remote = RemoteNameOf(target);
  if (!remote || !SameRemoteName(*remote, remoteName)) return {};
  const std::string root = gio::GvfsMountRoot(runtime) + "/";
  const std::string mount =
      root + target.substr(root.size(), target.find('/', root.size()) - root.size());
  return std::find(mounts.begin(), mounts.end(), mount) != mounts.end() ? mount : std::string();
}

bool LinuxWatchProbes::MadeByUs(const std::string& root) {
  return mounts_.Made(root);
}

std::uint32_t LinuxWatchProbes::TakeDown(const std::string& root) {
  return network_ != nullptr ? network_->TakeDown(root) : code::NotConnected;
}

bool LinuxWatchProbes::ServerAnswers(const std::string& host, std::uint16_t port,
                                     std::uint32_t milliseconds) {
  return ServerAnswersAt(
      host, port, milliseconds,
      [this](const std::string& name, std::uint16_t at, Clock::time_point deadline) {
        return LookUp(name, at, deadline, stop_);
      },
      [this](const ServerAddress& address, Clock::time_point deadline) {
        return AnswersSmb(address, deadline, stop_);
      });
}

ProcessNetwork::ProcessNetwork(std::string program, const StopSignal& stop,
                               std::uint32_t limitMilliseconds)
    : program_(std::move(program)), stop_(stop), limit_(limitMilliseconds) {}

std::uint32_t ProcessNetwork::AddConnection(const NetResource& request, const std::string& password,
                                            const std::string& userName, std::uint32_t) {
  return Call("add\n" + HexBytes(request.LocalName) + "\n" + HexBytes(request.RemoteName) + "\n" +
                  HexBytes(userName) + "\n" + HexBytes(password) + "\n",
              limit_, code::NoNetOrBadPath);
}

std::uint32_t ProcessNetwork::CancelConnection(const std::string& localName, std::uint32_t,
                                               bool force) {
  return Call("cancel\n" + HexBytes(localName) + "\n" + (force ? "1" : "0") + "\n", limit_,
              code::NoNetOrBadPath);
}

std::uint32_t ProcessNetwork::TakeDown(const std::string& root) {
  // GVfs answers an unmount only once the silent server's connection has
  // timed out (20 s), but from the request on the mount fails at once, and
  // the unmount goes on without the caller: a late answer is a taken down.
  return Call("unmount\n" + HexBytes(root) + "\n", kTakeDownMilliseconds, code::NoError);
}

std::uint32_t ProcessNetwork::Call(const std::string& request, std::uint32_t limitMilliseconds,
                                   std::uint32_t late) {
  if (stop_.Raised()) return code::Cancelled;
  int input[2];
  int output[2];
  if (::pipe2(input, O_CLOEXEC) != 0) return code::NoNetwork;
  if (::pipe2(output, O_CLOEXEC) != 0) {
    ::close(input[0]);
    ::close(input[1]);
    return code::NoNetwork;
  }
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_adddup2(&files, input[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&files, output[1], STDOUT_FILENO);
  // The stop signals are blocked here for the stopping thread; the call's
  // process takes them as usual.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
  char* argv[] = {const_cast<char*>(program_.c_str()), const_cast<char*>(Option), nullptr};
  pid_t child = -1;
  const int spawned = posix_spawn(&child, program_.c_str(), &files, &attributes, argv, environ);
  posix_spawn_file_actions_destroy(&files);
  posix_spawnattr_destroy(&attributes);
  ::close(input[0]);
  ::close(output[1]);
  if (spawned != 0) {
    ::close(input[1]);
    ::close(output[0]);
    return code::NoNetwork;
  }
  // A few hundred bytes: the pipe takes them whole.
  const bool sent =
      ::write(input[1], request.data(), request.size()) == static_cast<ssize_t>(request.size());
  ::close(input[1]);

  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(limitMilliseconds);
  std::string answer;
  bool ended = false;
  while (sent && !ended && WaitFor(output[0], G_IO_IN, deadline, stop_)) {
    char buffer[64];
    const ssize_t n = ::read(output[0], buffer, sizeof buffer);
    if (n > 0) {
      answer.append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      ended = true;
    }
  }
  ::close(output[0]);
  if (!ended) ::kill(child, SIGKILL);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!ended) return stop_.Raised() ? code::Cancelled : late;
  unsigned long result = 0;
  const auto [end, error] = std::from_chars(answer.data(), answer.data() + answer.size(), result);
  if (error != std::errc() || end == answer.data()) return code::NoNetwork;
  return static_cast<std::uint32_t>(result);
}

int RunNetworkCall(GioNetwork& network) {
  // Ends with the watcher, even when the watcher was killed.
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  std::vector<std::string> fields;
  for (std::string line; std::getline(std::cin, line);) {
    std::string bytes;
    fields.push_back(fields.empty() || !FromHexBytes(line, bytes) ? line : bytes);
  }
  std::uint32_t result = code::UnexpectedNetError;
  if (fields.size() == 5 && fields[0] == "add") {
    NetResource request;
    request.LocalName = fields[1];
    request.RemoteName = fields[2];
    // As the program's attempt: the probe wakes a sleeping path first.
    if (const std::intptr_t search = network.ProbeOpen(request.RemoteName + "\\*.*", 63)) {
      network.ProbeClose(search);
    }
    result = network.AddConnection(request, fields[4], fields[3], 0);
  } else if (fields.size() == 3 && fields[0] == "cancel") {
    result = network.CancelConnection(fields[1], 0, fields[2] == "1");
  } else if (fields.size() == 2 && fields[0] == "unmount") {
    result = network.TakeDown(fields[1]);
  }
  std::printf("%u\n", static_cast<unsigned>(result));
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace platform
