// The reconnect watcher's start: the system's backends, then the events
// until the session ends.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/Backends.h"
#include "platform/SessionState.h"
#include "reconnect/Watcher.h"

namespace {

std::string Usage() {
  const std::string settle = std::to_string(Reconnect::Options().SettleMilliseconds / 1000);
  return "使い方: kayoiji-reconnect [-f 設定ファイル] [--settle 秒] [--keep-mounts]\n"
         "Usage: kayoiji-reconnect [-f CONFIG_FILE] [--settle SECONDS] [--keep-mounts]\n"
         "\n"
         "ネットワークの変化とスリープからの復帰のあとに、切れた接続をつなぎ直します。\n"
         "Reconnects the configured shares after a network change or a resume.\n"
         "\n"
         "  -f ファイル   設定ファイル (既定: 現在のフォルダの ConfFile.dat)\n"
         "  -f FILE       the configuration file (default: ConfFile.dat in the current folder)\n"
         "  --settle 秒   イベントをまとめる待ち時間 (既定: " +
         settle +
         ")\n"
         "  --settle N    seconds that merge a burst of events into one check (default: " +
         settle +
         ")\n"
         "  --keep-mounts サーバーが応答しなくなった接続を切断せずに残す\n"
         "  --keep-mounts keep a mount whose server stopped answering (default: take it\n"
         "                down, leaving its drive link dangling until the server is back)\n"
         "\n" +
         platform::WatchBackends::StopText;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv, argv + argc);
  if (args.size() >= 2 && args[1] == "--help") {
    std::fputs(Usage().c_str(), stdout);
    return 0;
  }
  if (args.size() >= 2 && args[1] == "--version") {
    std::fputs("Kayoiji " KAYOIJI_VERSION "\n", stdout);
    return 0;
  }
  if (const std::optional<int> status = platform::WatchBackends::RunChildCall(args)) {
    return *status;
  }
  std::string error;
  std::optional<Reconnect::Options> parsed = Reconnect::ParseCommandLine(args, error);
  if (!parsed) {
    std::fprintf(stderr, "kayoiji-reconnect: %s\n\n%s", error.c_str(), Usage().c_str());
    return 2;
  }
  Reconnect::Options options = std::move(*parsed);

  // First: on Linux it blocks the stop signals before any thread starts.
  platform::WatchBackends backends(Reconnect::AttemptMilliseconds);
  const Reconnect::LogLine line = [&backends](const std::string& text) { backends.Log(text); };
  platform::Services services;
  backends.Fill(services);
  options.SessionFolder = platform::SessionFolder();
  platform::SessionRefusals refused(options.SessionFolder, platform::SessionIdentity());
  services.Refused = &refused;
  const std::string hidden = Connection::DrivesHiddenWarning(services.Os);
  if (!hidden.empty()) line(hidden);
  Reconnect::Watcher watcher(services, backends.Events(), backends.Probes(), line, options);
  return backends.Events().Run(watcher);
}
