// The WizDate script format and the WizList.dat list format: reading, writing,
// round trips and files that must be refused whole.
#include "WizDate.h"
#include "WizList.h"
#include "WizRun.h"

#include "TextFiles.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString DefaultFontScript = u"$WizDate,29,0,0,2,0,3,0,0,0,0,,3,0,0,1,0,,3,1,0,0,3,,1,0,0,<font,5,0,1,0,0,0,0,,,6,13,2,1,0,0,color=,13,1,1,1,0,S,13,1,7,5,1,1,0,5,0,3,,,13,2,1,0,0,size=,1,1,0,I,7,5,0,1,1,0,0,0,,,6,13,2,1,0,0,face=,13,1,1,1,1,S,13,1,7,1,0,0,>,2,1,0,0,</font>,-1"_s;

QByteArray FileBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

WizProgram Sentinel()
{
    WizProgram p;
    p.ops = {MakeWizOp(OpHensuSettei, {4, 5, 6}), MakeWizOp(OpOutPut, {0, 0}, {u"sentinel"_s}), MakeWizOp(OpWizEnd)};
    return p;
}

} // namespace

class TestWizDate : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void emptyScriptLoads();
    void defaultFontScriptLoadsRunsAndSavesBack();
    void statementShapesFollowTheirCodes();
    void roundTripThroughFile();
    void fieldReadingRules();
    void brokenFilesAreRefusedWhole_data();
    void brokenFilesAreRefusedWhole();
    void missingFileLeavesSharedTableAlone();
    void hugeCountFailsFast();
    void saveRefusesCharactersWithoutCode();
    void unknownCodeWritesOnlyItsCode();

    void wizListReads();
    void wizListCornerCases();
    void wizListRoundTrip();
};

void TestWizDate::emptyScriptLoads()
{
    WizProgram p;
    QCOMPARE(LoadWizDateFromText(u"$WizDate,1,0,0,0,0,-1"_s, &p), WizLoadResult::Loaded);
    QCOMPARE(p.WizMax(), qint16(1));
    QCOMPARE(p.ops.at(0).OpType, qint16(OpHensuSettei));
    QCOMPARE(p.ops.at(0).IntDat, (QVector<qint16>{0, 0, 0}));
    QCOMPARE(p.ops.at(0).StrMax(), qint16(0));
    QCOMPARE(p.ops.at(1).OpType, qint16(OpWizEnd));
    QCOMPARE(p.ops.at(1).IntMax(), qint16(0));
    QCOMPARE(WizDateToText(p), u"$WizDate,1,0,0,0,0,-1"_s);

    WizVariables vars;
    const WizRunResult r = RunWizPrg(p, vars, nullptr, u"sel"_s);
    QCOMPARE(r.status, WizRunStatus::Finished);
    QCOMPARE(r.text, QString());
}

void TestWizDate::defaultFontScriptLoadsRunsAndSavesBack()
{
    QCOMPARE(DefaultFontScript.size(), 245);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"WizDate0.dat"_s);
    WriteBytes(path, DefaultFontScript.toLatin1() + "\r\n");

    WizProgram p;
    QCOMPARE(LoadWizDate(path, &p), WizLoadResult::Loaded);
    QCOMPARE(p.ops.size(), 30);
    QCOMPARE(p.ops.at(4).S(0), u"<font"_s);
    QCOMPARE(p.ops.at(13).IntDat, (QVector<qint16>{1, 1, 0, 5, 0, 3}));
    QCOMPARE(p.ops.at(29).OpType, qint16(OpWizEnd));

    WizVariables vars;
    QCOMPARE(RunWizPrg(p, vars, nullptr, u"abc"_s).text, u"<font>abc</font>"_s);
    // The constants the font dialog edits: colour, face, size.
    p.ops[1].StrDat[0] = u"#000000"_s;
    p.ops[3].IntDat[3] = 5;
    QCOMPARE(RunWizPrg(p, vars, nullptr, u"abc"_s).text, u"<font color=\"#000000\" size=5>abc</font>"_s);
    p.ops[3].IntDat[3] = 3;
    p.ops[2].StrDat[0] = u"ＭＳ 明朝"_s;
    QCOMPARE(RunWizPrg(p, vars, nullptr, u"abc"_s).text, u"<font color=\"#000000\" face=\"ＭＳ 明朝\">abc</font>"_s);

    // Loaded unchanged and saved: the same 245 characters and CR LF.
    WizProgram again;
    QCOMPARE(LoadWizDate(path, &again), WizLoadResult::Loaded);
    const QString out = dir.filePath(u"out.dat"_s);
    QString error;
    QVERIFY2(SaveWizDate(out, again, &error), qPrintable(error));
    QCOMPARE(FileBytes(out), DefaultFontScript.toLatin1() + "\r\n");
}

void TestWizDate::statementShapesFollowTheirCodes()
{
    const struct { qint16 code; int ints; int strs; } table[] = {
        {0, 3, 0}, {1, 2, 1}, {2, 0, 0}, {3, 4, 1}, {4, 6, 0}, {5, 6, 2}, {6, 0, 0},
        {7, 0, 0}, {8, 0, 0}, {9, 6, 2}, {11, 0, 0}, {12, 9, 9}, {13, 1, 0}, {-1, 0, 0},
    };
    for (const auto &row : table) {
        int ints = -1;
        int strs = -1;
        QVERIFY(WizOpFieldCounts(row.code, &ints, &strs));
        QCOMPARE(ints, row.ints);
        QCOMPARE(strs, row.strs);
        const WizOp op = MakeWizOp(row.code);
        QCOMPARE(op.IntMax(), qint16(qMax(row.ints, 1) - 1));
        QCOMPARE(op.StrMax(), qint16(qMax(row.strs, 1) - 1));
    }
    for (qint16 bad : {qint16(10), qint16(14), qint16(-2), qint16(100)})
        QVERIFY(!WizOpFieldCounts(bad, nullptr, nullptr));
}

void TestWizDate::roundTripThroughFile()
{
    WizProgram p;
    p.ops = {
        MakeWizOp(OpHensuSettei, {2, 1, 0}),
        MakeWizOp(OpInputWindow, {0, 1, -1, 8, 0, 0, -1, 1, 2}, {u"題名"_s, u"初期値"_s, u"12"_s, QString(), QString(),
                                                              u"文字列："_s, u"数値："_s, QString(), u"色"_s}),
        MakeWizOp(OpDainyu, {0, 0, 1, 0}, {u"定数 with space"_s}),
        MakeWizOp(OpSisoku, {3, 0, 1, 0, 0, -32768}),
        MakeWizOp(OpBunki, {0, 0, 0, 5, 1, 0}, {QString(), u"b"_s}),
        MakeWizOp(OpTigaeba),
        MakeWizOp(OpBunkiEnd),
        MakeWizOp(OpLoopStart),
        MakeWizOp(OpLoopEnd, {1, 1, 0, 4, 0, 32767}, {QString(), QString()}),
        MakeWizOp(OpKaigyou),
        MakeWizOp(OpTokusyu, {1}),
        MakeWizOp(OpSentakuOut),
        MakeWizOp(OpOutPut, {0, 0}, {QString()}),
        MakeWizOp(OpWizEnd),
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(u"WizDate3.dat"_s);
    QString error;
    QVERIFY2(SaveWizDate(path, p, &error), qPrintable(error));
    const QByteArray bytes = FileBytes(path);
    QVERIFY(bytes.endsWith("\r\n"));
    QCOMPARE(bytes.count('\n'), 1);
    QVERIFY(bytes.contains(",-32768,"));
    QVERIFY(bytes.contains(",,")); // empty texts are nothing between commas

    WizProgram back;
    QCOMPARE(LoadWizDate(path, &back), WizLoadResult::Loaded);
    QCOMPARE(back.ops.size(), p.ops.size());
    for (int i = 0; i < p.ops.size(); ++i)
        QCOMPARE(back.ops.at(i), p.ops.at(i));
    QCOMPARE(back.ops.at(1).I(2), qint16(-1));
}

void TestWizDate::fieldReadingRules()
{
    WizProgram p;
    // Blanks before a field are dropped, a quoted field runs to the closing
    // quote (and may then hold a comma), a file without line end still reads
    // its last empty text field.
    QCOMPARE(LoadWizDateFromText(u"$WizDate, 3,0,0,0,0,1,0,0,   lead,1,0,0,\"a,b\",-1\r\n"_s, &p), WizLoadResult::Loaded);
    QCOMPARE(p.ops.at(1).S(0), u"lead"_s);
    QCOMPARE(p.ops.at(2).S(0), u"a,b"_s);

    QCOMPARE(LoadWizDateFromText(u"$WizDate,0,1,0,0,"_s, &p), WizLoadResult::Loaded);
    QCOMPARE(p.ops.size(), 1);
    QCOMPARE(p.ops.at(0).OpType, qint16(OpOutPut));
    QCOMPARE(p.ops.at(0).S(0), QString());

    // An empty table is well formed.
    QCOMPARE(LoadWizDateFromText(u"$WizDate,-1\r\n"_s, &p), WizLoadResult::Loaded);
    QCOMPARE(p.WizMax(), qint16(-1));
}

void TestWizDate::brokenFilesAreRefusedWhole_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<WizLoadResult>("expected");
    QTest::newRow("empty") << QString() << WizLoadResult::NotWizDate;
    QTest::newRow("other head") << u"$wizdate,1,0,0,0,0,-1"_s << WizLoadResult::NotWizDate;
    QTest::newRow("no count") << u"$WizDate"_s << WizLoadResult::BadCount;
    QTest::newRow("count not a number") << u"$WizDate,x,0,0,0,0,-1"_s << WizLoadResult::BadCount;
    QTest::newRow("count below -1") << u"$WizDate,-2,-1"_s << WizLoadResult::BadCount;
    QTest::newRow("count too big") << u"$WizDate,40000,-1"_s << WizLoadResult::BadCount;
    QTest::newRow("code 10") << u"$WizDate,1,0,0,0,0,10"_s << WizLoadResult::BadCode;
    QTest::newRow("code not a number") << u"$WizDate,1,0,0,0,0,end"_s << WizLoadResult::BadField;
    QTest::newRow("argument not a number") << u"$WizDate,1,0,0,x,0,-1"_s << WizLoadResult::BadField;
    QTest::newRow("argument out of range") << u"$WizDate,1,0,0,32768,0,-1"_s << WizLoadResult::BadField;
    QTest::newRow("too few statements") << u"$WizDate,2,0,0,0,0,-1\r\n"_s << WizLoadResult::TooFewFields;
    QTest::newRow("too few arguments") << u"$WizDate,0,4,0,0,0,1,0\r\n"_s << WizLoadResult::TooFewFields;
    QTest::newRow("trailing fields") << u"$WizDate,0,-1,7,7"_s << WizLoadResult::ExtraFields;
}

void TestWizDate::brokenFilesAreRefusedWhole()
{
    QFETCH(QString, text);
    QFETCH(WizLoadResult, expected);
    WizProgram p = Sentinel();
    QCOMPARE(LoadWizDateFromText(text, &p), expected);
    QVERIFY(!WizLoadResultText(expected).isEmpty());
    const WizProgram s = Sentinel();
    QCOMPARE(p.ops, s.ops);
}

void TestWizDate::missingFileLeavesSharedTableAlone()
{
    QTemporaryDir dir;
    WizPrg() = Sentinel();
    QCOMPARE(LoadWizDate(dir.filePath(u"WizDate9.dat"_s)), WizLoadResult::CannotOpen);
    QCOMPARE(WizPrg().ops, Sentinel().ops);

    const QString path = dir.filePath(u"WizDate0.dat"_s);
    WriteBytes(path, "$WizDate,1,0,0,0,0,-1\r\n");
    QCOMPARE(LoadWizDate(path), WizLoadResult::Loaded);
    QCOMPARE(WizPrg().ops.size(), 2);
    QString error;
    QVERIFY(SaveWizDate(dir.filePath(u"copy.dat"_s), &error));
    QCOMPARE(FileBytes(dir.filePath(u"copy.dat"_s)), QByteArray("$WizDate,1,0,0,0,0,-1\r\n"));
}

void TestWizDate::hugeCountFailsFast()
{
    WizProgram p = Sentinel();
    QElapsedTimer t;
    t.start();
    for (int k = 0; k < 1000; ++k)
        QCOMPARE(LoadWizDateFromText(u"$WizDate,32767,7,7,7"_s, &p), WizLoadResult::TooFewFields);
    QVERIFY2(t.elapsed() < 2000, "a short file claiming many statements must fail at once");
    QCOMPARE(p.ops, Sentinel().ops);
}

void TestWizDate::saveRefusesCharactersWithoutCode()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"WizDate0.dat"_s);
    WriteBytes(path, "$WizDate,1,0,0,0,0,-1\r\n");
    WizProgram p;
    p.ops = {MakeWizOp(OpOutPut, {0, 0}, {u"emoji \U0001F600"_s}), MakeWizOp(OpWizEnd)};
    QString error;
    QVERIFY(!SaveWizDate(path, p, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(FileBytes(path), QByteArray("$WizDate,1,0,0,0,0,-1\r\n"));
}

void TestWizDate::unknownCodeWritesOnlyItsCode()
{
    WizProgram p;
    WizOp odd;
    odd.OpType = 10;
    odd.IntDat = {5, 6};
    odd.StrDat = {u"x"_s};
    p.ops = {odd, MakeWizOp(OpTokusyu, {2})};
    QCOMPARE(WizDateToText(p), u"$WizDate,1,10,13,2"_s);
}

void TestWizDate::wizListReads()
{
    QTemporaryDir dir;
    QVERIFY(LoadWizList(dir.path()).isEmpty());

    QString error;
    QVERIFY(WriteCp932File(dir.filePath(u"WizList.dat"_s), u"1,見出し,見出しを作ります。,太字,太くします。\r\n"_s, &error));
    const QVector<WizListEntry> entries = LoadWizList(dir.path());
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries.at(0).name, u"見出し"_s);
    QCOMPARE(entries.at(0).setumei, u"見出しを作ります。"_s);
    QCOMPARE(entries.at(1).name, u"太字"_s);
    QCOMPARE(WizDatePath(dir.path(), 1), dir.filePath(u"WizDate1.dat"_s));
}

void TestWizDate::wizListCornerCases()
{
    QVERIFY(LoadWizListFromText(QString()).isEmpty());
    QVERIFY(LoadWizListFromText(u"x,a,b"_s).isEmpty());
    QVERIFY(LoadWizListFromText(u"-1,a,b"_s).isEmpty());
    // A file claiming more entries than it holds gives those it holds.
    QCOMPARE(LoadWizListFromText(u"32767,a,b,c,d"_s).size(), 2);
    // A last description left empty still counts.
    const QVector<WizListEntry> e = LoadWizListFromText(u"0,名前,"_s);
    QCOMPARE(e.size(), 1);
    QCOMPARE(e.at(0).setumei, QString());
    // A name with a leading blank loses it, as the format reads.
    QCOMPARE(LoadWizListFromText(u"0,  名前,説明"_s).at(0).name, u"名前"_s);

    QVERIFY(WizListTextFits(u"見出し1（h1）"_s));
    QVERIFY(!WizListTextFits(u"a,b"_s));
    QVERIFY(!WizListTextFits(u" a"_s));
    QVERIFY(!WizListTextFits(u"\"a"_s));
    QVERIFY(!WizListTextFits(u"a\r\nb"_s));
}

void TestWizDate::wizListRoundTrip()
{
    const QVector<WizListEntry> entries{{u"一"_s, u"説明一"_s}, {u"二"_s, QString()}, {u"三"_s, u"説明 三"_s}};
    QCOMPARE(WizListToText(entries), u"2,一,説明一,二,,三,説明 三"_s);
    QCOMPARE(WizListToText({}), QString());
    QTemporaryDir dir;
    QString error;
    QVERIFY2(SaveWizList(dir.path(), entries, &error), qPrintable(error));
    QVERIFY(FileBytes(dir.filePath(u"WizList.dat"_s)).endsWith("\r\n"));
    QCOMPARE(LoadWizList(dir.path()), entries);
}

QTEST_GUILESS_MAIN(TestWizDate)
#include "tst_wizdate.moc"
