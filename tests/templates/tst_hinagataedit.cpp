// The template store: list files and template files of the user sets,
// registering and deleting, and the reading of list files.

#include "AppPaths.h"
#include "HinagataEdit.h"
#include "ProjectFile.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QString userFolder(bool isHtml)
{
    return HinagataFolder(isHtml, true);
}

QString listPath(bool isHtml)
{
    return TempListPath(userFolder(isHtml));
}

QString filePath(bool isHtml, int i)
{
    return TempFilePath(userFolder(isHtml), i);
}

QStringList names(const QVector<HinagataEntry> &entries)
{
    QStringList out;
    for (const HinagataEntry &e : entries)
        out.append(e.name);
    return out;
}

} // namespace

class TestHinagataEdit : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // Registers count HTML templates "名前i" / "説明i" with texts "<p>i</p>".
    void fill(int count)
    {
        for (int i = 0; i < count; ++i)
            QVERIFY(AddHinagata(true, u"名前%1"_s.arg(i), u"説明%1"_s.arg(i), u"<p>%1</p>"_s.arg(i)));
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        SetAppDir(m_dir.path() + u"/app"_s);
        QDir(AppDir()).removeRecursively();
        QVERIFY(QDir().mkpath(AppDir()));
    }

    void folders()
    {
        QCOMPARE(HinagataFolder(true, false), AppDir() + u"/Tools/HTMLTemp/Olz"_s);
        QCOMPARE(HinagataFolder(true, true), AppDir() + u"/Tools/HTMLTemp/User"_s);
        QCOMPARE(HinagataFolder(false, false), AppDir() + u"/Tools/PrjectTemp/Olz"_s);
        QCOMPARE(HinagataFolder(false, true), AppDir() + u"/Tools/PrjectTemp/User"_s);
        QCOMPARE(TempFilePath(u"/x"_s, 12), u"/x/TempFile12.dat"_s);
        QCOMPARE(TempListPath(u"/x"_s), u"/x/TempList.dat"_s);
    }

    void emptySet()
    {
        // No folder at all, then a folder without a list file.
        for (int round = 0; round < 2; ++round) {
            for (bool isHtml : {true, false}) {
                QCOMPARE(CountHinagata(isHtml), qint16(-1));
                const HinagataSet list = LoadHinagataList(isHtml);
                QCOMPARE(list.HinaMax(), qint16(-1));
                QVERIFY(list.HinaDate.isEmpty());
            }
            QVERIFY(QDir().mkpath(userFolder(true)));
            QVERIFY(QDir().mkpath(userFolder(false)));
        }
    }

    void registerIntoEmptySet()
    {
        // The user folder does not exist yet: it is made.
        QVERIFY(!QFileInfo::exists(userFolder(true)));
        QString error;
        QVERIFY2(AddHinagata(true, u"日記"_s, u"毎日の記録"_s, u"<p>今日</p>"_s, &error), qPrintable(error));
        QCOMPARE(ReadBytes(listPath(true)), Sjis(u"日記,毎日の記録\r\n"_s));
        QCOMPARE(ReadBytes(filePath(true, 0)), Sjis(u"<p>今日</p>\r\n"_s));
        QCOMPARE(CountHinagata(true), qint16(0));
        // The other kind's set is untouched.
        QCOMPARE(CountHinagata(false), qint16(-1));
    }

    void registerSecondKeepsFirst()
    {
        QVERIFY(AddHinagata(false, u"一"_s, u"最初"_s, u"first"_s));
        const QByteArray first = ReadBytes(filePath(false, 0));
        QVERIFY(AddHinagata(false, u"二"_s, u"次"_s, u"second"_s));
        QCOMPARE(ReadBytes(filePath(false, 0)), first);
        QCOMPARE(ReadBytes(filePath(false, 1)), QByteArray("second\r\n"));
        QCOMPARE(ReadBytes(listPath(false)), Sjis(u"一,最初,二,次\r\n"_s));
        const HinagataSet list = LoadHinagataList(false);
        QCOMPARE(list.HinaMax(), qint16(1));
        QCOMPARE(list.HinaName, (QStringList{u"一"_s, u"二"_s}));
        QCOMPARE(list.HinaSetumei, (QStringList{u"最初"_s, u"次"_s}));
        QCOMPARE(list.HinaDate, (QStringList{u"first"_s, u"second"_s}));
    }

    void registerLeavesOtherTemplatesAlone()
    {
        // A template whose file is missing is not rewritten as "$NotFile", and
        // one in another encoding keeps its bytes.
        fill(3);
        QVERIFY(QFile::remove(filePath(true, 1)));
        QVERIFY(PutBytes(filePath(true, 2), "\xEF\xBB\xBF<p>utf-8 \xE2\x9C\x93</p>\r\n"));
        const QByteArray third = ReadBytes(filePath(true, 2));
        QVERIFY(AddHinagata(true, u"四"_s, u"説明"_s, u"<p>4</p>"_s));
        QVERIFY(!QFileInfo::exists(filePath(true, 1)));
        QCOMPARE(ReadBytes(filePath(true, 2)), third);
        const HinagataSet list = LoadHinagataList(true);
        QCOMPARE(list.HinaMax(), qint16(3));
        QCOMPARE(list.HinaDate.at(1), NotFileText);
        QCOMPARE(list.HinaDate.at(2), u"<p>utf-8 ✓</p>"_s);
        QCOMPARE(list.HinaDate.at(3), u"<p>4</p>"_s);
    }

    void textsReadBackUnchanged_data()
    {
        QTest::addColumn<bool>("isHtml");
        QTest::addColumn<QString>("text");
        QTest::newRow("ends with a line break") << true << u"<p>a</p>\r\n"_s;
        QTest::newRow("ends with two line breaks") << true << u"<p>a</p>\r\n\r\n"_s;
        QTest::newRow("empty") << true << QString();
        QTest::newRow("starts with empty lines") << true << u"\r\n\r\n<p>a</p>"_s;
        QTest::newRow("declares UTF-8, character outside Shift_JIS")
            << true << u"<meta charset=\"utf-8\">\r\n<p>😀 Ω</p>"_s;
        QTest::newRow("project text") << false << u"$HtmlProjectFile$,0,表紙,Index,.htm,<p>x</p>\r\n/$/End_HtmlDat_String/$/\r\n-1,-1,-1,,$End_Project_Dates$"_s;
        // A project file is code page 932 even when its first page declares UTF-8.
        QTest::newRow("project whose page declares UTF-8")
            << false << u"$HtmlProjectFile$,0,表紙,Index,.htm,<meta charset=\"utf-8\">\r\n<p>日本語</p>\r\n/$/End_HtmlDat_String/$/\r\n-1,-1,-1,,$End_Project_Dates$\r\n"_s;
    }

    void textsReadBackUnchanged()
    {
        QFETCH(bool, isHtml);
        QFETCH(QString, text);
        QVERIFY(AddHinagata(isHtml, u"名"_s, u"説"_s, text));
        QCOMPARE(LoadHinagataList(isHtml).HinaDate.value(0), text);
        // Registering another template and deleting it leaves the text as it was.
        QVERIFY(AddHinagata(isHtml, u"別"_s, u"説"_s, u"x"_s));
        QVERIFY(DelHinagata(isHtml, 1));
        QCOMPARE(LoadHinagataList(isHtml).HinaDate, QStringList{text});
    }

    void characterOutsideShiftJisBecomesReference()
    {
        // A page without a UTF-8 declaration keeps the character as a reference.
        QVERIFY(AddHinagata(true, u"名"_s, u"説"_s, u"<p>😀</p>"_s));
        QCOMPARE(LoadHinagataList(true).HinaDate.value(0), u"<p>&#128512;</p>"_s);
    }

    void deleting_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("middle of three") << 3 << 1 << u"名前0,説明0,名前2,説明2\r\n"_s
                                         << QStringList{u"<p>0</p>"_s, u"<p>2</p>"_s};
        QTest::newRow("last of three") << 3 << 2 << u"名前0,説明0,名前1,説明1\r\n"_s
                                       << QStringList{u"<p>0</p>"_s, u"<p>1</p>"_s};
        QTest::newRow("first of three") << 3 << 0 << u"名前1,説明1,名前2,説明2\r\n"_s
                                        << QStringList{u"<p>1</p>"_s, u"<p>2</p>"_s};
        QTest::newRow("first of two") << 2 << 0 << u"名前1,説明1\r\n"_s << QStringList{u"<p>1</p>"_s};
    }

    void deleting()
    {
        QFETCH(int, count);
        QFETCH(int, index);
        QFETCH(QString, list);
        QFETCH(QStringList, texts);
        fill(count);
        QString error;
        QVERIFY2(DelHinagata(true, index, &error), qPrintable(error));
        QCOMPARE(ReadBytes(listPath(true)), Sjis(list));
        QCOMPARE(CountHinagata(true), qint16(texts.size() - 1));
        QCOMPARE(LoadHinagataList(true).HinaDate, texts);
        for (int i = 0; i < texts.size(); ++i)
            QCOMPARE(ReadBytes(filePath(true, i)), Sjis(texts.at(i) + u"\r\n"_s));
        // No file is left above the new last template.
        QVERIFY(!QFileInfo::exists(filePath(true, texts.size())));
        QCOMPARE(QDir(userFolder(true)).entryList(QDir::Files).size(), texts.size() + 1);
    }

    void deletingTheOnlyTemplate()
    {
        fill(1);
        QVERIFY(DelHinagata(true, 0));
        QVERIFY(!QFileInfo::exists(listPath(true)));
        QVERIFY(!QFileInfo::exists(filePath(true, 0)));
        QCOMPARE(CountHinagata(true), qint16(-1));
        // The set takes a new template as an empty one does.
        QVERIFY(AddHinagata(true, u"新"_s, u"説明"_s, u"t"_s));
        QCOMPARE(ReadBytes(listPath(true)), Sjis(u"新,説明\r\n"_s));
    }

    void deletingOutsideTheSet_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("index");
        QTest::newRow("empty set") << 0 << 0;
        QTest::newRow("negative") << 2 << -1;
        QTest::newRow("past the end") << 2 << 2;
    }

    void deletingOutsideTheSet()
    {
        QFETCH(int, count);
        QFETCH(int, index);
        fill(count);
        const QByteArray before = ReadBytes(listPath(true));
        QString error;
        QVERIFY(!DelHinagata(true, index, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(ReadBytes(listPath(true)), before);
        QCOMPARE(CountHinagata(true), qint16(count - 1));
    }

    void deletingKeepsAMissingFileMissing()
    {
        fill(3);
        QVERIFY(QFile::remove(filePath(true, 2)));
        QVERIFY(DelHinagata(true, 0));
        QCOMPARE(LoadHinagataList(true).HinaDate, (QStringList{u"<p>1</p>"_s, NotFileText}));
        QVERIFY(!QFileInfo::exists(filePath(true, 1)));
        QVERIFY(!QFileInfo::exists(filePath(true, 2)));
    }

    void refusedNamesAndDescriptions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("setumei");
        QTest::addColumn<QString>("reason");
        QTest::newRow("comma in name") << u"a,b"_s << u"説明"_s << u"カンマ"_s;
        QTest::newRow("comma in description") << u"名前"_s << u"説明,続き"_s << u"カンマ"_s;
        QTest::newRow("line break") << u"名前"_s << u"一行目\n二行目"_s << u"改行"_s;
        QTest::newRow("leading blank") << u" 名前"_s << u"説明"_s << u"先頭の空白"_s;
        QTest::newRow("leading quote") << u"名前"_s << u"\"引用\""_s << u"ダブルクォーテーション"_s;
        QTest::newRow("outside Shift_JIS") << u"名前😀"_s << u"説明"_s << u"😀"_s;
        QTest::newRow("empty name") << QString() << u"説明"_s << u"空"_s;
        QTest::newRow("empty description") << u"名前"_s << QString() << u"空"_s;
    }

    void refusedNamesAndDescriptions()
    {
        QFETCH(QString, name);
        QFETCH(QString, setumei);
        QFETCH(QString, reason);
        fill(1);
        const QByteArray before = ReadBytes(listPath(true));
        QString error;
        QVERIFY(!AddHinagata(true, name, setumei, u"text"_s, &error));
        QVERIFY2(error.contains(reason), qPrintable(error));
        QCOMPARE(ReadBytes(listPath(true)), before);
        QVERIFY(!QFileInfo::exists(filePath(true, 1)));
    }

    void failedTemplateWriteLeavesTheSet()
    {
        fill(2);
        const QByteArray before = ReadBytes(listPath(true));
        // The new template's file cannot be written: a folder stands in its place.
        QVERIFY(QDir().mkpath(filePath(true, 2)));
        QString error;
        QVERIFY(!AddHinagata(true, u"三"_s, u"説明"_s, u"t"_s, &error));
        QVERIFY2(error.contains(u"TempFile2.dat"_s), qPrintable(error));
        QCOMPARE(ReadBytes(listPath(true)), before);
        QCOMPARE(CountHinagata(true), qint16(1));
    }

    void failedListWriteRemovesTheNewFile()
    {
        // The list cannot be written: a folder stands in its place.
        QVERIFY(QDir().mkpath(listPath(true)));
        QString error;
        QVERIFY(!AddHinagata(true, u"名"_s, u"説明"_s, u"t"_s, &error));
        QVERIFY2(error.contains(u"TempList.dat"_s), qPrintable(error));
        QVERIFY(!QFileInfo::exists(filePath(true, 0)));
    }

    void failedRenumberIsUndone()
    {
        fill(3);
        const QByteArray list = ReadBytes(listPath(true));
        const QByteArray file0 = ReadBytes(filePath(true, 0));
        // Template file 1 cannot be replaced: a folder stands in its place.
        QVERIFY(QFile::remove(filePath(true, 1)));
        QVERIFY(QDir().mkpath(filePath(true, 1)));
        QString error;
        QVERIFY(!DelHinagata(true, 0, &error));
        QVERIFY2(error.contains(u"TempFile1.dat"_s), qPrintable(error));
        QVERIFY2(error.contains(u"削除していません"_s), qPrintable(error));
        QCOMPARE(ReadBytes(listPath(true)), list);
        QCOMPARE(ReadBytes(filePath(true, 0)), file0);
        QCOMPARE(ReadBytes(filePath(true, 2)), QByteArray("<p>2</p>\r\n"));
    }

    void readingListTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("fields"); // name, description, name, ...
        QTest::newRow("empty") << QString() << QStringList();
        QTest::newRow("only a line end") << u"\r\n"_s << QStringList();
        QTest::newRow("one pair") << u"a,b\r\n"_s << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("no line end") << u"a,b"_s << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("missing last description") << u"a,b,c\r\n"_s << QStringList{u"a"_s, u"b"_s, u"c"_s, QString()};
        QTest::newRow("pairs over lines") << u"a,b\r\nc,d\r\n\r\n"_s << QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s};
        QTest::newRow("blanks before fields") << u"  a,\tb"_s << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("quoted field") << u"\"x,y\",z"_s << QStringList{u"x,y"_s, u"z"_s};
        QTest::newRow("trailing blanks only") << u"a,b\r\n   "_s << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("empty fields") << u",,a,"_s << QStringList{QString(), QString(), u"a"_s, QString()};
    }

    void readingListTexts()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, fields);
        QStringList got;
        for (const HinagataEntry &e : ReadTempListText(text))
            got << e.name << e.setumei;
        QCOMPARE(got, fields);
    }

    void listTextRoundTrip()
    {
        const QVector<HinagataEntry> entries{{u"a"_s, QString()}, {QString(), u"b"_s}, {u"雛型"_s, u"説明 "_s},
                                             {u"x"_s, QString()}};
        QCOMPARE(TempListText(entries), u"a,,,b,雛型,説明 ,x,"_s);
        QCOMPARE(ReadTempListText(TempListText(entries) + u"\r\n"_s), entries);
        QCOMPARE(TempListText({}), QString());
        QCOMPARE(names(ReadTempListText(u"一,1,二,2"_s)), (QStringList{u"一"_s, u"二"_s}));
    }
};

QTEST_GUILESS_MAIN(TestHinagataEdit)
#include "tst_hinagataedit.moc"
