#include "TaguSien_NewPrg.h"

#include "AppPaths.h"
#include "NumberedFolder.h"
#include "TaguSien_ListFile.h"
#include "UiService.h"
#include "WizList.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

bool WizListWritable(const QString &folder)
{
    const WizListCheck check = CheckWizList(folder);
    if (check.problem.isEmpty())
        return true;
    if (!Ui().askYesNo(ListRebuildQuestion(check.problem), UiService::Icon::Exclamation, UiService::Answer::No))
        return false;
    QString error;
    if (RebuildWizList(folder, nullptr, &error))
        return true;
    Ui().message(QStringLiteral("一覧を作り直せませんでした。\r\n") + error, UiService::Icon::Critical);
    return false;
}

TaguSien_NewPrg::TaguSien_NewPrg(const QString &folder, QWidget *parent)
    : QDialog(parent)
    , m_folder(folder)
{
    setObjectName(QStringLiteral("TaguSien_NewPrg"));
    setWindowTitle(QStringLiteral("新規入力支援スクリプト"));
    setModal(true);

    m_Text1 = new QLineEdit(QStringLiteral("新規入力支援スクリプト"), this);
    m_Text1->setObjectName(QStringLiteral("Text1"));
    m_Text2 = new QLineEdit(this);
    m_Text2->setObjectName(QStringLiteral("Text2"));
    auto *label1 = new QLabel(QStringLiteral("名前："), this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setBuddy(m_Text1);
    auto *label2 = new QLabel(QStringLiteral("このデータに関する説明："), this);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setBuddy(m_Text2);

    m_Command1 = new QPushButton(QStringLiteral("作成"), this);
    m_Command1->setObjectName(QStringLiteral("Command1"));
    m_Command1->setDefault(true);
    m_Command1->setEnabled(false);
    auto *command2 = new QPushButton(QStringLiteral("キャンセル"), this);
    command2->setObjectName(QStringLiteral("Command2"));
    command2->setAutoDefault(false);

    auto *grid = new QGridLayout(this);
    grid->addWidget(label1, 0, 0);
    grid->addWidget(m_Text1, 1, 0);
    grid->addWidget(label2, 2, 0);
    grid->addWidget(m_Text2, 3, 0);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_Command1);
    buttons->addWidget(command2);
    grid->addLayout(buttons, 4, 0);
    setMinimumWidth(420);

    connect(m_Text1, &QLineEdit::textChanged, this, &TaguSien_NewPrg::textsChanged);
    connect(m_Text2, &QLineEdit::textChanged, this, &TaguSien_NewPrg::textsChanged);
    connect(m_Command1, &QPushButton::clicked, this, &TaguSien_NewPrg::Command1_Click);
    connect(command2, &QPushButton::clicked, this, &QDialog::reject);

    // The whole name is selected, so typing replaces it.
    m_Text1->selectAll();
    m_Text1->setFocus();
}

void TaguSien_NewPrg::textsChanged()
{
    m_Command1->setEnabled(!m_Text1->text().isEmpty() && !m_Text2->text().isEmpty());
}

void TaguSien_NewPrg::Command1_Click()
{
    if (m_Text1->text().isEmpty() || m_Text2->text().isEmpty())
        return;
    // A new entry of the user font folder starts as the default font script.
    const bool isFont = m_folder == AppPath(WizFolderUserFont);
    if (!WizListWritable(m_folder)) {
        reject();
        return;
    }
    QString error;
    if (!NewWizDate(m_folder, m_Text1->text(), m_Text2->text(), isFont, &error, &m_newIndex)) {
        m_newIndex = -1;
        Ui().message(error, UiService::Icon::Critical);
        return; // the dialog stays open so the text can be corrected
    }
    accept();
}
