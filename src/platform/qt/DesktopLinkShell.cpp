// Links on a desktop without a registry: the link settings keep their
// defaults and the desktop's URL handlers open web and mail addresses.
#include <QDesktopServices>
#include <QString>
#include <QUrl>

#include "platform/LinkShell.h"

namespace about {

namespace {

class DesktopLinkShell final : public LinkShell {
 public:
  LinkSettings ReadLinkColors() override { return {}; }

  bool ReadClassesRootDefault(const std::string&, std::string& value) override {
    value.clear();
    return false;
  }

  void OpenLink(const std::string& target, bool isMail) override {
    const QString text = QString::fromStdString(target);
    // The handler's outcome is not reported, as when no program is registered.
    QDesktopServices::openUrl(isMail ? QUrl(QStringLiteral("mailto:") + text) : QUrl(text));
  }
};

}  // namespace

LinkShell& PlatformLinkShell() {
  static DesktopLinkShell shell;
  return shell;
}

}  // namespace about
