#pragma once

#include "WizRun.h"

#include <QStringList>
#include <QVector>

#include <optional>

// A wizard host that answers input windows from a script instead of a user:
// one entry per window, std::nullopt to cancel it, otherwise the four slot
// texts (a null QString keeps the slot's initial value). Values are stored as
// the window stores them: integers parsed, "True" checks a box or option,
// file-name slotTexts take the given output file name.
class ScriptedHost : public WizardHost
{
public:
    QVector<std::optional<QStringList>> answers;
    QVector<qint16> shownOps; // WizNowOp of every window shown

    bool showInputWindow(const WizProgram &program, qint16 WizNowOp, WizVariables &vars) override
    {
        const int n = shownOps.size();
        shownOps.append(WizNowOp);
        if (n >= answers.size() || !answers.at(n))
            return false;
        const WizOp &op = program.ops.at(WizNowOp);
        const QStringList &slotTexts = *answers.at(n);
        for (int k = 0; k < 4; ++k) {
            QString text = k < slotTexts.size() ? slotTexts.at(k) : QString();
            if (text.isNull())
                text = op.S(1 + k);
            WizSlotValue value;
            value.text = text;
            value.number = ParseWizInt(text).value_or(0);
            value.checked = text == QStringLiteral("True");
            SaveHensu(vars, op.I(k), op.I(4 + k), value);
        }
        return true;
    }
};
