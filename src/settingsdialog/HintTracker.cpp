#include "settingsdialog/HintTracker.h"

#include <QEvent>
#include <QVariant>
#include <QWidget>

namespace Unit2 {

namespace {
constexpr char kHintProperty[] = "kayoijiHint";
}

HintTracker::HintTracker(QObject* parent) : QObject(parent) {}

void HintTracker::SetHint(QWidget* widget, const QString& hint) {
  widget->setProperty(kHintProperty, hint);
}

QString HintTracker::HintFor(const QWidget* widget) {
  for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
    const QString hint = w->property(kHintProperty).toString();
    if (!hint.isEmpty()) return hint;
  }
  return QString();
}

// The toolkit sends Leave to each widget the pointer leaves, innermost
// first, and Enter to each it enters, outermost first. So after the last
// event of a move the pointer is over the widget that was entered, or over
// the parent of the widget that was left; leaving a window leaves the program.
bool HintTracker::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Enter:
      if (watched->isWidgetType()) Point(static_cast<QWidget*>(watched));
      break;
    case QEvent::Leave:
      if (watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        Point(w->isWindow() ? nullptr : w->parentWidget());
      }
      break;
    case QEvent::Hide:
      // A window hidden under the pointer may never report the pointer leaving.
      if (watched->isWidgetType() && underPointer_ != nullptr) {
        auto* w = static_cast<QWidget*>(watched);
        if (w->isWindow() && (w == underPointer_ || w->isAncestorOf(underPointer_))) {
          Point(nullptr);
        }
      }
      break;
    default:
      break;
  }
  return false;
}

void HintTracker::Point(QWidget* widget) {
  underPointer_ = widget;
  const QString hint = HintFor(widget);
  if (hint == current_) return;
  current_ = hint;
  emit HintChanged(current_);
}

}  // namespace Unit2
