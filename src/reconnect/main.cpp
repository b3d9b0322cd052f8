// The reconnect watcher's start: the system's backends, then the events
// until the session ends.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/SessionState.h"
#include "reconnect/Watcher.h"

#ifdef _WIN32
#include <windows.h>

#define KAYOIJI_STOP_TEXT "止めるには / to stop it: taskkill /IM KayoijiReconnect.exe\n"

#include "platform/windows/Win32CredentialStore.h"
#include "platform/windows/Win32System.h"
#include "platform/windows/Win32Watch.h"
using KeyboardBackend = platform::Win32Keyboard;
using OsIdentityBackend = platform::Win32OsIdentity;
using EventsBackend = platform::Win32WatchEvents;
using ProbesBackend = platform::Win32WatchProbes;
using LogBackend = platform::Win32WatchLog;
using SecretStoreBackend = platform::Win32CredentialStore;
#else
#define KAYOIJI_STOP_TEXT \
  "止めるには / to stop it: pkill -x kayoiji-reconnect (1 秒以内に終わります / ends within 1 s)\n"
#include "platform/linux/DesktopNotifier.h"
#include "platform/linux/GioNetwork.h"
#include "platform/linux/LinuxSystem.h"
#include "platform/linux/LinuxWatch.h"
#include "platform/linux/SecretServiceStore.h"
using KeyboardBackend = platform::LinuxKeyboard;
using OsIdentityBackend = platform::LinuxOsIdentity;
using EventsBackend = platform::LinuxWatchEvents;
using LogBackend = platform::LinuxWatchLog;
using SecretStoreBackend = platform::SecretServiceStore;
#endif

namespace {

constexpr const char* kUsage =
    "使い方: kayoiji-reconnect [-f 設定ファイル] [--settle 秒] [--keep-mounts]\n"
    "Usage: kayoiji-reconnect [-f CONFIG_FILE] [--settle SECONDS] [--keep-mounts]\n"
    "\n"
    "ネットワークの変化とスリープからの復帰のあとに、切れた接続をつなぎ直します。\n"
    "Reconnects the configured shares after a network change or a resume.\n"
    "\n"
    "  -f ファイル   設定ファイル (既定: 現在のフォルダの ConfFile.dat)\n"
    "  -f FILE       the configuration file (default: ConfFile.dat in the current folder)\n"
    "  --settle 秒   イベントをまとめる待ち時間 (既定: 3)\n"
    "  --settle N    seconds that merge a burst of events into one check (default: 3)\n"
    "  --keep-mounts サーバーが応答しなくなった接続を切断せずに残す\n"
    "  --keep-mounts keep a mount whose server stopped answering (default: take it\n"
    "                down, leaving its drive link dangling until the server is back)\n"
    "\n" KAYOIJI_STOP_TEXT;

int Main(int argc, char** argv) {
  const std::vector<std::string> args(argv, argv + argc);
  if (args.size() >= 2 && args[1] == "--help") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (args.size() >= 2 && args[1] == "--version") {
    std::fputs("Kayoiji " KAYOIJI_VERSION "\n", stdout);
    return 0;
  }
#ifndef _WIN32
  if (args.size() == 2 && args[1] == platform::ProcessNetwork::Option) {
    platform::GioNetwork direct;
    return platform::RunNetworkCall(direct);
  }
#endif
  std::string error;
  std::optional<Reconnect::Options> parsed = Reconnect::ParseCommandLine(args, error);
  if (!parsed) {
    std::fprintf(stderr, "kayoiji-reconnect: %s\n\n%s", error.c_str(), kUsage);
    return 2;
  }
  Reconnect::Options options = std::move(*parsed);

  LogBackend log;
  const Reconnect::LogLine line = [&log](const std::string& text) { log.Write(text); };
#ifdef _WIN32
  EventsBackend events(line);
  platform::Win32WatchNetwork network(Reconnect::AttemptMilliseconds);
  ProbesBackend probes;
#else
  // First: the stop signals are blocked before any thread starts.
  platform::StopSignal stop;
  EventsBackend events(line, stop);
  platform::ProcessNetwork network("/proc/self/exe", stop, Reconnect::AttemptMilliseconds);
  platform::LinuxWatchProbes probes(platform::GioNetwork::DefaultDrivesFolder(), stop, &network);
#endif
  KeyboardBackend keys;
  OsIdentityBackend os;
  platform::Services services;
  services.Network = &network;
  services.Keys = &keys;
  services.Os = &os;
  SecretStoreBackend secrets;
  services.Secrets = &secrets;
  options.SessionFolder = platform::SessionFolder();
  platform::SessionRefusals refused(options.SessionFolder, platform::SessionIdentity());
  services.Refused = &refused;
#ifndef _WIN32
  platform::DesktopNotifier notices;
  services.Notices = &notices;
#endif
  const std::string hidden = Connection::DrivesHiddenWarning(&os);
  if (!hidden.empty()) line(hidden);
  Reconnect::Watcher watcher(services, events, probes, line, options);
  return events.Run(watcher);
}

}  // namespace

#ifdef _WIN32
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return Main(__argc, __argv);
}
#else
int main(int argc, char** argv) {
  return Main(argc, argv);
}
#endif
