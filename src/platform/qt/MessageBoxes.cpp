#include "platform/qt/MessageBoxes.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>
#include <functional>

namespace platform::qt {

namespace {
struct TestHook {
  bool enabled = false;
  bool showBoxes = false;
  std::deque<platform::BoxAnswer> answers;
  std::vector<platform::Box> recorded;
  std::function<void()> whileOpen;
};
TestHook& Hook() {
  static TestHook hook;
  return hook;
}

// A box waits for its own answer but does not freeze the program's other
// windows: the main window keeps its buttons and its dragging while a
// connection's error box is open (its "×" ends the program whatever the
// box waits for). Only a dialog that asked is held: its box is modal to it
// and centred on it. Any other box stands on its own, centred on the
// screen, clear of the small main window in its corner.
void Place(QMessageBox& mb) {
  QWidget* owner = QApplication::activeWindow();
  if (owner != nullptr && owner->windowType() == Qt::Dialog) {
    mb.setParent(owner, mb.windowFlags());
    mb.setWindowModality(Qt::WindowModal);
  } else {
    mb.setWindowModality(Qt::NonModal);
  }
}

// A test's answer: the next queued one, OK when none is queued.
platform::BoxAnswer NextAnswer(TestHook& hook) {
  if (hook.answers.empty()) return platform::BoxAnswer::Ok;
  const platform::BoxAnswer answer = hook.answers.front();
  hook.answers.pop_front();
  return answer;
}
}  // namespace

platform::BoxAnswer QtMessageBoxes::Show(const platform::Box& box) {
  TestHook& hook = Hook();
  if (hook.enabled && !hook.showBoxes) {
    hook.recorded.push_back(box);
    if (hook.whileOpen) hook.whileOpen();
    return NextAnswer(hook);
  }

  QMessageBox mb;
  mb.setIcon(box.Kind == platform::BoxKind::Error ? QMessageBox::Critical
                                                  : QMessageBox::Information);
  mb.setWindowTitle(QString::fromStdString(box.Title));
  mb.setText(QString::fromStdString(box.Text));
  QPushButton* ok = mb.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
  if (box.Buttons == platform::BoxButtons::OkCancel) {
    QPushButton* cancel = mb.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
    mb.setEscapeButton(cancel);
  } else {
    mb.setEscapeButton(ok);
  }
  mb.setDefaultButton(ok);
  Place(mb);

  if (hook.enabled) {
    // Shown for real, answered by the test while it stands open.
    hook.recorded.push_back(box);
    mb.show();
    if (hook.whileOpen) hook.whileOpen();
    mb.done(0);
    return NextAnswer(hook);
  }

  // The nested loop also ends when the program is told to end.
  QEventLoop loop;
  QObject::connect(&mb, &QDialog::finished, &loop, &QEventLoop::quit);
  mb.show();
  loop.exec();
  return mb.clickedButton() == ok ? platform::BoxAnswer::Ok : platform::BoxAnswer::Cancel;
}

void QtMessageBoxes::EnableTestMode() {
  Hook().enabled = true;
}
void QtMessageBoxes::ShowBoxesInTests(bool show) {
  Hook().showBoxes = show;
}
void QtMessageBoxes::QueueAnswer(platform::BoxAnswer answer) {
  Hook().answers.push_back(answer);
}
void QtMessageBoxes::SetWhileOpen(std::function<void()> action) {
  Hook().whileOpen = std::move(action);
}
std::vector<platform::Box>& QtMessageBoxes::Recorded() {
  return Hook().recorded;
}
void QtMessageBoxes::ClearRecorded() {
  Hook().recorded.clear();
  Hook().answers.clear();
  Hook().whileOpen = nullptr;
  Hook().showBoxes = false;
}

}  // namespace platform::qt
