#include "settingsdialog/DialogRules.h"

#include <limits>

#include "platform/Codec.h"

namespace Unit2 {

namespace {

int HexDigit(QChar c) {
  const char16_t u = c.unicode();
  if (u >= '0' && u <= '9') return u - '0';
  if (u >= 'a' && u <= 'f') return u - 'a' + 10;
  if (u >= 'A' && u <= 'F') return u - 'A' + 10;
  return -1;
}

bool IsSeparator(QChar c) {
#ifdef _WIN32
  return c == u'\\';
#else
  // Paths from the file dialog use the system's own separator here.
  return c == u'\\' || c == u'/';
#endif
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
  const qsizetype n = text.size();
  while (i < n && text[i] == u' ') ++i;
  bool negative = false;
  if (i < n && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
  bool hex = false;
  if (i < n && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
    hex = true;
    i += 2;
  }
  if (i >= n) return std::nullopt;

  std::uint64_t value = 0;
  const int base = hex ? 16 : 10;
  for (; i < n; ++i) {
    const int d = HexDigit(text[i]);
    if (d < 0 || d >= base) return std::nullopt;
    value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
    // Both limits are far below the point where the next step could overflow.
    if (value > 0xFFFFFFFFull) return std::nullopt;
  }

  if (hex) {
    const auto bits = static_cast<std::uint32_t>(value);
    const std::uint32_t result = negative ? 0u - bits : bits;
    return static_cast<std::int32_t>(result);
  }
  const std::uint64_t limit =
      negative ? std::uint64_t{1} << 31 : std::uint64_t{std::numeric_limits<std::int32_t>::max()};
  if (value > limit) return std::nullopt;
  return negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(value))
                  : static_cast<std::int32_t>(value);
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

QValidator::State SjisLimitValidator::validate(QString& input, int& /*pos*/) const {
  return SjisLength(input) <= maxBytes_ ? Acceptable : Invalid;
}

}  // namespace Unit2
