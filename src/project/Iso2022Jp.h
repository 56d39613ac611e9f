#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include "CharChanges.h"

// ISO-2022-JP, the 7-bit form of Japanese text that mail and older pages use:
// escape sequences switch between ASCII ("ESC ( B"), JIS X 0201 Roman
// ("ESC ( J"), half-width katakana ("ESC ( I") and JIS X 0208 ("ESC $ @",
// "ESC $ B"), whose characters are read through the same table as EUC-JP, so
// a character reads the same in all three Japanese encodings.
namespace Iso2022Jp {

// True when the bytes hold an escape sequence that switches to one of the
// sets above (text in any other encoding has no ESC byte followed by one).
bool hasEscapes(QByteArrayView bytes);

// Decodes bytes as browsers read them, except that a line break also returns
// to ASCII, as older writers end their lines. Never fails: every byte sequence
// it does not define (bytes with the high bit set, SO and SI, an unknown
// escape sequence, a JIS X 0208 code with no character or cut at the end)
// becomes one U+FFFD, and *errors (if given) counts those.
QString decode(QByteArrayView bytes, qsizetype *errors = nullptr);

// Encodes HTML page text: every line ends in ASCII, and a character without a
// code in these sets (JIS X 0212, characters outside Japanese) is written as
// an HTML numeric character reference ("&#" + code point + ";"), as are ESC,
// SO and SI, which would switch the sets.
QByteArray encodeWithCharRefs(QStringView text, CharChanges *changes = nullptr);

} // namespace Iso2022Jp
