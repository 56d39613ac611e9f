#include "KakutyousiSettei.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

KakutyousiSettei::KakutyousiSettei(const QString &kakutyousiStr, QWidget *parent)
    : QDialog(parent)
    , m_kakutyousiStr(kakutyousiStr)
{
    setObjectName(QStringLiteral("KakutyousiSettei"));
    setWindowTitle(QStringLiteral("拡張子の設定"));

    m_label1 = new QLabel(this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_label1->setBuddy(m_text1); // names the box for screen readers
    m_command1 = new QPushButton(QStringLiteral("OK"), this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command1->setDefault(true);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_command1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_label1);
    layout->addWidget(m_text1);
    layout->addLayout(buttons);

    connect(m_text1, &QLineEdit::textChanged, this, [this](const QString &t) { m_label1->setText(labelFor(t)); });
    connect(m_command1, &QPushButton::clicked, this, [this] {
        m_kakutyousiStr = m_text1->text();
        accept();
    });
    m_text1->setText(kakutyousiStr);
    m_label1->setText(labelFor(kakutyousiStr));
    m_text1->selectAll();
}

QString KakutyousiSettei::labelFor(const QString &text)
{
    if (text.isEmpty())
        return QStringLiteral("出力するファイルの拡張子を設定します - (拡張子無し)");
    return QStringLiteral("出力するファイルの拡張子を設定します - (*.") + text + u')';
}
