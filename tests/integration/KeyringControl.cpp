// Locks or unlocks the Secret Service's default collection as the desktop
// would, without any prompt: "lock", or "unlock" with the keyring's password
// on standard input (gnome-keyring's own interface for unlocking with it).
#include <gio/gio.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

namespace {

constexpr const char* kService = "org.freedesktop.secrets";
constexpr const char* kPath = "/org/freedesktop/secrets";

GVariant* Call(GDBusConnection* bus, const char* interface, const char* method,
               GVariant* parameters) {
  GError* error = nullptr;
  GVariant* reply =
      g_dbus_connection_call_sync(bus, kService, kPath, interface, method, parameters, nullptr,
                                  G_DBUS_CALL_FLAGS_NONE, 10000, nullptr, &error);
  if (reply == nullptr) {
    std::fprintf(stderr, "%s: %s\n", method, error->message);
    g_error_free(error);
  }
  return reply;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  if (bus == nullptr) return 1;
  GVariant* alias =
      Call(bus, "org.freedesktop.Secret.Service", "ReadAlias", g_variant_new("(s)", "default"));
  if (alias == nullptr) return 1;
  const char* collection = nullptr;
  g_variant_get(alias, "(&o)", &collection);
  GVariant* reply = nullptr;
  if (std::strcmp(argv[1], "lock") == 0) {
    const char* paths[] = {collection};
    reply = Call(bus, "org.freedesktop.Secret.Service", "Lock",
                 g_variant_new("(@ao)", g_variant_new_objv(paths, 1)));
  } else if (std::strcmp(argv[1], "unlock") == 0) {
    std::string password;
    std::getline(std::cin, password);
    GVariant* opened = Call(bus, "org.freedesktop.Secret.Service", "OpenSession",
                            g_variant_new("(sv)", "plain", g_variant_new_string("")));
    if (opened == nullptr) return 1;
    GVariant* output = nullptr;
    const char* session = nullptr;
    g_variant_get(opened, "(v&o)", &output, &session);
    GVariant* secret = g_variant_new(
        "(o@ay@ays)", session, g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, "", 0, 1),
        g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, password.data(), password.size(), 1),
        "text/plain");
    reply = Call(bus, "org.gnome.keyring.InternalUnsupportedGuiltRiddenInterface",
                 "UnlockWithMasterPassword", g_variant_new("(o@(oayays))", collection, secret));
  }
  return reply != nullptr ? 0 : 1;
}
