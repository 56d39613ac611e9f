#include "WizRun.h"

#include <cstdlib>

using namespace Qt::StringLiterals;

WizVariables &WizHensu()
{
    static WizVariables vars;
    return vars;
}

QString WizStoppedMessage()
{
    return u"スクリプトが長時間終了しないため、実行を中止しました。"_s;
}

QString WizTooLongMessage()
{
    return u"スクリプトの出力が大きくなりすぎたため、実行を中止しました。"_s;
}

QString WizRunMessage(WizRunStatus status)
{
    switch (status) {
    case WizRunStatus::Stopped: return WizStoppedMessage();
    case WizRunStatus::TooLong: return WizTooLongMessage();
    case WizRunStatus::NotLoaded: return u"タグ挿入支援データを読み込めませんでした。"_s;
    default: return QString();
    }
}

namespace {

template<typename Table>
bool InTable(const Table &table, qint16 index)
{
    return index >= 0 && index < table.size();
}

// Re-creates a variable table with upper index max; a negative max keeps it.
template<typename Table, typename Value>
void Redim(Table &table, qint16 max, const Value &value)
{
    if (max < 0)
        return;
    table.clear();
    table.reserve(max + 1);
    for (int k = 0; k <= max; ++k)
        table.append(value);
}

bool CompareInt(qint16 code, qint16 first, qint16 second)
{
    switch (code) {
    case 0: return first == second;
    case 1: return first < second;
    case 2: return first > second;
    case 3: return first <= second;
    case 4: return first >= second;
    case 5: return first != second;
    default: return false;
    }
}

void DoDainyu(const WizOp &op, WizVariables &vars)
{
    const bool fromVar = op.I(1) != 0;
    const qint16 target = op.I(2);
    const qint16 source = op.I(3);
    switch (op.I(0)) {
    case HensuStr:
        if (!InTable(vars.StrHensu, target) || (fromVar && !InTable(vars.StrHensu, source)))
            return;
        vars.StrHensu[target] = fromVar ? vars.StrHensu.at(source) : op.S(0);
        return;
    case HensuInt:
        if (!InTable(vars.IntHensu, target) || (fromVar && !InTable(vars.IntHensu, source)))
            return;
        vars.IntHensu[target] = fromVar ? vars.IntHensu.at(source) : source;
        return;
    case HensuBool:
        if (!InTable(vars.BoolHensu, target) || (fromVar && !InTable(vars.BoolHensu, source)))
            return;
        vars.BoolHensu[target] = fromVar ? vars.BoolHensu.at(source) : source == 1;
        return;
    default:
        return;
    }
}

void DoSisoku(const WizOp &op, WizVariables &vars)
{
    const qint16 target = op.I(1);
    if (!InTable(vars.IntHensu, target))
        return;
    qint16 left = op.I(3);
    if (op.I(2) == 1) {
        if (!InTable(vars.IntHensu, left))
            return;
        left = vars.IntHensu.at(left);
    }
    qint16 right = op.I(5);
    if (op.I(4) == 1) {
        if (!InTable(vars.IntHensu, right))
            return;
        right = vars.IntHensu.at(right);
    }
    if (const std::optional<qint16> v = WizSisoku(op.I(0), left, right))
        vars.IntHensu[target] = *v;
}

void DoOutPut(const WizOp &op, const WizVariables &vars, QString &out)
{
    if (op.I(0) != 1) {
        if (!op.StrDat.isEmpty())
            out += op.StrDat.at(0);
        return;
    }
    const qint16 index = op.I(1);
    const QString letter = op.S(0);
    if (letter == u"S"_s) {
        if (InTable(vars.StrHensu, index))
            out += vars.StrHensu.at(index);
    } else if (letter == u"I"_s) {
        if (InTable(vars.IntHensu, index))
            out += QString::number(vars.IntHensu.at(index));
    } else if (letter == u"B"_s) {
        if (InTable(vars.BoolHensu, index))
            out += vars.BoolHensu.at(index) ? u"True"_s : u"False"_s;
    }
}

void DoTokusyu(const WizOp &op, QString &out)
{
    switch (op.I(0)) {
    case 0: out += u','; break;
    case 1: out += u'"'; break;
    case 2: out += u' '; break;
    default: break;
    }
}

} // namespace

std::optional<qint16> WizSisoku(qint16 op, qint16 left, qint16 right)
{
    int v = 0;
    switch (op) {
    case 0: v = left + right; break;
    case 1: v = left - right; break;
    case 2: v = left * right; break;
    case 3: {
        if (right == 0)
            return std::nullopt;
        // Exact integer division rounded to nearest, ties to even (7/2 = 4,
        // 5/2 = 2, -5/2 = -2), without floating-point surprises.
        int q = left / right;
        const int twiceRem = 2 * std::abs(left % right);
        const int absRight = std::abs(int(right));
        if (twiceRem > absRight || (twiceRem == absRight && (q % 2) != 0))
            q += ((left < 0) != (right < 0)) ? -1 : 1;
        v = q;
        break;
    }
    default:
        return std::nullopt;
    }
    if (v < -32768 || v > 32767)
        return std::nullopt;
    return qint16(v);
}

std::optional<bool> CheckBunki(const WizOp &op, const WizVariables &vars)
{
    const bool firstVar = op.I(1) != 0;
    const bool secondVar = op.I(4) != 0;
    const qint16 a = op.I(2);
    const qint16 b = op.I(5);
    switch (op.I(0)) {
    case HensuInt: {
        if ((firstVar && !InTable(vars.IntHensu, a)) || (secondVar && !InTable(vars.IntHensu, b)))
            return std::nullopt;
        const qint16 first = firstVar ? vars.IntHensu.at(a) : a;
        const qint16 second = secondVar ? vars.IntHensu.at(b) : b;
        return CompareInt(op.I(3), first, second);
    }
    case HensuStr: {
        if ((firstVar && !InTable(vars.StrHensu, a)) || (secondVar && !InTable(vars.StrHensu, b)))
            return std::nullopt;
        const QString first = firstVar ? vars.StrHensu.at(a) : op.S(0);
        const QString second = secondVar ? vars.StrHensu.at(b) : op.S(1);
        return first == second;
    }
    case HensuBool: {
        if ((firstVar && !InTable(vars.BoolHensu, a)) || (secondVar && !InTable(vars.BoolHensu, b)))
            return std::nullopt;
        const bool first = firstVar ? vars.BoolHensu.at(a) : a == 1;
        const bool second = secondVar ? vars.BoolHensu.at(b) : b == 1;
        return first == second;
    }
    default:
        return false;
    }
}

WizRunResult RunWizPrg(const WizProgram &program, WizVariables &vars, WizardHost *host,
                       const QString &selected, qint64 stepLimit)
{
    WizRunResult result;
    const qsizetype count = program.ops.size();
    const WizOp *ops = program.ops.constData();

    // Open branches: their conditions, plus how many of them are false, so the
    // skip test ("is any open branch false?") costs nothing per statement.
    QVector<bool> bunkiStack;
    int bunkiFalse = 0;
    // Open loops: the indices of their start statements.
    QVector<int> loopStack;
    QString out;

    qint64 steps = 0;
    // Ends the run without output: the selection stays as it was.
    const auto Stop = [&](WizRunStatus status) {
        result.status = status;
        result.text = selected;
        result.steps = steps;
        return result;
    };
    for (qsizetype pc = 0; pc < count; ++pc) {
        if (steps >= stepLimit)
            return Stop(WizRunStatus::Stopped);
        ++steps;
        const WizOp &op = ops[pc];
        const qint16 code = op.OpType;
        // While any open branch is false only the branch statements run.
        if (bunkiFalse > 0 && code != OpBunki && code != OpTigaeba && code != OpBunkiEnd)
            continue;

        switch (code) {
        case OpHensuSettei:
            steps = qMin(stepLimit, steps + (qMax(op.I(0), qint16(0)) + qMax(op.I(1), qint16(0))
                                             + qMax(op.I(2), qint16(0))) / 8);
            Redim(vars.IntHensu, op.I(0), qint16(0));
            Redim(vars.StrHensu, op.I(1), QString());
            Redim(vars.BoolHensu, op.I(2), false);
            break;
        case OpOutPut:
            DoOutPut(op, vars, out);
            if (out.size() > WizOutputLimit)
                return Stop(WizRunStatus::TooLong);
            break;
        case OpSentakuOut:
            out += selected;
            if (out.size() > WizOutputLimit)
                return Stop(WizRunStatus::TooLong);
            break;
        case OpDainyu:
            DoDainyu(op, vars);
            break;
        case OpSisoku:
            DoSisoku(op, vars);
            break;
        case OpBunki: {
            // A condition that names a missing variable counts as false, which
            // keeps the branch stack balanced with its end statement.
            const bool value = CheckBunki(op, vars).value_or(false);
            bunkiStack.append(value);
            if (!value)
                ++bunkiFalse;
            break;
        }
        case OpTigaeba:
            if (!bunkiStack.isEmpty()) {
                bool &top = bunkiStack.last();
                top = !top;
                bunkiFalse += top ? -1 : 1;
            }
            break;
        case OpBunkiEnd:
            if (!bunkiStack.isEmpty()) {
                if (!bunkiStack.last())
                    --bunkiFalse;
                bunkiStack.removeLast();
            }
            break;
        case OpLoopStart:
            loopStack.append(int(pc));
            break;
        case OpLoopEnd:
            if (!loopStack.isEmpty()) {
                // The condition is an exit condition tested at the end; one that
                // cannot be evaluated ends the loop rather than spinning forever.
                if (CheckBunki(op, vars).value_or(true))
                    loopStack.removeLast();
                else
                    pc = loopStack.last(); // the loop advances to the statement after its start
            }
            break;
        case OpKaigyou:
            out += u"\r\n"_s;
            if (out.size() > WizOutputLimit)
                return Stop(WizRunStatus::TooLong);
            break;
        case OpInputWindow:
            if (!host || !host->showInputWindow(program, qint16(pc), vars))
                return Stop(WizRunStatus::Cancelled);
            break;
        case OpTokusyu:
            DoTokusyu(op, out);
            if (out.size() > WizOutputLimit)
                return Stop(WizRunStatus::TooLong);
            break;
        case OpWizEnd:
            result.text = out;
            result.steps = steps;
            return result;
        default:
            break;
        }
    }
    result.text = out;
    result.steps = steps;
    return result;
}

WizRunResult RunWizPrg(const QString &selected, WizardHost *host, qint64 stepLimit)
{
    return RunWizPrg(WizPrg(), WizHensu(), host, selected, stepLimit);
}

WizRunResult RunWizDateFile(const QString &path, const QString &selected, WizardHost *host, qint64 stepLimit)
{
    const WizLoadResult load = LoadWizDate(path);
    if (load != WizLoadResult::Loaded) {
        WizRunResult result;
        result.status = WizRunStatus::NotLoaded;
        result.text = selected;
        result.load = load;
        return result;
    }
    return RunWizPrg(selected, host, stepLimit);
}

QString WizColourText(int red, int green, int blue)
{
    const auto hex2 = [](int v) { return QString::number(qBound(0, v, 255), 16).rightJustified(2, u'0').toUpper(); };
    return u"#"_s + hex2(red) + hex2(green) + hex2(blue);
}

std::optional<qint16> ParseWizInt(const QString &text)
{
    const QStringView t = QStringView(text).trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t.at(i) == u'+' || t.at(i) == u'-')) {
        negative = t.at(i) == u'-';
        ++i;
    }
    const auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    qint64 value = 0;
    qsizetype intDigits = 0;
    for (; i < t.size() && isDigit(t.at(i)); ++i, ++intDigits) {
        value = value * 10 + (t.at(i).unicode() - u'0');
        if (value > 100000)
            return std::nullopt;
    }
    qsizetype fracDigits = 0;
    QStringView frac;
    if (i < t.size() && t.at(i) == u'.') {
        const qsizetype start = ++i;
        for (; i < t.size() && isDigit(t.at(i)); ++i)
            ++fracDigits;
        frac = t.mid(start, fracDigits);
    }
    if (i != t.size() || (intDigits == 0 && fracDigits == 0))
        return std::nullopt;
    if (!frac.isEmpty()) {
        // Round half to even on the exact decimal digits.
        const QChar first = frac.at(0);
        bool restNonZero = false;
        for (qsizetype k = 1; k < frac.size(); ++k)
            restNonZero = restNonZero || frac.at(k) != u'0';
        if (first > u'5' || (first == u'5' && (restNonZero || value % 2 != 0)))
            ++value;
    }
    if (negative)
        value = -value;
    if (value < -32768 || value > 32767)
        return std::nullopt;
    return qint16(value);
}

void SaveHensu(WizVariables &vars, qint16 kind, qint16 target, const WizSlotValue &value)
{
    switch (kind) {
    case 0:
    case 4:
    case 5:
    case 6:
    case 8:
        if (InTable(vars.StrHensu, target))
            vars.StrHensu[target] = value.text;
        break;
    case 1:
        if (InTable(vars.IntHensu, target))
            vars.IntHensu[target] = value.number;
        break;
    case 2:
    case 3:
        if (InTable(vars.BoolHensu, target))
            vars.BoolHensu[target] = value.checked;
        break;
    default:
        break;
    }
}
