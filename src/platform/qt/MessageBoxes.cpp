#include "platform/qt/MessageBoxes.h"

#include <QMessageBox>
#include <QPushButton>
#include <functional>

namespace platform::qt {

namespace {
struct TestHook {
  bool enabled = false;
  std::deque<platform::BoxAnswer> answers;
  std::vector<platform::Box> recorded;
  std::function<void()> whileOpen;
};
TestHook& Hook() {
  static TestHook hook;
  return hook;
}
}  // namespace

platform::BoxAnswer QtMessageBoxes::Show(const platform::Box& box) {
  TestHook& hook = Hook();
  if (hook.enabled) {
    hook.recorded.push_back(box);
    if (hook.whileOpen) hook.whileOpen();
    if (hook.answers.empty()) return platform::BoxAnswer::Ok;
    const platform::BoxAnswer answer = hook.answers.front();
    hook.answers.pop_front();
    return answer;
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
  mb.exec();
  return mb.clickedButton() == ok ? platform::BoxAnswer::Ok : platform::BoxAnswer::Cancel;
}

void QtMessageBoxes::EnableTestMode() {
  Hook().enabled = true;
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
}

}  // namespace platform::qt
