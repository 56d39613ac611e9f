// The script editor's statement operations: the line of every kind of
// statement, the indentation by nesting, inserting and removing statements,
// and the nesting check.
#include "TaguSien_ListFile.h"
#include "TaguSien_WizEdit.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

WizProgram Program(const QString &text)
{
    WizProgram p;
    if (LoadWizDateFromText(text, &p) != WizLoadResult::Loaded)
        qWarning("script did not load: %s", qPrintable(text));
    return p;
}

WizProgram Codes(std::initializer_list<qint16> codes)
{
    WizProgram p;
    for (qint16 c : codes)
        p.ops.append(MakeWizOp(c));
    return p;
}

} // namespace

Q_DECLARE_METATYPE(WizOp)

class TestWizEdit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lines_data();
    void lines();
    void newScriptShowsTwoLines();
    void defaultFontScriptLines();
    void indentationOfNestedBlocks();
    void unbalancedLevelsGiveNoIndentation();
    void insertAndDelete();
    void putReplacesOrInserts();
    void nesting_data();
    void nesting();
};

void TestWizEdit::lines_data()
{
    QTest::addColumn<WizOp>("op");
    QTest::addColumn<QString>("line");
    const auto row = [](const char *name, const WizOp &op, const QString &line) { QTest::newRow(name) << op << line; };
    row("end", MakeWizOp(OpWizEnd), u"◎終了"_s);
    row("declaration", MakeWizOp(OpHensuSettei, {1, 2, 0}),
        u"◎タグ挿入スクリプト　（変数・・・整数型：2　文字列型：3　真偽型：1）"_s);
    row("output literal", MakeWizOp(OpOutPut, {0, 0}, {u"<b>"_s}), u"■出力　\"<b>\""_s);
    row("output text variable", MakeWizOp(OpOutPut, {1, 0}, {u"S"_s}), u"■出力　文字列変数(1)"_s);
    row("output integer variable", MakeWizOp(OpOutPut, {1, 4}, {u"I"_s}), u"■出力　整数型変数(5)"_s);
    row("output Boolean variable", MakeWizOp(OpOutPut, {1, 1}, {u"B"_s}), u"■出力　真偽型変数(2)"_s);
    row("output unknown letter", MakeWizOp(OpOutPut, {1, 1}, {u"X"_s}), u"■出力　"_s);
    row("selection", MakeWizOp(OpSentakuOut), u"■選択文字列の出力"_s);
    row("assign variable", MakeWizOp(OpDainyu, {1, 1, 0, 2}), u"■整数型変数(1)=整数型変数(3)"_s);
    row("assign true", MakeWizOp(OpDainyu, {2, 0, 0, 1}), u"■真偽型変数(1)=True"_s);
    row("assign false", MakeWizOp(OpDainyu, {2, 0, 1, 7}), u"■真偽型変数(2)=False"_s);
    row("assign integer", MakeWizOp(OpDainyu, {1, 0, 0, -5}), u"■整数型変数(1)=-5"_s);
    row("assign text", MakeWizOp(OpDainyu, {0, 0, 2, 0}, {u"赤"_s}), u"■文字列変数(3)=\"赤\""_s);
    row("assign other type", MakeWizOp(OpDainyu, {7, 0, 0, 0}), u"■"_s);
    row("arithmetic", MakeWizOp(OpSisoku, {0, 0, 1, 0, 0, 1}), u"■整数型変数(1)=整数型変数(1)+1"_s);
    row("division", MakeWizOp(OpSisoku, {3, 1, 0, 7, 1, 2}), u"■整数型変数(2)=7/整数型変数(3)"_s);
    row("unknown operator", MakeWizOp(OpSisoku, {9, 0, 0, 1, 0, -2}), u"■整数型変数(1)=1-2"_s);
    row("if text", MakeWizOp(OpBunki, {0, 1, 0, 0, 0, 0}, {QString(), QString()}),
        u"◇もし　文字列変数(1)=\"\"　ならば"_s);
    row("if =>", MakeWizOp(OpBunki, {1, 1, 0, 4, 0, 3}), u"◇もし　整数型変数(1)=>3　ならば"_s);
    row("if <=", MakeWizOp(OpBunki, {1, 0, 2, 3, 1, 1}), u"◇もし　2<=整数型変数(2)　ならば"_s);
    row("if <>", MakeWizOp(OpBunki, {1, 1, 0, 5, 0, 3}), u"◇もし　整数型変数(1)<>3　ならば"_s);
    row("if Boolean", MakeWizOp(OpBunki, {2, 0, 1, 0, 0, 0}), u"◇もし　True=False　ならば"_s);
    row("if bad comparison", MakeWizOp(OpBunki, {1, 0, 1, 8, 0, 2}), u"◇もし　12　ならば"_s);
    row("else", MakeWizOp(OpTigaeba), u"◇違えば"_s);
    row("end of branch", MakeWizOp(OpBunkiEnd), u"◇分岐終了"_s);
    row("loop start", MakeWizOp(OpLoopStart), u"△ループ開始"_s);
    row("loop end", MakeWizOp(OpLoopEnd, {1, 1, 0, 4, 0, 3}), u"△ループ終了　整数型変数(1)=>3"_s);
    row("line break", MakeWizOp(OpKaigyou), u"■改行の出力"_s);
    row("input window", MakeWizOp(OpInputWindow, {}, {u"題名"_s}), u"★入力ウィンドウ　題名"_s);
    row("input window untitled", MakeWizOp(OpInputWindow), u"★入力ウィンドウ　"_s);
    row("comma", MakeWizOp(OpTokusyu, {0}), u"■特殊文字列の出力　「,」カンマ"_s);
    row("double quote", MakeWizOp(OpTokusyu, {1}), u"■特殊文字列の出力　「\"」ダブルクォーテーション"_s);
    row("space", MakeWizOp(OpTokusyu, {2}), u"■特殊文字列の出力　「 」半角スペース"_s);
    row("other special", MakeWizOp(OpTokusyu, {3}), u"■特殊文字列の出力　"_s);
    WizOp unknown;
    unknown.OpType = 10;
    row("unused code", unknown, QString());
}

void TestWizEdit::lines()
{
    QFETCH(WizOp, op);
    QFETCH(QString, line);
    QCOMPARE(WizOpText(op), line);
}

void TestWizEdit::newScriptShowsTwoLines()
{
    WizPrg() = Program(NewBasicWizDate);
    QCOMPARE(ShowScLines(WizPrg()),
             (QStringList{u"◎タグ挿入スクリプト　（変数・・・整数型：1　文字列型：1　真偽型：1）"_s, u"◎終了"_s}));
    QCOMPARE(WizOpText(qint16(1)), u"◎終了"_s);
    QCOMPARE(WizOpText(qint16(2)), QString());
}

void TestWizEdit::defaultFontScriptLines()
{
    const WizProgram p = Program(NewFontWizDate);
    const QStringList lines = ShowScLines(p);
    QCOMPARE(lines.size(), 30);
    QCOMPARE(lines.at(5), u"◇もし　文字列変数(1)=\"\"　ならば"_s);
    QCOMPARE(lines.at(6), u"◇違えば"_s);
    QCOMPARE(lines.at(7), u"　　■特殊文字列の出力　「 」半角スペース"_s);
    QCOMPARE(lines.at(12), u"◇分岐終了"_s);
    QCOMPARE(lines.at(16), u"　　■出力　整数型変数(1)"_s);
    QCOMPARE(lines.at(29), u"◎終了"_s);
}

void TestWizEdit::indentationOfNestedBlocks()
{
    // A loop holding if / else / end.
    WizProgram p = Codes({OpHensuSettei, OpLoopStart, OpKaigyou, OpBunki, OpKaigyou, OpTigaeba, OpSentakuOut,
                          OpBunkiEnd, OpKaigyou, OpLoopEnd, OpWizEnd});
    const QString one = u"　　"_s;
    const QString two = one + one;
    const QStringList lines = ShowScLines(p);
    QCOMPARE(lines.at(1), u"△ループ開始"_s);
    QCOMPARE(lines.at(2), one + u"■改行の出力"_s);
    QCOMPARE(lines.at(3).left(5), one + u"◇もし"_s);
    QCOMPARE(lines.at(4), two + u"■改行の出力"_s);
    QCOMPARE(lines.at(5), one + u"◇違えば"_s);
    QCOMPARE(lines.at(6), two + u"■選択文字列の出力"_s);
    QCOMPARE(lines.at(7), one + u"◇分岐終了"_s);
    QCOMPARE(lines.at(8), one + u"■改行の出力"_s);
    QCOMPARE(lines.at(9).left(6), u"△ループ終了"_s);
    QCOMPARE(lines.at(10), u"◎終了"_s);
}

void TestWizEdit::unbalancedLevelsGiveNoIndentation()
{
    // Two ends without their if drive the level below zero; lines stay flush
    // until it comes back above zero.
    WizProgram p = Codes({OpHensuSettei, OpBunkiEnd, OpBunkiEnd, OpKaigyou, OpBunki, OpKaigyou, OpBunki,
                          OpKaigyou, OpBunki, OpKaigyou, OpWizEnd});
    const QStringList lines = ShowScLines(p);
    QCOMPARE(lines.at(3), u"■改行の出力"_s);  // level -2
    QCOMPARE(lines.at(5), u"■改行の出力"_s);  // level -1
    QCOMPARE(lines.at(7), u"■改行の出力"_s);  // level 0
    QCOMPARE(lines.at(9), u"　　■改行の出力"_s); // level 1
    QCOMPARE(lines.at(10), u"　　◎終了"_s);
}

void TestWizEdit::insertAndDelete()
{
    WizProgram p = Program(NewBasicWizDate);
    QVERIFY(InsWizOp(p, 1));
    QCOMPARE(p.WizMax(), qint16(2));
    QCOMPARE(p.ops.at(1), MakeWizOp(OpWizEnd));
    QCOMPARE(p.ops.at(1).IntMax(), qint16(0));
    QCOMPARE(p.ops.at(1).StrMax(), qint16(0));
    p.ops[1] = MakeWizOp(OpKaigyou);
    QVERIFY(InsWizOp(p, 3)); // append
    QCOMPARE(p.ops.at(3).OpType, qint16(OpWizEnd));
    QVERIFY(!InsWizOp(p, 5));
    QVERIFY(!InsWizOp(p, -1));
    QVERIFY(DelWizOp(p, 1));
    QCOMPARE(p.ops.at(1).OpType, qint16(OpWizEnd));
    QCOMPARE(p.WizMax(), qint16(2));
    QVERIFY(!DelWizOp(p, 3));
    QVERIFY(DelWizOp(p, 2));
    QCOMPARE(p.WizMax(), qint16(1));

    // A script holds at most 32767 statements.
    WizProgram full;
    full.ops.resize(32767);
    QVERIFY(!InsWizOp(full, 5));
    QCOMPARE(full.ops.size(), 32767);
}

void TestWizEdit::putReplacesOrInserts()
{
    WizProgram p = Program(NewBasicWizDate);
    const WizOp out = MakeWizOp(OpOutPut, {0, 0}, {u"x"_s});
    QVERIFY(PutWizOp(p, true, 1, out));
    QCOMPARE(p.ops.size(), 3);
    QCOMPARE(p.ops.at(1), out);
    const WizOp br = MakeWizOp(OpKaigyou);
    QVERIFY(PutWizOp(p, false, 1, br));
    QCOMPARE(p.ops.size(), 3);
    QCOMPARE(p.ops.at(1), br);
    QVERIFY(!PutWizOp(p, false, 3, br));
    QCOMPARE(p.ops.size(), 3);
}

void TestWizEdit::nesting_data()
{
    QTest::addColumn<QVector<qint16>>("codes");
    QTest::addColumn<QVector<qint16>>("lines");
    QTest::addColumn<QString>("words");
    QTest::newRow("sound") << QVector<qint16>{0, 8, 5, 6, 7, 9, -1} << QVector<qint16>{} << QString();
    QTest::newRow("else without if") << QVector<qint16>{0, 6, -1} << QVector<qint16>{1} << u"「違えば」に対応する"_s;
    QTest::newRow("end without if") << QVector<qint16>{0, 7, -1} << QVector<qint16>{1} << u"「条件分岐終了」に対応する"_s;
    QTest::newRow("loop end without start") << QVector<qint16>{0, 9, -1} << QVector<qint16>{1} << u"「ループ開始」がありません"_s;
    QTest::newRow("if never closed") << QVector<qint16>{0, 5, 11, -1} << QVector<qint16>{1} << u"閉じられていません"_s;
    QTest::newRow("loop never closed") << QVector<qint16>{0, 11, 8, -1} << QVector<qint16>{2} << u"「ループ終了」で閉じられて"_s;
    QTest::newRow("two elses") << QVector<qint16>{0, 5, 6, 6, 7, -1} << QVector<qint16>{3} << u"二つ"_s;
    QTest::newRow("crossing") << QVector<qint16>{0, 8, 5, 9, 7, -1} << QVector<qint16>{3, 4} << u"交差"_s;
}

void TestWizEdit::nesting()
{
    QFETCH(QVector<qint16>, codes);
    QFETCH(QVector<qint16>, lines);
    QFETCH(QString, words);
    WizProgram p;
    for (qint16 c : codes)
        p.ops.append(MakeWizOp(c));
    const QVector<WizNestProblem> problems = CheckWizNesting(p);
    QVector<qint16> found;
    for (const WizNestProblem &pr : problems) {
        found.append(pr.line);
        QVERIFY(!pr.message.isEmpty());
    }
    QCOMPARE(found, lines);
    if (!words.isEmpty())
        QVERIFY2(problems.first().message.contains(words), qPrintable(problems.first().message));
}

QTEST_GUILESS_MAIN(TestWizEdit)
#include "tst_wizedit.moc"
