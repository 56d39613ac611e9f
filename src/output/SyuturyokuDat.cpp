#include "SyuturyokuDat.h"

#include "AppPaths.h"
#include "OutputNames.h"
#include "SyuturyokuMod.h"
#include "TextFiles.h"
#include "UiService.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

const QString BadFolderName = QStringLiteral("フォルダ名が不正です。");

// The drive a folder lies on: the longest entry of the drive list that holds it.
int driveOf(const QStringList &roots, const QString &folder)
{
    int best = -1;
    qsizetype bestLen = -1;
    const QString f = QDir::cleanPath(folder);
    for (int i = 0; i < roots.size(); ++i) {
        const QString r = QDir::cleanPath(roots.at(i));
        const QString prefix = r.endsWith(u'/') ? r : r + u'/';
        if ((f == r || f.startsWith(prefix)) && r.size() > bestLen) {
            best = i;
            bestLen = r.size();
        }
    }
    return best;
}

} // namespace

SyuturyokuDat::SyuturyokuDat(ProjectDates &project, QWidget *parent, const SyuturyokuOptions &options)
    : QDialog(parent)
    , m_project(project)
    , m_options(options)
{
    setObjectName(QStringLiteral("SyuturyokuDat"));
    setWindowTitle(QStringLiteral("プロジェクトを出力"));

    m_drive1 = new QComboBox(this);
    m_drive1->setObjectName(QStringLiteral("Drive1"));
    m_drive1->addItems(OutputDriveRoots());

    m_dirs = new QFileSystemModel(this);
    m_dirs->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_dirs->setReadOnly(true);
    m_dir1 = new QTreeView(this);
    m_dir1->setObjectName(QStringLiteral("Dir1"));
    m_dir1->setModel(m_dirs);
    for (int c = 1; c < m_dirs->columnCount(); ++c)
        m_dir1->hideColumn(c);
    m_dir1->header()->hide();

    // The file list is read when a folder is chosen, whole and at once: a
    // file-system model filtered to files could show its own top level ("/")
    // instead of the folder when the folder's entry was already known.
    m_file1 = new QListWidget(this);
    m_file1->setObjectName(QStringLiteral("File1"));
    m_file1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_file1->setSelectionMode(QAbstractItemView::NoSelection);

    m_folderLabel = new QLabel(this);
    m_folderLabel->setObjectName(QStringLiteral("Label2"));
    m_folderLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long path must neither widen the tree nor run under the file list.
    m_folderLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_label1 = new QLabel(QStringLiteral("作成するフォルダ："), this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_command1 = new QPushButton(QStringLiteral("保存"), this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command1->setEnabled(false);
    m_command1->setDefault(true);
    m_command2 = new QPushButton(QStringLiteral("キャンセル"), this);
    m_command2->setObjectName(QStringLiteral("Command2"));

    // Names for screen readers.
    m_label1->setBuddy(m_text1);
    m_drive1->setAccessibleName(QStringLiteral("ドライブ"));
    m_dir1->setAccessibleName(QStringLiteral("フォルダ"));
    m_file1->setAccessibleName(QStringLiteral("フォルダの中のファイル"));

    auto *grid = new QGridLayout;
    grid->addWidget(m_drive1, 0, 0);
    grid->addWidget(m_folderLabel, 1, 0);
    grid->addWidget(m_dir1, 2, 0);
    grid->addWidget(m_file1, 0, 1, 3, 1);
    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(m_label1);
    nameRow->addWidget(m_text1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_command1);
    buttons->addWidget(m_command2);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(nameRow);
    layout->addLayout(buttons);
    resize(560, 400);

    connect(m_drive1, &QComboBox::activated, this, &SyuturyokuDat::onDriveChanged);
    connect(m_dir1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    showFolder(m_dirs->filePath(current));
            });
    // The tree fills in the background; keep the chosen folder in view.
    connect(m_dirs, &QFileSystemModel::directoryLoaded, this, [this] {
        if (m_dir1->currentIndex().isValid())
            m_dir1->scrollTo(m_dir1->currentIndex());
    });
    connect(m_text1, &QLineEdit::textChanged, this,
            [this](const QString &t) { m_command1->setEnabled(!t.isEmpty()); });
    connect(m_command1, &QPushButton::clicked, this, &SyuturyokuDat::onSave);
    connect(m_command2, &QPushButton::clicked, this, &QDialog::reject);

    // Start in the home folder (the last entry of the drive list), or on the
    // first drive that can be read.
    int start = m_drive1->count() - 1;
    while (start > 0 && !IsDriveReadable(m_drive1->itemText(start)))
        --start;
    if (start >= 0)
        chooseDrive(start);
    // Near the project rather than in the home folder, where new folders
    // would pile up by mistake.
    const QString near = OutputDialogStartFolder(m_project);
    if (!near.isEmpty() && QDir::cleanPath(near) != QDir::cleanPath(m_folder))
        setCurrentFolder(near);
}

void SyuturyokuDat::chooseDrive(int index)
{
    if (index < 0 || index >= m_drive1->count())
        return;
    m_drive1->setCurrentIndex(index);
    onDriveChanged(index);
}

void SyuturyokuDat::onDriveChanged(int index)
{
    const QString root = m_drive1->itemText(index);
    if (!IsDriveReadable(root)) {
        Ui().message(QStringLiteral("このデバイスにアクセスできません、利用可能かどうか確認してください。"),
                     UiService::Icon::Critical);
        // The list goes back to the drive the tree shows.
        m_drive1->setCurrentIndex(m_driveIndex);
        return;
    }
    m_driveIndex = index;
    m_dir1->setRootIndex(m_dirs->setRootPath(root));
    m_dir1->selectionModel()->clearCurrentIndex();
    showFolder(root);
}

void SyuturyokuDat::setCurrentFolder(const QString &folder)
{
    const int drive = driveOf(OutputDriveRoots(), folder);
    if (drive >= 0 && drive != m_driveIndex)
        chooseDrive(drive);
    const QModelIndex idx = m_dirs->index(folder);
    if (idx.isValid() && idx != m_dir1->rootIndex()) {
        m_dir1->setCurrentIndex(idx);
        m_dir1->scrollTo(idx);
    }
    showFolder(folder);
}

void SyuturyokuDat::showFolder(const QString &folder)
{
    m_folder = folder;
    m_folderLabel->setText(QDir::toNativeSeparators(folder));
    m_folderLabel->setToolTip(m_folderLabel->text());
    // Hidden files stay out of the list, as hidden folders stay out of the tree.
    m_file1->clear();
    m_file1->addItems(QDir(folder).entryList(QDir::Files, QDir::Name));
}

void SyuturyokuDat::onSave()
{
    const QString name = m_text1->text();
    if (name.isEmpty())
        return;
    // A name that is really a path would create the folder somewhere else.
    if (!OutputNameProblem(name).isEmpty()) {
        Ui().message(BadFolderName, UiService::Icon::Critical);
        return;
    }
    const QString path = QDir::toNativeSeparators(JoinPath(m_folder, name));
    // The output folder is stored in the project file, which cannot carry
    // every character.
    if (const QString problem = FieldCharsProblem(QStringLiteral("出力先フォルダ"), path); !problem.isEmpty()) {
        Ui().message(problem, UiService::Icon::Critical);
        return;
    }
    if (QFileInfo::exists(path)) {
        Ui().message(BadFolderName, UiService::Icon::Critical);
        return;
    }
    // The name is sound; a folder that still cannot be made (a read-only
    // drive, no permission) is told with its reason.
    if (QString why; !MakeFolderPath(path, &why)) {
        Ui().message(QStringLiteral("出力先フォルダ\"%1\"を作成できませんでした（%2）。").arg(path, why),
                     UiService::Icon::Critical);
        return;
    }
    m_project.SyuturyokuFolder = path;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const SyuturyokuReport report = SyuturyokuAll(m_project, m_options);
    QGuiApplication::restoreOverrideCursor();
    if (const QString skip = SyuturyokuSkipMessage(report); !skip.isEmpty())
        Ui().message(skip, UiService::Icon::Exclamation);
    if (const QString fail = SyuturyokuFailMessage(report); !fail.isEmpty())
        Ui().message(fail, UiService::Icon::Critical);
    else
        Ui().setStatusText(OutputDoneText(path, report.changes, m_options));
    accept();
}
