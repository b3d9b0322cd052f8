// A stand-in for logind on a private system bus: owns its name and, for
// each line "resume" on standard input, says the machine goes to sleep and
// then, twice as logind is known to, that it woke. Prints "ready" once the
// name is its own and "sent" after each line.
#include <gio/gio.h>

#include <cstdio>
#include <cstring>

namespace {

void Emit(GDBusConnection* bus, gboolean sleeping) {
  g_dbus_connection_emit_signal(bus, nullptr, "/org/freedesktop/login1",
                                "org.freedesktop.login1.Manager", "PrepareForSleep",
                                g_variant_new("(b)", sleeping), nullptr);
}

}  // namespace

int main() {
  g_autoptr(GError) error = nullptr;
  g_autoptr(GDBusConnection) bus = g_bus_get_sync(G_BUS_TYPE_SYSTEM, nullptr, &error);
  if (bus == nullptr) {
    std::fprintf(stderr, "no system bus: %s\n", error->message);
    return 1;
  }
  g_autoptr(GVariant) reply = g_dbus_connection_call_sync(
      bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
      g_variant_new("(su)", "org.freedesktop.login1", 4u), G_VARIANT_TYPE("(u)"),
      G_DBUS_CALL_FLAGS_NONE, -1, nullptr, &error);
  guint32 owner = 0;
  if (reply != nullptr) g_variant_get(reply, "(u)", &owner);
  if (owner != 1) {
    std::fprintf(stderr, "the name org.freedesktop.login1 is not ours\n");
    return 1;
  }
  std::printf("ready\n");
  std::fflush(stdout);
  char line[64];
  while (std::fgets(line, sizeof line, stdin) != nullptr) {
    if (std::strncmp(line, "resume", 6) != 0) continue;
    Emit(bus, TRUE);
    Emit(bus, FALSE);
    Emit(bus, FALSE);
    g_dbus_connection_flush_sync(bus, nullptr, nullptr);
    std::printf("sent\n");
    std::fflush(stdout);
  }
  return 0;
}
