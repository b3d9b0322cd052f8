// The About box: its version text, "Close", its links and its layout.
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "RecordingShell.h"
#include "about/ABOUT.h"
#include "support/WidgetTests.h"

namespace {

using testsupport::Named;
using testsupport::ProgramServices;

TEST(About, ShowsTheCurrentVersionAndHidesWithClose) {
  RecordingShell shell;
  TfrmABUT box(ProgramServices(), nullptr, &shell);
  EXPECT_EQ(box.windowTitle(), "バージョン情報");
  EXPECT_EQ(box.size(), QSize(325, 124));
  EXPECT_FALSE(box.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(box.isVisible());

  for (int round = 0; round < 2; ++round) {
    box.show();
    box.show();  // "Version" again while it is up changes nothing
    EXPECT_TRUE(box.isVisible());
    EXPECT_EQ(Named<QLabel>(box, "Label2")->text(), "version.1.0.8   2001");
    QTest::mouseClick(Named<QPushButton>(box, "Button1"), Qt::LeftButton);
    EXPECT_FALSE(box.isVisible());
  }
}

TEST(About, TheLinksOpenAsWebPageAndAsMail) {
  RecordingShell shell;
  TfrmABUT box(ProgramServices(), nullptr, &shell);
  Named<THTLabel>(box, "HTLabel1")->Click();
  Named<THTLabel>(box, "HTLabel2")->Click();
  ASSERT_EQ(shell.Opened.size(), 2u);
  EXPECT_TRUE(shell.Opened[0].first.starts_with("http://"));
  EXPECT_FALSE(shell.Opened[0].second);
  EXPECT_NE(shell.Opened[1].first.find("@example.com"), std::string::npos);
  EXPECT_TRUE(shell.Opened[1].second);
}

TEST(About, EveryTextFitsItsLabelInsideTheWindow) {
  RecordingShell shell;
  TfrmABUT box(ProgramServices(), nullptr, &shell);
  box.show();
  for (QLabel* label : box.findChildren<QLabel*>()) {
    const QString name = label->objectName();
    const int needed =
        label->wordWrap() ? label->heightForWidth(label->width()) : label->sizeHint().height();
    EXPECT_GE(label->height(), needed) << name.toStdString();
    if (!label->wordWrap()) {
      EXPECT_GE(label->width(), label->sizeHint().width()) << name.toStdString();
    }
    EXPECT_TRUE(box.rect().contains(label->geometry())) << name.toStdString();
  }
  EXPECT_EQ(Named<QPushButton>(box, "Button1")->geometry(), QRect(256, 100, 61, 21));
}

TEST(About, TheWindowsFontsResolveToJapaneseFaces) {
  if (!QFontDatabase::families().contains("IPAPGothic")) GTEST_SKIP() << "no IPA fonts";
  RecordingShell shell;
  TfrmABUT box(ProgramServices(), nullptr, &shell);
  EXPECT_EQ(QFontInfo(Named<THTLabel>(box, "HTLabel1")->font()).family(), "IPAPGothic");
  EXPECT_EQ(QFontInfo(Named<QLabel>(box, "Label3")->font()).family(), "IPAGothic");
  EXPECT_EQ(QFontInfo(Named<QLabel>(box, "Label3")->font()).pixelSize(), 15);
}

}  // namespace
