// The application object on Qt: the title, the message pump, termination,
// and the general error handler with the guard every handler runs under.
#pragma once

#include <QApplication>
#include <functional>
#include <utility>

#include "platform/Services.h"

namespace platform::qt {

class KayoijiApplication : public QApplication, public platform::Application {
  Q_OBJECT
 public:
  // `services` is the program's record; its message boxes and this object's
  // title serve the general error handler.
  KayoijiApplication(int& argc, char** argv, platform::Services& services);

  std::string Title() const override { return title_; }
  void SetTitle(const std::string& title) override;
  void ProcessMessages() override;
  void Terminate() override;
  void Minimize() override;

  // The last line of the general error handler: an event handler of the
  // toolkit's own (paint, show, a key) that fails is caught here.
  bool notify(QObject* receiver, QEvent* event) override;

  // The window that shows the title on the task bar and is minimised with
  // the application.
  void SetMainWindow(QWidget* window);

 signals:
  void TitleChanged(const QString& title);

 private:
  platform::Services& services_;
  std::string title_;
  QWidget* mainWindow_ = nullptr;
};

// Runs `work` under the general error handler of `services`: a failure is
// shown in the error box titled with the application title, and the
// program goes on. Returns false when it failed.
bool RunHandled(platform::Services& services, const std::function<void()>& work);

// The guard every window handler is connected through: the slot runs
// `handler` under the general error handler, so that a failure ends only
// that handler and never unwinds through the toolkit's signal dispatch.
template <class Handler>
auto Guarded(platform::Services& services, Handler handler) {
  return [&services, handler = std::move(handler)] { RunHandled(services, handler); };
}

// Connects a window's handler methods to their controls' signals through
// the guard; each connection ends with the window.
template <class Window>
class HandlerConnector {
 public:
  HandlerConnector(platform::Services& services, Window* window)
      : services_(services), window_(window) {}

  template <class Sender, class Signal>
  QMetaObject::Connection operator()(Sender* sender, Signal signal,
                                     void (Window::*handler)()) const {
    Window* window = window_;
    return QObject::connect(sender, signal, window,
                            Guarded(services_, [window, handler] { (window->*handler)(); }));
  }

 private:
  platform::Services& services_;
  Window* window_;
};

}  // namespace platform::qt
