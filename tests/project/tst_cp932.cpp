#include "Cp932.h"

#include <QHash>
#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (const int v : values)
        b.append(char(v));
    return b;
}

QByteArray DoubleByte(unsigned code)
{
    return Bytes({int(code >> 8), int(code & 0xFF)});
}

QString Char(char32_t cp)
{
    return QString::fromUcs4(&cp, 1);
}

QByteArray EncodeOrFail(const QString &text)
{
    QByteArray out;
    qsizetype bad = -2;
    if (!Cp932::encode(text, &out, &bad))
        return "ENCODE FAILED AT " + QByteArray::number(bad);
    return out;
}

bool IsLead(unsigned b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Preference among several codes of one character, as Windows writes them.
int Rank(unsigned code)
{
    const unsigned lead = code >> 8;
    if (lead == 0x87)
        return 1;
    if (lead >= 0xFA && lead <= 0xFC)
        return 2;
    if (lead == 0xED || lead == 0xEE)
        return 3;
    return 0;
}

// Every defined double-byte code with the character it decodes to.
QList<QPair<unsigned, char16_t>> AllDoubleByteCodes()
{
    QList<QPair<unsigned, char16_t>> codes;
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsLead(lead))
            continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F)
                continue;
            const QString s = Cp932::decode(DoubleByte(lead << 8 | trail));
            if (s.size() == 1 && s[0] != QChar(0xFFFD))
                codes.append({lead << 8 | trail, s[0].unicode()});
        }
    }
    return codes;
}

} // namespace

class TestCp932 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void asciiBothWays();
    void halfWidthKatakanaBothWays();
    void windowsSingleBytesBothWays();
    void knownCodes_data();
    void knownCodes();
    void userDefinedAreaBothWays();
    void preferredCodeIsChosen_data();
    void preferredCodeIsChosen();
    void fullTableSweep();
    void mixedTextRoundTrip();
    void invalidSequencesBecomeReplacement_data();
    void invalidSequencesBecomeReplacement();
    void charactersWithoutCode_data();
    void charactersWithoutCode();
    void charRefsForCharactersWithoutCode();
    void inputMethodCharactersTakeTheirCounterpartsCode_data();
    void inputMethodCharactersTakeTheirCounterpartsCode();
    void twentyMegabytesBothWays();
};

void TestCp932::asciiBothWays()
{
    QByteArray all;
    for (int b = 0; b < 0x80; ++b)
        all.append(char(b));
    const QString text = Cp932::decode(all);
    QCOMPARE(text.size(), 0x80);
    for (int b = 0; b < 0x80; ++b)
        QCOMPARE(text[b].unicode(), char16_t(b));
    QCOMPARE(EncodeOrFail(text), all);
    // 0x5C is the backslash, not the yen sign.
    QCOMPARE(Cp932::decode("\\"), u"\\"_s);
}

void TestCp932::halfWidthKatakanaBothWays()
{
    for (int b = 0xA1; b <= 0xDF; ++b) {
        const QByteArray one(1, char(b));
        const QString expected(QChar(char16_t(0xFF61 + b - 0xA1)));
        QCOMPARE(Cp932::decode(one), expected);
        QCOMPARE(EncodeOrFail(expected), one);
    }
    QCOMPARE(Cp932::decode(Bytes({0xB1, 0xB2, 0xB3})), u"ｱｲｳ"_s);
}

void TestCp932::windowsSingleBytesBothWays()
{
    const QList<QPair<int, char16_t>> pairs = {
        {0x80, 0x0080}, {0xA0, 0xF8F0}, {0xFD, 0xF8F1}, {0xFE, 0xF8F2}, {0xFF, 0xF8F3}};
    for (const auto &[byte, ch] : pairs) {
        const QByteArray one(1, char(byte));
        QCOMPARE(Cp932::decode(one), QString(QChar(ch)));
        QCOMPARE(EncodeOrFail(QString(QChar(ch))), one);
    }
}

void TestCp932::knownCodes_data()
{
    QTest::addColumn<uint>("code");
    QTest::addColumn<uint>("ch");
    QTest::newRow("wave dash is fullwidth tilde") << 0x8160u << 0xFF5Eu;
    QTest::newRow("minus is fullwidth hyphen-minus") << 0x817Cu << 0xFF0Du;
    QTest::newRow("backslash is fullwidth reverse solidus") << 0x815Fu << 0xFF3Cu;
    QTest::newRow("NEC circled digit one") << 0x8740u << 0x2460u;
    QTest::newRow("IBM kanji taka") << 0xFBFCu << 0x9AD9u;
    QTest::newRow("not sign is fullwidth") << 0x81CAu << 0xFFE2u;
    QTest::newRow("hiragana a") << 0x82A0u << 0x3042u;
    QTest::newRow("kanji nichi") << 0x93FAu << 0x65E5u;
    QTest::newRow("ideographic space") << 0x8140u << 0x3000u;
}

void TestCp932::knownCodes()
{
    QFETCH(uint, code);
    QFETCH(uint, ch);
    QCOMPARE(Cp932::decode(DoubleByte(code)), Char(ch));
    QCOMPARE(EncodeOrFail(Char(ch)), DoubleByte(code));
}

void TestCp932::userDefinedAreaBothWays()
{
    QCOMPARE(Cp932::decode(DoubleByte(0xF040)), Char(0xE000));
    QCOMPARE(Cp932::decode(DoubleByte(0xF07E)), Char(0xE03E));
    QCOMPARE(Cp932::decode(DoubleByte(0xF080)), Char(0xE03F));
    QCOMPARE(Cp932::decode(DoubleByte(0xF140)), Char(0xE000 + 188));
    QCOMPARE(Cp932::decode(DoubleByte(0xF9FC)), Char(0xE757));
    // Every private-use character of the area has exactly its own code.
    QSet<QByteArray> seen;
    for (char32_t c = 0xE000; c <= 0xE757; ++c) {
        const QByteArray code = EncodeOrFail(Char(c));
        QCOMPARE(code.size(), 2);
        QVERIFY(uchar(code[0]) >= 0xF0 && uchar(code[0]) <= 0xF9);
        QCOMPARE(Cp932::decode(code), Char(c));
        QVERIFY(!seen.contains(code));
        seen.insert(code);
    }
    QVERIFY(!Cp932::canEncode(Char(0xE758)));
}

void TestCp932::preferredCodeIsChosen_data()
{
    QTest::addColumn<uint>("ch");
    QTest::addColumn<uint>("code");
    QTest::addColumn<uint>("otherCode");
    QTest::newRow("IBM kanji before NEC-selected copy") << 0x9AD9u << 0xFBFCu << 0xEEE0u;
    QTest::newRow("IBM kanji 0x7E8A") << 0x7E8Au << 0xFA5Cu << 0xED40u;
    QTest::newRow("small roman one: IBM before NEC-selected") << 0x2170u << 0xFA40u << 0xEEEFu;
    QTest::newRow("not sign: JIS before IBM") << 0xFFE2u << 0x81CAu << 0xFA54u;
    QTest::newRow("not sign: JIS before NEC-selected") << 0xFFE2u << 0x81CAu << 0xEEF9u;
    QTest::newRow("approximately equal: JIS before NEC") << 0x2252u << 0x81E0u << 0x8790u;
    QTest::newRow("roman one: NEC before IBM") << 0x2160u << 0x8754u << 0xFA4Au;
    QTest::newRow("numero: NEC before IBM") << 0x2116u << 0x8782u << 0xFA59u;
    QTest::newRow("broken bar: IBM before NEC-selected") << 0xFFE4u << 0xFA55u << 0xEEFAu;
}

void TestCp932::preferredCodeIsChosen()
{
    QFETCH(uint, ch);
    QFETCH(uint, code);
    QFETCH(uint, otherCode);
    QCOMPARE(Cp932::decode(DoubleByte(code)), Char(ch));
    QCOMPARE(Cp932::decode(DoubleByte(otherCode)), Char(ch));
    QCOMPARE(EncodeOrFail(Char(ch)), DoubleByte(code));
}

void TestCp932::fullTableSweep()
{
    const auto codes = AllDoubleByteCodes();
    // JIS X 0208, the NEC and IBM extensions and the user-defined area.
    QVERIFY2(codes.size() > 9000, qPrintable(QString::number(codes.size())));

    // The preferred code of each character, worked out from the decode direction.
    QHash<char16_t, unsigned> preferred;
    for (const auto &[code, ch] : codes) {
        const auto it = preferred.constFind(ch);
        if (it == preferred.cend() || Rank(code) < Rank(*it))
            preferred.insert(ch, code);
    }
    int duplicates = 0;
    for (const auto &[code, ch] : codes) {
        const QByteArray encoded = EncodeOrFail(Char(ch));
        QVERIFY2(encoded.size() == 2, qPrintable(QString::number(code, 16)));
        // Whatever code is written reads back as the same character...
        QCOMPARE(Cp932::decode(encoded), Char(ch));
        // ...and it is the one Windows prefers.
        const unsigned written = uint(uchar(encoded[0])) << 8 | uchar(encoded[1]);
        QCOMPARE(written, preferred.value(ch));
        if (preferred.value(ch) == code)
            QCOMPARE(encoded, DoubleByte(code));
        else
            ++duplicates;
    }
    // The NEC and IBM extensions repeat several hundred characters.
    QVERIFY(duplicates > 300);
}

void TestCp932::mixedTextRoundTrip()
{
    const QString text = u"<p>日本語のﾃｷｽﾄ ①②③ 髙橋 ～－＼￢</p>\r\nline2\r\n"_s;
    const QByteArray bytes = EncodeOrFail(text);
    QVERIFY(bytes.contains("\r\n"));
    QCOMPARE(Cp932::decode(bytes), text);
    QVERIFY(Cp932::canEncode(text));
    QCOMPARE(Cp932::encodeWithCharRefs(text), bytes);
    QCOMPARE(Cp932::decode(QByteArray()), QString());
    QCOMPARE(EncodeOrFail(QString()), QByteArray());
}

void TestCp932::invalidSequencesBecomeReplacement_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    const QString r(QChar(0xFFFD));
    QTest::newRow("lead byte at end") << Bytes({'a', 0x82}) << (u"a"_s + r);
    QTest::newRow("lead byte before CR LF") << Bytes({0x82, '\r', '\n'}) << (r + u"\r\n"_s);
    QTest::newRow("lead byte before tag") << Bytes({0x93, '<', 'p'}) << (r + u"<p"_s);
    QTest::newRow("lead byte before DEL") << Bytes({0x81, 0x7F}) << (r + QChar(0x7F));
    QTest::newRow("undefined pair, ASCII trail kept") << Bytes({0x85, 'A'}) << (r + u"A"_s);
    QTest::newRow("undefined pair, high trail") << Bytes({0x85, 0x80, 'x'}) << (r + u"x"_s);
    QTest::newRow("undefined code in JIS row") << Bytes({0x81, 0xAD}) << r;
    QTest::newRow("lead byte before LF, then a pair") << Bytes({0x82, '\n', 0x82, 0xA0}) << (r + u"\nあ"_s);
}

void TestCp932::invalidSequencesBecomeReplacement()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(Cp932::decode(bytes), text);
}

void TestCp932::charactersWithoutCode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("badIndex");
    QTest::newRow("emoji") << u"ab😀c"_s << qsizetype(2);
    QTest::newRow("hangul") << u"あ가"_s << qsizetype(1);
    QTest::newRow("replacement character") << (u"x"_s + QChar(0xFFFD)) << qsizetype(1);
    QTest::newRow("lone high surrogate") << (u"x"_s + QChar(0xD83D) + u"y"_s) << qsizetype(1);
    QTest::newRow("two emoji") << u"😀😁"_s << qsizetype(0);
    QTest::newRow("yen sign") << u"¥5"_s << qsizetype(0);
}

void TestCp932::charactersWithoutCode()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, badIndex);
    QByteArray out;
    qsizetype bad = -1;
    QVERIFY(!Cp932::encode(text, &out, &bad));
    QCOMPARE(bad, badIndex);
    bad = -1;
    QVERIFY(!Cp932::canEncode(text, &bad));
    QCOMPARE(bad, badIndex);
    QVERIFY(!Cp932::encode(text, &out));
}

void TestCp932::charRefsForCharactersWithoutCode()
{
    const QList<QPair<QString, QByteArray>> cases = {
        {u"ab😀c"_s, "ab&#128512;c"},
        {u"あ가"_s, "\x82\xA0&#44032;"},
        {u"😀😁"_s, "&#128512;&#128513;"},
        {u"x"_s + QChar(0xD83D) + u"y"_s, "x&#65533;y"},
        {u"¥5"_s, "&#165;5"},
    };
    for (const auto &[text, expected] : cases)
        QCOMPARE(Cp932::encodeWithCharRefs(text), expected);
    // Many references in a row grow the buffer correctly.
    QString many;
    QByteArray expected;
    for (int i = 0; i < 5000; ++i) {
        many += u"😀"_s;
        expected += "&#128512;";
    }
    QCOMPARE(Cp932::encodeWithCharRefs(many), expected);
}

void TestCp932::inputMethodCharactersTakeTheirCounterpartsCode_data()
{
    QTest::addColumn<uint>("typed");       // what the input method gives
    QTest::addColumn<uint>("code");        // what is written
    QTest::addColumn<uint>("counterpart"); // what the code reads back as
    QTest::newRow("wave dash") << 0x301Cu << 0x8160u << 0xFF5Eu;
    QTest::newRow("double vertical line") << 0x2016u << 0x8161u << 0x2225u;
    QTest::newRow("minus sign") << 0x2212u << 0x817Cu << 0xFF0Du;
    QTest::newRow("cent sign") << 0x00A2u << 0x8191u << 0xFFE0u;
    QTest::newRow("pound sign") << 0x00A3u << 0x8192u << 0xFFE1u;
    QTest::newRow("not sign") << 0x00ACu << 0x81CAu << 0xFFE2u;
    QTest::newRow("em dash") << 0x2014u << 0x815Cu << 0x2015u;
}

void TestCp932::inputMethodCharactersTakeTheirCounterpartsCode()
{
    QFETCH(uint, typed);
    QFETCH(uint, code);
    QFETCH(uint, counterpart);
    const QString text = u"a"_s + Char(typed) + u"あ"_s;
    const QByteArray expected = "a" + DoubleByte(code) + "\x82\xA0";
    QCOMPARE(EncodeOrFail(text), expected);
    QVERIFY(Cp932::canEncode(text));
    // Page text gets the code, not a character reference.
    QCOMPARE(Cp932::encodeWithCharRefs(text), expected);
    // The counterpart keeps its own code, and reading is unchanged.
    QCOMPARE(EncodeOrFail(Char(counterpart)), DoubleByte(code));
    QCOMPARE(Cp932::decode(DoubleByte(code)), Char(counterpart));
    QCOMPARE(Cp932::decode(expected), u"a"_s + Char(counterpart) + u"あ"_s);
}

void TestCp932::twentyMegabytesBothWays()
{
    // About 20 MB of a typical Japanese page: ASCII markup and double-byte text.
    // Its speed is measured by bench_projectfile; here only the result counts.
    const QString chunk = u"<p class=\"x\">日本語の文章とﾃｷｽﾄ、①髙～</p>\r\n"_s;
    QByteArray unit;
    QVERIFY(Cp932::encode(chunk, &unit));
    const qsizetype repeats = 20 * 1024 * 1024 / unit.size();
    const QByteArray bytes = unit.repeated(repeats);

    const QString decoded = Cp932::decode(bytes);
    QVERIFY(decoded == chunk.repeated(repeats));
    QByteArray encoded;
    QVERIFY(Cp932::encode(decoded, &encoded));
    QVERIFY(encoded == bytes);
}

QTEST_APPLESS_MAIN(TestCp932)
#include "tst_cp932.moc"
