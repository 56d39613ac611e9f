// The writer and overwrite: what lands in the output folder, in which order,
// where a run stops, and what overwrite may remove.

#include "AppPaths.h"
#include "Cp932.h"
#include "FileSystemLimits.h"
#include "PageEncoding.h"
#include "SyuturyokuMod.h"
#include "TextFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class TestSyuturyoku : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home; // stands in for the user's home folder and its trash
    QTemporaryDir m_dir;
    QString m_src;   // source pictures and files
    QString m_out;   // output folder (not yet created)

    // A project with two pages, two pictures and one other file whose sources exist.
    ProjectDates sample()
    {
        ProjectDates p;
        AddHtmlDat(p, u"インデックス"_s, u"Index"_s, u"<p>表紙①</p>"_s, u".htm"_s);
        AddHtmlDat(p, u"会社"_s, u"about"_s, u"<meta charset=\"utf-8\">\r\n<p>😀</p>"_s, u".html"_s);
        AddPictDat(p, u"ロゴ"_s, u"logo"_s, m_src + u"/logo.gif"_s, u".gif"_s);
        AddPictDat(p, u"写真"_s, u"photo"_s, m_src + u"/photo.jpg"_s, u".jpg"_s);
        AddElseFileDat(p, u"資料"_s, u"doc"_s, m_src + u"/doc.zip"_s, u".zip"_s);
        p.SyuturyokuFolder = m_out;
        return p;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("HOME", m_home.path().toLocal8Bit());
        QVERIFY(QDir().mkpath(m_home.path() + u"/.local/share"_s));
        qputenv("XDG_DATA_HOME", (m_home.path() + u"/.local/share"_s).toLocal8Bit());
        QCOMPARE(QDir::homePath(), QDir(m_home.path()).canonicalPath());
    }

    void init()
    {
        QVERIFY(m_dir.isValid());
        SetAppDir(m_dir.path() + u"/app"_s);
        QVERIFY(QDir().mkpath(AppDir()));
        m_src = m_dir.path() + u"/src"_s;
        QDir(m_src).removeRecursively();
        QVERIFY(QDir().mkpath(m_src));
        QVERIFY(writeBytes(m_src + u"/logo.gif"_s, "GIF89a-logo"));
        QVERIFY(writeBytes(m_src + u"/photo.jpg"_s, QByteArray(70000, 'j')));
        QVERIFY(writeBytes(m_src + u"/doc.zip"_s, "PK-doc"));
        m_out = m_dir.path() + u"/out"_s;
        QDir(m_out).removeRecursively();
    }

    void writesEveryItem()
    {
        const ProjectDates p = sample();
        QVERIFY(QDir().mkpath(m_out));
        const SyuturyokuReport r = SyuturyokuAll(p);
        QVERIFY(r.ok());
        QCOMPARE(r.written, 5);
        QVERIFY(r.skipped.isEmpty());
        QCOMPARE(entries(m_out),
                 QStringList({u"Index.htm"_s, u"about.html"_s, u"doc.zip"_s, u"logo.gif"_s, u"photo.jpg"_s}));
        // A page file is the page text and one CR LF; code page 932 unless the
        // page declares UTF-8.
        QByteArray cp;
        QVERIFY(Cp932::encode(u"<p>表紙①</p>\r\n", &cp));
        QCOMPARE(readBytes(m_out + u"/Index.htm"_s), cp);
        QCOMPARE(readBytes(m_out + u"/about.html"_s), u"<meta charset=\"utf-8\">\r\n<p>😀</p>\r\n"_s.toUtf8());
        QCOMPARE(readBytes(m_out + u"/photo.jpg"_s), QByteArray(70000, 'j'));
        QCOMPARE(readBytes(m_out + u"/logo.gif"_s), QByteArray("GIF89a-logo"));
        QCOMPARE(readBytes(m_out + u"/doc.zip"_s), QByteArray("PK-doc"));
    }

    void pagesOnlyAndEmptyProject()
    {
        QVERIFY(QDir().mkpath(m_out));
        ProjectDates p;
        p.SyuturyokuFolder = m_out;
        QCOMPARE(SyuturyokuAll(p).written, 0);
        QVERIFY(entries(m_out).isEmpty());
        AddHtmlDat(p, u"A"_s, u"a"_s, QString(), u".htm"_s);
        AddHtmlDat(p, u"B"_s, u"b"_s, u"x"_s, QString());
        QVERIFY(SyuturyokuAll(p).ok());
        QCOMPARE(entries(m_out), QStringList({u"a.htm"_s, u"b"_s}));
        QCOMPARE(readBytes(m_out + u"/a.htm"_s), QByteArray("\r\n"));
    }

    void outputTellsWhatBecameOfCharacters()
    {
        QVERIFY(QDir().mkpath(m_out));
        ProjectDates p;
        p.SyuturyokuFolder = m_out;
        AddHtmlDat(p, u"A"_s, u"a"_s, u"<p>😀</p>"_s, u".htm"_s);
        AddHtmlDat(p, u"B"_s, u"b"_s, u"<meta charset=\"utf-8\"><p>😁〜</p>"_s, u".htm"_s);
        AddHtmlDat(p, u"C"_s, u"c"_s, u"<p>🍣〜</p>"_s, u".htm"_s);
        SyuturyokuReport r = SyuturyokuAll(p);
        QVERIFY(r.ok());
        QCOMPARE(OutputDoneText(m_out, r.changes),
                 OutputDoneText(m_out) + u"　2文字を文字参照（&#…;）で出力しました（最初は😀）"
                                         u"　1文字を似た形の文字に置き換えて出力しました（最初は〜→～）"_s);
        // Overwrite reports the same.
        r = Uwagaki(p, [](const QStringList &) { return true; }).output;
        QCOMPARE(r.changes.refs, 2);
        QCOMPARE(r.changes.mapped, 1);
        p.Html.removeLast();
        p.Html.removeFirst();
        QCOMPARE(OutputDoneText(m_out, SyuturyokuAll(p).changes), OutputDoneText(m_out));
    }

    // With UTF-8 on, each page file read back as UTF-8 is the page text with
    // only its declaration changed; pictures are copied as they are.
    void utf8Output_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("expected");
        const QString body = u"<body><p>ようこそ①髙橋 &amp; &#12354; &copy;</p></body></html>"_s;
        QTest::newRow("meta charset") << u"<html><head><meta charset=\"Shift_JIS\"><title>表紙</title></head>"_s + body
                                      << u"<html><head><meta charset=\"UTF-8\"><title>表紙</title></head>"_s + body;
        QTest::newRow("http-equiv") << u"<head>\r\n<META HTTP-EQUIV=\"content-type\" CONTENT=\"text/html; charset=x-sjis\">\r\n</head>"_s + body
                                    << u"<head>\r\n<META HTTP-EQUIV=\"content-type\" CONTENT=\"text/html; charset=UTF-8\">\r\n</head>"_s + body;
        QTest::newRow("EUC-JP, over two lines, single quotes")
            << u"<head><meta http-equiv='Content-Type'\r\n content='text/html;charset=EUC-JP'></head>"_s + body
            << u"<head><meta http-equiv='Content-Type'\r\n content='text/html;charset=UTF-8'></head>"_s + body;
        QTest::newRow("unquoted, with XML declaration")
            << u"<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n<html><head><meta charset=Shift_JIS /></head>"_s + body
            << u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<html><head><meta charset=UTF-8 /></head>"_s + body;
        QTest::newRow("no declaration") << u"<html lang=\"ja\">\r\n<head>\r\n<title>表紙</title></head>"_s + body
                                        << u"<html lang=\"ja\">\r\n<head><meta charset=\"UTF-8\">\r\n<title>表紙</title></head>"_s + body;
        QTest::newRow("no head") << u"<!DOCTYPE html>\r\n<html lang=\"ja\">\r\n"_s + body
                                 << u"<!DOCTYPE html>\r\n<html lang=\"ja\"><head><meta charset=\"UTF-8\"></head>\r\n"_s + body;
        QTest::newRow("no head, no html") << u"<!DOCTYPE html><p>本文</p>"_s
                                          << u"<!DOCTYPE html><head><meta charset=\"UTF-8\"></head><p>本文</p>"_s;
        QTest::newRow("only text") << u"本文だけ"_s << u"<head><meta charset=\"UTF-8\"></head>本文だけ"_s;
        // Comments and scripts are no markup; a <header> is no head.
        const QString hidden = u"<!-- <meta charset=\"Shift_JIS\"> --><script>var m = '<meta charset=\"EUC-JP\">';</script>"
                               u"<header>x</header>"_s;
        QTest::newRow("declarations in comment and script") << u"<head>"_s + hidden + body
                                                            << u"<head><meta charset=\"UTF-8\">"_s + hidden + body;
        QTest::newRow("already UTF-8") << u"<head><meta charset=\"utf-8\"><meta charset=\"utf8\"></head>"_s + body
                                       << u"<head><meta charset=\"utf-8\"><meta charset=\"utf8\"></head>"_s + body;
        // Characters code page 932 has no code for stay themselves.
        const QString beyond = u"<p>😀 〜 ∥ − ¢ Ω ü 한국 &#128512;</p>"_s;
        QTest::newRow("beyond code page 932") << u"<head><meta charset=\"Shift_JIS\"></head>"_s + beyond
                                              << u"<head><meta charset=\"UTF-8\"></head>"_s + beyond;
        QTest::newRow("declared after the body is left") << u"<body><meta charset=\"EUC-JP\">本文"_s
                                                          << u"<head><meta charset=\"UTF-8\"></head><body><meta charset=\"EUC-JP\">本文"_s;
    }

    void utf8Output()
    {
        QFETCH(QString, page);
        QFETCH(QString, expected);
        QVERIFY(QDir().mkpath(m_out));
        ProjectDates p;
        p.SyuturyokuFolder = m_out;
        AddHtmlDat(p, u"A"_s, u"a"_s, page, u".htm"_s);
        AddPictDat(p, u"ロゴ"_s, u"logo"_s, m_src + u"/logo.gif"_s, u".gif"_s);
        const SyuturyokuReport r = SyuturyokuAll(p, {OutputCharset::Utf8});
        QVERIFY(r.ok());
        QVERIFY(r.changes.isEmpty());
        const QByteArray bytes = readBytes(m_out + u"/a.htm"_s);
        QStringDecoder utf8(QStringDecoder::Utf8);
        QCOMPARE(QString(utf8.decode(bytes)), expected + u"\r\n"_s);
        QVERIFY(!utf8.hasError());
        // Read back by the program, the file is UTF-8 by its own declaration.
        const DecodedHtml back = DecodeHtmlFile(bytes);
        QVERIFY(back.encoding == TextEncoding::Utf8 && back.declared);
        if (expected == page)
            QCOMPARE(bytes, EncodePageFile(page));
        QCOMPARE(readBytes(m_out + u"/logo.gif"_s), QByteArray("GIF89a-logo"));
        QCOMPARE(OutputDoneText(m_out, r.changes, {OutputCharset::Utf8}),
                 u"プロジェクトを\"%1\"に出力しました（ページの文字コード：UTF-8）。"_s.arg(m_out));
    }

    void laterTablesReplaceEarlierNames()
    {
        // Pages first, then pictures, then other files: the last one written wins.
        QVERIFY(QDir().mkpath(m_out));
        ProjectDates p = sample();
        p.ElseFile[0].FileName = u"Index"_s;
        p.ElseFile[0].Kakutyousi = u".htm"_s;
        p.Pict[0].FileName = u"about"_s;
        p.Pict[0].Kakutyousi = u".html"_s;
        QVERIFY(SyuturyokuAll(p).ok());
        QCOMPARE(readBytes(m_out + u"/Index.htm"_s), QByteArray("PK-doc"));
        QCOMPARE(readBytes(m_out + u"/about.html"_s), QByteArray("GIF89a-logo"));
    }

    void stopsAtFailingItem()
    {
        QVERIFY(QDir().mkpath(m_out));
        ProjectDates p = sample();
        AddPictDat(p, u"背景"_s, u"back"_s, m_src + u"/back.gif"_s, u".gif"_s);
        QVERIFY(QFile::remove(m_src + u"/photo.jpg"_s)); // moved away by the user
        const SyuturyokuReport r = SyuturyokuAll(p);
        QVERIFY(!r.ok());
        QCOMPARE(r.failedItem, u"画像データ「写真」"_s);
        QVERIFY(r.failReason.contains(u"photo.jpg"_s));
        QCOMPARE(r.written, 3);
        // Written before it: both pages and the first picture; nothing after it.
        QCOMPARE(entries(m_out), QStringList({u"Index.htm"_s, u"about.html"_s, u"logo.gif"_s}));
        const QString msg = SyuturyokuFailMessage(r);
        QVERIFY(msg.startsWith(u"画像データ「写真」を出力できなかったため、出力を中止しました。"_s));
        QVERIFY(msg.contains(r.failReason));
        QVERIFY(msg.contains(u"3 個のファイルはそのまま残っています"_s));
        QVERIFY(SyuturyokuSkipMessage(r).isEmpty());
    }

    void stopsAtPageThatCannotBeWritten()
    {
        // The output folder is gone: the first page fails, nothing is written.
        const ProjectDates p = sample();
        const SyuturyokuReport r = SyuturyokuAll(p);
        QCOMPARE(r.failedItem, u"HTMLデータ「インデックス」"_s);
        QCOMPARE(r.written, 0);
        QVERIFY(!QFileInfo::exists(m_out));
    }

    void namesLeavingTheFolderArePassedOver()
    {
        QVERIFY(QDir().mkpath(m_out + u"/inner"_s));
        ProjectDates p = sample();
        p.SyuturyokuFolder = m_out + u"/inner"_s;
        p.Html[0].FileName = u"../evil"_s;
        p.Pict[1].FileName = u"/tmp/evil"_s;
        p.ElseFile[0].FileName = u".."_s;
        p.ElseFile[0].Kakutyousi.clear();
        const SyuturyokuReport r = SyuturyokuAll(p);
        QVERIFY(r.ok());
        QCOMPARE(r.written, 2);
        QCOMPARE(r.skipped.size(), 3);
        QVERIFY(r.skipped.at(0).startsWith(u"HTMLデータ「インデックス」"_s));
        QVERIFY(r.skipped.at(1).startsWith(u"画像データ「写真」"_s));
        QVERIFY(r.skipped.at(2).startsWith(u"他のファイルデータ「資料」"_s));
        QCOMPARE(entries(m_out), QStringList({u"inner"_s}));
        QCOMPARE(entries(m_out + u"/inner"_s), QStringList({u"about.html"_s, u"logo.gif"_s}));
        const QString msg = SyuturyokuSkipMessage(r);
        QVERIFY(msg.contains(u"HTMLデータ「インデックス」（../evil.htm）"_s));
        // A single item refuses too.
        QString why;
        QVERIFY(!SyuturyokuHtml(p, 0, p.SyuturyokuFolder, &why));
        QVERIFY(!why.isEmpty());
        QVERIFY(!QFileInfo::exists(m_out + u"/evil.htm"_s));
    }

    void foreignEntries()
    {
        const ProjectDates p = sample();
        QVERIFY(QDir().mkpath(m_out + u"/img"_s));
        QVERIFY(writeBytes(m_out + u"/Index.htm"_s, "old"));
        QVERIFY(writeBytes(m_out + u"/logo.gif"_s, "old"));
        QVERIFY(writeBytes(m_out + u"/notes.txt"_s, "mine"));
        QVERIFY(writeBytes(m_out + u"/.hidden"_s, "mine"));
        QCOMPARE(ForeignEntries(p, m_out), QStringList({u".hidden"_s, u"img"_s, u"notes.txt"_s}));
        // A subfolder named like an output is still foreign.
        QVERIFY(QDir().mkpath(m_out + u"/doc.zip"_s));
        QVERIFY(ForeignEntries(p, m_out).contains(u"doc.zip"_s));
    }

    void foreignQuestionListsAFew()
    {
        QStringList many;
        for (int i = 0; i < 8; ++i)
            many.append(u"f%1.txt"_s.arg(i));
        const QString q = ForeignEntriesQuestion(u"/x/out"_s, many, true);
        QVERIFY(q.contains(u"\"/x/out\""_s));
        for (int i = 0; i < 5; ++i)
            QVERIFY(q.contains(u"・f%1.txt"_s.arg(i)));
        QVERIFY(!q.contains(u"f5.txt"_s));
        QVERIFY(q.contains(u"（ほか 3 件）"_s));
        QVERIFY(q.contains(u"「いいえ」を選ぶと、何も削除せずにフォルダへ上書きします。"_s));
    }

    void foreignQuestionSaysTrashOrDelete_data()
    {
        QTest::addColumn<bool>("toTrash");
        QTest::newRow("trash") << true;
        QTest::newRow("no trash") << false;
    }

    void foreignQuestionSaysTrashOrDelete()
    {
        QFETCH(bool, toTrash);
        const QString q = ForeignEntriesQuestion(u"/x/out"_s, {u"mine.txt"_s}, toTrash);
        QCOMPARE(q.contains(u"ごみ箱に移してから出力しますか？"_s), toTrash);
        QCOMPARE(q.contains(u"削除してから出力しますか？"_s), !toTrash);
        QCOMPARE(q.contains(u"元に戻せません"_s), !toTrash);
        QVERIFY(q.endsWith(u"「いいえ」を選ぶと、何も削除せずにフォルダへ上書きします。"_s));
    }

    void protectedFolders()
    {
        const QString project = m_dir.path() + u"/proj/site.hpf"_s;
        QVERIFY(QDir().mkpath(m_dir.path() + u"/proj"_s));
        QVERIFY(IsProtectedFolder(u"/"_s, project));
        QVERIFY(IsProtectedFolder(QDir::homePath(), project));
        QVERIFY(IsProtectedFolder(QDir::homePath() + u"/"_s, project));
        QVERIFY(IsProtectedFolder(AppDir(), project));
        QVERIFY(IsProtectedFolder(m_dir.path() + u"/proj"_s, project));
        QVERIFY(IsProtectedFolder(m_dir.path() + u"/proj/../proj"_s, project));
        // A folder holding one of them is kept as well.
        QVERIFY(IsProtectedFolder(m_dir.path(), project));
        QVERIFY(IsProtectedFolder(QString(), project));
        QVERIFY(!IsProtectedFolder(m_out, project));
        QVERIFY(!IsProtectedFolder(m_dir.path() + u"/proj/out"_s, project));
        QVERIFY(!IsProtectedFolder(AppDir() + u"/out"_s, project));
        // A new project has no file yet.
        QVERIFY(!IsProtectedFolder(m_dir.path() + u"/proj"_s, NewProjectPath));
    }

    void overwriteRewritesOwnFolder()
    {
        ProjectDates p = sample();
        QVERIFY(QDir().mkpath(m_out));
        QVERIFY(SyuturyokuAll(p).ok());
        p.Html[0].HtmlStr = u"new"_s;
        int asked = 0;
        const UwagakiReport r = Uwagaki(p, [&](const QStringList &) { return ++asked, true; });
        QCOMPARE(asked, 0);
        QVERIFY(r.removed);
        QVERIFY(!r.keptFolder);
        QVERIFY(r.output.ok());
        QVERIFY(UwagakiMessages(r).isEmpty());
        QCOMPARE(readBytes(m_out + u"/Index.htm"_s), QByteArray("new\r\n"));
        QCOMPARE(entries(m_out).size(), 5);
    }

    void overwriteAfterFolderDeletedByHand()
    {
        const ProjectDates p = sample();
        QVERIFY(!QFileInfo::exists(m_out));
        const UwagakiReport r = Uwagaki(p, [](const QStringList &) { return true; });
        QVERIFY(!r.askedForeign);
        QVERIFY(r.createProblem.isEmpty());
        QVERIFY(r.output.ok());
        QCOMPARE(entries(m_out).size(), 5);
    }

    void overwriteAsksAboutForeignEntries_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::newRow("no keeps them") << false;
        QTest::newRow("yes removes them") << true;
    }

    void overwriteAsksAboutForeignEntries()
    {
        QFETCH(bool, answer);
        ProjectDates p = sample();
        QVERIFY(QDir().mkpath(m_out + u"/photos"_s));
        QVERIFY(writeBytes(m_out + u"/diary.txt"_s, "mine"));
        QVERIFY(writeBytes(m_out + u"/photos/cat.jpg"_s, "cat"));
        QVERIFY(writeBytes(m_out + u"/logo.gif"_s, "old logo"));
        QStringList listed;
        const UwagakiReport r = Uwagaki(p, [&](const QStringList &foreign) {
            listed = foreign;
            return answer;
        });
        QVERIFY(r.askedForeign);
        QCOMPARE(listed, QStringList({u"diary.txt"_s, u"photos"_s}));
        QVERIFY(r.output.ok());
        QCOMPARE(readBytes(m_out + u"/logo.gif"_s), QByteArray("GIF89a-logo"));
        QCOMPARE(r.removed, answer);
        QCOMPARE(r.keptFolder, !answer);
        QCOMPARE(QFileInfo::exists(m_out + u"/diary.txt"_s), !answer);
        QCOMPARE(QFileInfo::exists(m_out + u"/photos/cat.jpg"_s), !answer);
        if (answer) {
            // The old folder went to the trash rather than being deleted.
            const QString trash = QDir::homePath() + u"/.local/share/Trash/files"_s;
            const QStringList trashed = entries(trash);
            QVERIFY2(!trashed.isEmpty(), qPrintable(trash));
            bool found = false;
            for (const QString &t : trashed)
                found = found || QFileInfo::exists(trash + u'/' + t + u"/diary.txt"_s);
            QVERIFY(found);
        }
    }

    void overwriteRefusesRelativeFolder()
    {
        // A relative folder from a project file is neither removed nor written.
        const QString oldCwd = QDir::currentPath();
        const QString work = m_dir.path() + u"/relative"_s;
        QVERIFY(QDir().mkpath(work + u"/site"_s));
        QVERIFY(writeBytes(work + u"/site/mine.txt"_s, "mine"));
        QVERIFY(QDir::setCurrent(work));
        ProjectDates p = sample();
        p.SyuturyokuFolder = u"site"_s;
        int asked = 0;
        const UwagakiReport r = Uwagaki(p, [&](const QStringList &) { return ++asked, true; });
        const QStringList left = entries(work + u"/site"_s);
        QDir::setCurrent(oldCwd);
        QCOMPARE(asked, 0);
        QVERIFY(!r.removed);
        QCOMPARE(r.output.written, 0);
        QCOMPARE(left, QStringList({u"mine.txt"_s}));
        const QVector<OutputMessage> msgs = UwagakiMessages(r);
        QCOMPARE(msgs.size(), 1);
        QVERIFY(msgs.at(0).critical);
        QVERIFY(msgs.at(0).text.startsWith(u"出力先フォルダ\"site\"は完全なパスではないため"_s));
    }

    void removalWithoutTrashDeletesInPlace()
    {
        // A desktop without a data folder offers no trash: the old output is
        // deleted, and nothing lands below the working folder.
        const QByteArray oldData = qgetenv("XDG_DATA_HOME");
        const QString oldCwd = QDir::currentPath();
        const QString work = m_dir.path() + u"/cwd"_s;
        QVERIFY(QDir().mkpath(work));
        qputenv("XDG_DATA_HOME", (m_dir.path() + u"/no-data-home"_s).toLocal8Bit());
        QVERIFY(QDir::setCurrent(work));
        QVERIFY(QDir().mkpath(m_out));
        QVERIFY(writeBytes(m_out + u"/old.htm"_s, "old"));
        const bool available = TrashAvailable();
        QString error;
        const bool removed = RemoveOutputFolder(m_out, &error);
        const QStringList left = entries(work);
        QDir::setCurrent(oldCwd);
        qputenv("XDG_DATA_HOME", oldData);
        QCOMPARE(left, QStringList());
        QVERIFY2(removed, qPrintable(error));
        QVERIFY(!QFileInfo::exists(m_out));
        QVERIFY(!available);
        QVERIFY(!QFileInfo::exists(m_dir.path() + u"/no-data-home"_s));
        QVERIFY(TrashAvailable());
    }

    void overwriteNeverRemovesProtectedFolders()
    {
        // The output folder is the folder of the project file.
        ProjectDates p = sample();
        QVERIFY(QDir().mkpath(m_out));
        QVERIFY(writeBytes(m_out + u"/site.hpf"_s, "project"));
        p.ProjectPath = m_out + u"/site.hpf"_s;
        int asked = 0;
        UwagakiReport r = Uwagaki(p, [&](const QStringList &) { return ++asked, true; });
        QCOMPARE(asked, 0);
        QVERIFY(!r.removed);
        QVERIFY(r.keptFolder);
        QVERIFY(QFileInfo::exists(m_out + u"/site.hpf"_s));
        QVERIFY(QFileInfo::exists(m_out + u"/Index.htm"_s));

        // The home folder.
        QVERIFY(writeBytes(QDir::homePath() + u"/letter.txt"_s, "keep"));
        p.ProjectPath = NewProjectPath;
        p.SyuturyokuFolder = QDir::homePath();
        r = Uwagaki(p, [&](const QStringList &) { return ++asked, true; });
        QCOMPARE(asked, 0);
        QVERIFY(!r.removed);
        QVERIFY(QFileInfo::exists(QDir::homePath() + u"/letter.txt"_s));
        QVERIFY(QFileInfo::exists(QDir::homePath() + u"/Index.htm"_s));
        for (const QString &n : {u"Index.htm"_s, u"about.html"_s, u"logo.gif"_s, u"photo.jpg"_s, u"doc.zip"_s})
            QFile::remove(QDir::homePath() + u'/' + n);

        // AppDir.
        QVERIFY(writeBytes(AppDir() + u"/SizeDate.dat"_s, "settings"));
        p.SyuturyokuFolder = AppDir();
        r = Uwagaki(p, [&](const QStringList &) { return ++asked, true; });
        QCOMPARE(asked, 0);
        QVERIFY(QFileInfo::exists(AppDir() + u"/SizeDate.dat"_s));
    }

    void overwriteReportsFailures()
    {
        ProjectDates p = sample();
        QVERIFY(QFile::remove(m_src + u"/doc.zip"_s));
        UwagakiReport r = Uwagaki(p, [](const QStringList &) { return true; });
        QCOMPARE(r.output.failedItem, u"他のファイルデータ「資料」"_s);
        const QVector<OutputMessage> msgs = UwagakiMessages(r);
        QCOMPARE(msgs.size(), 1);
        QVERIFY(msgs.at(0).critical);
        QVERIFY(msgs.at(0).text.contains(u"他のファイルデータ「資料」"_s));

        // A file where the folder should be: nothing written, and said so.
        QVERIFY(QDir(m_out).removeRecursively());
        QVERIFY(writeBytes(m_out, "a file"));
        r = Uwagaki(p, [](const QStringList &) { return true; });
        QVERIFY(!r.createProblem.isEmpty());
        QCOMPARE(r.output.written, 0);
        QCOMPARE(UwagakiMessages(r).size(), 1);
        QVERIFY(UwagakiMessages(r).at(0).critical);
        QCOMPARE(readBytes(m_out), QByteArray("a file"));
        QFile::remove(m_out);
    }

    void overwriteNeverWritesThroughLinks_data()
    {
        QTest::addColumn<bool>("keepForeign");
        QTest::newRow("foreign entries kept") << true;
        QTest::newRow("plain output into the folder") << false;
    }

    // Links in the output folder that lead outside it are replaced by the
    // output's own files; what they led to stays untouched.
    void overwriteNeverWritesThroughLinks()
    {
        QFETCH(bool, keepForeign);
        const QString victim = m_dir.path() + u"/victim"_s;
        QDir(victim).removeRecursively();
        QVERIFY(QDir().mkpath(victim));
        QVERIFY(writeBytes(victim + u"/important.htm"_s, "important"));
        QVERIFY(writeBytes(victim + u"/logo.gif"_s, "victim logo"));
        QVERIFY(QDir().mkpath(m_out));
        QVERIFY(writeBytes(m_out + u"/diary.txt"_s, "mine"));
        QVERIFY(QFile::link(u"../victim/important.htm"_s, m_out + u"/Index.htm"_s));
        QVERIFY(QFile::link(victim + u"/logo.gif"_s, m_out + u"/logo.gif"_s));
        const ProjectDates p = sample();
        if (keepForeign) {
            const UwagakiReport r = Uwagaki(p, [](const QStringList &) { return false; });
            QVERIFY(r.keptFolder);
            QVERIFY(r.output.ok());
        } else {
            QVERIFY(SyuturyokuAll(p).ok());
        }
        QCOMPARE(readBytes(victim + u"/important.htm"_s), QByteArray("important"));
        QCOMPARE(readBytes(victim + u"/logo.gif"_s), QByteArray("victim logo"));
        QVERIFY(!QFileInfo(m_out + u"/Index.htm"_s).isSymLink());
        QVERIFY(!QFileInfo(m_out + u"/logo.gif"_s).isSymLink());
        QCOMPARE(readBytes(m_out + u"/logo.gif"_s), QByteArray("GIF89a-logo"));
        QVERIFY(readBytes(m_out + u"/Index.htm"_s).startsWith("<p>"));
    }

    void outputNeverReplacesTheProjectFile_data()
    {
        QTest::addColumn<bool>("throughLink");
        QTest::addColumn<int>("kind");
        QTest::newRow("page named like the project") << false << int(KindHtml);
        QTest::newRow("other file named like the project") << false << int(KindElseFile);
        QTest::newRow("project path is a link in the folder") << true << int(KindHtml);
    }

    // An output folder that holds the project file is written into, but no
    // output file may take the project file's place.
    void outputNeverReplacesTheProjectFile()
    {
        QFETCH(bool, throughLink);
        QFETCH(int, kind);
        QVERIFY(QDir().mkpath(m_out));
        const QString real = m_dir.path() + u"/real-site.hpf"_s;
        const QString project = m_out + u"/site.hpf"_s;
        if (throughLink) {
            QVERIFY(writeBytes(real, "project"));
            QVERIFY(QFile::link(real, project));
        } else {
            QVERIFY(writeBytes(project, "project"));
        }
        ProjectDates p = sample();
        p.ProjectPath = project;
        if (kind == KindHtml) {
            p.Html[1].FileName = u"site"_s;
            p.Html[1].Kakutyousi = u".hpf"_s;
        } else {
            p.ElseFile[0].FileName = u"site"_s;
            p.ElseFile[0].Kakutyousi = u".hpf"_s;
        }
        const UwagakiReport r = Uwagaki(p, [](const QStringList &) { return true; });
        QVERIFY(r.keptFolder);
        QVERIFY(!r.output.ok());
        QVERIFY2(r.output.failReason.contains(u"開いているプロジェクトファイル"_s), qPrintable(r.output.failReason));
        QCOMPARE(readBytes(project), QByteArray("project"));
        QCOMPARE(QFileInfo(project).isSymLink(), throughLink);
        QFile::remove(project);
        QFile::remove(real);
    }

    // Output onto a full disk stops at the first file with the reason; no
    // file is left empty or cut short.
    void outputOnFullDisk()
    {
        SmallDisk disk(256);
        if (!disk.mounted())
            QSKIP(qPrintable(disk.reason()));
        ProjectDates p = sample();
        p.SyuturyokuFolder = disk.filePath(u"site"_s);
        QVERIFY(QDir().mkpath(p.SyuturyokuFolder));
        QVERIFY(disk.fill(20 * 1024));
        const SyuturyokuReport r = SyuturyokuAll(p);
        QVERIFY(!r.ok());
        QVERIFY2(r.failReason.contains(u"ディスクの空き容量が足りません"_s), qPrintable(r.failReason));
        // What was written is whole: the small files before the big photo.
        QCOMPARE(r.failedItem, u"画像データ「写真」"_s);
        QCOMPARE(entries(p.SyuturyokuFolder), QStringList({u"Index.htm"_s, u"about.html"_s, u"logo.gif"_s}));
        QCOMPARE(readBytes(p.SyuturyokuFolder + u"/logo.gif"_s), QByteArray("GIF89a-logo"));
    }

    void folderTheTrashRefusesIsKeptWhenTrashWasPromised_data()
    {
        QTest::addColumn<bool>("mayDelete");
        QTest::newRow("trash promised") << false;
        QTest::newRow("deleting allowed") << true;
    }

    void folderTheTrashRefusesIsKeptWhenTrashWasPromised()
    {
        QFETCH(bool, mayDelete);
        // A folder on another file system whose own trash folder cannot be
        // made, and which cannot be moved into the home's trash either.
        SmallDisk disk(256);
        if (!disk.mounted())
            QSKIP(qPrintable(disk.reason()));
        const QString uid = QString::number(::getuid());
        QVERIFY(writeBytes(disk.filePath(u".Trash-"_s + uid), "not a folder"));
        QVERIFY(writeBytes(disk.filePath(u".Trash"_s), "not a folder"));
        const QString folder = disk.filePath(u"site"_s);
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(writeBytes(folder + u"/diary.txt"_s, "mine"));
        QVERIFY(TrashAvailable());
        QString error;
        const bool removed = RemoveOutputFolder(folder, &error, mayDelete);
        QCOMPARE(removed, mayDelete);
        QCOMPARE(QFileInfo::exists(folder + u"/diary.txt"_s), !mayDelete);
        if (!mayDelete)
            QCOMPARE(error, u"以前の出力先フォルダ\"%1\"をごみ箱に移せなかったため、何も削除しませんでした。"_s.arg(folder));
    }

    void overwriteIntoReadOnlyFolder()
    {
        SmallDisk disk(512);
        if (!disk.mounted())
            QSKIP(qPrintable(disk.reason()));
        ProjectDates p = sample();
        p.SyuturyokuFolder = disk.filePath(u"site"_s);
        QVERIFY(QDir().mkpath(p.SyuturyokuFolder));
        QVERIFY(writeBytes(p.SyuturyokuFolder + u"/Index.htm"_s, "old"));
        QVERIFY(writeBytes(p.SyuturyokuFolder + u"/mine.txt"_s, "mine"));
        if (!disk.makeReadOnly())
            QSKIP("the system does not mount the test disk read-only again");
        const UwagakiReport r = Uwagaki(p, [](const QStringList &) { return true; });
        QVERIFY(!r.removed);
        QVERIFY(!r.output.ok());
        QCOMPARE(r.output.written, 0);
        QCOMPARE(readBytes(p.SyuturyokuFolder + u"/Index.htm"_s), QByteArray("old"));
        QCOMPARE(readBytes(p.SyuturyokuFolder + u"/mine.txt"_s), QByteArray("mine"));
        // One message, in the order things happened: the folder that stayed,
        // then the output that failed, with the reason in Japanese; nothing
        // says the output was done.
        const QVector<OutputMessage> msgs = UwagakiMessages(r);
        QCOMPARE(msgs.size(), 1);
        QVERIFY(msgs.at(0).critical);
        const QString text = msgs.at(0).text;
        const qsizetype removal = text.indexOf(u"以前の出力先フォルダ"_s);
        const qsizetype stopped = text.indexOf(u"出力を中止しました"_s);
        QVERIFY2(removal >= 0 && stopped > removal, qPrintable(text));
        QVERIFY2(text.count(u"読み取り専用のドライブです"_s) == 2, qPrintable(text));
        QVERIFY2(!text.contains(u"上書きしました"_s) && !text.contains(u"その上に出力しました"_s), qPrintable(text));
        for (const QString &english : {u"writable"_s, u"No such file"_s, u"Read-only"_s})
            QVERIFY2(!text.contains(english), qPrintable(text));
    }

    void removalFailureTellsWhatWasLeft()
    {
        // A folder that stays although the rest went well: said once, after
        // the fact, together with what the output did.
        UwagakiReport r;
        r.removeProblem = u"以前の出力先フォルダ\"/x\"を削除できませんでした（理由）。"_s;
        r.keptFolder = true;
        r.output.written = 5;
        const QVector<OutputMessage> msgs = UwagakiMessages(r);
        QCOMPARE(msgs.size(), 1);
        QVERIFY(!msgs.at(0).critical);
        QVERIFY(msgs.at(0).text.startsWith(r.removeProblem));
        QVERIFY(msgs.at(0).text.endsWith(u"その上に出力しました。"_s));
    }

    void outputDialogStartFolder()
    {
        ProjectDates p = sample();
        p.ProjectPath = NewProjectPath;
        p.SyuturyokuFolder.clear();
        QCOMPARE(OutputDialogStartFolder(p), QString());
        // The last output folder's parent, while it stands.
        p.SyuturyokuFolder = m_dir.path() + u"/sites/mysite"_s;
        QCOMPARE(OutputDialogStartFolder(p), QString());
        QVERIFY(QDir().mkpath(m_dir.path() + u"/sites"_s));
        QCOMPARE(OutputDialogStartFolder(p), QDir::cleanPath(m_dir.path() + u"/sites"_s));
        // The project file's folder comes first.
        QVERIFY(QDir().mkpath(m_dir.path() + u"/proj"_s));
        p.ProjectPath = m_dir.path() + u"/proj/site.hpf"_s;
        QCOMPARE(OutputDialogStartFolder(p), QDir::cleanPath(m_dir.path() + u"/proj"_s));
        // Never a folder of the program's own, which an update may remove.
        p.ProjectPath = AppDir() + u"/site.hpf"_s;
        QCOMPARE(OutputDialogStartFolder(p), QDir::cleanPath(m_dir.path() + u"/sites"_s));
        QCOMPARE(OutputDoneText(u"/a/b"_s), u"プロジェクトを\"/a/b\"に出力しました。"_s);
    }

    void driveList()
    {
        QStringList roots = OutputDriveRoots();
        QVERIFY(roots.size() >= 2);
        QVERIFY(roots.contains(u"/"_s));
        QCOMPARE(roots.last(), QDir::homePath());
        QCOMPARE(roots.removeDuplicates(), 0);
        QVERIFY(IsDriveReadable(roots.first()));
        QVERIFY(!IsDriveReadable(m_dir.path() + u"/no-such-drive"_s));
    }
};

QTEST_GUILESS_MAIN(TestSyuturyoku)
#include "tst_syuturyoku.moc"
