// The colouring reader of page lines: what it marks on a line, and the state
// it carries from line to line.
#include "HtmlScan.h"

#include <QRandomGenerator>
#include <QStringList>
#include <QTest>

using namespace Qt::StringLiterals;
using HtmlScan::Kind;
using HtmlScan::Span;

namespace {

QChar letter(Kind k)
{
    switch (k) {
    case Kind::Tag:
        return u'T';
    case Kind::AttrName:
        return u'A';
    case Kind::AttrValue:
        return u'V';
    case Kind::Comment:
        return u'C';
    case Kind::CharRef:
        return u'R';
    case Kind::Bookmark:
        return u'B';
    }
    return u'?';
}

// The marked stretches of a line as "T:<a A:href V:"x" T:>".
QString render(QStringView line, const QList<Span> &spans)
{
    QStringList parts;
    for (const Span &s : spans)
        parts.append(QString(letter(s.kind)) + u':' + line.mid(s.start, s.length));
    return parts.join(u' ');
}

// Scans lines from the page's start; returns the rendering of each line.
QStringList renderLines(const QStringList &lines, int *endState = nullptr)
{
    QStringList out;
    int state = HtmlScan::StartState;
    for (const QString &line : lines) {
        QList<Span> spans;
        state = HtmlScan::ScanLine(line, state, &spans);
        out.append(render(line, spans));
    }
    if (endState)
        *endState = state;
    return out;
}

// Spans in order, inside the line, not overlapping, never empty.
bool wellFormed(qsizetype lineLength, const QList<Span> &spans)
{
    qsizetype end = 0;
    for (const Span &s : spans) {
        if (s.length <= 0 || s.start < end || s.start + s.length > lineLength)
            return false;
        end = s.start + s.length;
    }
    return true;
}

} // namespace

class TestHtmlScan : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void oneLine_data();
    void oneLine();
    void acrossLines_data();
    void acrossLines();
    void completeLinesEndInStartState();
    void unknownStateReadAsStart();
    void stateOnlyScanAgreesWithSpans();
    void randomLinesStayWellFormed();
};

void TestHtmlScan::oneLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("marked");

    QTest::newRow("plain text") << u"ただの文章です。"_s << QString();
    QTest::newRow("element") << u"<p>本文</p>"_s << u"T:<p> T:</p>"_s;
    QTest::newRow("quoted value") << u"<a href=\"top.htm\">目次</a>"_s
                                  << u"T:<a A:href V:\"top.htm\" T:> T:</a>"_s;
    QTest::newRow("single quotes") << u"<img src='a.gif'>"_s << u"T:<img A:src V:'a.gif' T:>"_s;
    QTest::newRow("unquoted value") << u"<td width=50 align=center>"_s
                                    << u"T:<td A:width V:50 A:align V:center T:>"_s;
    QTest::newRow("blanks round =") << u"<td width = \"50\">"_s << u"T:<td A:width V:\"50\" T:>"_s;
    QTest::newRow("attribute without value") << u"<input disabled>"_s << u"T:<input A:disabled T:>"_s;
    QTest::newRow("self-closing") << u"<br/>"_s << u"T:<br/>"_s;
    QTest::newRow("self-closing with blank") << u"<br />"_s << u"T:<br T:/>"_s;
    QTest::newRow("upper case") << u"<TABLE BORDER=1>"_s << u"T:<TABLE A:BORDER V:1 T:>"_s;
    QTest::newRow("comment") << u"a<!-- 注釈 -->b"_s << u"C:<!-- 注釈 -->"_s;
    QTest::newRow("two comments") << u"<!--1--><!--2-->"_s << u"C:<!--1--><!--2-->"_s;
    QTest::newRow("bookmark") << u"前<!--しおり：目次-->後"_s << u"B:<!--しおり：目次-->"_s;
    QTest::newRow("half-width colon is a comment") << u"<!--しおり:目次-->"_s << u"C:<!--しおり:目次-->"_s;
    QTest::newRow("character references") << u"&amp; &#12354; &#x3042; &nbsp"_s
                                          << u"R:&amp; R:&#12354; R:&#x3042;"_s;
    QTest::newRow("ampersands that are no reference") << u"a & b &; &#; &#x; &1;"_s << QString();
    QTest::newRow("reference in a value") << u"<a title=\"a&amp;b\">"_s
                                          << u"T:<a A:title V:\"a R:&amp; V:b\" T:>"_s;
    QTest::newRow("reference in an unquoted value") << u"<a href=x?a=1&amp;b=2>"_s
                                                    << u"T:<a A:href V:x?a=1 R:&amp; V:b=2 T:>"_s;
    QTest::newRow("less-than that starts nothing") << u"a < b <= c <1>"_s << QString();
    QTest::newRow("doctype") << u"<!DOCTYPE html>"_s << u"T:<!DOCTYPE A:html T:>"_s;
    QTest::newRow("doctype with strings")
        << u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">"_s
        << u"T:<!DOCTYPE A:HTML A:PUBLIC V:\"-//W3C//DTD HTML 4.01//EN\" T:>"_s;
    QTest::newRow("processing instruction") << u"<?xml version=\"1.0\"?>"_s
                                            << u"T:<?xml A:version V:\"1.0\" A:? T:>"_s;
    QTest::newRow("tag inside a comment") << u"<!-- <b>x</b> -->"_s << u"C:<!-- <b>x</b> -->"_s;
    QTest::newRow("comment inside a value") << u"<a title=\"<!--\">x"_s << u"T:<a A:title V:\"<!--\" T:>"_s;
    QTest::newRow("script on one line") << u"<script>if (a<b) x='<p>';</script><p>"_s
                                        << u"T:<script> T:</script><p>"_s;
    QTest::newRow("script end tag in capitals") << u"<SCRIPT>a<b</SCRIPT >x"_s << u"T:<SCRIPT> T:</SCRIPT T:>"_s;
    QTest::newRow("style") << u"<style>p > a { color: red }</style>"_s << u"T:<style> T:</style>"_s;
    QTest::newRow("scripts is no script") << u"<scripts><b>"_s << u"T:<scripts><b>"_s;
    QTest::newRow("self-closed script") << u"<script src=a.js /><b>"_s << u"T:<script A:src V:a.js T:/><b>"_s;
}

void TestHtmlScan::oneLine()
{
    QFETCH(QString, line);
    QFETCH(QString, marked);
    QList<Span> spans;
    HtmlScan::ScanLine(line, HtmlScan::StartState, &spans);
    QVERIFY(wellFormed(line.size(), spans));
    QCOMPARE(render(line, spans), marked);
}

void TestHtmlScan::acrossLines_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("marked");
    QTest::addColumn<bool>("endsInText"); // the last line ends outside markup

    QTest::newRow("comment over three lines")
        << QStringList{u"<!-- 始め"_s, u"中ほど <b>"_s, u"終わり --> <b>"_s}
        << QStringList{u"C:<!-- 始め"_s, u"C:中ほど <b>"_s, u"C:終わり --> T:<b>"_s} << true;
    QTest::newRow("bookmark over two lines")
        << QStringList{u"<!--しおり：長い"_s, u"名前-->x"_s}
        << QStringList{u"B:<!--しおり：長い"_s, u"B:名前-->"_s} << true;
    QTest::newRow("tag over two lines")
        << QStringList{u"<img src=\"a.gif\""_s, u"     alt=\"絵\">本文"_s}
        << QStringList{u"T:<img A:src V:\"a.gif\""_s, u"A:alt V:\"絵\" T:>"_s} << true;
    QTest::newRow("tag name at the line end")
        << QStringList{u"<a"_s, u"href=x>y"_s} << QStringList{u"T:<a"_s, u"A:href V:x T:>"_s} << true;
    QTest::newRow("value after = on the next line")
        << QStringList{u"<a href="_s, u"\"x\">"_s} << QStringList{u"T:<a A:href"_s, u"V:\"x\" T:>"_s} << true;
    QTest::newRow("value over two lines")
        << QStringList{u"<a title=\"一行目"_s, u"二行目\" href=y>"_s}
        << QStringList{u"T:<a A:title V:\"一行目"_s, u"V:二行目\" A:href V:y T:>"_s} << true;
    QTest::newRow("script over lines")
        << QStringList{u"<script type=\"text/javascript\">"_s, u"if (a < b && c) s = '<p>&amp;';"_s,
                       u"</script>&amp;"_s}
        << QStringList{u"T:<script A:type V:\"text/javascript\" T:>"_s, QString(), u"T:</script> R:&amp;"_s}
        << true;
    QTest::newRow("script tag over lines")
        << QStringList{u"<script"_s, u"src=a.js>"_s, u"<b>"_s, u"</script>"_s}
        << QStringList{u"T:<script"_s, u"A:src V:a.js T:>"_s, QString(), u"T:</script>"_s} << true;
    QTest::newRow("style end tag not closed yet")
        << QStringList{u"<style>"_s, u"a{}</style"_s, u"><b>"_s}
        << QStringList{u"T:<style>"_s, u"T:</style"_s, u"T:><b>"_s} << true;
    QTest::newRow("comment left open") << QStringList{u"<!--"_s, u"<p>"_s}
                                       << QStringList{u"C:<!--"_s, u"C:<p>"_s} << false;
    QTest::newRow("tag left open") << QStringList{u"<p"_s, u"class=a"_s}
                                   << QStringList{u"T:<p"_s, u"A:class V:a"_s} << false;
    QTest::newRow("value opened at the line end")
        << QStringList{u"<a title=\""_s, u"x\">"_s} << QStringList{u"T:<a A:title V:\""_s, u"V:x\" T:>"_s} << true;
    QTest::newRow("empty lines keep the state")
        << QStringList{u"<!--"_s, QString(), QString(), u"-->"_s}
        << QStringList{u"C:<!--"_s, QString(), QString(), u"C:-->"_s} << true;
}

void TestHtmlScan::acrossLines()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, marked);
    QFETCH(bool, endsInText);
    int end = -1;
    QCOMPARE(renderLines(lines, &end), marked);
    QVERIFY(HtmlScan::IsState(end));
    QCOMPARE(end == HtmlScan::StartState, endsInText);
}

void TestHtmlScan::completeLinesEndInStartState()
{
    const QStringList lines = {u"<html><head><title>題</title></head>"_s, u"<body bgcolor=\"#FFFFFF\">"_s,
                               u"<!--しおり：上--><p>文&amp;字</p>"_s, u"<script>x<y</script>"_s};
    int state = HtmlScan::StartState;
    for (const QString &l : lines) {
        state = HtmlScan::ScanLine(l, state);
        QCOMPARE(state, HtmlScan::StartState);
    }
}

void TestHtmlScan::unknownStateReadAsStart()
{
    const QString line = u"<b>x</b> <!-- y"_s;
    QList<Span> fromStart;
    const int expected = HtmlScan::ScanLine(line, HtmlScan::StartState, &fromStart);
    for (int bad : {-1, HtmlScan::MaxState + 1, 0x7FFF, int(0x80000000u)}) {
        QVERIFY(!HtmlScan::IsState(bad));
        QList<Span> spans;
        QCOMPARE(HtmlScan::ScanLine(line, bad, &spans), expected);
        QCOMPARE(spans, fromStart);
    }
}

void TestHtmlScan::stateOnlyScanAgreesWithSpans()
{
    const QStringList lines = {u"<a href=\"x"_s, u"y\" title='z'"_s, u">text<!--"_s, u"c-->"_s, u"<script>"_s,
                               u"a</scripts>"_s, u"</script><p"_s, u"/>"_s};
    int withSpans = HtmlScan::StartState;
    int bare = HtmlScan::StartState;
    for (const QString &l : lines) {
        QList<Span> spans;
        withSpans = HtmlScan::ScanLine(l, withSpans, &spans);
        bare = HtmlScan::ScanLine(l, bare);
        QCOMPARE(bare, withSpans);
    }
}

// Lines made of markup pieces in random order: whatever the mix, spans stay
// in order inside the line and every state returned is one the reader takes.
void TestHtmlScan::randomLinesStayWellFormed()
{
    const QStringList pieces = {u"<"_s, u">"_s, u"</"_s, u"/>"_s, u"<!--"_s, u"-->"_s, u"<!--しおり："_s,
                                u"\""_s, u"'"_s, u"="_s, u" "_s, u"&"_s, u"&amp;"_s, u"&#"_s, u"&#x4e;"_s,
                                u";"_s, u"a"_s, u"script"_s, u"style"_s, u"</script"_s, u"</style>"_s,
                                u"<!DOCTYPE"_s, u"<?"_s, u"日本"_s, u"\t"_s, u"p"_s};
    QRandomGenerator rng(20261208);
    for (int round = 0; round < 3000; ++round) {
        int state = HtmlScan::StartState;
        for (int l = 0; l < 4; ++l) {
            QString line;
            const int count = rng.bounded(0, 12);
            for (int k = 0; k < count; ++k)
                line += pieces.at(rng.bounded(pieces.size()));
            QList<Span> spans;
            const int next = HtmlScan::ScanLine(line, state, &spans);
            if (!wellFormed(line.size(), spans) || !HtmlScan::IsState(next))
                QFAIL(qPrintable(u"line \"%1\" from state %2"_s.arg(line).arg(state)));
            state = next;
        }
    }
}

QTEST_APPLESS_MAIN(TestHtmlScan)
#include "tst_htmlscan.moc"
