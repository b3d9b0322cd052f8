#include "settingsdialog/DialogRules.h"

#include <limits>

#include "platform/Codec.h"
#include "platform/FileIO.h"
#include "settings/DefUnit.h"

namespace Unit2 {

namespace {

// Paths from the file dialog use the system's own separator too.
bool IsSeparator(QChar c) {
  return c == u'\\' || c == QLatin1Char(platform::FolderSeparator());
}

bool IsDelimiter(QChar c) {
  return IsSeparator(c) || c == u':';
}

// The position of the last delimiter, or -1. QString holds whole characters,
// so the second byte of a double-byte character can never be taken for one.
qsizetype LastDelimiter(const QString& path) {
  for (qsizetype i = path.size() - 1; i >= 0; --i) {
    if (IsDelimiter(path[i])) return i;
  }
  return -1;
}

}  // namespace

std::optional<std::int32_t> DialogInteger(const QString& text) {
  qsizetype i = 0;
  while (i < text.size() && text[i] == u' ') ++i;
  // Characters beyond ASCII become several UTF-8 bytes, none of them a digit.
  const std::optional<DefUnit::ParsedInteger> parsed =
      DefUnit::ParseInteger(text.mid(i).toStdString());
  if (!parsed) return std::nullopt;
  if (parsed->Hex) {
    // Hexadecimal may use all 32 bits: "$FFFFFFFF" is -1.
    if (parsed->Magnitude > 0xFFFFFFFFull) return std::nullopt;
    const auto bits = static_cast<std::uint32_t>(parsed->Magnitude);
    return static_cast<std::int32_t>(parsed->Negative ? 0u - bits : bits);
  }
  const std::uint64_t limit = parsed->Negative
                                  ? std::uint64_t{1} << 31
                                  : std::uint64_t{std::numeric_limits<std::int32_t>::max()};
  if (parsed->Magnitude > limit) return std::nullopt;
  return parsed->Negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(parsed->Magnitude))
                          : static_cast<std::int32_t>(parsed->Magnitude);
}

QString FolderPart(const QString& path) {
  const qsizetype d = LastDelimiter(path);
  if (d < 0) return QString();
  const QChar c = path[d];
  const bool keep = c == u':' || d == 0 || IsDelimiter(path[d - 1]);
  return path.left(keep ? d + 1 : d);
}

QString NamePart(const QString& path) {
  return path.mid(LastDelimiter(path) + 1);
}

std::size_t SjisLength(const QString& text) {
  return platform::Utf8ToSjis(text.toStdString()).size();
}

QString CutToSjisBytes(const QString& text, std::size_t maxBytes) {
  const std::string sjis = platform::Utf8ToSjis(text.toStdString());
  if (sjis.size() <= maxBytes) return text;
  return QString::fromStdString(platform::SjisToUtf8(platform::CutSjis(sjis, maxBytes)));
}

std::optional<UnstorableCharacter> FirstUnstorableCharacter(const QString& text) {
  int position = 0;
  for (qsizetype i = 0; i < text.size();) {
    // A character beyond the basic plane takes two UTF-16 units.
    const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    const QString c = text.mid(i, n);
    ++position;
    i += n;
    if (c.size() == 1 && c[0].unicode() < 0x80) continue;
    const std::string back = platform::SjisToUtf8(platform::Utf8ToSjis(c.toStdString()));
    if (QString::fromStdString(back) != c) return UnstorableCharacter{position, c};
  }
  return std::nullopt;
}

QValidator::State SjisLimitValidator::validate(QString& input, int& /*pos*/) const {
  return SjisLength(input) <= maxBytes_ ? Acceptable : Invalid;
}

QString UnstorableText(int entryNumber, const QString& fieldCaption, bool password,
                       const UnstorableCharacter& c) {
  if (password) {
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
      .arg(fieldCaption, c.Character,
           QString::number(c.Character.toUcs4().value(0), 16).toUpper().rightJustified(4, u'0'));
}

namespace {

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

}  // namespace

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

}  // namespace Unit2
