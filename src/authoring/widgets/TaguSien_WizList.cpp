#include "TaguSien_WizList.h"

#include "AppPaths.h"
#include "ProjectDates.h"
#include "TaguSien_ListFile.h"
#include "TaguSien_MakeFont.h"
#include "TaguSien_NewPrg.h"
#include "TaguSien_Scrpt.h"
#include "UiService.h"
#include "WizDate.h"
#include "WizList.h"
#include "WizRun.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

namespace {

const QString NoData = QStringLiteral("データが存在しません。");
const QString TisdFilter = QStringLiteral("タグ挿入支援データファイル|*.tisd");

} // namespace

TaguSien_WizList::TaguSien_WizList(const ProjectDates &project, QWidget *parent)
    : QDialog(parent)
    , stepLimit(WizStepLimit)
    , m_project(project)
{
    setObjectName(QStringLiteral("TaguSien_WizList"));
    setWindowTitle(QStringLiteral("タグ入力支援ユーザー定義リスト"));
    setModal(true);

    m_TabStrip1 = new QTabBar(this);
    m_TabStrip1->setObjectName(QStringLiteral("TabStrip1"));
    m_TabStrip1->addTab(QStringLiteral("フォント"));
    m_TabStrip1->addTab(QStringLiteral("挿入支援"));

    auto *frame = new QGroupBox(QStringLiteral("入力支援データ"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    m_List1 = new QListWidget(frame);
    m_List1->setObjectName(QStringLiteral("List1"));
    m_List1->setAccessibleName(frame->title());
    m_Label1 = new QLabel(QStringLiteral("ここに説明を表示します。"), frame);
    m_Label1->setObjectName(QStringLiteral("Label1"));
    m_Label1->setWordWrap(true);
    m_Label1->setMinimumHeight(40);
    m_Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto *frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(m_List1, 1);
    frameLayout->addWidget(m_Label1);

    const QString captions[7] = {QString(),
                                 QStringLiteral("編集"),
                                 QStringLiteral("新規作成"),
                                 QStringLiteral("削除"),
                                 QStringLiteral("閉じる"),
                                 QStringLiteral("ファイルから追加"),
                                 QStringLiteral("ファイルに保存")};
    auto *buttons = new QVBoxLayout;
    for (int i : {1, 2, 3, 5, 6, 4}) {
        m_Command[i] = new QPushButton(captions[i], this);
        m_Command[i]->setObjectName(QStringLiteral("Command%1").arg(i));
        m_Command[i]->setAutoDefault(false);
        buttons->addWidget(m_Command[i]);
        if (i == 6)
            buttons->addStretch();
    }
    m_Command[1]->setDefault(true);
    m_Command[5]->setEnabled(false);
    m_Command[6]->setEnabled(false);

    auto *grid = new QGridLayout(this);
    grid->addWidget(m_TabStrip1, 0, 0);
    grid->addWidget(frame, 1, 0);
    grid->addLayout(buttons, 1, 1);
    resize(520, 380);

    connect(m_TabStrip1, &QTabBar::currentChanged, this, [this] { TabStrip1_Click(); });
    connect(m_List1, &QListWidget::currentRowChanged, this, &TaguSien_WizList::List1_Click);
    connect(m_List1, &QListWidget::itemDoubleClicked, this, [this] { Command1_Click(); });
    connect(m_Command[1], &QPushButton::clicked, this, &TaguSien_WizList::Command1_Click);
    connect(m_Command[2], &QPushButton::clicked, this, &TaguSien_WizList::Command2_Click);
    connect(m_Command[3], &QPushButton::clicked, this, &TaguSien_WizList::Command3_Click);
    connect(m_Command[4], &QPushButton::clicked, this, &QDialog::reject);
    connect(m_Command[5], &QPushButton::clicked, this, &TaguSien_WizList::Command5_Click);
    connect(m_Command[6], &QPushButton::clicked, this, &TaguSien_WizList::Command6_Click);
    m_List1->installEventFilter(this);

    // The user folders are made when missing, so that the first entry can
    // be created.
    for (const char16_t *f : {WizFolderUserFont, WizFolderUserBasic}) {
        QString error;
        if (!EnsureWizFolder(AppPath(f), &error)) {
            Ui().message(error, UiService::Icon::Critical);
            break;
        }
    }
    TabStrip1_Click();
}

void TaguSien_WizList::TabStrip1_Click(int selectRow)
{
    m_List1->blockSignals(true);
    m_List1->clear();
    m_List1->blockSignals(false);
    const bool fonts = m_TabStrip1->currentIndex() == 0;
    m_WizDir = AppPath(fonts ? WizFolderUserFont : WizFolderUserBasic);
    LoadWizList(m_WizDir);
    if (m_List1->count() > 0 && selectRow > 0)
        m_List1->setCurrentRow(qMin(selectRow, m_List1->count() - 1));
    m_Command[5]->setEnabled(!fonts);
    m_Command[6]->setEnabled(!fonts && m_List1->count() > 0);
}

void TaguSien_WizList::LoadWizList(const QString &folder)
{
    const QVector<WizListEntry> entries = ::LoadWizList(folder);
    m_Setumei.clear();
    m_List1->blockSignals(true);
    for (const WizListEntry &e : entries) {
        m_List1->addItem(e.name);
        m_Setumei.append(e.setumei);
    }
    m_List1->setCurrentRow(-1);
    m_List1->blockSignals(false);
    const bool any = m_List1->count() > 0;
    if (any)
        m_List1->setCurrentRow(0);
    else
        m_Label1->setText(NoData);
    m_Command[1]->setEnabled(any);
    m_Command[3]->setEnabled(any);
}

void TaguSien_WizList::List1_Click()
{
    const int i = m_List1->currentRow();
    if (i >= 0 && i < m_Setumei.size())
        m_Label1->setText(m_Setumei.at(i));
}

void TaguSien_WizList::Command1_Click()
{
    const int i = m_List1->currentRow();
    if (i < 0 || i >= m_Setumei.size()) {
        Ui().beep();
        return;
    }
    EditWizDates dates{WizDatePath(m_WizDir, i), m_List1->item(i)->text(), m_Setumei.at(i)};
    if (m_TabStrip1->currentIndex() == 0) {
        TaguSien_MakeFont font(dates, this);
        font.exec();
    } else {
        TaguSien_Scrpt editor(dates, m_project, this);
        editor.stepLimit = stepLimit;
        editor.exec();
    }
    // The name and description saved in the editor go into the list.
    QString error;
    if (WizListWritable(m_WizDir) && !SetWizList(m_WizDir, qint16(i), dates.EditWizName, dates.EditWizSetumei, &error))
        Ui().message(error, UiService::Icon::Critical);
    TabStrip1_Click(i);
}

void TaguSien_WizList::Command2_Click()
{
    TaguSien_NewPrg dialog(m_WizDir, this);
    dialog.exec();
    TabStrip1_Click(dialog.newIndex() >= 0 ? dialog.newIndex() : m_List1->currentRow());
}

void TaguSien_WizList::Command3_Click()
{
    const int i = m_List1->currentRow();
    if (i < 0) {
        Ui().beep();
        return;
    }
    // A script is the user's own work: deleting it is confirmed first, and
    // Enter alone keeps it.
    if (!Ui().askYesNo(QStringLiteral("「") + m_List1->item(i)->text() + QStringLiteral("」を削除しますか？"),
                       UiService::Icon::Question, UiService::Answer::No))
        return;
    QString error;
    if (WizListWritable(m_WizDir) && !DelWizDate(m_WizDir, qint16(i), &error))
        Ui().message(error, UiService::Icon::Critical);
    TabStrip1_Click(i);
}

void TaguSien_WizList::Command5_Click()
{
    if (m_TabStrip1->currentIndex() != 1)
        return;
    const QString file = OpenFileOfKind(DialogKind::Script, TisdFilter, m_project.ProjectPath);
    if (file.isEmpty())
        return;
    // A file that is not a whole script is refused before any entry is made.
    WizProgram imported;
    const WizLoadResult loaded = LoadWizDate(file, &imported);
    if (loaded != WizLoadResult::Loaded) {
        Ui().message(QStringLiteral("ファイル\"") + QDir::toNativeSeparators(file)
                         + QStringLiteral("\"はタグ挿入支援データとして読み込めません。") + WizLoadResultText(loaded),
                     UiService::Icon::Critical);
        return;
    }
    TaguSien_NewPrg dialog(m_WizDir, this);
    if (dialog.exec() != QDialog::Accepted || dialog.newIndex() < 0) {
        TabStrip1_Click(m_List1->currentRow());
        return;
    }
    QString error;
    if (!SaveWizDate(WizDatePath(m_WizDir, dialog.newIndex()), imported, &error, LinkMode::Replace)) {
        // The entry would hold the empty script instead: take it away again.
        DelWizDate(m_WizDir, dialog.newIndex());
        Ui().message(error, UiService::Icon::Critical);
    }
    TabStrip1_Click(dialog.newIndex());
}

void TaguSien_WizList::Command6_Click()
{
    const int i = m_List1->currentRow();
    if (m_TabStrip1->currentIndex() != 1 || i < 0)
        return;
    // The dialog appends ".tisd" to a name typed without an extension before
    // it asks about replacing a file, so the question names the real file.
    const QString file = WithDefaultExtension(
        SaveFileOfKind(DialogKind::Script, TisdFilter, m_project.ProjectPath, QStringLiteral("tisd")),
        QStringLiteral(".tisd"));
    if (file.isEmpty())
        return;
    WizProgram program;
    const WizLoadResult loaded = LoadWizDate(WizDatePath(m_WizDir, i), &program);
    if (loaded != WizLoadResult::Loaded) {
        Ui().message(QStringLiteral("タグ挿入支援データファイルを読み込めませんでした。") + WizLoadResultText(loaded),
                     UiService::Icon::Critical);
        return;
    }
    QString error;
    if (!SaveWizDate(file, program, &error))
        Ui().message(error, UiService::Icon::Critical);
}

bool TaguSien_WizList::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_List1 && event->type() == QEvent::KeyRelease
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete && m_Command[3]->isEnabled()) {
        Command3_Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
