#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "mainwindow/FormRgn.h"
#include "mainwindow/Unit1.h"
#include "platform/Errors.h"
#include "platform/qt/MessageBoxes.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"

using testsupport::ScriptedPlatform;
using testsupport::TempDir;

namespace {

struct MainFixture {
  explicit MainFixture(const std::string& config) {
    p.Services().CommandLine = {"kayoiji", "-f", dir.Write("conf.dat", config)};
    p.CurrentTitle = "Kayoiji";
  }
  TempDir dir;
  DefUnit::RunningSettings settings;
  ScriptedPlatform p;
  TfrmMain form{settings, p.Services()};
};

const char* const kRunConfig =
    "DoMapping\tTrue\r\nNoErrorDialog\tTrue\r\nExitTime\t3\r\nNetPath\t\\\\srv\\s\r\n"
    "LocalDrive\tZ:\r\nWaitTime\t0\r\nMaxError\t2\r\n";

}  // namespace

TEST(MainWindow, FormCreatePreparesTheRunAndTheWindow) {
  MainFixture f(kRunConfig);
  f.form.FormCreate();
  EXPECT_TRUE(f.form.Timer1->isActive());
  EXPECT_EQ(f.form.Timer1->interval(), 1000);
  EXPECT_EQ(f.form.lblState->text(), "接続待ち");
  EXPECT_TRUE(f.form.chkNOErr->isChecked());
  EXPECT_EQ(f.form.Timer2->interval(), 3000);
  EXPECT_FALSE(f.form.Timer2->isActive());
  EXPECT_TRUE(f.form.anmTimer->isActive());
  EXPECT_EQ(f.form.size(), QSize(384, 128));
  EXPECT_EQ(f.form.RgnMain->pos(), QPoint(0, 0));
  EXPECT_EQ(f.p.CurrentTitle, " Kayoiji");
  EXPECT_TRUE(f.form.windowFlags() & Qt::FramelessWindowHint);
  // Placed, not left to a window manager.
  EXPECT_TRUE(f.form.testAttribute(Qt::WA_Moved));
  EXPECT_EQ(f.form.pos(), QPoint(0, 0));
}

TEST(MainWindow, ABadNumberEndsFormCreateEarly) {
  MainFixture f("DoMapping\tTrue\r\nNoErrorDialog\tTrue\r\nExitTime\tabc\r\n");
  EXPECT_THROW(f.form.FormCreate(), platform::EConvertError);
  EXPECT_FALSE(f.form.Timer1->isActive());
  EXPECT_FALSE(f.form.chkNOErr->isChecked());
  EXPECT_EQ(f.form.Timer2->interval(), 5000);
  EXPECT_EQ(f.form.lblState->text(), "待機中");
  EXPECT_EQ(f.p.CurrentTitle, "Kayoiji");
}

TEST(MainWindow, AMissingFileLeavesTheProgramIdle) {
  MainFixture f(kRunConfig);
  f.p.Services().CommandLine = {"kayoiji", "-f", f.dir.File("none.dat")};
  f.form.FormCreate();
  ASSERT_EQ(f.p.Boxes.size(), 1u);
  EXPECT_EQ(f.p.Boxes[0].Text, "設定ファイルオープンエラー");
  EXPECT_FALSE(f.form.Timer1->isActive());
  EXPECT_EQ(f.form.lblState->text(), "待機中");
  EXPECT_EQ(f.form.Timer2->interval(), 5000);
}

TEST(MainWindow, AttemptsShowInTheLabels) {
  MainFixture f(kRunConfig);
  f.form.FormCreate();
  f.p.DefaultAddCode = 67;
  f.form.Timer1Timer();
  EXPECT_EQ(f.form.lblState->text(), "接続先が見つかりません。");
  EXPECT_EQ(f.form.lblPath->text(), "\\\\srv\\s");
  EXPECT_GE(f.form.lblState->width(), 100) << "the label grows to its text";
  EXPECT_EQ(f.p.CurrentTitle, " Kayoiji [再試行待ち]");
  EXPECT_TRUE(f.p.Boxes.empty()) << "the check box was ticked by NoErrorDialog";
}

TEST(MainWindow, SettingsPauseKeepsTheFirstSavedStatesAndResumes) {
  MainFixture f(kRunConfig);
  f.form.FormCreate();
  QWidget dialog;
  f.form.frmCNF = &dialog;
  f.form.sbtConfig->click();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(f.settings.SettingsOpen);
  EXPECT_FALSE(f.form.Timer1->isActive());
  EXPECT_FALSE(f.form.Timer2->isActive());

  // "接続" while paused starts the exit delay, and a second "設定" changes nothing.
  f.form.sbtCNTNow->click();
  EXPECT_TRUE(f.form.Timer2->isActive());
  f.form.sbtConfig->click();
  EXPECT_TRUE(f.settings.SavedTimer1Enabled);
  EXPECT_FALSE(f.settings.SavedTimer2Enabled);

  f.form.anmTimerTimer();
  EXPECT_TRUE(f.settings.SettingsOpen) << "nothing resumes while the dialog is visible";
  dialog.close();
  f.form.anmTimerTimer();
  EXPECT_FALSE(f.settings.SettingsOpen);
  EXPECT_TRUE(f.form.Timer1->isActive());
  EXPECT_FALSE(f.form.Timer2->isActive()) << "the saved state replaces the pass's exit delay";
}

TEST(MainWindow, SettingsOpenMinimisedOrBehindComesBackToTheFront) {
  MainFixture f(kRunConfig);
  f.form.FormCreate();
  QWidget dialog(nullptr, Qt::Dialog);
  f.form.frmCNF = &dialog;
  f.form.sbtConfig->click();
  dialog.showMinimized();
  f.form.sbtConfig->click();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_FALSE(dialog.isMinimized());
  EXPECT_TRUE(f.settings.SavedTimer1Enabled) << "the first saved states stay";
  EXPECT_FALSE(f.form.Timer1->isActive());

  // Hidden before the 200 ms check noticed it: resumed, then opened anew.
  dialog.hide();
  f.form.sbtConfig->click();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(f.settings.SettingsOpen);
  EXPECT_TRUE(f.settings.SavedTimer1Enabled);
}

// The run counts whole seconds: a tick or an exit after a pause waits its
// full interval from the resume, never less.
TEST(MainWindow, ResumedTimersWaitAFullInterval) {
  MainFixture f(
      "DoMapping\tTrue\r\nNoErrorDialog\tTrue\r\nExitTime\t1\r\nNetPath\t\\\\srv\\s\r\n"
      "WaitTime\t5\r\n");
  f.form.FormCreate();
  EXPECT_EQ(f.form.Timer1->timerType(), Qt::PreciseTimer);
  EXPECT_EQ(f.form.Timer2->timerType(), Qt::PreciseTimer);
  QWidget dialog;
  f.form.frmCNF = &dialog;
  auto pauseAndResume = [&] {
    f.form.sbtConfig->click();
    dialog.hide();
    f.form.anmTimerTimer();
  };

  QElapsedTimer clock;
  clock.start();
  pauseAndResume();
  QSignalSpy ticks(f.form.Timer1, &QTimer::timeout);
  ASSERT_TRUE(ticks.wait(3000));
  EXPECT_GE(clock.elapsed(), 1000);

  f.form.sbtCNTNow->click();  // starts the exit delay of 1 s
  clock.restart();
  pauseAndResume();
  ASSERT_TRUE(f.form.Timer2->isActive());
  QSignalSpy exits(f.form.Timer2, &QTimer::timeout);
  ASSERT_TRUE(exits.wait(3000));
  EXPECT_GE(clock.elapsed(), 1000);
  EXPECT_TRUE(f.p.Terminated);
}

// The connection's error box waits for its own answer, but the main window
// goes on taking input: its buttons work while the box stands open, and
// "×" ends the pass at once. The boxes here are the program's own, shown
// for real; the test answers them while they are open.
TEST(MainWindow, AnErrorBoxLeavesTheMainWindowUsable) {
  using platform::qt::QtMessageBoxes;
  MainFixture f(
      "DoMapping\tTrue\r\nNetPath\t\\\\srv\\a\r\nWaitTime\t0\r\n"
      "NetPath\t\\\\srv\\b\r\nWaitTime\t0\r\n");
  QtMessageBoxes boxes;
  QtMessageBoxes::EnableTestMode();
  QtMessageBoxes::ClearRecorded();
  QtMessageBoxes::ShowBoxesInTests(true);
  f.p.Services().Boxes = &boxes;
  f.form.FormCreate();
  f.form.show();
  f.form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&f.form));
  QWidget dialog(nullptr, Qt::Dialog);
  f.form.frmCNF = &dialog;
  f.p.DefaultAddCode = 67;

  QtMessageBoxes::SetWhileOpen([&] {
    QMessageBox* box = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* b = qobject_cast<QMessageBox*>(w); b != nullptr && b->isVisible()) box = b;
    }
    ASSERT_NE(box, nullptr) << "the box stands open";
    EXPECT_EQ(box->text(), "接続先が見つかりません。");
    // Clicks as the window system delivers them, so that a box that
    // blocked the main window would swallow them.
    auto click = [&](QWidget* button) {
      QTest::mouseClick(f.form.windowHandle(), Qt::LeftButton, {}, button->geometry().center());
    };
    click(f.form.sbtConfig);
    EXPECT_TRUE(dialog.isVisible()) << "設定";
    click(f.form.btnSmall);
    EXPECT_EQ(f.p.Log.back(), "minimize") << "＿";
    click(f.form.btnClose);
    EXPECT_TRUE(f.p.Terminated) << "×";
  });
  f.form.Timer1Timer();
  EXPECT_EQ(QtMessageBoxes::Recorded().size(), 1u);
  EXPECT_EQ(f.p.AddCount(), 1) << "after × no further entry is attempted";
  f.form.Timer1Timer();
  f.form.sbtCNTNowClick();
  EXPECT_EQ(f.p.AddCount(), 1);
  QtMessageBoxes::ClearRecorded();
}

// "＿" is read as a minimise glyph only at the foot of its button; drawn
// centred it reads "ー".
TEST(MainWindow, CaptionsSitWhereTheFontPutsThemInsideTheButton) {
  MainFixture f(kRunConfig);
  for (QToolButton* b : {f.form.btnSmall, f.form.btnClose}) {
    const QFontMetrics metrics(b->font());
    const QRect r = b->rect();
    const QPoint origin = CaptionOrigin(r, metrics, b->text());
    const QRect ink = metrics.tightBoundingRect(b->text()).translated(origin);
    EXPECT_TRUE(r.contains(ink)) << b->text().toStdString();
    if (b == f.form.btnSmall) {
      EXPECT_GE(ink.top(), r.center().y()) << "in the lower half";
    } else {
      EXPECT_LE(std::abs(ink.center().y() - r.center().y()), 2) << "× stays centred";
    }
  }
}

TEST(MainWindow, OnlyALeftPressOnThePictureMovesTheWindow) {
  MainFixture f(kRunConfig);
  f.form.FormCreate();
  f.form.show();
  const QPoint onPicture(20, 110);
  QTest::mousePress(&f.form, Qt::RightButton, Qt::NoModifier, onPicture);
  EXPECT_FALSE(f.form.Moving());
  QTest::mousePress(&f.form, Qt::MiddleButton, Qt::NoModifier, onPicture);
  EXPECT_FALSE(f.form.Moving());
  QTest::mousePress(f.form.Label1, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  EXPECT_FALSE(f.form.Moving()) << "a press on a label does not move the window";
  QTest::mousePress(&f.form, Qt::LeftButton, Qt::ControlModifier, onPicture);
  EXPECT_TRUE(f.form.Moving());
  QTest::mouseRelease(&f.form, Qt::LeftButton, Qt::NoModifier, onPicture);
  EXPECT_FALSE(f.form.Moving());
}

TEST(MainWindow, TheTextBesideTheBoxIsNotLinkedToIt) {
  MainFixture f(kRunConfig);
  f.form.show();
  QTest::mouseClick(f.form.Label1, Qt::LeftButton, Qt::NoModifier, QPoint(20, 8));
  EXPECT_FALSE(f.form.chkNOErr->isChecked());
  QTest::mouseClick(f.form.chkNOErr, Qt::LeftButton, Qt::NoModifier, QPoint(6, 7));
  EXPECT_TRUE(f.form.chkNOErr->isChecked());
}

TEST(MainWindow, CloseAndMinimiseGoToTheApplication) {
  MainFixture f(kRunConfig);
  f.form.btnSmall->click();
  EXPECT_EQ(f.p.Log.back(), "minimize");
  f.form.btnClose->click();
  EXPECT_TRUE(f.p.Terminated);
}

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
