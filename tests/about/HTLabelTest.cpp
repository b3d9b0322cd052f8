// The hyperlink label: colours, hover look, clicks and its menu.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QEnterEvent>
#include <QMenu>
#include <QTest>
#include <memory>

#include "RecordingShell.h"
#include "about/HTLabel.h"
#include "platform/Errors.h"
#include "support/RecordingBoxes.h"
#include "support/WidgetTests.h"

namespace {

using testsupport::ProgramBoxes;
using testsupport::ProgramServices;

TEST(ParseColorText, BuildsAPaletteRelativeColourFromUnmaskedComponents) {
  EXPECT_EQ(THTLabel::ParseColorText("0,0,255"), 0x02FF0000u);
  EXPECT_EQ(THTLabel::ParseColorText("255,0,0"), 0x020000FFu);
  EXPECT_EQ(THTLabel::ParseColorText("18,52,86"), 0x02563412u);
  // Components are not cut to 8 bits: they spill into their neighbours.
  EXPECT_EQ(THTLabel::ParseColorText("256,0,0"), 0x02000100u);
  EXPECT_EQ(THTLabel::ParseColorText("0,0,512"), 0x02000000u);
  EXPECT_EQ(THTLabel::ParseColorText("-1,0,0"), 0xFFFFFFFFu);
  EXPECT_EQ(THTLabel::ParseColorText(" 1, 2, 3"), 0x02030201u);
}

TEST(ParseColorText, TextsThatAreNotThreeIntegersFailInTheConversion) {
  const std::pair<std::string, std::string> cases[] = {
      {"0,0,blue", "'blue' は整数ではありません"},
      {"0,0", "'' は整数ではありません"},  // no second comma: an empty green
      {"0,0,255,", "'255,' は整数ではありません"},
      {"0,0,1 ", "'1 ' は整数ではありません"},
      {"0,0,2147483648", "'2147483648' は整数ではありません"},
      {"赤,0,0", "'赤' は整数ではありません"},
  };
  for (const auto& [text, message] : cases) {
    try {
      THTLabel::ParseColorText(text);
      ADD_FAILURE() << text;
    } catch (const platform::EConvertError& e) {
      EXPECT_EQ(std::string(e.what()), message) << text;
    }
  }
}

class HTLabelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.resize(300, 100);
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    ProgramBoxes().Shown.clear();
  }
  void TearDown() override { ProgramBoxes().Shown.clear(); }

  THTLabel* NewLabel(const QString& caption, int top = 0) {
    auto* label = new THTLabel(&window_, ProgramServices(), &shell_);
    label->setText(caption);
    label->setGeometry(10, top, 200, 20);
    label->show();
    return label;
  }
  static void Hover(THTLabel* label, bool over) {
    if (over) {
      QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
      QApplication::sendEvent(label, &enter);
    } else {
      QEvent leave(QEvent::Leave);
      QApplication::sendEvent(label, &leave);
    }
    label->repaint();
  }

  RecordingShell shell_;
  QWidget window_;
};

TEST_F(HTLabelTest, DefaultSettingsUnderlineAlwaysAndTurnRedUnderTheMouse) {
  THTLabel* label = NewLabel("http://www.example.com/");
  label->repaint();
  EXPECT_EQ(label->FontColor(), 0x02FF0000u);
  EXPECT_TRUE(label->font().underline());
  EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0, 0, 255));

  Hover(label, true);
  EXPECT_TRUE(label->MouseInControl());
  EXPECT_EQ(label->FontColor(), 0x020000FFu);
  EXPECT_TRUE(label->font().underline());

  Hover(label, false);
  EXPECT_EQ(label->FontColor(), 0x02FF0000u);
  EXPECT_TRUE(label->font().underline());
}

TEST_F(HTLabelTest, UseHoverYesUnderlinesOnlyUnderTheMouse) {
  shell_.Settings.UseHover = "yes";
  shell_.Settings.Hover = "0,128,0";
  THTLabel* label = NewLabel("http://www.example.com/");
  label->repaint();
  EXPECT_FALSE(label->font().underline());
  Hover(label, true);
  EXPECT_TRUE(label->font().underline());
  EXPECT_EQ(label->FontColor(), 0x02008000u);
  Hover(label, false);
  EXPECT_FALSE(label->font().underline());

  // Only exactly "yes" counts.
  shell_.Settings.UseHover = "Yes";
  THTLabel* other = NewLabel("http://www.example.com/", 30);
  other->repaint();
  EXPECT_TRUE(other->font().underline());
}

TEST_F(HTLabelTest, OnlyTheLabelUnderTheMouseTakesTheHoverColour) {
  THTLabel* first = NewLabel("http://www.example.com/");
  THTLabel* second = NewLabel("info@example.com", 30);
  Hover(first, true);
  second->repaint();
  EXPECT_EQ(first->FontColor(), 0x020000FFu);
  EXPECT_EQ(second->FontColor(), 0x02FF0000u);
}

TEST_F(HTLabelTest, OnlyExactlyHttpOpensAsAWebAddress) {
  const std::pair<QString, bool> cases[] = {
      {"http://www.example.com/", false}, {"http://", false},
      {"HTTP://www.example.com/", true},  {"Http://www.example.com/", true},
      {"https://www.example.com/", true}, {"http:/www.example.com/", true},
      {"info@example.com", true},         {"http", true},
  };
  THTLabel* label = NewLabel("");
  for (const auto& [caption, asMail] : cases) {
    shell_.Opened.clear();
    label->setText(caption);
    label->Click();
    ASSERT_EQ(shell_.Opened.size(), 1u);
    EXPECT_EQ(shell_.Opened[0].first, caption.toStdString());
    EXPECT_EQ(shell_.Opened[0].second, asMail) << caption.toStdString();
  }
}

TEST_F(HTLabelTest, ClickSetsTheVisitedColourAndFiresItsEventBeforeOpening) {
  THTLabel* label = NewLabel("http://www.example.com/");
  std::uint32_t colourAtEvent = 0;
  std::size_t openedAtEvent = 99;
  QObject::connect(label, &THTLabel::clicked, [&] {
    colourAtEvent = label->FontColor();
    openedAtEvent = shell_.Opened.size();
  });
  label->Click();
  EXPECT_EQ(colourAtEvent, 0x02FF00FFu);
  EXPECT_EQ(openedAtEvent, 0u);
  EXPECT_EQ(shell_.Opened.size(), 1u);
}

TEST_F(HTLabelTest, ABadColourFailsFromClickAndFromPainting) {
  shell_.Settings.Visited = "255,0";
  THTLabel* label = NewLabel("http://www.example.com/");
  EXPECT_THROW(label->Click(), platform::EConvertError);
  EXPECT_TRUE(shell_.Opened.empty());

  // A click from the mouse or the menu ends there and is shown in the
  // general error box; nothing unwinds into the toolkit.
  QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(5, 5));
  label->OpenItem()->trigger();
  ASSERT_EQ(ProgramBoxes().Shown.size(), 2u);
  for (const platform::Box& box : ProgramBoxes().Shown) {
    EXPECT_EQ(box.Kind, platform::BoxKind::Error);
    EXPECT_EQ(box.Title, "Kayoiji");
  }
  EXPECT_TRUE(shell_.Opened.empty());
  ProgramBoxes().Shown.clear();

  // From painting, the failure reaches the program's error handler.
  shell_.Settings.Normal = "0,0,blue";
  THTLabel* painted = NewLabel("http://www.example.com/", 30);
  painted->repaint();
  const auto& boxes = ProgramBoxes().Shown;
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back().Text, "'blue' は整数ではありません.");
  EXPECT_EQ(boxes.back().Title, "Kayoiji");
}

TEST_F(HTLabelTest, EachMenuActsOnItsOwnLabel) {
  THTLabel* web = NewLabel("http://www.example.com/");
  THTLabel* mail = NewLabel("info@example.com", 30);
  for (THTLabel* label : {web, mail}) {
    const QList<QAction*> items = label->PopupMenu()->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->text(), "開く(&O)");
    EXPECT_EQ(items[1]->text(), "コピー(&C)");
    EXPECT_EQ(label->PopupMenu()->defaultAction(), items[0]);
    EXPECT_TRUE(items[0]->font().bold());
  }
  mail->OpenItem()->trigger();
  web->CopyItem()->trigger();
  ASSERT_EQ(shell_.Opened.size(), 1u);
  EXPECT_EQ(shell_.Opened[0], std::make_pair(std::string("info@example.com"), true));
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "http://www.example.com/");
  mail->CopyItem()->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "info@example.com");
}

TEST_F(HTLabelTest, LeftClickOpensTheLinkAndRightClickOnlyTheMenu) {
  THTLabel* label = NewLabel("http://www.example.com/");
  QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(shell_.Opened.size(), 1u);
  EXPECT_FALSE(label->PopupMenu()->isVisible());

  shell_.Opened.clear();
  QTest::mouseClick(label, Qt::RightButton, {}, QPoint(5, 5));
  EXPECT_TRUE(label->PopupMenu()->isVisible());
  EXPECT_TRUE(shell_.Opened.empty());
  label->PopupMenu()->hide();

  // A press that leaves the label before its release is no click.
  QTest::mousePress(label, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(250, 5));
  EXPECT_TRUE(shell_.Opened.empty());
}

}  // namespace
