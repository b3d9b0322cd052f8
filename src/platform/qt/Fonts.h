// The Japanese fonts the windows name, mapped onto the fonts a Linux desktop
// has, so that each window keeps its look and proportions.
#pragma once

namespace platform::qt {

// Registers the substitutes for "ＭＳ Ｐゴシック" and "ＭＳ ゴシック" (and their
// Latin names). Call once after the application object exists, before any
// window is created; calling it again changes nothing.
void InstallFontSubstitutions();

}  // namespace platform::qt
