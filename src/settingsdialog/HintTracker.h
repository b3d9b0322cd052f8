// The application's current hint: the hint of the control under the mouse
// pointer, or of its nearest enclosing control that has one, and the empty
// text elsewhere (other controls, other windows, outside the program).
// Hints are shown only in a status line, never as pop-ups, so they are kept
// in a property of their own rather than in the tool tip.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

namespace Unit2 {

class HintTracker : public QObject {
  Q_OBJECT
 public:
  explicit HintTracker(QObject* parent = nullptr);

  static void SetHint(QWidget* widget, const QString& hint);
  // The hint of `widget` or of its nearest ancestor with one.
  static QString HintFor(const QWidget* widget);

  QString Current() const { return current_; }

  bool eventFilter(QObject* watched, QEvent* event) override;

 signals:
  void HintChanged(const QString& hint);

 private:
  void Point(QWidget* widget);

  QPointer<QWidget> underPointer_;
  QString current_;
};

}  // namespace Unit2
