#include "platform/linux/SecretServiceStore.h"

#include <libsecret/secret.h>

#include <memory>

#include "platform/Codec.h"

namespace platform {

namespace {

constexpr const char* kService = "org.freedesktop.secrets";
constexpr const char* kServicePath = "/org/freedesktop/secrets";
constexpr const char* kCollectionInterface = "org.freedesktop.Secret.Collection";
// No call to the bus may hold the program up for long.
constexpr int kCallMilliseconds = 5000;

const SecretSchema* Schema() {
  static const SecretSchema schema = [] {
    SecretSchema s{};
    s.name = "io.kayoiji.Password";
    s.flags = SECRET_SCHEMA_NONE;
    s.attributes[0] = {"remote", SECRET_SCHEMA_ATTRIBUTE_STRING};
    s.attributes[1] = {"user", SECRET_SCHEMA_ATTRIBUTE_STRING};
    return s;
  }();
  return &schema;
}

struct TableFree {
  void operator()(GHashTable* t) const { g_hash_table_unref(t); }
};
using Attributes = std::unique_ptr<GHashTable, TableFree>;

Attributes AttributesOf(const CredentialName& name) {
  Attributes table(g_hash_table_new_full(g_str_hash, g_str_equal, g_free, g_free));
  g_hash_table_insert(table.get(), g_strdup("remote"),
                      g_strdup(SjisToUtf8(name.RemoteName).c_str()));
  g_hash_table_insert(table.get(), g_strdup("user"), g_strdup(SjisToUtf8(name.UserName).c_str()));
  return table;
}

// The error's message, and the error freed.
std::string Reason(GError* error, const char* otherwise) {
  if (error == nullptr) return otherwise;
  std::string text = error->message;
  g_error_free(error);
  return text;
}

GVariant* Call(GDBusConnection* bus, const char* path, const char* interface, const char* method,
               GVariant* parameters, const char* replyType) {
  return g_dbus_connection_call_sync(bus, kService, path, interface, method, parameters,
                                     G_VARIANT_TYPE(replyType), G_DBUS_CALL_FLAGS_NO_AUTO_START,
                                     kCallMilliseconds, nullptr, nullptr);
}

}  // namespace

SecretServiceStore::SecretServiceStore() {
  bus_ = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
}

SecretServiceStore::~SecretServiceStore() {
  if (bus_ == nullptr) return;
  if (propertiesSignal_ != 0) g_dbus_connection_signal_unsubscribe(bus_, propertiesSignal_);
  if (collectionSignal_ != 0) g_dbus_connection_signal_unsubscribe(bus_, collectionSignal_);
  g_object_unref(bus_);
}

// A service that runs, or one the bus starts on demand.
bool SecretServiceStore::Available() {
  if (bus_ == nullptr) return false;
  GVariant* owned = g_dbus_connection_call_sync(
      bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
      g_variant_new("(s)", kService), G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE,
      kCallMilliseconds, nullptr, nullptr);
  gboolean has = FALSE;
  if (owned != nullptr) {
    g_variant_get(owned, "(b)", &has);
    g_variant_unref(owned);
  }
  if (has) return true;
  GVariant* names = g_dbus_connection_call_sync(
      bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
      "ListActivatableNames", nullptr, G_VARIANT_TYPE("(as)"), G_DBUS_CALL_FLAGS_NONE,
      kCallMilliseconds, nullptr, nullptr);
  if (names == nullptr) return false;
  GVariantIter* iter = nullptr;
  const char* name = nullptr;
  g_variant_get(names, "(as)", &iter);
  while (!has && g_variant_iter_next(iter, "&s", &name)) has = g_strcmp0(name, kService) == 0;
  g_variant_iter_free(iter);
  g_variant_unref(names);
  return has;
}

bool SecretServiceStore::Locked() {
  if (!watching_) Watch();
  return locked_;
}

void SecretServiceStore::Watch() {
  watching_ = true;
  if (bus_ == nullptr) return;
  // Subscribed before the first reading, so that no change falls between.
  const GDBusSignalCallback handler = &SecretServiceStore::Changed;
  propertiesSignal_ = g_dbus_connection_signal_subscribe(
      bus_, kService, "org.freedesktop.DBus.Properties", "PropertiesChanged", nullptr,
      kCollectionInterface, G_DBUS_SIGNAL_FLAGS_NONE, handler, this, nullptr);
  collectionSignal_ = g_dbus_connection_signal_subscribe(
      bus_, kService, "org.freedesktop.Secret.Service", "CollectionChanged", kServicePath, nullptr,
      G_DBUS_SIGNAL_FLAGS_NONE, handler, this, nullptr);
  ReadLocked();
}

void SecretServiceStore::ReadLocked() {
  locked_ = false;
  collection_.clear();
  GVariant* alias = Call(bus_, kServicePath, "org.freedesktop.Secret.Service", "ReadAlias",
                         g_variant_new("(s)", "default"), "(o)");
  if (alias == nullptr) return;
  const char* path = nullptr;
  g_variant_get(alias, "(&o)", &path);
  if (g_strcmp0(path, "/") != 0) collection_ = path;
  g_variant_unref(alias);
  if (collection_.empty()) return;
  GVariant* reply = Call(bus_, collection_.c_str(), "org.freedesktop.DBus.Properties", "Get",
                         g_variant_new("(ss)", kCollectionInterface, "Locked"), "(v)");
  if (reply == nullptr) return;
  GVariant* value = nullptr;
  g_variant_get(reply, "(v)", &value);
  if (g_variant_is_of_type(value, G_VARIANT_TYPE_BOOLEAN)) locked_ = g_variant_get_boolean(value);
  g_variant_unref(value);
  g_variant_unref(reply);
}

// Either signal may tell of the change: the collection's own property, or
// the service's notice that the collection changed.
void SecretServiceStore::Changed(GDBusConnection*, const char*, const char* path, const char*,
                                 const char*, GVariant*, void* self) {
  auto* store = static_cast<SecretServiceStore*>(self);
  if (store->collection_.empty() || store->collection_ == path) store->ReadLocked();
}

StoredPassword SecretServiceStore::Read(const CredentialName& name) {
  if (!Available()) return {StoreAnswer::NoStore, {}, {}};
  GError* error = nullptr;
  SecretService* service = secret_service_get_sync(SECRET_SERVICE_OPEN_SESSION, nullptr, &error);
  if (service == nullptr) return {StoreAnswer::Failed, {}, Reason(error, "")};
  // No SECRET_SEARCH_UNLOCK: a locked item is reported, never prompted for.
  GList* items = secret_service_search_sync(service, Schema(), AttributesOf(name).get(),
                                            SECRET_SEARCH_LOAD_SECRETS, nullptr, &error);
  g_object_unref(service);
  if (error != nullptr) return {StoreAnswer::Failed, {}, Reason(error, "")};
  StoredPassword answer;
  if (items == nullptr) {
    answer.Answer = Locked() ? StoreAnswer::Locked : StoreAnswer::NotFound;
    return answer;
  }
  auto* item = static_cast<SecretItem*>(items->data);
  SecretValue* value = secret_item_get_locked(item) ? nullptr : secret_item_get_secret(item);
  const char* text = value != nullptr ? secret_value_get_text(value) : nullptr;
  if (secret_item_get_locked(item)) {
    answer.Answer = StoreAnswer::Locked;
    // The service may have started only now: learn its state, and its signals.
    if (!watching_) Watch();
    if (collection_.empty()) ReadLocked();
    locked_ = true;
  } else if (text == nullptr) {
    answer.Answer = StoreAnswer::Failed;
    answer.Reason = "the stored secret is not a text";
  } else {
    answer.Answer = StoreAnswer::Found;
    answer.Password = Utf8ToSjis(text);
  }
  if (value != nullptr) secret_value_unref(value);
  g_list_free_full(items, g_object_unref);
  return answer;
}

std::string SecretServiceStore::Write(const CredentialName& name, const std::string& password) {
  if (!Available()) return "no Secret Service in this session";
  GError* error = nullptr;
  const std::string label = CredentialLabel(name);
  const gboolean stored =
      secret_password_storev_sync(Schema(), AttributesOf(name).get(), SECRET_COLLECTION_DEFAULT,
                                  label.c_str(), SjisToUtf8(password).c_str(), nullptr, &error);
  return stored ? std::string() : Reason(error, "not stored");
}

std::string SecretServiceStore::Remove(const CredentialName& name) {
  if (!Available()) return "no Secret Service in this session";
  GError* error = nullptr;
  // FALSE without an error: there was nothing to remove.
  secret_password_clearv_sync(Schema(), AttributesOf(name).get(), nullptr, &error);
  return error == nullptr ? std::string() : Reason(error, "");
}

}  // namespace platform
