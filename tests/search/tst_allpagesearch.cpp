// Search and replace over all pages, without a window: the hits, their lines,
// searching in slices, the shown line of a hit, and replace-all per page.
#include "AllPageSearch.h"
#include "KensakuMod.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

class TestAllPageSearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void countLineBreaks();
    void hitsInPageOrderWithLines();
    void exactAsThePageSearch_data();
    void exactAsThePageSearch();
    void sameHitsAsStepwisePageSearch();
    void slicesGiveTheSameHits();
    void stopsAtMaxHits();
    void searchesTheTextsItWasGiven();
    void hitLine_data();
    void hitLine();
    void replaceInAllPages();
    void replaceWithNothingToFind();
};

void TestAllPageSearch::countLineBreaks()
{
    // Every length and start around the eight-character blocks, and a text
    // long enough to fill the block counters.
    QRandomGenerator rng(11);
    const QString alphabet = u"\n\r a\u0A00\u0A0A\u010A猫"_s;
    QString text;
    for (int k = 0; k < 400; ++k)
        text += alphabet.at(qsizetype(rng.bounded(quint32(alphabet.size()))));
    for (qsizetype from = 0; from < 20; ++from) {
        for (qsizetype length = 0; from + length <= text.size(); length += 1 + length / 8) {
            const QStringView part = QStringView(text).sliced(from, length);
            QCOMPARE(CountLineBreaks(part), part.count(u'\n'));
        }
    }
    const QString lines(32767 * 8 * 2 + 13, u'\n');
    QCOMPARE(CountLineBreaks(lines), lines.size());
    QCOMPARE(CountLineBreaks(QStringView()), qsizetype(0));
}

void TestAllPageSearch::hitsInPageOrderWithLines()
{
    const QStringList pages{u"<p>猫</p>\r\n<p>犬と猫</p>"_s, u"なし"_s, QString(), u"\r\n\r\n猫猫"_s};
    const QVector<PageHit> hits = FindInAllPages(pages, u"猫"_s);
    const QVector<PageHit> expected{{0, 1, 3}, {0, 2, 15}, {3, 3, 4}, {3, 3, 5}};
    QCOMPARE(hits, expected);
}

void TestAllPageSearch::exactAsThePageSearch_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");
    QTest::newRow("overlapping") << u"aaaa"_s << u"aa"_s << 3;
    QTest::newRow("at the very end") << u"xyz"_s << u"yz"_s << 1;
    QTest::newRow("case") << u"Abc abc ABC"_s << u"abc"_s << 1;
    QTest::newRow("full-width is not half-width") << u"ＡＢＣ ABC"_s << u"ABC"_s << 1;
    QTest::newRow("half-width katakana") << u"ｶﾅ カナ"_s << u"カナ"_s << 1;
    QTest::newRow("empty text") << u"abc"_s << QString() << 0;
    QTest::newRow("longer than the page") << u"ab"_s << u"abc"_s << 0;
    QTest::newRow("across a line break") << u"a\r\nb"_s << u"a\r\nb"_s << 1;
}

void TestAllPageSearch::exactAsThePageSearch()
{
    QFETCH(QString, page);
    QFETCH(QString, text);
    QFETCH(int, count);
    QCOMPARE(FindInAllPages({page}, text).size(), count);
}

void TestAllPageSearch::sameHitsAsStepwisePageSearch()
{
    // The page search goes from hit to hit one character further; every hit
    // of it is a hit here, in the same order.
    QRandomGenerator rng(3);
    const QString alphabet = u"ab\r\nあ"_s;
    ProjectDates p;
    for (int i = 0; i < 20; ++i) {
        QString s;
        for (int k = 0; k < 200; ++k)
            s += alphabet.at(qsizetype(rng.bounded(quint32(alphabet.size()))));
        AddHtmlDat(p, u"p"_s, u"p%1"_s.arg(i), s, u".htm"_s);
    }
    QStringList pages;
    for (const HtmlDat &h : p.Html)
        pages.append(h.HtmlStr);
    for (const QString &text : {u"a"_s, u"ab"_s, u"aa"_s, u"\r\nあ"_s}) {
        QVector<PageHit> expected;
        for (int i = 0; i < pages.size(); ++i) {
            qint32 at = KensakuStr(p, text, i, 0);
            while (at >= 0) {
                expected.append({i, int(QStringView(pages.at(i)).first(at).count(u'\n')) + 1, at});
                at = KensakuStr(p, text, i, at + 1);
            }
        }
        QCOMPARE(FindInAllPages(pages, text), expected);
    }
}

void TestAllPageSearch::slicesGiveTheSameHits()
{
    QStringList pages;
    for (int i = 0; i < 50; ++i)
        pages.append(QString(u"x猫\r\n"_s).repeated(100 + i));
    const QVector<PageHit> whole = FindInAllPages(pages, u"猫"_s);
    AllPageSearch search(pages, u"猫"_s);
    QVector<PageHit> sliced;
    int steps = 0;
    // No time at all for each slice: every slice still makes progress.
    while (!search.step(&sliced, 0))
        ++steps;
    QVERIFY2(steps > 10, qPrintable(QString::number(steps)));
    QCOMPARE(sliced, whole);
    QCOMPARE(search.pagesSearched(), 50);
    QVERIFY(!search.capped());
}

void TestAllPageSearch::stopsAtMaxHits()
{
    const QStringList pages{u"aaaa"_s, u"aaaa"_s};
    AllPageSearch search(pages, u"a"_s, 5);
    QVector<PageHit> hits;
    QVERIFY(search.step(&hits, 1000000000));
    QCOMPARE(hits.size(), 5);
    QVERIFY(search.capped());
    QVERIFY(search.finished());
    QCOMPARE(hits.last(), (PageHit{1, 1, 0}));
}

void TestAllPageSearch::searchesTheTextsItWasGiven()
{
    QStringList pages{u"abc"_s};
    AllPageSearch search(pages, u"b"_s);
    pages[0] = u"bbb"_s;
    QVector<PageHit> hits;
    QVERIFY(search.step(&hits, 1000000000));
    QCOMPARE(hits, (QVector<PageHit>{{0, 1, 1}}));
    QCOMPARE(search.pages().first(), u"abc"_s);
}

void TestAllPageSearch::hitLine_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::newRow("second line") << u"<p>\r\n    <b>猫</b>\r\n</p>"_s << u"猫"_s << u"<b>猫</b>"_s << 3;
    QTest::newRow("tabs and full-width blanks") << u"\t　<i>\ta猫</i>"_s << u"猫"_s << u"<i> a猫</i>"_s << 5;
    QTest::newRow("first character") << u"猫\r\n"_s << u"猫"_s << u"猫"_s << 0;
    QTest::newRow("end of page") << u"abc\r\nxyz"_s << u"yz"_s << u"xyz"_s << 1;
    QTest::newRow("blank line before") << u"\r\n\r\nab"_s << u"a"_s << u"ab"_s << 0;
    const QString longLine = QString(u'x').repeated(300) + u"猫"_s + QString(u'y').repeated(300);
    QTest::newRow("long line cut on both sides")
        << longLine << u"猫"_s << (u"…"_s + QString(u'x').repeated(40) + u"猫"_s + QString(u'y').repeated(119) + u"…"_s) << 41;
    QTest::newRow("long line cut after") << (u"猫"_s + QString(u'y').repeated(300)) << u"猫"_s
                                         << (u"猫"_s + QString(u'y').repeated(159) + u"…"_s) << 0;
}

void TestAllPageSearch::hitLine()
{
    QFETCH(QString, page);
    QFETCH(QString, find);
    QFETCH(QString, text);
    QFETCH(int, start);
    const qsizetype pos = page.indexOf(find);
    const HitLine line = HitLineOf(page, pos, find.size(), 160);
    QCOMPARE(line.text, text);
    QCOMPARE(line.start, qsizetype(start));
    QCOMPARE(line.length, find.size());
    QCOMPARE(line.text.mid(line.start, line.length), find);
}

void TestAllPageSearch::replaceInAllPages()
{
    const QStringList pages{u"aXa"_s, u"none"_s, u"a\r\na"_s, QString()};
    const AllPagesTikan r = TikanAllPages(pages, u"a"_s, u"aa"_s);
    QCOMPARE(r.pages, (QList<int>{0, 2}));
    QCOMPARE(r.texts, (QStringList{u"aaXaa"_s, u"aa\r\naa"_s}));
    QCOMPARE(r.counts, (QList<int>{2, 2}));
    QCOMPARE(r.hits, 4);
    // Each page as the page replace-all leaves it.
    for (int k = 0; k < r.pages.size(); ++k)
        QCOMPARE(r.texts.at(k), TikanAll(pages.at(r.pages.at(k)), u"a"_s, u"aa"_s).text);
}

void TestAllPageSearch::replaceWithNothingToFind()
{
    QCOMPARE(TikanAllPages({u"abc"_s}, QString(), u"x"_s).hits, 0);
    QCOMPARE(TikanAllPages({u"abc"_s}, u"z"_s, u"x"_s).pages.size(), 0);
    QCOMPARE(TikanAllPages({}, u"a"_s, u"x"_s).hits, 0);
}

QTEST_GUILESS_MAIN(TestAllPageSearch)
#include "tst_allpagesearch.moc"
