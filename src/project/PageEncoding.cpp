#include "PageEncoding.h"

#include "CharChanges.h"
#include "Cp932.h"
#include "Cp932Table.h"
#include "EucJp.h"
#include "Iso2022Jp.h"
#include "JisX0212Table.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include <cstdint>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype HeadLimit = 64 * 1024;

// The value of a name="value", name='value' or name=value attribute of one tag.
QString AttributeValue(const QString &tag, const QString &name)
{
    static thread_local const QRegularExpression attr(
        uR"re((?:^|\s)([A-Za-z_:][-A-Za-z0-9_:.]*)\s*(?:=\s*(?:"([^"]*)"|'([^']*)'|([^\s"'>]+)))?)re"_s);
    auto it = attr.globalMatch(tag);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(1).compare(name, Qt::CaseInsensitive) != 0)
            continue;
        for (int g = 2; g <= 4; ++g) {
            if (m.capturedStart(g) >= 0)
                return m.captured(g);
        }
        return QString();
    }
    return QString();
}

// Windows-1252's characters of the bytes 0x80 to 0x9F; the five bytes it
// leaves undefined read as the C1 controls of the same number, as browsers do.
constexpr char16_t kWin1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool IsAscii(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// UTF-8 decoded by Qt's decoder; *errors counts the U+FFFD it put in (those
// written in the bytes themselves, EF BF BD, are text).
QString DecodeUtf8(QByteArrayView bytes, qsizetype *errors)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    *errors = 0;
    if (decoder.hasError())
        *errors = qMax<qsizetype>(1, text.count(QChar(0xFFFD)) - bytes.count("\xEF\xBF\xBD"));
    return text;
}

// UTF-16 decoded by Qt's decoder, which passes a lone surrogate through: it is
// no character, so it becomes U+FFFD and counts in *errors, as does a last
// byte of an odd number of bytes.
QString DecodeUtf16(QByteArrayView bytes, bool littleEndian, qsizetype *errors)
{
    const bool oddByte = bytes.size() % 2 == 1;
    if (oddByte)
        bytes.chop(1);
    QStringDecoder decoder(littleEndian ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                           QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    qsizetype bad = 0;
    const qsizetype n = text.size();
    char16_t *d = reinterpret_cast<char16_t *>(text.data());
    for (qsizetype i = 0; i < n; ++i) {
        if (QChar::isHighSurrogate(d[i]) && i + 1 < n && QChar::isLowSurrogate(d[i + 1])) {
            ++i;
        } else if (QChar::isSurrogate(d[i])) {
            d[i] = 0xFFFD;
            ++bad;
        }
    }
    if (oddByte) {
        text += QChar(0xFFFD);
        ++bad;
    }
    *errors = bad;
    return text;
}

// The byte order of UTF-16 without a byte-order mark, when the bytes are
// that: a page's markup is ASCII, so in UTF-16 many characters have one zero
// byte, always on the same side. Text in an 8-bit encoding has no zero bytes
// (a page of NUL characters has them on both sides); Japanese text in UTF-16
// has some on the other side (U+3000, U+4E00), far fewer.
std::optional<bool> Utf16ByteOrder(QByteArrayView bytes)
{
    if (bytes.size() < 2 || !bytes.contains('\0'))
        return std::nullopt;
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype units = bytes.size() / 2;
    qsizetype le = 0;
    qsizetype be = 0;
    for (qsizetype i = 0; i < units; ++i) {
        const unsigned a = p[2 * i];
        const unsigned b = p[2 * i + 1];
        if (b == 0 && a != 0 && a < 0x80)
            ++le;
        else if (a == 0 && b != 0 && b < 0x80)
            ++be;
    }
    const qsizetype most = qMax(le, be);
    if (most * 4 < units || qMin(le, be) * 2 >= most)
        return std::nullopt;
    return le > be;
}

// How plausibly bytes read as Japanese text in one encoding: the byte
// sequences the encoding does not define, and a score that rewards what
// Japanese text is made of (kana and punctuation most, then the common
// kanji) and punishes what it hardly ever holds (user-defined characters).
struct Reading
{
    qsizetype errors = 0;
    qint64 score = 0;
};

int RowScore(unsigned row)
{
    if (row <= 5)
        return 20; // symbols, full-width letters and digits, hiragana, katakana
    if (row <= 8)
        return 4;  // Greek, Cyrillic, box drawing
    if (row >= 16 && row <= 47)
        return 16; // the common kanji
    if (row >= 48 && row <= 84)
        return 4;  // the rarer kanji
    return 2;      // NEC and IBM extensions
}
// Half-width katakana, rare in pages: in code page 932 per byte; in EUC-JP
// their 0x8E form is telling, and so is JIS X 0212's 0x8F form.
constexpr int HalfWidthKanaScore = 8;
constexpr int EucHalfWidthKanaScore = 18;
constexpr int SupplementaryScore = 16;
constexpr int UserDefinedScore = -20;

Reading ReadAsCp932(QByteArrayView bytes)
{
    using namespace Cp932Table;
    Reading r;
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *const end = p + bytes.size();
    while (p < end) {
        const unsigned b = *p;
        if (b < 0x80) {
            ++p;
            continue;
        }
        if (kSingleByte[b] != kLeadMark) {
            if (b >= 0xA1 && b <= 0xDF)
                r.score += HalfWidthKanaScore;
            else
                ++r.errors; // 0x80, 0xA0, 0xFD to 0xFF: no character a page would hold
            ++p;
            continue;
        }
        if (p + 1 == end || p[1] < 0x40 || p[1] == 0x7F || p[1] > 0xFC) {
            ++r.errors;
            ++p;
            continue;
        }
        const unsigned t = p[1];
        if (kDoubleByte[(b - kLeadFirst) * unsigned(kTrailCount) + (t - kTrailFirst)] == kNoChar) {
            ++r.errors;
            p += t < 0x80 ? 1 : 2;
            continue;
        }
        if (b >= 0xF0 && b <= 0xF9) {
            r.score += UserDefinedScore;
        } else if (b >= 0xFA) {
            r.score += RowScore(89);
        } else {
            const unsigned base = b <= 0x9F ? (b - 0x81) * 2 + 1 : (b - 0xC1) * 2 + 1;
            r.score += RowScore(t >= 0x9F ? base + 1 : base);
        }
        p += 2;
    }
    return r;
}

Reading ReadAsEucJp(QByteArrayView bytes)
{
    Reading r;
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *const end = p + bytes.size();
    auto graphic = [](unsigned b) { return b >= 0xA1 && b <= 0xFE; };
    while (p < end) {
        const unsigned b = *p;
        if (b < 0x80) {
            ++p;
        } else if (b == 0x8E && p + 1 < end && p[1] >= 0xA1 && p[1] <= 0xDF) {
            r.score += EucHalfWidthKanaScore;
            p += 2;
        } else if (b == 0x8F && p + 2 < end && graphic(p[1]) && graphic(p[2])) {
            const char16_t c = JisX0212Table::kChars[(p[1] - 0xA1) * unsigned(JisX0212Table::kCols) + (p[2] - 0xA1)];
            if (c == JisX0212Table::kNoChar)
                ++r.errors;
            else
                r.score += SupplementaryScore;
            p += 3;
        } else if (graphic(b) && p + 1 < end && graphic(p[1])) {
            if (EucJp::Jis0208Char(b - 0xA0, p[1] - 0xA0) == 0xFFFD)
                ++r.errors;
            else
                r.score += RowScore(b - 0xA0);
            p += 2;
        } else {
            ++r.errors;
            ++p;
        }
    }
    return r;
}

} // namespace

QString EncodingDisplayName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Ascii: return u"ASCII"_s;
    case TextEncoding::Utf8: return u"UTF-8"_s;
    case TextEncoding::Utf16LE: return u"UTF-16LE"_s;
    case TextEncoding::Utf16BE: return u"UTF-16BE"_s;
    case TextEncoding::Cp932: return u"シフトJIS"_s;
    case TextEncoding::EucJp: return u"EUC-JP"_s;
    case TextEncoding::Windows1252: return u"ISO-8859-1 (Windows-1252)"_s;
    case TextEncoding::Iso2022Jp: return u"ISO-2022-JP"_s;
    }
    return QString();
}

std::optional<TextEncoding> EncodingForCharsetName(QStringView name)
{
    // The names browsers know for these encodings.
    static const struct
    {
        const char16_t *name;
        TextEncoding encoding;
    } names[] = {
        {u"utf-8", TextEncoding::Utf8}, {u"utf8", TextEncoding::Utf8},
        {u"unicode-1-1-utf-8", TextEncoding::Utf8}, {u"unicode11utf8", TextEncoding::Utf8},
        {u"unicode20utf8", TextEncoding::Utf8}, {u"x-unicode20utf8", TextEncoding::Utf8},
        {u"shift_jis", TextEncoding::Cp932}, {u"shift-jis", TextEncoding::Cp932},
        {u"sjis", TextEncoding::Cp932}, {u"x-sjis", TextEncoding::Cp932},
        {u"windows-31j", TextEncoding::Cp932}, {u"ms932", TextEncoding::Cp932},
        {u"ms_kanji", TextEncoding::Cp932}, {u"csshiftjis", TextEncoding::Cp932},
        {u"cp932", TextEncoding::Cp932},
        {u"euc-jp", TextEncoding::EucJp}, {u"x-euc-jp", TextEncoding::EucJp},
        {u"cseucpkdfmtjapanese", TextEncoding::EucJp},
        {u"iso-2022-jp", TextEncoding::Iso2022Jp}, {u"csiso2022jp", TextEncoding::Iso2022Jp},
        {u"iso-8859-1", TextEncoding::Windows1252}, {u"iso8859-1", TextEncoding::Windows1252},
        {u"iso88591", TextEncoding::Windows1252}, {u"iso_8859-1", TextEncoding::Windows1252},
        {u"iso_8859-1:1987", TextEncoding::Windows1252}, {u"iso-ir-100", TextEncoding::Windows1252},
        {u"latin1", TextEncoding::Windows1252}, {u"l1", TextEncoding::Windows1252},
        {u"csisolatin1", TextEncoding::Windows1252}, {u"ibm819", TextEncoding::Windows1252},
        {u"cp819", TextEncoding::Windows1252}, {u"windows-1252", TextEncoding::Windows1252},
        {u"cp1252", TextEncoding::Windows1252}, {u"x-cp1252", TextEncoding::Windows1252},
        {u"us-ascii", TextEncoding::Windows1252}, {u"ascii", TextEncoding::Windows1252},
        {u"ansi_x3.4-1968", TextEncoding::Windows1252},
    };
    const QStringView n = name.trimmed();
    for (const auto &e : names) {
        if (n.compare(QStringView(e.name), Qt::CaseInsensitive) == 0)
            return e.encoding;
    }
    return std::nullopt;
}

QString DeclaredCharsetName(const QString &html)
{
    // Only the head declares the charset; comments hide what they hold. The
    // head ends at "</head" or "<body"; the search is bounded, because this
    // runs on every keystroke and a page need not have a head at all. Preview
    // copies are written on a thread of their own: each thread has its own
    // expressions.
    QString head = html.left(HeadLimit);
    for (const QString &end : {u"</head"_s, u"<body"_s}) {
        const qsizetype at = head.indexOf(end, 0, Qt::CaseInsensitive);
        if (at >= 0)
            head.truncate(at);
    }
    static thread_local const QRegularExpression comment(u"<!--.*?(?:-->|$)"_s,
                                            QRegularExpression::DotMatchesEverythingOption);
    head.remove(comment);

    static thread_local const QRegularExpression meta(u"<meta(\\s[^>]*)>?"_s, QRegularExpression::CaseInsensitiveOption);
    static thread_local const QRegularExpression charsetInContent(u"charset\\s*=\\s*[\"']?\\s*([-A-Za-z0-9_:.]+)"_s,
                                                     QRegularExpression::CaseInsensitiveOption);
    // A browser follows the first declaration, so only the first one counts.
    auto it = meta.globalMatch(head);
    while (it.hasNext()) {
        const QString attrs = it.next().captured(1);
        const QString charset = AttributeValue(attrs, u"charset"_s).trimmed();
        if (!charset.isEmpty())
            return charset;
        if (AttributeValue(attrs, u"http-equiv"_s).trimmed().compare(u"content-type"_s, Qt::CaseInsensitive) == 0) {
            const QRegularExpressionMatch m = charsetInContent.match(AttributeValue(attrs, u"content"_s));
            if (m.hasMatch())
                return m.captured(1);
        }
    }
    return QString();
}

PageFileEncoding PageFileEncodingOf(const QString &html)
{
    const QString name = DeclaredCharsetName(html);
    if (name.isEmpty())
        return PageFileEncoding::Cp932;
    switch (EncodingForCharsetName(name).value_or(TextEncoding::Cp932)) {
    case TextEncoding::Utf8: return PageFileEncoding::Utf8;
    case TextEncoding::EucJp: return PageFileEncoding::EucJp;
    case TextEncoding::Windows1252: return PageFileEncoding::Windows1252;
    case TextEncoding::Iso2022Jp: return PageFileEncoding::Iso2022Jp;
    default: return PageFileEncoding::Cp932;
    }
}

QByteArray EncodePageText(const QString &html, PageFileEncoding encoding, CharChanges *changes)
{
    switch (encoding) {
    case PageFileEncoding::Utf8: return html.toUtf8();
    case PageFileEncoding::EucJp: return EucJp::encodeWithCharRefs(html, changes);
    case PageFileEncoding::Windows1252: return EncodeWindows1252WithCharRefs(html, changes);
    case PageFileEncoding::Iso2022Jp: return Iso2022Jp::encodeWithCharRefs(html, changes);
    case PageFileEncoding::Cp932: break;
    }
    return Cp932::encodeWithCharRefs(html, changes);
}

QString DecodeWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    auto *d = reinterpret_cast<char16_t *>(text.data());
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        *d++ = (b >= 0x80 && b <= 0x9F) ? kWin1252High[b - 0x80] : char16_t(b);
    }
    return text;
}

QByteArray EncodeWindows1252WithCharRefs(QStringView text, CharChanges *changes)
{
    QByteArray out;
    out.reserve(text.size() + 2);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out.append(char(c));
            continue;
        }
        int byte = -1;
        for (int k = 0; k < 32; ++k) {
            if (kWin1252High[k] == c) {
                byte = 0x80 + k;
                break;
            }
        }
        if (byte >= 0) {
            out.append(char(byte));
            continue;
        }
        char32_t cp = c;
        if (QChar::isHighSurrogate(c) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(c, text[i + 1].unicode());
            ++i;
        } else if (QChar::isSurrogate(c)) {
            cp = 0xFFFD;
        }
        if (changes)
            changes->addRef(cp);
        out += "&#" + QByteArray::number(uint(cp)) + ';';
    }
    return out;
}

DecodedHtml DecodeHtmlFile(QByteArrayView bytes)
{
    DecodedHtml r;
    // A byte-order mark decides.
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        r.encoding = TextEncoding::Utf8;
        r.text = DecodeUtf8(bytes.sliced(3), &r.undecodable);
        return r;
    }
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const bool le = bytes.startsWith("\xFF\xFE");
        r.encoding = le ? TextEncoding::Utf16LE : TextEncoding::Utf16BE;
        r.text = DecodeUtf16(bytes.sliced(2), le, &r.undecodable);
        return r;
    }
    if (const std::optional<bool> le = Utf16ByteOrder(bytes)) {
        r.encoding = *le ? TextEncoding::Utf16LE : TextEncoding::Utf16BE;
        r.text = DecodeUtf16(bytes, *le, &r.undecodable);
        return r;
    }

    if (IsAscii(bytes)) {
        if (Iso2022Jp::hasEscapes(bytes)) {
            r.encoding = TextEncoding::Iso2022Jp;
            r.text = Iso2022Jp::decode(bytes, &r.undecodable);
            return r;
        }
        r.encoding = TextEncoding::Ascii;
        r.text = QString::fromLatin1(bytes);
        return r;
    }
    qsizetype utf8Errors = 0;
    QString utf8 = DecodeUtf8(bytes, &utf8Errors);

    // Then the page's own declaration, unless the bytes contradict it: bytes
    // that are not valid in the encoding it names, or valid UTF-8 under the
    // name of another encoding (a page saved as UTF-8 from a template that
    // still names Shift_JIS), which other text hardly ever is.
    const QString declared = DeclaredCharsetName(QString::fromLatin1(bytes.first(qMin(bytes.size(), HeadLimit))));
    const std::optional<TextEncoding> named = declared.isEmpty() ? std::nullopt : EncodingForCharsetName(declared);
    if (named && *named != TextEncoding::Utf8 && utf8Errors != 0) {
        qsizetype errors = 0;
        QString text;
        switch (*named) {
        case TextEncoding::Cp932: errors = ReadAsCp932(bytes).errors; text = Cp932::decode(bytes); break;
        case TextEncoding::EucJp: text = EucJp::decode(bytes, &errors); break;
        case TextEncoding::Windows1252: text = DecodeWindows1252(bytes); break;
        default: errors = 1; break;
        }
        if (errors == 0) {
            r.text = std::move(text);
            r.encoding = *named;
            r.declared = true;
            return r;
        }
    }
    if (utf8Errors == 0) {
        r.encoding = TextEncoding::Utf8;
        r.declared = named == TextEncoding::Utf8;
        r.text = std::move(utf8);
        return r;
    }

    // Code page 932 or EUC-JP: the reading with fewer undefined sequences,
    // then the one that looks more like Japanese text; code page 932 on a tie.
    const Reading sjis = ReadAsCp932(bytes);
    const Reading euc = ReadAsEucJp(bytes);
    const bool eucWins = euc.errors < sjis.errors || (euc.errors == sjis.errors && euc.score > sjis.score);
    if (eucWins) {
        r.encoding = TextEncoding::EucJp;
        r.text = EucJp::decode(bytes, &r.undecodable);
    } else {
        r.encoding = TextEncoding::Cp932;
        r.text = Cp932::decode(bytes);
        r.undecodable = r.text.count(QChar(0xFFFD));
    }
    return r;
}
