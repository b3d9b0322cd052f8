// A stand-in for the desktop's notification service (Notify only): owns its
// name on the session bus, answers Notify with a fresh id and appends each
// call's arguments to the file named on the command line, one GVariant text a line.
// Prints "ready" once the name is owned; ends when the name is lost or on
// SIGTERM.
#include <gio/gio.h>
#include <glib-unix.h>

#include <cstdio>

namespace {

const char kInterface[] = R"(<node>
  <interface name="org.freedesktop.Notifications">
    <method name="Notify">
      <arg direction="in" type="s"/><arg direction="in" type="u"/>
      <arg direction="in" type="s"/><arg direction="in" type="s"/>
      <arg direction="in" type="s"/><arg direction="in" type="as"/>
      <arg direction="in" type="a{sv}"/><arg direction="in" type="i"/>
      <arg direction="out" type="u"/>
    </method>
  </interface>
</node>)";

const char* recordFile = nullptr;
GMainLoop* loop = nullptr;
guint lastId = 0;

// GDBus answers calls of methods the interface does not list: this is Notify.
void Call(GDBusConnection*, const char*, const char*, const char*, const char*, GVariant* args,
          GDBusMethodInvocation* invocation, gpointer) {
  g_autofree char* text = g_variant_print(args, TRUE);
  if (FILE* f = std::fopen(recordFile, "a")) {
    std::fprintf(f, "%s\n", text);
    std::fclose(f);
  }
  g_dbus_method_invocation_return_value(invocation, g_variant_new("(u)", ++lastId));
}

void Acquired(GDBusConnection*, const char*, gpointer) {
  std::printf("ready\n");
  std::fflush(stdout);
}

void Lost(GDBusConnection*, const char*, gpointer) {
  g_main_loop_quit(loop);
}

gboolean Stop(gpointer) {
  g_main_loop_quit(loop);
  return G_SOURCE_REMOVE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s RECORD_FILE\n", argv[0]);
    return 2;
  }
  recordFile = argv[1];
  g_autoptr(GError) error = nullptr;
  g_autoptr(GDBusConnection) bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
  if (bus == nullptr) {
    std::fprintf(stderr, "no session bus: %s\n", error->message);
    return 1;
  }
  g_autoptr(GDBusNodeInfo) node = g_dbus_node_info_new_for_xml(kInterface, nullptr);
  const GDBusInterfaceVTable vtable = {Call, nullptr, nullptr, {}};
  g_dbus_connection_register_object(bus, "/org/freedesktop/Notifications", node->interfaces[0],
                                    &vtable, nullptr, nullptr, nullptr);
  loop = g_main_loop_new(nullptr, FALSE);
  g_unix_signal_add(SIGTERM, Stop, nullptr);
  const guint owner = g_bus_own_name_on_connection(bus, "org.freedesktop.Notifications",
                                                   G_BUS_NAME_OWNER_FLAGS_DO_NOT_QUEUE, Acquired,
                                                   Lost, nullptr, nullptr);
  g_main_loop_run(loop);
  g_bus_unown_name(owner);
  g_main_loop_unref(loop);
  return 0;
}
