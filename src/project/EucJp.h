#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

struct CharChanges;

// EUC-JP, as Japanese web pages use it: ASCII; JIS X 0208 as two bytes with
// the high bit set, mapped through the rows of code page 932 (so a character
// reads the same whether a page came as Shift_JIS or EUC-JP, NEC row 13 and
// the NEC-selected IBM rows 89 to 92 included); half-width katakana as 0x8E
// and one byte; JIS X 0212 as 0x8F and two bytes.
namespace EucJp {

// The character at row, column (1..94) of JIS X 0208 as read here; U+FFFD
// where there is none.
char16_t Jis0208Char(unsigned row, unsigned col);

// Decodes bytes. Never fails: a byte sequence EUC-JP does not define becomes
// U+FFFD, and *errors (if given) counts those.
QString decode(QByteArrayView bytes, qsizetype *errors = nullptr);

// Encodes text. Returns false when some character has no code; then
// *badIndex (if given) is the index of the first such character.
bool encode(QStringView text, QByteArray *out, qsizetype *badIndex = nullptr);

// Encodes HTML page text: a character without a code is written as an HTML
// numeric character reference ("&#" + code point + ";"); *changes (if given)
// counts them.
QByteArray encodeWithCharRefs(QStringView text, CharChanges *changes = nullptr);

} // namespace EucJp
