// The reconnect watcher's start: the system's backends, then the events
// until the session ends.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "reconnect/Watcher.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/windows/Win32CredentialStore.h"
#include "platform/windows/Win32Network.h"
#include "platform/windows/Win32System.h"
#include "platform/windows/Win32Watch.h"
using NetworkBackend = platform::Win32Network;
using KeyboardBackend = platform::Win32Keyboard;
using OsIdentityBackend = platform::Win32OsIdentity;
using EventsBackend = platform::Win32WatchEvents;
using ProbesBackend = platform::Win32WatchProbes;
using LogBackend = platform::Win32WatchLog;
using SecretStoreBackend = platform::Win32CredentialStore;
#else
#include "platform/linux/DesktopNotifier.h"
#include "platform/linux/GioNetwork.h"
#include "platform/linux/LinuxSystem.h"
#include "platform/linux/LinuxWatch.h"
#include "platform/linux/SecretServiceStore.h"
using NetworkBackend = platform::GioNetwork;
using KeyboardBackend = platform::LinuxKeyboard;
using OsIdentityBackend = platform::LinuxOsIdentity;
using EventsBackend = platform::LinuxWatchEvents;
using LogBackend = platform::LinuxWatchLog;
using SecretStoreBackend = platform::SecretServiceStore;
#endif

namespace {

constexpr const char* kUsage =
    "使い方: kayoiji-reconnect [-f 設定ファイル] [--settle 秒]\n"
    "Usage: kayoiji-reconnect [-f CONFIG_FILE] [--settle SECONDS]\n"
    "\n"
    "ネットワークの変化とスリープからの復帰のあとに、切れた接続をつなぎ直します。\n"
    "Reconnects the configured shares after a network change or a resume.\n"
    "\n"
    "  -f ファイル   設定ファイル (既定: 現在のフォルダの ConfFile.dat)\n"
    "  -f FILE       the configuration file (default: ConfFile.dat in the current folder)\n"
    "  --settle 秒   イベントをまとめる待ち時間 (既定: 3)\n"
    "  --settle N    seconds that merge a burst of events into one check (default: 3)\n";

int Main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc >= 2 && std::strcmp(argv[1], "--version") == 0) {
    std::fputs("Kayoiji " KAYOIJI_VERSION "\n", stdout);
    return 0;
  }
  Reconnect::Options options;
  options.CommandLine.assign(argv, argv + argc);
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--settle") == 0) {
      const long seconds = std::strtol(argv[i + 1], nullptr, 10);
      if (seconds >= 0 && seconds <= 600) options.SettleMilliseconds = seconds * 1000;
    }
  }

  LogBackend log;
  const Reconnect::LogLine line = [&log](const std::string& text) { log.Write(text); };
  NetworkBackend network;
  KeyboardBackend keys;
  OsIdentityBackend os;
  platform::Services services;
  services.Network = &network;
  services.Keys = &keys;
  services.Os = &os;
  SecretStoreBackend secrets;
  services.Secrets = &secrets;
#ifdef _WIN32
  ProbesBackend probes;
#else
  platform::DesktopNotifier notices;
  services.Notices = &notices;
  platform::LinuxWatchProbes probes(network.DrivesFolder());
#endif
  const std::string hidden = Connection::DrivesHiddenWarning(&os);
  if (!hidden.empty()) line(hidden);
  EventsBackend events(line);
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
