#pragma once

#include "WizStatementDialog.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

// The statement dialogs of the simpler statements: the variable declaration,
// the output, the assignment and the arithmetic.

// "変数の設定": the counts of the script's integer, text and Boolean
// variables (statement 0). It changes the declaration in place.
class TaguSien_AddHensuSettei : public WizStatementDialog
{
    Q_OBJECT

public:
    TaguSien_AddHensuSettei(WizProgram &program, qint16 WizEditIndex, QWidget *parent = nullptr);
    WizOp buildOp() const override;

protected:
    void okClicked() override;

private:
    NumberBox *m_Text[3] = {};
};

// "出力": outputs a text constant or a variable.
class TaguSien_AddOutPut : public WizStatementDialog
{
    Q_OBJECT

public:
    TaguSien_AddOutPut(WizProgram &program, bool WizEditNew, qint16 WizEditIndex, QWidget *parent = nullptr);
    WizOp buildOp() const override;

protected:
    QString refusal(const WizOp &op) const override;

private:
    void updateStates();

    QRadioButton *m_Option1 = nullptr;
    QRadioButton *m_Option2 = nullptr;
    QLineEdit *m_Text1 = nullptr;
    QComboBox *m_Combo1 = nullptr;
    NumberBox *m_Text2 = nullptr;
};

// "変数に代入": assigns a constant or another variable of the same type.
class TaguSien_AddDainyu : public WizStatementDialog
{
    Q_OBJECT

public:
    TaguSien_AddDainyu(WizProgram &program, bool WizEditNew, qint16 WizEditIndex, QWidget *parent = nullptr);
    WizOp buildOp() const override;

protected:
    QString refusal(const WizOp &op) const override;

private:
    void updateStates();
    qint16 type() const;

    QComboBox *m_Combo1 = nullptr;
    NumberBox *m_Text2 = nullptr;
    QRadioButton *m_Option1 = nullptr;
    QRadioButton *m_Option2 = nullptr;
    QLineEdit *m_Text1 = nullptr;
    NumberBox *m_Text3 = nullptr;
    QRadioButton *m_Option3 = nullptr;
    QRadioButton *m_Option4 = nullptr;
    QLabel *m_Label8 = nullptr;
    NumberBox *m_Text4 = nullptr;
};

// "数値の計算": an integer variable := left operator right.
class TaguSien_AddSisoku : public WizStatementDialog
{
    Q_OBJECT

public:
    TaguSien_AddSisoku(WizProgram &program, bool WizEditNew, qint16 WizEditIndex, QWidget *parent = nullptr);
    WizOp buildOp() const override;

private:
    void updateStates();

    NumberBox *m_Text5 = nullptr;
    QComboBox *m_Combo3 = nullptr;
    QRadioButton *m_Option1 = nullptr;
    QRadioButton *m_Option2 = nullptr;
    NumberBox *m_Text3 = nullptr;
    NumberBox *m_Text2 = nullptr;
    QRadioButton *m_Option3 = nullptr;
    QRadioButton *m_Option4 = nullptr;
    NumberBox *m_Text4 = nullptr;
    NumberBox *m_Text1 = nullptr;
};
