// The main window.
#pragma once

#include <QWidget>

class QLabel;

class TfrmMain : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmMain(QWidget* parent = nullptr);

  // The start-up work of the window's creation.
  void FormCreate();

  QLabel* lblState = nullptr;
};
