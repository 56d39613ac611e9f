// The user script folders: creating, renaming and deleting entries keeps
// WizList.dat and the numbered script files in step; texts the list cannot
// carry are refused; damaged folders are read without harm.
#include "AppPaths.h"
#include "TaguSien_ListFile.h"
#include "TestSupport.h"
#include "WizList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QString Script(int n)
{
    // A distinct one-statement script per entry.
    return u"$WizDate,1,0,0,0,0,1,0,0,entry"_s + QString::number(n) + u"\r\n"_s;
}

// A folder with entries 0..count-1, named N0.., described D0.., each with its
// own script.
void MakeFolder(const QString &folder, int count)
{
    QDir().mkpath(folder);
    QVector<WizListEntry> list;
    for (int i = 0; i < count; ++i) {
        list.append({u"N"_s + QString::number(i), u"D"_s + QString::number(i)});
        QVERIFY(PutBytes(WizDatePath(folder, i), Sjis(Script(i))));
    }
    QVERIFY(SaveWizList(folder, list));
}

QStringList Files(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

} // namespace

class TestListFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstScriptInEmptyFolder();
    void fontEntryStartsAsDefaultFontScript();
    void appendKeepsExistingFiles();
    void folderIsCreatedWhenMissing();
    void renameOneEntry();
    void deleteRenumbers_data();
    void deleteRenumbers();
    void deleteOnlyEntry();
    void missingScriptFile();
    void deleteOutOfRangeChangesNothing();
    void failedDeleteLeavesListAndFilesInStep();
    void unfitTextsAreRefused_data();
    void unfitTextsAreRefused();
    void damagedListFiles();
};

void TestListFile::firstScriptInEmptyFolder()
{
    QTemporaryDir dir;
    const QString folder = dir.path();
    qint16 index = -1;
    QString error;
    QVERIFY2(NewWizDate(folder, u"太字"_s, u"選択文字列を太字に"_s, false, &error, &index), qPrintable(error));
    QCOMPARE(index, qint16(0));
    QCOMPARE(ReadBytes(folder + u"/WizList.dat"_s), Sjis(u"0,太字,選択文字列を太字に\r\n"_s));
    QCOMPARE(ReadBytes(folder + u"/WizDate0.dat"_s), QByteArray("$WizDate,1,0,0,0,0,-1\r\n"));
    QCOMPARE(Files(folder), (QStringList{u"WizDate0.dat"_s, u"WizList.dat"_s}));
}

void TestListFile::fontEntryStartsAsDefaultFontScript()
{
    QTemporaryDir dir;
    QVERIFY(NewWizDate(dir.path(), u"赤"_s, u"赤い字"_s, true));
    const QByteArray bytes = ReadBytes(dir.path() + u"/WizDate0.dat"_s);
    QCOMPARE(NewFontWizDate.size(), 245);
    QCOMPARE(bytes, NewFontWizDate.toLatin1() + "\r\n");
    QVERIFY(bytes.startsWith("$WizDate,29,0,0,2,0,3,"));
}

void TestListFile::appendKeepsExistingFiles()
{
    QTemporaryDir dir;
    const QString folder = dir.path();
    MakeFolder(folder, 3);
    qint16 index = -1;
    QVERIFY(NewWizDate(folder, u"新"_s, u"新しい"_s, false, nullptr, &index));
    QCOMPARE(index, qint16(3));
    QCOMPARE(ReadBytes(folder + u"/WizList.dat"_s), Sjis(u"3,N0,D0,N1,D1,N2,D2,新,新しい\r\n"_s));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(ReadBytes(WizDatePath(folder, i)), Sjis(Script(i)));
    QCOMPARE(ReadBytes(WizDatePath(folder, 3)), QByteArray("$WizDate,1,0,0,0,0,-1\r\n"));
    const WizListFile list = ReadWizList(folder);
    QCOMPARE(list.ListMax, qint16(3));
    QCOMPARE(list.ListLine.at(3), u"$WizDate,1,0,0,0,0,-1"_s);
}

void TestListFile::folderIsCreatedWhenMissing()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + u"/Tools/WizDates/User/Basic"_s;
    QVERIFY(!QFileInfo::exists(folder));
    QVERIFY(NewWizDate(folder, u"a"_s, u"b"_s, false));
    QCOMPARE(Files(folder), (QStringList{u"WizDate0.dat"_s, u"WizList.dat"_s}));
}

void TestListFile::renameOneEntry()
{
    QTemporaryDir dir;
    MakeFolder(dir.path(), 3);
    QVERIFY(SetWizList(dir.path(), 1, u"改名"_s, u"新しい説明"_s));
    QCOMPARE(ReadBytes(dir.path() + u"/WizList.dat"_s), Sjis(u"2,N0,D0,改名,新しい説明,N2,D2\r\n"_s));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(ReadBytes(WizDatePath(dir.path(), i)), Sjis(Script(i)));
    QVERIFY(!SetWizList(dir.path(), 3, u"x"_s, u"y"_s));
}

void TestListFile::deleteRenumbers_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("k");
    QTest::newRow("middle of four") << 4 << 1;
    QTest::newRow("first of four") << 4 << 0;
    QTest::newRow("last of four") << 4 << 3;
    QTest::newRow("first of two") << 2 << 0;
}

void TestListFile::deleteRenumbers()
{
    QFETCH(int, count);
    QFETCH(int, k);
    QTemporaryDir dir;
    const QString folder = dir.path();
    MakeFolder(folder, count);
    QString error;
    QVERIFY2(DelWizDate(folder, qint16(k), &error), qPrintable(error));

    QString expected = QString::number(count - 2);
    QStringList files;
    for (int i = 0, from = 0; from < count; ++from) {
        if (from == k)
            continue;
        expected += u",N"_s + QString::number(from) + u",D"_s + QString::number(from);
        QCOMPARE(ReadBytes(WizDatePath(folder, i)), Sjis(Script(from)));
        files.append(u"WizDate"_s + QString::number(i) + u".dat"_s);
        ++i;
    }
    files.append(u"WizList.dat"_s);
    QCOMPARE(ReadBytes(folder + u"/WizList.dat"_s), Sjis(expected + u"\r\n"_s));
    QCOMPARE(Files(folder), files);
}

void TestListFile::deleteOnlyEntry()
{
    QTemporaryDir dir;
    MakeFolder(dir.path(), 1);
    QVERIFY(DelWizDate(dir.path(), 0));
    QCOMPARE(Files(dir.path()), QStringList());
    QCOMPARE(ReadWizList(dir.path()).ListMax, qint16(-1));
}

void TestListFile::missingScriptFile()
{
    QTemporaryDir dir;
    const QString folder = dir.path();
    MakeFolder(folder, 3);
    QVERIFY(QFile::remove(WizDatePath(folder, 2)));
    const WizListFile list = ReadWizList(folder);
    QCOMPARE(list.ListMax, qint16(2));
    QCOMPARE(list.ListLine.at(0), u"$WizDate,1,0,0,0,0,1,0,0,entry0"_s);
    QVERIFY(list.ListLine.at(2).isEmpty());
    QVERIFY(list.ListBytes.at(2).isNull());

    // Deleting entry 0 moves the missing script to position 1 as an empty line.
    QVERIFY(DelWizDate(folder, 0));
    QCOMPARE(ReadBytes(WizDatePath(folder, 0)), Sjis(Script(1)));
    QCOMPARE(ReadBytes(WizDatePath(folder, 1)), QByteArray("\r\n"));
    QCOMPARE(ReadBytes(folder + u"/WizList.dat"_s), QByteArray("1,N1,D1,N2,D2\r\n"));
    QVERIFY(!QFileInfo::exists(WizDatePath(folder, 2)));
}

void TestListFile::deleteOutOfRangeChangesNothing()
{
    QTemporaryDir dir;
    MakeFolder(dir.path(), 2);
    const QByteArray before = ReadBytes(dir.path() + u"/WizList.dat"_s);
    QString error;
    QVERIFY(!DelWizDate(dir.path(), 2, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!DelWizDate(dir.path(), -1));
    QCOMPARE(ReadBytes(dir.path() + u"/WizList.dat"_s), before);
    QCOMPARE(Files(dir.path()).size(), 3);
}

void TestListFile::failedDeleteLeavesListAndFilesInStep()
{
    QTemporaryDir dir;
    const QString folder = dir.path();
    MakeFolder(folder, 3);
    // Position 1 cannot be replaced: a folder holding a file stands there.
    QVERIFY(QFile::remove(WizDatePath(folder, 1)));
    QVERIFY(QDir().mkpath(WizDatePath(folder, 1)));
    QVERIFY(PutBytes(WizDatePath(folder, 1) + u"/keep"_s, "x"));
    const QByteArray listBefore = ReadBytes(folder + u"/WizList.dat"_s);

    QString error;
    QVERIFY(!DelWizDate(folder, 0, &error));
    QVERIFY(!error.isEmpty());
    // Position 0 was rewritten and then put back; the list is as it was.
    QCOMPARE(ReadBytes(folder + u"/WizList.dat"_s), listBefore);
    QCOMPARE(ReadBytes(WizDatePath(folder, 0)), Sjis(Script(0)));
    QCOMPARE(ReadBytes(WizDatePath(folder, 2)), Sjis(Script(2)));
}

void TestListFile::unfitTextsAreRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("setumei");
    QTest::addColumn<QString>("named");
    QTest::newRow("comma in name") << u"a,b"_s << u"d"_s << u"カンマ"_s;
    QTest::newRow("line break in description") << u"a"_s << u"d\r\ne"_s << u"改行"_s;
    QTest::newRow("lone LF") << u"a"_s << u"d\ne"_s << u"改行"_s;
    QTest::newRow("leading blank") << u" a"_s << u"d"_s << u"先頭の空白"_s;
    QTest::newRow("leading tab") << u"\ta"_s << u"d"_s << u"先頭の空白"_s;
    QTest::newRow("leading double quote") << u"\"a"_s << u"d"_s << u"ダブルクォーテーション"_s;
    QTest::newRow("no code page 932 code") << u"a😀"_s << u"d"_s << u"😀"_s;
}

void TestListFile::unfitTextsAreRefused()
{
    QFETCH(QString, name);
    QFETCH(QString, setumei);
    QFETCH(QString, named);
    QTemporaryDir dir;
    MakeFolder(dir.path(), 2);
    const QByteArray before = ReadBytes(dir.path() + u"/WizList.dat"_s);
    QString error;
    QVERIFY(!NewWizDate(dir.path(), name, setumei, false, &error));
    QVERIFY2(error.contains(named), qPrintable(error));
    // A message about names, not the advice for output statements.
    QVERIFY2(error.contains(u"名前と説明には使えません"_s), qPrintable(error));
    QVERIFY2(!error.contains(u"出力"_s), qPrintable(error));
    QVERIFY(!SetWizList(dir.path(), 0, name, setumei, &error));
    QVERIFY2(error.contains(named), qPrintable(error));
    QCOMPARE(ReadBytes(dir.path() + u"/WizList.dat"_s), before);
    QCOMPARE(Files(dir.path()).size(), 3);
    // A quote inside a text is carried.
    QVERIFY(NewWizDate(dir.path(), u"a\"b"_s, u"全角　空白も可"_s, false));
}

void TestListFile::damagedListFiles()
{
    // Every truncation of a valid list: reading never fails and the arrays
    // match the upper index. A list cut before its last entry is refused for
    // writing and nothing changes; one that still names every file is
    // deleted from with one script file per entry.
    const QByteArray full = Sjis(u"3,N0,D0,N1,D1,N2,D2,N3,D3\r\n"_s);
    for (int cut = 0; cut <= full.size(); ++cut) {
        QTemporaryDir dir;
        MakeFolder(dir.path(), 4);
        QVERIFY(PutBytes(dir.path() + u"/WizList.dat"_s, full.left(cut)));
        const WizListFile list = ReadWizList(dir.path());
        QCOMPARE(list.ListName.size(), list.ListMax + 1);
        QCOMPARE(list.ListLine.size(), list.ListMax + 1);
        const bool sound = CheckWizList(dir.path()).problem.isEmpty();
        QCOMPARE(sound, list.ListMax == 3);
        QCOMPARE(DelWizDate(dir.path(), 0), sound);
        const WizListFile after = ReadWizList(dir.path());
        if (!sound) {
            QCOMPARE(ReadBytes(dir.path() + u"/WizList.dat"_s), full.left(cut));
            QCOMPARE(Files(dir.path()).size(), 5);
            continue;
        }
        QCOMPARE(after.ListMax, qint16(list.ListMax - 1));
        for (int i = 0; i <= after.ListMax; ++i)
            QCOMPARE(after.ListLine.at(i), list.ListLine.at(i + 1));
    }
}

QTEST_GUILESS_MAIN(TestListFile)
#include "tst_listfile.moc"
