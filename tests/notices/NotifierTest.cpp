// The desktop notice against a stand-in notification service on a private
// session bus (run under dbus-run-session with private-bus.conf).
#include <gio/gio.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/DesktopNotifier.h"
#include "support/TestFiles.h"

using platform::DesktopNotifier;
using platform::FailedConnection;

namespace {

// The service runs while the fixture lives; Calls() reads what it was sent.
class FakeService : public ::testing::Test {
 protected:
  void SetUp() override {
    if (g_getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr) GTEST_SKIP() << "needs a session bus";
    record_ = scratch_.File("calls");
    const char* argv[] = {KAYOIJI_FAKE_NOTIFICATIONS, record_.c_str(), nullptr};
    service_ = g_subprocess_newv(argv, G_SUBPROCESS_FLAGS_STDOUT_PIPE, nullptr);
    ASSERT_NE(service_, nullptr);
    g_autoptr(GDataInputStream) out =
        g_data_input_stream_new(g_subprocess_get_stdout_pipe(service_));
    g_autofree char* line = g_data_input_stream_read_line(out, nullptr, nullptr, nullptr);
    ASSERT_STREQ(line, "ready");
  }
  void TearDown() override {
    if (service_ == nullptr) return;
    g_subprocess_send_signal(service_, SIGTERM);
    g_subprocess_wait(service_, nullptr, nullptr);
    g_clear_object(&service_);
  }

  // The calls received so far, waiting up to five seconds for `count`.
  std::vector<std::string> Calls(std::size_t count) {
    std::vector<std::string> lines;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    do {
      lines.clear();
      std::string text = testsupport::ReadBytes(record_);
      for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
           start = end + 1) {
        lines.push_back(text.substr(start, end - start));
      }
      if (lines.size() >= count) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < deadline);
    return lines;
  }

  testsupport::TempDir scratch_;
  std::string record_;
  GSubprocess* service_ = nullptr;
};

// One call's arguments, as the service recorded them.
struct Notice {
  std::string App, Icon, Summary, Body, DesktopEntry;
  guint32 Replaces = 99;
  gint32 Timeout = 0;
  gsize Actions = 99;
};

Notice Parse(const std::string& text) {
  Notice n;
  g_autoptr(GVariant) v = g_variant_parse(nullptr, text.c_str(), nullptr, nullptr, nullptr);
  EXPECT_NE(v, nullptr) << text;
  if (v == nullptr) return n;
  const char *app, *icon, *summary, *body;
  g_autoptr(GVariant) actions = nullptr;
  g_autoptr(GVariant) hints = nullptr;
  g_variant_get(v, "(&su&s&s&s@as@a{sv}i)", &app, &n.Replaces, &icon, &summary, &body, &actions,
                &hints, &n.Timeout);
  n.App = app, n.Icon = icon, n.Summary = summary, n.Body = body;
  n.Actions = g_variant_n_children(actions);
  const char* entry = nullptr;
  if (g_variant_lookup(hints, "desktop-entry", "&s", &entry)) n.DesktopEntry = entry;
  return n;
}

TEST_F(FakeService, OneNoticeNamesEachFailedShareWithItsMessage) {
  DesktopNotifier notifier;
  // "\\srv\共有" in Shift-JIS, and a share name that markup would misread.
  notifier.ConnectionsFailed({{"\\\\srv\\\x8b\xa4\x97\x4c", "パスワードエラーです。"},
                              {"\\\\nas\\R&D <x>", "接続先が見つかりません。"}});
  const std::vector<std::string> calls = Calls(1);
  ASSERT_EQ(calls.size(), 1u);
  const Notice n = Parse(calls[0]);
  EXPECT_EQ(n.Summary, "Kayoiji");
  EXPECT_EQ(n.Body,
            "\\\\srv\\共有: パスワードエラーです。\n"
            "\\\\nas\\R&amp;D &lt;x&gt;: 接続先が見つかりません。");
  EXPECT_EQ(n.Icon, "kayoiji");
  EXPECT_EQ(n.App, "Kayoiji");
  EXPECT_EQ(n.DesktopEntry, "kayoiji");
  EXPECT_EQ(n.Replaces, 0u);
  EXPECT_EQ(n.Actions, 0u);
  EXPECT_EQ(n.Timeout, -1);
}

// No service on the bus (or no bus at all, run apart with a bus address that
// leads nowhere): the program goes on at once and says nothing.
void ExpectQuietAndQuick() {
  DesktopNotifier notifier;
  ::testing::internal::CaptureStderr();
  const auto start = std::chrono::steady_clock::now();
  notifier.ConnectionsFailed({{"\\\\srv\\data", "ネットワークエラーです。"}});
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_LT(took, std::chrono::milliseconds(500));
}

TEST(NoService, NothingHappensSilently) {
  ExpectQuietAndQuick();
}

TEST(NoSessionBus, NothingHappensSilently) {
  ExpectQuietAndQuick();
}

}  // namespace
