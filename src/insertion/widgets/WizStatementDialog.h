#pragma once

#include "NumberBox.h"
#include "WizDate.h"

#include <QDialog>

class QLabel;
class QPushButton;

// The common ground of the statement dialogs that the script editor opens:
// each turns its controls into one statement. In insert mode (WizEditNew) OK
// puts the statement at WizEditIndex; in edit mode the dialog shows statement
// WizEditIndex and OK replaces it in its place. Cancel changes nothing. A text
// the script file cannot carry is refused with a message, and the dialog stays
// open.
class WizStatementDialog : public QDialog
{
    Q_OBJECT

public:
    WizStatementDialog(WizProgram &program, bool WizEditNew, qint16 WizEditIndex, QWidget *parent = nullptr);

    bool WizEditNew() const { return m_WizEditNew; }
    qint16 WizEditIndex() const { return m_WizEditIndex; }

    // The statement the controls describe now.
    virtual WizOp buildOp() const = 0;

protected:
    // The statement being edited, or null in insert mode (or when the index
    // names no statement).
    const WizOp *editedOp() const;

    // A number box whose texts convert as the wizard window's integer boxes do.
    NumberBox *numberBox(NumberBox::Kind kind, const QString &textName, const QString &upDownName);
    // A label named name whose buddy is the control it captions.
    QLabel *label(const QString &text, const QString &name, QWidget *buddy = nullptr);
    QPushButton *button(const QString &text, const QString &name);

    // The refusal of the texts of op (empty when all fit). Dialogs name their
    // own fields.
    virtual QString refusal(const WizOp &op) const;

    // OK: check, put the statement, close.
    virtual void okClicked();

    WizProgram &m_program;

private:
    bool m_WizEditNew;
    qint16 m_WizEditIndex;
};
