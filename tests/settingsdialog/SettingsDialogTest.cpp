#include <QApplication>
#include <QDir>
#include <QWheelEvent>
#include <algorithm>

#include "DialogFixture.h"
#include "support/RecordingBoxes.h"

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
  EXPECT_FALSE(dialog->EditsAreEnabled());
  // The selector stands on the window, over the group box's edge.
  EXPECT_EQ(cmbNumber->parentWidget(), dialog.get());
  EXPECT_EQ(txtNetPath->parentWidget(), GroupBox2);

  // Tab order, within the window and through the group box.
  const std::vector<QWidget*> order = {
      fileName,   autoStart, smallStart,  errorDialogShow, txtEndSecond, btnCnfFile,
      txtNetPath, cmbDrive,  txtUserName, txtPassWD,       txtSecond,    txtMaxError,
      btnNet,     btnTest,   btnSave,     btnCancel,       cmbNumber,    btnVersion};
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
  EXPECT_TRUE(dialog->EditsAreEnabled());
  EXPECT_FALSE(AnyFlag());
  EXPECT_EQ(fileName->text(), QString::fromStdString(configPath));
  EXPECT_TRUE(autoStart->isChecked());
  EXPECT_FALSE(smallStart->isChecked());
  EXPECT_EQ(txtEndSecond->text(), "7");
  EXPECT_EQ(cmbNumber->currentText(), " 1");
  EXPECT_EQ(txtNetPath->text(), "\\\\srv\\share");
  EXPECT_EQ(cmbDrive->currentText(), "Q");
  EXPECT_EQ(txtUserName->text(), "alice");
  EXPECT_EQ(txtSecond->text(), "3");
  EXPECT_EQ(txtMaxError->text(), "2");

  // Entry 2 had no drive: "Z" is shown and "Z:" is what would be saved.
  Pick(cmbNumber, 1);
  EXPECT_EQ(cmbDrive->currentText(), "Z");
  EXPECT_EQ(Stored(dialog->Working().LocalDrive, 1), "Z:");
  // An unused slot shows empty texts, "Z" and empty numbers.
  Pick(cmbNumber, 2);
  EXPECT_EQ(txtNetPath->text(), "");
  EXPECT_EQ(txtUserName->text(), "");
  EXPECT_EQ(cmbDrive->currentText(), "Z");
  EXPECT_EQ(txtSecond->text(), "");
  EXPECT_EQ(txtMaxError->text(), "");
  EXPECT_FALSE(AnyFlag());

  Click(btnSave);
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
  EXPECT_EQ(fileName->text(), QString::fromStdString(configPath));

  dialog->hide();
  running.ConfigFileName.clear();  // "-f" given last
  Show();
  EXPECT_EQ(fileName->text(), "");
}

TEST_F(SettingsDialog, TypingAndDeletingStillCountsButTheFileNameDoesNot) {
  Show();
  fileName->setText(QString::fromStdString(dir.File("other.dat")));
  Type(fileName, "x");
  Click(btnSave);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{kUnchanged});
  EXPECT_TRUE(dir.Names().size() == 1);  // nothing written anywhere

  Type(txtUserName, "x");
  QTest::keyClick(txtUserName, Qt::Key_Backspace);
  EXPECT_TRUE(dialog->EntryWasChanged(0));
  fileName->setText(QString::fromStdString(dir.File("new.dat")));
  Boxes().clear();
  Click(btnSave);
  // No such file yet: no question, written, restart notice, hidden.
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{kRestart});
  EXPECT_FALSE(ReadBytes(dir.File("new.dat")).empty());
  EXPECT_FALSE(dialog->isVisible());
}

TEST_F(SettingsDialog, DriveBoxStoresPickedAndTypedLettersWithColon) {
  Show();
  Pick(cmbDrive, 3);
  EXPECT_EQ(Stored(dialog->Working().LocalDrive, 0), "D:");
  EXPECT_TRUE(dialog->EntryWasChanged(0));

  cmbDrive->lineEdit()->selectAll();
  Type(cmbDrive->lineEdit(), "d");
  EXPECT_EQ(cmbDrive->currentText(), "d");
  EXPECT_EQ(Stored(dialog->Working().LocalDrive, 0), "d:");
  Pick(cmbNumber, 1);
  Pick(cmbNumber, 0);
  EXPECT_EQ(cmbDrive->currentText(), "D");
  EXPECT_EQ(cmbDrive->currentIndex(), 3);

  Clear(cmbDrive->lineEdit());
  EXPECT_EQ(Stored(dialog->Working().LocalDrive, 0), ":");
  // A stored drive that is no letter selects nothing.
  Pick(cmbNumber, 1);
  Pick(cmbNumber, 0);
  EXPECT_EQ(cmbDrive->currentIndex(), -1);
  EXPECT_EQ(cmbDrive->currentText(), "");
}

TEST_F(SettingsDialog, NumberBoxesStoreTheirDefaultForNonIntegers) {
  Show();
  Clear(txtSecond);
  Type(txtSecond, "abc");
  EXPECT_EQ(dialog->Working().WaitTime[0], 0);
  Pick(cmbNumber, 1);
  Pick(cmbNumber, 0);
  EXPECT_EQ(txtSecond->text(), "");

  Type(txtSecond, "$10");
  EXPECT_EQ(dialog->Working().WaitTime[0], 16);
  Clear(txtMaxError);
  Type(txtMaxError, " -4");
  EXPECT_EQ(dialog->Working().MaxError[0], -4);
  Type(txtMaxError, " ");
  EXPECT_EQ(dialog->Working().MaxError[0], 0);  // trailing blank

  Clear(txtEndSecond);
  EXPECT_EQ(dialog->Working().ExitTime, 5);
  EXPECT_TRUE(dialog->OptionsWereChanged());
  EXPECT_EQ(txtEndSecond->text(), "");
}

TEST_F(SettingsDialog, SwitchingEntriesKeepsEveryEdit) {
  Show();
  Clear(txtNetPath);
  Type(txtNetPath, "\\\\host\\表");
  Type(txtUserName, "2");
  Type(txtPassWD, "pw");
  autoStart->click();
  Pick(cmbNumber, 1);
  EXPECT_EQ(txtNetPath->text(), "\\\\nas\\backup");
  Type(txtUserName, "!");
  Pick(cmbNumber, 0);
  EXPECT_EQ(txtNetPath->text(), QStringLiteral("\\\\host\\表"));
  EXPECT_EQ(txtUserName->text(), "alice2");
  EXPECT_EQ(txtPassWD->text(), "pw");
  EXPECT_EQ(txtPassWD->displayText(), "**");
  EXPECT_FALSE(autoStart->isChecked());
  EXPECT_EQ(Stored(dialog->Working().NetPath, 0), "\\\\host\\\x95\x5C");
  EXPECT_EQ(Stored(dialog->Working().UserName, 1), "bob!");
  EXPECT_TRUE(dialog->EntryWasChanged(0) && dialog->EntryWasChanged(1) &&
              dialog->OptionsWereChanged());
  EXPECT_FALSE(dialog->EntryWasChanged(2));
  // The running settings are never touched.
  EXPECT_EQ(DefUnit::FieldText(running.UserName[0]), "alice");
}

TEST_F(SettingsDialog, SelectorEditedIntoNoItemShowsAndStoresNothing) {
  Show();
  cmbNumber->lineEdit()->selectAll();
  Type(cmbNumber->lineEdit(), "x");
  EXPECT_EQ(dialog->SelectedEntry(), -1);
  EXPECT_EQ(txtUserName->text(), "alice");  // left as it was
  Type(txtUserName, "zz");
  EXPECT_FALSE(AnyFlag());
  EXPECT_EQ(Stored(dialog->Working().UserName, 0), "alice");

  // Shown again, the selector names entry 1 once more.
  dialog->hide();
  Show();
  EXPECT_EQ(cmbNumber->currentText(), " 1");
  EXPECT_EQ(dialog->SelectedEntry(), 0);
  EXPECT_EQ(txtUserName->text(), "alice");
}

// Whatever route the selector takes, the boxes show the entry it names and
// edits go there.
TEST_F(SettingsDialog, TheBoxesFollowTheSelectorByEveryRoute) {
  Show();
  QComboBox* number = cmbNumber;
  auto shows = [&](int k, const char* user) {
    EXPECT_EQ(dialog->SelectedEntry(), k);
    EXPECT_EQ(txtUserName->text(), user);
    EXPECT_TRUE(txtUserName->isEnabled());
  };
  auto retype = [&](const char* text) {
    number->lineEdit()->selectAll();
    Type(number->lineEdit(), text);
  };

  retype(" 2");
  QTest::keyClick(number->lineEdit(), Qt::Key_Return);
  shows(1, "bob");
  Type(txtUserName, "x");
  EXPECT_EQ(Stored(dialog->Working().UserName, 1), "bobx");
  EXPECT_EQ(Stored(dialog->Working().UserName, 0), "alice");

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
  EXPECT_FALSE(txtUserName->isEnabled());
}

// A character outside code page 932 would be written as "?".
TEST_F(SettingsDialog, TextsTheFileCannotHoldAreRefusedNamingEntryFieldAndCharacter) {
  Show();
  Pick(cmbNumber, 1);
  Clear(txtUserName);
  TypeText(txtUserName, QStringLiteral("ü😀한"));
  Pick(cmbNumber, 0);
  Pick(cmbNumber, 1);
  EXPECT_EQ(txtUserName->text(), QStringLiteral("ü😀한")) << "shown as typed";
  Pick(cmbNumber, 0);

  Click(btnSave);
  ASSERT_EQ(BoxTexts().size(), 1u);
  const std::string refusal = BoxTexts()[0];
  for (const char* part : {"設定項目 2 ", "ユーザー名", "「ü」", "U+00FC"}) {
    EXPECT_NE(refusal.find(part), std::string::npos) << refusal;
  }
  EXPECT_EQ(Boxes()[0].Kind, platform::BoxKind::Error);
  EXPECT_EQ(ReadBytes(configPath), kTwoEntries);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->SelectedEntry(), 1);
  EXPECT_EQ(txtUserName->text(), QStringLiteral("ü😀한"));

  // Nor is a connection tested with it.
  Boxes().clear();
  Click(btnTest);
  EXPECT_EQ(scripted.AddCount(), 0);
  ASSERT_EQ(BoxTexts().size(), 1u);
  EXPECT_NE(BoxTexts()[0].find("「ü」"), std::string::npos) << BoxTexts()[0];

  // A password is named by the position, not shown.
  Clear(txtUserName);
  Type(txtUserName, "bob");
  Boxes().clear();
  TypeText(txtPassWD, QStringLiteral("pässwörd"));
  Click(btnSave);
  ASSERT_EQ(BoxTexts().size(), 1u);
  EXPECT_NE(BoxTexts()[0].find("設定項目 2 のパスワードの 2 文字目"), std::string::npos)
      << BoxTexts()[0];
  EXPECT_EQ(BoxTexts()[0].find("ä"), std::string::npos);
  EXPECT_EQ(ReadBytes(configPath), kTwoEntries);

  // Corrected, it is written and reads back as typed.
  Clear(txtPassWD);
  TypeText(txtPassWD, QStringLiteral("passwört"));
  Clear(txtPassWD);
  Type(txtPassWD, "passwort");
  Boxes().clear();
  Click(btnSave);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{kOverwrite, kRestart}));
  DefUnit::RunningSettings back;
  DefUnit::ReadSettingsText(back, ReadBytes(configPath));
  EXPECT_EQ(DefUnit::FieldText(back.UserPasswd[1]), "passwort");
}

TEST_F(SettingsDialog, TextBoxesNeverHoldMoreThanTheFieldTakes) {
  Show();
  Clear(txtUserName);
  Type(txtUserName, QString(250, u'a'));
  Type(txtUserName, QStringLiteral("あいうえ"));  // 3 fit in 6 bytes, the 4th not
  EXPECT_EQ(txtUserName->text(), QString(250, u'a') + QStringLiteral("あいう"));
  EXPECT_EQ(Stored(dialog->Working().UserName, 0).size(), 256u);

  cmbDrive->lineEdit()->selectAll();
  Type(cmbDrive->lineEdit(), QString(300, u'q'));
  EXPECT_EQ(cmbDrive->currentText().size(), 255);
  EXPECT_EQ(Stored(dialog->Working().LocalDrive, 0), std::string(255, 'q') + ":");
}

TEST_F(SettingsDialog, ConfigFileDialogSetsTheNameButCountsNoChange) {
  Show();
  fileName->setText("C:\\conf\\a.dat");
  answers.push_back({true, QStringLiteral("D:\\other\\b.dat")});
  Click(btnCnfFile);
  EXPECT_EQ(shownDialogs.back().InitialDir, "C:\\conf");
  EXPECT_EQ(shownDialogs.back().FileName, "a.dat");
  EXPECT_EQ(fileName->text(), "D:\\other\\b.dat");

  Click(btnCnfFile);  // cancelled: only the bare name is left
  EXPECT_EQ(shownDialogs.back().InitialDir, "D:\\other");
  EXPECT_EQ(fileName->text(), "b.dat");
  EXPECT_FALSE(AnyFlag());
}

TEST_F(SettingsDialog, OverwriteDeclinedWritesNothingAcceptedWritesAndHides) {
  Show();
  Type(txtUserName, "2");

  scripted.Boxes.Answers.push_back(BoxAnswer::Cancel);
  Click(btnSave);
  ASSERT_EQ(BoxTexts(), std::vector<std::string>{kOverwrite});
  const platform::Box question = Boxes()[0];
  EXPECT_EQ(question.Kind, platform::BoxKind::Information);
  EXPECT_EQ(question.Title, "情報");
  EXPECT_EQ(question.Buttons, platform::BoxButtons::OkCancel);
  EXPECT_EQ(ReadBytes(configPath), kTwoEntries);
  EXPECT_TRUE(dialog->isVisible());

  Boxes().clear();
  Click(btnSave);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{kOverwrite, kRestart}));
  EXPECT_NE(ReadBytes(configPath).find("UserName\talice2\r\n"), std::string::npos);
  EXPECT_FALSE(dialog->isVisible());

  // Shown again without a restart: the settings read at start-up, no flags.
  Show();
  EXPECT_EQ(txtUserName->text(), "alice");
  EXPECT_EQ(Stored(dialog->Working().UserName, 0), "alice");
  EXPECT_FALSE(AnyFlag());
}

TEST_F(SettingsDialog, SavedEditsReadBackThroughTheLoader) {
  Show();
  smallStart->click();
  errorDialogShow->click();
  Clear(txtEndSecond);
  Type(txtEndSecond, "0x20");
  // Entry 1 emptied: it is left out and entry 2 moves up.
  Clear(txtNetPath);
  Pick(cmbNumber, 4);
  Type(txtNetPath, QStringLiteral("\\\\サーバー\\共有"));
  Pick(cmbDrive, 10);
  Type(txtUserName, QStringLiteral("ドメイン\\山田"));
  Type(txtPassWD, "s3cret!");
  Type(txtSecond, "12");
  Type(txtMaxError, "4");
  fileName->setText(QString::fromStdString(dir.File("saved.dat")));
  Click(btnSave);
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
  Pick(cmbNumber, 1);
  Type(txtPassWD, "two words");
  // A slot that is not written may hold anything.
  Pick(cmbNumber, 5);
  Type(txtPassWD, QString(40, u'p'));
  Pick(cmbNumber, 0);

  Click(btnSave);
  ASSERT_EQ(Boxes().size(), 1u);
  const platform::Box refusal = Boxes()[0];
  EXPECT_EQ(refusal.Kind, platform::BoxKind::Error);
  EXPECT_EQ(refusal.Title, "エラー");
  EXPECT_NE(refusal.Text.find("設定項目 2 "), std::string::npos) << refusal.Text;
  EXPECT_NE(refusal.Text.find("空白"), std::string::npos) << refusal.Text;
  EXPECT_EQ(ReadBytes(configPath), kTwoEntries);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(cmbNumber->currentIndex(), 1);  // the entry to correct is shown
  EXPECT_EQ(txtPassWD->text(), "two words");

  Boxes().clear();
  Clear(txtPassWD);
  Type(txtPassWD, QString(28, u'p'));
  Click(btnSave);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_NE(BoxTexts()[0].find("27"), std::string::npos) << BoxTexts()[0];

  Boxes().clear();
  Clear(txtPassWD);
  Type(txtPassWD, "-");  // its scrambled byte reads back as another
  Click(btnSave);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_NE(BoxTexts()[0].find("パスワードの 1 文字目は"), std::string::npos) << BoxTexts()[0];
  EXPECT_NE(BoxTexts()[0].find("保存できない文字"), std::string::npos) << BoxTexts()[0];
}

TEST_F(SettingsDialog, FailedOrNamelessSaveShowsTheErrorAndStaysOpen) {
  Show();
  Type(txtUserName, "2");
  fileName->clear();
  Click(btnSave);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].Kind, platform::BoxKind::Error);
  EXPECT_EQ(Boxes()[0].Title, " Kayoiji");
  EXPECT_EQ(Boxes()[0].Text, "ファイル名が指定されていません.");
  EXPECT_TRUE(dialog->isVisible());

  Boxes().clear();
  fileName->setText(QString::fromStdString(dir.File("missing/folder/a.dat")));
  Click(btnSave);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].Title, " Kayoiji");
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_TRUE(dialog->EntryWasChanged(0));
  EXPECT_EQ(Stored(dialog->Working().UserName, 0), "alice2");
}

TEST_F(SettingsDialog, CancelCloseEnterAndEscape) {
  Show();
  Type(txtUserName, "2");
  QTest::keyClick(txtUserName, Qt::Key_Return);
  QTest::keyClick(txtUserName, Qt::Key_Escape);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_TRUE(Boxes().empty());

  Click(btnCancel);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(ReadBytes(configPath), kTwoEntries);
  Show();
  EXPECT_EQ(txtUserName->text(), "alice");
  dialog->close();  // the close box hides; the dialog lives on
  EXPECT_FALSE(dialog->isVisible());
  Show();
  EXPECT_TRUE(dialog->isVisible());
}

TEST_F(SettingsDialog, VersionShowsTheAboutBoxWhenOneIsSet) {
  Show();
  Click(btnVersion);  // none set: nothing happens
  QWidget about;
  dialog->SetAboutDialog(&about);
  Click(btnVersion);
  EXPECT_TRUE(about.isVisible());
  EXPECT_TRUE(dialog->isVisible());
}

TEST_F(SettingsDialog, HintLineFollowsThePointer) {
  Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
  QTest::mouseMove(txtNetPath);
  EXPECT_EQ(lblHint->text(),
            QStringLiteral(
                "接続先のパスを指定します。 \\\\(コンピュータ名)\\(共有名) の形で指定します。"));
  // Over the combo box's own line edit: the combo box's hint.
  QTest::mouseMove(cmbDrive->lineEdit());
  EXPECT_EQ(lblHint->text(), QStringLiteral("このドライブ名で接続します。"));
  QTest::mouseMove(btnSave);
  EXPECT_EQ(
      lblHint->text(),
      QStringLiteral("指定した設定ファイルに保存します。ただし、内容のチェックは行いません。"));
  // Controls without a hint, and the group box, empty the line.
  QTest::mouseMove(btnCancel);
  EXPECT_EQ(lblHint->text(), "");
  QTest::mouseMove(txtSecond);
  QTest::mouseMove(GroupBox2, QPoint(300, 10));
  EXPECT_EQ(lblHint->text(), "");
  // Leaving the program's windows.
  QTest::mouseMove(autoStart);
  EXPECT_FALSE(lblHint->text().isEmpty());
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(autoStart, &leave);
  QApplication::sendEvent(dialog.get(), &leave);
  EXPECT_EQ(lblHint->text(), "");
}

}  // namespace
}  // namespace dialogtest
