#include "about/ABOUT.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

#include "platform/qt/Application.h"

namespace {

const QString kPGothic = QStringLiteral("ＭＳ Ｐゴシック");
const QString kGothic = QStringLiteral("ＭＳ ゴシック");

// A font by the character height the layout gives (pixels at 96 dpi).
QFont LayoutFont(const QString& family, int height) {
  QFont font(family);
  font.setPixelSize(height);
  return font;
}

// Labels size themselves to their text: where a face of this system is
// larger than the layout's box, the box grows rather than cut the text.
void FitText(QLabel* label) {
  const int width = label->wordWrap() ? label->width() : label->sizeHint().width();
  const int height =
      label->wordWrap() ? label->heightForWidth(label->width()) : label->sizeHint().height();
  label->resize(std::max(label->width(), width), std::max(label->height(), height));
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& box,
                  const QFont& font, bool wordWrap = false) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setTextFormat(Qt::PlainText);
  label->setFont(font);
  label->setWordWrap(wordWrap);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setGeometry(box);
  label->setText(text);
  return label;
}

QWidget* MakeShape(QWidget* parent, const char* name, const QRect& box) {
  auto* shape = new QWidget(parent);
  shape->setObjectName(QString::fromLatin1(name));
  QPalette colours = shape->palette();
  colours.setColor(QPalette::Window, Qt::red);
  shape->setPalette(colours);
  shape->setAutoFillBackground(true);
  shape->setGeometry(box);
  return shape;
}

THTLabel* MakeLink(QWidget* parent, platform::Services& services, about::LinkShell* shell,
                   const char* name, const QString& link, const QRect& box) {
  auto* label = new THTLabel(parent, services, shell);
  label->setObjectName(QString::fromLatin1(name));
  QFont font = LayoutFont(kPGothic, 12);
  font.setUnderline(true);
  label->setFont(font);
  // Blue until the first paint applies the link colours.
  label->SetFontColor(0x02FF0000u);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setGeometry(box);
  label->setText(link);
  return label;
}

}  // namespace

TfrmABUT::TfrmABUT(platform::Services& services, QWidget* parent, about::LinkShell* shell)
    : QWidget(parent) {
  // A small caption bar without any caption buttons: "Close" is the way out.
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setWindowTitle(QStringLiteral("バージョン情報"));
  setFixedSize(325, 124);
  setFont(LayoutFont(kPGothic, 12));
  QPalette colours = palette();
  colours.setColor(QPalette::Window, colours.color(QPalette::Button));
  setPalette(colours);
  setAutoFillBackground(true);

  // The maker's mark first, so the labels over its edges stay readable.
  Shape1 = MakeShape(this, "Shape1", QRect(8, 48, 17, 61));
  Shape2 = MakeShape(this, "Shape2", QRect(28, 80, 53, 13));
  Shape3 = MakeShape(this, "Shape3", QRect(28, 96, 53, 13));

  Label9 = MakeLabel(this, "Label9", QStringLiteral("Kayoiji"), QRect(8, 12, 210, 19),
                     LayoutFont(kGothic, 19));
  Label2 = MakeLabel(this, "Label2", QStringLiteral("version.1.0.3   2001"),
                     QRect(140, 32, 160, 15), LayoutFont(kGothic, 15));
  Label3 = MakeLabel(this, "Label3", QStringLiteral("野分工房"), QRect(28, 48, 30, 30),
                     LayoutFont(kGothic, 15), true);
  Label4 = MakeLabel(this, "Label4", QStringLiteral("ソフト"), QRect(56, 68, 33, 11),
                     LayoutFont(kGothic, 11), true);
  Label5 = MakeLabel(this, "Label5", QStringLiteral("since 1998"), QRect(28, 108, 60, 11),
                     LayoutFont(kGothic, 11), true);
  Label6 = MakeLabel(this, "Label6", QStringLiteral("野分"), QRect(100, 52, 32, 16),
                     LayoutFont(kGothic, 16));

  HTLabel1 = MakeLink(this, services, shell, "HTLabel1",
                      QStringLiteral("http://www.example.com/kayoiji/"), QRect(108, 72, 187, 12));
  HTLabel2 = MakeLink(this, services, shell, "HTLabel2", QStringLiteral("nowaki@example.com"),
                      QRect(108, 88, 82, 12));

  Button1 = new QPushButton(QStringLiteral("Close"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setGeometry(256, 100, 61, 21);
  const platform::qt::HandlerConnector on(services, this);
  on(Button1, &QPushButton::clicked, &TfrmABUT::Button1Click);
  setFocusProxy(Button1);

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }

  FormCreate();
}

void TfrmABUT::FormCreate() {
  Label2->setText(QStringLiteral("version." KAYOIJI_VERSION "   2001"));
}

// Fitting measures the texts, which loads the faces of every font the box
// uses; done at the first showing, a box nobody opens costs no font memory.
void TfrmABUT::showEvent(QShowEvent* event) {
  if (!fitted_) {
    for (QLabel* label : findChildren<QLabel*>()) FitText(label);
    fitted_ = true;
  }
  QWidget::showEvent(event);
}

void TfrmABUT::Button1Click() {
  hide();
}
