// The settings dialog's option to keep the passwords in the system's secret
// store: moving them there and back, never losing one on the way.
#include "DialogFixture.h"
#include "settings/Scramble.h"
#include "support/FakeSecretStore.h"

namespace dialogtest {
namespace {

using Key = testsupport::FakeSecretStore::Key;
const Key kFirst{"\\\\srv\\share", "alice"};
const Key kSecond{"\\\\nas\\backup", "bob"};

class PasswordStoreOption : public DialogFixture {
 protected:
  void SetUp() override {
    DialogFixture::SetUp();
    scripted.Services().Secrets = &store;
    DefUnit::SetField(running.UserPasswd[0], "pw1");
    DefUnit::SetField(running.UserPasswd[1], "pw2");
    passwordStore = Control<QCheckBox>("passwordStore");
  }
  // The program started again on the saved file.
  void Restart() {
    dialog->hide();
    running = DefUnit::RunningSettings{};
    testsupport::RecordingBoxes quiet;
    DefUnit::LoadSettings(running, {"kayoiji", "-f", configPath}, quiet);
    Boxes().clear();
  }
  std::string File() { return testsupport::ReadBytes(configPath); }

  testsupport::FakeSecretStore store;
  QCheckBox* passwordStore = nullptr;
};

TEST_F(PasswordStoreOption, MovesEveryPasswordIntoTheStoreAndBackAsTheFileHadThem) {
  // What the dialog writes without the option.
  DefUnit::ConnectionSettings plain = running;
  DefUnit::SetField(plain.LocalDrive[1], "Z:");
  const std::string before = DefUnit::FormatSettings(plain);
  Show();
  ASSERT_TRUE(passwordStore->isEnabled());
  EXPECT_FALSE(passwordStore->isChecked());
  Click(passwordStore);
  Click(btnSave);
  EXPECT_EQ(store.Held, (std::map<Key, std::string>{{kFirst, "pw1"}, {kSecond, "pw2"}}));
  EXPECT_NE(File().find("PasswordStore\tTrue\r\n"), std::string::npos);
  EXPECT_EQ(File().find(DefUnit::ScramblePassword("pw1")), std::string::npos);
  EXPECT_EQ(File().find(DefUnit::ScramblePassword("pw2")), std::string::npos);

  Restart();
  ASSERT_TRUE(running.PasswordStore);
  EXPECT_EQ(Stored(running.UserPasswd, 0), "") << "the file holds no password";
  Show();
  EXPECT_TRUE(passwordStore->isChecked());
  EXPECT_EQ(txtPassWD->text(), "pw1") << "shown from the store";
  // Saved again unchanged: nothing to write into the store (a locked one would ask).
  store.Calls.clear();
  Click(smallStart);
  Click(smallStart);
  Click(btnSave);
  EXPECT_EQ(store.Calls, (std::vector<std::string>{}));
  Restart();
  Show();
  Click(passwordStore);
  Click(btnSave);
  EXPECT_TRUE(store.Held.empty()) << "removed once the file had them back";
  EXPECT_EQ(File().find("PasswordStore"), std::string::npos);

  Restart();
  EXPECT_EQ(Stored(running.UserPasswd, 0), "pw1");
  EXPECT_EQ(Stored(running.UserPasswd, 1), "pw2");
  EXPECT_EQ(File(), before) << "the file as the old reader knows it";
}

TEST_F(PasswordStoreOption, APasswordTheStoreRefusesStaysInTheFileWithTheReasonShown) {
  store.RefuseWrites.insert(kSecond);
  // Beyond what the file can hold, so it could not stay there.
  DefUnit::SetField(running.UserPasswd[0], "a long password the file cannot keep");
  Show();
  Click(passwordStore);
  Click(btnSave);
  ASSERT_EQ(Boxes().size(), 3u) << "overwrite, the refusal, restart";
  EXPECT_NE(Boxes()[1].Text.find("設定項目 2"), std::string::npos);
  EXPECT_NE(Boxes()[1].Text.find("full"), std::string::npos);
  Restart();
  EXPECT_TRUE(running.PasswordStore);
  EXPECT_EQ(Stored(running.UserPasswd, 0), "") << "the long one is in the store";
  EXPECT_EQ(store.Held.at(kFirst), "a long password the file cannot keep");
  EXPECT_EQ(Stored(running.UserPasswd, 1), "pw2");

  // Nowhere to go at all: the file cannot hold the long one, so nothing is saved.
  store.RefuseWrites.insert(kFirst);
  const std::string saved = File();
  Show();
  Type(txtPassWD, "!");
  Click(btnSave);
  EXPECT_EQ(File(), saved);
  EXPECT_TRUE(dialog->isVisible());
}

TEST_F(PasswordStoreOption, AnEntrysSecretFollowsItsNameAndAnUnreadableOneIsNeverEmptied) {
  running.PasswordStore = true;
  running.UserPasswd[0].fill('\0');
  running.UserPasswd[1].fill('\0');
  store.Held = {{kFirst, "pw1"}, {kSecond, "pw2"}};
  const std::string saved = File();

  // Locked when shown: the passwords are unknown, not empty.
  store.IsLocked = true;
  Show();
  EXPECT_EQ(txtPassWD->text(), "");
  Type(txtUserName, "2");
  Click(btnSave);
  EXPECT_NE(BoxTexts().back().find("設定項目 1"), std::string::npos);
  EXPECT_EQ(File(), saved);
  EXPECT_EQ(store.Held.size(), 2u);
  Click(btnTest);
  EXPECT_EQ(scripted.AddCount(), 0) << "no test with an empty password";
  dialog->hide();

  store.IsLocked = false;
  Boxes().clear();
  Show();
  Type(txtUserName, "2");
  Pick(cmbNumber, 1);
  Clear(txtNetPath);  // entry 2 deleted
  Click(btnSave);
  EXPECT_EQ(store.Held, (std::map<Key, std::string>{{{"\\\\srv\\share", "alice2"}, "pw1"}}));

  // No store in the session: the option cannot be ticked, only taken off.
  store.IsAvailable = false;
  Restart();
  running.PasswordStore = false;
  Show();
  EXPECT_FALSE(passwordStore->isEnabled());
  dialog->hide();
  running.PasswordStore = true;
  Show();
  EXPECT_TRUE(passwordStore->isEnabled());
  Click(passwordStore);
  const std::string kept = File();
  Click(btnSave);
  EXPECT_EQ(File(), kept) << "the passwords it cannot read are not written as empty";
}

}  // namespace
}  // namespace dialogtest
