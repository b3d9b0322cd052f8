#include "SmbShare.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <iostream>

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

namespace {

// The longest single blocking call of the run, reported at its end.
struct Longest {
  double Seconds = 0;
  std::string What;
} longest;

class ReportLongest : public ::testing::Environment {
 public:
  void TearDown() override {
    if (!longest.What.empty()) {
      std::cout << "longest blocking call: " << longest.Seconds << " s (" << longest.What << ")\n";
    }
  }
};
const auto* const kReport = ::testing::AddGlobalTestEnvironment(new ReportLongest);

void Done(GObject*, GAsyncResult* result, gpointer out) {
  *static_cast<GAsyncResult**>(out) = G_ASYNC_RESULT(g_object_ref(result));
}

}  // namespace

std::uint32_t Timed(const std::string& what, const std::function<std::uint32_t()>& call) {
  const auto start = std::chrono::steady_clock::now();
  const std::uint32_t result = call();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (seconds > longest.Seconds) longest = {seconds, what};
  return result;
}

int ClosedPort() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
  ::close(s);
  return ntohs(addr.sin_port);
}

void SmbShare::SetUp() {
  if (Env("KAYOIJI_TEST_SMB_DIR").empty()) GTEST_SKIP() << "needs the server of smb-fixture.sh";
  net_ = std::make_unique<GioNetwork>((scratch_.Path() / "drives").string());
}

void SmbShare::TearDown() {
  if (!net_) return;
  for (char drive = 'A'; drive <= 'Z'; ++drive) {
    net_->CancelConnection(std::string(1, drive) + ":", 0, true);
  }
  net_->CancelConnection(Unc(), 0, true);
  std::error_code ignored;
  for (char drive = 'A'; drive <= 'Z'; ++drive) fs::remove(Link(drive), ignored);
  UnmountShare();
}

std::string SmbShare::Unc(const std::string& share) {
  return "\\\\" + Env("KAYOIJI_TEST_SMB_HOST") + "\\" + share;
}

std::uint32_t SmbShare::Connect(const std::string& local, const std::string& remote,
                                const std::string& password, const std::string& user) {
  NetResource request;
  request.LocalName = local;
  request.RemoteName = remote;
  return Timed("connect " + local + " " + remote,
               [&] { return net_->AddConnection(request, password, user, 0); });
}

std::uint32_t SmbShare::Cancel(const std::string& local, bool force) {
  return Timed("cancel " + local, [&] { return net_->CancelConnection(local, 0, force); });
}

bool SmbShare::ShareMounted() {
  g_autoptr(GFile) share = g_file_new_for_uri(Env("KAYOIJI_TEST_SMB_URI").c_str());
  g_autoptr(GMount) mount = g_file_find_enclosing_mount(share, nullptr, nullptr);
  return mount != nullptr;
}

void SmbShare::UnmountShare() {
  g_autoptr(GFile) share = g_file_new_for_uri(Env("KAYOIJI_TEST_SMB_URI").c_str());
  g_autoptr(GMount) mount = g_file_find_enclosing_mount(share, nullptr, nullptr);
  if (mount == nullptr) return;
  GMainContext* context = g_main_context_new();
  g_main_context_push_thread_default(context);
  GAsyncResult* result = nullptr;
  g_mount_unmount_with_operation(mount, G_MOUNT_UNMOUNT_FORCE, nullptr, nullptr, Done, &result);
  while (result == nullptr) g_main_context_iteration(context, TRUE);
  g_mount_unmount_with_operation_finish(mount, result, nullptr);
  g_object_unref(result);
  g_main_context_pop_thread_default(context);
  g_main_context_unref(context);
}
