#include "WizTextCheck.h"

#include "Cp932.h"
#include "WizDate.h"

#include <QStringList>

QString WizTextProblem(const QString &text)
{
    QStringList found;
    if (text.contains(u','))
        found.append(QStringLiteral("「,」（カンマ）"));
    if (text.contains(u'\r') || text.contains(u'\n'))
        found.append(QStringLiteral("改行"));
    if (text.startsWith(u' ') || text.startsWith(u'\t'))
        found.append(QStringLiteral("先頭の空白"));
    if (text.startsWith(u'"'))
        found.append(QStringLiteral("先頭の「\"」（ダブルクォーテーション）"));

    // Characters without a code would be refused by the writer later; name
    // them now, each once.
    QString noCode;
    QStringView rest(text);
    qsizetype bad = -1;
    while (!rest.isEmpty() && !Cp932::canEncode(rest, &bad)) {
        const qsizetype len = rest.at(bad).isHighSurrogate() && bad + 1 < rest.size() ? 2 : 1;
        const QString ch = rest.mid(bad, len).toString();
        if (!noCode.contains(ch) && ch != u"\r" && ch != u"\n")
            noCode += ch;
        rest = rest.mid(bad + len);
    }
    if (!noCode.isEmpty())
        found.append(QStringLiteral("「") + noCode + QStringLiteral("」（保存できない文字）"));
    return found.join(QStringLiteral("、"));
}

QString WizTextRefusal(const QString &what, const QString &text)
{
    const QString problem = WizTextProblem(text);
    if (problem.isEmpty())
        return QString();
    return what + QStringLiteral("に次の文字は使えません：") + problem
           + QStringLiteral("\r\nカンマ・ダブルクォーテーション・空白・改行は「特殊文字列の出力」や「改行の出力」で出力してください。");
}

QString WizNameRefusal(const QString &what, const QString &text)
{
    const QString problem = WizTextProblem(text);
    if (problem.isEmpty())
        return QString();
    return what + QStringLiteral("に次の文字は使えません：") + problem
           + QStringLiteral("\r\nスクリプトの名前と説明はこれらの文字を含むと保存できないため、名前と説明には使えません。"
                            "別の文字に変えてください。");
}

QString WizOpRefusal(const WizOp &op)
{
    // The variable letter of an output statement is a text field too, but it
    // is always one of S, I, B.
    for (const QString &s : op.StrDat) {
        const QString why = WizTextRefusal(QStringLiteral("文字列"), s);
        if (!why.isEmpty())
            return why;
    }
    return QString();
}
