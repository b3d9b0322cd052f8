// The text rules of the settings dialog that need no window: the integer
// rule of its number boxes, the folder and name parts of a path, the byte
// limit of its text boxes, and the refusals of texts the file cannot hold.
#pragma once

#include <QString>
#include <QValidator>
#include <cstdint>
#include <optional>
#include <string>

#include "settings/DefUnit.h"

namespace Unit2 {

// The integer value of a number box: optional leading spaces, an optional
// sign, then decimal digits, or hexadecimal digits after "$", "x", "X", "0x"
// or "0X". Nothing may follow. A decimal value must fit 32 signed bits; a
// hexadecimal one may use all 32 bits ($FFFFFFFF is -1). Empty when the
// text is not such an integer.
std::optional<std::int32_t> DialogInteger(const QString& text);

// The folder part of a path: everything before the last delimiter (backslash
// or colon, and slash where it separates folders), with the delimiter kept
// when it is a colon, the first character, or a separator right after
// another separator or a colon. Empty when there is no delimiter.
// `\\srv\share\dir` -> `\\srv\share`, `C:\dir` -> `C:\`, `dir` -> "".
QString FolderPart(const QString& path);
// Everything after the last delimiter; the whole text when there is none.
QString NamePart(const QString& path);

// The number of Shift-JIS bytes `text` takes in a settings field.
std::size_t SjisLength(const QString& text);
// The longest prefix of `text` that takes at most `maxBytes` Shift-JIS bytes.
QString CutToSjisBytes(const QString& text, std::size_t maxBytes);

// The first character of `text` that a settings field cannot hold: one
// outside code page 932, or one that reads back as another character.
// Empty when every character can be stored.
struct UnstorableCharacter {
  int Position = 0;  // counted in characters, from 1
  QString Character;
};
std::optional<UnstorableCharacter> FirstUnstorableCharacter(const QString& text);

// The refusal of a text whose character `c` the file cannot hold, for entry
// `entryNumber` (from 1) and the field of that caption. A password's
// character is named by its position only, never repeated on the screen.
QString UnstorableText(int entryNumber, const QString& fieldCaption, bool password,
                       const UnstorableCharacter& c);
// The refusal of a password the file cannot hold as typed (`problem` is not
// None): too long, with a blank, or with a character whose scrambled byte
// reads back as another, named by its position.
QString PasswordProblemText(int entryNumber, DefUnit::PasswordProblem problem,
                            const QString& password);

// Refuses an edit that would make the text longer than `maxBytes` Shift-JIS
// bytes, so that what the box shows always fits the field it is stored in.
class SjisLimitValidator : public QValidator {
 public:
  SjisLimitValidator(std::size_t maxBytes, QObject* parent)
      : QValidator(parent), maxBytes_(maxBytes) {}
  State validate(QString& input, int& pos) const override;

 private:
  std::size_t maxBytes_;
};

}  // namespace Unit2
