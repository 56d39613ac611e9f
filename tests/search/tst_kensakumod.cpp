#include "KensakuMod.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

ProjectDates projectWith(const QStringList &pages)
{
    ProjectDates p;
    for (const QString &s : pages)
        AddHtmlDat(p, u"p"_s, u"p"_s, s, u".htm"_s);
    return p;
}

// Replace-all as the dialog describes it: search, select, replace, resume
// right after the inserted text.
QString stepByStep(QString page, const QString &find, const QString &repl, int *count)
{
    qsizetype pos = 0;
    *count = 0;
    for (;;) {
        const qsizetype p = pos > page.size() ? -1 : page.indexOf(find, pos);
        if (p < 0)
            break;
        page.replace(p, find.size(), repl);
        pos = p + repl.size();
        ++*count;
    }
    return page;
}

} // namespace

class TestKensakuMod : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void searchAdvancesOneAfterEachHit();
    void hitAtTheEnd();
    void startBeyondEndOrNegative();
    void searchIsExact_data();
    void searchIsExact();
    void positionsCountCrLfAsTwo();
    void missingPage();
    void allPagePicksHighest();
    void allPageNone();
    void sioriListAddAndDelete();
    void tikanAllGrowingReplacement();
    void tikanAllNoHit();
    void tikanAllReportsRange();
    void tikanAllMatchesStepByStep();
};

void TestKensakuMod::searchAdvancesOneAfterEachHit()
{
    const ProjectDates p = projectWith({u"aaa"_s});
    qint32 pos = 0;
    QList<qint32> hits;
    for (int i = 0; i < 5; ++i) {
        const qint32 h = KensakuStr(p, u"a"_s, 0, pos);
        hits.append(h);
        pos = h >= 0 ? h + 1 : 0;
    }
    QCOMPARE(hits, (QList<qint32>{0, 1, 2, -1, 0}));
}

void TestKensakuMod::hitAtTheEnd()
{
    const ProjectDates p = projectWith({u"xyz"_s});
    QCOMPARE(KensakuStr(p, u"yz"_s, 0, 0), 1);
    QCOMPARE(KensakuStr(p, u"z"_s, 0, 2), 2);
    QCOMPARE(KensakuStr(p, u"z"_s, 0, 3), -1);
    QCOMPARE(KensakuStr(p, u"xyzz"_s, 0, 0), -1);
}

void TestKensakuMod::startBeyondEndOrNegative()
{
    const ProjectDates p = projectWith({u"abc"_s});
    QCOMPARE(KensakuStr(p, u"a"_s, 0, 4), -1);
    QCOMPARE(KensakuStr(p, u"a"_s, 0, 1000000), -1);
    QCOMPARE(KensakuStr(p, u"a"_s, 0, -5), 0);
}

void TestKensakuMod::searchIsExact_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("upper does not find lower") << u"abc"_s << u"A"_s << -1;
    QTest::newRow("lower does not find upper") << u"ABC"_s << u"b"_s << -1;
    QTest::newRow("full-width does not find half-width") << u"ABC"_s << u"Ａ"_s << -1;
    QTest::newRow("half-width does not find full-width") << u"ＡＢＣ"_s << u"B"_s << -1;
    QTest::newRow("half-width kana distinct") << u"ｱｲｳ"_s << u"ア"_s << -1;
    QTest::newRow("hiragana and katakana distinct") << u"あいう"_s << u"イ"_s << -1;
    QTest::newRow("exact full-width found") << u"xＡＢＣ"_s << u"ＢＣ"_s << 2;
    QTest::newRow("exact kanji found") << u"<p>検索文字</p>"_s << u"文字"_s << 5;
}

void TestKensakuMod::searchIsExact()
{
    QFETCH(QString, page);
    QFETCH(QString, text);
    QFETCH(int, expected);
    const ProjectDates p = projectWith({page});
    QCOMPARE(KensakuStr(p, text, 0, 0), expected);
}

void TestKensakuMod::positionsCountCrLfAsTwo()
{
    const ProjectDates p = projectWith({u"a\r\nb\r\nc"_s});
    QCOMPARE(KensakuStr(p, u"b"_s, 0, 0), 3);
    QCOMPARE(KensakuStr(p, u"c"_s, 0, 0), 6);
}

void TestKensakuMod::missingPage()
{
    const ProjectDates p = projectWith({u"abc"_s});
    QCOMPARE(KensakuStr(p, u"a"_s, 1, 0), -1);
    QCOMPARE(KensakuStr(p, u"a"_s, -1, 0), -1);
}

void TestKensakuMod::allPagePicksHighest()
{
    const ProjectDates p = projectWith({u"one x"_s, u"two"_s, u"three x"_s, u"four"_s});
    QCOMPARE(KensakuAllPage(p, u"x"_s), qint16(2));
    QCOMPARE(KensakuAllPage(p, u"one"_s), qint16(0));
    QCOMPARE(KensakuAllPage(p, u"four"_s), qint16(3));
}

void TestKensakuMod::allPageNone()
{
    QCOMPARE(KensakuAllPage(projectWith({u"abc"_s, u"def"_s}), u"xyz"_s), qint16(-1));
    QCOMPARE(KensakuAllPage(projectWith({}), u"a"_s), qint16(-1));
}

void TestKensakuMod::sioriListAddAndDelete()
{
    ProjectDates p;
    QCOMPARE(p.SioriMax(), qint16(-1));
    AddSioriList(p, u"one"_s);
    AddSioriList(p, u"two"_s);
    AddSioriList(p, u"three"_s);
    QCOMPARE(p.SioriMax(), qint16(2));
    DelSioriList(p, 1);
    QCOMPARE(p.SioriList, (QStringList{u"one"_s, u"three"_s}));
    QCOMPARE(p.SioriMax(), qint16(1));
    DelSioriList(p, 5);
    DelSioriList(p, -1);
    QCOMPARE(p.SioriList.size(), 2);
    DelSioriList(p, 0);
    DelSioriList(p, 0);
    QVERIFY(p.SioriList.isEmpty());
    QCOMPARE(p.SioriMax(), qint16(-1));
}

void TestKensakuMod::tikanAllGrowingReplacement()
{
    const TikanAllResult r = TikanAll(u"aXa"_s, u"a"_s, u"aa"_s);
    QCOMPARE(r.text, u"aaXaa"_s);
    QCOMPARE(r.count, 2);
}

void TestKensakuMod::tikanAllNoHit()
{
    const TikanAllResult r = TikanAll(u"abc"_s, u"x"_s, u"y"_s);
    QCOMPARE(r.text, u"abc"_s);
    QCOMPARE(r.count, 0);
    QCOMPARE(r.first, qsizetype(-1));
    const TikanAllResult e = TikanAll(u"abc"_s, QString(), u"y"_s);
    QCOMPARE(e.text, u"abc"_s);
    QCOMPARE(e.count, 0);
}

void TestKensakuMod::tikanAllReportsRange()
{
    const QString page = u"12ab34ab5"_s;
    const TikanAllResult r = TikanAll(page, u"ab"_s, u"XYZ"_s);
    QCOMPARE(r.text, u"12XYZ34XYZ5"_s);
    QCOMPARE(r.first, qsizetype(2));
    QCOMPARE(r.oldEnd, qsizetype(8));
    QCOMPARE(r.newEnd, qsizetype(10));
    // Replacing only the changed span of the old text gives the whole result.
    QString spliced = page;
    spliced.replace(r.first, r.oldEnd - r.first, r.text.mid(r.first, r.newEnd - r.first));
    QCOMPARE(spliced, r.text);
}

void TestKensakuMod::tikanAllMatchesStepByStep()
{
    // Small alphabets make overlapping hits, hits made up by a replacement and
    // hits right after one another frequent.
    QRandomGenerator rng(20261208);
    const QString alphabet = u"ab\r\nX"_s;
    auto randomText = [&](int maxLen) {
        QString s;
        const int n = int(rng.bounded(maxLen + 1));
        for (int i = 0; i < n; ++i)
            s += alphabet.at(int(rng.bounded(int(alphabet.size()))));
        return s;
    };
    for (int round = 0; round < 3000; ++round) {
        const QString page = randomText(40);
        QString find = randomText(3);
        if (find.isEmpty())
            find = u"a"_s;
        const QString repl = randomText(4);
        int expectedCount = 0;
        const QString expected = stepByStep(page, find, repl, &expectedCount);
        const TikanAllResult r = TikanAll(page, find, repl);
        if (r.text != expected || r.count != expectedCount)
            QFAIL(qPrintable(u"page %1 find %2 repl %3"_s.arg(page.toHtmlEscaped(), find, repl)));
        const QList<qsizetype> hits = TikanAllHits(page, find);
        QCOMPARE(hits.size(), qsizetype(r.count));
        if (r.count > 0) {
            QCOMPARE(hits.first(), r.first);
            QCOMPARE(hits.last() + find.size(), r.oldEnd);
            QString spliced = page;
            spliced.replace(r.first, r.oldEnd - r.first, r.text.mid(r.first, r.newEnd - r.first));
            QCOMPARE(spliced, expected);
        }
    }
}

QTEST_GUILESS_MAIN(TestKensakuMod)
#include "tst_kensakumod.moc"
