// What the widget test programs share: the platform they run on, the
// program's own services their main starts the application object with, and
// reaching a window's controls by their names.
#pragma once

#include <gtest/gtest.h>
#include <QObject>
#include <QString>
#include <QtGlobal>

#include "platform/Services.h"
#include "support/RecordingBoxes.h"

namespace testsupport {

// The test programs start the toolkit before any test runs, also when ctest
// only lists their tests: without a platform named they run offscreen, so
// that they work where there is no display.
inline void OffscreenUnlessTold() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}

// The services the application object was made with: its general error
// handler shows failures through ProgramBoxes().
platform::Services& ProgramServices();
RecordingBoxes& ProgramBoxes();

// The control of `window` named `name`; a test fails when there is none.
template <class T>
T* Named(const QObject& window, const char* name) {
  T* control = window.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(control, nullptr) << name;
  return control;
}

}  // namespace testsupport
