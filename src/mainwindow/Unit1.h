// The main window: a small borderless window cut to its picture, showing
// the connection run's state; it owns the run's three timers.
#pragma once

#include <QWidget>
#include <memory>

#include "connect/ConnectUnit.h"
#include "platform/Services.h"
#include "settings/DefUnit.h"

class QCheckBox;
class TFormRgn;
class TfileIN;
class QLabel;
class QTimer;
class QToolButton;
class QMouseEvent;
class QFontMetrics;

// Where a flat button's caption is drawn (its baseline origin): its line
// centred in the button, moved only as far as keeps its ink inside.
QPoint CaptionOrigin(const QRect& button, const QFontMetrics& metrics, const QString& caption);

class TfrmMain : public QWidget, public Connection::MainView {
  Q_OBJECT
 public:
  TfrmMain(DefUnit::RunningSettings& settings, platform::Services& services,
           QWidget* parent = nullptr);
  ~TfrmMain() override;

  // The creation handler: reads the configuration, prepares the run and
  // shapes the window. The program's start runs it under the general error
  // handler.
  void FormCreate();
  // The settings dialog "設定" shows.
  void SetSettingsDialog(QWidget* dialog) { frmCNF = dialog; }

  // Connection::MainView
  bool NoErrorTicked() const override;
  void SetNoErrorTicked(bool ticked) override;
  void SetStateText(const std::string& utf8) override;
  void SetPathText(const std::string& sjis) override;

  // The run's pause while the settings dialog is open.
  struct SettingsPause {
    bool SettingsOpen = false;
    bool SavedTimer1Enabled = false;
    bool SavedTimer2Enabled = false;
  };
  const SettingsPause& Pause() const { return pause_; }
  // True while the window follows the mouse by hand (no system move).
  bool Moving() const { return manualMove_; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

  // The handlers, reached through their controls' and timers' signals.
 private:
  void Timer1Timer();
  void Timer2Timer();
  void sbtCNTNowClick();
  void sbtConfigClick();
  void anmTimerTimer();
  void btnSmallClick();
  void btnCloseClick();

  void FormMouseDown(QMouseEvent* event);
  void ShapeWindow();

  QWidget* frmCNF = nullptr;
  QTimer* Timer1 = nullptr;
  QTimer* Timer2 = nullptr;
  QCheckBox* chkNOErr = nullptr;
  QToolButton* sbtConfig = nullptr;
  QToolButton* sbtCNTNow = nullptr;
  QLabel* lblState = nullptr;
  QLabel* lblPath = nullptr;
  QLabel* Label1 = nullptr;
  QTimer* anmTimer = nullptr;
  QToolButton* btnClose = nullptr;
  QToolButton* btnSmall = nullptr;
  TfileIN* fileIN1 = nullptr;
  TFormRgn* RgnMain = nullptr;

  class TimerControl;
  DefUnit::RunningSettings& settings_;
  platform::Services& services_;
  SettingsPause pause_;
  std::unique_ptr<TimerControl> timer1Control_;
  std::unique_ptr<TimerControl> timer2Control_;
  std::unique_ptr<Connection::ConnectionRun> run_;
  // Moving by hand where the window system cannot move the window itself.
  bool manualMove_ = false;
  QPoint moveOffset_;
};
