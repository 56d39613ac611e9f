// Damaged page files: every truncation and a few thousand seeded mutations of
// pages in each encoding are fed to the page reader. None may crash; what it
// could not read is counted, and what it read writes back in the same
// encoding to bytes that read as the same text.
#include "Cp932.h"
#include "EucJp.h"
#include "Iso2022Jp.h"
#include "PageEncoding.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString Body = u"<p>日本語のページです。ｺﾝﾆﾁﾊ ①～</p>\r\n<p>二行目 <a href=\"a.htm\">リンク</a></p>\r\n"_s;

QVector<QByteArray> Samples()
{
    QByteArray sjis;
    Cp932::encode(Body, &sjis);
    QByteArray euc;
    EucJp::encode(QString(Body + u"丂"_s), &euc);
    QByteArray utf16;
    utf16 += "\xFF\xFE";
    for (const QChar c : Body) {
        utf16 += char(c.unicode() & 0xFF);
        utf16 += char(c.unicode() >> 8);
    }
    return {
        sjis,
        euc,
        "<head><meta charset=\"euc-jp\"></head>" + euc,
        "<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\"></head>" + sjis,
        "\xEF\xBB\xBF" + Body.toUtf8(),
        "<meta charset=\"utf-8\">" + Body.toUtf8(),
        "<meta charset=\"iso-8859-1\"><p>caf\xE9 \x80</p>",
        utf16,
        utf16.sliced(2),
        Iso2022Jp::encodeWithCharRefs(Body),
    };
}

PageFileEncoding WriteEncodingOf(TextEncoding e)
{
    switch (e) {
    case TextEncoding::EucJp: return PageFileEncoding::EucJp;
    case TextEncoding::Iso2022Jp: return PageFileEncoding::Iso2022Jp;
    case TextEncoding::Windows1252: return PageFileEncoding::Windows1252;
    default: return PageFileEncoding::Cp932;
    }
}

// Reads bytes and checks what the reader promises.
void Check(const QByteArray &bytes)
{
    const DecodedHtml d = DecodeHtmlFile(bytes);
    const qsizetype replaced = d.text.count(QChar(0xFFFD));
    switch (d.encoding) {
    case TextEncoding::Ascii:
        if (d.text != QString::fromLatin1(bytes))
            QTest::qFail("ASCII read differently", __FILE__, __LINE__);
        break;
    case TextEncoding::Cp932:
    case TextEncoding::EucJp:
    case TextEncoding::Iso2022Jp:
        // None can hold U+FFFD: every one stands for bytes it could not read.
        if (d.undecodable != replaced)
            QTest::qFail(qPrintable(u"count %1, replaced %2"_s.arg(d.undecodable).arg(replaced)), __FILE__, __LINE__);
        Q_FALLTHROUGH();
    case TextEncoding::Windows1252:
        if (replaced == 0) {
            const PageFileEncoding w = WriteEncodingOf(d.encoding);
            const QByteArray again = EncodePageText(d.text, w);
            const QString back = w == PageFileEncoding::EucJp       ? EucJp::decode(again)
                                 : w == PageFileEncoding::Cp932     ? Cp932::decode(again)
                                 : w == PageFileEncoding::Iso2022Jp ? Iso2022Jp::decode(again)
                                                                    : DecodeWindows1252(again);
            if (back != d.text)
                QTest::qFail("text does not write back to the same text", __FILE__, __LINE__);
        }
        break;
    case TextEncoding::Utf8:
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
        // Every character put in for bytes that could not be read is a U+FFFD.
        if (d.undecodable > replaced)
            QTest::qFail("undecodable bytes left no mark", __FILE__, __LINE__);
        for (qsizetype i = 0; i < d.text.size(); ++i) {
            if (d.text.at(i).isHighSurrogate() && i + 1 < d.text.size() && d.text.at(i + 1).isLowSurrogate())
                ++i;
            else if (d.text.at(i).isSurrogate())
                QTest::qFail("a lone surrogate was kept", __FILE__, __LINE__);
        }
        break;
    }
    if (d.declared && d.undecodable != 0)
        QTest::qFail("a declaration was followed over bytes it does not fit", __FILE__, __LINE__);
    if (d.text.size() > bytes.size())
        QTest::qFail("more characters than bytes", __FILE__, __LINE__);
}

QByteArray Mutate(QByteArray b, QRandomGenerator &rng)
{
    static const QByteArray alphabet("\x8E\x8F\xA1\xA4\xFE\x82\x81\x9F\xE0\xEF\xF0\xFC\xFF\x80<>\"=\r\n\xC3\xE3\xBF", 24);
    const int edits = 1 + int(rng.bounded(4));
    for (int e = 0; e < edits; ++e) {
        const qsizetype pos = b.isEmpty() ? 0 : qsizetype(rng.bounded(quint32(b.size())));
        const char c = rng.bounded(2) ? alphabet.at(rng.bounded(alphabet.size())) : char(rng.bounded(256));
        switch (rng.bounded(4)) {
        case 0: if (!b.isEmpty()) b[pos] = c; break;
        case 1: b.insert(pos, c); break;
        case 2: if (!b.isEmpty()) b.remove(pos, 1 + qsizetype(rng.bounded(3))); break;
        default: b.insert(pos, b.mid(pos, qsizetype(rng.bounded(12)))); break;
        }
    }
    return b;
}

} // namespace

class TestPageEncodingMutations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void samplesReadWhole();
    void everyTruncation();
    void seededMutations();
};

void TestPageEncodingMutations::samplesReadWhole()
{
    for (const QByteArray &s : Samples()) {
        const DecodedHtml d = DecodeHtmlFile(s);
        QCOMPARE(d.undecodable, qsizetype(0));
        QVERIFY2(d.text.contains(u"<p>"_s), qPrintable(d.text));
    }
}

void TestPageEncodingMutations::everyTruncation()
{
    for (const QByteArray &s : Samples()) {
        for (qsizetype n = 0; n <= s.size(); ++n)
            Check(s.first(n));
    }
}

void TestPageEncodingMutations::seededMutations()
{
    QRandomGenerator rng(20240615);
    int i = 0;
    for (const QByteArray &s : Samples()) {
        for (int k = 0; k < 600; ++k, ++i)
            Check(Mutate(s, rng));
    }
    QCOMPARE(i, 6000);
}

QTEST_GUILESS_MAIN(TestPageEncodingMutations)
#include "tst_pageencoding_mutations.moc"
