// The application object on Qt: the title, the message pump, termination,
// and the general error handler around every event.
#pragma once

#include <QApplication>
#include <functional>

#include "platform/Services.h"

namespace platform::qt {

class KayoijiApplication : public QApplication, public platform::Application {
  Q_OBJECT
 public:
  KayoijiApplication(int& argc, char** argv);

  std::string Title() const override { return title_; }
  void SetTitle(const std::string& title) override;
  void ProcessMessages() override;
  void Terminate() override;
  void Minimize() override;

  // The general error handler: a failure that ends an event handler is shown
  // in an error box titled with the application title; the program goes on.
  bool notify(QObject* receiver, QEvent* event) override;

  // Runs `work` under the general error handler (creation handlers).
  // Returns false when it failed.
  bool RunHandled(const std::function<void()>& work);

  // The window that shows the title on the task bar and is minimised with
  // the application.
  void SetMainWindow(QWidget* window);

 signals:
  void TitleChanged(const QString& title);

 private:
  std::string title_;
  QWidget* mainWindow_ = nullptr;
};

// Shows the general error box for a failure's message through `boxes`.
void ShowGeneralError(platform::MessageBoxes& boxes, const std::string& appTitle,
                      const std::string& message);

// Runs `work` under the general error handler of `services`: a failure is
// shown in the error box titled with the application title. Returns false
// when it failed.
bool RunHandled(platform::Services& services, const std::function<void()>& work);

}  // namespace platform::qt
