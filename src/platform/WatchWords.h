// The reconnect watcher's log lines, in one place for both systems' backends.
#pragma once

namespace platform::words {

// The watcher's start and end.
inline constexpr const char* AlreadyRunning = "このセッションでは既に動いています。";
inline constexpr const char* Waiting = "待機中";
inline constexpr const char* Ended = "終了";

// What keeps it from hearing of events (Linux: the buses, with the reason
// after; Windows: its window and the address-change notification).
inline constexpr const char* NoSessionBus = "セッションのバスに接続できません: ";
inline constexpr const char* NoSystemBus =
    "システムのバスに接続できません (スリープからの復帰は検知しません): ";
inline constexpr const char* NoWindow = "ウィンドウを作れません。";
inline constexpr const char* NoAddressChanges = "アドレスの変化を検知できません。";

// Before each line on standard error (Linux).
inline constexpr const char* LinePrefix = "kayoiji-reconnect: ";

}  // namespace platform::words
