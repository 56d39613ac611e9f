#include "KensakuMod.h"
#include "Siori.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Pages 0..4; "top" stands in pages 0 and 3, "mid" in page 1.
ProjectDates sampleProject()
{
    ProjectDates p;
    AddHtmlDat(p, u"p0"_s, u"p0"_s, u"<html>\r\n<!--しおり：top-->zero\r\n</html>"_s, u".htm"_s);
    AddHtmlDat(p, u"p1"_s, u"p1"_s, u"one<!--しおり：mid-->one"_s, u".htm"_s);
    AddHtmlDat(p, u"p2"_s, u"p2"_s, u"two"_s, u".htm"_s);
    AddHtmlDat(p, u"p3"_s, u"p3"_s, u"a\r\nb\r\n<!--しおり：top-->three<!--しおり：top-->"_s, u".htm"_s);
    AddHtmlDat(p, u"p4"_s, u"p4"_s, u"four"_s, u".htm"_s);
    AddSioriList(p, u"top"_s);
    AddSioriList(p, u"mid"_s);
    AddSioriList(p, u"top"_s);
    p.NowHtml = 0;
    p.Henkou = false;
    return p;
}

} // namespace

class TestSiori : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commentForm();
    void locateHighestPageFirstPosition();
    void locateMissing();
    void renameSameNameActsOnHighestPage();
    void renameInPageNotShownSetsHenkou();
    void renameUnchangedNameChangesNothing();
    void renameMissingCommentChangesListOnly();
    void deleteRemovesCommentAndName();
    void deleteMissingCommentRemovesNameOnly();
    void deleteOutOfRange();
};

void TestSiori::commentForm()
{
    QCOMPARE(SioriComment(u"top"_s), u"<!--しおり：top-->"_s);
    QCOMPARE(SioriComment(u"見出し"_s), u"<!--しおり：見出し-->"_s);
}

void TestSiori::locateHighestPageFirstPosition()
{
    const ProjectDates p = sampleProject();
    const SioriPlace top = LocateSiori(p, u"top"_s);
    QVERIFY(top.found());
    QCOMPARE(top.page, qint16(3));
    QCOMPARE(top.pos, 6); // after "a" CR LF "b" CR LF
    const SioriPlace mid = LocateSiori(p, u"mid"_s);
    QCOMPARE(mid.page, qint16(1));
    QCOMPARE(mid.pos, 3);
}

void TestSiori::locateMissing()
{
    ProjectDates p = sampleProject();
    DelHtmlDat(p, 1);
    QVERIFY(!LocateSiori(p, u"mid"_s).found());
    // A name that is only part of another comment does not match.
    QVERIFY(!LocateSiori(p, u"to"_s).found());
}

void TestSiori::renameSameNameActsOnHighestPage()
{
    ProjectDates p = sampleProject();
    const QString page0 = p.Html.at(0).HtmlStr;
    p.SioriList[2] = u"end"_s;
    const SioriEdit e = SioriStrChange(p, 2, u"top"_s);
    QVERIFY(e.changed());
    QCOMPARE(e.page, qint16(3));
    QCOMPARE(p.Html.at(3).HtmlStr, u"a\r\nb\r\n<!--しおり：end-->three<!--しおり：top-->"_s);
    QCOMPARE(p.Html.at(0).HtmlStr, page0);
}

void TestSiori::renameInPageNotShownSetsHenkou()
{
    ProjectDates p = sampleProject();
    QCOMPARE(p.NowHtml, qint16(0));
    p.SioriList[1] = u"middle"_s;
    const SioriEdit e = SioriStrChange(p, 1, u"mid"_s);
    QCOMPARE(e.page, qint16(1));
    QCOMPARE(e.pos, 3);
    QCOMPARE(e.length, qint32(SioriComment(u"mid"_s).size()));
    QCOMPARE(e.replacement, SioriComment(u"middle"_s));
    QCOMPARE(p.Html.at(1).HtmlStr, u"one<!--しおり：middle-->one"_s);
    QVERIFY(p.Henkou);
}

void TestSiori::renameUnchangedNameChangesNothing()
{
    ProjectDates p = sampleProject();
    const ProjectDates before = p;
    const SioriEdit e = SioriStrChange(p, 1, u"mid"_s);
    QVERIFY(!e.changed());
    QCOMPARE(p.Html, before.Html);
    QVERIFY(!p.Henkou);
}

void TestSiori::renameMissingCommentChangesListOnly()
{
    ProjectDates p = sampleProject();
    const auto pages = p.Html;
    p.SioriList[1] = u"x"_s;
    const SioriEdit e = SioriStrChange(p, 1, u"gone"_s);
    QVERIFY(!e.changed());
    QCOMPARE(p.Html, pages);
    QCOMPARE(p.SioriList.at(1), u"x"_s);
    // The list entry changed, and the list is saved with the project.
    QVERIFY(p.Henkou);
}

void TestSiori::deleteRemovesCommentAndName()
{
    ProjectDates p = sampleProject();
    const SioriEdit e = DelSiori(p, 0);
    QCOMPARE(e.page, qint16(3));
    QCOMPARE(p.Html.at(3).HtmlStr, u"a\r\nb\r\nthree<!--しおり：top-->"_s);
    QCOMPARE(p.Html.at(0).HtmlStr, u"<html>\r\n<!--しおり：top-->zero\r\n</html>"_s);
    QCOMPARE(p.SioriList, (QStringList{u"mid"_s, u"top"_s}));
    QVERIFY(p.Henkou);
}

void TestSiori::deleteMissingCommentRemovesNameOnly()
{
    ProjectDates p = sampleProject();
    DelHtmlDat(p, 1);
    const auto pages = p.Html;
    const SioriEdit e = DelSiori(p, 1);
    QVERIFY(!e.changed());
    QCOMPARE(p.Html, pages);
    QCOMPARE(p.SioriList, (QStringList{u"top"_s, u"top"_s}));
    QVERIFY(p.Henkou);
}

void TestSiori::deleteOutOfRange()
{
    ProjectDates p = sampleProject();
    QVERIFY(!DelSiori(p, 3).changed());
    QVERIFY(!DelSiori(p, -1).changed());
    QCOMPARE(p.SioriList.size(), 3);
}

QTEST_GUILESS_MAIN(TestSiori)
#include "tst_siori.moc"
