// The page check on page texts: one row per problem, at its line and column,
// in the words the list shows; pages in order; nothing changed.
#include "PageCheck.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A sound page (Shift_JIS declared, as the program's pages are) with the
// given head lines and body text; the body starts on line 9 when the head
// lines are the usual two.
QString Page(const QString &body, const QString &head = u"<meta name=\"viewport\" content=\"width=device-width\">\r\n"
                                                          "<title>題</title>\r\n"_s,
             const QString &html = u"<html lang=\"ja\">"_s)
{
    return u"<!DOCTYPE html>\r\n"_s + html + u"\r\n<head>\r\n<meta charset=\"Shift_JIS\">\r\n"_s + head
           + u"</head>\r\n<body>\r\n"_s + body + u"\r\n</body>\r\n</html>\r\n"_s;
}

QString Rows(const QVector<PageIssue> &issues)
{
    QStringList out;
    for (const PageIssue &i : issues)
        out.append(u"%1:%2 %3"_s.arg(i.line).arg(i.column).arg(i.message));
    return out.join(u" | "_s);
}

} // namespace

class TestPageCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void soundPageHasNoRows()
    {
        QCOMPARE(Rows(CheckPage(Page(u"<p>本文 <img src=\"a.gif\" alt=\"絵\"></p>"_s))), QString());
    }

    void oneRowPerProblem_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("at");      // the text at that place
        QTest::addColumn<QString>("message"); // the start of the row's text
        QTest::addColumn<bool>("advice");
        QTest::newRow("unclosed element") << Page(u"<div>開いたまま"_s) << 9 << 1 << u"<div>"_s
                                          << u"<div> が閉じられていません"_s << false;
        QTest::newRow("misnested elements") << Page(u"<p>太<b>字</p></b>"_s) << 9 << 5 << u"<b>"_s
                                            << u"タグの入れ子が正しくありません（</p> の前に </b> がありません）"_s << false;
        QTest::newRow("crossed elements") << Page(u"<p><b>太<i>字</b></i></p>"_s) << 9 << 8 << u"<i>"_s
                                          << u"タグの入れ子が正しくありません（</b> の前に閉じていない要素があります）"_s << false;
        QTest::newRow("unknown element") << Page(u"<p>a</p><foo>x</foo>"_s) << 9 << 9 << u"<foo>"_s
                                         << u"<foo> は HTML にない要素です"_s << false;
        QTest::newRow("unknown attribute") << Page(u"<p zork=\"1\">x</p>"_s) << 9 << 1 << u"<p zork"_s
                                           << u"<p> に「zork」という属性はありません"_s << false;
        QTest::newRow("duplicate id") << Page(u"<p id=\"a\">1</p><p id=\"a\">2</p>"_s) << 9 << 16
                                      << u"<p id=\"a\">2"_s << u"id「a」がこのページに二つ以上あります"_s << false;
        QTest::newRow("missing alt, after a tab") << Page(u"\t<img src=\"a.gif\">"_s) << 9 << 2 << u"<img"_s
                                                  << u"<img> に alt 属性"_s << true;
        QTest::newRow("column after a character outside the BMP")
            << Page(u"😀あ<img src=\"a.gif\">"_s) << 9 << 3 << u"<img"_s << u"<img> に alt 属性"_s << true;
        QTest::newRow("missing title") << Page(u"<p>x</p>"_s, u"<meta name=\"viewport\" content=\"width=device-width\">\r\n"_s)
                                       << 3 << 1 << u"<head>"_s << u"<title>（ページの題名）がありません"_s << true;
        QTest::newRow("page without lang") << Page(u"<p>x</p>"_s, u"<title>題</title><meta name=viewport content=x>\r\n"_s, u"<html>"_s)
                                           << 2 << 1 << u"<html>"_s << u"<html> に lang 属性"_s << true;
        QTest::newRow("no viewport") << Page(u"<p>x</p>"_s, u"<title>題</title>\r\n"_s) << 3 << 1 << u"<head>"_s
                                     << u"viewport の宣言がありません"_s << true;
        QTest::newRow("presentational markup, one row")
            << Page(u"<p>a</p>\r\n<center><font color=\"red\"><p>赤</p><p>二つ目</p></font></center><font size=\"2\">小</font>\r\n"
                    "<p align=\"center\">x</p>"_s)
            << 10 << 1 << u"<center>"_s
            << u"見た目を指定する古いタグや属性が 4 か所にあります（<font> 2、<center> 1、align 1）"_s << true;
        QTest::newRow("other reports in tidy's words") << Page(u"<p class=\"a\" class=\"b\">x</p>"_s) << 9 << 1
                                                       << u"<p"_s << u"[<p> dropping value \"a\" for repeated attribute \"class\"]"_s << false;
    }

    void oneRowPerProblem()
    {
        QFETCH(QString, page);
        QFETCH(int, line);
        QFETCH(int, column);
        QFETCH(QString, at);
        QFETCH(QString, message);
        QFETCH(bool, advice);
        const QVector<PageIssue> issues = CheckPage(page, 3);
        QVERIFY2(issues.size() == 1, qPrintable(Rows(issues)));
        const PageIssue &i = issues.first();
        QCOMPARE(i.page, 3);
        QCOMPARE(u"%1:%2"_s.arg(i.line).arg(i.column), u"%1:%2"_s.arg(line).arg(column));
        QVERIFY2(i.message.startsWith(message), qPrintable(i.message));
        QCOMPARE(i.advice, advice);
        const qsizetype place = PagePlace(page, i.line, i.column);
        QCOMPARE(QStringView(page).sliced(place).left(at.size()).toString(), at);
    }

    void placesOfLinesAndColumns()
    {
        const QString text = u"ab\r\ncd\ref\ngh"_s;
        QCOMPARE(PagePlace(text, 2, 2), 5);
        QCOMPARE(PagePlace(text, 3, 1), 7);
        QCOMPARE(PagePlace(text, 4, 9), text.size()); // past the end of the line: its end
        QCOMPARE(PagePlace(text, 5, 1), -1);
    }

    void pagesInOrderAndNothingChanged()
    {
        ProjectDates p;
        for (int i = 0; i < 40; ++i)
            AddHtmlDat(p, u"ページ%1"_s.arg(i), u"p%1"_s.arg(i),
                       Page(i % 3 ? u"<p>良い</p>"_s : u"<p>a</p>\r\n<img src=\"%1.gif\">"_s.arg(i)), u".htm"_s);
        const ProjectDates before = p;
        const QVector<PageIssue> issues = CheckPages(p);
        QCOMPARE(issues.size(), 14);
        for (qsizetype k = 0; k < issues.size(); ++k) {
            QCOMPARE(issues.at(k).page, int(k * 3));
            QCOMPARE(issues.at(k).line, 10);
        }
        QVERIFY(p.Html == before.Html);
    }
};

QTEST_GUILESS_MAIN(TestPageCheck)
#include "tst_pagecheck.moc"
