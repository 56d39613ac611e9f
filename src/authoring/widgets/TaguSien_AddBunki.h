#pragma once

#include "WizStatementDialog.h"

class QComboBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;

// "条件分岐　もし～ならば": the if statement and its condition (the type of the
// compared values, the comparison, and each side as a constant or a
// variable). The loop end dialog is the same dialog building the loop's exit
// condition.
class TaguSien_AddBunki : public WizStatementDialog
{
    Q_OBJECT

public:
    TaguSien_AddBunki(WizProgram &program, bool WizEditNew, qint16 WizEditIndex, QWidget *parent = nullptr);

    WizOp buildOp() const override;

protected:
    // The dialog for another statement code with the same condition layout.
    TaguSien_AddBunki(qint16 code, const QString &caption, WizProgram &program, bool WizEditNew,
                      qint16 WizEditIndex, QWidget *parent);

    QString refusal(const WizOp &op) const override;

private:
    // One side of the comparison.
    struct Side
    {
        QGroupBox *frame = nullptr;      // Frame3 / Frame4
        QRadioButton *direct = nullptr;  // Option1 / Option8
        QRadioButton *variable = nullptr; // Option2 / Option5
        QGroupBox *values = nullptr;     // Frame1 / Frame2
        QLineEdit *text = nullptr;       // Text1 / Text5
        NumberBox *number = nullptr;     // Text3 / Text6
        QRadioButton *isTrue = nullptr;  // Option3 / Option7
        QRadioButton *isFalse = nullptr; // Option4 / Option6
        QLabel *typeLabel = nullptr;     // Label8 / Label11
        NumberBox *varNumber = nullptr;  // Text4 / Text2
    };

    void build();
    void load(const WizOp &op);
    void loadSide(Side &s, const WizOp &op, qint16 type, int sourceField, int valueField, int textField);
    void writeSide(const Side &s, WizOp &op, qint16 type, int sourceField, int valueField, int textField) const;
    // Enables what the chosen type and sources allow.
    void updateStates();
    qint16 type() const;

    qint16 m_code;
    QComboBox *m_Combo1 = nullptr;
    QComboBox *m_Combo2 = nullptr;
    Side m_left;
    Side m_right;
};

// "ループ終了": the loop's closing statement with its exit condition.
class TaguSien_AddLoop : public TaguSien_AddBunki
{
    Q_OBJECT

public:
    TaguSien_AddLoop(WizProgram &program, bool WizEditNew, qint16 WizEditIndex, QWidget *parent = nullptr);
};
