#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "connect/ConnectUnit.h"
#include "support/ScriptedPlatform.h"

using namespace Connection;
namespace code = platform::code;
using testing::ElementsAre;
using testsupport::ScriptedPlatform;

namespace {

struct Fixture {
  Fixture() {
    settings.EntryCount = 1;
    DefUnit::SetField(settings.NetPath[0], "\\\\srv\\share");
    DefUnit::SetField(settings.LocalDrive[0], "Z:");
    DefUnit::SetField(settings.UserName[0], "bob");
    DefUnit::SetField(settings.UserPasswd[0], "pw");
  }
  int Connect(int index = 0) { return ConnectEntry(settings, p.Services(), p, index); }
  DefUnit::RunningSettings settings;
  ScriptedPlatform p;
};

}  // namespace

TEST(ConnectEntry, SuccessRunsTheStepsInOrderAndShowsNoBox) {
  Fixture f;
  EXPECT_EQ(f.Connect(), 0);
  EXPECT_THAT(f.p.Log,
              ElementsAre("pump", "probe \\\\srv\\share\\*.* mask=63", "pump", "probe-close 1",
                          "pump", "title *Kayoiji [接続中]", "state 接続処理中", "pump",
                          "add Z: \\\\srv\\share pw=pw user=bob flags=0", "pump", "title  Kayoiji",
                          "path \\\\srv\\share", "state 接続終了。"));
  EXPECT_EQ(f.p.Requests[0].dwType, 0u);
}

TEST(ConnectEntry, FailureShowsTheBoxBeforeTheTitleAndLabelsChange) {
  Fixture f;
  f.p.DefaultAddCode = code::InvalidPassword;
  EXPECT_EQ(f.Connect(), -1);
  ASSERT_EQ(f.p.Boxes.Shown.size(), 1u);
  EXPECT_EQ(f.p.Boxes.Shown[0].Title, "エラー");
  EXPECT_EQ(f.p.Boxes.Shown[0].Kind, platform::BoxKind::Error);
  EXPECT_EQ(f.p.Boxes.Shown[0].Buttons, platform::BoxButtons::Ok);
  EXPECT_THAT(
      std::vector<std::string>(f.p.Log.end() - 4, f.p.Log.end()),
      ElementsAre("box エラー パスワードエラーです。 (title *Kayoiji [接続中], state 接続処理中)",
                  "title  Kayoiji", "path \\\\srv\\share", "state パスワードエラーです。"));
}

TEST(ConnectEntry, TheTickIsReadOnceAtTheStart) {
  Fixture f;
  f.p.DefaultAddCode = code::BadNetName;
  f.p.Ticked = true;
  // Clearing the box during the attempt does not bring the box back.
  f.p.DuringAdd = [&] { f.p.Ticked = false; };
  EXPECT_EQ(f.Connect(), -1);
  EXPECT_TRUE(f.p.Boxes.Shown.empty());
  EXPECT_EQ(f.p.StateText, "接続先が見つかりません。");

  Fixture g;
  g.p.DefaultAddCode = code::BadNetName;
  g.p.DuringAdd = [&] { g.p.Ticked = true; };
  g.Connect();
  EXPECT_EQ(g.p.Boxes.Shown.size(), 1u);
}

TEST(ConnectEntry, TrailingBackslashLosesOneCharacterInTheStoredPath) {
  Fixture f;
  DefUnit::SetField(f.settings.NetPath[0], "\\\\srv\\share\\\\");
  f.Connect();
  EXPECT_EQ(DefUnit::FieldText(f.settings.NetPath[0]), "\\\\srv\\share\\");
  EXPECT_EQ(f.p.Requests[0].RemoteName, "\\\\srv\\share\\");
  f.Connect();
  EXPECT_EQ(DefUnit::FieldText(f.settings.NetPath[0]), "\\\\srv\\share");
  EXPECT_EQ(f.p.PathText, "\\\\srv\\share");
  // 予定表 ends in 0x5C, its second byte: the name stays whole.
  Fixture plan;
  DefUnit::SetField(plan.settings.NetPath[0], "\\\\srv\\\x97\x5C\x92\xE8\x95\x5C");
  plan.Connect();
  EXPECT_EQ(plan.p.Requests[0].RemoteName, "\\\\srv\\\x97\x5C\x92\xE8\x95\x5C");

  Fixture empty;
  DefUnit::SetField(empty.settings.NetPath[0], "");
  DefUnit::SetField(empty.settings.LocalDrive[0], "");
  empty.Connect();
  EXPECT_EQ(empty.p.Log[1], "probe \\*.* mask=63");
  EXPECT_EQ(empty.p.Requests[0].RemoteName, "");
  EXPECT_EQ(empty.p.Requests[0].LocalName, "");
}

TEST(ConnectEntry, ShiftIsHeldAroundTheCallOnlyWhenAsked) {
  for (std::uint32_t result : {code::NoError, code::NoNetOrBadPath}) {
    Fixture f;
    f.settings.HoldShiftKey = true;
    f.p.DefaultAddCode = result;
    f.p.ProbeHandle = 0;
    f.Connect();
    std::vector<std::string> tail;
    for (const std::string& line : f.p.Log) {
      if (line.rfind("key", 0) == 0 || line.rfind("add", 0) == 0 || line.rfind("box", 0) == 0 ||
          line == "pump") {
        tail.push_back(line.substr(0, line.rfind("box", 0) == 0 ? 3 : 6));
      }
    }
    std::vector<std::string> expected = {"pump",   "pump",   "pump", "pump",
                                         "key 16", "add Z:", "pump", "key 16"};
    if (result != code::NoError) expected.push_back("box");
    EXPECT_EQ(tail, expected) << result;
    EXPECT_EQ(std::count(f.p.Log.begin(), f.p.Log.end(), "key 16 0 0 0"), 1);
    EXPECT_EQ(std::count(f.p.Log.begin(), f.p.Log.end(), "key 16 0 2 0"), 1);
    EXPECT_EQ(std::count(f.p.Log.begin(), f.p.Log.end(), "probe-close 1"), 0)
        << "a search that did not open is not closed";
  }
  Fixture off;
  off.Connect();
  for (const std::string& line : off.p.Log) EXPECT_NE(line.rfind("key", 0), 0u);
}

TEST(ConnectErrorMessage, TheWholeTable) {
  const std::vector<std::pair<std::uint32_t, std::string>> table = {
      {0, ""},
      {5, "アクセスが拒否されました。"},
      {66, "デバイスタイプが一致しません。"},
      {67, "接続先が見つかりません。"},
      {85, "既に接続されています。"},
      {86, "パスワードエラーです。"},
      {170, "接続先、ないし経路がBusyです。"},
      {1200, "ローカルドライブ名が不正です。"},
      {1202, "既に別名で接続されているようです。"},
      {1203, "ネットワーク接続が開始出来ないか、接続先が見つかりません。"},
      {1204, "接続先と値が一致しません。"},
      {1205, "ユーザー情報をオープン出来ませでした。"},
      {1206, "ユーザー情報が不正です。"},
      {1208, "ネットワークエラーです。"},
      {1222, "ネットワーク接続が出来ません。"},
      {1223, "接続は取り消されました。"},
  };
  for (const auto& [code, text] : table) EXPECT_EQ(ConnectErrorMessage(code), text) << code;
  // What current servers answer most often: each says what it is.
  const std::vector<std::pair<std::uint32_t, std::string>> common = {
      {53, "サーバーが見つかりません。名前とネットワークを確認してください。"},
      {64, "サーバーとの接続が切れました。ネットワークを確認してください。"},
      {1219, "このサーバーには別のユーザー名で接続済みです。その接続を切断してください。"},
      {1311, "ログオンサーバーがありません。ネットワークを確認してください。"},
      {1326, "ユーザー名かパスワードが違います。"},
      {1330, "パスワードの期限が切れています。パスワードを変更してください。"},
      {1331, "アカウントが無効です。管理者に連絡してください。"},
      {1907, "パスワードを変更してからログオンしてください。"},
      {1909, "アカウントがロックされています。管理者に連絡してください。"},
  };
  for (const auto& [code, text] : common) EXPECT_EQ(ConnectErrorMessage(code), text) << code;
  std::vector<std::uint32_t> unlisted = {52, 87, 1201, 1207, 1327, 2250, 0xFFFFFFFFu};
  for (std::uint32_t c = 1209; c <= 1221; ++c) {
    if (c != 1219) unlisted.push_back(c);
  }
  for (std::uint32_t code : unlisted) {
    EXPECT_EQ(ConnectErrorMessage(code), "原因不明なエラーが発生しました。") << code;
  }
}

TEST(DecideHoldShiftKey, OnlyNtMajorFive) {
  ScriptedPlatform p;
  p.OsVersionValue = {2, 5};
  EXPECT_TRUE(DecideHoldShiftKey(&p));
  for (platform::OsVersion v :
       {platform::OsVersion{2, 6}, platform::OsVersion{1, 5}, platform::OsVersion{0, 0}}) {
    p.OsVersionValue = v;
    EXPECT_FALSE(DecideHoldShiftKey(&p));
  }
  EXPECT_FALSE(DecideHoldShiftKey(nullptr));
}
