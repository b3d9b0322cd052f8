#include "platform/qt/MessageBoxes.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>

namespace platform::qt {

namespace {

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

}  // namespace

std::unique_ptr<QMessageBox> MakeMessageBox(const platform::Box& box) {
  auto mb = std::make_unique<QMessageBox>();
  mb->setIcon(box.Kind == platform::BoxKind::Error ? QMessageBox::Critical
                                                   : QMessageBox::Information);
  mb->setWindowTitle(QString::fromStdString(box.Title));
  mb->setText(QString::fromStdString(box.Text));
  QPushButton* ok = mb->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
  if (box.Buttons == platform::BoxButtons::OkCancel) {
    QPushButton* cancel = mb->addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
    mb->setEscapeButton(cancel);
  } else {
    mb->setEscapeButton(ok);
  }
  mb->setDefaultButton(ok);
  Place(*mb);
  return mb;
}

platform::BoxAnswer QtMessageBoxes::Show(const platform::Box& box) {
  const std::unique_ptr<QMessageBox> mb = MakeMessageBox(box);
  // The nested loop also ends when the program is told to end.
  QEventLoop loop;
  QObject::connect(mb.get(), &QDialog::finished, &loop, &QEventLoop::quit);
  mb->show();
  loop.exec();
  QAbstractButton* clicked = mb->clickedButton();
  return clicked != nullptr && mb->buttonRole(clicked) == QMessageBox::AcceptRole
             ? platform::BoxAnswer::Ok
             : platform::BoxAnswer::Cancel;
}

}  // namespace platform::qt
