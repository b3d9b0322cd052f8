// The About box: the program title, the version, the maker's mark, two links
// and "Close". Created hidden at start-up, shown by the settings dialog.
#pragma once

#include <QWidget>

#include "about/HTLabel.h"
#include "platform/LinkShell.h"
#include "platform/Services.h"

class QLabel;
class QMenu;
class QPushButton;

class TfrmABUT : public QWidget {
  Q_OBJECT
 public:
  // Builds the window hidden, centred on the screen, and runs FormCreate.
  // `shell` opens the links (null: the platform's own); a handler that
  // fails is shown through `services`' general error handler. The controls
  // are reached by their object names.
  explicit TfrmABUT(platform::Services& services, QWidget* parent = nullptr,
                    about::LinkShell* shell = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Puts the current version into Label2.
  void FormCreate();
  // Hides the box; it stays alive and can be shown again.
  void Button1Click();

  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
  QWidget* Shape1 = nullptr;
  QWidget* Shape2 = nullptr;
  QWidget* Shape3 = nullptr;
  QLabel* Label5 = nullptr;
  QLabel* Label6 = nullptr;
  QPushButton* Button1 = nullptr;
  QLabel* Label9 = nullptr;
  THTLabel* HTLabel1 = nullptr;
  THTLabel* HTLabel2 = nullptr;
  QMenu* PopupMenu1 = nullptr;

  bool fitted_ = false;
};
