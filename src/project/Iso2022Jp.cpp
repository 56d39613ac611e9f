#include "Iso2022Jp.h"

#include "EucJp.h"
#include "JisX0212Table.h"

namespace {

enum class Set { Ascii, Roman, Katakana, Jis0208 };

constexpr char16_t kReplacement = 0xFFFD;
constexpr unsigned char Esc = 0x1B;

// The set an escape sequence at p (at least three bytes) switches to; false
// when the bytes are no such sequence.
bool EscapeSet(const unsigned char *p, Set *set)
{
    if (p[1] == '(' && p[2] == 'B')
        *set = Set::Ascii;
    else if (p[1] == '(' && p[2] == 'J')
        *set = Set::Roman;
    else if (p[1] == '(' && p[2] == 'I')
        *set = Set::Katakana;
    else if (p[1] == '$' && (p[2] == '@' || p[2] == 'B'))
        *set = Set::Jis0208;
    else
        return false;
    return true;
}

const char *EscapeOf(Set set)
{
    switch (set) {
    case Set::Ascii: return "\x1B(B";
    case Set::Roman: return "\x1B(J";
    case Set::Katakana: return "\x1B(I";
    case Set::Jis0208: break;
    }
    return "\x1B$B";
}

bool IsJisByte(unsigned b)
{
    return b >= 0x21 && b <= 0x7E;
}

} // namespace

namespace Iso2022Jp {

bool hasEscapes(QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    Set set;
    for (qsizetype i = bytes.indexOf(char(Esc)); i >= 0 && i + 2 < bytes.size(); i = bytes.indexOf(char(Esc), i + 1)) {
        if (EscapeSet(p + i, &set))
            return true;
    }
    return false;
}

QString decode(QByteArrayView bytes, qsizetype *errors)
{
    QString out(bytes.size(), Qt::Uninitialized);
    auto *d = reinterpret_cast<char16_t *>(out.data());
    qsizetype bad = 0;
    auto fail = [&] {
        *d++ = kReplacement;
        ++bad;
    };
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype n = bytes.size();
    Set set = Set::Ascii;
    qsizetype i = 0;
    while (i < n) {
        const unsigned b = p[i];
        if (b == Esc) {
            Set next;
            if (i + 2 < n && EscapeSet(p + i, &next)) {
                set = next;
                i += 3;
            } else {
                fail(); // the bytes after it are read as text
                ++i;
            }
            continue;
        }
        if (b >= 0x80 || b == 0x0E || b == 0x0F) {
            fail();
            ++i;
            continue;
        }
        if (b == '\r' || b == '\n') {
            set = Set::Ascii;
            *d++ = char16_t(b);
            ++i;
            continue;
        }
        switch (set) {
        case Set::Ascii:
            *d++ = char16_t(b);
            ++i;
            break;
        case Set::Roman:
            *d++ = b == 0x5C ? char16_t(0x00A5) : b == 0x7E ? char16_t(0x203E) : char16_t(b);
            ++i;
            break;
        case Set::Katakana:
            if (b >= 0x21 && b <= 0x5F)
                *d++ = char16_t(0xFF61 + (b - 0x21));
            else
                fail();
            ++i;
            break;
        case Set::Jis0208:
            if (IsJisByte(b) && i + 1 < n && IsJisByte(p[i + 1])) {
                const char16_t c = EucJp::Jis0208Char(b - 0x20, p[i + 1] - 0x20);
                if (c == kReplacement)
                    fail();
                else
                    *d++ = c;
                i += 2;
            } else {
                fail(); // a byte that begins no code, or a code cut short
                ++i;
            }
            break;
        }
    }
    out.truncate(d - reinterpret_cast<const char16_t *>(out.constData()));
    if (errors)
        *errors = bad;
    return out;
}

QByteArray encodeWithCharRefs(QStringView text, CharChanges *changes)
{
    QByteArray out;
    out.reserve(text.size() + text.size() / 8 + 8);
    Set set = Set::Ascii;
    auto use = [&](Set s) {
        if (set != s) {
            out += EscapeOf(s);
            set = s;
        }
    };
    // The EUC-JP form holds the same sets with the high bit set; characters
    // without a code come out of it as references already, JIS X 0212 as 0x8F
    // and two bytes.
    auto putEuc = [&](QStringView part) {
        const QByteArray euc = EucJp::encodeWithCharRefs(part, changes);
        const auto *p = reinterpret_cast<const unsigned char *>(euc.constData());
        const qsizetype n = euc.size();
        for (qsizetype i = 0; i < n;) {
            const unsigned b = p[i];
            if (b < 0x80) {
                use(Set::Ascii);
                if (b == Esc || b == 0x0E || b == 0x0F) {
                    if (changes)
                        changes->addRef(b);
                    out += "&#" + QByteArray::number(b) + ';';
                }
                else
                    out += char(b);
                ++i;
            } else if (b == 0x8E && i + 1 < n) {
                use(Set::Katakana);
                out += char(p[i + 1] - 0x80);
                i += 2;
            } else if (b == 0x8F && i + 2 < n) {
                const char16_t c =
                    JisX0212Table::kChars[(p[i + 1] - 0xA1) * unsigned(JisX0212Table::kCols) + (p[i + 2] - 0xA1)];
                use(Set::Ascii);
                if (changes)
                    changes->addRef(c);
                out += "&#" + QByteArray::number(uint(c)) + ';';
                i += 3;
            } else {
                use(Set::Jis0208);
                out += char(b - 0x80);
                out += char(i + 1 < n ? p[i + 1] - 0x80 : 0x21);
                i += 2;
            }
        }
    };
    // The yen sign and the overline are JIS X 0201 Roman's own.
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c != 0x00A5 && c != 0x203E)
            continue;
        putEuc(text.sliced(from, i - from));
        use(Set::Roman);
        out += c == 0x00A5 ? '\\' : '~';
        from = i + 1;
    }
    putEuc(text.sliced(from));
    use(Set::Ascii);
    return out;
}

} // namespace Iso2022Jp
