#include "AddSioriFrm.h"

#include "ButtonRow.h"
#include "KensakuMod.h"
#include "ProjectFile.h"
#include "UiService.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

AddSioriFrm::AddSioriFrm(ProjectDates &project, QWidget *parent)
    : QDialog(parent)
    , m_project(project)
{
    setObjectName(QStringLiteral("AddSioriFrm"));
    setWindowTitle(QStringLiteral("しおりの挿入"));
    setModal(true);

    auto *label = new QLabel(QStringLiteral("挿入するしおりの名前"), this);
    label->setObjectName(QStringLiteral("Label1"));
    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setMinimumWidth(240);
    label->setBuddy(m_text1);
    m_command1 = new QPushButton(QStringLiteral("OK"), this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command1->setDefault(true);
    auto *command2 = new QPushButton(QStringLiteral("キャンセル"), this);
    command2->setObjectName(QStringLiteral("Command2"));
    command2->setAutoDefault(false);

    auto *grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0, 1, 2);
    grid->addWidget(m_text1, 1, 0, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_command1);
    buttons->addWidget(command2);
    SameButtonSize({m_command1, command2});
    grid->addLayout(buttons, 2, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    const bool rename = !m_project.EditNew && m_project.EditIndex >= 0
                        && m_project.EditIndex < m_project.SioriList.size();
    if (rename) {
        m_text1->setText(m_project.SioriList.at(m_project.EditIndex));
        m_text1->selectAll();
    }
    m_command1->setEnabled(!m_text1->text().isEmpty());

    connect(m_text1, &QLineEdit::textChanged, this,
            [this](const QString &t) { m_command1->setEnabled(!t.isEmpty()); });
    connect(m_command1, &QPushButton::clicked, this, &AddSioriFrm::Command1_Click);
    connect(command2, &QPushButton::clicked, this, &QDialog::reject);
}

void AddSioriFrm::Command1_Click()
{
    const QString name = m_text1->text();
    if (name.isEmpty())
        return;
    // The name stands inside an HTML comment: "--" or ">" would end the
    // comment early and leave the rest of it on the page.
    if (name.contains(QStringLiteral("--")) || name.contains(u'>')) {
        Ui().message(QStringLiteral("しおりの名前に「--」や「>」は使えません。"), UiService::Icon::Critical);
        m_text1->setFocus();
        return;
    }
    // The name is saved as a field of the project file; a name the file cannot
    // carry would make every later save fail, so it is refused here.
    ProjectDates probe;
    probe.SioriList = {name};
    const QVector<ProjectFieldProblem> problems = CheckProjectFields(probe);
    if (!problems.isEmpty()) {
        Ui().message(QStringLiteral("しおりの名前に") + problems.first().reason
                         + QStringLiteral("は使えません。"),
                     UiService::Icon::Critical);
        m_text1->setFocus();
        return;
    }
    if (m_project.EditNew) {
        AddSioriList(m_project, name);
    } else if (m_project.EditIndex >= 0 && m_project.EditIndex < m_project.SioriList.size()) {
        m_project.SioriList[m_project.EditIndex] = name;
    }
    accept();
}
