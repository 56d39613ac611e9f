// The script interpreter: output, variables, branches, loops, arithmetic,
// input windows, cancelling and the step limit.
#include "ScriptedHost.h"
#include "WizDate.h"
#include "WizList.h"
#include "WizRun.h"

#include "AppPaths.h"
#include "TextFiles.h"

#include <QDir>
#include <iterator>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

WizOp Out(const QString &s) { return MakeWizOp(OpOutPut, {0, 0}, {s}); }
WizOp OutVar(const QString &letter, qint16 idx) { return MakeWizOp(OpOutPut, {1, idx}, {letter}); }
WizOp Decl(qint16 i, qint16 s, qint16 b) { return MakeWizOp(OpHensuSettei, {i, s, b}); }
WizOp SetInt(qint16 idx, qint16 v) { return MakeWizOp(OpDainyu, {HensuInt, 0, idx, v}); }
WizOp IfInt(qint16 var, qint16 cmp, qint16 constant) { return MakeWizOp(OpBunki, {HensuInt, 1, var, cmp, 0, constant}, {QString(), QString()}); }
WizOp IfConst(bool value) { return MakeWizOp(OpBunki, {HensuInt, 0, 1, 0, 0, qint16(value ? 1 : 2)}, {QString(), QString()}); }
WizOp Sisoku(qint16 op, qint16 target, qint16 left, qint16 right) { return MakeWizOp(OpSisoku, {op, target, 0, left, 0, right}); }
WizOp AddVar(qint16 target, qint16 var, qint16 constant) { return MakeWizOp(OpSisoku, {0, target, 1, var, 0, constant}); }
WizOp UntilInt(qint16 var, qint16 cmp, qint16 constant) { return MakeWizOp(OpLoopEnd, {HensuInt, 1, var, cmp, 0, constant}, {QString(), QString()}); }
WizOp Op(qint16 code) { return MakeWizOp(code); }

WizProgram Prog(const QVector<WizOp> &ops)
{
    WizProgram p;
    p.ops = ops;
    return p;
}

QString Run(const QVector<WizOp> &ops, const QString &sel = QString())
{
    WizVariables vars;
    return RunWizPrg(Prog(ops), vars, nullptr, sel).text;
}

} // namespace

class TestWizRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void outputStatements();
    void branches();
    void nestedBranchInsideFalseBranch();
    void strayBranchAndLoopEndsDoNothing();
    void loopsTestAtTheEnd();
    void nestedLoops();
    void arithmetic();
    void assignmentsAndConditions();
    void missingVariablesDoNothing();
    void declarationKeepsOrRecreatesTables();
    void variablesPersistBetweenRuns();
    void inputWindowsAndCancel();
    void stepLimitStopsEndlessLoop();
    void stepLimitCountsPassedOverStatements();
    void hugeDeclarationsCountAsSteps();
    void outputLimitStopsRunawayOutput();
    void randomTablesEndCleanly();
    void slotValues();
    void scriptFileRunsOnlyWhenLoaded();
};

void TestWizRun::outputStatements()
{
    QCOMPARE(Run({Decl(0, 0, 0), Out(u"<b>"_s), Op(OpSentakuOut), Out(u"</b>"_s), Op(OpWizEnd)}, u"abc"_s),
             u"<b>abc</b>"_s);
    QCOMPARE(Run({MakeWizOp(OpTokusyu, {0}), MakeWizOp(OpTokusyu, {1}), MakeWizOp(OpTokusyu, {2}),
                  MakeWizOp(OpTokusyu, {3}), MakeWizOp(OpTokusyu, {-1}), Op(OpKaigyou)}),
             u",\" \r\n"_s);
    // Statements after the end are not run; running off the end ends too.
    QCOMPARE(Run({Out(u"a"_s), Op(OpWizEnd), Out(u"b"_s)}), u"a"_s);
    QCOMPARE(Run({Out(u"a"_s), Out(u"b"_s)}), u"ab"_s);
    QCOMPARE(Run({}), QString());
    // Variable output: texts, integers with sign, Booleans as True/False,
    // an unknown letter as nothing.
    QCOMPARE(Run({Decl(0, 0, 1), MakeWizOp(OpDainyu, {HensuStr, 0, 0, 0}, {u"文"_s}), SetInt(0, -42),
                  MakeWizOp(OpDainyu, {HensuBool, 0, 1, 1}), OutVar(u"S"_s, 0), OutVar(u"I"_s, 0),
                  OutVar(u"B"_s, 0), OutVar(u"B"_s, 1), OutVar(u"X"_s, 0), OutVar(u"s"_s, 0)}),
             u"文-42FalseTrue"_s);
}

void TestWizRun::branches()
{
    const auto program = [](bool cond) {
        return QVector<WizOp>{IfConst(cond), Out(u"A"_s), Op(OpTigaeba), Out(u"B"_s), Op(OpBunkiEnd), Out(u"C"_s)};
    };
    QCOMPARE(Run(program(false)), u"BC"_s);
    QCOMPARE(Run(program(true)), u"AC"_s);
    // Comparison codes with the first operand on the left.
    const struct { qint16 cmp; qint16 a; qint16 b; bool result; } rows[] = {
        {0, 3, 3, true}, {0, 3, 4, false}, {1, 3, 4, true}, {1, 4, 3, false}, {2, 4, 3, true},
        {2, 3, 4, false}, {3, 3, 3, true}, {3, 4, 3, false}, {4, 3, 3, true}, {4, 2, 3, false},
        {5, 2, 3, true}, {5, 3, 3, false}, {6, 3, 3, false}, {-1, 3, 3, false},
    };
    for (const auto &r : rows) {
        const QString got = Run({Decl(0, 0, 0), SetInt(0, r.a), IfInt(0, r.cmp, r.b), Out(u"T"_s), Op(OpBunkiEnd)});
        QVERIFY2(got == (r.result ? u"T"_s : QString()), qPrintable(u"cmp %1"_s.arg(r.cmp)));
    }
}

void TestWizRun::nestedBranchInsideFalseBranch()
{
    const QVector<WizOp> ops{
        IfConst(false),
        IfConst(true), Out(u"inner-then"_s), Op(OpTigaeba), Out(u"inner-else"_s), Op(OpBunkiEnd),
        Op(OpTigaeba),
        Out(u"outer-else"_s),
        IfConst(false), Out(u"x"_s), Op(OpTigaeba), Out(u"y"_s), Op(OpBunkiEnd),
        Op(OpBunkiEnd),
        Out(u"!"_s),
    };
    QCOMPARE(Run(ops), u"outer-elsey!"_s);
}

void TestWizRun::strayBranchAndLoopEndsDoNothing()
{
    QCOMPARE(Run({Op(OpTigaeba), Op(OpBunkiEnd), UntilInt(0, 0, 0), Out(u"ok"_s)}), u"ok"_s);
    // An extra end closes the branch, the next one finds the stack empty.
    QCOMPARE(Run({IfConst(false), Out(u"no"_s), Op(OpBunkiEnd), Op(OpBunkiEnd), Out(u"yes"_s)}), u"yes"_s);
}

void TestWizRun::loopsTestAtTheEnd()
{
    const auto program = [](qint16 start) {
        return QVector<WizOp>{Decl(0, 0, 0), SetInt(0, start), Op(OpLoopStart), Out(u"X"_s), AddVar(0, 0, 1),
                              UntilInt(0, 4, 3), Out(u"."_s)};
    };
    QCOMPARE(Run(program(0)), u"XXX."_s);
    QCOMPARE(Run(program(5)), u"X."_s);
    // A loop inside a skipped region does not run.
    QCOMPARE(Run({Decl(0, 0, 0), IfConst(false), Op(OpLoopStart), Out(u"X"_s), UntilInt(0, 5, 0),
                  Op(OpBunkiEnd), Out(u"done"_s)}),
             u"done"_s);
}

void TestWizRun::nestedLoops()
{
    const QVector<WizOp> ops{
        Decl(1, 0, 0), SetInt(0, 0), Op(OpLoopStart), SetInt(1, 0), Op(OpLoopStart), OutVar(u"I"_s, 0),
        OutVar(u"I"_s, 1), Out(u" "_s), AddVar(1, 1, 1), UntilInt(1, 4, 3), AddVar(0, 0, 1), UntilInt(0, 4, 2),
    };
    QCOMPARE(Run(ops), u"00 01 02 10 11 12 "_s);
}

void TestWizRun::arithmetic()
{
    QCOMPARE(WizSisoku(0, 32767, 1), std::nullopt);
    QCOMPARE(WizSisoku(1, -32768, 1), std::nullopt);
    QCOMPARE(WizSisoku(2, 200, 200), std::nullopt);
    QCOMPARE(WizSisoku(0, 32766, 1), std::optional<qint16>(32767));
    QCOMPARE(WizSisoku(2, -181, 181), std::optional<qint16>(-32761));
    QCOMPARE(WizSisoku(3, 7, 2), std::optional<qint16>(4));
    QCOMPARE(WizSisoku(3, 5, 2), std::optional<qint16>(2));
    QCOMPARE(WizSisoku(3, -5, 2), std::optional<qint16>(-2));
    QCOMPARE(WizSisoku(3, -7, 2), std::optional<qint16>(-4));
    QCOMPARE(WizSisoku(3, 7, -2), std::optional<qint16>(-4));
    QCOMPARE(WizSisoku(3, 10, 3), std::optional<qint16>(3));
    QCOMPARE(WizSisoku(3, 11, 3), std::optional<qint16>(4));
    QCOMPARE(WizSisoku(3, 9, 0), std::nullopt);
    QCOMPARE(WizSisoku(3, -32768, -1), std::nullopt);
    QCOMPARE(WizSisoku(4, 1, 1), std::nullopt);

    // In a script: overflow, division by zero and unknown operators leave the
    // target as it was.
    QCOMPARE(Run({Decl(0, 0, 0), SetInt(0, 9), Sisoku(0, 0, 32767, 1), OutVar(u"I"_s, 0), Out(u" "_s),
                  Sisoku(3, 0, 7, 2), OutVar(u"I"_s, 0), Out(u" "_s), Sisoku(3, 0, 9, 0), OutVar(u"I"_s, 0),
                  Sisoku(7, 0, 1, 1), OutVar(u"I"_s, 0), Sisoku(1, 0, 3, 10), Out(u" "_s), OutVar(u"I"_s, 0)}),
             u"9 4 44 -7"_s);
    // Right operand from a variable.
    QCOMPARE(Run({Decl(1, 0, 0), SetInt(1, 6), MakeWizOp(OpSisoku, {2, 0, 1, 1, 1, 1}), OutVar(u"I"_s, 0)}),
             u"36"_s);
}

void TestWizRun::assignmentsAndConditions()
{
    // Text conditions always test equality, whatever the comparison code.
    const auto textIf = [](const QString &a, const QString &b, qint16 cmp) {
        return Run({Decl(0, 1, 0), MakeWizOp(OpDainyu, {HensuStr, 0, 0, 0}, {a}),
                    MakeWizOp(OpBunki, {HensuStr, 1, 0, cmp, 0, 0}, {QString(), b}), Out(u"eq"_s), Op(OpBunkiEnd)});
    };
    QCOMPARE(textIf(u"abc"_s, u"abc"_s, 5), u"eq"_s);
    QCOMPARE(textIf(u"abc"_s, u"abd"_s, 5), QString());
    QCOMPARE(textIf(u"abc"_s, u"ABC"_s, 0), QString());
    // Copy between variables of each type, and Boolean conditions.
    QCOMPARE(Run({Decl(1, 1, 1), MakeWizOp(OpDainyu, {HensuStr, 0, 0, 0}, {u"t"_s}),
                  MakeWizOp(OpDainyu, {HensuStr, 1, 1, 0}), SetInt(0, 8), MakeWizOp(OpDainyu, {HensuInt, 1, 1, 0}),
                  MakeWizOp(OpDainyu, {HensuBool, 0, 0, 1}), MakeWizOp(OpDainyu, {HensuBool, 1, 1, 0}),
                  OutVar(u"S"_s, 1), OutVar(u"I"_s, 1), OutVar(u"B"_s, 1),
                  MakeWizOp(OpBunki, {HensuBool, 1, 0, 9, 1, 1}, {QString(), QString()}), Out(u"same"_s),
                  Op(OpBunkiEnd), MakeWizOp(OpBunki, {HensuBool, 1, 0, 0, 0, 2}, {QString(), QString()}),
                  Out(u"never"_s), Op(OpBunkiEnd), MakeWizOp(OpDainyu, {7, 0, 0, 0})}),
             u"t8Truesame"_s);
    // An unknown condition type is false.
    QCOMPARE(Run({MakeWizOp(OpBunki, {3, 0, 0, 0, 0, 0}, {QString(), QString()}), Out(u"no"_s), Op(OpBunkiEnd)}),
             QString());
}

void TestWizRun::missingVariablesDoNothing()
{
    // A condition naming a missing variable counts as false for a branch (its
    // end still closes it) and ends a loop.
    QCOMPARE(Run({Decl(0, 0, 0), IfConst(true), IfInt(5, 0, 0), Out(u"no"_s), Op(OpBunkiEnd), Out(u"yes"_s),
                  Op(OpBunkiEnd)}),
             u"yes"_s);
    QCOMPARE(Run({Decl(0, 0, 0), Op(OpLoopStart), Out(u"once"_s), UntilInt(9, 0, 0)}), u"once"_s);
    QCOMPARE(Run({Decl(0, 0, 0), SetInt(3, 1), MakeWizOp(OpDainyu, {HensuInt, 1, 0, 7}), Sisoku(0, 4, 1, 1),
                  MakeWizOp(OpSisoku, {0, 0, 1, 9, 0, 1}), OutVar(u"I"_s, 2), OutVar(u"S"_s, -1), OutVar(u"I"_s, 0)}),
             u"0"_s);
}

void TestWizRun::declarationKeepsOrRecreatesTables()
{
    WizVariables vars;
    vars.IntHensu = {5};
    vars.StrHensu = {u"keep"_s};
    vars.BoolHensu = {true, true};
    RunWizPrg(Prog({Decl(2, -1, -1)}), vars, nullptr, QString());
    QCOMPARE(vars.IntHensu, (QVector<qint16>{0, 0, 0}));
    QCOMPARE(vars.StrHensu, QStringList{u"keep"_s});
    QCOMPARE(vars.BoolHensu, (QVector<bool>{true, true}));
}

void TestWizRun::variablesPersistBetweenRuns()
{
    WizVariables vars;
    RunWizPrg(Prog({Decl(0, 0, 0), SetInt(0, 77)}), vars, nullptr, QString());
    QCOMPARE(RunWizPrg(Prog({OutVar(u"I"_s, 0)}), vars, nullptr, QString()).text, u"77"_s);
    // The shared table and variables are used by the short form.
    WizPrg() = Prog({Decl(0, 0, 0), SetInt(0, 12)});
    RunWizPrg(QString(), nullptr);
    WizPrg() = Prog({OutVar(u"I"_s, 0)});
    QCOMPARE(RunWizPrg(QString(), nullptr).text, u"12"_s);
    QCOMPARE(WizHensu().IntHensu.value(0), qint16(12));
}

void TestWizRun::inputWindowsAndCancel()
{
    const WizOp window = MakeWizOp(OpInputWindow, {1, 0, 2, -1, 0, 0, 0, -1, 1},
                                   {QString(), u"7"_s, u"init"_s, u"True"_s, QString(), u"n"_s, u"s"_s, u"b"_s, QString()});
    const WizProgram p = Prog({Decl(0, 0, 0), Out(u"before "_s), window, OutVar(u"I"_s, 0), OutVar(u"S"_s, 0),
                               OutVar(u"B"_s, 0), Op(OpWizEnd)});
    {
        ScriptedHost host;
        host.answers = {QStringList{u"3.5"_s, u"text"_s, u"False"_s}};
        WizVariables vars;
        const WizRunResult r = RunWizPrg(p, vars, &host, u"sel"_s);
        QCOMPARE(r.status, WizRunStatus::Finished);
        QCOMPARE(r.text, u"before 4textFalse"_s);
        QCOMPARE(host.shownOps, QVector<qint16>{2});
    }
    {
        ScriptedHost host;
        host.answers = {QStringList{QString(), QString(), QString()}};
        WizVariables vars;
        QCOMPARE(RunWizPrg(p, vars, &host, u"sel"_s).text, u"before 7initTrue"_s);
    }
    {
        // Cancel returns the selection, even after output was produced.
        ScriptedHost host;
        host.answers = {std::nullopt};
        WizVariables vars;
        const WizRunResult r = RunWizPrg(p, vars, &host, u"sel"_s);
        QCOMPARE(r.status, WizRunStatus::Cancelled);
        QCOMPARE(r.text, u"sel"_s);
    }
    {
        // Without a host a window counts as cancelled.
        WizVariables vars;
        QCOMPARE(RunWizPrg(p, vars, nullptr, u"sel"_s).status, WizRunStatus::Cancelled);
    }
    {
        // A window inside a skipped branch is not shown.
        ScriptedHost host;
        WizVariables vars;
        QCOMPARE(RunWizPrg(Prog({IfConst(false), window, Op(OpBunkiEnd), Out(u"ok"_s)}), vars, &host, QString()).text,
                 u"ok"_s);
        QVERIFY(host.shownOps.isEmpty());
    }
}

void TestWizRun::stepLimitStopsEndlessLoop()
{
    const WizProgram p = Prog({Decl(0, 0, 0), Out(u"partial"_s), Op(OpLoopStart), Out(u"x"_s), UntilInt(0, 0, 1)});
    WizVariables vars;
    const WizRunResult r = RunWizPrg(p, vars, nullptr, u"keep me"_s, 100000);
    QCOMPARE(r.status, WizRunStatus::Stopped);
    QCOMPARE(r.text, u"keep me"_s);
    QCOMPARE(r.steps, qint64(100000));
    QCOMPARE(WizStoppedMessage(), u"スクリプトが長時間終了しないため、実行を中止しました。"_s);
    QCOMPARE(WizStepLimit, qint64(50'000'000));

    // A run that ends exactly at the limit is not stopped.
    const WizRunResult exact = RunWizPrg(Prog({Out(u"a"_s), Out(u"b"_s)}), vars, nullptr, QString(), 2);
    QCOMPARE(exact.status, WizRunStatus::Finished);
    QCOMPARE(exact.text, u"ab"_s);
    QCOMPARE(RunWizPrg(Prog({Out(u"a"_s), Out(u"b"_s), Out(u"c"_s)}), vars, nullptr, u"s"_s, 2).status,
             WizRunStatus::Stopped);
}

void TestWizRun::stepLimitCountsPassedOverStatements()
{
    // An endless loop whose body is skipped still counts its steps.
    const WizProgram p = Prog({Decl(0, 0, 0), Op(OpLoopStart), IfConst(false), Out(u"x"_s), Op(OpBunkiEnd),
                               UntilInt(0, 0, 1)});
    WizVariables vars;
    QCOMPARE(RunWizPrg(p, vars, nullptr, QString(), 1000).status, WizRunStatus::Stopped);
}

void TestWizRun::hugeDeclarationsCountAsSteps()
{
    WizVariables vars;
    const WizRunResult once = RunWizPrg(Prog({Decl(32767, 32767, 32767), Op(OpWizEnd)}), vars, nullptr, QString());
    QCOMPARE(once.status, WizRunStatus::Finished);
    QCOMPARE(once.steps, qint64(2 + 3 * 32767 / 8));
    QCOMPARE(vars.StrHensu.size(), 32768);

    // Declarations are charged by their size, so a loop of huge ones stops at
    // the same step limit as any other loop instead of running for minutes.
    const WizRunResult r = RunWizPrg(Prog({Decl(0, 0, 0), Op(OpLoopStart), Decl(32767, 32767, 32767), UntilInt(0, 0, 1)}), vars,
                                     nullptr, u"s"_s, 1'000'000);
    QCOMPARE(r.status, WizRunStatus::Stopped);
    QCOMPARE(r.steps, qint64(1'000'000));
}

void TestWizRun::outputLimitStopsRunawayOutput()
{
    const QString big(1024 * 1024, u'x');
    WizVariables vars;
    const WizRunResult r = RunWizPrg(Prog({Decl(0, 0, 0), Op(OpLoopStart), Op(OpSentakuOut), UntilInt(0, 0, 1)}), vars, nullptr, big);
    QCOMPARE(r.status, WizRunStatus::TooLong);
    QCOMPARE(r.text, big);
    QVERIFY(r.steps < 100);
    const WizRunResult lit = RunWizPrg(Prog({Decl(0, 0, 0), MakeWizOp(OpDainyu, {HensuStr, 0, 0, 0}, {big}),
                                             Op(OpLoopStart), OutVar(u"S"_s, 0), UntilInt(0, 0, 1)}),
                                       vars, nullptr, u"sel"_s);
    QCOMPARE(lit.status, WizRunStatus::TooLong);
    QCOMPARE(lit.text, u"sel"_s);

    // Line breaks and special characters count against the limit too: a loop
    // of them stops when the output is too long, long before the step limit.
    for (qint16 code : {qint16(OpKaigyou), qint16(OpTokusyu)}) {
        QVector<WizOp> ops{Decl(0, 0, 0), Op(OpLoopStart)};
        for (int k = 0; k < 4000; ++k)
            ops.append(code == OpTokusyu ? MakeWizOp(OpTokusyu, {2}) : Op(code));
        ops.append(UntilInt(0, 0, 1));
        const WizRunResult run = RunWizPrg(Prog(ops), vars, nullptr, u"sel"_s);
        QCOMPARE(run.status, WizRunStatus::TooLong);
        QCOMPARE(run.text, u"sel"_s);
        QVERIFY(run.steps <= WizOutputLimit + 2 * 4002);
    }

    QCOMPARE(WizRunMessage(WizRunStatus::Stopped), u"スクリプトが長時間終了しないため、実行を中止しました。"_s);
    QCOMPARE(WizRunMessage(WizRunStatus::TooLong), u"スクリプトの出力が大きくなりすぎたため、実行を中止しました。"_s);
    QVERIFY(!WizRunMessage(WizRunStatus::NotLoaded).isEmpty());
    QVERIFY(WizRunMessage(WizRunStatus::Finished).isEmpty());
    QVERIFY(WizRunMessage(WizRunStatus::Cancelled).isEmpty());
}

void TestWizRun::randomTablesEndCleanly()
{
    // Random statement tables with random arguments: every run must end (at
    // the latest by the step limit) without crashing, and a stopped or
    // cancelled run must give back the selection.
    const qint16 codes[] = {-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 10, 42};
    QRandomGenerator rng(20261208);
    int stopped = 0;
    for (int round = 0; round < 3000; ++round) {
        WizProgram p;
        const int n = 1 + int(rng.bounded(40));
        for (int i = 0; i < n; ++i) {
            WizOp op = MakeWizOp(codes[rng.bounded(int(std::size(codes)))]);
            if (op.OpType == 10 || op.OpType == 42) {
                op.IntDat.clear(); // a hand-made statement with no arguments at all
                op.StrDat.clear();
            }
            for (qint16 &v : op.IntDat)
                v = qint16(int(rng.bounded(12)) - 3);
            if (rng.bounded(20) == 0 && !op.IntDat.isEmpty())
                op.IntDat[0] = qint16(rng.bounded(65536) - 32768);
            for (QString &s : op.StrDat)
                s = rng.bounded(2) ? u"S"_s : u"I"_s;
            p.ops.append(op);
        }
        ScriptedHost host;
        for (int k = 0; k < 3; ++k)
            host.answers.append(rng.bounded(4) ? std::optional<QStringList>(QStringList{u"1"_s, u"True"_s, u"x"_s, u"-2"_s})
                                               : std::nullopt);
        WizVariables vars;
        const WizRunResult r = RunWizPrg(p, vars, &host, u"SEL"_s, 5000);
        QVERIFY(r.steps <= 5000);
        if (r.status != WizRunStatus::Finished)
            QCOMPARE(r.text, u"SEL"_s);
        stopped += r.status == WizRunStatus::Stopped;
    }
    QVERIFY(stopped > 0); // some tables loop forever and must have been stopped
}

void TestWizRun::slotValues()
{
    QCOMPARE(ParseWizInt(u"12"_s), std::optional<qint16>(12));
    QCOMPARE(ParseWizInt(u" -7 "_s), std::optional<qint16>(-7));
    QCOMPARE(ParseWizInt(u"+3"_s), std::optional<qint16>(3));
    QCOMPARE(ParseWizInt(u"3.5"_s), std::optional<qint16>(4));
    QCOMPARE(ParseWizInt(u"2.5"_s), std::optional<qint16>(2));
    QCOMPARE(ParseWizInt(u"2.51"_s), std::optional<qint16>(3));
    QCOMPARE(ParseWizInt(u"-2.5"_s), std::optional<qint16>(-2));
    QCOMPARE(ParseWizInt(u".5"_s), std::optional<qint16>(0));
    QCOMPARE(ParseWizInt(u"32767"_s), std::optional<qint16>(32767));
    QCOMPARE(ParseWizInt(u"-32768"_s), std::optional<qint16>(-32768));
    QCOMPARE(ParseWizInt(u"32767.5"_s), std::nullopt);
    QCOMPARE(ParseWizInt(u"32768"_s), std::nullopt);
    QCOMPARE(ParseWizInt(u"99999999999999"_s), std::nullopt);
    QCOMPARE(ParseWizInt(QString()), std::nullopt);
    QCOMPARE(ParseWizInt(u"12a"_s), std::nullopt);
    QCOMPARE(ParseWizInt(u"-"_s), std::nullopt);
    QCOMPARE(ParseWizInt(u"."_s), std::nullopt);

    WizVariables vars;
    vars.IntHensu = {0};
    vars.StrHensu = {QString(), QString()};
    vars.BoolHensu = {false};
    SaveHensu(vars, 5, 1, WizSlotValue{u"logo.gif"_s, 0, false});
    SaveHensu(vars, 1, 0, WizSlotValue{QString(), 9, false});
    SaveHensu(vars, 3, 0, WizSlotValue{QString(), 0, true});
    SaveHensu(vars, 0, -1, WizSlotValue{u"lost"_s, 0, false});
    SaveHensu(vars, 7, 0, WizSlotValue{u"label"_s, 0, false});
    SaveHensu(vars, 1, 4, WizSlotValue{QString(), 9, false});
    QCOMPARE(vars.StrHensu, (QStringList{QString(), u"logo.gif"_s}));
    QCOMPARE(vars.IntHensu, QVector<qint16>{9});
    QCOMPARE(vars.BoolHensu, QVector<bool>{true});
}

void TestWizRun::scriptFileRunsOnlyWhenLoaded()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    SetAppDir(dir.path());
    const QString folder = AppPath(WizFolderUserBasic);
    QVERIFY(QDir().mkpath(folder));
    QString error;
    QVERIFY(WriteCp932File(WizDatePath(folder, 0), u"$WizDate,3,0,0,0,0,1,0,0,<b>,2,1,0,0,</b>\r\n"_s, &error));
    QVERIFY(WriteCp932File(WizDatePath(folder, 1), u"$WizDate,1,0,0,0,0,10\r\n"_s, &error));

    WizRunResult r = RunWizDateFile(WizDatePath(folder, 0), u"x"_s, nullptr);
    QCOMPARE(r.status, WizRunStatus::Finished);
    QCOMPARE(r.text, u"<b>x</b>"_s);
    QCOMPARE(WizPrg().ops.size(), 4);

    // A missing or broken file is not run, and the script loaded before it is
    // not run in its place.
    r = RunWizDateFile(WizDatePath(folder, 1), u"x"_s, nullptr);
    QCOMPARE(r.status, WizRunStatus::NotLoaded);
    QCOMPARE(r.load, WizLoadResult::BadCode);
    QCOMPARE(r.text, u"x"_s);
    r = RunWizDateFile(WizDatePath(folder, 2), u"y"_s, nullptr);
    QCOMPARE(r.status, WizRunStatus::NotLoaded);
    QCOMPARE(r.load, WizLoadResult::CannotOpen);
    QCOMPARE(r.text, u"y"_s);
    QCOMPARE(WizPrg().ops.size(), 4);

    QCOMPARE(WizColourText(255, 0, 0), u"#FF0000"_s);
    QCOMPARE(WizColourText(0x12, 0xab, 0x0c), u"#12AB0C"_s);
    QCOMPARE(WizColourText(0, 0, 0), u"#000000"_s);
}

QTEST_GUILESS_MAIN(TestWizRun)
#include "tst_wizrun.moc"
