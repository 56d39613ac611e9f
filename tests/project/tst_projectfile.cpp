// The project model, the project file and the temporary copy folder.

#include "AppPaths.h"
#include "Cp932.h"
#include "FileSystemLimits.h"
#include "EditorText.h"
#include "FieldReader.h"
#include "ProjectDates.h"
#include "ProjectFile.h"
#include "TempC.h"
#include "TestSupport.h"
#include "TextFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

ProjectDates sampleProject()
{
    ProjectDates p;
    NewStartProject(p);
    AddHtmlDat(p, u"会社案内"_s, u"about"_s, u"\r\n\r\n<p>～①髙</p>\r\n"_s, u".html"_s);
    AddHtmlDat(p, u"空"_s, u"empty"_s, QString(), u".htm"_s);
    AddPictDat(p, u"ロゴ"_s, u"logo"_s, u"/home/u/logo.gif"_s, u".gif"_s);
    AddElseFileDat(p, u"資料"_s, u"doc"_s, u"/home/u/doc.zip"_s, QString());
    p.SioriList = {u"top"_s, u"下"_s};
    p.SyuturyokuFolder = u"/home/u/site"_s;
    return p;
}

} // namespace

class TestProjectFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        SetAppDir(m_dir.path());
    }

    void tablesGrowAndShrinkByIndex()
    {
        ProjectDates p;
        AddPictDat(p, u"a"_s, u"a"_s, u"pa"_s, u".gif"_s);
        DelPictDat(p, 0);
        QCOMPARE(p.PictMax(), qint16(-1));
        AddPictDat(p, u"b"_s, u"b"_s, u"pb"_s, u".gif"_s);
        QCOMPARE(p.PictMax(), qint16(0));

        for (const char16_t *n : {u"x", u"y", u"z"})
            AddElseFileDat(p, QString::fromUtf16(n), QString::fromUtf16(n), QString(), QString());
        DelElseFileDat(p, 0);
        QCOMPARE(p.ElseFileMax(), qint16(1));
        QCOMPARE(p.ElseFile.at(0).DatName, u"y"_s);
        QCOMPARE(p.ElseFile.at(1).DatName, u"z"_s);

        // A table holds at most 32,768 items; appending stays linear.
        ProjectDates big;
        for (int i = 0; i < MaxTableEntries; ++i)
            QVERIFY(AddHtmlDat(big, QString(), QString::number(i), QString(), QString()));
        QCOMPARE(big.HtmlMax(), qint16(32767));
        QVERIFY(!AddHtmlDat(big, QString(), QString(), QString(), QString()));
    }

    void defaultNamesAndLookups()
    {
        ProjectDates p;
        NewStartProject(p);
        QCOMPARE(NewHtmlName(p, true), u"html1"_s);
        QCOMPARE(NewHtmlName(p, false), u"HTMLページ1"_s);
        AddHtmlDat(p, u"HTMLページ1"_s, u"html1"_s, QString(), u".htm"_s);
        AddHtmlDat(p, u"x"_s, u"html3"_s, QString(), u".htm"_s);
        QCOMPARE(NewHtmlName(p, true), u"html2"_s); // gaps are reused
        QCOMPARE(NewHtmlName(p, false), u"HTMLページ2"_s);
        QCOMPARE(NewPictName(p, false), u"画像データ1"_s);
        QCOMPARE(NewPictName(p, true), u"picure1"_s);
        QCOMPARE(NewElseFileName(p, true), u"file1"_s);
        QCOMPARE(FindHtmlFile(p, u"Index.htm"_s), 0);
        QCOMPARE(FindHtmlFile(p, u"index.htm"_s), -1);
        QCOMPARE(FindHtmlFile(p, u"html3.htm"_s), 2);
        QCOMPARE(FindHtmlFile(p, u"html3.ht"_s), -1);
    }

    void fixPictPaths()
    {
        ProjectDates p;
        AddPictDat(p, u"a"_s, u"a"_s, u"*\\Tools\\pic.gif"_s, u".gif"_s);
        AddPictDat(p, u"b"_s, u"b"_s, u"/x/*y.gif"_s, u".gif"_s);
        FixPictPaths(p);
        QCOMPARE(p.Pict.at(0).FilePath, AppDir() + u"/Tools/pic.gif"_s);
        QCOMPARE(p.Pict.at(1).FilePath, u"/x/*y.gif"_s);
    }

    void newProjectFileIsByteExact()
    {
        ProjectDates p;
        NewStartProject(p);
        const QString expected = u"$HtmlProjectFile$,0,インデックス,Index,.htm,<html>\r\n"
                                 u"    <head>\r\n"
                                 u"        <title></title>\r\n"
                                 u"    </head>\r\n"
                                 u"    <body bgcolor = \"#ffffff\">\r\n"
                                 u"    <font color = \"#000000\">\r\n"
                                 u"\r\n"
                                 u"    </font>\r\n"
                                 u"    </body>\r\n"
                                 u"</html>\r\n"
                                 u"/$/End_HtmlDat_String/$/\r\n"
                                 u"-1,-1,-1,,$End_Project_Dates$"_s;
        QCOMPARE(MakeProjectText(p), expected);

        const QString path = m_dir.filePath(u"new.hpf"_s);
        QString error;
        QVERIFY2(SaveProjectFile(path, p, &error), qPrintable(error));
        QByteArray bytes;
        QVERIFY(Cp932::encode(QString(expected + u"\r\n"_s), &bytes));
        QCOMPARE(ReadBytes(path), bytes);
    }

    void roundTripKeepsEverythingButLeadingEmptyLines()
    {
        ProjectDates p = sampleProject();
        const QString path = m_dir.filePath(u"s.hpf"_s);
        QString error;
        QVERIFY2(SaveProjectFile(path, p, &error), qPrintable(error));

        ProjectDates q;
        QCOMPARE(LoadProjectFile(path, q), qint16(LoadOk));
        // Empty lines at the start of a page are not kept; a final CR LF is.
        QCOMPARE(q.Html.at(1).HtmlStr, u"<p>～①髙</p>\r\n"_s);
        QCOMPARE(q.Html.at(2).HtmlStr, QString());
        p.Html[1].HtmlStr = q.Html.at(1).HtmlStr;
        QCOMPARE(q.Html, p.Html);
        QCOMPARE(q.Pict, p.Pict);
        QCOMPARE(q.ElseFile, p.ElseFile);
        QCOMPARE(q.SioriList, p.SioriList);
        QCOMPARE(q.SyuturyokuFolder, p.SyuturyokuFolder);

        // Saving what was loaded gives the bytes of the project as it reads back.
        const QString again = m_dir.filePath(u"t.hpf"_s);
        QVERIFY(SaveProjectFile(again, q, &error));
        QCOMPARE(ReadBytes(again), EncodeProjectFile(p));
    }

    void loadCodes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("code");
        QTest::newRow("empty") << QByteArray() << 2;
        QTest::newRow("other magic") << QByteArray("$HtmlProject$,0,") << 2;
        QTest::newRow("ends after count") << QByteArray("$HtmlProjectFile$,0,") << 3;
        QTest::newRow("ends inside page") << QByteArray("$HtmlProjectFile$,0,a,b,.htm,<html>\r\nabc\r\n") << 3;
        QTest::newRow("count not a number") << QByteArray("$HtmlProjectFile$,x,") << 3;
        QTest::newRow("no pages") << QByteArray("$HtmlProjectFile$,-1,-1,-1,-1,,$End_Project_Dates$\r\n") << 3;
        QTest::newRow("minimal")
            << QByteArray("$HtmlProjectFile$,0,a,b,.htm,\r\n/$/End_HtmlDat_String/$/\r\n-1,-1,-1,,$End_Project_Dates$\r\n")
            << 0;
        QTest::newRow("no end marker")
            << QByteArray("$HtmlProjectFile$,0,a,b,.htm,\r\n/$/End_HtmlDat_String/$/\r\n-1,-1,-1,,") << 3;
        QTest::newRow("cut inside the output folder")
            << QByteArray("$HtmlProjectFile$,0,a,b,.htm,\r\n/$/End_HtmlDat_String/$/\r\n-1,-1,-1,/home/user/si") << 3;
        QTest::newRow("cut after the output folder")
            << QByteArray("$HtmlProjectFile$,0,a,b,.htm,\r\n/$/End_HtmlDat_String/$/\r\n-1,-1,-1,/home/user/site,") << 3;
        QTest::newRow("cut inside the end marker")
            << QByteArray("$HtmlProjectFile$,0,a,b,.htm,\r\n/$/End_HtmlDat_String/$/\r\n-1,-1,-1,/home/user/site,$End_Pro")
            << 3;
        QTest::newRow("end marker without its line end")
            << QByteArray("$HtmlProjectFile$,0,a,b,.htm,\r\n/$/End_HtmlDat_String/$/\r\n-1,-1,-1,/home/user/site,$End_Project_Dates$")
            << 0;
        QTest::newRow("something else where the end marker belongs")
            << QByteArray("$HtmlProjectFile$,0,a,b,.htm,\r\n/$/End_HtmlDat_String/$/\r\n-1,-1,-1,/site,x,$End_Project_Dates$\r\n")
            << 3;
        QTest::newRow("NUL in a page name")
            << QByteArray("$HtmlProjectFile$,0,a") + QByteArray(1, '\0')
                   + QByteArray("b,b,.htm,\r\n/$/End_HtmlDat_String/$/\r\n-1,-1,-1,,$End_Project_Dates$\r\n")
            << 3;
        QTest::newRow("NUL in the output folder")
            << QByteArray("$HtmlProjectFile$,0,a,b,.htm,\r\n/$/End_HtmlDat_String/$/\r\n-1,-1,-1,/si") + QByteArray(1, '\0')
                   + QByteArray("te,$End_Project_Dates$\r\n")
            << 3;
        QTest::newRow("NUL in page text is page text")
            << QByteArray("$HtmlProjectFile$,0,a,b,.htm,x") + QByteArray(1, '\0')
                   + QByteArray("y\r\n/$/End_HtmlDat_String/$/\r\n-1,-1,-1,,$End_Project_Dates$\r\n")
            << 0;
        QTest::newRow("picture cut off")
            << QByteArray("$HtmlProjectFile$,0,a,b,.htm,\r\n/$/End_HtmlDat_String/$/\r\n0,p,q,.gif,") << 3;
    }

    void loadCodes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, code);
        const QString path = m_dir.filePath(u"c.hpf"_s);
        QVERIFY(PutBytes(path, bytes));
        ProjectDates p;
        NewStartProject(p);
        const ProjectDates before = p;
        QCOMPARE(int(LoadProjectFile(path, p)), code);
        if (code != 0)
            QCOMPARE(p.Html, before.Html); // a failed load changes nothing
        ProjectDates q;
        QCOMPARE(int(LoadProjectFile(m_dir.filePath(u"missing.hpf"_s), q)), 1);
    }

    void fieldReaderRules()
    {
        FieldReader r(u"  a b ,\"q,x\"junk,,\r\nline rest\r\n\r\n"_s);
        QCOMPARE(r.readField(), std::optional<QString>(u"a b "_s));
        QCOMPARE(r.readField(), std::optional<QString>(u"q,x"_s));
        QCOMPARE(r.readField(), std::optional<QString>(QString()));
        QCOMPARE(r.readField(), std::optional<QString>(QString())); // empty at the line end
        QCOMPARE(r.readLine(), std::optional<QString>(u"line rest"_s));
        QCOMPARE(r.readLine(), std::optional<QString>(QString()));
        QVERIFY(!r.readLine());
        QVERIFY(!r.readField());
        QCOMPARE(FieldReader::toInt16(u" -1"_s), std::optional<qint16>(-1));
        QVERIFY(!FieldReader::toInt16(u"32768"_s));
        QVERIFY(!FieldReader::toInt16(u"1x"_s));
    }

    void fieldsTheFormatCannotCarryAreNamed()
    {
        ProjectDates p;
        NewStartProject(p);
        QVERIFY(CheckProjectFields(p).isEmpty());
        AddPictDat(p, u"a,b"_s, u" lead"_s, u"\"q"_s, u".gif"_s);
        p.SioriList.append(u"two\r\nlines"_s);
        p.SioriList.append(QString(u"nul"_s + QChar(0)));
        p.Html[0].HtmlStr += u"\r\n/$/End_HtmlDat_String/$/\r\nmore"_s;
        p.Html[0].DatName = u"표"_s; // Hangul has no code in code page 932
        const QVector<ProjectFieldProblem> problems = CheckProjectFields(p);
        QCOMPARE(problems.size(), 7);
        QCOMPARE(problems.last().reason, u"NUL文字"_s);
        QString error;
        QVERIFY(!SaveProjectFile(m_dir.filePath(u"bad.hpf"_s), p, &error));
        QVERIFY(error.contains(u"画像データ「a,b」"_s));
        QVERIFY(!QFile::exists(m_dir.filePath(u"bad.hpf"_s)));

        // Page text may hold any character: it is written as a character reference.
        ProjectDates q;
        NewStartProject(q);
        q.Html[0].HtmlStr = u"<p>표😀</p>"_s;
        QVERIFY(SaveProjectFile(m_dir.filePath(u"ncr.hpf"_s), q, &error));
        ProjectDates r;
        QCOMPARE(LoadProjectFile(m_dir.filePath(u"ncr.hpf"_s), r), qint16(LoadOk));
        QCOMPARE(r.Html.at(0).HtmlStr, u"<p>&#54364;&#128512;</p>"_s);
    }

    void inputMethodCharactersSaveAsTheirCounterparts()
    {
        // What a Linux input method types for 〜 ‖ − ¢ £ ¬ —, in names and text.
        const QString typed = u"\u301C\u2016\u2212\u00A2\u00A3\u00AC\u2014"_s;
        const QString counterparts = u"\uFF5E\u2225\uFF0D\uFFE0\uFFE1\uFFE2\u2015"_s;
        ProjectDates p;
        NewStartProject(p);
        p.Html[0].DatName = u"名前"_s + typed;
        p.Html[0].HtmlStr = u"<p>"_s + typed + u"</p>"_s;
        AddPictDat(p, u"絵"_s + typed, u"e"_s, u"/home/u/e.gif"_s, u".gif"_s);
        p.SioriList = {typed};
        QVERIFY(CheckProjectFields(p).isEmpty());
        const QString path = m_dir.filePath(u"typed.hpf"_s);
        QString error;
        QVERIFY2(SaveProjectFile(path, p, &error), qPrintable(error));
        QVERIFY(!ReadBytes(path).contains("&#"));

        ProjectDates r;
        QCOMPARE(LoadProjectFile(path, r), qint16(LoadOk));
        QCOMPARE(r.Html.at(0).DatName, u"名前"_s + counterparts);
        QCOMPARE(r.Html.at(0).HtmlStr, u"<p>"_s + counterparts + u"</p>"_s);
        QCOMPARE(r.Pict.at(0).DatName, u"絵"_s + counterparts);
        QCOMPARE(r.SioriList, QStringList{counterparts});
        // A page file holds the codes as well.
        QCOMPARE(EncodePageFile(typed), Sjis(counterparts) + "\r\n");
    }

    void fileNamesMustReadBackAsTheSameFile()
    {
        // In a path, file name or the output folder the counterpart would name
        // another file: such a field is refused, and nothing is written.
        ProjectDates p;
        NewStartProject(p);
        p.Html[0].FileName = u"a\u301Cb"_s;
        AddPictDat(p, u"絵"_s, u"e"_s, u"/home/u/\u2212.gif"_s, u".gif"_s);
        AddElseFileDat(p, u"他"_s, u"f"_s, u"/home/u/f.txt"_s, u".t\u2014"_s);
        p.SyuturyokuFolder = u"/home/u/\u00A2"_s;
        const QVector<ProjectFieldProblem> problems = CheckProjectFields(p);
        QCOMPARE(problems.size(), 4);
        QCOMPARE(problems.at(0).field, u"ファイル名"_s);
        QCOMPARE(problems.at(0).reason, u"保存すると別の文字に変わる文字「\u301C」"_s);
        QCOMPARE(problems.at(1).field, u"参照先ファイル"_s);
        QCOMPARE(problems.at(2).field, u"拡張子"_s);
        QCOMPARE(problems.at(3).field, u"出力先フォルダ"_s);
        QString error;
        QVERIFY(!SaveProjectFile(m_dir.filePath(u"no.hpf"_s), p, &error));
        QVERIFY(!QFile::exists(m_dir.filePath(u"no.hpf"_s)));
    }

    void failedSaveKeepsTheOlderFile()
    {
        const QString path = m_dir.filePath(u"keep.hpf"_s);
        ProjectDates p;
        NewStartProject(p);
        QString error;
        QVERIFY(SaveProjectFile(path, p, &error));
        const QByteArray before = ReadBytes(path);
        // A folder of the same name as the temporary file cannot be replaced.
        QVERIFY(!SaveProjectFile(m_dir.filePath(u"nofolder/x.hpf"_s), p, &error));
        QVERIFY(error.contains(u"nofolder"_s));
        // One sentence names the file and the reason; it is not said twice.
        QCOMPARE(error.count(u"x.hpf"_s), 1);
        QCOMPARE(error.count(u"書き込めませんでした"_s), 1);
        QCOMPARE(ReadBytes(path), before);
    }

    void everyTruncationAndMutationLoadsWithACode()
    {
        const ProjectDates p = sampleProject();
        const QByteArray full = EncodeProjectFile(p);
        for (qsizetype n = 0; n < full.size(); ++n) {
            const QString text = Cp932::decode(QByteArrayView(full).first(n));
            ProjectDates q;
            const qint16 code = LoadProjectText(text, q);
            QVERIFY2(code >= 0 && code <= 3, qPrintable(QString::number(n)));
            // No cut file loads as complete: only the end marker's own line
            // end may be missing.
            if (n < full.size() - 2)
                QVERIFY2(code != LoadOk, qPrintable(QString::number(n)));
            else
                QCOMPARE(code, qint16(LoadOk));
        }
        QRandomGenerator rng(20261208);
        for (int round = 0; round < 3000; ++round) {
            QByteArray m = full;
            const int edits = 1 + int(rng.bounded(4));
            for (int e = 0; e < edits; ++e) {
                const qsizetype at = rng.bounded(m.size());
                switch (rng.bounded(3)) {
                case 0:
                    m[at] = char(rng.bounded(256));
                    break;
                case 1:
                    m.remove(at, 1 + rng.bounded(8));
                    break;
                default:
                    m.insert(at, rng.bounded(2) ? QByteArray(",") : QByteArray("\r\n"));
                    break;
                }
                if (m.isEmpty())
                    break;
            }
            ProjectDates q;
            const qint16 code = LoadProjectText(Cp932::decode(m), q);
            QVERIFY(code >= 0 && code <= 3);
            if (code == 0)
                QVERIFY(q.HtmlMax() >= 0);
        }
    }

    void loadTextFile()
    {
        const QString sjis = m_dir.filePath(u"s.htm"_s);
        QByteArray bytes;
        QVERIFY(Cp932::encode(u"<p>日本語～</p>\r\n二行目"_s, &bytes));
        QVERIFY(PutBytes(sjis, bytes));
        QCOMPARE(LoadTextFile(sjis), u"<p>日本語～</p>\r\n二行目"_s);

        const QString utf8 = m_dir.filePath(u"u.htm"_s);
        QVERIFY(PutBytes(utf8, QByteArray("\xEF\xBB\xBF") + u"<meta charset=\"utf-8\">\n한국어\n"_s.toUtf8()));
        QCOMPARE(LoadTextFile(utf8), u"<meta charset=\"utf-8\">\r\n한국어"_s);

        const QString one = m_dir.filePath(u"one.txt"_s);
        QVERIFY(PutBytes(one, "single"));
        QCOMPARE(LoadTextFile(one), u"single"_s);
        QVERIFY(PutBytes(one, QByteArray()));
        QCOMPARE(LoadTextFile(one), QString());
        QCOMPARE(LoadTextFile(m_dir.filePath(u"none.htm"_s)), u"$NotFile"_s);
    }

    void editorTextMapsPositions()
    {
        const QString html = u"ab\r\ncd\r\n\r\nef"_s;
        const QString editor = HtmlToEditorText(html);
        QCOMPARE(editor, u"ab\ncd\n\nef"_s);
        QCOMPARE(EditorTextToHtml(editor), html);
        // "ef" starts at 10 in the page text and at 7 in the editor.
        QCOMPARE(HtmlPosToEditorPos(html, 10), qsizetype(7));
        QCOMPARE(EditorPosToHtmlPos(html, 7), qsizetype(10));
        for (qsizetype e = 0; e <= editor.size(); ++e)
            QCOMPARE(HtmlPosToEditorPos(html, EditorPosToHtmlPos(html, e)), e);
    }

    void tempCopyReadErrorInJapanese()
    {
        // A regular file whose reading fails: the memory of this process
        // reads as an I/O error from its first byte.
        const QString target = m_dir.filePath(u"copy.bin"_s);
        QVERIFY(PutBytes(target, "old"));
        QString error;
        QVERIFY(!TempC::CopyFileReplacing(u"/proc/self/mem"_s, target, &error));
        QCOMPARE(error, u"ファイル\"/proc/self/mem\"を読み込めません（ディスクの読み書きでエラーが起きました）"_s);
        QCOMPARE(ReadBytes(target), QByteArray("old"));
    }

    void tempCopies()
    {
        ProjectDates p;
        NewStartProject(p);
        const QString pic = m_dir.filePath(u"src.gif"_s);
        QVERIFY(PutBytes(pic, "GIF89a"));
        AddPictDat(p, u"gone"_s, u"gone"_s, m_dir.filePath(u"missing.gif"_s), u".gif"_s);
        AddPictDat(p, u"ok"_s, u"ok"_s, pic, u".gif"_s);
        AddElseFileDat(p, u"same"_s, u"Index"_s, pic, u".htm"_s); // same output name as the page
        AddElseFileDat(p, u"gone"_s, u"f"_s, m_dir.filePath(u"missing.zip"_s), u".zip"_s);
        AddElseFileDat(p, u"after"_s, u"g"_s, pic, u".bin"_s);

        const QString temp = TempC::TempFolder();
        QVERIFY(QFileInfo(temp).isDir());
        QString error;
        QVERIFY(!TempC::CopyAllTemp(p, &error));
        // Each missing file is named, and the copy went on past it.
        QCOMPARE(error.split(u"\r\n"_s).size(), 2);
        QVERIFY2(error.contains(u"画像データ「gone」"_s), qPrintable(error));
        QVERIFY2(error.contains(u"他のファイルデータ「gone」"_s), qPrintable(error));
        QVERIFY2(error.contains(u"missing.zip"_s), qPrintable(error));
        QVERIFY(!QFile::exists(temp + u"/gone.gif"_s));
        QVERIFY(!QFile::exists(temp + u"/f.zip"_s));
        QCOMPARE(ReadBytes(temp + u"/ok.gif"_s), QByteArray("GIF89a"));
        QCOMPARE(ReadBytes(temp + u"/Index.htm"_s), QByteArray("GIF89a")); // the later write wins
        QCOMPARE(ReadBytes(temp + u"/g.bin"_s), QByteArray("GIF89a"));

        TempC::DelAllTemp(p);
        QVERIFY(QDir(temp).entryList(QDir::Files).isEmpty());
        TempC::DelHtmlTemp(p, 0); // deleting what is not there is no error

        // Names from other people's project files never leave the folder.
        ProjectDates evil;
        AddHtmlDat(evil, u"x"_s, u"../escape"_s, u"x"_s, u".htm"_s);
        AddHtmlDat(evil, u"y"_s, u"/tmp/abs"_s, u"y"_s, u".htm"_s);
        QVERIFY(!TempC::MakeHtmlTemp(evil, 0, &error));
        QVERIFY(!TempC::MakeHtmlTemp(evil, 1, &error));
        QVERIFY(!QFile::exists(m_dir.filePath(u"escape.htm"_s)));
        QVERIFY(TempC::IsSafeOutputName(u"Index.htm"_s));
        QVERIFY(!TempC::IsSafeOutputName(u".."_s));
    }

    void tempCopiesRefuseSpecialSources_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("FIFO") << u"fifo"_s;
        QTest::newRow("endless device") << u"/dev/zero"_s;
        QTest::newRow("link to a FIFO") << u"link"_s;
    }

    // A FIFO or a device as an item's source is refused at once: nothing
    // waits for ever and nothing streams into temp/.
    void tempCopiesRefuseSpecialSources()
    {
        QFETCH(QString, kind);
        const QString fifo = m_dir.filePath(u"pipe.gif"_s);
        QString source = kind;
        if (kind != u"/dev/zero"_s) {
            QFile::remove(fifo);
            QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
            source = fifo;
        }
        if (kind == u"link"_s) {
            source = m_dir.filePath(u"pipe-link.gif"_s);
            QFile::remove(source);
            QVERIFY(QFile::link(fifo, source));
        }
        ProjectDates p;
        NewStartProject(p);
        AddPictDat(p, u"絵"_s, u"pict"_s, source, u".gif"_s);
        AddElseFileDat(p, u"他"_s, u"other"_s, source, u".bin"_s);
        QElapsedTimer timer;
        timer.start();
        QString error;
        QVERIFY(!TempC::CopyPictTemp(p, 0, &error));
        QVERIFY2(error.contains(u"通常のファイルではありません"_s), qPrintable(error));
        QVERIFY(!TempC::CopyElseTemp(p, 0, &error));
        QVERIFY(!TempC::CopyAllTemp(p, &error));
        QVERIFY(timer.elapsed() < 5000);
        QVERIFY(!QFile::exists(TempC::TempPathFor(u"pict.gif"_s)));
        QVERIFY(!QFile::exists(TempC::TempPathFor(u"other.bin"_s)));
        // The page was still written.
        QVERIFY(QFile::exists(TempC::TempPathFor(u"Index.htm"_s)));
        TempC::DelAllTemp(p);
        QFile::remove(fifo);
    }

    // A copy that does not fit on the disk is reported and leaves nothing.
    void tempCopyOnFullDisk()
    {
        SmallDisk disk(64);
        if (!disk.mounted())
            QSKIP(qPrintable(disk.reason()));
        const QString source = m_dir.filePath(u"small.gif"_s);
        QVERIFY(PutBytes(source, QByteArray(300, 'g')));
        SetAppDir(disk.path());
        ProjectDates p;
        NewStartProject(p);
        AddPictDat(p, u"絵"_s, u"pict"_s, source, u".gif"_s);
        const QString temp = TempC::TempFolder();
        QVERIFY(!temp.isEmpty());
        QVERIFY(disk.fill());
        QString error;
        QVERIFY(!TempC::CopyPictTemp(p, 0, &error));
        QVERIFY2(error.contains(u"ディスクの空き容量が足りません"_s), qPrintable(error));
        QVERIFY(!TempC::MakeHtmlTemp(p, 0, &error));
        QVERIFY2(error.contains(u"ディスクの空き容量が足りません"_s), qPrintable(error));
        QCOMPARE(AllEntries(temp), QStringList());
        SetAppDir(m_dir.path());
    }

    void throwawayWritesStillReplaceWhole()
    {
        const QString path = m_dir.filePath(u"sub/copy.htm"_s);
        QVERIFY(QDir().mkpath(m_dir.filePath(u"sub"_s)));
        QVERIFY(WriteFileAtomically(path, "first version, longer", nullptr, WriteMode::Throwaway));
        QVERIFY(WriteFileAtomically(path, "second", nullptr, WriteMode::Throwaway));
        QCOMPARE(ReadBytes(path), QByteArray("second"));
        // Nothing is left beside the target.
        QCOMPARE(QDir(m_dir.filePath(u"sub"_s)).entryList(QDir::Files), QStringList{u"copy.htm"_s});
        QString error;
        QVERIFY(!WriteFileAtomically(m_dir.filePath(u"sub/copy.htm/x"_s), "x", &error, WriteMode::Throwaway));
        QVERIFY(!error.isEmpty());
        QCOMPARE(ReadBytes(path), QByteArray("second"));
    }

    void pageFilesFollowTheDeclaredCharset()
    {
        ProjectDates p;
        NewStartProject(p);
        p.Html[0].HtmlStr = u"<meta charset=\"UTF-8\">한국어"_s;
        QVERIFY(TempC::MakeHtmlTemp(p, 0));
        QCOMPARE(ReadBytes(TempC::TempPathFor(u"Index.htm"_s)), u"<meta charset=\"UTF-8\">한국어\r\n"_s.toUtf8());
        p.Html[0].HtmlStr = u"日本"_s;
        QVERIFY(TempC::MakeHtmlTemp(p, 0));
        QCOMPARE(ReadBytes(TempC::TempPathFor(u"Index.htm"_s)), QByteArray("\x93\xfa\x96\x7b\r\n"));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestProjectFile)
#include "tst_projectfile.moc"
