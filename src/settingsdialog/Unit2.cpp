#include "settingsdialog/Unit2.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <algorithm>
#include <exception>
#include <optional>

#include "connect/ConnectUnit.h"
#include "platform/Codec.h"
#include "platform/qt/Application.h"
#include "settingsdialog/DialogRules.h"
#include "settingsdialog/HintTracker.h"
#include "settingsdialog/NetFolder.h"

namespace {

constexpr int kClientWidth = 626;
constexpr int kClientHeight = 302;
constexpr int kFontPixels = 16;
constexpr int kVersionFontPixels = 13;
constexpr int kDefaultDrive = 25;  // "Z"

QString FromSjis(const DefUnit::TextField& field) {
  return QString::fromStdString(platform::SjisToUtf8(DefUnit::FieldText(field)));
}

std::string ToSjis(const QString& text) {
  return platform::Utf8ToSjis(text.toStdString());
}

// File names are the system's own bytes, not settings text.
std::string ToPath(const QString& text) {
  return QFile::encodeName(text).toStdString();
}

// Every control is named where it is made, with its name in the design:
// tests and the window probe reach it by that name.
template <class Control>
Control* Place(Control* control, const char* name, int left, int top, int width, int height) {
  control->setObjectName(QString::fromLatin1(name));
  control->setGeometry(left, top, width, height);
  return control;
}

QLabel* MakeLabel(QWidget* parent, const char* name, int left, int top, int width, int height,
                  const QString& caption) {
  auto* label = Place(new QLabel(caption, parent), name, left, top, width, height);
  // Labels size themselves to their text, as the font draws it.
  label->adjustSize();
  return label;
}

// The password field hides each character behind "*", as the original
// dialog did, whatever the platform's style draws by default. A proxy of the
// program's own style rather than a style sheet: the Windows build has no
// style sheets.
class PasswordStyle : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returned) const override {
    if (hint == SH_LineEdit_PasswordCharacter) return '*';
    return QProxyStyle::styleHint(hint, option, widget, returned);
  }
};

QLineEdit* MakeEdit(QWidget* parent, const char* name, int left, int top, int width, int height) {
  return Place(new QLineEdit(parent), name, left, top, width, height);
}

QPushButton* MakeButton(QWidget* parent, const char* name, int left, int top, int width, int height,
                        const char* caption) {
  auto* button =
      Place(new QPushButton(QString::fromUtf8(caption), parent), name, left, top, width, height);
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

QCheckBox* MakeCheck(QWidget* parent, const char* name, int left, int top, int width, int height,
                     const char* caption) {
  return Place(new QCheckBox(QString::fromUtf8(caption), parent), name, left, top, width, height);
}

// An editable combo box with a fixed list: typed text stays exactly as
// typed (no completion) and is never added to the list.
QComboBox* MakeCombo(QWidget* parent, const char* name, int left, int top, int width, int height,
                     const QStringList& items) {
  auto* combo = new QComboBox(parent);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setCompleter(nullptr);
  combo->addItems(items);
  return Place(combo, name, left, top, width, height);
}

// Selects item `index` (none for -1) and shows its text, also when the
// item was already selected but its text had been edited.
void SelectItem(QComboBox* combo, int index) {
  if (index < 0 || index >= combo->count()) {
    combo->setCurrentIndex(-1);
    combo->setEditText(QString());
    return;
  }
  combo->setCurrentIndex(index);
  if (combo->currentText() != combo->itemText(index)) combo->setEditText(combo->itemText(index));
}

void SetHint(QWidget* widget, const char* hint) {
  Unit2::HintTracker::SetHint(widget, QString::fromUtf8(hint));
}

}  // namespace

TfrmCNF::TfrmCNF(DefUnit::RunningSettings& running, platform::Services& services, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      running_(running),
      services_(services) {
  CreateControls();
  ConnectHandlers();
  FormCreate();
}

// Each text field of an entry: the caption of its box (which also names it
// in a refusal), where the working copy keeps it, and its box.
const std::array<TfrmCNF::FieldRow, 4>& TfrmCNF::Rows() {
  static const std::array<FieldRow, 4> rows{{
      {Field::NetPath, "接続先", &DefUnit::ConnectionSettings::NetPath,
       [](const TfrmCNF& d) -> QWidget* { return d.txtNetPath; }},
      {Field::LocalDrive, "ローカルドライブ", &DefUnit::ConnectionSettings::LocalDrive,
       [](const TfrmCNF& d) -> QWidget* { return d.cmbDrive; }},
      {Field::UserName, "ユーザー名", &DefUnit::ConnectionSettings::UserName,
       [](const TfrmCNF& d) -> QWidget* { return d.txtUserName; }},
      {Field::UserPasswd, "パスワード", &DefUnit::ConnectionSettings::UserPasswd,
       [](const TfrmCNF& d) -> QWidget* { return d.txtPassWD; }},
  }};
  return rows;
}

const TfrmCNF::FieldRow& TfrmCNF::Row(Field field) {
  return Rows()[static_cast<std::size_t>(field)];
}

void TfrmCNF::CreateControls() {
  setWindowTitle(QStringLiteral("設定"));
  setFixedSize(kClientWidth, kClientHeight);
  QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
  font.setPixelSize(kFontPixels);
  setFont(font);
  // In creation order, which is also the order they are drawn in.
  CreateFileAndOptionControls();
  CreateEntryControls();
  CreateCommandControls(font);

  // The text boxes never hold more than a settings field takes; the drive
  // box leaves room for the ":" that is stored after it.
  for (QLineEdit* edit : {txtNetPath, txtUserName, txtPassWD}) {
    edit->setValidator(new Unit2::SjisLimitValidator(DefUnit::MaxFieldText, edit));
  }
  cmbDrive->setValidator(new Unit2::SjisLimitValidator(DefUnit::MaxFieldText - 1, cmbDrive));

  QWidget* order[] = {fileName,   autoStart,   smallStart, errorDialogShow, txtEndSecond,
                      btnCnfFile, txtNetPath,  cmbDrive,   txtUserName,     txtPassWD,
                      txtSecond,  txtMaxError, btnNet,     btnTest,         btnSave,
                      btnCancel,  cmbNumber,   btnVersion, passwordStore};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

  dilgNet.Title = QStringLiteral("フォルダの選択");
  dilgNet.FileName = QStringLiteral("dir");
  dilgNet.InitialDir = QStringLiteral("\\");
  dilgCnfFile.Title = QStringLiteral("設定ファイル");
}

// The configuration file's name and the global options.
void TfrmCNF::CreateFileAndOptionControls() {
  Label1 = MakeLabel(this, "Label1", 12, 8, 137, 16, QStringLiteral("設定 ファイルネーム"));
  Label2 = MakeLabel(this, "Label2", 432, 64, 94, 16, QStringLiteral("終了待ち時間"));
  Label3 = MakeLabel(this, "Label3", 596, 64, 16, 16, QStringLiteral("秒"));
  lblHint = Place(new QLabel(this), "lblHint", 16, 248, 589, 17);

  fileName = MakeEdit(this, "fileName", 16, 28, 513, 24);
  SetHint(fileName, "設定ファイルをフルパス指定します。");
  autoStart = MakeCheck(this, "autoStart", 20, 60, 97, 21, "自動実行");
  SetHint(autoStart, "チェックされているとプログラムが起動すると自動的に接続を行います。");
  errorDialogShow = MakeCheck(this, "errorDialogShow", 228, 60, 189, 21, "エラーダイアログ非表示");
  SetHint(errorDialogShow, "チェックされているとエラーが発生してもダイアログを表示しません。");
  smallStart = MakeCheck(this, "smallStart", 120, 60, 109, 21, "最小化実行");
  SetHint(smallStart, "チェックされていると最小化状態で起動します。");
  txtEndSecond = MakeEdit(this, "txtEndSecond", 532, 60, 61, 24);
  SetHint(txtEndSecond,
          "全ての接続試行が終了してからプログラムが終了するまでの時間を秒数で指定します。");
  btnCnfFile = MakeButton(this, "btnCnfFile", 536, 28, 61, 25, "参照");
}

// The selected entry's boxes, in their group.
void TfrmCNF::CreateEntryControls() {
  GroupBox2 =
      Place(new QGroupBox(QStringLiteral("[ 設定項目 ]"), this), "GroupBox2", 12, 92, 601, 145);
  QWidget* g = GroupBox2;
  const auto caption = [](Field field) { return QString::fromUtf8(Row(field).Caption); };
  Label4 = MakeLabel(g, "Label4", 12, 44, 48, 16, caption(Field::NetPath));
  Label5 = MakeLabel(g, "Label5", 12, 76, 109, 16, caption(Field::LocalDrive));
  Label6 = MakeLabel(g, "Label6", 180, 76, 77, 16, caption(Field::UserName));
  Label7 = MakeLabel(g, "Label7", 184, 104, 71, 16, caption(Field::UserPasswd));
  Label8 = MakeLabel(g, "Label8", 436, 76, 62, 16, QStringLiteral("待ち時間"));
  Label9 = MakeLabel(g, "Label9", 573, 76, 16, 16, QStringLiteral("秒"));
  Label10 = MakeLabel(g, "Label10", 573, 104, 16, 16, QStringLiteral("回"));
  Label11 = MakeLabel(g, "Label11", 420, 104, 80, 16, QStringLiteral("再試行回数"));
  txtNetPath = MakeEdit(g, "txtNetPath", 64, 41, 357, 24);
  SetHint(txtNetPath,
          "接続先のパスを指定します。 \\\\(コンピュータ名)\\(共有名) の形で指定します。");
  QStringList drives;
  for (char c = 'A'; c <= 'Z'; ++c) drives << QString(QChar(c));
  // Wider than the 37 and 41 pixels laid out: the toolkit's drop-down
  // button leaves too little room for "W" or "26" at this font size.
  cmbDrive = MakeCombo(g, "cmbDrive", 128, 73, 45, 24, drives);
  cmbDrive->setCurrentIndex(kDefaultDrive);
  SetHint(cmbDrive, "このドライブ名で接続します。");
  txtUserName = MakeEdit(g, "txtUserName", 260, 73, 149, 24);
  SetHint(txtUserName, "接続先でユーザー名が必要無い場合、省略可能です。");
  txtPassWD = MakeEdit(g, "txtPassWD", 260, 101, 149, 24);
  // Owned by the dialog, which outlives the field (a widget never owns its style).
  auto* passwordStyle = new PasswordStyle(QApplication::style()->name());
  passwordStyle->setParent(this);
  txtPassWD->setStyle(passwordStyle);
  txtPassWD->setEchoMode(QLineEdit::Password);
  SetHint(txtPassWD, "接続先でパスワードが必要無い場合、省略可能です。");
  txtSecond = MakeEdit(g, "txtSecond", 504, 73, 65, 24);
  SetHint(txtSecond, "接続を開始するまでの待ち時間を秒数指定します。");
  txtMaxError = MakeEdit(g, "txtMaxError", 504, 101, 65, 24);
  SetHint(txtMaxError, "何らかの原因で接続が失敗した場合に再試行する回数を指定します。");
  btnNet = MakeButton(g, "btnNet", 428, 40, 61, 25, "参照");
  btnTest = MakeButton(g, "btnTest", 16, 108, 93, 25, "接続テスト");
  SetHint(btnTest, "この内容で接続できるかテストします。");
}

// Saving and cancelling, the entry's number above its group, the version
// and the password store; `font` is the dialog's.
void TfrmCNF::CreateCommandControls(const QFont& font) {
  btnSave = MakeButton(this, "btnSave", 516, 272, 85, 25, "保存");
  SetHint(btnSave, "指定した設定ファイルに保存します。ただし、内容のチェックは行いません。");
  btnCancel = MakeButton(this, "btnCancel", 424, 272, 85, 25, "キャンセル");
  QStringList numbers;
  for (int i = 1; i <= DefUnit::MaxEntries; ++i) {
    numbers << QStringLiteral("%1").arg(i, 2, 10, QLatin1Char(' '));
  }
  cmbNumber = MakeCombo(this, "cmbNumber", 108, 89, 50, 24, numbers);
  cmbNumber->setCurrentIndex(0);
  btnVersion = MakeButton(this, "btnVersion", 20, 276, 69, 17, "Version");
  QFont small = font;
  small.setPixelSize(kVersionFontPixels);
  btnVersion->setFont(small);
  // In the free space of the bottom row, between "Version" and the buttons.
  passwordStore = MakeCheck(this, "passwordStore", 120, 274, 280, 21, "パスワードをシステムに保管");
  SetHint(passwordStore, "チェックされているとパスワードをシステムの保管場所に保存します。");
}

void TfrmCNF::ConnectHandlers() {
  // Typing changes the text, picking from the list may change only the
  // selection (when the text already read as the item): both are a change.
  const platform::qt::HandlerConnector on(services_, this);
  on(cmbNumber, &QComboBox::editTextChanged, &TfrmCNF::cmbNumberChange);
  on(cmbNumber, &QComboBox::currentIndexChanged, &TfrmCNF::cmbNumberChange);
  on(btnNet, &QPushButton::clicked, &TfrmCNF::btnNetClick);
  on(btnCnfFile, &QPushButton::clicked, &TfrmCNF::btnCnfFileClick);
  on(btnTest, &QPushButton::clicked, &TfrmCNF::btnTestClick);
  on(txtNetPath, &QLineEdit::textChanged, &TfrmCNF::txtNetPathChange);
  on(cmbDrive, &QComboBox::editTextChanged, &TfrmCNF::cmbDriveChange);
  on(txtUserName, &QLineEdit::textChanged, &TfrmCNF::txtUserNameChange);
  on(txtPassWD, &QLineEdit::textChanged, &TfrmCNF::txtPassWDChange);
  on(txtSecond, &QLineEdit::textChanged, &TfrmCNF::txtSecondChange);
  on(txtMaxError, &QLineEdit::textChanged, &TfrmCNF::txtMaxErrorChange);
  on(txtEndSecond, &QLineEdit::textChanged, &TfrmCNF::txtEndSecondChange);
  on(errorDialogShow, &QCheckBox::toggled, &TfrmCNF::errorDialogShowClick);
  on(smallStart, &QCheckBox::toggled, &TfrmCNF::smallStartClick);
  on(autoStart, &QCheckBox::toggled, &TfrmCNF::autoStartClick);
  on(passwordStore, &QCheckBox::toggled, &TfrmCNF::passwordStoreClick);
  on(btnSave, &QPushButton::clicked, &TfrmCNF::btnSaveClick);
  on(btnCancel, &QPushButton::clicked, &TfrmCNF::btnCancelClick);
  on(btnVersion, &QPushButton::clicked, &TfrmCNF::btnVersionClick);
}

// ---- Creation, showing and the hint line ------------------------------------

void TfrmCNF::FormCreate() {
  hints_ = new Unit2::HintTracker(this);
  qApp->installEventFilter(hints_);
  connect(hints_, &Unit2::HintTracker::HintChanged, this, &TfrmCNF::DisplayHint);
}

void TfrmCNF::DisplayHint(const QString& hint) {
  lblHint->setText(hint);
}

void TfrmCNF::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // A window restored by the window system is not shown anew.
  if (event->spontaneous()) return;
  if (!shownOnce_) {
    shownOnce_ = true;
    if (const QScreen* s = screen() != nullptr ? screen() : QGuiApplication::primaryScreen()) {
      move(s->availableGeometry().center() - rect().center());
    }
  }
  platform::qt::RunHandled(services_, [this] { FormShow(); });
}

void TfrmCNF::FormShow() {
  WorkingCopy = static_cast<const DefUnit::ConnectionSettings&>(running_);
  unstorable_.clear();
  for (int k = 0; k < DefUnit::MaxEntries; ++k) {
    const auto i = static_cast<std::size_t>(k);
    if (DefUnit::FieldLength(WorkingCopy.LocalDrive[i]) == 0) {
      DefUnit::SetField(WorkingCopy.LocalDrive[i], "Z:");
    }
    EntryChanged[i] = false;
  }
  stored_.Load(running_, WorkingCopy, services_.Secrets);

  // Offer the file the program read: its name resolved against the current
  // folder, which the program never changes after start-up.
  const std::string& name = running_.ConfigFileName;
  fileName->setText(name.empty()
                        ? QString()
                        : QDir::toNativeSeparators(
                              QFileInfo(QFile::decodeName(name.c_str())).absoluteFilePath()));

  autoStart->setChecked(running_.DoMapping);
  smallStart->setChecked(running_.SmallStart);
  errorDialogShow->setChecked(running_.NoErrorDialog);
  txtEndSecond->setText(QString::number(running_.ExitTime));
  passwordStore->setChecked(running_.PasswordStore);
  // Without a store the option cannot be ticked; once on, it can be taken off.
  passwordStore->setEnabled(running_.PasswordStore ||
                            (services_.Secrets != nullptr && services_.Secrets->Available()));
  SelectItem(cmbNumber, 0);

  OptionsChanged = false;
  EditsEnabled = false;
  ShowEntry();
  EditsEnabled = true;
}

// The item list is " 1" to "26"; "2" names entry 2 as well as " 2" does.
int TfrmCNF::SelectedEntry() const {
  const QString number = cmbNumber->currentText().trimmed();
  if (number.isEmpty()) return -1;
  for (int i = 0; i < cmbNumber->count(); ++i) {
    if (cmbNumber->itemText(i).trimmed() == number) return i;
  }
  return -1;
}

DefUnit::TextField& TfrmCNF::TextOf(int k, Field field) {
  return (WorkingCopy.*Row(field).Stored)[static_cast<std::size_t>(k)];
}

QString TfrmCNF::ShownText(int k, Field field) {
  const auto typed = unstorable_.find({k, field});
  if (typed != unstorable_.end()) return typed->second;
  return FromSjis(TextOf(k, field));
}

void TfrmCNF::ShowEntry() {
  const int k = SelectedEntry();
  // While the selector names no entry the boxes belong to none: they are
  // left as they are but take no input that would go nowhere.
  GroupBox2->setEnabled(k >= 0);
  if (k < 0) return;
  const auto i = static_cast<std::size_t>(k);
  const DefUnit::ConnectionSettings& c = WorkingCopy;

  txtNetPath->setText(ShownText(k, Field::NetPath));
  const auto typedDrive = unstorable_.find({k, Field::LocalDrive});
  if (typedDrive != unstorable_.end()) {
    SelectItem(cmbDrive, -1);
    cmbDrive->setEditText(typedDrive->second);
  } else {
    int drive = kDefaultDrive;
    if (DefUnit::FieldLength(c.LocalDrive[i]) > 0) {
      char first = c.LocalDrive[i][0];
      if (first >= 'a' && first <= 'z') first = static_cast<char>(first - 'a' + 'A');
      drive = static_cast<unsigned char>(first) - 'A';  // outside 0..25: no item
    }
    SelectItem(cmbDrive, drive);
  }
  txtUserName->setText(ShownText(k, Field::UserName));
  txtPassWD->setText(ShownText(k, Field::UserPasswd));
  txtSecond->setText(c.WaitTime[i] == 0 ? QString() : QString::number(c.WaitTime[i]));
  txtMaxError->setText(c.MaxError[i] == 0 ? QString() : QString::number(c.MaxError[i]));
}

void TfrmCNF::cmbNumberChange() {
  const int k = SelectedEntry();
  if (k >= 0 && cmbNumber->currentIndex() != k) {
    // The list's selection follows the text ("2" typed while " 1" was
    // selected), so that the keys and the wheel go on from the entry shown.
    // The text stays as typed.
    const QString typed = cmbNumber->currentText();
    const int cursor = cmbNumber->lineEdit()->cursorPosition();
    const QSignalBlocker quiet(cmbNumber);
    cmbNumber->setCurrentIndex(k);
    cmbNumber->setEditText(typed);
    cmbNumber->lineEdit()->setCursorPosition(cursor);
  }
  EditsEnabled = false;
  ShowEntry();
  EditsEnabled = true;
}

// ---- Change handlers ------------------------------------------------------

int TfrmCNF::EditableEntry() const {
  return EditsEnabled ? SelectedEntry() : -1;
}

void TfrmCNF::StoreText(Field field, const QString& text) {
  const int k = EditableEntry();
  if (k < 0) return;
  const auto i = static_cast<std::size_t>(k);
  if (Unit2::FirstUnstorableCharacter(text)) {
    unstorable_[{k, field}] = text;
  } else {
    unstorable_.erase({k, field});
  }
  // The drive is stored with its colon.
  const std::string bytes = field == Field::LocalDrive
                                ? platform::CutSjis(ToSjis(text), DefUnit::MaxFieldText - 1) + ":"
                                : ToSjis(text);
  DefUnit::SetField(TextOf(k, field), bytes);
  // A password typed anew is known, whatever the store could give.
  if (field == Field::UserPasswd) stored_.Unknown[i] = false;
  EntryChanged[i] = true;
}

void TfrmCNF::txtNetPathChange() {
  StoreText(Field::NetPath, txtNetPath->text());
}

void TfrmCNF::cmbDriveChange() {
  StoreText(Field::LocalDrive, cmbDrive->currentText());
}

void TfrmCNF::txtUserNameChange() {
  StoreText(Field::UserName, txtUserName->text());
}

void TfrmCNF::txtPassWDChange() {
  StoreText(Field::UserPasswd, txtPassWD->text());
}

void TfrmCNF::StoreNumber(DefUnit::IntArray DefUnit::ConnectionSettings::*stored,
                          const QLineEdit* box) {
  const int k = EditableEntry();
  if (k < 0) return;
  (WorkingCopy.*stored)[static_cast<std::size_t>(k)] =
      Unit2::DialogInteger(box->text()).value_or(0);
  EntryChanged[static_cast<std::size_t>(k)] = true;
}

void TfrmCNF::txtSecondChange() {
  StoreNumber(&DefUnit::ConnectionSettings::WaitTime, txtSecond);
}

void TfrmCNF::txtMaxErrorChange() {
  StoreNumber(&DefUnit::ConnectionSettings::MaxError, txtMaxError);
}

void TfrmCNF::txtEndSecondChange() {
  if (!EditsEnabled) return;
  WorkingCopy.ExitTime = Unit2::DialogInteger(txtEndSecond->text()).value_or(5);
  OptionsChanged = true;
}

void TfrmCNF::StoreOption(bool DefUnit::ConnectionSettings::*stored, const QCheckBox* box) {
  if (!EditsEnabled) return;
  WorkingCopy.*stored = box->isChecked();
  OptionsChanged = true;
}

void TfrmCNF::errorDialogShowClick() {
  StoreOption(&DefUnit::ConnectionSettings::NoErrorDialog, errorDialogShow);
}

void TfrmCNF::smallStartClick() {
  StoreOption(&DefUnit::ConnectionSettings::SmallStart, smallStart);
}

void TfrmCNF::autoStartClick() {
  StoreOption(&DefUnit::ConnectionSettings::DoMapping, autoStart);
}

void TfrmCNF::passwordStoreClick() {
  StoreOption(&DefUnit::ConnectionSettings::PasswordStore, passwordStore);
}

// ---- File choice ------------------------------------------------------------

bool TfrmCNF::ExecuteDialog(Unit2::SaveFileDialog& dialog) {
  if (fileDialogRunner_) return fileDialogRunner_(dialog, this);
  return Unit2::RunToolkitSaveFileDialog(dialog, this);
}

void TfrmCNF::btnNetClick() {
  Unit2::PrepareNetDialog(dilgNet, txtNetPath->text());
  const bool accepted = ExecuteDialog(dilgNet);
  const Unit2::NetFolderChoice choice = Unit2::NetFolderResult(dilgNet, accepted);
  if (choice.Change) txtNetPath->setText(choice.Text);
  if (!choice.Notice.isEmpty()) {
    services_.Boxes->Show(platform::InformationBox(choice.Notice.toStdString()));
  }
}

void TfrmCNF::btnCnfFileClick() {
  const QString current = fileName->text();
  dilgCnfFile.InitialDir = Unit2::FolderPart(current);
  dilgCnfFile.FileName = Unit2::NamePart(current);
  ExecuteDialog(dilgCnfFile);
  fileName->setText(dilgCnfFile.FileName);
}

// ---- Connection test ------------------------------------------------------

void TfrmCNF::btnTestClick() {
  const int k = SelectedEntry();
  if (k >= 0 && !EntryTextsStorable(k)) return;
  // An empty box for a password the store did not give is no empty password.
  if (k >= 0 && stored_.Unknown[static_cast<std::size_t>(k)]) {
    services_.Boxes->Show(
        platform::ErrorBox(Connection::ConnectErrorMessage(platform::code::NotReadFromStore)));
    return;
  }
  Connection::AttemptRequest request;
  request.RemoteName = ToSjis(txtNetPath->text());
  request.LocalName = ToSjis(cmbDrive->currentText()) + ":";
  request.UserName = ToSjis(txtUserName->text());
  request.Password = ToSjis(txtPassWD->text());

  const std::uint32_t code =
      Connection::AttemptConnection(services_, running_.HoldShiftKey, request, nullptr);
  const std::string message = Connection::ConnectErrorMessage(code);
  if (!message.empty()) {
    services_.Boxes->Show(platform::ErrorBox(message));
  } else {
    // Remove the test's connection before anything waits on the user.
    services_.Network->CancelConnection(request.LocalName, 0, true);
    services_.Boxes->Show(platform::InformationBox("接続テスト正常終了。"));
  }
  services_.App->SetTitle(Connection::TitleAtRest);
}

// ---- Save, cancel, version ------------------------------------------------

void TfrmCNF::ShowForCorrection(int k, Field field) {
  SelectItem(cmbNumber, k);
  Row(field).Box(*this)->setFocus();
}

// A character outside code page 932 would become "?": the file would
// silently hold another text (for a password, another password), and a
// connection would be asked for with it.
bool TfrmCNF::EntryTextsStorable(int k) {
  for (const FieldRow& row : Rows()) {
    const auto typed = unstorable_.find({k, row.Which});
    if (typed == unstorable_.end()) continue;
    const std::optional<Unit2::UnstorableCharacter> c =
        Unit2::FirstUnstorableCharacter(typed->second);
    if (!c) continue;
    const QString refusal = Unit2::UnstorableText(k + 1, QString::fromUtf8(row.Caption),
                                                  row.Which == Field::UserPasswd, *c);
    services_.Boxes->Show(platform::ErrorBox(refusal.toStdString()));
    ShowForCorrection(k, row.Which);
    return false;
  }
  return true;
}

bool TfrmCNF::TextsStorable() {
  for (int k = 0; k < DefUnit::MaxEntries; ++k) {
    if (DefUnit::FieldLength(WorkingCopy.NetPath[static_cast<std::size_t>(k)]) == 0) continue;
    if (!EntryTextsStorable(k)) return false;
  }
  return true;
}

// The file keeps at most 27 password bytes and drops blanks when read, so
// such a password would come back different from what was typed.
bool TfrmCNF::PasswordsStorable(const DefUnit::ConnectionSettings& settings) {
  for (int k = 0; k < DefUnit::MaxEntries; ++k) {
    const auto i = static_cast<std::size_t>(k);
    if (DefUnit::FieldLength(settings.NetPath[i]) == 0) continue;  // not written
    const DefUnit::PasswordProblem problem =
        DefUnit::CheckPasswordStorable(DefUnit::FieldText(settings.UserPasswd[i]));
    if (problem == DefUnit::PasswordProblem::None) continue;
    const QString password = FromSjis(settings.UserPasswd[i]);
    services_.Boxes->Show(
        platform::ErrorBox(Unit2::PasswordProblemText(k + 1, problem, password).toStdString()));
    ShowForCorrection(k, Field::UserPasswd);
    return false;
  }
  return true;
}

void TfrmCNF::btnSaveClick() {
  const bool changed = OptionsChanged || std::any_of(EntryChanged.begin(), EntryChanged.end(),
                                                     [](bool b) { return b; });
  if (!changed) {
    services_.Boxes->Show(platform::InformationBox("内容が変更されていません。"));
    return;
  }
  // Passwords bound for the store need not fit the file; MovePasswords
  // checks those the store refuses.
  if (!TextsStorable() || (!WorkingCopy.PasswordStore && !PasswordsStorable(WorkingCopy))) return;
  if (DefUnit::ConfigFileExists(ToPath(fileName->text()))) {
    const platform::BoxAnswer answer = services_.Boxes->Show(
        platform::InformationBox("上書きしてよろしいですか？", platform::BoxButtons::OkCancel));
    if (answer != platform::BoxAnswer::Ok) return;
  }
  const std::optional<DefUnit::ConnectionSettings> toFile = MovePasswords();
  if (!toFile) return;
  DefUnit::SaveSettings(ToPath(fileName->text()), *toFile);
  Unit2::ForgetUnusedPasswords(*toFile, stored_, services_.Secrets);
  services_.Boxes->Show(platform::InformationBox("プログラムを再起動してください。"));
  hide();
}

// The store is written before the file and emptied only after it: a
// password the store refuses stays in the file, and one the dialog could not
// read from the store is never replaced by an empty one.
std::optional<DefUnit::ConnectionSettings> TfrmCNF::MovePasswords() {
  const Unit2::StoreMove move =
      Unit2::MovePasswordsForSave(WorkingCopy, stored_, services_.Secrets);
  if (move.Unreadable) {
    services_.Boxes->Show(platform::ErrorBox(
        QStringLiteral("設定項目 %1 のパスワードを保管場所から読み出せないため保存できません。"
                       "パスワードを入力し直してください。")
            .arg(*move.Unreadable + 1)
            .toStdString()));
    ShowForCorrection(*move.Unreadable, Field::UserPasswd);
    return std::nullopt;
  }
  if (!move.NotStored.empty()) {
    QStringList lines;
    for (const auto& [k, reason] : move.NotStored) {
      lines
          << QStringLiteral(
                 "設定項目 %1 のパスワードは保管場所に保存できなかったため、設定ファイルに残します"
                 "（%2）。")
                 .arg(k + 1)
                 .arg(QString::fromStdString(reason));
    }
    services_.Boxes->Show(platform::ErrorBox(lines.join(QLatin1Char('\n')).toStdString()));
    if (!PasswordsStorable(move.ToFile)) return std::nullopt;
  }
  return move.ToFile;
}

void TfrmCNF::btnCancelClick() {
  hide();
}

void TfrmCNF::btnVersionClick() {
  if (frmABUT_ == nullptr) return;
  frmABUT_->show();
  frmABUT_->raise();
}
