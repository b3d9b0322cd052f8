// The reconnect watcher's words, in one place: its log lines, those of
// both systems' backends, and what it says of its command line.
#pragma once

#include <string>

namespace platform::words {

// What keeps it from hearing of a resume (Linux's system bus), with the
// reason after; a --settle value it does not take.
inline constexpr const char* NoSystemBus =
    "システムのバスに接続できません (スリープからの復帰は検知しません): ";
inline constexpr const char* SettleOutOfRange =
    "--settle には 0 から 600 までの秒数を指定してください。";

// The watcher's start and end.
inline constexpr const char* AlreadyRunning = "このセッションでは既に動いています。";
inline constexpr const char* Waiting = "待機中";
inline constexpr const char* Ended = "終了";

// What keeps it from hearing of events (Linux: the session bus, with the
// reason after; Windows: its window and the address-change notification).
inline constexpr const char* NoSessionBus = "セッションのバスに接続できません: ";
inline constexpr const char* NoWindow = "ウィンドウを作れません。";
inline constexpr const char* NoAddressChanges = "アドレスの変化を検知できません。";

// Before each line on standard error (Linux).
inline constexpr const char* LinePrefix = "kayoiji-reconnect: ";

// What wakes it, in the line that starts a check.
inline constexpr const char* CheckStarts = "確認開始 ";
inline constexpr const char* Resumed = "スリープからの復帰";
inline constexpr const char* NetworkChanged = "ネットワークの変化";

// What is wrong with the configuration file. A value the settings cannot
// read is named by its key only: it may be a password.
inline constexpr const char* ValueUnreadable = " の値が読めません。";
inline constexpr const char* FileNotFound = "見つかりません。";
inline constexpr const char* FileNotExamined = "調べられません。";
inline constexpr const char* FileIsFolder = "フォルダーです。";
inline constexpr const char* FileNotRegular = "通常のファイルではありません。";
inline constexpr const char* FileNotReadable = "読み取れません。";

// The command line.
inline constexpr const char* FileMissingAfterF = "-f のあとに設定ファイルを指定してください。";
inline constexpr const char* UnknownOption = "不明なオプションです: ";

// An entry's connection whose server stopped answering, and its return.
inline constexpr const char* TakenDown = "サーバーが応答しないため切断しました。";
inline constexpr const char* KeptInUse = "サーバーが応答しませんが、使用中のため切断しません。";
inline constexpr const char* NotTakenDown = "サーバーが応答しませんが、切断できません: ";
inline constexpr const char* BackAgain = "サーバーが応答したため再接続しました。";

// The configuration file: where, then what is wrong.
inline std::string ConfigLine(const std::string& file, const std::string& what) {
  return "設定ファイル " + file + ": " + what;
}

// An entry whose letter something else uses.
inline std::string DriveTaken(const std::string& remote, const std::string& local) {
  return remote + ": ドライブ " + local + " はほかのものが使っています。";
}

// The line that ends a check: what became of every entry.
struct CheckCounts {
  int Connected = 0;
  int Failed = 0;
  int AlreadyConnected = 0;
  int Unreachable = 0;
  int HeldBack = 0;
  int Taken = 0;
  int NotTried = 0;
};
inline std::string CheckEnded(const CheckCounts& n) {
  return "確認終了: 接続 " + std::to_string(n.Connected) + "、失敗 " + std::to_string(n.Failed) +
         "、接続済み " + std::to_string(n.AlreadyConnected) + "、応答なし " +
         std::to_string(n.Unreachable) + "、認証拒否で保留 " + std::to_string(n.HeldBack) +
         "、ドライブ使用中 " + std::to_string(n.Taken) + "、対象外 " + std::to_string(n.NotTried);
}

}  // namespace platform::words
