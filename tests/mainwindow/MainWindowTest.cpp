#include <gtest/gtest.h>
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
#include "support/WidgetTests.h"

using testsupport::ScriptedPlatform;
using testsupport::TempDir;

namespace {

using testsupport::Named;

struct MainFixture {
  explicit MainFixture(const std::string& config) {
    p.Services().CommandLine = {"kayoiji", "-f", dir.Write("conf.dat", config)};
    p.CurrentTitle = "Kayoiji";
  }
  // A timer's handler as the timer runs it: through its signal.
  static void Fire(QTimer* timer) { ASSERT_TRUE(QMetaObject::invokeMethod(timer, "timeout")); }

  TempDir dir;
  DefUnit::RunningSettings settings;
  ScriptedPlatform p;
  TfrmMain form{settings, p.Services()};
  QTimer* Timer1 = Named<QTimer>(form, "Timer1");
  QTimer* Timer2 = Named<QTimer>(form, "Timer2");
  QTimer* anmTimer = Named<QTimer>(form, "anmTimer");
  QCheckBox* chkNOErr = Named<QCheckBox>(form, "chkNOErr");
  QToolButton* sbtConfig = Named<QToolButton>(form, "sbtConfig");
  QToolButton* sbtCNTNow = Named<QToolButton>(form, "sbtCNTNow");
  QToolButton* btnClose = Named<QToolButton>(form, "btnClose");
  QToolButton* btnSmall = Named<QToolButton>(form, "btnSmall");
  QLabel* lblState = Named<QLabel>(form, "lblState");
  QLabel* lblPath = Named<QLabel>(form, "lblPath");
  QLabel* Label1 = Named<QLabel>(form, "Label1");
  QWidget* RgnMain = Named<QWidget>(form, "RgnMain");
};

const char* const kRunConfig =
    "DoMapping\tTrue\r\nNoErrorDialog\tTrue\r\nExitTime\t3\r\nNetPath\t\\\\srv\\s\r\n"
    "LocalDrive\tZ:\r\nWaitTime\t0\r\nMaxError\t2\r\n";

}  // namespace

TEST(MainWindow, FormCreatePreparesTheRunAndTheWindow) {
  MainFixture f(kRunConfig);
  f.form.FormCreate();
  EXPECT_TRUE(f.Timer1->isActive());
  EXPECT_EQ(f.Timer1->interval(), 1000);
  EXPECT_EQ(f.lblState->text(), "接続待ち");
  EXPECT_TRUE(f.chkNOErr->isChecked());
  EXPECT_EQ(f.Timer2->interval(), 3000);
  EXPECT_FALSE(f.Timer2->isActive());
  EXPECT_TRUE(f.anmTimer->isActive());
  EXPECT_EQ(f.form.size(), QSize(384, 128));
  EXPECT_EQ(f.RgnMain->pos(), QPoint(0, 0));
  EXPECT_EQ(f.p.CurrentTitle, " Kayoiji");
  EXPECT_TRUE(f.form.windowFlags() & Qt::FramelessWindowHint);
  // Placed, not left to a window manager.
  EXPECT_TRUE(f.form.testAttribute(Qt::WA_Moved));
  EXPECT_EQ(f.form.pos(), QPoint(0, 0));
}

TEST(MainWindow, ABadNumberEndsFormCreateEarly) {
  MainFixture f("DoMapping\tTrue\r\nNoErrorDialog\tTrue\r\nExitTime\tabc\r\n");
  EXPECT_THROW(f.form.FormCreate(), platform::EConvertError);
  EXPECT_FALSE(f.Timer1->isActive());
  EXPECT_FALSE(f.chkNOErr->isChecked());
  EXPECT_EQ(f.Timer2->interval(), 5000);
  EXPECT_EQ(f.lblState->text(), "待機中");
  EXPECT_EQ(f.p.CurrentTitle, "Kayoiji");
}

TEST(MainWindow, AMissingFileLeavesTheProgramIdle) {
  MainFixture f(kRunConfig);
  f.p.Services().CommandLine = {"kayoiji", "-f", f.dir.File("none.dat")};
  f.form.FormCreate();
  ASSERT_EQ(f.p.Boxes.Shown.size(), 1u);
  EXPECT_EQ(f.p.Boxes.Shown[0].Text, "設定ファイルオープンエラー");
  EXPECT_FALSE(f.Timer1->isActive());
  EXPECT_EQ(f.lblState->text(), "待機中");
  EXPECT_EQ(f.Timer2->interval(), 5000);
}

TEST(MainWindow, AttemptsShowInTheLabels) {
  MainFixture f(kRunConfig);
  f.form.FormCreate();
  f.p.DefaultAddCode = 67;
  f.Fire(f.Timer1);
  EXPECT_EQ(f.lblState->text(), "接続先が見つかりません。");
  EXPECT_EQ(f.lblPath->text(), "\\\\srv\\s");
  EXPECT_GE(f.lblState->width(), 100) << "the label grows to its text";
  EXPECT_EQ(f.p.CurrentTitle, " Kayoiji [再試行待ち]");
  EXPECT_TRUE(f.p.Boxes.Shown.empty()) << "the check box was ticked by NoErrorDialog";
}

// An elevated administrator's drives are invisible to the user's other
// programs: the start says so once, in the state label and (unless errors
// are ignored) in a box that stands before the run begins.
TEST(MainWindow, AnElevatedStartSaysOnceThatItsDrivesStayHidden) {
  for (const bool ignoreErrors : {true, false}) {
    MainFixture f(std::string(ignoreErrors ? "NoErrorDialog\tTrue" : "NoErrorDialog\tFalse") +
                  "\r\nDoMapping\tTrue\r\nNetPath\t\\\\srv\\s\r\nWaitTime\t0\r\n");
    f.p.DrivesHidden = true;
    bool runDuringBox = false;
    f.p.Boxes.WhileOpen = [&](const platform::Box&) { runDuringBox = f.Timer1->isActive(); };
    f.form.FormCreate();
    const QString line = f.lblState->text();
    EXPECT_EQ(line, "管理者として実行中です。") << "only what the label has room for";
    EXPECT_TRUE(f.Timer1->isActive()) << "the run goes on as ever";
    if (ignoreErrors) {
      EXPECT_TRUE(f.p.Boxes.Shown.empty());
    } else {
      ASSERT_EQ(f.p.Boxes.Shown.size(), 1u);
      EXPECT_EQ(f.p.Boxes.Shown[0].Kind, platform::BoxKind::Error);
      const QString box = QString::fromStdString(f.p.Boxes.Shown[0].Text);
      EXPECT_TRUE(box.startsWith(line) && box.contains("EnableLinkedConnections")) << "the whole";
      EXPECT_FALSE(runDuringBox);
    }
    f.Fire(f.Timer1);
    EXPECT_EQ(f.lblState->text(), "接続終了。");
    EXPECT_EQ(f.p.Boxes.Shown.size(), ignoreErrors ? 0u : 1u) << "said once";
  }
}

TEST(MainWindow, SettingsPauseKeepsTheFirstSavedStatesAndResumes) {
  MainFixture f(kRunConfig);
  f.form.FormCreate();
  QWidget dialog;
  f.form.SetSettingsDialog(&dialog);
  f.sbtConfig->click();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(f.form.Pause().SettingsOpen);
  EXPECT_FALSE(f.Timer1->isActive());
  EXPECT_FALSE(f.Timer2->isActive());

  // "接続" while paused starts the exit delay, and a second "設定" changes nothing.
  f.sbtCNTNow->click();
  EXPECT_TRUE(f.Timer2->isActive());
  f.sbtConfig->click();
  EXPECT_TRUE(f.form.Pause().SavedTimer1Enabled);
  EXPECT_FALSE(f.form.Pause().SavedTimer2Enabled);

  f.Fire(f.anmTimer);
  EXPECT_TRUE(f.form.Pause().SettingsOpen) << "nothing resumes while the dialog is visible";
  dialog.close();
  f.Fire(f.anmTimer);
  EXPECT_FALSE(f.form.Pause().SettingsOpen);
  EXPECT_TRUE(f.Timer1->isActive());
  EXPECT_FALSE(f.Timer2->isActive()) << "the saved state replaces the pass's exit delay";
}

TEST(MainWindow, SettingsOpenMinimisedOrBehindComesBackToTheFront) {
  MainFixture f(kRunConfig);
  f.form.FormCreate();
  QWidget dialog(nullptr, Qt::Dialog);
  f.form.SetSettingsDialog(&dialog);
  f.sbtConfig->click();
  dialog.showMinimized();
  f.sbtConfig->click();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_FALSE(dialog.isMinimized());
  EXPECT_TRUE(f.form.Pause().SavedTimer1Enabled) << "the first saved states stay";
  EXPECT_FALSE(f.Timer1->isActive());

  // Hidden before the 200 ms check noticed it: resumed, then opened anew.
  dialog.hide();
  f.sbtConfig->click();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(f.form.Pause().SettingsOpen);
  EXPECT_TRUE(f.form.Pause().SavedTimer1Enabled);
}

// The run counts whole seconds: a tick or an exit after a pause waits its
// full interval from the resume, never less.
TEST(MainWindow, ResumedTimersWaitAFullInterval) {
  MainFixture f(
      "DoMapping\tTrue\r\nNoErrorDialog\tTrue\r\nExitTime\t1\r\nNetPath\t\\\\srv\\s\r\n"
      "WaitTime\t5\r\n");
  f.form.FormCreate();
  EXPECT_EQ(f.Timer1->timerType(), Qt::PreciseTimer);
  EXPECT_EQ(f.Timer2->timerType(), Qt::PreciseTimer);
  QWidget dialog;
  f.form.SetSettingsDialog(&dialog);
  auto pauseAndResume = [&] {
    f.sbtConfig->click();
    dialog.hide();
    f.Fire(f.anmTimer);
  };

  QElapsedTimer clock;
  clock.start();
  pauseAndResume();
  QSignalSpy ticks(f.Timer1, &QTimer::timeout);
  ASSERT_TRUE(ticks.wait(3000));
  EXPECT_GE(clock.elapsed(), 1000);

  f.sbtCNTNow->click();  // starts the exit delay of 1 s
  clock.restart();
  pauseAndResume();
  ASSERT_TRUE(f.Timer2->isActive());
  QSignalSpy exits(f.Timer2, &QTimer::timeout);
  ASSERT_TRUE(exits.wait(3000));
  EXPECT_GE(clock.elapsed(), 1000);
  EXPECT_TRUE(f.p.Terminated);
}

// The connection's error box waits for its own answer, but the main window
// goes on taking input: its buttons work while the box stands open, and
// "×" ends the pass at once. The box here is the program's own, made and
// placed as the program shows it; the test acts while it stands open.
TEST(MainWindow, AnErrorBoxLeavesTheMainWindowUsable) {
  MainFixture f(
      "DoMapping\tTrue\r\nNetPath\t\\\\srv\\a\r\nWaitTime\t0\r\n"
      "NetPath\t\\\\srv\\b\r\nWaitTime\t0\r\n");
  f.form.FormCreate();
  f.form.show();
  f.form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&f.form));
  QWidget dialog(nullptr, Qt::Dialog);
  f.form.SetSettingsDialog(&dialog);
  f.p.DefaultAddCode = 67;

  f.p.Boxes.WhileOpen = [&](const platform::Box& shown) {
    const std::unique_ptr<QMessageBox> box = platform::qt::MakeMessageBox(shown);
    box->show();
    EXPECT_EQ(box->text(), "接続先が見つかりません。");
    EXPECT_NE(box->windowModality(), Qt::ApplicationModal);
    // Clicks as the window system delivers them, so that a box that
    // blocked the main window would swallow them.
    auto click = [&](QWidget* button) {
      QTest::mouseClick(f.form.windowHandle(), Qt::LeftButton, {}, button->geometry().center());
    };
    click(f.sbtConfig);
    EXPECT_TRUE(dialog.isVisible()) << "設定";
    click(f.btnSmall);
    EXPECT_EQ(f.p.Log.back(), "minimize") << "＿";
    click(f.btnClose);
    EXPECT_TRUE(f.p.Terminated) << "×";
  };
  f.Fire(f.Timer1);
  EXPECT_EQ(f.p.Boxes.Shown.size(), 1u);
  EXPECT_EQ(f.p.AddCount(), 1) << "after × no further entry is attempted";
  f.Fire(f.Timer1);
  f.sbtCNTNow->click();
  EXPECT_EQ(f.p.AddCount(), 1);
}

// A failing handler ends there and is shown in the general error box,
// titled with the application title; nothing unwinds through the toolkit's
// signal dispatch into the caller, and the window goes on working.
TEST(MainWindow, AFailingHandlerReachesTheGeneralErrorBox) {
  for (const bool fromTimer : {true, false}) {
    MainFixture f(kRunConfig);
    f.form.FormCreate();
    f.p.DuringAdd = [] { throw std::runtime_error("lost"); };
    if (fromTimer) {
      QSignalSpy ticks(f.Timer1, &QTimer::timeout);
      f.Timer1->setInterval(1);
      ASSERT_TRUE(ticks.wait(2000));
    } else {
      f.sbtCNTNow->click();
    }
    ASSERT_EQ(f.p.Boxes.Shown.size(), 1u) << fromTimer;
    const platform::Box& box = f.p.Boxes.Shown[0];
    EXPECT_EQ(box.Kind, platform::BoxKind::Error);
    EXPECT_EQ(box.Title, f.p.CurrentTitle);
    EXPECT_EQ(box.Text, "予期しないエラーが発生しました.");
    f.btnSmall->click();
    EXPECT_EQ(f.p.Log.back(), "minimize");
  }
}

// "＿" is read as a minimise glyph only at the foot of its button; drawn
// centred it reads "ー".
TEST(MainWindow, CaptionsSitWhereTheFontPutsThemInsideTheButton) {
  MainFixture f(kRunConfig);
  for (QToolButton* b : {f.btnSmall, f.btnClose}) {
    const QFontMetrics metrics(b->font());
    const QRect r = b->rect();
    const QPoint origin = CaptionOrigin(r, metrics, b->text());
    const QRect ink = metrics.tightBoundingRect(b->text()).translated(origin);
    EXPECT_TRUE(r.contains(ink)) << b->text().toStdString();
    if (b == f.btnSmall) {
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
  QTest::mousePress(f.Label1, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  EXPECT_FALSE(f.form.Moving()) << "a press on a label does not move the window";
  QTest::mousePress(&f.form, Qt::LeftButton, Qt::ControlModifier, onPicture);
  EXPECT_TRUE(f.form.Moving());
  QTest::mouseRelease(&f.form, Qt::LeftButton, Qt::NoModifier, onPicture);
  EXPECT_FALSE(f.form.Moving());
}

TEST(MainWindow, TheTextBesideTheBoxIsNotLinkedToIt) {
  MainFixture f(kRunConfig);
  f.form.show();
  QTest::mouseClick(f.Label1, Qt::LeftButton, Qt::NoModifier, QPoint(20, 8));
  EXPECT_FALSE(f.chkNOErr->isChecked());
  QTest::mouseClick(f.chkNOErr, Qt::LeftButton, Qt::NoModifier, QPoint(6, 7));
  EXPECT_TRUE(f.chkNOErr->isChecked());
}

TEST(MainWindow, CloseAndMinimiseGoToTheApplication) {
  MainFixture f(kRunConfig);
  f.btnSmall->click();
  EXPECT_EQ(f.p.Log.back(), "minimize");
  f.btnClose->click();
  EXPECT_TRUE(f.p.Terminated);
}
