#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Windows code page 932 (Shift_JIS with the NEC and IBM extensions), mapped
// exactly as Windows maps it. Every text file of the program goes through here.
namespace Cp932 {

// Decodes bytes. Never fails: a byte sequence that code page 932 does not
// define becomes U+FFFD.
QString decode(QByteArrayView bytes);

// Encodes text. Returns false when some character has no code in code page 932;
// then *badIndex (if given) is the index of the first such character and *out is
// left unspecified. Nothing is ever replaced by "?".
bool encode(QStringView text, QByteArray *out, qsizetype *badIndex = nullptr);

// True when every character of text has a code.
bool canEncode(QStringView text, qsizetype *badIndex = nullptr);

// Encodes HTML page text: a character without a code is written as an HTML
// numeric character reference ("&#" + code point + ";"), which a browser
// renders as the same character.
QByteArray encodeWithCharRefs(QStringView text);

} // namespace Cp932
