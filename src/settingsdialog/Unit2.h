// The settings dialog: edits a working copy of the 26 connections and the
// global options, tests one connection, and writes the configuration file.
// The settings the program runs with are never changed here; a saved file
// takes effect at the next start.
#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "platform/Services.h"
#include "settings/DefUnit.h"
#include "settingsdialog/FileDialogs.h"
#include "settingsdialog/StoredPasswords.h"

class QCheckBox;
class QComboBox;
class QFont;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace Unit2 {
class HintTracker;
}

class TfrmCNF : public QWidget {
  Q_OBJECT
 public:
  // Created hidden; each showing takes a fresh copy of `running`.
  TfrmCNF(DefUnit::RunningSettings& running, platform::Services& services,
          QWidget* parent = nullptr);

  // The About box that "Version" shows; nothing happens while it is unset.
  void SetAboutDialog(QWidget* about) { frmABUT_ = about; }
  // Replaces the toolkit's save-file dialog (tests).
  void SetFileDialogRunner(Unit2::SaveFileDialogRunner runner) {
    fileDialogRunner_ = std::move(runner);
  }

  // The entry's text fields, in the order of the boxes.
  enum class Field { NetPath, LocalDrive, UserName, UserPasswd };

  // ---- What the dialog holds, read-only (tests; the controls are reached
  // by their object names) ----
  // The entry shown: the item of cmbNumber whose number the box's text
  // names, however it got there (typed, picked, keys, wheel), or -1 while the
  // text names no entry.
  int SelectedEntry() const;
  const DefUnit::ConnectionSettings& Working() const { return WorkingCopy; }
  bool EntryWasChanged(int k) const { return EntryChanged.at(static_cast<std::size_t>(k)); }
  bool OptionsWereChanged() const { return OptionsChanged; }
  bool EditsAreEnabled() const { return EditsEnabled; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Controls, in declaration order.
  QLineEdit* fileName = nullptr;
  QLabel* Label1 = nullptr;
  QCheckBox* autoStart = nullptr;
  QCheckBox* errorDialogShow = nullptr;
  QCheckBox* smallStart = nullptr;
  QLineEdit* txtEndSecond = nullptr;
  Unit2::SaveFileDialog dilgNet;
  Unit2::SaveFileDialog dilgCnfFile;
  QPushButton* btnCnfFile = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  QLineEdit* txtNetPath = nullptr;
  QComboBox* cmbDrive = nullptr;
  QLineEdit* txtUserName = nullptr;
  QLineEdit* txtPassWD = nullptr;
  QLineEdit* txtSecond = nullptr;
  QLineEdit* txtMaxError = nullptr;
  QPushButton* btnNet = nullptr;
  QPushButton* btnTest = nullptr;
  QLabel* Label4 = nullptr;
  QLabel* Label5 = nullptr;
  QLabel* Label6 = nullptr;
  QLabel* Label7 = nullptr;
  QLabel* Label8 = nullptr;
  QLabel* Label9 = nullptr;
  QLabel* Label10 = nullptr;
  QLabel* Label11 = nullptr;
  QPushButton* btnSave = nullptr;
  QPushButton* btnCancel = nullptr;
  QLabel* lblHint = nullptr;
  QComboBox* cmbNumber = nullptr;
  QPushButton* btnVersion = nullptr;
  // Not in the original design: the passwords in the system's secret store.
  QCheckBox* passwordStore = nullptr;

  // Handlers.
  void cmbNumberChange();
  void btnNetClick();
  void btnCnfFileClick();
  void btnTestClick();
  void FormShow();
  void txtNetPathChange();
  void cmbDriveChange();
  void txtUserNameChange();
  void txtPassWDChange();
  void txtSecondChange();
  void txtMaxErrorChange();
  void txtEndSecondChange();
  void errorDialogShowClick();
  void smallStartClick();
  void autoStartClick();
  void passwordStoreClick();
  void FormCreate();
  void btnSaveClick();
  void btnCancelClick();
  void btnVersionClick();
  void DisplayHint(const QString& hint);

  // The working copy and its change flags.
  DefUnit::ConnectionSettings WorkingCopy;
  std::array<bool, DefUnit::MaxEntries> EntryChanged{};
  bool OptionsChanged = false;
  bool EditsEnabled = false;

  // Each text field of an entry: the caption of its box (which also names
  // it in a refusal), where the working copy keeps it, and its box.
  struct FieldRow {
    Field Which;
    const char* Caption;
    DefUnit::TextArray DefUnit::ConnectionSettings::*Stored;
    QWidget* (*Box)(const TfrmCNF& dialog);
  };
  static const std::array<FieldRow, 4>& Rows();
  static const FieldRow& Row(Field field);

  void CreateControls();
  void CreateFileAndOptionControls();
  void CreateEntryControls();
  void CreateCommandControls(const QFont& font);
  void ConnectHandlers();
  void ShowEntry();
  // The entry handlers store into entry k only while an item is selected.
  int EditableEntry() const;
  void StoreText(Field field, const QString& text);
  // A number of entry k, and a global option, as their boxes give them.
  void StoreNumber(DefUnit::IntArray DefUnit::ConnectionSettings::*stored, const QLineEdit* box);
  void StoreOption(bool DefUnit::ConnectionSettings::*stored, const QCheckBox* box);
  // The box's text for `field` of entry k: as typed when the file cannot
  // hold it, else as stored.
  QString ShownText(int k, Field field);
  // The working copy's field of entry k.
  DefUnit::TextField& TextOf(int k, Field field);
  bool ExecuteDialog(Unit2::SaveFileDialog& dialog);
  bool EntryTextsStorable(int k);
  bool TextsStorable();
  bool PasswordsStorable(const DefUnit::ConnectionSettings& settings);
  // The settings to write, with the passwords the store took left out;
  // empty when nothing may be written.
  std::optional<DefUnit::ConnectionSettings> MovePasswords();
  // Shows entry k with the box of `field` ready for a correction.
  void ShowForCorrection(int k, Field field);

  DefUnit::RunningSettings& running_;
  platform::Services& services_;
  QPointer<QWidget> frmABUT_;
  Unit2::SaveFileDialogRunner fileDialogRunner_;
  Unit2::HintTracker* hints_ = nullptr;
  bool shownOnce_ = false;
  // Texts typed with a character the file cannot hold, by entry and field:
  // the working copy keeps them as "?", so the boxes show them as typed and
  // saving is refused until they are corrected.
  std::map<std::pair<int, Field>, QString> unstorable_;
  Unit2::StoredPasswords stored_;
};
