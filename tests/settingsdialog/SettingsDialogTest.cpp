#include <QApplication>
#include <QDir>
#include <QWheelEvent>
#include <algorithm>

#include "DialogFixture.h"

namespace dialogtest {
namespace {

using platform::BoxAnswer;
using testsupport::ReadBytes;

constexpr const char* kUnchanged = "内容が変更されていません。";
constexpr const char* kOverwrite = "上書きしてよろしいですか？";
constexpr const char* kRestart = "プログラムを再起動してください。";

using SettingsDialog = DialogFixture;

TEST_F(SettingsDialog, IsCreatedHiddenWithItsTabOrder) {
  EXPECT_TRUE(dialog->isHidden());
  EXPECT_FALSE(dialog->EditsEnabled);
  // The selector stands on the window, over the group box's edge.
  EXPECT_EQ(dialog->cmbNumber->parentWidget(), dialog.get());
  EXPECT_EQ(dialog->txtNetPath->parentWidget(), dialog->GroupBox2);

  // Tab order, within the window and through the group box.
  const std::vector<QWidget*> order = {
      dialog->fileName,     dialog->autoStart,  dialog->smallStart, dialog->errorDialogShow,
      dialog->txtEndSecond, dialog->btnCnfFile, dialog->txtNetPath, dialog->cmbDrive,
      dialog->txtUserName,  dialog->txtPassWD,  dialog->txtSecond,  dialog->txtMaxError,
      dialog->btnNet,       dialog->btnTest,    dialog->btnSave,    dialog->btnCancel,
      dialog->cmbNumber,    dialog->btnVersion};
  for (std::size_t i = 1; i < order.size(); ++i) {
    QWidget* next = order[i - 1]->nextInFocusChain();
    while (std::find(order.begin(), order.end(), next) == order.end()) {
      next = next->nextInFocusChain();
    }
    EXPECT_EQ(next, order[i]) << "after " << i - 1;
  }
}

TEST_F(SettingsDialog, FirstShowingFillsTheControlsAndCountsNothingAsChanged) {
  Show();
  EXPECT_TRUE(dialog->EditsEnabled);
  EXPECT_FALSE(AnyFlag());
  EXPECT_EQ(dialog->fileName->text(), QString::fromStdString(configPath));
  EXPECT_TRUE(dialog->autoStart->isChecked());
  EXPECT_FALSE(dialog->smallStart->isChecked());
  EXPECT_EQ(dialog->txtEndSecond->text(), "7");
  EXPECT_EQ(dialog->cmbNumber->currentText(), " 1");
  EXPECT_EQ(dialog->txtNetPath->text(), "\\\\srv\\share");
  EXPECT_EQ(dialog->cmbDrive->currentText(), "Q");
  EXPECT_EQ(dialog->txtUserName->text(), "alice");
  EXPECT_EQ(dialog->txtSecond->text(), "3");
  EXPECT_EQ(dialog->txtMaxError->text(), "2");

  // Entry 2 had no drive: "Z" is shown and "Z:" is what would be saved.
  Pick(dialog->cmbNumber, 1);
  EXPECT_EQ(dialog->cmbDrive->currentText(), "Z");
  EXPECT_EQ(Stored(dialog->WorkingCopy.LocalDrive, 1), "Z:");
  // An unused slot shows empty texts, "Z" and empty numbers.
  Pick(dialog->cmbNumber, 2);
  EXPECT_EQ(dialog->txtNetPath->text(), "");
  EXPECT_EQ(dialog->txtUserName->text(), "");
  EXPECT_EQ(dialog->cmbDrive->currentText(), "Z");
  EXPECT_EQ(dialog->txtSecond->text(), "");
  EXPECT_EQ(dialog->txtMaxError->text(), "");
  EXPECT_FALSE(AnyFlag());

  Click(dialog->btnSave);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{kUnchanged});
  EXPECT_EQ(ReadBytes(configPath), kTwoEntries);
  EXPECT_TRUE(dialog->isVisible());
}

TEST_F(SettingsDialog, OffersTheFileReadAtStartUpAsAFullPath) {
  const QString before = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(dir.Path().string())));
  running.ConfigFileName = "ConfFile.dat";
  Show();
  QDir::setCurrent(before);
  EXPECT_EQ(dialog->fileName->text(), QString::fromStdString(configPath));

  dialog->hide();
  running.ConfigFileName.clear();  // "-f" given last
  Show();
  EXPECT_EQ(dialog->fileName->text(), "");
}

TEST_F(SettingsDialog, TypingAndDeletingStillCountsButTheFileNameDoesNot) {
  Show();
  dialog->fileName->setText(QString::fromStdString(dir.File("other.dat")));
  Type(dialog->fileName, "x");
  Click(dialog->btnSave);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{kUnchanged});
  EXPECT_TRUE(dir.Names().size() == 1);  // nothing written anywhere

  Type(dialog->txtUserName, "x");
  QTest::keyClick(dialog->txtUserName, Qt::Key_Backspace);
  EXPECT_TRUE(dialog->EntryChanged[0]);
  dialog->fileName->setText(QString::fromStdString(dir.File("new.dat")));
  QtMessageBoxes::ClearRecorded();
  Click(dialog->btnSave);
  // No such file yet: no question, written, restart notice, hidden.
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{kRestart});
  EXPECT_FALSE(ReadBytes(dir.File("new.dat")).empty());
  EXPECT_FALSE(dialog->isVisible());
}

TEST_F(SettingsDialog, DriveBoxStoresPickedAndTypedLettersWithColon) {
  Show();
  Pick(dialog->cmbDrive, 3);
  EXPECT_EQ(Stored(dialog->WorkingCopy.LocalDrive, 0), "D:");
  EXPECT_TRUE(dialog->EntryChanged[0]);

  dialog->cmbDrive->lineEdit()->selectAll();
  Type(dialog->cmbDrive->lineEdit(), "d");
  EXPECT_EQ(dialog->cmbDrive->currentText(), "d");
  EXPECT_EQ(Stored(dialog->WorkingCopy.LocalDrive, 0), "d:");
  Pick(dialog->cmbNumber, 1);
  Pick(dialog->cmbNumber, 0);
  EXPECT_EQ(dialog->cmbDrive->currentText(), "D");
  EXPECT_EQ(dialog->cmbDrive->currentIndex(), 3);

  Clear(dialog->cmbDrive->lineEdit());
  EXPECT_EQ(Stored(dialog->WorkingCopy.LocalDrive, 0), ":");
  // A stored drive that is no letter selects nothing.
  Pick(dialog->cmbNumber, 1);
  Pick(dialog->cmbNumber, 0);
  EXPECT_EQ(dialog->cmbDrive->currentIndex(), -1);
  EXPECT_EQ(dialog->cmbDrive->currentText(), "");
}

TEST_F(SettingsDialog, NumberBoxesStoreTheirDefaultForNonIntegers) {
  Show();
  Clear(dialog->txtSecond);
  Type(dialog->txtSecond, "abc");
  EXPECT_EQ(dialog->WorkingCopy.WaitTime[0], 0);
  Pick(dialog->cmbNumber, 1);
  Pick(dialog->cmbNumber, 0);
  EXPECT_EQ(dialog->txtSecond->text(), "");

  Type(dialog->txtSecond, "$10");
  EXPECT_EQ(dialog->WorkingCopy.WaitTime[0], 16);
  Clear(dialog->txtMaxError);
  Type(dialog->txtMaxError, " -4");
  EXPECT_EQ(dialog->WorkingCopy.MaxError[0], -4);
  Type(dialog->txtMaxError, " ");
  EXPECT_EQ(dialog->WorkingCopy.MaxError[0], 0);  // trailing blank

  Clear(dialog->txtEndSecond);
  EXPECT_EQ(dialog->WorkingCopy.ExitTime, 5);
  EXPECT_TRUE(dialog->OptionsChanged);
  EXPECT_EQ(dialog->txtEndSecond->text(), "");
}

TEST_F(SettingsDialog, SwitchingEntriesKeepsEveryEdit) {
  Show();
  Clear(dialog->txtNetPath);
  Type(dialog->txtNetPath, "\\\\host\\表");
  Type(dialog->txtUserName, "2");
  Type(dialog->txtPassWD, "pw");
  dialog->autoStart->click();
  Pick(dialog->cmbNumber, 1);
  EXPECT_EQ(dialog->txtNetPath->text(), "\\\\nas\\backup");
  Type(dialog->txtUserName, "!");
  Pick(dialog->cmbNumber, 0);
  EXPECT_EQ(dialog->txtNetPath->text(), QStringLiteral("\\\\host\\表"));
  EXPECT_EQ(dialog->txtUserName->text(), "alice2");
  EXPECT_EQ(dialog->txtPassWD->text(), "pw");
  EXPECT_FALSE(dialog->autoStart->isChecked());
  EXPECT_EQ(Stored(dialog->WorkingCopy.NetPath, 0), "\\\\host\\\x95\x5C");
  EXPECT_EQ(Stored(dialog->WorkingCopy.UserName, 1), "bob!");
  EXPECT_TRUE(dialog->EntryChanged[0] && dialog->EntryChanged[1] && dialog->OptionsChanged);
  EXPECT_FALSE(dialog->EntryChanged[2]);
  // The running settings are never touched.
  EXPECT_EQ(DefUnit::FieldText(running.UserName[0]), "alice");
}

TEST_F(SettingsDialog, SelectorEditedIntoNoItemShowsAndStoresNothing) {
  Show();
  dialog->cmbNumber->lineEdit()->selectAll();
  Type(dialog->cmbNumber->lineEdit(), "x");
  EXPECT_EQ(dialog->SelectedEntry(), -1);
  EXPECT_EQ(dialog->txtUserName->text(), "alice");  // left as it was
  Type(dialog->txtUserName, "zz");
  EXPECT_FALSE(AnyFlag());
  EXPECT_EQ(Stored(dialog->WorkingCopy.UserName, 0), "alice");

  // Shown again, the selector names entry 1 once more.
  dialog->hide();
  Show();
  EXPECT_EQ(dialog->cmbNumber->currentText(), " 1");
  EXPECT_EQ(dialog->SelectedEntry(), 0);
  EXPECT_EQ(dialog->txtUserName->text(), "alice");
}

// Whatever route the selector takes, the boxes show the entry it names and
// edits go there.
TEST_F(SettingsDialog, TheBoxesFollowTheSelectorByEveryRoute) {
  Show();
  QComboBox* number = dialog->cmbNumber;
  auto shows = [&](int k, const char* user) {
    EXPECT_EQ(dialog->SelectedEntry(), k);
    EXPECT_EQ(dialog->txtUserName->text(), user);
    EXPECT_TRUE(dialog->txtUserName->isEnabled());
  };
  auto retype = [&](const char* text) {
    number->lineEdit()->selectAll();
    Type(number->lineEdit(), text);
  };

  retype(" 2");
  QTest::keyClick(number->lineEdit(), Qt::Key_Return);
  shows(1, "bob");
  Type(dialog->txtUserName, "x");
  EXPECT_EQ(Stored(dialog->WorkingCopy.UserName, 1), "bobx");
  EXPECT_EQ(Stored(dialog->WorkingCopy.UserName, 0), "alice");

  // Typed, then the item it already reads as picked from the list.
  retype(" 1");
  Pick(number, 0);
  shows(0, "alice");
  retype(" 2");
  Pick(number, 1);
  shows(1, "bobx");

  // Without the blank, then on by the arrow key and the wheel.
  retype("1");
  shows(0, "alice");
  EXPECT_EQ(number->currentText(), "1") << "the typed text stays";
  QTest::keyClick(number, Qt::Key_Down);
  shows(1, "bobx");
  QWheelEvent wheel(QPointF(5, 5), number->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(number, &wheel);
  shows(0, "alice");

  // Text that names no entry: the boxes take no input.
  retype("27");
  EXPECT_EQ(dialog->SelectedEntry(), -1);
  EXPECT_FALSE(dialog->txtUserName->isEnabled());
}

// A character outside code page 932 would be written as "?".
TEST_F(SettingsDialog, TextsTheFileCannotHoldAreRefusedNamingEntryFieldAndCharacter) {
  Show();
  Pick(dialog->cmbNumber, 1);
  Clear(dialog->txtUserName);
  TypeText(dialog->txtUserName, QStringLiteral("ü😀한"));
  Pick(dialog->cmbNumber, 0);
  Pick(dialog->cmbNumber, 1);
  EXPECT_EQ(dialog->txtUserName->text(), QStringLiteral("ü😀한")) << "shown as typed";
  Pick(dialog->cmbNumber, 0);

  Click(dialog->btnSave);
  ASSERT_EQ(BoxTexts().size(), 1u);
  const std::string refusal = BoxTexts()[0];
  for (const char* part : {"設定項目 2 ", "ユーザー名", "「ü」", "U+00FC"}) {
    EXPECT_NE(refusal.find(part), std::string::npos) << refusal;
  }
  EXPECT_EQ(QtMessageBoxes::Recorded()[0].Kind, platform::BoxKind::Error);
  EXPECT_EQ(ReadBytes(configPath), kTwoEntries);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->SelectedEntry(), 1);
  EXPECT_EQ(dialog->txtUserName->text(), QStringLiteral("ü😀한"));

  // Nor is a connection tested with it.
  QtMessageBoxes::ClearRecorded();
  Click(dialog->btnTest);
  EXPECT_EQ(scripted.AddCount(), 0);
  ASSERT_EQ(BoxTexts().size(), 1u);
  EXPECT_NE(BoxTexts()[0].find("「ü」"), std::string::npos) << BoxTexts()[0];

  // A password is named by the position, not shown.
  Clear(dialog->txtUserName);
  Type(dialog->txtUserName, "bob");
  QtMessageBoxes::ClearRecorded();
  TypeText(dialog->txtPassWD, QStringLiteral("pässwörd"));
  Click(dialog->btnSave);
  ASSERT_EQ(BoxTexts().size(), 1u);
  EXPECT_NE(BoxTexts()[0].find("設定項目 2 のパスワードの 2 文字目"), std::string::npos)
      << BoxTexts()[0];
  EXPECT_EQ(BoxTexts()[0].find("ä"), std::string::npos);
  EXPECT_EQ(ReadBytes(configPath), kTwoEntries);

  // Corrected, it is written and reads back as typed.
  Clear(dialog->txtPassWD);
  TypeText(dialog->txtPassWD, QStringLiteral("passwört"));
  Clear(dialog->txtPassWD);
  Type(dialog->txtPassWD, "passwort");
  QtMessageBoxes::ClearRecorded();
  Click(dialog->btnSave);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{kOverwrite, kRestart}));
  DefUnit::RunningSettings back;
  DefUnit::ReadSettingsText(back, ReadBytes(configPath));
  EXPECT_EQ(DefUnit::FieldText(back.UserPasswd[1]), "passwort");
}

TEST_F(SettingsDialog, TextBoxesNeverHoldMoreThanTheFieldTakes) {
  Show();
  Clear(dialog->txtUserName);
  Type(dialog->txtUserName, QString(250, u'a'));
  Type(dialog->txtUserName, QStringLiteral("あいうえ"));  // 3 fit in 6 bytes, the 4th not
  EXPECT_EQ(dialog->txtUserName->text(), QString(250, u'a') + QStringLiteral("あいう"));
  EXPECT_EQ(Stored(dialog->WorkingCopy.UserName, 0).size(), 256u);

  dialog->cmbDrive->lineEdit()->selectAll();
  Type(dialog->cmbDrive->lineEdit(), QString(300, u'q'));
  EXPECT_EQ(dialog->cmbDrive->currentText().size(), 255);
  EXPECT_EQ(Stored(dialog->WorkingCopy.LocalDrive, 0), std::string(255, 'q') + ":");
}

TEST_F(SettingsDialog, ConfigFileDialogSetsTheNameButCountsNoChange) {
  Show();
  dialog->fileName->setText("C:\\conf\\a.dat");
  answers.push_back({true, QStringLiteral("D:\\other\\b.dat")});
  Click(dialog->btnCnfFile);
  EXPECT_EQ(shownDialogs.back().InitialDir, "C:\\conf");
  EXPECT_EQ(shownDialogs.back().FileName, "a.dat");
  EXPECT_EQ(dialog->fileName->text(), "D:\\other\\b.dat");

  Click(dialog->btnCnfFile);  // cancelled: only the bare name is left
  EXPECT_EQ(shownDialogs.back().InitialDir, "D:\\other");
  EXPECT_EQ(dialog->fileName->text(), "b.dat");
  EXPECT_FALSE(AnyFlag());
}

TEST_F(SettingsDialog, OverwriteDeclinedWritesNothingAcceptedWritesAndHides) {
  Show();
  Type(dialog->txtUserName, "2");

  QtMessageBoxes::QueueAnswer(BoxAnswer::Cancel);
  Click(dialog->btnSave);
  ASSERT_EQ(BoxTexts(), std::vector<std::string>{kOverwrite});
  const platform::Box question = QtMessageBoxes::Recorded()[0];
  EXPECT_EQ(question.Kind, platform::BoxKind::Information);
  EXPECT_EQ(question.Title, "情報");
  EXPECT_EQ(question.Buttons, platform::BoxButtons::OkCancel);
  EXPECT_EQ(ReadBytes(configPath), kTwoEntries);
  EXPECT_TRUE(dialog->isVisible());

  QtMessageBoxes::ClearRecorded();
  Click(dialog->btnSave);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{kOverwrite, kRestart}));
  EXPECT_NE(ReadBytes(configPath).find("UserName\talice2\r\n"), std::string::npos);
  EXPECT_FALSE(dialog->isVisible());

  // Shown again without a restart: the settings read at start-up, no flags.
  Show();
  EXPECT_EQ(dialog->txtUserName->text(), "alice");
  EXPECT_EQ(Stored(dialog->WorkingCopy.UserName, 0), "alice");
  EXPECT_FALSE(AnyFlag());
}

TEST_F(SettingsDialog, SavedEditsReadBackThroughTheLoader) {
  Show();
  dialog->smallStart->click();
  dialog->errorDialogShow->click();
  Clear(dialog->txtEndSecond);
  Type(dialog->txtEndSecond, "0x20");
  // Entry 1 emptied: it is left out and entry 2 moves up.
  Clear(dialog->txtNetPath);
  Pick(dialog->cmbNumber, 4);
  Type(dialog->txtNetPath, QStringLiteral("\\\\サーバー\\共有"));
  Pick(dialog->cmbDrive, 10);
  Type(dialog->txtUserName, QStringLiteral("ドメイン\\山田"));
  Type(dialog->txtPassWD, "s3cret!");
  Type(dialog->txtSecond, "12");
  Type(dialog->txtMaxError, "4");
  dialog->fileName->setText(QString::fromStdString(dir.File("saved.dat")));
  Click(dialog->btnSave);
  ASSERT_EQ(BoxTexts(), std::vector<std::string>{kRestart});

  DefUnit::RunningSettings back;
  testsupport::RecordingBoxes loadBoxes;
  DefUnit::LoadSettings(back, {"kayoiji", "-f", dir.File("saved.dat")}, loadBoxes);
  EXPECT_TRUE(loadBoxes.Shown.empty());
  EXPECT_EQ(back.EntryCount, 2);
  EXPECT_TRUE(back.DoMapping && back.SmallStart && back.NoErrorDialog);
  EXPECT_EQ(back.ExitTime, 32);
  EXPECT_EQ(DefUnit::FieldText(back.NetPath[0]), "\\\\nas\\backup");
  EXPECT_EQ(DefUnit::FieldText(back.LocalDrive[0]), "Z:");
  EXPECT_EQ(DefUnit::FieldText(back.NetPath[1]), platform::Utf8ToSjis("\\\\サーバー\\共有"));
  EXPECT_EQ(DefUnit::FieldText(back.LocalDrive[1]), "K:");
  EXPECT_EQ(DefUnit::FieldText(back.UserName[1]), platform::Utf8ToSjis("ドメイン\\山田"));
  EXPECT_EQ(DefUnit::FieldText(back.UserPasswd[1]), "s3cret!");
  EXPECT_EQ(back.WaitTime[1], 12);
  EXPECT_EQ(back.MaxError[1], 4);
}

TEST_F(SettingsDialog, PasswordTheFileCannotHoldIsRefusedBeforeAnyQuestion) {
  Show();
  Pick(dialog->cmbNumber, 1);
  Type(dialog->txtPassWD, "two words");
  // A slot that is not written may hold anything.
  Pick(dialog->cmbNumber, 5);
  Type(dialog->txtPassWD, QString(40, u'p'));
  Pick(dialog->cmbNumber, 0);

  Click(dialog->btnSave);
  ASSERT_EQ(QtMessageBoxes::Recorded().size(), 1u);
  const platform::Box refusal = QtMessageBoxes::Recorded()[0];
  EXPECT_EQ(refusal.Kind, platform::BoxKind::Error);
  EXPECT_EQ(refusal.Title, "エラー");
  EXPECT_NE(refusal.Text.find("設定項目 2 "), std::string::npos) << refusal.Text;
  EXPECT_NE(refusal.Text.find("空白"), std::string::npos) << refusal.Text;
  EXPECT_EQ(ReadBytes(configPath), kTwoEntries);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->cmbNumber->currentIndex(), 1);  // the entry to correct is shown
  EXPECT_EQ(dialog->txtPassWD->text(), "two words");

  QtMessageBoxes::ClearRecorded();
  Clear(dialog->txtPassWD);
  Type(dialog->txtPassWD, QString(28, u'p'));
  Click(dialog->btnSave);
  ASSERT_EQ(QtMessageBoxes::Recorded().size(), 1u);
  EXPECT_NE(BoxTexts()[0].find("27"), std::string::npos) << BoxTexts()[0];

  QtMessageBoxes::ClearRecorded();
  Clear(dialog->txtPassWD);
  Type(dialog->txtPassWD, "-");  // its scrambled byte reads back as another
  Click(dialog->btnSave);
  ASSERT_EQ(QtMessageBoxes::Recorded().size(), 1u);
  EXPECT_NE(BoxTexts()[0].find("パスワードの 1 文字目は"), std::string::npos) << BoxTexts()[0];
  EXPECT_NE(BoxTexts()[0].find("保存できない文字"), std::string::npos) << BoxTexts()[0];
}

TEST_F(SettingsDialog, FailedOrNamelessSaveShowsTheErrorAndStaysOpen) {
  Show();
  Type(dialog->txtUserName, "2");
  dialog->fileName->clear();
  Click(dialog->btnSave);
  ASSERT_EQ(QtMessageBoxes::Recorded().size(), 1u);
  EXPECT_EQ(QtMessageBoxes::Recorded()[0].Kind, platform::BoxKind::Error);
  EXPECT_EQ(QtMessageBoxes::Recorded()[0].Title, " Kayoiji");
  EXPECT_EQ(QtMessageBoxes::Recorded()[0].Text, "ファイル名が指定されていません.");
  EXPECT_TRUE(dialog->isVisible());

  QtMessageBoxes::ClearRecorded();
  dialog->fileName->setText(QString::fromStdString(dir.File("missing/folder/a.dat")));
  Click(dialog->btnSave);
  ASSERT_EQ(QtMessageBoxes::Recorded().size(), 1u);
  EXPECT_EQ(QtMessageBoxes::Recorded()[0].Title, " Kayoiji");
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_TRUE(dialog->EntryChanged[0]);
  EXPECT_EQ(Stored(dialog->WorkingCopy.UserName, 0), "alice2");
}

TEST_F(SettingsDialog, CancelCloseEnterAndEscape) {
  Show();
  Type(dialog->txtUserName, "2");
  QTest::keyClick(dialog->txtUserName, Qt::Key_Return);
  QTest::keyClick(dialog->txtUserName, Qt::Key_Escape);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_TRUE(QtMessageBoxes::Recorded().empty());

  Click(dialog->btnCancel);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(ReadBytes(configPath), kTwoEntries);
  Show();
  EXPECT_EQ(dialog->txtUserName->text(), "alice");
  dialog->close();  // the close box hides; the dialog lives on
  EXPECT_FALSE(dialog->isVisible());
  Show();
  EXPECT_TRUE(dialog->isVisible());
}

TEST_F(SettingsDialog, VersionShowsTheAboutBoxWhenOneIsSet) {
  Show();
  Click(dialog->btnVersion);  // none set: nothing happens
  QWidget about;
  dialog->SetAboutDialog(&about);
  Click(dialog->btnVersion);
  EXPECT_TRUE(about.isVisible());
  EXPECT_TRUE(dialog->isVisible());
}

TEST_F(SettingsDialog, HintLineFollowsThePointer) {
  Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
  QTest::mouseMove(dialog->txtNetPath);
  EXPECT_EQ(dialog->lblHint->text(),
            QStringLiteral(
                "接続先のパスを指定します。 \\\\(コンピュータ名)\\(共有名) の形で指定します。"));
  // Over the combo box's own line edit: the combo box's hint.
  QTest::mouseMove(dialog->cmbDrive->lineEdit());
  EXPECT_EQ(dialog->lblHint->text(), QStringLiteral("このドライブ名で接続します。"));
  QTest::mouseMove(dialog->btnSave);
  EXPECT_EQ(
      dialog->lblHint->text(),
      QStringLiteral("指定した設定ファイルに保存します。ただし、内容のチェックは行いません。"));
  // Controls without a hint, and the group box, empty the line.
  QTest::mouseMove(dialog->btnCancel);
  EXPECT_EQ(dialog->lblHint->text(), "");
  QTest::mouseMove(dialog->txtSecond);
  QTest::mouseMove(dialog->GroupBox2, QPoint(300, 10));
  EXPECT_EQ(dialog->lblHint->text(), "");
  // Leaving the program's windows.
  QTest::mouseMove(dialog->autoStart);
  EXPECT_FALSE(dialog->lblHint->text().isEmpty());
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(dialog->autoStart, &leave);
  QApplication::sendEvent(dialog.get(), &leave);
  EXPECT_EQ(dialog->lblHint->text(), "");
}

}  // namespace
}  // namespace dialogtest
