#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

struct CharChanges;

// The character encodings of HTML pages: what a page declares, how the bytes
// of a page file are read, and in which encoding a page is written.

enum class TextEncoding {
    Ascii,       // only 7-bit bytes
    Utf8,
    Utf16LE,
    Utf16BE,
    Cp932,       // Shift_JIS as Windows has it
    EucJp,
    Windows1252, // what browsers read for "iso-8859-1" and "us-ascii" too
    Iso2022Jp,
};

// The name shown to the user ("シフトJIS", "UTF-8", "EUC-JP", ...).
QString EncodingDisplayName(TextEncoding encoding);

// The encoding a charset name stands for ("utf-8", "Shift_JIS", "x-euc-jp",
// "iso-8859-1", ...; case and surrounding blanks do not matter). std::nullopt
// for a name the program does not read.
std::optional<TextEncoding> EncodingForCharsetName(QStringView name);

// The charset name a page declares in its head: the first <meta charset> or
// <meta http-equiv="Content-Type" content="...; charset=..."> outside
// comments, before "</head" or "<body", within the first 64 KB. Empty when
// there is none.
QString DeclaredCharsetName(const QString &html);

// The encoding a page file is written in, decided by the page's declaration:
// UTF-8, EUC-JP, Windows-1252 or ISO-2022-JP when it declares one of them,
// otherwise code page 932.
enum class PageFileEncoding { Cp932, Utf8, EucJp, Windows1252, Iso2022Jp };
PageFileEncoding PageFileEncodingOf(const QString &html);

// The bytes of page text in an encoding; a character the encoding has no code
// for is written as a numeric character reference. *changes (if given)
// counts what was written other than as itself.
QByteArray EncodePageText(const QString &html, PageFileEncoding encoding, CharChanges *changes = nullptr);

// A page file's text and how it was read.
struct DecodedHtml
{
    QString text;
    TextEncoding encoding = TextEncoding::Ascii;
    bool declared = false;     // the page's own declaration decided
    qsizetype undecodable = 0; // characters put in as U+FFFD for bytes that could not be read
};

// Reads the bytes of an HTML page file: a byte-order mark decides first (it is
// dropped); then UTF-16 without one, told by its zero bytes; bytes that are
// only ASCII are ISO-2022-JP when they hold its escape sequences, else read as
// they are; then the page's own declaration, when the bytes are valid in the
// encoding it names (valid UTF-8 is never read as another encoding); then
// bytes that are valid UTF-8 are UTF-8; the rest is code page 932 or EUC-JP,
// whichever reads as Japanese text more plausibly (code page 932 when in
// doubt). A lone UTF-16 surrogate counts as a byte sequence that could not be
// read.
DecodedHtml DecodeHtmlFile(QByteArrayView bytes);

// Windows-1252 both ways (used for pages that declare a Western charset).
QString DecodeWindows1252(QByteArrayView bytes);
QByteArray EncodeWindows1252WithCharRefs(QStringView text, CharChanges *changes = nullptr);
