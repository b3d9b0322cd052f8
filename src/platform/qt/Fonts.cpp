#include "platform/qt/Fonts.h"

#include <QFont>
#include <QString>
#include <QStringList>

namespace platform::qt {

void InstallFontSubstitutions() {
  // Proportional and fixed-pitch faces map to their IPA counterparts; the
  // Noto faces cover systems without the IPA fonts.
  const QStringList proportional{"IPAPGothic", "Noto Sans CJK JP"};
  const QStringList fixedPitch{"IPAGothic", "Noto Sans Mono CJK JP", "Noto Sans CJK JP"};
  for (const QString& name : {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic")}) {
    QFont::removeSubstitutions(name);
    QFont::insertSubstitutions(name, proportional);
  }
  for (const QString& name : {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic")}) {
    QFont::removeSubstitutions(name);
    QFont::insertSubstitutions(name, fixedPitch);
  }
}

}  // namespace platform::qt
