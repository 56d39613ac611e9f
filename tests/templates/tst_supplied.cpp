// The templates delivered with the program, as the build put them into the
// program folder: every page and project template loads, declares its
// character set and viewport, is well-formed HTML that fits a phone, links
// only to what its project outputs, and its pictures are found after the "*"
// paths are expanded.

#include "AppPaths.h"
#include "BrowserView.h"
#include "Cp932.h"
#include "DeviceFrame.h"
#include "HinagataEdit.h"
#include "ProjectFile.h"
#include "TempC.h"
#include "TestSupport.h"
#include "TextFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Copies a folder tree.
bool CopyTree(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString src = it.next();
        const QString dst = to + src.mid(from.size());
        if (!QDir().mkpath(QFileInfo(dst).path()) || !QFile::copy(src, dst))
            return false;
    }
    return true;
}

const QSet<QString> VoidElements{u"meta"_s, u"br"_s, u"img"_s, u"hr"_s, u"input"_s, u"link"_s};

// Problems of a page: its character set, its frame and whether every element
// that is opened is closed in order. Empty when there are none.
QString PageProblems(const QString &html)
{
    static const QRegularExpression charset(
        uR"re(<meta\s+http-equiv="Content-Type"\s+content="text/html;\s*charset=Shift_JIS">)re"_s,
        QRegularExpression::CaseInsensitiveOption);
    const qsizetype head = html.indexOf(u"</head>"_s);
    if (head < 0 || !charset.match(html.left(head)).hasMatch())
        return u"no Shift_JIS declaration in the head"_s;
    if (PageDeclaresUtf8(html))
        return u"declares UTF-8"_s;
    if (!html.left(head).contains(uR"(<meta name="viewport" content="width=device-width, initial-scale=1">)"_s))
        return u"no viewport for phones in the head"_s;
    if (!html.startsWith(u"<!DOCTYPE html>"_s))
        return u"no document type"_s;
    static const QRegularExpression title(u"<title>([^<]+)</title>"_s);
    if (!title.match(html).hasMatch())
        return u"no title"_s;

    static const QRegularExpression tag(u"<!--.*?-->|<!DOCTYPE[^>]*>|<(/?)([A-Za-z][A-Za-z0-9]*)([^>]*)>"_s,
                                        QRegularExpression::DotMatchesEverythingOption);
    QStringList open;
    auto it = tag.globalMatch(html);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        if (m.capturedLength(2) == 0)
            continue; // a comment or the document type
        const QString name = m.captured(2).toLower();
        if (VoidElements.contains(name))
            continue;
        if (m.captured(1).isEmpty()) {
            open.append(name);
        } else if (open.isEmpty() || open.takeLast() != name) {
            return u"</%1> closes nothing open at offset %2"_s.arg(name).arg(m.capturedStart());
        }
    }
    if (!open.isEmpty())
        return u"left open: "_s + open.join(u' ');
    if (html.count(u"<html"_s) != 1 || html.count(u"<head>"_s) != 1 || html.count(u"<body>"_s) != 1)
        return u"not one html, head and body"_s;
    return QString();
}

// The relative targets of a page's links and pictures.
QStringList Targets(const QString &html, const QString &attribute)
{
    const QRegularExpression re(u"\\s%1=\"([^\"]*)\""_s.arg(attribute));
    QStringList out;
    auto it = re.globalMatch(html);
    while (it.hasNext()) {
        const QString t = it.next().captured(1);
        if (!t.startsWith(u"https://"_s) && !t.startsWith(u"http://"_s) && !t.startsWith(u"mailto:"_s)
            && !t.startsWith(u'#'))
            out.append(t);
    }
    return out;
}

// The bytes are code page 932 text with CR LF line ends only.
QString FileProblems(const QByteArray &bytes)
{
    QByteArray back;
    if (!Cp932::encode(Cp932::decode(bytes), &back) || back != bytes)
        return u"not code page 932"_s;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes.at(i) == '\n' && (i == 0 || bytes.at(i - 1) != '\r'))
            return u"a line end without CR"_s;
        if (bytes.at(i) == '\r' && (i + 1 == bytes.size() || bytes.at(i + 1) != '\n'))
            return u"a CR without LF"_s;
    }
    return QString();
}

} // namespace

class TestSupplied : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    DeviceFrame m_frame;
    BrowserView *m_view = nullptr;

    // Empty when the preview at a phone's width lays the page out 375 CSS
    // pixels wide, nothing in it wider than the room beside the scroll bar,
    // every picture loaded; else what is wrong.
    QString phoneProblem(const ProjectDates &p, int page)
    {
        QSignalSpy loaded(m_view, &BrowserView::loadFinished);
        TempC::CopyAllTemp(p);
        m_view->navigateToFile(TempC::TempPathFor(p.Html.at(page).outputName()));
        QString sizes;
        loaded.wait(30000);
        m_view->page()->runJavaScript(u"var d = document.documentElement; [innerWidth, d.scrollWidth, d.clientWidth, "
                                      "[].every.call(document.images, i => i.naturalWidth)].join(' ')"_s,
                                      [&sizes](const QVariant &v) { sizes = v.toString(); });
        QTest::qWaitFor([&sizes] { return !sizes.isEmpty(); }, 30000);
        const QStringList n = sizes.split(u' ');
        if (n.size() == 4 && n[0] == u"375" && n[1].toInt() <= std::min(375, n[2].toInt()) && n[3] == u"true")
            return QString();
        return p.Html.at(page).DatName + u": "_s + sizes;
    }

    void setSetRows(bool isHtml)
    {
        QTest::addColumn<int>("index");
        const QVector<HinagataEntry> entries = ReadTempList(HinagataFolder(isHtml, false));
        for (int i = 0; i < entries.size(); ++i)
            QTest::newRow(qPrintable(entries.at(i).name)) << i;
    }

private Q_SLOTS:
    void initTestCase()
    {
        // A copy of the delivered templates in a folder of the test's own.
        QVERIFY(m_dir.isValid());
        const QString app = m_dir.path() + u"/app"_s;
        for (const QString &kind : {u"/Tools/HTMLTemp"_s, u"/Tools/PrjectTemp"_s})
            QVERIFY2(CopyTree(QStringLiteral(QV_APP_DIR) + kind, app + kind), qPrintable(kind));
        SetAppDir(app);
        QVERIFY(QDir().mkpath(app + u"/temp"_s));
        // The preview at a phone's width, low enough that pages scroll down.
        m_frame.resize(480, 240);
        m_frame.setView(m_view = new BrowserView(&m_frame));
        m_frame.setPageWidth(375);
        m_frame.show();
    }

    void sets_data()
    {
        QTest::addColumn<bool>("isHtml");
        QTest::addColumn<int>("atLeast");
        QTest::newRow("page templates") << true << 6;
        QTest::newRow("project templates") << false << 3;
    }

    void sets()
    {
        QFETCH(bool, isHtml);
        QFETCH(int, atLeast);
        const QString folder = HinagataFolder(isHtml, false);
        const QByteArray list = ReadBytes(TempListPath(folder));
        QCOMPARE(FileProblems(list), QString());
        QVERIFY(list.endsWith("\r\n"));
        const QVector<HinagataEntry> entries = ReadTempList(folder);
        QVERIFY(entries.size() >= atLeast);
        QSet<QString> names;
        for (const HinagataEntry &e : entries) {
            QVERIFY(!e.name.isEmpty() && !e.setumei.isEmpty());
            QCOMPARE(HinagataTextProblem(e.name), QString());
            QCOMPARE(HinagataTextProblem(e.setumei), QString());
            names.insert(e.name);
        }
        QCOMPARE(names.size(), entries.size());
        // One file per template, and no other.
        QVERIFY(QFileInfo::exists(TempFilePath(folder, entries.size() - 1)));
        QVERIFY(!QFileInfo::exists(TempFilePath(folder, entries.size())));
    }

    void pageTemplates_data() { setSetRows(true); }

    void pageTemplates()
    {
        QFETCH(int, index);
        const QString path = TempFilePath(HinagataFolder(true, false), index);
        QCOMPARE(FileProblems(ReadBytes(path)), QString());
        const QString html = LoadTextFile(path);
        QVERIFY(html != NotFileText);
        QCOMPARE(PageProblems(html), QString());
        // A link back to the top names a new project's first page exactly.
        for (const QString &t : Targets(html, u"href"_s))
            QVERIFY2(t.compare(u"Index.htm"_s, Qt::CaseInsensitive) != 0 || t == u"Index.htm"_s, qPrintable(t));
        ProjectDates fresh;
        NewStartProject(fresh);
        fresh.Html[0].HtmlStr = html;
        QCOMPARE(phoneProblem(fresh, 0), QString());
        // The page reads back unchanged when registered as a user template.
        QVERIFY(AddHinagata(true, u"写し"_s, u"説明"_s, html));
        QCOMPARE(LoadHinagataList(true).HinaDate.last(), html);
        QVERIFY(DelHinagata(true, CountHinagata(true)));
    }

    void projectTemplates_data() { setSetRows(false); }

    void projectTemplates()
    {
        QFETCH(int, index);
        const QString path = TempFilePath(HinagataFolder(false, false), index);
        QCOMPARE(FileProblems(ReadBytes(path)), QString());
        ProjectDates p;
        QCOMPARE(LoadProjectFile(path, p), qint16(LoadOk));
        QVERIFY(p.Html.size() >= 3);
        QVERIFY(!p.Pict.isEmpty());
        QVERIFY(p.SyuturyokuFolder.isEmpty());
        QVERIFY(CheckProjectFields(p).isEmpty());

        QSet<QString> pages, pictures, used;
        for (const HtmlDat &h : p.Html)
            pages.insert(h.outputName());
        for (const PictDat &d : p.Pict)
            pictures.insert(d.outputName());
        QCOMPARE(pages.size(), p.Html.size());
        // The first page has a new project's first name, as links to the top.
        QCOMPARE(p.Html.first().outputName(), u"Index.htm"_s);
        for (const HtmlDat &h : p.Html) {
            QVERIFY2(PageProblems(h.HtmlStr).isEmpty(), qPrintable(h.DatName + u": "_s + PageProblems(h.HtmlStr)));
            for (const QString &t : Targets(h.HtmlStr, u"href"_s))
                QVERIFY2(pages.contains(t) || pictures.contains(t), qPrintable(h.DatName + u" links to "_s + t));
            for (const QString &t : Targets(h.HtmlStr, u"src"_s)) {
                QVERIFY2(pictures.contains(t), qPrintable(h.DatName + u" shows "_s + t));
                used.insert(t);
            }
        }
        // Every picture is shown somewhere.
        QCOMPARE(used, pictures);
        // Every page can be reached from the first one.
        QSet<QString> reached{p.Html.first().outputName()};
        for (bool grew = true; grew;) {
            grew = false;
            for (const HtmlDat &h : p.Html)
                if (reached.contains(h.outputName()))
                    for (const QString &t : Targets(h.HtmlStr, u"href"_s))
                        if (pages.contains(t) && !reached.contains(t)) {
                            reached.insert(t);
                            grew = true;
                        }
        }
        QCOMPARE(reached, pages);

        // The pictures are delivered under Tools and found on any machine.
        for (const PictDat &d : p.Pict)
            QVERIFY2(d.FilePath.startsWith(u"*\\Tools\\"_s), qPrintable(d.FilePath));
        FixPictPaths(p);
        for (const PictDat &d : p.Pict) {
            QVERIFY2(d.FilePath.startsWith(AppDir() + u"/Tools/"_s), qPrintable(d.FilePath));
            const QByteArray bytes = ReadBytes(d.FilePath);
            QVERIFY2(bytes != "UNREADABLE", qPrintable(d.FilePath));
            QVERIFY(bytes.size() < 32 * 1024);
            if (d.Kakutyousi == u".gif")
                QVERIFY(bytes.startsWith("GIF89a") || bytes.startsWith("GIF87a"));
            else if (d.Kakutyousi == u".jpg")
                QVERIFY(bytes.startsWith("\xFF\xD8\xFF"));
            else
                QFAIL(qPrintable(u"picture of an unexpected kind: "_s + d.Kakutyousi));
            QVERIFY(d.FilePath.endsWith(d.outputName()));
        }
        for (int i = 0; i < p.Html.size(); ++i)
            QCOMPARE(phoneProblem(p, i), QString());
    }

    void personalSiteLinksEveryPage()
    {
        // The first project template is the personal site: four pages, each
        // linking to the three others.
        ProjectDates p;
        QCOMPARE(LoadProjectFile(TempFilePath(HinagataFolder(false, false), 0), p), qint16(LoadOk));
        QCOMPARE(p.Html.size(), 4);
        for (const HtmlDat &h : p.Html) {
            const QStringList links = Targets(h.HtmlStr, u"href"_s);
            for (const HtmlDat &other : p.Html)
                if (&other != &h)
                    QVERIFY2(links.contains(other.outputName()), qPrintable(h.DatName + u" → "_s + other.DatName));
        }
    }

    void truncatedProjectTemplates_data() { setSetRows(false); }

    void truncatedProjectTemplates()
    {
        QFETCH(int, index);
        const std::optional<QString> text = ReadCp932File(TempFilePath(HinagataFolder(false, false), index));
        QVERIFY(text);
        // Everything up to the end marker is needed: a file cut before it
        // is damaged.
        const qsizetype marker = text->lastIndexOf(u",$End_Project_Dates$"_s);
        QVERIFY(marker > 0);
        const qsizetype needed = marker + 1 + ProjectEndMarker.size();
        for (qsizetype n = 0; n <= text->size(); n += (n < needed - 64 || n > needed + 64) ? 13 : 1) {
            ProjectDates p;
            const qint16 code = LoadProjectText(text->left(n), p);
            QVERIFY2((code == LoadOk) == (n >= needed), qPrintable(QString::number(n)));
        }
    }
};

QTEST_MAIN(TestSupplied)
#include "tst_supplied.moc"
