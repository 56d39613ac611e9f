#include "Cp932.h"

#include "CharChanges.h"
#include "Cp932Table.h"

#include <cstdint>
#include <cstring>
#include <memory>

namespace {

using Cp932Table::kDoubleByte;
using Cp932Table::kLeadCount;
using Cp932Table::kLeadFirst;
using Cp932Table::kLeadMark;
using Cp932Table::kNoChar;
using Cp932Table::kSingleByte;
using Cp932Table::kTrailCount;
using Cp932Table::kTrailFirst;

constexpr char16_t kReplacement = 0xFFFD;

bool IsTrailByte(unsigned b)
{
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// Where Windows looks first when one character has several double-byte codes:
// the JIS X 0208 rows, then NEC row 13, then the IBM extensions, and the
// NEC-selected copies of the IBM extensions last. Lower is preferred.
int LeadRank(unsigned lead)
{
    if (lead == 0x87)
        return 1;
    if (lead >= 0xFA && lead <= 0xFC)
        return 2;
    if (lead == 0xED || lead == 0xEE)
        return 3;
    return 0;
}

// Characters a Linux Japanese input method types where Windows types their
// full-width or JIS counterparts, with the counterpart's code. They are
// written with that code, as Windows' own conversion writes them, and so read
// back as the counterparts.
struct OneWay
{
    char16_t c;
    uint16_t jis;
};
constexpr OneWay kOneWay[] = {
    {0x301C, 0x8160}, // WAVE DASH -> FULLWIDTH TILDE
    {0x2016, 0x8161}, // DOUBLE VERTICAL LINE -> PARALLEL TO
    {0x2212, 0x817C}, // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS
    {0x00A2, 0x8191}, // CENT SIGN -> FULLWIDTH CENT SIGN
    {0x00A3, 0x8192}, // POUND SIGN -> FULLWIDTH POUND SIGN
    {0x00AC, 0x81CA}, // NOT SIGN -> FULLWIDTH NOT SIGN
    {0x2014, 0x815C}, // EM DASH -> HORIZONTAL BAR
};

bool IsOneWay(char16_t c)
{
    for (const OneWay &o : kOneWay)
        if (o.c == c)
            return true;
    return false;
}

// What a look-alike reads back as.
char16_t OneWayCounterpart(char16_t c)
{
    for (const OneWay &o : kOneWay)
        if (o.c == c)
            return kDoubleByte[((o.jis >> 8) - kLeadFirst) * unsigned(kTrailCount) + ((o.jis & 0xFF) - kTrailFirst)];
    return c;
}

// The code of every UTF-16 code unit: 0 for none, a value below 0x100 for a
// single byte, otherwise lead byte * 256 + trail byte. ASCII is never looked up.
struct EncodeTable
{
    uint16_t code[0x10000] = {};

    EncodeTable()
    {
        for (unsigned b = 0x80; b < 0x100; ++b) {
            const char16_t c = kSingleByte[b];
            if (c != kLeadMark && c != kNoChar)
                code[c] = uint16_t(b);
        }
        uint8_t rank[0x10000] = {};
        for (int l = 0; l < kLeadCount; ++l) {
            const unsigned lead = unsigned(kLeadFirst + l);
            const int leadRank = LeadRank(lead);
            for (int t = 0; t < kTrailCount; ++t) {
                const char16_t c = kDoubleByte[l * kTrailCount + t];
                if (c == kNoChar)
                    continue;
                // Codes are visited in ascending order, so within one rank the
                // lowest code wins; a single byte always wins.
                if (code[c] == 0 || (code[c] >= 0x100 && leadRank < rank[c])) {
                    code[c] = uint16_t(lead << 8 | unsigned(kTrailFirst + t));
                    rank[c] = uint8_t(leadRank);
                }
            }
        }
        for (const auto &[c, jis] : kOneWay) {
            if (code[c] == 0)
                code[c] = jis;
        }
    }

};

const uint16_t *EncodeCodes()
{
    static const std::unique_ptr<const EncodeTable> table = std::make_unique<EncodeTable>();
    return table->code;
}

// The code point at text[i], combining a surrogate pair (then *units is 2).
char32_t CodePointAt(QStringView text, qsizetype i, int *units)
{
    const char16_t c = text[i].unicode();
    *units = 1;
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
        *units = 2;
        return QChar::surrogateToUcs4(c, text[i + 1].unicode());
    }
    return c;
}

} // namespace

namespace Cp932 {

QString decode(QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *const end = p + bytes.size();
    QString result(bytes.size(), Qt::Uninitialized);
    auto *d = reinterpret_cast<char16_t *>(result.data());
    auto *const begin = d;
    while (p < end) {
        const unsigned b = *p;
        if (b < 0x80) {
            *d++ = char16_t(b);
            ++p;
            continue;
        }
        const char16_t single = kSingleByte[b];
        if (single != kLeadMark) {
            *d++ = single;
            ++p;
            continue;
        }
        if (p + 1 == end || !IsTrailByte(p[1])) {
            // A lead byte without its trail byte: the next byte (if any) is
            // read again on its own, so a line break or tag is not swallowed.
            *d++ = kReplacement;
            ++p;
            continue;
        }
        const unsigned trail = p[1];
        const char16_t c = kDoubleByte[(b - kLeadFirst) * unsigned(kTrailCount) + (trail - kTrailFirst)];
        *d++ = c;
        // An undefined pair whose second byte is ASCII keeps that ASCII byte.
        p += (c == kNoChar && trail < 0x80) ? 1 : 2;
    }
    result.truncate(d - begin);
    return result;
}

bool encode(QStringView text, QByteArray *out, qsizetype *badIndex)
{
    const uint16_t *codes = EncodeCodes();
    out->resize(text.size() * 2);
    auto *d = reinterpret_cast<unsigned char *>(out->data());
    auto *const begin = d;
    const char16_t *src = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = src[i];
        if (c < 0x80) {
            *d++ = static_cast<unsigned char>(c);
            continue;
        }
        const uint16_t code = codes[c];
        if (code == 0) {
            if (badIndex)
                *badIndex = i;
            out->truncate(d - begin);
            return false;
        }
        if (code < 0x100) {
            *d++ = static_cast<unsigned char>(code);
        } else {
            *d++ = static_cast<unsigned char>(code >> 8);
            *d++ = static_cast<unsigned char>(code & 0xFF);
        }
    }
    out->truncate(d - begin);
    return true;
}

bool canEncode(QStringView text, qsizetype *badIndex)
{
    const uint16_t *codes = EncodeCodes();
    const char16_t *src = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = src[i];
        if (c >= 0x80 && codes[c] == 0) {
            if (badIndex)
                *badIndex = i;
            return false;
        }
    }
    return true;
}

bool canEncodeExactly(QStringView text, qsizetype *badIndex)
{
    qsizetype bad = -1;
    const bool encodable = canEncode(text, &bad);
    const qsizetype limit = encodable ? text.size() : bad;
    for (qsizetype i = 0; i < limit; ++i) {
        if (IsOneWay(text[i].unicode())) {
            if (badIndex)
                *badIndex = i;
            return false;
        }
    }
    if (!encodable && badIndex)
        *badIndex = bad;
    return encodable;
}

bool encodeExactly(QStringView text, QByteArray *out, qsizetype *badIndex)
{
    if (!canEncodeExactly(text, badIndex))
        return false;
    return encode(text, out, badIndex);
}

QByteArray encodeWithCharRefs(QStringView text, CharChanges *changes)
{
    // Most texts have a code for every character: the plain encoder does all
    // the work, and the slower loop below takes over at the first exception.
    QByteArray out;
    qsizetype first = 0;
    const bool whole = encode(text, &out, &first);
    if (changes) {
        // The look-alikes go through the plain encoder unnoticed; count them
        // here, the references in the loop below.
        for (const QChar ch : text)
            if (IsOneWay(ch.unicode()))
                changes->addMapped(ch.unicode(), OneWayCounterpart(ch.unicode()));
    }
    if (whole)
        return out;

    const uint16_t *codes = EncodeCodes();
    qsizetype pos = out.size();
    out.resize(pos + (text.size() - first) * 2 + 16);
    const char16_t *src = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = first; i < n; ++i) {
        const char16_t c = src[i];
        char *d = out.data() + pos;
        if (c < 0x80) {
            *d = char(c);
            ++pos;
            continue;
        }
        const uint16_t code = codes[c];
        if (code != 0) {
            if (code < 0x100) {
                d[0] = char(code);
                ++pos;
            } else {
                d[0] = char(code >> 8);
                d[1] = char(code & 0xFF);
                pos += 2;
            }
            continue;
        }
        int units = 1;
        char32_t cp = CodePointAt(text, i, &units);
        i += units - 1;
        // A lone surrogate is no character at all; a browser shows U+FFFD for it.
        if (QChar::isSurrogate(cp))
            cp = kReplacement;
        if (changes)
            changes->addRef(cp);
        const QByteArray ref = "&#" + QByteArray::number(uint(cp)) + ';';
        if (pos + ref.size() + (n - i) * 2 > out.size())
            out.resize(pos + ref.size() + (n - i) * 2 + 64);
        memcpy(out.data() + pos, ref.constData(), size_t(ref.size()));
        pos += ref.size();
    }
    out.truncate(pos);
    return out;
}

} // namespace Cp932
