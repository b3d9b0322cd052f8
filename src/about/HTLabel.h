// A label whose caption is a link: a web address starting "http://", or else
// a mail address. It shows the browser's link colours, reacts to the mouse,
// opens the link when clicked and has a menu to open it or copy it.
#pragma once

#include <QLabel>
#include <cstdint>
#include <string>

#include "platform/LinkShell.h"
#include "platform/Services.h"

class QAction;
class QColor;
class QMenu;

class THTLabel : public QLabel {
  Q_OBJECT
 public:
  // `shell` gives the link settings and opens links; null means the
  // platform's own. Reads the link settings (the last label created wins).
  // A click that fails is shown through `services`' general error handler.
  THTLabel(QWidget* owner, platform::Services& services, about::LinkShell* shell = nullptr);

  // "red,green,blue" as a platform colour value: 0x02000000 | red |
  // green << 8 | blue << 16, the components taken as they are (not cut to
  // 8 bits). Throws platform::EConvertError for a component that is not an
  // integer; a missing comma leaves an empty component.
  static std::uint32_t ParseColorText(const std::string& text);
  // The colour a platform colour value stands for.
  static QColor ToQColor(std::uint32_t color);

  // The link settings every label uses.
  static const about::LinkSettings& LinkSettings();
  // Reads the link settings through this label's shell.
  void ReadLinkColors();

  // Colour and underline for the hover state; runs before every paint.
  void Paint();
  // The visited colour, the `clicked` signal, then the link opens: as a web
  // address when the caption starts with exactly "http://", else as mail.
  void Click();
  void OpenLink(const std::string& target, bool isMail);
  bool ReadClassesRootDefault(const std::string& keyName, std::string& value);
  // The caption onto the clipboard.
  void CopyCaption();

  bool MouseInControl() const { return hover_; }
  // The font colour as a platform colour value (0 until one is set).
  std::uint32_t FontColor() const { return fontColor_; }
  void SetFontColor(std::uint32_t color);

  QMenu* PopupMenu() const { return menu_; }
  QAction* OpenItem() const { return openItem_; }
  QAction* CopyItem() const { return copyItem_; }

 signals:
  // The label's click event: after the visited colour, before the link opens.
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  platform::Services& services_;
  about::LinkShell* shell_;
  QMenu* menu_ = nullptr;
  QAction* openItem_ = nullptr;
  QAction* copyItem_ = nullptr;
  bool hover_ = false;
  bool leftPressed_ = false;
  std::uint32_t fontColor_ = 0;
};
