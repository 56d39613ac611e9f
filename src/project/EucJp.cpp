#include "EucJp.h"

#include "CharChanges.h"
#include "Cp932Table.h"
#include "JisX0212Table.h"

#include <cstdint>
#include <cstring>
#include <memory>

namespace {

using EucJp::Jis0208Char;

constexpr char16_t kReplacement = 0xFFFD;

bool IsGraphicByte(unsigned b)
{
    return b >= 0xA1 && b <= 0xFE;
}

char16_t Jis0212Char(unsigned r, unsigned c)
{
    return JisX0212Table::kChars[(r - 1) * unsigned(JisX0212Table::kCols) + (c - 1)];
}

// The code of every UTF-16 code unit: 0 for none; a value up to 0xFFFF for
// two bytes (0x8E and a byte for half-width katakana); 0x8F0000 and two bytes
// for JIS X 0212. ASCII is never looked up.
struct EncodeTable
{
    uint32_t code[0x10000] = {};

    EncodeTable()
    {
        for (unsigned b = 0xA1; b <= 0xDF; ++b)
            code[0xFF61 + (b - 0xA1)] = 0x8E00 | b;
        // Where one character has several places, the JIS X 0208 rows come
        // first, then NEC row 13, then the NEC-selected IBM rows, and JIS X
        // 0212 last; within one rank the lowest code wins.
        uint8_t rank[0x10000] = {};
        auto offer = [&](char16_t ch, uint32_t value, uint8_t r) {
            if (ch == kReplacement || ch < 0x80)
                return;
            if (code[ch] == 0 || r < rank[ch]) {
                code[ch] = value;
                rank[ch] = r;
            }
        };
        for (unsigned r = 1; r <= 94; ++r) {
            const uint8_t rk = (r == 13) ? 1 : (r >= 89 && r <= 92) ? 2 : 0;
            for (unsigned c = 1; c <= 94; ++c)
                offer(Jis0208Char(r, c), (0xA0 + r) << 8 | (0xA0 + c), rk);
        }
        for (unsigned r = 1; r <= 94; ++r) {
            for (unsigned c = 1; c <= 94; ++c)
                offer(Jis0212Char(r, c), 0x8F0000 | (0xA0 + r) << 8 | (0xA0 + c), 3);
        }
    }
};

const uint32_t *EncodeCodes()
{
    static const std::unique_ptr<const EncodeTable> table = std::make_unique<EncodeTable>();
    return table->code;
}

// Appends the code of one code unit; false when it has none.
bool Put(const uint32_t *codes, char16_t c, QByteArray &out)
{
    if (c < 0x80) {
        out.append(char(c));
        return true;
    }
    const uint32_t code = codes[c];
    if (code == 0)
        return false;
    if (code > 0xFFFF)
        out.append(char(0x8F));
    out.append(char((code >> 8) & 0xFF));
    out.append(char(code & 0xFF));
    return true;
}

} // namespace

namespace EucJp {

// JIS X 0208 row r, column c is read as code page 932 reads the Shift_JIS code
// of the same place.
char16_t Jis0208Char(unsigned r, unsigned c)
{
    const unsigned lead = (r + 1) / 2 + (r <= 62 ? 0x80 : 0xC0);
    const unsigned trail = (r % 2 == 1) ? c + 0x3F + (c >= 64 ? 1 : 0) : c + 0x9E;
    return Cp932Table::kDoubleByte[(lead - Cp932Table::kLeadFirst) * unsigned(Cp932Table::kTrailCount)
                                   + (trail - Cp932Table::kTrailFirst)];
}

QString decode(QByteArrayView bytes, qsizetype *errors)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *const end = p + bytes.size();
    QString result(bytes.size(), Qt::Uninitialized);
    auto *d = reinterpret_cast<char16_t *>(result.data());
    auto *const begin = d;
    qsizetype bad = 0;
    while (p < end) {
        const unsigned b = *p;
        if (b < 0x80) {
            *d++ = char16_t(b);
            ++p;
            continue;
        }
        char16_t c = kReplacement;
        int used = 1; // a broken sequence gives up its first byte only, so
                      // that a line break or tag after it is read again
        if (b == 0x8E) {
            if (p + 1 < end && p[1] >= 0xA1 && p[1] <= 0xDF) {
                c = char16_t(0xFF61 + (p[1] - 0xA1));
                used = 2;
            }
        } else if (b == 0x8F) {
            if (p + 2 < end && IsGraphicByte(p[1]) && IsGraphicByte(p[2])) {
                c = Jis0212Char(p[1] - 0xA0, p[2] - 0xA0);
                used = 3;
            }
        } else if (IsGraphicByte(b)) {
            if (p + 1 < end && IsGraphicByte(p[1])) {
                c = Jis0208Char(b - 0xA0, p[1] - 0xA0);
                used = 2;
            }
        }
        if (c == kReplacement)
            ++bad;
        *d++ = c;
        p += used;
    }
    result.truncate(d - begin);
    if (errors)
        *errors = bad;
    return result;
}

bool encode(QStringView text, QByteArray *out, qsizetype *badIndex)
{
    const uint32_t *codes = EncodeCodes();
    out->clear();
    out->reserve(text.size() * 2);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (!Put(codes, text[i].unicode(), *out)) {
            if (badIndex)
                *badIndex = i;
            return false;
        }
    }
    return true;
}

QByteArray encodeWithCharRefs(QStringView text, CharChanges *changes)
{
    const uint32_t *codes = EncodeCodes();
    QByteArray out;
    out.reserve(text.size() * 2 + 2);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (Put(codes, c, out))
            continue;
        char32_t cp = c;
        if (QChar::isHighSurrogate(c) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(c, text[i + 1].unicode());
            ++i;
        } else if (QChar::isSurrogate(c)) {
            // A lone surrogate is no character at all; a browser shows U+FFFD for it.
            cp = kReplacement;
        }
        if (changes)
            changes->addRef(cp);
        out += "&#" + QByteArray::number(uint(cp)) + ';';
    }
    return out;
}

} // namespace EucJp
