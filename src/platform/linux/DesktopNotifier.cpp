#include "platform/linux/DesktopNotifier.h"

#include <gio/gio.h>

#include "platform/Codec.h"

namespace platform {

std::string DesktopNotifier::Body(const std::vector<FailedConnection>& failed) {
  std::string body;
  for (const FailedConnection& entry : failed) {
    if (!body.empty()) body += '\n';
    body += SjisToUtf8(entry.Path) + ": " + entry.Message;
  }
  g_autofree char* escaped = g_markup_escape_text(body.c_str(), -1);
  return escaped;
}

void DesktopNotifier::ConnectionsFailed(const std::vector<FailedConnection>& failed) {
  if (failed.empty()) return;
  g_autoptr(GDBusConnection) bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  if (bus == nullptr) return;

  GVariantBuilder hints;
  g_variant_builder_init(&hints, G_VARIANT_TYPE("a{sv}"));
  // Lets the desktop show the program's name and icon with the notice.
  g_variant_builder_add(&hints, "{sv}", "desktop-entry", g_variant_new_string("kayoiji"));
  const std::string body = Body(failed);
  // Notify(app_name, replaces_id, app_icon, summary, body, actions, hints,
  // expire_timeout): -1 leaves the display time to the service.
  GVariant* args = g_variant_new("(susss@asa{sv}i)", "Kayoiji", 0u, "kayoiji", "Kayoiji",
                                 body.c_str(), g_variant_new_strv(nullptr, 0), &hints, -1);
  // Without a callback no answer is asked for: a missing service costs
  // nothing and says nothing.
  g_dbus_connection_call(bus, "org.freedesktop.Notifications", "/org/freedesktop/Notifications",
                         "org.freedesktop.Notifications", "Notify", args, nullptr,
                         G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr, nullptr);
  // The bus has the message once it is written out; the program may end
  // right after this (an exit delay of 0).
  g_dbus_connection_flush_sync(bus, nullptr, nullptr);
}

}  // namespace platform
