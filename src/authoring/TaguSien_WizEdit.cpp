#include "TaguSien_WizEdit.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QString Num(int n)
{
    return QString::number(n);
}

QString TypeName(qint16 t)
{
    switch (t) {
    case HensuStr:
        return u"文字列変数"_s;
    case HensuInt:
        return u"整数型変数"_s;
    case HensuBool:
        return u"真偽型変数"_s;
    default:
        return QString();
    }
}

// A variable as the editor names it: type name and its number from 1.
QString Var(qint16 t, qint16 v)
{
    return TypeName(t) + u'(' + Num(v + 1) + u')';
}

QString Quoted(const QString &s)
{
    return u'"' + s + u'"';
}

QString TrueFalse(qint16 v)
{
    return v == 1 ? u"True"_s : u"False"_s;
}

QString Comparison(qint16 c)
{
    switch (c) {
    case 0:
        return u"="_s;
    case 1:
        return u"<"_s;
    case 2:
        return u">"_s;
    case 3:
        return u"<="_s;
    case 4:
        return u"=>"_s;
    case 5:
        return u"<>"_s;
    default:
        return QString();
    }
}

// One operand of a condition: a variable, or the constant of the type.
QString Operand(const WizOp &op, qint16 t, int sourceField, int valueField, int textField)
{
    if (op.I(sourceField) != 0)
        return Var(t, op.I(valueField));
    switch (t) {
    case HensuBool:
        return TrueFalse(op.I(valueField));
    case HensuInt:
        return Num(op.I(valueField));
    case HensuStr:
        return Quoted(op.S(textField));
    default:
        return QString();
    }
}

QString Condition(const WizOp &op)
{
    const qint16 t = op.I(0);
    return Operand(op, t, 1, 2, 0) + Comparison(op.I(3)) + Operand(op, t, 4, 5, 1);
}

QString Output(const WizOp &op)
{
    if (op.I(0) != 1)
        return Quoted(op.S(0));
    const QString letter = op.S(0);
    if (letter == u"S")
        return Var(HensuStr, op.I(1));
    if (letter == u"I")
        return Var(HensuInt, op.I(1));
    if (letter == u"B")
        return Var(HensuBool, op.I(1));
    return QString();
}

QString Assignment(const WizOp &op)
{
    const qint16 t = op.I(0);
    if (op.I(1) != 0)
        return TypeName(t).isEmpty() ? QString() : Var(t, op.I(2)) + u'=' + Var(t, op.I(3));
    switch (t) {
    case HensuBool:
        return Var(t, op.I(2)) + u'=' + TrueFalse(op.I(3));
    case HensuInt:
        return Var(t, op.I(2)) + u'=' + Num(op.I(3));
    case HensuStr:
        return Var(t, op.I(2)) + u'=' + Quoted(op.S(0));
    default:
        return QString();
    }
}

QString Sisoku(const WizOp &op)
{
    static const QString ops[] = {u"+"_s, u"-"_s, u"*"_s, u"/"_s};
    const QString left = op.I(2) == 1 ? Var(HensuInt, op.I(3)) : Num(op.I(3));
    const QString right = op.I(4) == 1 ? Var(HensuInt, op.I(5)) : Num(op.I(5));
    const qint16 o = op.I(0);
    return u"■整数型変数("_s + Num(op.I(1) + 1) + u")="_s + left + (o >= 0 && o <= 3 ? ops[o] : QString()) + right;
}

QString Tokusyu(qint16 kind)
{
    switch (kind) {
    case 0:
        return u"「,」カンマ"_s;
    case 1:
        return u"「\"」ダブルクォーテーション"_s;
    case 2:
        return u"「 」半角スペース"_s;
    default:
        return QString();
    }
}

} // namespace

QString WizOpText(const WizOp &op)
{
    switch (op.OpType) {
    case OpWizEnd:
        return u"◎終了"_s;
    case OpHensuSettei:
        return u"◎タグ挿入スクリプト　（変数・・・整数型："_s + Num(op.I(0) + 1) + u"　文字列型："_s + Num(op.I(1) + 1)
               + u"　真偽型："_s + Num(op.I(2) + 1) + u"）"_s;
    case OpOutPut:
        return u"■出力　"_s + Output(op);
    case OpSentakuOut:
        return u"■選択文字列の出力"_s;
    case OpDainyu:
        return u"■"_s + Assignment(op);
    case OpSisoku:
        return Sisoku(op);
    case OpBunki:
        return u"◇もし　"_s + Condition(op) + u"　ならば"_s;
    case OpTigaeba:
        return u"◇違えば"_s;
    case OpBunkiEnd:
        return u"◇分岐終了"_s;
    case OpLoopStart:
        return u"△ループ開始"_s;
    case OpLoopEnd:
        return u"△ループ終了　"_s + Condition(op);
    case OpKaigyou:
        return u"■改行の出力"_s;
    case OpInputWindow:
        return u"★入力ウィンドウ　"_s + op.S(0);
    case OpTokusyu:
        return u"■特殊文字列の出力　"_s + Tokusyu(op.I(0));
    default:
        return QString();
    }
}

QString WizOpText(qint16 index)
{
    const WizProgram &p = WizPrg();
    if (index < 0 || index >= p.ops.size())
        return QString();
    return WizOpText(p.ops.at(index));
}

QStringList ShowScLines(const WizProgram &program)
{
    QStringList lines;
    const QString step = u"　　"_s;
    qint16 level = 0;
    const int n = program.ops.size();
    for (int i = 0; i < n; ++i) {
        if (i > 0) {
            const qint16 prev = program.ops.at(i - 1).OpType;
            if (prev == OpBunki || prev == OpTigaeba || prev == OpLoopStart)
                ++level;
        }
        lines.append((level > 0 ? step.repeated(level) : QString()) + WizOpText(program.ops.at(i)));
        if (i < n - 1) {
            const qint16 next = program.ops.at(i + 1).OpType;
            if (next == OpTigaeba || next == OpBunkiEnd || next == OpLoopEnd)
                --level;
        }
    }
    return lines;
}

QVector<WizNestProblem> CheckWizNesting(const WizProgram &program)
{
    struct Open
    {
        qint16 code; // OpBunki or OpLoopStart
        qint16 line;
        bool hasElse;
    };
    QVector<Open> stack;
    QVector<WizNestProblem> problems;
    const auto findOpen = [&stack](qint16 code) {
        for (int j = stack.size() - 1; j >= 0; --j)
            if (stack.at(j).code == code)
                return j;
        return -1;
    };

    for (int i = 0; i < program.ops.size(); ++i) {
        const qint16 line = qint16(i);
        switch (program.ops.at(i).OpType) {
        case OpBunki:
            stack.append({OpBunki, line, false});
            break;
        case OpLoopStart:
            stack.append({OpLoopStart, line, false});
            break;
        case OpTigaeba: {
            const int j = findOpen(OpBunki);
            if (j < 0)
                problems.append({line, u"「違えば」に対応する「もし～ならば」がありません。"_s});
            else if (j != stack.size() - 1)
                problems.append({line, u"「違えば」の前に「ループ終了」が必要です（ループが分岐の途中で閉じていません）。"_s});
            else if (stack.at(j).hasElse)
                problems.append({line, u"一つの「もし～ならば」に「違えば」が二つあります。"_s});
            else
                stack[j].hasElse = true;
            break;
        }
        case OpBunkiEnd: {
            const int j = findOpen(OpBunki);
            if (j < 0) {
                problems.append({line, u"「条件分岐終了」に対応する「もし～ならば」がありません。"_s});
                break;
            }
            if (j != stack.size() - 1)
                problems.append({line, u"「条件分岐終了」の前に「ループ終了」が必要です（分岐とループが交差しています）。"_s});
            stack.resize(j);
            break;
        }
        case OpLoopEnd: {
            const int j = findOpen(OpLoopStart);
            if (j < 0) {
                problems.append({line, u"「ループ終了」に対応する「ループ開始」がありません。"_s});
                break;
            }
            if (j != stack.size() - 1)
                problems.append({line, u"「ループ終了」の前に「条件分岐終了」が必要です（分岐とループが交差しています）。"_s});
            stack.resize(j);
            break;
        }
        default:
            break;
        }
    }
    for (const Open &o : std::as_const(stack))
        problems.append({o.line, o.code == OpBunki ? u"この「もし～ならば」は「条件分岐終了」で閉じられていません。"_s
                                                   : u"この「ループ開始」は「ループ終了」で閉じられていません。"_s});
    std::stable_sort(problems.begin(), problems.end(),
              [](const WizNestProblem &a, const WizNestProblem &b) { return a.line < b.line; });
    return problems;
}

std::optional<WizOp> &WizClip()
{
    static std::optional<WizOp> clip;
    return clip;
}
