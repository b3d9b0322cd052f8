#include "platform/qt/Application.h"

#include <QWidget>
#include <exception>

#include "platform/Errors.h"

namespace platform::qt {

KayoijiApplication::KayoijiApplication(int& argc, char** argv, platform::Services& services)
    : QApplication(argc, argv), services_(services) {}

void KayoijiApplication::SetTitle(const std::string& title) {
  title_ = title;
  const QString text = QString::fromStdString(title);
  if (mainWindow_ != nullptr) mainWindow_->setWindowTitle(text);
  emit TitleChanged(text);
}

void KayoijiApplication::ProcessMessages() {
  QCoreApplication::processEvents();
}

void KayoijiApplication::Terminate() {
  QCoreApplication::quit();
}

void KayoijiApplication::Minimize() {
  if (mainWindow_ != nullptr) mainWindow_->showMinimized();
}

void KayoijiApplication::SetMainWindow(QWidget* window) {
  mainWindow_ = window;
  if (window != nullptr) window->setWindowTitle(QString::fromStdString(title_));
}

namespace {
void ShowGeneralError(platform::MessageBoxes& boxes, const std::string& appTitle,
                      const std::string& message) {
  platform::Box box;
  box.Kind = platform::BoxKind::Error;
  box.Title = appTitle;
  box.Text = platform::ErrorBoxText(message);
  box.Buttons = platform::BoxButtons::Ok;
  boxes.Show(box);
}
}  // namespace

bool RunHandled(platform::Services& services, const std::function<void()>& work) {
  try {
    work();
    return true;
  } catch (const std::exception& e) {
    if (services.Boxes != nullptr) {
      const std::string title = services.App != nullptr ? services.App->Title() : std::string();
      ShowGeneralError(*services.Boxes, title, platform::UserMessage(e));
    }
    return false;
  }
}

bool KayoijiApplication::notify(QObject* receiver, QEvent* event) {
  bool handled = false;
  RunHandled(services_, [&] { handled = QApplication::notify(receiver, event); });
  return handled;
}

}  // namespace platform::qt
