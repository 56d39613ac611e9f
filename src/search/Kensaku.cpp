#include "Kensaku.h"

#include "KensakuMod.h"
#include "PageEditor.h"
#include "UiService.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>


namespace {

QLineEdit *makeText(QWidget *parent, const QString &name)
{
    auto *t = new QLineEdit(parent);
    t->setObjectName(name);
    t->setMinimumWidth(260);
    return t;
}

QPushButton *makeButton(QWidget *parent, const QString &caption, const QString &name)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

int TikanAllInEditor(PageEditor *editor, const QString &find, const QString &repl)
{
    const QList<qsizetype> hits = TikanAllHits(editor->htmlText(), find);
    editor->replaceHtmlStretches(hits, find.size(), repl);
    return int(hits.size());
}

bool KensakuStep(ProjectDates &project, PageEditor *editor, const QString &text, qint32 &pos)
{
    const qint32 p = KensakuStr(project, text, project.NowHtml, pos);
    if (p >= 0) {
        editor->selectHtml(p, text.size());
        pos = p + 1;
        return true;
    }
    Ui().message(QStringLiteral("文字列\"") + text + QStringLiteral("\"の検索が終わりました。"),
                 UiService::Icon::None);
    pos = 0;
    return false;
}

Kensaku::Kensaku(ProjectDates &project, PageEditor *editor, QWidget *parent)
    : QDialog(parent)
    , m_project(project)
    , m_editor(editor)
{
    setObjectName(QStringLiteral("Kensaku"));
    setWindowTitle(QStringLiteral("検索"));
    setModal(true);

    auto *label = new QLabel(QStringLiteral("検索する文字列 ："), this);
    label->setObjectName(QStringLiteral("Label1"));
    m_text1 = makeText(this, QStringLiteral("Text1"));
    label->setBuddy(m_text1);
    m_command1 = makeButton(this, QStringLiteral("検索"), QStringLiteral("Command1"));
    auto *command2 = makeButton(this, QStringLiteral("閉じる"), QStringLiteral("Command2"));
    m_command1->setDefault(true);
    m_command1->setEnabled(false);

    auto *grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(m_text1, 1, 0);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(m_command1);
    buttons->addWidget(command2);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 1, 3, 1);
    grid->setRowStretch(2, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_text1, &QLineEdit::textChanged, this, &Kensaku::Text1_Change);
    connect(m_command1, &QPushButton::clicked, this, &Kensaku::Command1_Click);
    connect(command2, &QPushButton::clicked, this, &QDialog::accept);
}

void Kensaku::Text1_Change()
{
    m_command1->setEnabled(!m_text1->text().isEmpty());
    KensakuPos = 0;
}

void Kensaku::Command1_Click()
{
    if (m_text1->text().isEmpty())
        return;
    KensakuStep(m_project, m_editor, m_text1->text(), KensakuPos);
}

KensakuTikan::KensakuTikan(ProjectDates &project, PageEditor *editor, QWidget *parent)
    : QDialog(parent)
    , m_project(project)
    , m_editor(editor)
{
    setObjectName(QStringLiteral("KensakuTikan"));
    setWindowTitle(QStringLiteral("置換"));
    setModal(true);

    auto *label1 = new QLabel(QStringLiteral("検索する文字列 ："), this);
    label1->setObjectName(QStringLiteral("Label1"));
    m_text1 = makeText(this, QStringLiteral("Text1"));
    label1->setBuddy(m_text1);
    auto *label2 = new QLabel(QStringLiteral("置き換える文字列 ："), this);
    label2->setObjectName(QStringLiteral("Label2"));
    m_text2 = makeText(this, QStringLiteral("Text2"));
    label2->setBuddy(m_text2);

    m_command1 = makeButton(this, QStringLiteral("検索"), QStringLiteral("Command1"));
    m_command3 = makeButton(this, QStringLiteral("置換"), QStringLiteral("Command3"));
    m_command4 = makeButton(this, QStringLiteral("全て置換"), QStringLiteral("Command4"));
    auto *command2 = makeButton(this, QStringLiteral("閉じる"), QStringLiteral("Command2"));
    m_command1->setDefault(true);
    m_command1->setEnabled(false);
    m_command3->setEnabled(false);
    m_command4->setEnabled(false);

    auto *grid = new QGridLayout(this);
    grid->addWidget(label1, 0, 0);
    grid->addWidget(m_text1, 1, 0);
    grid->addWidget(label2, 2, 0);
    grid->addWidget(m_text2, 3, 0);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(m_command1);
    buttons->addWidget(m_command3);
    buttons->addWidget(m_command4);
    buttons->addWidget(command2);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 1, 5, 1);
    grid->setRowStretch(4, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_text1, &QLineEdit::textChanged, this, &KensakuTikan::Text1_Change);
    connect(m_text2, &QLineEdit::textChanged, this, &KensakuTikan::applyButtonRule);
    connect(m_command1, &QPushButton::clicked, this, &KensakuTikan::Command1_Click);
    connect(m_command3, &QPushButton::clicked, this, &KensakuTikan::Command3_Click);
    connect(m_command4, &QPushButton::clicked, this, &KensakuTikan::Command4_Click);
    connect(command2, &QPushButton::clicked, this, &QDialog::accept);
}

void KensakuTikan::applyButtonRule()
{
    const bool on = KensakuHit && !m_text2->text().isEmpty();
    m_command3->setEnabled(on);
    m_command4->setEnabled(on);
}

void KensakuTikan::Text1_Change()
{
    m_command1->setEnabled(!m_text1->text().isEmpty());
    KensakuPos = 0;
    KensakuHit = false;
    applyButtonRule();
}

void KensakuTikan::Command1_Click()
{
    if (m_text1->text().isEmpty())
        return;
    KensakuHit = KensakuStep(m_project, m_editor, m_text1->text(), KensakuPos);
    applyButtonRule();
}

void KensakuTikan::Command3_Click()
{
    if (!KensakuHit || m_text2->text().isEmpty())
        return;
    m_editor->replaceSelection(m_text2->text());
    Command1_Click();
}

void KensakuTikan::Command4_Click()
{
    const QString find = m_text1->text();
    const QString repl = m_text2->text();
    if (find.isEmpty() || repl.isEmpty())
        return;
    if (!Ui().askYesNo(QStringLiteral("文字列\"") + find + QStringLiteral("\"を全て置換しますか？"),
                       UiService::Icon::None))
        return;

    // Every hit is replaced inside one edit block of the editor: the page is
    // stored once, the preview refreshed once, and one undo takes it all back.
    const qint16 now = m_project.NowHtml;
    if (now >= 0 && now < m_project.Html.size())
        TikanAllInEditor(m_editor, find, repl);

    KensakuPos = 0;
    Ui().message(QStringLiteral("全ての\"") + repl + QStringLiteral("\"を置換しました。"), UiService::Icon::None);
    KensakuHit = false;
    applyButtonRule();
}
