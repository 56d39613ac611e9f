#include "HinagataDialogs.h"

#include "NumberedFolder.h"
#include "ProjectFile.h"
#include "UiService.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QString NoDescription = u"ここに雛型の説明を表示します。"_s;
const QString NoTemplates = u"雛型はありません。"_s;

QPushButton *makeButton(const QString &text, const QString &name, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

// The frame "雛型の選択" with the list and the description below it.
QGroupBox *makeListFrame(QWidget *parent, QListWidget **list, QLabel **label)
{
    auto *frame = new QGroupBox(u"雛型の選択"_s, parent);
    frame->setObjectName(u"Frame1"_s);
    *list = new QListWidget(frame);
    (*list)->setObjectName(u"List1"_s);
    (*list)->setAccessibleName(frame->title());
    (*list)->setMinimumSize(300, 160);
    *label = new QLabel(NoDescription, frame);
    (*label)->setObjectName(u"Label1"_s);
    (*label)->setWordWrap(true);
    (*label)->setMinimumHeight(48);
    (*label)->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    (*label)->setTextFormat(Qt::PlainText);
    auto *box = new QVBoxLayout(frame);
    box->addWidget(*list, 1);
    box->addWidget(*label);
    return frame;
}

// Lays a template window out: the tab strip over the frame, and the two
// buttons at the bottom right.
void layOut(QDialog *dialog, QTabBar *tabs, QGroupBox *frame, QPushButton *first, QPushButton *second)
{
    auto *layout = new QVBoxLayout(dialog);
    layout->setSpacing(0);
    layout->addWidget(tabs);
    layout->addWidget(frame, 1);
    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 8, 0, 0);
    // The outer layout runs without spacing; the buttons do not touch.
    buttons->setSpacing(6);
    buttons->addStretch();
    buttons->addWidget(first);
    buttons->addWidget(second);
    layout->addLayout(buttons);
}

// Lists the templates of a set folder: the names in the list, the
// descriptions kept beside them; the first entry is selected. False for an
// empty set, whose label then says so.
bool fillList(const QString &folder, QListWidget *list, QLabel *label, QStringList *setumei)
{
    list->clear();
    setumei->clear();
    label->setText(NoDescription);
    for (const HinagataEntry &e : ReadTempList(folder)) {
        list->addItem(e.name);
        setumei->append(e.setumei);
    }
    if (list->count() == 0) {
        label->setText(NoTemplates);
        return false;
    }
    list->setCurrentRow(0);
    return true;
}

// A user set whose list is damaged is never written over: the user is told
// what is wrong and may have the list rebuilt from the template files. False
// when the list stays as it is.
bool userListWritable(bool isHtml)
{
    const HinagataListCheck check = CheckTempList(HinagataFolder(isHtml, true));
    if (check.problem.isEmpty())
        return true;
    if (!Ui().askYesNo(ListRebuildQuestion(check.problem), UiService::Icon::Exclamation, UiService::Answer::No))
        return false;
    QString error;
    if (RebuildTempList(isHtml, nullptr, &error))
        return true;
    Ui().message(u"雛型の一覧を作り直せませんでした。\r\n"_s + error, UiService::Icon::Critical);
    return false;
}

void showDescription(int row, const QStringList &setumei, QLabel *label)
{
    if (row >= 0 && row < setumei.size())
        label->setText(setumei.at(row));
}

} // namespace

// Hinagata ---------------------------------------------------------------------

Hinagata::Hinagata(HinaKind hinaMode, QWidget *parent)
    : QDialog(parent)
    , m_mode(hinaMode)
{
    setObjectName(u"Hinagata"_s);
    setWindowTitle(hinaMode == HinaProject ? u"プロジェクトの新規作成"_s : u"HTMLの追加"_s);
    setModal(true);

    m_tabStrip1 = new QTabBar(this);
    m_tabStrip1->setObjectName(u"TabStrip1"_s);
    m_tabStrip1->addTab(u"基本雛型"_s);
    m_tabStrip1->setTabData(0, u"Olz"_s);
    m_tabStrip1->addTab(u"ユーザー定義"_s);
    m_tabStrip1->setTabData(1, u"User"_s);
    m_tabStrip1->setExpanding(false);
    QGroupBox *frame = makeListFrame(this, &m_list1, &m_label1);

    m_command1 = makeButton(u"OK"_s, u"Command1"_s, this);
    m_command1->setDefault(true);
    auto *command2 = makeButton(u"キャンセル"_s, u"Command2"_s, this);

    layOut(this, m_tabStrip1, frame, m_command1, command2);

    connect(m_tabStrip1, &QTabBar::currentChanged, this, &Hinagata::listSet);
    connect(m_list1, &QListWidget::currentRowChanged, this,
            [this](int row) { showDescription(row, m_setumei, m_label1); });
    connect(m_list1, &QListWidget::itemDoubleClicked, this, &Hinagata::choose);
    connect(m_command1, &QPushButton::clicked, this, &Hinagata::choose);
    connect(command2, &QPushButton::clicked, this, &QDialog::reject);

    listSet();
    m_list1->setFocus();
}

void Hinagata::listSet()
{
    const bool user = m_tabStrip1->tabData(m_tabStrip1->currentIndex()).toString() == u"User";
    m_command1->setEnabled(fillList(HinagataFolder(m_mode == HinaHtml, user), m_list1, m_label1, &m_setumei));
}

void Hinagata::choose()
{
    const int row = m_list1->currentRow();
    if (row < 0 || !m_command1->isEnabled())
        return;
    m_hinaKekka = m_tabStrip1->tabData(m_tabStrip1->currentIndex()).toString() == u"Olz" ? HinaBasic : HinaUser;
    m_hinaIndex = qint16(row);
    accept();
}

void Hinagata::done(int r)
{
    // Every way of closing other than a choice is a cancel.
    if (r != QDialog::Accepted) {
        m_hinaKekka = HinaCancelled;
        m_hinaIndex = -1;
    }
    QDialog::done(r);
}

QString Hinagata::chosenFile() const
{
    if (m_hinaKekka == HinaCancelled)
        return QString();
    return TempFilePath(HinagataFolder(m_mode == HinaHtml, m_hinaKekka == HinaUser), m_hinaIndex);
}

// HinagataNewForm --------------------------------------------------------------

HinagataNewForm::HinagataNewForm(HinaKind kind, const ProjectDates &project, QWidget *parent)
    : QDialog(parent)
    , m_kind(kind)
    , m_project(project)
{
    setObjectName(u"HinagataNewForm"_s);
    setWindowTitle(kind == HinaProject ? u"プロジェクトの雛型作成"_s : u"HTMLの雛型作成"_s);
    setModal(true);

    auto *label1 = new QLabel(u"雛型の名前："_s, this);
    label1->setObjectName(u"Label1"_s);
    m_text1 = new QLineEdit(u"新規雛型"_s, this);
    m_text1->setObjectName(u"Text1"_s);
    m_text1->setMinimumWidth(320);
    label1->setBuddy(m_text1);
    auto *label2 = new QLabel(u"説明（改行不可）"_s, this);
    label2->setObjectName(u"Label2"_s);
    m_text2 = new QLineEdit(this);
    m_text2->setObjectName(u"Text2"_s);
    label2->setBuddy(m_text2);
    m_command1 = makeButton(u"OK"_s, u"Command1"_s, this);
    m_command1->setDefault(true);
    auto *command2 = makeButton(u"キャンセル"_s, u"Command2"_s, this);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label1);
    layout->addWidget(m_text1);
    layout->addWidget(label2);
    layout->addWidget(m_text2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_command1);
    buttons->addWidget(command2);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_text1, &QLineEdit::textChanged, this, &HinagataNewForm::updateState);
    connect(m_text2, &QLineEdit::textChanged, this, &HinagataNewForm::updateState);
    connect(m_command1, &QPushButton::clicked, this, &HinagataNewForm::Command1_Click);
    connect(command2, &QPushButton::clicked, this, &QDialog::reject);
    updateState();
    m_text1->selectAll();
    m_text1->setFocus();
}

void HinagataNewForm::updateState()
{
    m_command1->setEnabled(!m_text1->text().isEmpty() && !m_text2->text().isEmpty());
}

void HinagataNewForm::Command1_Click()
{
    if (!m_command1->isEnabled())
        return;
    QString content;
    if (m_kind == HinaHtml) {
        if (m_project.NowHtml < 0 || m_project.NowHtml >= m_project.Html.size()) {
            Ui().beep();
            return;
        }
        content = m_project.Html.at(m_project.NowHtml).HtmlStr;
    } else {
        // A project the file format cannot carry would not load back as a
        // template.
        const QVector<ProjectFieldProblem> problems = CheckProjectFields(m_project);
        if (!problems.isEmpty()) {
            Ui().message(u"このプロジェクトは雛型に登録できません。\r\n"_s + DescribeFieldProblems(problems),
                         UiService::Icon::Critical);
            return;
        }
        content = MakeProjectText(m_project);
    }
    if (!userListWritable(m_kind == HinaHtml)) {
        reject();
        return;
    }
    QString error;
    if (!AddHinagata(m_kind == HinaHtml, m_text1->text(), m_text2->text(), content, &error)) {
        Ui().message(u"雛型を登録できませんでした。\r\n"_s + error, UiService::Icon::Critical);
        return;
    }
    accept();
}

// HinagataList -----------------------------------------------------------------

HinagataList::HinagataList(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(u"HinagataList"_s);
    setWindowTitle(u"雛型リスト"_s);
    setModal(true);

    m_tabStrip1 = new QTabBar(this);
    m_tabStrip1->setObjectName(u"TabStrip1"_s);
    m_tabStrip1->addTab(u"プロジェクト雛型"_s);
    m_tabStrip1->addTab(u"HTML雛型"_s);
    m_tabStrip1->setExpanding(false);
    QGroupBox *frame = makeListFrame(this, &m_list1, &m_label1);

    m_command2 = makeButton(u"削除"_s, u"Command2"_s, this);
    auto *command4 = makeButton(u"閉じる"_s, u"Command4"_s, this);
    command4->setDefault(true);

    layOut(this, m_tabStrip1, frame, m_command2, command4);

    connect(m_tabStrip1, &QTabBar::currentChanged, this, &HinagataList::listSet);
    connect(m_list1, &QListWidget::currentRowChanged, this,
            [this](int row) { showDescription(row, m_setumei, m_label1); });
    connect(m_command2, &QPushButton::clicked, this, &HinagataList::Command2_Click);
    connect(command4, &QPushButton::clicked, this, &QDialog::accept);

    listSet();
    m_list1->setFocus();
}

bool HinagataList::htmlShown() const
{
    return m_tabStrip1->currentIndex() == 1;
}

void HinagataList::listSet()
{
    m_command2->setEnabled(fillList(HinagataFolder(htmlShown(), true), m_list1, m_label1, &m_setumei));
}

void HinagataList::Command2_Click()
{
    const int row = m_list1->currentRow();
    if (row < 0) {
        Ui().beep();
        return;
    }
    // A template is the user's own work and cannot be brought back: deleting
    // it is confirmed first, and Enter alone keeps it.
    if (!Ui().askYesNo(u"雛型「%1」を削除しますか？"_s.arg(m_list1->item(row)->text()), UiService::Icon::Question,
                       UiService::Answer::No))
        return;
    if (!userListWritable(htmlShown())) {
        listSet();
        return;
    }
    QString error;
    if (!DelHinagata(htmlShown(), row, &error))
        Ui().message(u"雛型を削除できませんでした。\r\n"_s + error, UiService::Icon::Critical);
    listSet();
}
