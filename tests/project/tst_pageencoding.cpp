// Reading pages written by other editors: byte-order marks, declarations,
// UTF-8, code page 932 and EUC-JP; and writing a page back in the encoding it
// declares. The byte samples were made by other encoders than this program's.
#include "CharChanges.h"
#include "EucJp.h"
#include "Iso2022Jp.h"
#include "PageEncoding.h"
#include "ProjectFile.h"
#include "TestSupport.h"
#include "TextFiles.h"

#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(TextEncoding)
Q_DECLARE_METATYPE(PageFileEncoding)

namespace {

// "日本語のページです。"
const QByteArray EucSentence = "\xC6\xFC\xCB\xDC\xB8\xEC\xA4\xCE\xA5\xDA\xA1\xBC\xA5\xB8\xA4\xC7\xA4\xB9\xA1\xA3";
const QByteArray SjisSentence = "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x79\x81\x5B\x83\x57\x82\xC5\x82\xB7\x81\x42";
const QString Sentence = u"日本語のページです。"_s;

// EUC-JP's JIS X 0208 bytes as ISO-2022-JP writes them.
QByteArray Jis(const QByteArray &euc)
{
    QByteArray out = "\x1B$B";
    for (const char c : euc)
        out += char(c & 0x7F);
    return out + "\x1B(B";
}

QByteArray Head(const QByteArray &meta)
{
    return "<html>\r\n<head>\r\n" + meta + "\r\n<title>t</title>\r\n</head>\r\n<body>\r\n";
}

} // namespace

class TestPageEncoding : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decode_data();
    void decode();
    void undecodableBytesAreCounted_data();
    void undecodableBytesAreCounted();
    void declaredCharsetName_data();
    void declaredCharsetName();
    void charsetNames_data();
    void charsetNames();
    void eucJpEncodes_data();
    void eucJpEncodes();
    void eucJpEncodeRefusesCharacterWithoutCode();
    void pageFileFollowsDeclaration_data();
    void pageFileFollowsDeclaration();
    void pageReadsBackAsWritten_data();
    void pageReadsBackAsWritten();
    void eucJpTablesAgree();
    void iso2022JpWritesEveryCharacterBack();
    void iso2022JpReadsAsTheSystemConverter();
    void loadTextFileTellsHowItRead();
    void changedCharactersAreCounted_data();
    void changedCharactersAreCounted();
};

void TestPageEncoding::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<bool>("declared");

    const QString page = u"<p>日本語 😀</p>\r\n"_s;
    QTest::newRow("UTF-8 BOM") << ("\xEF\xBB\xBF" + page.toUtf8()) << page << TextEncoding::Utf8 << false;
    QTest::newRow("UTF-16LE BOM") << QByteArray("\xFF\xFE<\x00p\x00>\x00\xE5\x65\x2C\x67", 12) << u"<p>日本"_s
                                  << TextEncoding::Utf16LE << false;
    QTest::newRow("UTF-16BE BOM") << QByteArray("\xFE\xFF\x00<\x00p\x00>\x65\xE5\x67\x2C", 12) << u"<p>日本"_s
                                  << TextEncoding::Utf16BE << false;
    // A byte-order mark outranks a declaration.
    QTest::newRow("BOM over declaration")
        << ("\xEF\xBB\xBF" + Head("<meta charset=\"euc-jp\">") + page.toUtf8())
        << (QString::fromLatin1(Head("<meta charset=\"euc-jp\">")) + page) << TextEncoding::Utf8 << false;
    QTest::newRow("UTF-8 without BOM") << page.toUtf8() << page << TextEncoding::Utf8 << false;
    QTest::newRow("ASCII") << QByteArray("<p>a\\b</p>") << u"<p>a\\b</p>"_s << TextEncoding::Ascii << false;
    QTest::newRow("empty") << QByteArray() << QString() << TextEncoding::Ascii << false;

    // Declarations.
    const QByteArray eucHead = Head("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=EUC-JP\">");
    QTest::newRow("declared EUC-JP") << (eucHead + EucSentence) << (QString::fromLatin1(eucHead) + Sentence)
                                     << TextEncoding::EucJp << true;
    // "社" in EUC-JP reads as two half-width katakana in code page 932: only
    // the declaration tells which it is.
    QTest::newRow("declared EUC-JP, ambiguous bytes")
        << (Head("<meta charset='x-euc-jp'>") + "\xBC\xD2") << (QString::fromLatin1(Head("<meta charset='x-euc-jp'>")) + u"社"_s)
        << TextEncoding::EucJp << true;
    QTest::newRow("undeclared, ambiguous bytes: code page 932") << QByteArray("\xBC\xD2") << u"ｼﾒ"_s
                                                                << TextEncoding::Cp932 << false;
    const QByteArray sjisHead = Head("<META HTTP-EQUIV=Content-Type CONTENT=\"text/html;charset=Shift_JIS\">");
    QTest::newRow("declared Shift_JIS") << (sjisHead + SjisSentence) << (QString::fromLatin1(sjisHead) + Sentence)
                                        << TextEncoding::Cp932 << true;
    const QByteArray latinHead = Head("<meta charset=\"iso-8859-1\">");
    QTest::newRow("declared ISO-8859-1") << (latinHead + "caf\xE9 \x80 5\xB0") << (QString::fromLatin1(latinHead) + u"café € 5°"_s)
                                         << TextEncoding::Windows1252 << true;
    // A declaration the bytes contradict is not followed.
    const QByteArray utf8Head = Head("<meta charset=\"utf-8\">");
    QTest::newRow("declared UTF-8, bytes code page 932")
        << (utf8Head + SjisSentence) << (QString::fromLatin1(utf8Head) + Sentence) << TextEncoding::Cp932 << false;
    QTest::newRow("declared Shift_JIS, bytes UTF-8")
        << (sjisHead + Sentence.toUtf8()) << (QString::fromLatin1(sjisHead) + Sentence) << TextEncoding::Utf8 << false;
    QTest::newRow("declared EUC-JP, bytes code page 932")
        << (eucHead + SjisSentence) << (QString::fromLatin1(eucHead) + Sentence) << TextEncoding::Cp932 << false;
    // A declaration inside a comment or after the head does not count.
    const QByteArray commented = "<head><!-- <meta charset=\"euc-jp\"> --></head>";
    QTest::newRow("declaration in a comment") << (commented + SjisSentence) << (QString::fromLatin1(commented) + Sentence)
                                              << TextEncoding::Cp932 << false;
    const QByteArray late = "<body><meta charset=\"iso-8859-1\">";
    QTest::newRow("declaration in the body") << (late + SjisSentence) << (QString::fromLatin1(late) + Sentence)
                                             << TextEncoding::Cp932 << false;
    QTest::newRow("unknown charset") << (Head("<meta charset=\"big5\">") + SjisSentence)
                                     << (QString::fromLatin1(Head("<meta charset=\"big5\">")) + Sentence)
                                     << TextEncoding::Cp932 << false;

    // No declaration: UTF-8 only when strictly valid.
    QTest::newRow("overlong UTF-8 is not UTF-8") << QByteArray("a\xC0\xAF") << u"aﾀｯ"_s
                                                 << TextEncoding::Cp932 << false;
    QTest::newRow("truncated UTF-8 is not UTF-8") << QByteArray("\xE6\x97\xA5\xE6\x97") << u"譌･譌"_s
                                                  << TextEncoding::Cp932 << false;

    // No declaration: code page 932 or EUC-JP.
    QTest::newRow("code page 932 sentence") << SjisSentence << Sentence << TextEncoding::Cp932 << false;
    QTest::newRow("code page 932 page") << ("<p>" + SjisSentence + "\r\n\x87\x40\xEE\xE0</p>")
                                        << (u"<p>"_s + Sentence + u"\r\n①髙</p>"_s) << TextEncoding::Cp932 << false;
    QTest::newRow("code page 932 half-width katakana")
        << QByteArray("\xBA\xDD\xC6\xC1\xCA\xB2") << u"ｺﾝﾆﾁﾊｲ"_s << TextEncoding::Cp932 << false;
    QTest::newRow("EUC-JP sentence") << EucSentence << Sentence << TextEncoding::EucJp << false;
    QTest::newRow("EUC-JP katakana word") << QByteArray("<title>\xA5\xC8\xA5\xC3\xA5\xD7</title>")
                                          << u"<title>トップ</title>"_s << TextEncoding::EucJp << false;
    QTest::newRow("EUC-JP kanji only") << QByteArray("<h1>\xB2\xF1\xBC\xD2\xB3\xB5\xCD\xD7</h1>")
                                       << u"<h1>会社概要</h1>"_s << TextEncoding::EucJp << false;
    QTest::newRow("EUC-JP half-width katakana")
        << QByteArray("\x8E\xBA\x8E\xDD\x8E\xC6\x8E\xC1\x8E\xCA") << u"ｺﾝﾆﾁﾊ"_s << TextEncoding::EucJp << false;
    QTest::newRow("EUC-JP supplementary kanji") << QByteArray("<p>\xA4\xE8\x8F\xB0\xA1\xA4\xA6</p>")
                                                << u"<p>よ丂う</p>"_s << TextEncoding::EucJp << false;
    QTest::newRow("ISO-2022-JP") << ("<p>" + Jis(EucSentence) + "</p>") << (u"<p>"_s + Sentence + u"</p>"_s)
                                 << TextEncoding::Iso2022Jp << false;
    QTest::newRow("ISO-2022-JP katakana and Roman") << QByteArray("\x1B(I\x3A\x5D\x1B(J\\~\x1B(B\\")
                                                    << u"ｺﾝ¥‾\\"_s << TextEncoding::Iso2022Jp << false;
    QTest::newRow("ISO-2022-JP line break returns to ASCII") << QByteArray("\x1B$BF|\r\nF|") << u"日\r\nF|"_s
                                                             << TextEncoding::Iso2022Jp << false;
    QTest::newRow("UTF-16LE without BOM") << QByteArray("<\x00p\x00>\x00\xE5\x65\x2C\x67\x00\x30", 12)
                                          << u"<p>日本　"_s << TextEncoding::Utf16LE << false;
    QTest::newRow("UTF-16BE without BOM") << QByteArray("\x00<\x00p\x00>\x65\xE5\x67\x2C", 10) << u"<p>日本"_s
                                          << TextEncoding::Utf16BE << false;
    QTest::newRow("NUL characters are not UTF-16") << QByteArray(64, '\0') << QString(64, QChar(0))
                                                   << TextEncoding::Ascii << false;
    QTest::newRow("a NUL in ASCII is not UTF-16") << QByteArray("<p>a\0b</p>", 10) << u"<p>a\0b</p>"_s
                                                  << TextEncoding::Ascii << false;
    // Row 13 and the wave dash read as they do from code page 932.
    QTest::newRow("EUC-JP NEC row 13 and tilde") << (EucSentence + "\xAD\xA1\xA1\xC1")
                                                 << (Sentence + u"①～"_s) << TextEncoding::EucJp << false;
}

void TestPageEncoding::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(TextEncoding, encoding);
    QFETCH(bool, declared);
    const DecodedHtml d = DecodeHtmlFile(bytes);
    QCOMPARE(d.text, text);
    QCOMPARE(d.encoding, encoding);
    QCOMPARE(d.declared, declared);
    QCOMPARE(d.undecodable, qsizetype(text.count(QChar(0xFFFD))));
    QCOMPARE(DecodeHtmlBytes(bytes), text);
}

void TestPageEncoding::undecodableBytesAreCounted_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qsizetype>("undecodable");
    QTest::addColumn<QString>("kept");
    // Latin-1 without a declaration: the one byte cannot be read, and what
    // follows it survives.
    QTest::newRow("stray Latin-1 byte") << QByteArray("caf\xE9</p>") << qsizetype(1) << u"</p>"_s;
    QTest::newRow("lead byte at the end") << (SjisSentence + "\x93") << qsizetype(1) << Sentence;
    QTest::newRow("EUC-JP cut in a character") << (EucSentence + "\xA4") << qsizetype(1) << Sentence;
    QTest::newRow("UTF-8 BOM, broken sequence") << QByteArray("\xEF\xBB\xBF" "a\xFF" "b") << qsizetype(1) << u"b"_s;
    QTest::newRow("UTF-16 odd length") << QByteArray("\xFF\xFE" "a\x00" "b", 5) << qsizetype(1) << u"a"_s;
    QTest::newRow("UTF-16 lone high surrogate") << QByteArray("\xFF\xFE" "a\x00\x00\xD8" "b\x00", 8) << qsizetype(1)
                                                << u"a"_s;
    QTest::newRow("UTF-16BE lone low surrogates") << QByteArray("\xFE\xFF\xDC\x00\x00" "a\xDC\x01", 8)
                                                  << qsizetype(2) << u"a"_s;
    QTest::newRow("UTF-16 without BOM, surrogate at the end")
        << QByteArray("<\x00p\x00>\x00\x3D\xD8", 8) << qsizetype(1) << u"<p>"_s;
    QTest::newRow("UTF-8 broken beside a real U+FFFD") << QByteArray("\xEF\xBB\xBF\xEF\xBF\xBD" "a\xFF\xFE")
                                                       << qsizetype(2) << u"\uFFFDa"_s;
    QTest::newRow("ISO-2022-JP code cut at the end") << QByteArray("\x1B$BF|K") << qsizetype(1) << u"日"_s;
    QTest::newRow("ISO-2022-JP unknown escape and SO") << QByteArray("a\x1B$Zb\x0E\x1B(Jc") << qsizetype(2)
                                                       << u"$Zb"_s;
    QTest::newRow("ISO-2022-JP code without a character") << ("\x1B$B\x22\x2F" + Jis(EucSentence))
                                                           << qsizetype(1) << Sentence;
}

void TestPageEncoding::undecodableBytesAreCounted()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qsizetype, undecodable);
    QFETCH(QString, kept);
    const DecodedHtml d = DecodeHtmlFile(bytes);
    QCOMPARE(d.undecodable, undecodable);
    QVERIFY2(d.text.contains(kept), qPrintable(d.text));
    QVERIFY(d.text.contains(QChar(0xFFFD)));
}

void TestPageEncoding::declaredCharsetName_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("name");
    QTest::newRow("meta charset") << u"<head><meta charset=\"EUC-JP\"></head>"_s << u"EUC-JP"_s;
    QTest::newRow("unquoted") << u"<meta charset=utf-8>"_s << u"utf-8"_s;
    QTest::newRow("single quotes, blanks") << u"<meta  charset = ' shift_jis ' />"_s << u"shift_jis"_s;
    QTest::newRow("http-equiv") << u"<meta http-equiv=\"content-type\" content=\"text/html; charset=x-euc-jp\">"_s
                                << u"x-euc-jp"_s;
    QTest::newRow("content before http-equiv")
        << u"<meta content=\"text/html;charset=Shift_JIS\" http-equiv=\"Content-Type\">"_s << u"Shift_JIS"_s;
    QTest::newRow("first declaration counts") << u"<meta charset=\"euc-jp\"><meta charset=\"utf-8\">"_s << u"euc-jp"_s;
    QTest::newRow("other meta first") << u"<meta name=\"author\" content=\"charset=utf-8\"><meta charset=\"euc-jp\">"_s
                                      << u"euc-jp"_s;
    QTest::newRow("none") << u"<html><head><title>x</title></head></html>"_s << QString();
    QTest::newRow("in a comment") << u"<!-- <meta charset=\"utf-8\"> -->"_s << QString();
    QTest::newRow("after body") << u"<body><meta charset=\"utf-8\">"_s << QString();
    QTest::newRow("unterminated comment") << u"<!-- <meta charset=\"utf-8\">"_s << QString();
}

void TestPageEncoding::declaredCharsetName()
{
    QFETCH(QString, html);
    QFETCH(QString, name);
    QCOMPARE(DeclaredCharsetName(html), name);
}

void TestPageEncoding::charsetNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("encoding"); // -1: not read
    QTest::newRow("utf-8") << u"UTF-8"_s << int(TextEncoding::Utf8);
    QTest::newRow("utf8") << u" utf8 "_s << int(TextEncoding::Utf8);
    QTest::newRow("Shift_JIS") << u"Shift_JIS"_s << int(TextEncoding::Cp932);
    QTest::newRow("windows-31j") << u"Windows-31J"_s << int(TextEncoding::Cp932);
    QTest::newRow("x-sjis") << u"x-sjis"_s << int(TextEncoding::Cp932);
    QTest::newRow("euc-jp") << u"euc-jp"_s << int(TextEncoding::EucJp);
    QTest::newRow("x-euc-jp") << u"X-EUC-JP"_s << int(TextEncoding::EucJp);
    QTest::newRow("iso-8859-1") << u"ISO-8859-1"_s << int(TextEncoding::Windows1252);
    QTest::newRow("us-ascii") << u"us-ascii"_s << int(TextEncoding::Windows1252);
    QTest::newRow("iso-2022-jp") << u"ISO-2022-JP"_s << int(TextEncoding::Iso2022Jp);
    QTest::newRow("csiso2022jp") << u"csISO2022JP"_s << int(TextEncoding::Iso2022Jp);
    QTest::newRow("utf-16") << u"utf-16"_s << -1;
    QTest::newRow("empty") << QString() << -1;
}

void TestPageEncoding::charsetNames()
{
    QFETCH(QString, name);
    QFETCH(int, encoding);
    const std::optional<TextEncoding> e = EncodingForCharsetName(name);
    QCOMPARE(e.has_value() ? int(*e) : -1, encoding);
}

void TestPageEncoding::eucJpEncodes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("sentence") << Sentence << EucSentence;
    QTest::newRow("ASCII") << u"<a href=\"x\">"_s << QByteArray("<a href=\"x\">");
    QTest::newRow("half-width katakana") << u"ｺﾝﾆﾁﾊ"_s << QByteArray("\x8E\xBA\x8E\xDD\x8E\xC6\x8E\xC1\x8E\xCA");
    QTest::newRow("supplementary kanji") << u"丂"_s << QByteArray("\x8F\xB0\xA1");
    // A character with places in row 2 and in NEC row 13 takes row 2.
    QTest::newRow("row 2 before row 13") << u"∵"_s << QByteArray("\xA2\xE8");
    QTest::newRow("NEC row 13") << u"①"_s << QByteArray("\xAD\xA1");
    QTest::newRow("IBM extension") << u"髙"_s << QByteArray("\xFC\xE2");
}

void TestPageEncoding::eucJpEncodes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QByteArray out;
    QVERIFY(EucJp::encode(text, &out));
    QCOMPARE(out, bytes);
    QCOMPARE(EucJp::decode(bytes), text);
}

void TestPageEncoding::eucJpEncodeRefusesCharacterWithoutCode()
{
    QByteArray out;
    qsizetype bad = -1;
    QVERIFY(!EucJp::encode(u"あ한"_s, &out, &bad));
    QCOMPARE(bad, qsizetype(1));
    QCOMPARE(EucJp::encodeWithCharRefs(u"あ한😀\xD800"_s), QByteArray("\xA4\xA2&#54620;&#128512;&#65533;"));
}

void TestPageEncoding::pageFileFollowsDeclaration_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<PageFileEncoding>("encoding");
    QTest::addColumn<QByteArray>("bytes");
    const QString body = u"日本語のページです。café"_s;
    const QString euc = u"<head><meta charset=\"EUC-JP\"></head>"_s;
    QTest::newRow("EUC-JP") << (euc + body) << PageFileEncoding::EucJp
                            << (euc.toLatin1() + EucSentence + "caf\x8F\xAB\xB1\r\n"); // é is in JIS X 0212
    const QString utf8 = u"<head><meta charset=\"utf-8\"></head>"_s;
    QTest::newRow("UTF-8") << (utf8 + body) << PageFileEncoding::Utf8 << (utf8 + body + u"\r\n"_s).toUtf8();
    const QString latin = u"<head><meta charset=\"iso-8859-1\"></head>"_s;
    QTest::newRow("ISO-8859-1") << (latin + body + u"€"_s) << PageFileEncoding::Windows1252
                                << (latin.toLatin1()
                                    + "&#26085;&#26412;&#35486;&#12398;&#12506;&#12540;&#12472;&#12391;&#12377;&#12290;caf\xE9\x80\r\n");
    const QString jis = u"<head><meta charset=\"ISO-2022-JP\"></head>"_s;
    QTest::newRow("ISO-2022-JP") << (jis + body + u"ｱ\x1B¥"_s) << PageFileEncoding::Iso2022Jp
                                 << (jis.toLatin1() + Jis(EucSentence)
                                     + "caf&#233;\x1B(I\x31\x1B(B&#27;\x1B(J\\\x1B(B\r\n");
    QTest::newRow("Shift_JIS") << (u"<meta charset=\"Shift_JIS\">"_s + body) << PageFileEncoding::Cp932
                               << ("<meta charset=\"Shift_JIS\">" + SjisSentence + "caf&#233;\r\n");
    QTest::newRow("none") << body << PageFileEncoding::Cp932 << (SjisSentence + "caf&#233;\r\n");
    QTest::newRow("unknown") << (u"<meta charset=\"big5\">"_s + body) << PageFileEncoding::Cp932
                             << ("<meta charset=\"big5\">" + SjisSentence + "caf&#233;\r\n");
}

void TestPageEncoding::pageFileFollowsDeclaration()
{
    QFETCH(QString, page);
    QFETCH(PageFileEncoding, encoding);
    QFETCH(QByteArray, bytes);
    QCOMPARE(PageFileEncodingOf(page), encoding);
    QCOMPARE(EncodePageFile(page), bytes);
    QCOMPARE(PageDeclaresUtf8(page), encoding == PageFileEncoding::Utf8);
}

void TestPageEncoding::pageReadsBackAsWritten_data()
{
    QTest::addColumn<QString>("page");
    const QString body = u"<p>日本語のページです。①髙 ｺﾝﾆﾁﾊ 丂</p>\r\n<p>二行目</p>"_s;
    QTest::newRow("EUC-JP") << (u"<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=euc-jp\"></head>"_s + body);
    QTest::newRow("UTF-8") << (u"<head><meta charset=\"utf-8\"></head>"_s + body);
    QTest::newRow("code page 932") << (u"<head><meta charset=\"Shift_JIS\"></head>"_s + QString(body).remove(u'丂'));
    QTest::newRow("Western") << u"<head><meta charset=\"windows-1252\"></head><p>Ça coûte 5 € – “ok”</p>"_s;
    QTest::newRow("ISO-2022-JP") << (u"<head><meta charset=\"iso-2022-jp\"></head>"_s + QString(body).remove(u'丂'));
}

void TestPageEncoding::pageReadsBackAsWritten()
{
    QFETCH(QString, page);
    const DecodedHtml d = DecodeHtmlFile(EncodePageFile(page));
    QCOMPARE(d.text, page + u"\r\n"_s);
    QCOMPARE(d.undecodable, qsizetype(0));
}

void TestPageEncoding::eucJpTablesAgree()
{
    // Every character EUC-JP encodes decodes back to itself.
    int checked = 0;
    for (char16_t c = 0x80; c < 0xFFFF; ++c) {
        if (QChar::isSurrogate(c))
            continue;
        const QString one(QChar{c});
        QByteArray bytes;
        if (!EucJp::encode(one, &bytes))
            continue;
        ++checked;
        QCOMPARE(EucJp::decode(bytes), one);
    }
    // JIS X 0208 with row 13 and the IBM rows, half-width katakana and JIS X 0212.
    QVERIFY2(checked > 13000, qPrintable(QString::number(checked)));
}

void TestPageEncoding::iso2022JpWritesEveryCharacterBack()
{
    // Every character reads back from what ISO-2022-JP writes for it: itself
    // where it has a code, its numeric reference where it has none.
    int coded = 0;
    for (char16_t c = 0x01; c < 0xFFFF; ++c) {
        if (QChar::isSurrogate(c) || c == u'&')
            continue;
        const QString one(QChar{c});
        const QByteArray bytes = Iso2022Jp::encodeWithCharRefs(one);
        qsizetype errors = -1;
        const QString back = Iso2022Jp::decode(bytes, &errors);
        QCOMPARE(errors, qsizetype(0));
        if (back == one)
            ++coded;
        else
            QCOMPARE(back, u"&#%1;"_s.arg(uint(c)));
    }
    // ASCII but ESC, SO and SI; JIS X 0208 with row 13 and the IBM rows; half-width katakana.
    QVERIFY2(coded > 7000, qPrintable(QString::number(coded)));
}

void TestPageEncoding::iso2022JpReadsAsTheSystemConverter()
{
    // Every JIS X 0208 code reads as the system's converter reads it, which
    // cannot be used itself: it drops a code cut at the end without a trace.
    if (!QStringDecoder("ISO-2022-JP").isValid())
        QSKIP("Qt was built without a converter for ISO-2022-JP");
    for (char row = 0x21; row <= 0x7E; ++row) {
        for (char col = 0x21; col <= 0x7E; ++col) {
            const QByteArray bytes = QByteArray("\x1B$B") + row + col + "\x1B(B";
            QStringDecoder system("ISO-2022-JP", QStringDecoder::Flag::Stateless);
            QString expected = system.decode(bytes);
            if (system.hasError())
                expected = u"\uFFFD"_s;
            QCOMPARE(Iso2022Jp::decode(bytes), expected);
        }
    }
}

void TestPageEncoding::loadTextFileTellsHowItRead()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString euc = dir.filePath(u"euc.htm"_s);
    QVERIFY(PutBytes(euc, "<p>" + EucSentence + "</p>\n<p>\xA5\xC8\xA5\xC3\xA5\xD7</p>\n"));
    DecodedHtml how;
    QCOMPARE(LoadTextFile(euc, &how), u"<p>"_s + Sentence + u"</p>\r\n<p>トップ</p>"_s);
    QCOMPARE(how.encoding, TextEncoding::EucJp);
    QCOMPARE(how.undecodable, qsizetype(0));
    QVERIFY(how.text.isEmpty());

    const QString broken = dir.filePath(u"broken.htm"_s);
    QVERIFY(PutBytes(broken, "caf\xE9</p>"));
    QCOMPARE(LoadTextFile(broken, &how), u"caf\uFFFD</p>"_s);
    QCOMPARE(how.undecodable, qsizetype(1));

    QCOMPARE(LoadTextFile(dir.filePath(u"none.htm"_s), &how), u"$NotFile"_s);
}

void TestPageEncoding::changedCharactersAreCounted_data()
{
    // The status text after a save; the output's wording is checked where
    // the project is output.
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("saved");
    const QString utf8 = QString::fromLatin1(Head("<meta charset=\"utf-8\">"));
    const QString euc = QString::fromLatin1(Head("<meta charset=\"euc-jp\">"));
    const QString western = QString::fromLatin1(Head("<meta charset=\"iso-8859-1\">"));
    QTest::newRow("nothing changed") << u"<p>日本語①～</p>"_s << QString();
    QTest::newRow("references, a pair counts once")
        << u"<p>😀a😁b项</p>"_s << u"3文字を文字参照（&#…;）で保存しました（最初は😀）"_s;
    QTest::newRow("lone surrogate") << (u"x"_s + QChar(0xD83D) + u"y"_s)
                                    << u"1文字を文字参照（&#…;）で保存しました（最初は\uFFFD）"_s;
    QTest::newRow("both") << u"—😀〜"_s
                          << u"1文字を文字参照（&#…;）で保存しました（最初は😀）　"
                             u"2文字を似た形の文字に置き換えて保存しました（最初は—→―）"_s;
    QTest::newRow("UTF-8 page holds everything") << (utf8 + u"😀〜"_s) << QString();
    QTest::newRow("EUC-JP page") << (euc + u"〜😀"_s) << u"2文字を文字参照（&#…;）で保存しました（最初は〜）"_s;
    QTest::newRow("Western page") << (western + u"é日"_s) << u"1文字を文字参照（&#…;）で保存しました（最初は日）"_s;
}

void TestPageEncoding::changedCharactersAreCounted()
{
    QFETCH(QString, text);
    QFETCH(QString, saved);
    CharChanges changes;
    const QByteArray bytes = EncodePageFile(text, &changes);
    QCOMPARE(CharChangesText(changes), saved);
    // Counting changes nothing in what is written.
    QCOMPARE(bytes, EncodePageFile(text));
}

QTEST_GUILESS_MAIN(TestPageEncoding)
#include "tst_pageencoding.moc"
