// A settings dialog over its own running settings and a scripted platform,
// with boxes recorded and answered by the platform's box double and file
// dialogs answered by the test. The controls are found by their names.
#pragma once

#include <gtest/gtest.h>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/Codec.h"
#include "settings/DefUnit.h"
#include "settingsdialog/Unit2.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"
#include "support/WidgetTests.h"

namespace dialogtest {

// Two entries, as a user's file might hold them.
inline const char* const kTwoEntries =
    "### DRIVLINK Config file\r\n"
    "DoMapping\tTrue\r\n"
    "SmallStart\tFalse\r\n"
    "NoErrorDialog\tFalse\r\n"
    "ExitTime\t7\r\n"
    "# 1\r\n"
    "NetPath\t\\\\srv\\share\r\n"
    "LocalDrive\tQ:\r\n"
    "UserName\talice\r\n"
    "WaitTime\t3\r\n"
    "MaxError\t2\r\n"
    "# 2\r\n"
    "NetPath\t\\\\nas\\backup\r\n"
    "UserName\tbob\r\n";

// What a test's file dialog does when shown.
struct FileDialogAnswer {
  bool accept = false;
  QString fileName;  // the chosen path, when accepted
};

class DialogFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    // Boxes go into the log only where a test asks for that.
    scripted.Boxes.WhileOpen = nullptr;
    scripted.CurrentTitle = " Kayoiji";
    configPath = dir.Write("ConfFile.dat", kTwoEntries);
    DefUnit::ReadSettingsText(running, kTwoEntries);
    running.ConfigFileName = configPath;
    Create();
  }

  void TearDown() override { dialog.reset(); }

  void Create() {
    dialog = std::make_unique<TfrmCNF>(running, scripted.Services());
    dialog->SetFileDialogRunner([this](Unit2::SaveFileDialog& d, QWidget*) {
      shownDialogs.push_back(d);
      FileDialogAnswer a = answers.empty() ? FileDialogAnswer{} : answers.front();
      if (!answers.empty()) answers.pop_front();
      if (a.accept) d.FileName = a.fileName;
      return a.accept;
    });
    fileName = Control<QLineEdit>("fileName");
    autoStart = Control<QCheckBox>("autoStart");
    errorDialogShow = Control<QCheckBox>("errorDialogShow");
    smallStart = Control<QCheckBox>("smallStart");
    txtEndSecond = Control<QLineEdit>("txtEndSecond");
    btnCnfFile = Control<QPushButton>("btnCnfFile");
    GroupBox2 = Control<QGroupBox>("GroupBox2");
    txtNetPath = Control<QLineEdit>("txtNetPath");
    cmbDrive = Control<QComboBox>("cmbDrive");
    txtUserName = Control<QLineEdit>("txtUserName");
    txtPassWD = Control<QLineEdit>("txtPassWD");
    txtSecond = Control<QLineEdit>("txtSecond");
    txtMaxError = Control<QLineEdit>("txtMaxError");
    btnNet = Control<QPushButton>("btnNet");
    btnTest = Control<QPushButton>("btnTest");
    btnSave = Control<QPushButton>("btnSave");
    btnCancel = Control<QPushButton>("btnCancel");
    lblHint = Control<QLabel>("lblHint");
    cmbNumber = Control<QComboBox>("cmbNumber");
    btnVersion = Control<QPushButton>("btnVersion");
  }

  template <class T>
  T* Control(const char* name) {
    return testsupport::Named<T>(*dialog, name);
  }

  void Show() { dialog->show(); }

  // Key presses as a keyboard (or an input method, for Japanese) sends them.
  static void Type(QWidget* w, const QString& text) {
    for (QChar c : text) {
      if (c.unicode() < 0x80) {
        QTest::keyClick(w, static_cast<char>(c.unicode()));
      } else {
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
      }
    }
  }
  // Text as an input method commits it, a whole character at a time (also
  // one beyond the basic plane).
  static void TypeText(QWidget* w, const QString& text) {
    for (qsizetype i = 0; i < text.size();) {
      const qsizetype n = text[i].isHighSurrogate() ? 2 : 1;
      QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, text.mid(i, n), Qt::NoModifier);
      i += n;
    }
  }
  static void Clear(QLineEdit* e) {
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Backspace);
  }
  static void Click(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton); }

  // Opens the drop-down list and clicks item `index`, as a user picks it.
  static void Pick(QComboBox* combo, int index) {
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    const QModelIndex item = view->model()->index(index, 0);
    view->scrollTo(item);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(item).center());
    ASSERT_EQ(combo->currentIndex(), index);
  }

  // The boxes shown so far, and their texts.
  std::vector<platform::Box>& Boxes() { return scripted.Boxes.Shown; }
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const platform::Box& b : scripted.Boxes.Shown) texts.push_back(b.Text);
    return texts;
  }

  std::string Stored(const DefUnit::TextArray& a, int k) const {
    return DefUnit::FieldText(a[static_cast<std::size_t>(k)]);
  }
  // Whether any change flag is set, leaving out entry `except`'s.
  bool AnyFlag(int except = -1) const {
    bool any = dialog->OptionsWereChanged();
    for (int k = 0; k < DefUnit::MaxEntries; ++k) {
      if (k != except) any = any || dialog->EntryWasChanged(k);
    }
    return any;
  }

  testsupport::TempDir dir;
  testsupport::ScriptedPlatform scripted;
  DefUnit::RunningSettings running;
  std::string configPath;
  std::unique_ptr<TfrmCNF> dialog;
  std::deque<FileDialogAnswer> answers;
  std::vector<Unit2::SaveFileDialog> shownDialogs;

  // The dialog's controls.
  QLineEdit* fileName = nullptr;
  QCheckBox* autoStart = nullptr;
  QCheckBox* errorDialogShow = nullptr;
  QCheckBox* smallStart = nullptr;
  QLineEdit* txtEndSecond = nullptr;
  QPushButton* btnCnfFile = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  QLineEdit* txtNetPath = nullptr;
  QComboBox* cmbDrive = nullptr;
  QLineEdit* txtUserName = nullptr;
  QLineEdit* txtPassWD = nullptr;
  QLineEdit* txtSecond = nullptr;
  QLineEdit* txtMaxError = nullptr;
  QPushButton* btnNet = nullptr;
  QPushButton* btnTest = nullptr;
  QPushButton* btnSave = nullptr;
  QPushButton* btnCancel = nullptr;
  QLabel* lblHint = nullptr;
  QComboBox* cmbNumber = nullptr;
  QPushButton* btnVersion = nullptr;
};

}  // namespace dialogtest
