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

QLabel* MakeLabel(QWidget* parent, int left, int top, int width, int height, const char* caption) {
  auto* label = new QLabel(QString::fromUtf8(caption), parent);
  label->setGeometry(left, top, width, height);
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

QLineEdit* MakeEdit(QWidget* parent, int left, int top, int width, int height) {
  auto* edit = new QLineEdit(parent);
  edit->setGeometry(left, top, width, height);
  return edit;
}

QPushButton* MakeButton(QWidget* parent, int left, int top, int width, int height,
                        const char* caption) {
  auto* button = new QPushButton(QString::fromUtf8(caption), parent);
  button->setGeometry(left, top, width, height);
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

QCheckBox* MakeCheck(QWidget* parent, int left, int top, int width, int height,
                     const char* caption) {
  auto* check = new QCheckBox(QString::fromUtf8(caption), parent);
  check->setGeometry(left, top, width, height);
  return check;
}

// An editable combo box with a fixed list: typed text stays exactly as
// typed (no completion) and is never added to the list.
QComboBox* MakeCombo(QWidget* parent, int left, int top, int width, int height,
                     const QStringList& items) {
  auto* combo = new QComboBox(parent);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setCompleter(nullptr);
  combo->addItems(items);
  combo->setGeometry(left, top, width, height);
  return combo;
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

// The field names are the captions of their boxes.
QString FieldName(TfrmCNF::Field field) {
  switch (field) {
    case TfrmCNF::Field::NetPath:
      return QStringLiteral("接続先");
    case TfrmCNF::Field::LocalDrive:
      return QStringLiteral("ローカルドライブ");
    case TfrmCNF::Field::UserName:
      return QStringLiteral("ユーザー名");
    case TfrmCNF::Field::UserPasswd:
      break;
  }
  return QStringLiteral("パスワード");
}

// A password's characters are not repeated in a box on the screen: its
// position names the character.
QString UnstorableText(int entryNumber, TfrmCNF::Field field, const Unit2::UnstorableCharacter& c) {
  if (field == TfrmCNF::Field::UserPasswd) {
    return QStringLiteral(
               "設定項目 %1 のパスワードの %2 文字目は Shift-JIS で表せない文字のため、"
               "保存も接続もできません。")
        .arg(entryNumber)
        .arg(c.Position);
  }
  return QStringLiteral(
             "設定項目 %1 の%2の文字「%3」(U+%4) は Shift-JIS で表せないため、"
             "保存も接続もできません。")
      .arg(entryNumber)
      .arg(FieldName(field), c.Character,
           QString::number(c.Character.toUcs4().value(0), 16).toUpper().rightJustified(4, u'0'));
}

// The position, in characters from 1, of the first character whose
// scrambled bytes read back as others. Only a byte's own position decides
// (the length byte cannot fail at a storable length), so the first prefix
// that fails ends at that character.
int UnstoredPasswordPosition(const QString& password) {
  for (qsizetype n = 1; n <= password.size(); ++n) {
    if (n < password.size() && password[n].isLowSurrogate()) continue;
    const std::string prefix = platform::Utf8ToSjis(password.left(n).toStdString());
    if (DefUnit::CheckPasswordStorable(prefix) == DefUnit::PasswordProblem::UnstoredByte) {
      return static_cast<int>(password.left(n).toUcs4().size());
    }
  }
  return 0;
}

QString PasswordProblemText(int entryNumber, DefUnit::PasswordProblem problem,
                            const QString& password) {
  QString text;
  switch (problem) {
    case DefUnit::PasswordProblem::TooLong:
      text = QStringLiteral(
          "設定項目 %1 のパスワードは長すぎるため保存できません。"
          "パスワードは半角 27 文字（全角 13 文字）までにしてください。");
      break;
    case DefUnit::PasswordProblem::Blank:
      text = QStringLiteral(
          "設定項目 %1 のパスワードには空白が含まれているため保存できません。"
          "空白は設定ファイルから読み込めません。");
      break;
    case DefUnit::PasswordProblem::UnstoredByte:
    case DefUnit::PasswordProblem::None:
      return QStringLiteral(
                 "設定項目 %1 のパスワードの %2 文字目は設定ファイルに保存できない文字のため"
                 "保存できません。")
          .arg(entryNumber)
          .arg(UnstoredPasswordPosition(password));
  }
  return text.arg(entryNumber);
}

}  // namespace

TfrmCNF::TfrmCNF(DefUnit::RunningSettings& running, platform::Services& services, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      running_(running),
      services_(services) {
  CreateControls();
  FormCreate();
}

void TfrmCNF::CreateControls() {
  setWindowTitle(QStringLiteral("設定"));
  setFixedSize(kClientWidth, kClientHeight);
  QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
  font.setPixelSize(kFontPixels);
  setFont(font);

  Label1 = MakeLabel(this, 12, 8, 137, 16, "設定 ファイルネーム");
  Label2 = MakeLabel(this, 432, 64, 94, 16, "終了待ち時間");
  Label3 = MakeLabel(this, 596, 64, 16, 16, "秒");
  lblHint = new QLabel(this);
  lblHint->setGeometry(16, 248, 589, 17);

  fileName = MakeEdit(this, 16, 28, 513, 24);
  SetHint(fileName, "設定ファイルをフルパス指定します。");
  autoStart = MakeCheck(this, 20, 60, 97, 21, "自動実行");
  SetHint(autoStart, "チェックされているとプログラムが起動すると自動的に接続を行います。");
  errorDialogShow = MakeCheck(this, 228, 60, 189, 21, "エラーダイアログ非表示");
  SetHint(errorDialogShow, "チェックされているとエラーが発生してもダイアログを表示しません。");
  smallStart = MakeCheck(this, 120, 60, 109, 21, "最小化実行");
  SetHint(smallStart, "チェックされていると最小化状態で起動します。");
  txtEndSecond = MakeEdit(this, 532, 60, 61, 24);
  SetHint(txtEndSecond,
          "全ての接続試行が終了してからプログラムが終了するまでの時間を秒数で指定します。");
  btnCnfFile = MakeButton(this, 536, 28, 61, 25, "参照");

  GroupBox2 = new QGroupBox(QStringLiteral("[ 設定項目 ]"), this);
  GroupBox2->setGeometry(12, 92, 601, 145);
  QWidget* g = GroupBox2;
  Label4 = MakeLabel(g, 12, 44, 48, 16, "接続先");
  Label5 = MakeLabel(g, 12, 76, 109, 16, "ローカルドライブ");
  Label6 = MakeLabel(g, 180, 76, 77, 16, "ユーザー名");
  Label7 = MakeLabel(g, 184, 104, 71, 16, "パスワード");
  Label8 = MakeLabel(g, 436, 76, 62, 16, "待ち時間");
  Label9 = MakeLabel(g, 573, 76, 16, 16, "秒");
  Label10 = MakeLabel(g, 573, 104, 16, 16, "回");
  Label11 = MakeLabel(g, 420, 104, 80, 16, "再試行回数");
  txtNetPath = MakeEdit(g, 64, 41, 357, 24);
  SetHint(txtNetPath,
          "接続先のパスを指定します。 \\\\(コンピュータ名)\\(共有名) の形で指定します。");
  QStringList drives;
  for (char c = 'A'; c <= 'Z'; ++c) drives << QString(QChar(c));
  // Wider than the 37 and 41 pixels laid out: the toolkit's drop-down
  // button leaves too little room for "W" or "26" at this font size.
  cmbDrive = MakeCombo(g, 128, 73, 45, 24, drives);
  cmbDrive->setCurrentIndex(kDefaultDrive);
  SetHint(cmbDrive, "このドライブ名で接続します。");
  txtUserName = MakeEdit(g, 260, 73, 149, 24);
  SetHint(txtUserName, "接続先でユーザー名が必要無い場合、省略可能です。");
  txtPassWD = MakeEdit(g, 260, 101, 149, 24);
  // Owned by the dialog, which outlives the field (a widget never owns its style).
  auto* passwordStyle = new PasswordStyle(QApplication::style()->name());
  passwordStyle->setParent(this);
  txtPassWD->setStyle(passwordStyle);
  txtPassWD->setEchoMode(QLineEdit::Password);
  SetHint(txtPassWD, "接続先でパスワードが必要無い場合、省略可能です。");
  txtSecond = MakeEdit(g, 504, 73, 65, 24);
  SetHint(txtSecond, "接続を開始するまでの待ち時間を秒数指定します。");
  txtMaxError = MakeEdit(g, 504, 101, 65, 24);
  SetHint(txtMaxError, "何らかの原因で接続が失敗した場合に再試行する回数を指定します。");
  btnNet = MakeButton(g, 428, 40, 61, 25, "参照");
  btnTest = MakeButton(g, 16, 108, 93, 25, "接続テスト");
  SetHint(btnTest, "この内容で接続できるかテストします。");

  btnSave = MakeButton(this, 516, 272, 85, 25, "保存");
  SetHint(btnSave, "指定した設定ファイルに保存します。ただし、内容のチェックは行いません。");
  btnCancel = MakeButton(this, 424, 272, 85, 25, "キャンセル");
  QStringList numbers;
  for (int i = 1; i <= DefUnit::MaxEntries; ++i) {
    numbers << QStringLiteral("%1").arg(i, 2, 10, QLatin1Char(' '));
  }
  cmbNumber = MakeCombo(this, 108, 89, 50, 24, numbers);
  cmbNumber->setCurrentIndex(0);
  btnVersion = MakeButton(this, 20, 276, 69, 17, "Version");
  QFont small = font;
  small.setPixelSize(kVersionFontPixels);
  btnVersion->setFont(small);

  // The text boxes never hold more than a settings field takes; the drive
  // box leaves room for the ":" that is stored after it.
  for (QLineEdit* edit : {txtNetPath, txtUserName, txtPassWD}) {
    edit->setValidator(new Unit2::SjisLimitValidator(DefUnit::MaxFieldText, edit));
  }
  cmbDrive->setValidator(new Unit2::SjisLimitValidator(DefUnit::MaxFieldText - 1, cmbDrive));

  // Every control is reachable by its name, as the other windows' are.
  const std::pair<QWidget*, const char*> named[] = {
      {fileName, "fileName"},       {Label1, "Label1"},
      {autoStart, "autoStart"},     {errorDialogShow, "errorDialogShow"},
      {smallStart, "smallStart"},   {txtEndSecond, "txtEndSecond"},
      {btnCnfFile, "btnCnfFile"},   {Label2, "Label2"},
      {Label3, "Label3"},           {GroupBox2, "GroupBox2"},
      {txtNetPath, "txtNetPath"},   {cmbDrive, "cmbDrive"},
      {txtUserName, "txtUserName"}, {txtPassWD, "txtPassWD"},
      {txtSecond, "txtSecond"},     {txtMaxError, "txtMaxError"},
      {btnNet, "btnNet"},           {btnTest, "btnTest"},
      {Label4, "Label4"},           {Label5, "Label5"},
      {Label6, "Label6"},           {Label7, "Label7"},
      {Label8, "Label8"},           {Label9, "Label9"},
      {Label10, "Label10"},         {Label11, "Label11"},
      {btnSave, "btnSave"},         {btnCancel, "btnCancel"},
      {lblHint, "lblHint"},         {cmbNumber, "cmbNumber"},
      {btnVersion, "btnVersion"},
  };
  for (const auto& [control, name] : named) control->setObjectName(QString::fromLatin1(name));

  QWidget* order[] = {fileName,   autoStart,   smallStart, errorDialogShow, txtEndSecond,
                      btnCnfFile, txtNetPath,  cmbDrive,   txtUserName,     txtPassWD,
                      txtSecond,  txtMaxError, btnNet,     btnTest,         btnSave,
                      btnCancel,  cmbNumber,   btnVersion};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

  dilgNet.Title = QStringLiteral("フォルダの選択");
  dilgNet.FileName = QStringLiteral("dir");
  dilgNet.InitialDir = QStringLiteral("\\");
  dilgNet.NoNetworkButton = true;
  dilgCnfFile.Title = QStringLiteral("設定ファイル");

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
  const auto i = static_cast<std::size_t>(k);
  switch (field) {
    case Field::NetPath:
      return WorkingCopy.NetPath[i];
    case Field::LocalDrive:
      return WorkingCopy.LocalDrive[i];
    case Field::UserName:
      return WorkingCopy.UserName[i];
    case Field::UserPasswd:
      break;
  }
  return WorkingCopy.UserPasswd[i];
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

void TfrmCNF::txtSecondChange() {
  const int k = EditableEntry();
  if (k < 0) return;
  WorkingCopy.WaitTime[static_cast<std::size_t>(k)] =
      Unit2::DialogInteger(txtSecond->text()).value_or(0);
  EntryChanged[static_cast<std::size_t>(k)] = true;
}

void TfrmCNF::txtMaxErrorChange() {
  const int k = EditableEntry();
  if (k < 0) return;
  WorkingCopy.MaxError[static_cast<std::size_t>(k)] =
      Unit2::DialogInteger(txtMaxError->text()).value_or(0);
  EntryChanged[static_cast<std::size_t>(k)] = true;
}

void TfrmCNF::txtEndSecondChange() {
  if (!EditsEnabled) return;
  WorkingCopy.ExitTime = Unit2::DialogInteger(txtEndSecond->text()).value_or(5);
  OptionsChanged = true;
}

void TfrmCNF::errorDialogShowClick() {
  if (!EditsEnabled) return;
  WorkingCopy.NoErrorDialog = errorDialogShow->isChecked();
  OptionsChanged = true;
}

void TfrmCNF::smallStartClick() {
  if (!EditsEnabled) return;
  WorkingCopy.SmallStart = smallStart->isChecked();
  OptionsChanged = true;
}

void TfrmCNF::autoStartClick() {
  if (!EditsEnabled) return;
  WorkingCopy.DoMapping = autoStart->isChecked();
  OptionsChanged = true;
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
  QWidget* box = txtPassWD;
  switch (field) {
    case Field::NetPath:
      box = txtNetPath;
      break;
    case Field::LocalDrive:
      box = cmbDrive;
      break;
    case Field::UserName:
      box = txtUserName;
      break;
    case Field::UserPasswd:
      break;
  }
  box->setFocus();
}

// A character outside code page 932 would become "?": the file would
// silently hold another text (for a password, another password), and a
// connection would be asked for with it.
bool TfrmCNF::EntryTextsStorable(int k) {
  for (Field field : {Field::NetPath, Field::LocalDrive, Field::UserName, Field::UserPasswd}) {
    const auto typed = unstorable_.find({k, field});
    if (typed == unstorable_.end()) continue;
    const std::optional<Unit2::UnstorableCharacter> c =
        Unit2::FirstUnstorableCharacter(typed->second);
    if (!c) continue;
    services_.Boxes->Show(platform::ErrorBox(UnstorableText(k + 1, field, *c).toStdString()));
    ShowForCorrection(k, field);
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
bool TfrmCNF::PasswordsStorable() {
  for (int k = 0; k < DefUnit::MaxEntries; ++k) {
    const auto i = static_cast<std::size_t>(k);
    if (DefUnit::FieldLength(WorkingCopy.NetPath[i]) == 0) continue;  // not written
    const DefUnit::PasswordProblem problem =
        DefUnit::CheckPasswordStorable(DefUnit::FieldText(WorkingCopy.UserPasswd[i]));
    if (problem == DefUnit::PasswordProblem::None) continue;
    const QString password = FromSjis(WorkingCopy.UserPasswd[i]);
    services_.Boxes->Show(
        platform::ErrorBox(PasswordProblemText(k + 1, problem, password).toStdString()));
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
  if (!TextsStorable() || !PasswordsStorable()) return;
  if (DefUnit::ConfigFileExists(ToPath(fileName->text()))) {
    const platform::BoxAnswer answer = services_.Boxes->Show(
        platform::InformationBox("上書きしてよろしいですか？", platform::BoxButtons::OkCancel));
    if (answer != platform::BoxAnswer::Ok) return;
  }
  DefUnit::SaveSettings(ToPath(fileName->text()), WorkingCopy);
  services_.Boxes->Show(platform::InformationBox("プログラムを再起動してください。"));
  hide();
}

void TfrmCNF::btnCancelClick() {
  hide();
}

void TfrmCNF::btnVersionClick() {
  if (frmABUT_ == nullptr) return;
  frmABUT_->show();
  frmABUT_->raise();
}
