#include "mainwindow/Unit1.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include "mainwindow/FormRgn.h"
#include "mainwindow/fileIN.h"
#include "platform/Codec.h"
#include "platform/qt/Application.h"

namespace {

const QColor kAqua(0, 255, 255);
const char* const kUiFont = "ＭＳ Ｐゴシック";
const char* const kIgnoreErrors = "エラーを無視する。";

QFont UiFont(int pixelSize, bool bold) {
  QFont font(QString::fromUtf8(kUiFont));
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

void MakeAqua(QWidget* w) {
  QPalette pal = w->palette();
  pal.setColor(QPalette::WindowText, kAqua);
  pal.setColor(QPalette::ButtonText, kAqua);
  pal.setColor(QPalette::Text, kAqua);
  w->setPalette(pal);
}

// A flat button that shows only its caption over the picture and a raised
// frame while the mouse is over it. It paints itself: the style's margins
// would leave no room for a caption in the 13 x 10 buttons. The caption sits
// where the font puts it within its centred line, so "＿" stays at the foot
// of the button ("ー" would read otherwise); only ink that would fall outside
// the button is pulled back in.
class CaptionButton : public QToolButton {
 public:
  using QToolButton::QToolButton;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const QRect r = rect();
    if (underMouse() && isEnabled()) {
      const bool down = isDown();
      painter.setPen(down ? palette().color(QPalette::Dark) : palette().color(QPalette::Light));
      painter.drawLine(r.topLeft(), r.topRight());
      painter.drawLine(r.topLeft(), r.bottomLeft());
      painter.setPen(down ? palette().color(QPalette::Light) : palette().color(QPalette::Dark));
      painter.drawLine(r.bottomLeft(), r.bottomRight());
      painter.drawLine(r.topRight(), r.bottomRight());
    }
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::ButtonText));
    const QPoint shift = isDown() ? QPoint(1, 1) : QPoint(0, 0);
    painter.drawText(CaptionOrigin(r, QFontMetrics(font()), text()) + shift, text());
  }
};

}  // namespace

QPoint CaptionOrigin(const QRect& button, const QFontMetrics& metrics, const QString& caption) {
  const QRect ink = metrics.tightBoundingRect(caption);
  const int x = button.left() + (button.width() - metrics.horizontalAdvance(caption)) / 2;
  int baseline = button.top() + (button.height() - metrics.height()) / 2 + metrics.ascent();
  if (baseline + ink.bottom() > button.bottom()) baseline = button.bottom() - ink.bottom();
  if (baseline + ink.top() < button.top()) baseline = button.top() - ink.top();
  return {x, baseline};
}

namespace {

// Every control is named where it is made, with its name in the design:
// tests and the window probe reach it by that name.
QToolButton* FlatButton(QWidget* parent, const char* name, const char* caption, QRect geometry,
                        QFont font) {
  auto* b = new CaptionButton(parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setText(QString::fromUtf8(caption));
  b->setAutoRaise(true);
  b->setFocusPolicy(Qt::NoFocus);
  b->setGeometry(geometry);
  b->setFont(font);
  b->setAttribute(Qt::WA_TranslucentBackground);
  b->setAttribute(Qt::WA_Hover);
  MakeAqua(b);
  return b;
}

// A transparent label that grows to the right to fit its text.
QLabel* OverlayLabel(QWidget* parent, const char* name, const char* text, QPoint at, QSize size,
                     QFont font) {
  auto* l = new QLabel(QString::fromUtf8(text), parent);
  l->setObjectName(QString::fromLatin1(name));
  l->setFont(font);
  l->setGeometry(QRect(at, size));
  l->setAttribute(Qt::WA_TranslucentBackground);
  MakeAqua(l);
  return l;
}

}  // namespace

// A Qt timer as the run drives it: enabling an enabled timer must not
// restart its interval.
class TfrmMain::TimerControl : public Connection::RunTimer {
 public:
  explicit TimerControl(QTimer* t) : timer_(t) {}
  bool Enabled() const override { return timer_->isActive(); }
  void SetEnabled(bool enabled) override {
    if (enabled && !timer_->isActive()) timer_->start();
    if (!enabled) timer_->stop();
  }
  void SetInterval(std::uint32_t ms) override { timer_->setInterval(static_cast<int>(ms)); }

 private:
  QTimer* timer_;
};

TfrmMain::TfrmMain(DefUnit::RunningSettings& settings, platform::Services& services,
                   QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      settings_(settings),
      services_(services) {
  setObjectName("frmMain");
  setWindowTitle(QStringLiteral("Kayoiji"));
  resize(528, 132);
  // The top-left corner of the screen; a window manager would otherwise
  // choose a place of its own.
  move(0, 0);
  setFont(UiFont(16, false));
  setBackgroundRole(QPalette::Light);
  setAutoFillBackground(true);

  // The run counts whole seconds: a coarse timer may fire up to 5% early,
  // and a tick or an exit that comes early is seen.
  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setTimerType(Qt::PreciseTimer);
  Timer1->setInterval(1000);
  Timer2 = new QTimer(this);
  Timer2->setObjectName("Timer2");
  Timer2->setTimerType(Qt::PreciseTimer);
  Timer2->setInterval(5000);
  anmTimer = new QTimer(this);
  anmTimer->setObjectName("anmTimer");
  anmTimer->setInterval(200);

  // Creation order is drawing order: the picture lowest.
  RgnMain = new TFormRgn(this);
  RgnMain->setObjectName("RgnMain");
  fileIN1 = new TfileIN(this);
  fileIN1->setObjectName("fileIN1");
  ReadShapeLayout(RgnMain, fileIN1);

  sbtConfig = FlatButton(this, "sbtConfig", "設定", QRect(228, 87, 65, 22), UiFont(16, false));
  sbtCNTNow = FlatButton(this, "sbtCNTNow", "接続", QRect(304, 87, 65, 22), UiFont(16, false));
  lblState = OverlayLabel(this, "lblState", "待機中", {80, 36}, {51, 16}, UiFont(16, true));
  lblPath = OverlayLabel(this, "lblPath", "", {60, 16}, {6, 16}, UiFont(16, true));
  Label1 = OverlayLabel(this, "Label1", kIgnoreErrors, {108, 72}, {128, 16}, UiFont(16, false));
  btnClose = FlatButton(this, "btnClose", "×", QRect(360, 27, 13, 10), UiFont(11, true));
  btnSmall = FlatButton(this, "btnSmall", "＿", QRect(348, 27, 13, 10), UiFont(11, true));

  // Only the tick box shows: its caption is Label1's text, cut off here.
  chkNOErr = new QCheckBox(QString::fromUtf8(kIgnoreErrors), this);
  chkNOErr->setObjectName("chkNOErr");
  chkNOErr->setGeometry(88, 72, 13, 14);
  chkNOErr->setFont(UiFont(13, false));
  chkNOErr->setFocus();

  timer1Control_ = std::make_unique<TimerControl>(Timer1);
  timer2Control_ = std::make_unique<TimerControl>(Timer2);
  run_ = std::make_unique<Connection::ConnectionRun>(settings_, services_, *this, *timer1Control_,
                                                     *timer2Control_);

  const platform::qt::HandlerConnector on(services_, this);
  on(Timer1, &QTimer::timeout, &TfrmMain::Timer1Timer);
  on(Timer2, &QTimer::timeout, &TfrmMain::Timer2Timer);
  on(anmTimer, &QTimer::timeout, &TfrmMain::anmTimerTimer);
  on(sbtConfig, &QToolButton::clicked, &TfrmMain::sbtConfigClick);
  on(sbtCNTNow, &QToolButton::clicked, &TfrmMain::sbtCNTNowClick);
  on(btnClose, &QToolButton::clicked, &TfrmMain::btnCloseClick);
  on(btnSmall, &QToolButton::clicked, &TfrmMain::btnSmallClick);
  anmTimer->start();
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::FormCreate() {
  settings_.HoldShiftKey = Connection::DecideHoldShiftKey(services_.Os);
  DefUnit::LoadSettings(settings_, services_.CommandLine, *services_.Boxes);
  // The box comes before the run is started: no attempt is made while it
  // waits. The line then stands in the state label until the first attempt.
  const std::string hidden = Connection::DrivesHiddenWarning(services_.Os);
  if (!hidden.empty() && !settings_.NoErrorDialog) {
    services_.Boxes->Show(platform::ErrorBox(hidden));
  }
  run_->Prepare();
  // The label has room for the first sentence only (the window's shape cuts
  // the rest); the box and the watcher's log carry the whole warning.
  if (!hidden.empty()) SetStateText(hidden.substr(0, hidden.find("。") + std::string("。").size()));
  ShapeWindow();
}

// A failure to shape ends the set-up here: the window stays unshaped, not
// minimised, and the title keeps "Kayoiji".
void TfrmMain::ShapeWindow() {
  ShapeMainWindow(this, RgnMain, fileIN1);
  if (settings_.SmallStart) setWindowState(windowState() | Qt::WindowMinimized);
  services_.App->SetTitle(Connection::TitleAtRest);
}

bool TfrmMain::NoErrorTicked() const {
  return chkNOErr->isChecked();
}

void TfrmMain::SetNoErrorTicked(bool ticked) {
  chkNOErr->setChecked(ticked);
}

void TfrmMain::SetStateText(const std::string& utf8) {
  lblState->setText(QString::fromStdString(utf8));
  lblState->adjustSize();
}

void TfrmMain::SetPathText(const std::string& sjis) {
  lblPath->setText(QString::fromStdString(platform::SjisToUtf8(sjis)));
  lblPath->adjustSize();
}

void TfrmMain::Timer1Timer() {
  run_->Tick();
}

void TfrmMain::Timer2Timer() {
  run_->ExitTimerFired();
}

void TfrmMain::sbtCNTNowClick() {
  run_->ConnectNow();
}

void TfrmMain::sbtConfigClick() {
  if (pause_.SettingsOpen) {
    if (frmCNF != nullptr && frmCNF->isVisible()) {
      // Minimised or behind another window: the run waits for it, so the
      // user gets it back here.
      frmCNF->setWindowState((frmCNF->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
      frmCNF->raise();
      frmCNF->activateWindow();
      return;
    }
    // Hidden since the last check: resume, then open it anew.
    anmTimerTimer();
  }
  pause_.SavedTimer1Enabled = Timer1->isActive();
  pause_.SavedTimer2Enabled = Timer2->isActive();
  Timer1->stop();
  Timer2->stop();
  if (frmCNF != nullptr) frmCNF->show();
  pause_.SettingsOpen = true;
}

void TfrmMain::anmTimerTimer() {
  if (!pause_.SettingsOpen) return;
  if (frmCNF != nullptr && frmCNF->isVisible()) return;
  // A timer enabled again starts its interval afresh.
  timer1Control_->SetEnabled(pause_.SavedTimer1Enabled);
  timer2Control_->SetEnabled(pause_.SavedTimer2Enabled);
  pause_.SettingsOpen = false;
}

void TfrmMain::btnSmallClick() {
  services_.App->Minimize();
}

// The program ends at once, also in the middle of a pass that waits in a
// box: no further entry is attempted.
void TfrmMain::btnCloseClick() {
  run_->Abandon();
  services_.App->Terminate();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  run_->Abandon();
  services_.App->Terminate();
  event->accept();
}

// A press on a label, a button or the check box reaches the window too when
// the control ignores it; only a press on the picture itself moves it.
void TfrmMain::mousePressEvent(QMouseEvent* event) {
  QWidget* under = childAt(event->position().toPoint());
  if (under == nullptr || under == RgnMain) {
    FormMouseDown(event);
  } else {
    QWidget::mousePressEvent(event);
  }
}

void TfrmMain::FormMouseDown(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) return;
  QWindow* handle = windowHandle();
  if (handle != nullptr && handle->startSystemMove()) return;
  manualMove_ = true;
  moveOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void TfrmMain::mouseMoveEvent(QMouseEvent* event) {
  if (manualMove_ && (event->buttons() & Qt::LeftButton)) {
    move(event->globalPosition().toPoint() - moveOffset_);
  }
}

void TfrmMain::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) manualMove_ = false;
}
