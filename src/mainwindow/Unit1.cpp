#include "mainwindow/Unit1.h"

#include <QLabel>

#include "settings/DefUnit.h"

TfrmMain::TfrmMain(QWidget* parent) : QWidget(parent) {
  lblState = new QLabel(QStringLiteral("待機中"), this);
  resize(384, 128);
}

void TfrmMain::FormCreate() { DefUnit::LoadSettings(); }
