#pragma once

#include "WizStatementDialog.h"

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

// "入力ウィンドウの表示": the input-window statement. The window's title, its
// button, and four input objects edited through one set of controls: choosing
// an object shows its data, and every change is kept in that object's slot.
class TaguSien_AddInputWindow : public WizStatementDialog
{
    Q_OBJECT

public:
    TaguSien_AddInputWindow(WizProgram &program, bool WizEditNew, qint16 WizEditIndex, QWidget *parent = nullptr);
    WizOp buildOp() const override;

    // One input object as the dialog keeps it.
    struct ObjSlot
    {
        int kindPos = 0;       // position in the kind list; the kind is this - 1
        qint16 varNumber = 1;  // from 1
        QString initial;
        QString caption;
    };
    const ObjSlot &objSlot(int k) const { return m_slots.at(size_t(k)); }

protected:
    QString refusal(const WizOp &op) const override;

private:
    void showSlot(int k);
    void kindChosen();
    void storeInitial();
    void updateStates();
    int current() const;

    QLineEdit *m_Text3 = nullptr;
    QRadioButton *m_Option[3] = {};
    QComboBox *m_Combo1 = nullptr;
    QComboBox *m_Combo2 = nullptr;
    QLineEdit *m_Text1 = nullptr;
    QLabel *m_Label4 = nullptr;
    NumberBox *m_Text2 = nullptr;
    QLineEdit *m_Text5 = nullptr;
    NumberBox *m_Text6 = nullptr;
    QRadioButton *m_Option7 = nullptr;
    QRadioButton *m_Option6 = nullptr;
    std::array<ObjSlot, 4> m_slots;
    bool m_showing = false;
};
