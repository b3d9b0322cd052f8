#include "about/HTLabel.h"

#include <QAction>
#include <QClipboard>
#include <QColor>
#include <QCursor>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>

#include "platform/Codec.h"
#include "platform/Errors.h"
#include "platform/qt/Application.h"

namespace {

about::LinkSettings& SharedLinkSettings() {
  static about::LinkSettings settings;
  return settings;
}

// A decimal integer with optional leading blanks and sign, as the toolkit's
// conversion takes it.
std::int32_t ColorComponent(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i >= text.size()) throw platform::NotAnInteger(platform::Utf8ToSjis(text));
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') throw platform::NotAnInteger(platform::Utf8ToSjis(text));
    value = value * 10 + (text[i] - '0');
    if (value > 2147483648LL) throw platform::NotAnInteger(platform::Utf8ToSjis(text));
  }
  if (negative) value = -value;
  if (value > 2147483647LL) throw platform::NotAnInteger(platform::Utf8ToSjis(text));
  return static_cast<std::int32_t>(value);
}

// The text before the next comma, which is dropped with the comma; without a
// comma the part is empty and the text stays.
std::string TakeComponent(std::string& text) {
  const std::size_t comma = text.find(',');
  if (comma == std::string::npos) return {};
  std::string part = text.substr(0, comma);
  text.erase(0, comma + 1);
  return part;
}

}  // namespace

THTLabel::THTLabel(QWidget* owner, platform::Services& services, about::LinkShell* shell)
    : QLabel(owner),
      services_(services),
      shell_(shell != nullptr ? shell : &about::PlatformLinkShell()) {
  // The caption is the link exactly as written, never markup.
  setTextFormat(Qt::PlainText);
  ReadLinkColors();
  setCursor(Qt::PointingHandCursor);
  hover_ = false;
  // The menu opens on the right button's press; keep the toolkit's own
  // context-menu request from reaching the window as well.
  setContextMenuPolicy(Qt::PreventContextMenu);

  menu_ = new QMenu(this);
  openItem_ = menu_->addAction(QStringLiteral("開く(&O)"));
  QFont bold = openItem_->font();
  bold.setBold(true);
  openItem_->setFont(bold);
  menu_->setDefaultAction(openItem_);
  const platform::qt::HandlerConnector on(services_, this);
  on(openItem_, &QAction::triggered, &THTLabel::Click);
  copyItem_ = menu_->addAction(QStringLiteral("コピー(&C)"));
  on(copyItem_, &QAction::triggered, &THTLabel::CopyCaption);
}

std::uint32_t THTLabel::ParseColorText(const std::string& text) {
  std::string rest = text;
  const std::int32_t red = ColorComponent(TakeComponent(rest));
  const std::int32_t green = ColorComponent(TakeComponent(rest));
  const std::int32_t blue = ColorComponent(rest);
  return 0x02000000u | static_cast<std::uint32_t>(red) | (static_cast<std::uint32_t>(green) << 8) |
         (static_cast<std::uint32_t>(blue) << 16);
}

QColor THTLabel::ToQColor(std::uint32_t color) {
  return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                static_cast<int>((color >> 16) & 0xFF));
}

const about::LinkSettings& THTLabel::LinkSettings() {
  return SharedLinkSettings();
}

void THTLabel::ReadLinkColors() {
  SharedLinkSettings() = shell_->ReadLinkColors();
}

void THTLabel::SetFontColor(std::uint32_t color) {
  fontColor_ = color;
  QPalette colours = palette();
  colours.setColor(QPalette::WindowText, ToQColor(color));
  // The toolkit ignores a palette equal to the current one, so only a real
  // change repaints.
  setPalette(colours);
}

void THTLabel::Paint() {
  const about::LinkSettings& settings = SharedLinkSettings();
  const bool underlineOnHover = settings.UseHover == "yes";
  QFont look = font();
  if (!hover_) {
    SetFontColor(ParseColorText(settings.Normal));
    look.setUnderline(!underlineOnHover);
  } else {
    SetFontColor(ParseColorText(settings.Hover));
    if (underlineOnHover) look.setUnderline(true);
  }
  setFont(look);
}

void THTLabel::paintEvent(QPaintEvent* event) {
  // A colour setting that is not a number fails here, before anything is drawn.
  Paint();
  QLabel::paintEvent(event);
}

void THTLabel::enterEvent(QEnterEvent* event) {
  QLabel::enterEvent(event);
  hover_ = true;
  update();
}

void THTLabel::leaveEvent(QEvent* event) {
  QLabel::leaveEvent(event);
  hover_ = false;
  update();
}

void THTLabel::mousePressEvent(QMouseEvent* event) {
  QLabel::mousePressEvent(event);
  // Taking the press keeps the release with this label.
  event->accept();
  leftPressed_ = event->button() == Qt::LeftButton;
  if (event->button() == Qt::RightButton) menu_->popup(QCursor::pos());
}

void THTLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  const bool click = leftPressed_ && event->button() == Qt::LeftButton &&
                     rect().contains(event->position().toPoint());
  leftPressed_ = false;
  if (click) platform::qt::RunHandled(services_, [this] { Click(); });
}

void THTLabel::Click() {
  SetFontColor(ParseColorText(SharedLinkSettings().Visited));
  emit clicked();
  const std::string target = text().toStdString();
  OpenLink(target, target.compare(0, 7, "http://") != 0);
}

void THTLabel::OpenLink(const std::string& target, bool isMail) {
  shell_->OpenLink(target, isMail);
}

bool THTLabel::ReadClassesRootDefault(const std::string& keyName, std::string& value) {
  return shell_->ReadClassesRootDefault(keyName, value);
}

void THTLabel::CopyCaption() {
  QGuiApplication::clipboard()->setText(text());
}
