#include "TaguSien_AddTokusyu.h"

#include "AccessibleNames.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TaguSien_AddTokusyu::TaguSien_AddTokusyu(WizProgram &program, bool WizEditNew, qint16 WizEditIndex, QWidget *parent)
    : WizStatementDialog(program, WizEditNew, WizEditIndex, parent)
{
    setObjectName(QStringLiteral("TaguSien_AddTokusyu"));
    setWindowTitle(QStringLiteral("特殊文字列の出力"));

    // The list position is the statement's argument: 0 comma, 1 double quote,
    // 2 space.
    m_Combo1 = new QComboBox(this);
    m_Combo1->setObjectName(QStringLiteral("Combo1"));
    m_Combo1->addItems({QStringLiteral("「,」カンマ"), QStringLiteral("「\"」ダブルクォーテーション"),
                        QStringLiteral("「 」半角スペース")});
    m_Combo1->setCurrentIndex(0);
    NameControl(m_Combo1, QStringLiteral("出力する特殊文字列"));
    if (const WizOp *op = editedOp(); op && op->I(0) >= 0 && op->I(0) <= 2)
        m_Combo1->setCurrentIndex(op->I(0));

    QPushButton *ok = button(QStringLiteral("OK"), QStringLiteral("Command1"));
    ok->setDefault(true);
    QPushButton *cancel = button(QStringLiteral("キャンセル"), QStringLiteral("Command2"));
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &TaguSien_AddTokusyu::okClicked);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *top = new QVBoxLayout(this);
    top->addWidget(m_Combo1);
    top->addLayout(buttons);
    setMinimumWidth(300);
}

WizOp TaguSien_AddTokusyu::buildOp() const
{
    return MakeWizOp(OpTokusyu, {qint16(m_Combo1->currentIndex())});
}
