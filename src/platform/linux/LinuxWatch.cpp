#include "platform/linux/LinuxWatch.h"

#include <dirent.h>
#include <fcntl.h>
#include <gio/gio.h>
#include <glib-unix.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <optional>

#include "platform/Codec.h"
#include "platform/RemoteName.h"
#include "platform/Services.h"
#include "platform/linux/GvfsPath.h"
#include "platform/linux/UncPath.h"

namespace platform {

namespace {

struct Loop {
  LinuxWatchEvents::Handler* Handler;
  GMainLoop* MainLoop;
};

gboolean Quit(gpointer loop) {
  g_main_loop_quit(static_cast<GMainLoop*>(loop));
  return G_SOURCE_CONTINUE;
}

void BusClosed(GDBusConnection*, gboolean, GError*, gpointer loop) {
  g_main_loop_quit(static_cast<GMainLoop*>(loop));
}

void NetworkChanged(GNetworkMonitor*, gboolean available, gpointer data) {
  // Losing the network needs no check; coming back or changing does.
  if (available)
    static_cast<Loop*>(data)->Handler->Woken(WatchEvents::Handler::Wake::NetworkChanged);
}

void PrepareForSleep(GDBusConnection*, const char*, const char*, const char*, const char*,
                     GVariant* parameters, gpointer data) {
  if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(b)"))) return;
  gboolean goingToSleep = TRUE;
  g_variant_get(parameters, "(b)", &goingToSleep);
  if (!goingToSleep) static_cast<Loop*>(data)->Handler->Woken(WatchEvents::Handler::Wake::Resumed);
}

// Asks the session bus for the watcher's name without queueing: only the
// first watcher of the session gets it.
bool OwnName(GDBusConnection* bus, const char* name) {
  g_autoptr(GVariant) reply = g_dbus_connection_call_sync(
      bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
      g_variant_new("(su)", name, 4u /* DBUS_NAME_FLAG_DO_NOT_QUEUE */), G_VARIANT_TYPE("(u)"),
      G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
  if (reply == nullptr) return false;
  guint32 result = 0;
  g_variant_get(reply, "(u)", &result);
  return result == 1;  // DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER
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

}  // namespace

LinuxWatchEvents::LinuxWatchEvents(std::function<void(const std::string&)> log)
    : log_(std::move(log)) {}

LinuxWatchEvents::~LinuxWatchEvents() {
  StopTimer();
}

int LinuxWatchEvents::Run(Handler& handler) {
  g_autoptr(GError) error = nullptr;
  g_autoptr(GDBusConnection) session = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
  if (session == nullptr) {
    log_(std::string("セッションのバスに接続できません: ") + error->message);
    return 1;
  }
  if (!OwnName(session, BusName)) {
    log_("このセッションでは既に動いています。");
    return 0;
  }

  g_autoptr(GMainLoop) loop = g_main_loop_new(nullptr, FALSE);
  Loop events{&handler, loop};
  handler_ = &handler;
  loop_ = loop;

  // The session's end is the bus going away: end with it, quietly.
  g_dbus_connection_set_exit_on_close(session, FALSE);
  const gulong closed = g_signal_connect(session, "closed", G_CALLBACK(BusClosed), loop);
  const guint term = g_unix_signal_add(SIGTERM, Quit, loop);
  const guint interrupt = g_unix_signal_add(SIGINT, Quit, loop);
  const guint hangup = g_unix_signal_add(SIGHUP, Quit, loop);

  GNetworkMonitor* monitor = g_network_monitor_get_default();
  const gulong changed =
      g_signal_connect(monitor, "network-changed", G_CALLBACK(NetworkChanged), &events);

  g_autoptr(GError) systemError = nullptr;
  g_autoptr(GDBusConnection) system = g_bus_get_sync(G_BUS_TYPE_SYSTEM, nullptr, &systemError);
  guint sleep = 0;
  if (system != nullptr) {
    g_dbus_connection_set_exit_on_close(system, FALSE);
    sleep = g_dbus_connection_signal_subscribe(
        system, "org.freedesktop.login1", "org.freedesktop.login1.Manager", "PrepareForSleep",
        "/org/freedesktop/login1", nullptr, G_DBUS_SIGNAL_FLAGS_NONE, PrepareForSleep, &events,
        nullptr);
  } else {
    log_(std::string("システムのバスに接続できません (スリープからの復帰は検知しません): ") +
         systemError->message);
  }

  log_("待機中");
  g_main_loop_run(loop);

  StopTimer();
  if (sleep != 0) g_dbus_connection_signal_unsubscribe(system, sleep);
  g_signal_handler_disconnect(monitor, changed);
  g_source_remove(hangup);
  g_source_remove(interrupt);
  g_source_remove(term);
  g_signal_handler_disconnect(session, closed);
  handler_ = nullptr;
  loop_ = nullptr;
  log_("終了");
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
  std::fprintf(stderr, "kayoiji-reconnect: %s\n", line.c_str());
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

bool LinuxWatchProbes::ServerAnswers(const std::string& host, std::uint16_t port,
                                     std::uint32_t milliseconds) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const std::string name = SjisToUtf8(host);
  if (::getaddrinfo(name.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return false;
  bool answered = false;
  for (addrinfo* address = found; address != nullptr && !answered; address = address->ai_next) {
    const int fd = ::socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                            address->ai_protocol);
    if (fd < 0) continue;
    if (::connect(fd, address->ai_addr, address->ai_addrlen) == 0) {
      answered = true;
    } else if (errno == EINPROGRESS) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      pollfd wait{fd, POLLOUT, 0};
      int error = 0;
      socklen_t size = sizeof error;
      answered = left > 0 && ::poll(&wait, 1, static_cast<int>(left)) == 1 &&
                 ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
    }
    ::close(fd);
  }
  ::freeaddrinfo(found);
  return answered;
}

}  // namespace platform
