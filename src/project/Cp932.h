#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

struct CharChanges;

// Windows code page 932 (Shift_JIS with the NEC and IBM extensions), mapped
// exactly as Windows maps it. Every text file of the program goes through here.
namespace Cp932 {

// Decodes bytes. Never fails: a byte sequence that code page 932 does not
// define becomes U+FFFD.
QString decode(QByteArrayView bytes);

// Encodes text. Seven characters that code page 932 lacks but Japanese input
// methods on Linux type (U+301C, U+2016, U+2212, U+00A2, U+00A3, U+00AC,
// U+2014) are written as the codes of their full-width or JIS counterparts,
// as Windows writes them; decoding gives the counterparts.
// Returns false when some character has no code in code page 932;
// then *badIndex (if given) is the index of the first such character and *out is
// left unspecified. Nothing is ever replaced by "?".
bool encode(QStringView text, QByteArray *out, qsizetype *badIndex = nullptr);

// True when every character of text has a code.
bool canEncode(QStringView text, qsizetype *badIndex = nullptr);

// As canEncode and encode, but also refuse the seven characters above: for
// texts that must read back exactly as they were, such as file paths, where
// the counterpart names another file.
bool canEncodeExactly(QStringView text, qsizetype *badIndex = nullptr);
bool encodeExactly(QStringView text, QByteArray *out, qsizetype *badIndex = nullptr);

// Encodes HTML page text: a character without a code is written as an HTML
// numeric character reference ("&#" + code point + ";"), which a browser
// renders as the same character. *changes (if given) counts the references
// and the characters written as a look-alike (the seven above).
QByteArray encodeWithCharRefs(QStringView text, CharChanges *changes = nullptr);

} // namespace Cp932
