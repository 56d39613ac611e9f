#pragma once

#include "WizStatementDialog.h"

class QComboBox;

// "特殊文字列の出力": the statement that outputs a comma, a double quote or a
// half-width space, the characters a text constant cannot carry.
class TaguSien_AddTokusyu : public WizStatementDialog
{
    Q_OBJECT

public:
    TaguSien_AddTokusyu(WizProgram &program, bool WizEditNew, qint16 WizEditIndex, QWidget *parent = nullptr);

    WizOp buildOp() const override;

private:
    QComboBox *m_Combo1 = nullptr;
};
