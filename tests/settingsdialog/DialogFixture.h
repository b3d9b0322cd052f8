// A settings dialog over its own running settings and a scripted platform,
// with boxes answered by the message-box hook and file dialogs by the test.
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
#include "platform/qt/MessageBoxes.h"
#include "settings/DefUnit.h"
#include "settingsdialog/Unit2.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"

namespace dialogtest {

using platform::qt::QtMessageBoxes;

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
    QtMessageBoxes::EnableTestMode();
    QtMessageBoxes::ClearRecorded();
    scripted.Services().Boxes = &boxes;
    scripted.CurrentTitle = " Kayoiji";
    configPath = dir.Write("ConfFile.dat", kTwoEntries);
    DefUnit::ReadSettingsText(running, kTwoEntries);
    running.ConfigFileName = configPath;
    Create();
  }

  void TearDown() override {
    dialog.reset();
    QtMessageBoxes::ClearRecorded();
  }

  void Create() {
    dialog = std::make_unique<TfrmCNF>(running, scripted.Services());
    dialog->SetFileDialogRunner([this](Unit2::SaveFileDialog& d, QWidget*) {
      shownDialogs.push_back(d);
      FileDialogAnswer a = answers.empty() ? FileDialogAnswer{} : answers.front();
      if (!answers.empty()) answers.pop_front();
      if (a.accept) d.FileName = a.fileName;
      return a.accept;
    });
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

  // Texts of the boxes shown so far.
  static std::vector<std::string> BoxTexts() {
    std::vector<std::string> texts;
    for (const platform::Box& b : QtMessageBoxes::Recorded()) texts.push_back(b.Text);
    return texts;
  }

  std::string Stored(const DefUnit::TextArray& a, int k) const {
    return DefUnit::FieldText(a[static_cast<std::size_t>(k)]);
  }
  bool AnyFlag() const {
    bool any = dialog->OptionsChanged;
    for (bool b : dialog->EntryChanged) any = any || b;
    return any;
  }

  testsupport::TempDir dir;
  testsupport::ScriptedPlatform scripted;
  QtMessageBoxes boxes;
  DefUnit::RunningSettings running;
  std::string configPath;
  std::unique_ptr<TfrmCNF> dialog;
  std::deque<FileDialogAnswer> answers;
  std::vector<Unit2::SaveFileDialog> shownDialogs;
};

}  // namespace dialogtest
