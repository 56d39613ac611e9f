#include "WizStatementDialog.h"

#include "AccessibleNames.h"
#include "UiService.h"
#include "WizRun.h"
#include "WizTextCheck.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

WizStatementDialog::WizStatementDialog(WizProgram &program, bool WizEditNew, qint16 WizEditIndex, QWidget *parent)
    : QDialog(parent)
    , m_program(program)
    , m_WizEditNew(WizEditNew)
    , m_WizEditIndex(WizEditIndex)
{
    setModal(true);
}

const WizOp *WizStatementDialog::editedOp() const
{
    if (m_WizEditNew || m_WizEditIndex < 0 || m_WizEditIndex >= m_program.ops.size())
        return nullptr;
    return &m_program.ops.at(m_WizEditIndex);
}

NumberBox *WizStatementDialog::numberBox(NumberBox::Kind kind, const QString &textName, const QString &upDownName)
{
    return new NumberBox(kind, textName, upDownName, this, [](const QString &t) { return ParseWizInt(t); });
}

QLabel *WizStatementDialog::label(const QString &text, const QString &name, QWidget *buddy)
{
    auto *l = new QLabel(text, this);
    l->setObjectName(name);
    // A number box's text box is no sibling of the label, which therefore
    // cannot name it for screen readers, and a combo box would be read by its
    // current choice: both are named here.
    if (auto *box = qobject_cast<NumberBox *>(buddy))
        NameByLabel(l, box->textBox());
    else if (qobject_cast<QComboBox *>(buddy))
        NameByLabel(l, buddy);
    else if (buddy)
        l->setBuddy(buddy);
    return l;
}

QPushButton *WizStatementDialog::button(const QString &text, const QString &name)
{
    auto *b = new QPushButton(text, this);
    b->setObjectName(name);
    return b;
}

QString WizStatementDialog::refusal(const WizOp &op) const
{
    return WizOpRefusal(op);
}

void WizStatementDialog::okClicked()
{
    const WizOp op = buildOp();
    if (const QString why = refusal(op); !why.isEmpty()) {
        Ui().message(why, UiService::Icon::Critical);
        return;
    }
    if (!PutWizOp(m_program, m_WizEditNew, m_WizEditIndex, op)) {
        // The table is full (or the position is gone): nothing to put.
        Ui().beep();
        reject();
        return;
    }
    accept();
}
