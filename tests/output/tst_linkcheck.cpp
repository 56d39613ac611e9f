// The link check on the project's records: which links it reports, what it
// says about them, where it finds them, and that it changes nothing.
#include "LinkCheck.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(LinkProblem)

namespace {

// Index.htm, page2.htm (with the places "part" and "sec"), "my page.htm",
// 日本語.html; the picture picure1.gif and the other file file1.pdf.
ProjectDates Project(const QString &indexText)
{
    ProjectDates p;
    AddHtmlDat(p, u"インデックス"_s, u"Index"_s, indexText, u".htm"_s);
    AddHtmlDat(p, u"二"_s, u"page2"_s, u"<a name=\"part\"></a>\r\n<h2 id='sec'>x</h2>"_s, u".htm"_s);
    AddHtmlDat(p, u"空白"_s, u"my page"_s, u"<p>x</p>"_s, u".htm"_s);
    AddHtmlDat(p, u"日本語"_s, u"日本語"_s, u"<p>x</p>"_s, u".html"_s);
    AddPictDat(p, u"画像データ1"_s, u"picure1"_s, u"/src/a.gif"_s, u".gif"_s);
    AddElseFileDat(p, u"ファイルデータ1"_s, u"file1"_s, u"/src/a.pdf"_s, u".pdf"_s);
    return p;
}

} // namespace

class TestLinkCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void goodLinksPass_data();
    void goodLinksPass();
    void wrongLinksAreReported_data();
    void wrongLinksAreReported();
    void placesAndLines();
    void baseHrefLeavesPageUnchecked();
    void anchorsInOtherPagesAndCaseOfPlaces();
    void problemTexts();
    void scannerOnBrokenMarkup_data();
    void scannerOnBrokenMarkup();
    void damagedPagesNeverBreakTheCheck();
    void nothingIsChanged();
    void longRunsOfAmpersandsTakeLinearTime_data();
    void longRunsOfAmpersandsTakeLinearTime();
};

void TestLinkCheck::goodLinksPass_data()
{
    QTest::addColumn<QString>("markup");
    QTest::newRow("page") << u"<a href=\"page2.htm\">"_s;
    QTest::newRow("picture") << u"<img src=\"picure1.gif\">"_s;
    QTest::newRow("other file") << u"<a href='file1.pdf'>"_s;
    QTest::newRow("unquoted") << u"<a href=page2.htm>"_s;
    QTest::newRow("blanks around =") << u"<a href = \"page2.htm\" >"_s;
    QTest::newRow("upper-case tag and attribute") << u"<IMG SRC=\"picure1.gif\">"_s;
    QTest::newRow("blanks around the value") << u"<a href=\" page2.htm \r\n\">"_s;
    QTest::newRow("dot folder") << u"<a href=\"./page2.htm\">"_s;
    QTest::newRow("into a folder and back") << u"<a href=\"img/../page2.htm\">"_s;
    QTest::newRow("query") << u"<a href=\"page2.htm?a=1&amp;b=2\">"_s;
    QTest::newRow("percent-encoded blank") << u"<a href=\"my%20page.htm\">"_s;
    QTest::newRow("blank as written") << u"<a href=\"my page.htm\">"_s;
    QTest::newRow("Japanese name") << u"<a href=\"日本語.html\">"_s;
    QTest::newRow("Japanese name percent-encoded") << u"<a href=\"%E6%97%A5%E6%9C%AC%E8%AA%9E.html\">"_s;
    QTest::newRow("http") << u"<a href=\"http://example.com/x.htm\">"_s;
    QTest::newRow("https upper case") << u"<a href=\"HTTPS://example.com/\">"_s;
    QTest::newRow("mailto") << u"<a href=\"mailto:a@example.com\">"_s;
    QTest::newRow("javascript") << u"<a href=\"javascript:void(0)\">"_s;
    QTest::newRow("another host") << u"<script src=\"//cdn.example.com/x.js\"></script>"_s;
    QTest::newRow("site root") << u"<a href=\"/index.htm\">"_s;
    QTest::newRow("empty href") << u"<a href=\"\">"_s;
    QTest::newRow("the folder") << u"<a href=\"./\">"_s;
    QTest::newRow("place in this page") << u"<a href=\"#own\"></a><p id=\"own\">"_s;
    QTest::newRow("place in another page") << u"<a href=\"page2.htm#part\">"_s;
    QTest::newRow("id in another page") << u"<a href=\"page2.htm#sec\">"_s;
    QTest::newRow("top of the page") << u"<a href=\"#top\">"_s;
    QTest::newRow("top in upper case") << u"<a href=\"#TOP\">"_s;
    QTest::newRow("bare hash") << u"<a href=\"#\">"_s;
    QTest::newRow("place of a picture") << u"<a href=\"picure1.gif#x\">"_s;
    QTest::newRow("in a comment") << u"<!-- <a href=\"gone.htm\"> -->"_s;
    QTest::newRow("bookmark comment") << u"<!--しおり：目次-->"_s;
    QTest::newRow("in a script") << u"<script>document.write('<img src=\"gone.gif\">');</script>"_s;
    QTest::newRow("in a style") << u"<style>/* <a href=\"gone.htm\"> */</style>"_s;
    QTest::newRow("other attributes") << u"<a title=\"gone.htm\" data-src=\"gone.gif\" href=\"page2.htm\">"_s;
    QTest::newRow("text, not a tag") << u"<p>a < b, href=\"gone.htm\"</p>"_s;
    QTest::newRow("end tag") << u"</a href=\"gone.htm\">"_s;
}

void TestLinkCheck::goodLinksPass()
{
    QFETCH(QString, markup);
    const ProjectDates p = Project(markup);
    const QVector<LinkIssue> issues = CheckLinks(p);
    QVERIFY2(issues.isEmpty(), issues.isEmpty() ? "" : qPrintable(issues.first().link + u" "_s + LinkProblemText(issues.first())));
}

void TestLinkCheck::wrongLinksAreReported_data()
{
    QTest::addColumn<QString>("markup");
    QTest::addColumn<QString>("link");
    QTest::addColumn<LinkProblem>("problem");
    QTest::addColumn<QString>("hint");
    QTest::newRow("missing page") << u"<a href=\"gone.htm\">"_s << u"gone.htm"_s << LinkProblem::Missing << QString();
    QTest::newRow("missing picture") << u"<img src='gone.gif'>"_s << u"gone.gif"_s << LinkProblem::Missing << QString();
    QTest::newRow("unquoted missing") << u"<a href=gone.htm>"_s << u"gone.htm"_s << LinkProblem::Missing << QString();
    QTest::newRow("extension differs") << u"<a href=\"page2.html\">"_s << u"page2.html"_s << LinkProblem::Missing
                                       << QString();
    QTest::newRow("case differs") << u"<a href=\"index.htm\">"_s << u"index.htm"_s << LinkProblem::CaseDiffers
                                  << u"Index.htm"_s;
    QTest::newRow("picture case differs") << u"<img src=\"PICURE1.GIF\">"_s << u"PICURE1.GIF"_s
                                          << LinkProblem::CaseDiffers << u"picure1.gif"_s;
    QTest::newRow("character reference") << u"<a href=\"&#105;ndex.htm\">"_s << u"&#105;ndex.htm"_s
                                         << LinkProblem::CaseDiffers << u"Index.htm"_s;
    QTest::newRow("full-width blank is part of the name") << u"<a href=\"page2.htm　\">"_s << u"page2.htm　"_s
                                                          << LinkProblem::Missing << QString();
    QTest::newRow("subfolder") << u"<img src=\"img/picure1.gif\">"_s << u"img/picure1.gif"_s << LinkProblem::Subfolder
                               << QString();
    QTest::newRow("subfolder with backslash") << u"<img src=\"img\\picure1.gif\">"_s << u"img\\picure1.gif"_s
                                              << LinkProblem::Subfolder << QString();
    QTest::newRow("folder") << u"<a href=\"docs/\">"_s << u"docs/"_s << LinkProblem::Subfolder << QString();
    QTest::newRow("outside") << u"<a href=\"../index.htm\">"_s << u"../index.htm"_s << LinkProblem::OutsideFolder
                             << QString();
    QTest::newRow("drive path") << u"<img src=\"C:\\Users\\me\\a.gif\">"_s << u"C:\\Users\\me\\a.gif"_s
                                << LinkProblem::LocalFile << QString();
    QTest::newRow("drive path with slashes") << u"<img src=\"d:/web/a.gif\">"_s << u"d:/web/a.gif"_s
                                             << LinkProblem::LocalFile << QString();
    QTest::newRow("file URL") << u"<a href=\"file:///C:/web/a.htm\">"_s << u"file:///C:/web/a.htm"_s
                              << LinkProblem::LocalFile << QString();
    QTest::newRow("network path") << u"<a href=\"\\\\server\\share\\a.htm\">"_s << u"\\\\server\\share\\a.htm"_s
                                  << LinkProblem::LocalFile << QString();
    QTest::newRow("empty src") << u"<img src=\"\">"_s << QString() << LinkProblem::Empty << QString();
    QTest::newRow("blank src") << u"<img src=\"  \">"_s << u"  "_s << LinkProblem::Empty << QString();
    QTest::newRow("missing place in this page") << u"<a href=\"#nowhere\">"_s << u"#nowhere"_s
                                                << LinkProblem::MissingAnchor << u"Index.htm"_s;
    QTest::newRow("missing place in another page") << u"<a href=\"page2.htm#none\">"_s << u"page2.htm#none"_s
                                                   << LinkProblem::MissingAnchor << u"page2.htm"_s;
    QTest::newRow("place names keep their case") << u"<a href=\"page2.htm#Part\">"_s << u"page2.htm#Part"_s
                                                 << LinkProblem::MissingAnchor << u"page2.htm"_s;
    QTest::newRow("name of a non-link is no place") << u"<a href=\"#f\"></a><input name=\"f\">"_s << u"#f"_s
                                                    << LinkProblem::MissingAnchor << u"Index.htm"_s;
    QTest::newRow("reference after a lone &") << u"<a href=\"&&#105;ndex.htm\">"_s << u"&&#105;ndex.htm"_s
                                              << LinkProblem::Missing << QString();
    QTest::newRow("unfinished reference before one") << u"<img src=\"&amp&lt;x.gif\">"_s << u"&amp&lt;x.gif"_s
                                                    << LinkProblem::Missing << QString();
    QTest::newRow("hexadecimal reference") << u"<a href=\"&#X69;ndex.htm\">"_s << u"&#X69;ndex.htm"_s
                                           << LinkProblem::CaseDiffers << u"Index.htm"_s;
    QTest::newRow("missing page with a place") << u"<a href=\"gone.htm#x\">"_s << u"gone.htm#x"_s
                                               << LinkProblem::Missing << QString();
}

void TestLinkCheck::wrongLinksAreReported()
{
    QFETCH(QString, markup);
    QFETCH(QString, link);
    QFETCH(LinkProblem, problem);
    QFETCH(QString, hint);
    const ProjectDates p = Project(u"<p>\r\n"_s + markup);
    const QVector<LinkIssue> issues = CheckLinks(p);
    QCOMPARE(issues.size(), 1);
    const LinkIssue &i = issues.first();
    QCOMPARE(i.link, link);
    QCOMPARE(i.problem, problem);
    QCOMPARE(i.hint, hint);
    QCOMPARE(i.page, 0);
    QCOMPARE(i.line, 2);
    QCOMPARE(p.Html.at(0).HtmlStr.mid(i.pos, i.length), link);
}

void TestLinkCheck::placesAndLines()
{
    ProjectDates p = Project(u"<html>\r\n<a href=\"a.htm\">\r\n\r\n<img\r\n  src=\"b.gif\"><a href=\"page2.htm\">"
                             "<a href=\"c.htm\">\r\n<!-- x\r\n y -->\r\n<a href=\"d.htm\">"_s);
    p.Html[1].HtmlStr += u"\r\n<a href=\"e.htm\">"_s;
    const QVector<LinkIssue> issues = CheckLinks(p);
    QCOMPARE(issues.size(), 5);
    const struct
    {
        int page;
        int line;
        const char16_t *link;
    } expected[] = {{0, 2, u"a.htm"}, {0, 5, u"b.gif"}, {0, 5, u"c.htm"}, {0, 8, u"d.htm"}, {1, 3, u"e.htm"}};
    for (int k = 0; k < 5; ++k) {
        QCOMPARE(issues.at(k).page, expected[k].page);
        QCOMPARE(issues.at(k).line, expected[k].line);
        QCOMPARE(issues.at(k).link, QString::fromUtf16(expected[k].link));
        QCOMPARE(p.Html.at(issues.at(k).page).HtmlStr.mid(issues.at(k).pos, issues.at(k).length), issues.at(k).link);
    }
}

void TestLinkCheck::baseHrefLeavesPageUnchecked()
{
    const ProjectDates p = Project(u"<head><base href=\"http://example.com/site/\"></head><a href=\"gone.htm\">"
                                   "<img src=\"C:\\a.gif\">"_s);
    const QVector<LinkIssue> issues = CheckLinks(p);
    // Relative names point elsewhere, but a file of this computer is still one.
    QCOMPARE(issues.size(), 1);
    QCOMPARE(issues.first().problem, LinkProblem::LocalFile);
}

void TestLinkCheck::anchorsInOtherPagesAndCaseOfPlaces()
{
    QStringList anchors;
    bool hasBase = false;
    const QVector<PageLink> links = ScanPageLinks(
        u"<A NAME=\"One\"><div ID='two'><a name=three href=\"x\"><p name=\"not\"><a id=\"f&amp;g\">"_s, &anchors,
        &hasBase);
    QCOMPARE(anchors, (QStringList{u"One"_s, u"two"_s, u"three"_s, u"f&g"_s}));
    QVERIFY(!hasBase);
    QCOMPARE(links.size(), 1);
    QCOMPARE(links.first().attribute, u"href"_s);
}

void TestLinkCheck::problemTexts()
{
    LinkIssue i;
    i.problem = LinkProblem::CaseDiffers;
    i.hint = u"Index.htm"_s;
    QCOMPARE(LinkProblemText(i), u"大文字と小文字が違います（プロジェクトでは「Index.htm」）"_s);
    i.problem = LinkProblem::MissingAnchor;
    i.link = u"page2.htm#none"_s;
    i.hint = u"page2.htm"_s;
    QCOMPARE(LinkProblemText(i), u"「page2.htm」に「none」という場所（id または name）がありません"_s);
    for (LinkProblem pr : {LinkProblem::Missing, LinkProblem::Subfolder, LinkProblem::OutsideFolder,
                           LinkProblem::LocalFile, LinkProblem::Empty}) {
        i.problem = pr;
        QVERIFY(!LinkProblemText(i).isEmpty());
    }
}

void TestLinkCheck::scannerOnBrokenMarkup_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QStringList>("values");
    QTest::newRow("unterminated quote") << u"<a href=\"abc"_s << QStringList{u"abc"_s};
    QTest::newRow("unterminated tag") << u"<img src=x.gif"_s << QStringList{u"x.gif"_s};
    QTest::newRow("unterminated comment") << u"<a href=\"a\"><!-- <a href=\"b\">"_s << QStringList{u"a"_s};
    QTest::newRow("lone <") << u"<"_s << QStringList{};
    QTest::newRow("equals without value") << u"<a href=>"_s << QStringList{QString()};
    QTest::newRow("attribute without value") << u"<input disabled src=\"i.gif\">"_s << QStringList{u"i.gif"_s};
    QTest::newRow("stray equals") << u"<a =x href=\"h\">"_s << QStringList{u"h"_s};
    QTest::newRow("unterminated script") << u"<script src=\"s.js\"><a href=\"x\">"_s << QStringList{u"s.js"_s};
    QTest::newRow("self-closing") << u"<img src=\"a.gif\"/><img/src=\"b.gif\">"_s
                                  << QStringList{u"a.gif"_s, u"b.gif"_s};
    QTest::newRow("doctype and processing") << u"<!DOCTYPE html><?xml x?><a href=\"a\">"_s << QStringList{u"a"_s};
}

void TestLinkCheck::scannerOnBrokenMarkup()
{
    QFETCH(QString, html);
    QFETCH(QStringList, values);
    QStringList found;
    for (const PageLink &l : ScanPageLinks(html))
        found.append(html.mid(l.pos, l.length));
    QCOMPARE(found, values);
}

void TestLinkCheck::damagedPagesNeverBreakTheCheck()
{
    const QString page = u"<html><head><base href=\"x/\"></head><body><a href=\"page2.htm#part\">x</a><img src='a.gif'>"
                         "<!-- c --><script>var s='<a href=\"q\">';</script><a name=n id=\"i\" href=#n>&amp;</a>"_s;
    const QString alphabet = u"<>\"'=/!-# \r\nhrefsrcidnameab&;%"_s;
    QRandomGenerator rng(7);
    for (int k = 0; k < 3000; ++k) {
        QString s = page;
        for (int e = 0; e < 1 + int(rng.bounded(5)); ++e) {
            const qsizetype pos = s.isEmpty() ? 0 : qsizetype(rng.bounded(quint32(s.size())));
            const QChar c = alphabet.at(qsizetype(rng.bounded(quint32(alphabet.size()))));
            switch (rng.bounded(3)) {
            case 0: if (!s.isEmpty()) s[pos] = c; break;
            case 1: s.insert(pos, c); break;
            default: s.remove(pos, 1 + qsizetype(rng.bounded(4))); break;
            }
        }
        ProjectDates p = Project(s);
        for (const LinkIssue &i : CheckLinks(p)) {
            QVERIFY(i.pos >= 0 && i.length >= 0 && i.pos + i.length <= p.Html.at(i.page).HtmlStr.size());
            QCOMPARE(p.Html.at(i.page).HtmlStr.mid(i.pos, i.length), i.link);
            QCOMPARE(i.line, int(QStringView(p.Html.at(i.page).HtmlStr).first(i.pos).count(u'\n')) + 1);
        }
    }
}

void TestLinkCheck::nothingIsChanged()
{
    ProjectDates p = Project(u"<a href=\"index.htm\"><img src=\"\">"_s);
    p.Henkou = false;
    const ProjectDates before = p;
    QCOMPARE(CheckLinks(p).size(), 2);
    QVERIFY(p.Html == before.Html);
    QVERIFY(p.Pict == before.Pict);
    QVERIFY(!p.Henkou);
}

void TestLinkCheck::longRunsOfAmpersandsTakeLinearTime_data()
{
    // A million characters of each pattern in one href. Read in linear time
    // they take milliseconds; a search for the next ";" from every "&" takes
    // about a minute, far beyond the margin below.
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("tail");
    QTest::newRow("& alone") << u"&"_s << QString();
    QTest::newRow("& and a ; at the end") << u"&"_s << u";"_s;
    QTest::newRow("&# and a ; at the end") << u"&#"_s << u";"_s;
    QTest::newRow("&#1 and a ; at the end") << u"&#1"_s << u";"_s;
    QTest::newRow("&a and a ; at the end") << u"&a"_s << u";"_s;
    QTest::newRow("&amp without ;") << u"&amp"_s << QString();
}

void TestLinkCheck::longRunsOfAmpersandsTakeLinearTime()
{
    QFETCH(QString, unit);
    QFETCH(QString, tail);
    const QString link = unit.repeated(1'000'000 / unit.size()) + tail;
    const ProjectDates p = Project(u"<a href=\""_s + link + u"\" name=\""_s + link + u"\">"_s);
    QElapsedTimer timer;
    timer.start();
    const QVector<LinkIssue> issues = CheckLinks(p);
    const qint64 ms = timer.elapsed();
    QCOMPARE(issues.size(), 1);
    QCOMPARE(issues.first().problem, LinkProblem::Missing);
    QCOMPARE(issues.first().link.size(), link.size());
    QVERIFY2(ms < 5000, qPrintable(u"%1 ms"_s.arg(ms)));
}

QTEST_GUILESS_MAIN(TestLinkCheck)
#include "tst_linkcheck.moc"
