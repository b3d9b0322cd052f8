#include <algorithm>

#include "DialogFixture.h"

namespace dialogtest {
namespace {

using ConnectionTest = DialogFixture;

// The scripted log with each box put in at the moment it was shown.
class LoggedBoxes {
 public:
  explicit LoggedBoxes(testsupport::ScriptedPlatform& scripted) {
    scripted.Boxes.WhileOpen = [&scripted](const platform::Box& b) {
      scripted.Log.push_back("box " + b.Title + " " + b.Text + " (title " + scripted.CurrentTitle +
                             ")");
    };
  }
};

std::ptrdiff_t IndexOf(const std::vector<std::string>& log, const std::string& prefix) {
  const auto it = std::find_if(log.begin(), log.end(),
                               [&](const std::string& s) { return s.rfind(prefix, 0) == 0; });
  return it == log.end() ? -1 : it - log.begin();
}

TEST_F(ConnectionTest, SuccessRemovesTheConnectionBeforeTheBox) {
  Show();
  LoggedBoxes logged(scripted);
  scripted.Log.clear();
  Type(txtPassWD, QStringLiteral("pw"));
  Click(btnTest);

  const std::vector<std::string> expected = {
      "pump",
      "probe \\\\srv\\share\\*.* mask=63",
      "pump",
      "probe-close 1",
      "pump",
      "title *Kayoiji [接続中]",
      "pump",
      "add Q: \\\\srv\\share pw=pw user=alice flags=0",
      "pump",
      "cancel Q: flags=0 force",
      "box 情報 接続テスト正常終了。 (title *Kayoiji [接続中])",
      "title  Kayoiji",
  };
  EXPECT_EQ(scripted.Log, expected);
  EXPECT_EQ(Boxes().at(0).Kind, platform::BoxKind::Information);
  // The test changes nothing: the typed password was the only edit.
  EXPECT_EQ(scripted.StateText, "待機中");
  EXPECT_TRUE(dialog->EntryWasChanged(0));
  EXPECT_FALSE(AnyFlag(0));
}

TEST_F(ConnectionTest, UsesTheControlsAsTypedWithTheTrailingBackslash) {
  Show();
  Clear(txtNetPath);
  Type(txtNetPath, QStringLiteral("\\\\srv\\共有\\"));
  Clear(cmbDrive->lineEdit());
  Click(btnTest);
  ASSERT_EQ(scripted.Requests.size(), 1u);
  EXPECT_EQ(scripted.Requests[0].RemoteName, platform::Utf8ToSjis("\\\\srv\\共有\\"));
  EXPECT_EQ(scripted.Requests[0].LocalName, ":");
  EXPECT_EQ(scripted.Requests[0].dwType, 0u);
  EXPECT_GE(IndexOf(scripted.Log, "probe " + platform::Utf8ToSjis("\\\\srv\\共有\\\\*.*")), 0);
  EXPECT_GE(IndexOf(scripted.Log, "cancel : flags=0 force"), 0);
}

TEST_F(ConnectionTest, FailureAlwaysShowsTheErrorBoxAndDisconnectsNothing) {
  running.NoErrorDialog = true;
  Show();
  ASSERT_TRUE(errorDialogShow->isChecked());
  scripted.Ticked = true;  // the main window's ignore-errors box
  LoggedBoxes logged(scripted);

  scripted.AddCodes = {86, 85};
  Click(btnTest);
  Click(btnTest);
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[0].Text, "パスワードエラーです。");
  EXPECT_EQ(Boxes()[0].Kind, platform::BoxKind::Error);
  EXPECT_EQ(Boxes()[0].Title, "エラー");
  EXPECT_EQ(Boxes()[1].Text, "既に接続されています。");
  EXPECT_EQ(IndexOf(scripted.Log, "cancel"), -1);
  EXPECT_EQ(IndexOf(scripted.Log, "state"), -1);
  EXPECT_EQ(IndexOf(scripted.Log, "path"), -1);
  EXPECT_EQ(scripted.CurrentTitle, " Kayoiji");
  EXPECT_EQ(scripted.Log.back(), "title  Kayoiji");
  EXPECT_GE(IndexOf(scripted.Log, "box エラー パスワードエラーです。 (title *Kayoiji [接続中])"),
            0);

  // Testing alone is no change.
  Boxes().clear();
  Click(btnSave);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"内容が変更されていません。"});
}

TEST_F(ConnectionTest, ShiftIsHeldAroundTheCallOnlyWhenAsked) {
  running.HoldShiftKey = true;
  Show();
  LoggedBoxes logged(scripted);
  scripted.Log.clear();
  scripted.AddCodes = {5};
  Click(btnTest);
  const auto press = IndexOf(scripted.Log, "key 16 0 0 0");
  const auto add = IndexOf(scripted.Log, "add ");
  const auto release = IndexOf(scripted.Log, "key 16 0 2 0");
  const auto box = IndexOf(scripted.Log, "box ");
  EXPECT_TRUE(press >= 0 && press < add && add < release && release < box);
  EXPECT_EQ(std::count_if(scripted.Log.begin(), scripted.Log.end(),
                          [](const std::string& s) { return s.rfind("key", 0) == 0; }),
            2);

  running.HoldShiftKey = false;
  scripted.Log.clear();
  Click(btnTest);
  EXPECT_EQ(IndexOf(scripted.Log, "key"), -1);
}

}  // namespace
}  // namespace dialogtest
