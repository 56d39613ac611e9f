#include "CatalogueCommands.h"

#include "AppPaths.h"
#include "MainForm.h"
#include "PageEditor.h"
#include "TaguSien_WizList.h"
#include "TaguSien_WizWindow.h"
#include "UiService.h"
#include "WizDate.h"
#include "WizList.h"
#include "WizRun.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QListWidget>

namespace {

// Adds catalogue entries. Each carries its whole text as a tooltip: a narrow
// catalogue cuts long names off.
void addEntries(QListWidget *list, const QStringList &names)
{
    for (const QString &name : names) {
        auto *item = new QListWidgetItem(name, list);
        item->setToolTip(name);
    }
}

const QString CatHtml = QStringLiteral("○HTMLファイル");
const QString CatPict = QStringLiteral("○画像ファイル");
const QString CatElse = QStringLiteral("○他のファイル");
const QString CatFonts = QStringLiteral("▽フォントの挿入");
const QString CatUserFont = QStringLiteral("▽ユーザー定義");
const QString CatBasic = QStringLiteral("△タグの挿入");
const QString CatWizs = QStringLiteral("△タグウィザード");
const QString CatUserBasic = QStringLiteral("△ユーザー定義");

const QString Arrow = QStringLiteral("→");

// The status text of a picture or other-file entry.
QString FileStatus(const PictDat &d)
{
    return d.outputName() + QStringLiteral("に出力　参照先ファイル名 - ") + u'"' + d.FilePath + u'"';
}

} // namespace

CatalogueCommands::CatalogueCommands(MainForm *form, QObject *owner)
    : QObject(owner)
    , m_form(form)
{
    setObjectName(QStringLiteral("CatalogueCommands"));
    const MainFormControls &ui = form->ui();
    connect(ui.TagTypeCombo, &QComboBox::currentIndexChanged, this, [this](int) { TagTypeCombo_Click(); });
    connect(ui.InSelectList, &QListWidget::currentRowChanged, this, [this](int) { InSelectList_Click(); });
    connect(ui.InTagList, &QListWidget::currentRowChanged, this, [this](int) { InTagList_Click(); });
    // Clicking the entry that is already chosen shows its description again
    // (the status bar may show something else by now); a click that chooses
    // another entry was handled when the choice changed.
    ui.InTagList->viewport()->installEventFilter(this);
    connect(ui.InTagList, &QListWidget::itemClicked, this, [this](QListWidgetItem *) {
        if (m_form->ui().InTagList->currentRow() == m_pressRow)
            InTagList_Click();
    });
    connect(ui.InTagList, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *) { InTagList_DblClick(); });

    form->setCommand(QStringLiteral("minmnyInSonyu"), [this] { InTagList_DblClick(); });
    form->onRefreshCatalogue = [this] { InSelectList_Click(); };
    form->setCommand(QStringLiteral("minmnyWizList"), [this] { minmnyWizList(); });
}

void CatalogueCommands::minmnyWizList()
{
    TaguSien_WizList list(m_form->project(), m_form);
    list.stepLimit = stepLimit;
    list.exec();
    // New, renamed and deleted entries show at once in the user kinds.
    InSelectList_Click();
}

CatalogueCommands::~CatalogueCommands() = default;

bool CatalogueCommands::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress && watched == m_form->ui().InTagList->viewport())
        m_pressRow = m_form->ui().InTagList->currentRow();
    return QObject::eventFilter(watched, event);
}

QStringList CatalogueCommands::kindsOfGroup(int group)
{
    switch (group) {
    case 0:
        return {CatHtml, CatPict, CatElse};
    case 1:
        return {CatFonts, CatUserFont};
    case 2:
        return {CatBasic, CatWizs, CatUserBasic};
    default:
        return {};
    }
}

QString CatalogueCommands::scriptFolder(const QString &kind)
{
    if (kind == CatFonts)
        return QStringLiteral("\\Tools\\WizDates\\Olz\\Fonts");
    if (kind == CatUserFont)
        return QStringLiteral("\\Tools\\WizDates\\User\\Font");
    if (kind == CatBasic)
        return QStringLiteral("\\Tools\\WizDates\\Olz\\Basic");
    if (kind == CatWizs)
        return QStringLiteral("\\Tools\\WizDates\\Olz\\Wizs");
    if (kind == CatUserBasic)
        return QStringLiteral("\\Tools\\WizDates\\User\\Basic");
    return QString();
}

QString CatalogueCommands::currentKind() const
{
    const QListWidgetItem *item = m_form->ui().InSelectList->currentItem();
    return item ? item->text() : QString();
}

void CatalogueCommands::setFileNameOnly(bool enabled)
{
    if (QAction *a = m_form->action(QStringLiteral("minmnyInSonyuName")))
        a->setEnabled(enabled);
}

void CatalogueCommands::TagTypeCombo_Click()
{
    QListWidget *list = m_form->ui().InSelectList;
    list->blockSignals(true);
    list->clear();
    list->addItems(kindsOfGroup(m_form->ui().TagTypeCombo->currentIndex()));
    list->setCurrentRow(-1);
    list->blockSignals(false);
    if (list->count() > 0)
        list->setCurrentRow(0);
}

void CatalogueCommands::InSelectList_Click()
{
    const ProjectDates &p = m_form->project();
    QListWidget *tags = m_form->ui().InTagList;
    const QString kind = currentKind();

    tags->blockSignals(true);
    tags->clear();
    m_WizSetumei.clear();
    tags->blockSignals(false);

    if (kind == CatHtml) {
        QStringList names;
        for (const HtmlDat &h : p.Html)
            names.append(Arrow + h.DatName);
        tags->blockSignals(true);
        addEntries(tags, names);
        tags->blockSignals(false);
        setFileNameOnly(true);
    } else if (kind == CatPict || kind == CatElse) {
        QStringList names;
        for (const PictDat &d : kind == CatPict ? p.Pict : p.ElseFile)
            names.append(Arrow + d.DatName);
        tags->blockSignals(true);
        addEntries(tags, names);
        tags->blockSignals(false);
        Ui().setStatusText(kind == CatPict ? QStringLiteral("現在画像データはありません")
                                            : QStringLiteral("現在他のファイルデータはありません"));
        setFileNameOnly(true);
    } else if (const QString folder = scriptFolder(kind); !folder.isEmpty()) {
        LoadWizList(AppPath(folder));
        if (kind == CatUserFont)
            Ui().setStatusText(QStringLiteral("現在ユーザー定義のフォントはありません"));
        else if (kind == CatUserBasic)
            Ui().setStatusText(QStringLiteral("現在ユーザー定義の挿入支援データはありません"));
        setFileNameOnly(false);
    }

    m_form->CheckPicShow();

    // The first entry's description replaces the no-data text, so that text
    // stays only while the list is empty.
    tags->blockSignals(true);
    tags->setCurrentRow(-1);
    tags->blockSignals(false);
    if (tags->count() > 0)
        tags->setCurrentRow(0);
}

void CatalogueCommands::LoadWizList(const QString &folder)
{
    QListWidget *tags = m_form->ui().InTagList;
    const QVector<WizListEntry> entries = ::LoadWizList(folder);
    QStringList names;
    m_WizSetumei.clear();
    for (const WizListEntry &e : entries) {
        names.append(Arrow + e.name);
        m_WizSetumei.append(e.setumei);
    }
    tags->blockSignals(true);
    addEntries(tags, names);
    tags->blockSignals(false);
}

void CatalogueCommands::InTagList_Click()
{
    const int i = m_form->ui().InTagList->currentRow();
    if (i < 0)
        return;
    const ProjectDates &p = m_form->project();
    const QString kind = currentKind();
    if (kind == CatHtml) {
        if (i < p.Html.size())
            Ui().setStatusText(p.Html.at(i).outputName() + QStringLiteral("に出力"));
    } else if (kind == CatPict) {
        if (i < p.Pict.size()) {
            m_form->showPicture(p.Pict.at(i).FilePath);
            Ui().setStatusText(FileStatus(p.Pict.at(i)));
        }
    } else if (kind == CatElse) {
        if (i < p.ElseFile.size())
            Ui().setStatusText(FileStatus(p.ElseFile.at(i)));
    } else if (!scriptFolder(kind).isEmpty()) {
        if (i < m_WizSetumei.size())
            Ui().setStatusText(m_WizSetumei.at(i));
    }
}

void CatalogueCommands::InTagList_DblClick()
{
    const int i = m_form->ui().InTagList->currentRow();
    const QString kind = currentKind();
    if (i < 0 || kind.isEmpty()) {
        // Nothing chosen: nothing to insert.
        Ui().beep();
        return;
    }
    if (const QString folder = scriptFolder(kind); !folder.isEmpty())
        runScript(folder, i);
    else
        insertItemTag(kind, i);
}

void CatalogueCommands::insertItemTag(const QString &kind, int i)
{
    const ProjectDates &p = m_form->project();
    PageEditor *editor = m_form->ui().MainText;
    if (kind == CatHtml) {
        if (i >= p.Html.size())
            return;
        editor->insertForUser(QStringLiteral("<a href=\"") + p.Html.at(i).outputName() + QStringLiteral("\">")
                              + editor->selectedHtml() + QStringLiteral("</a>"));
    } else if (kind == CatPict) {
        if (i >= p.Pict.size())
            return;
        // The picture tag takes the place of the selected text.
        editor->insertForUser(QStringLiteral("<img src=\"") + p.Pict.at(i).outputName() + QStringLiteral("\">"));
    } else if (kind == CatElse) {
        if (i >= p.ElseFile.size())
            return;
        editor->insertForUser(QStringLiteral("<a href=\"") + p.ElseFile.at(i).outputName()
                              + QStringLiteral("\">") + editor->selectedHtml() + QStringLiteral("</a>"));
    }
}

void CatalogueCommands::runScript(const QString &folder, int i)
{
    const QString description = i < m_WizSetumei.size() ? m_WizSetumei.at(i) : QString();
    Ui().setStatusText(QStringLiteral("データの読み込み中..."));

    // A script file that does not load is not run: the previously loaded
    // script must not stand in for it, and the page stays as it is.
    const QString path = WizDatePath(AppPath(folder), i);
    const WizLoadResult loaded = LoadWizDate(path);
    if (loaded != WizLoadResult::Loaded) {
        Ui().message(QStringLiteral("タグ挿入支援データファイル\"") + path + QStringLiteral("\"を読み込めませんでした。")
                         + WizLoadResultText(loaded),
                     UiService::Icon::Critical);
        Ui().setStatusText(description);
        return;
    }

    Ui().setStatusText(QStringLiteral("作業中..."));
    if (!m_wizWindow)
        m_wizWindow = new TaguSien_WizWindow(m_form->project(), m_form);
    PageEditor *editor = m_form->ui().MainText;
    const WizRunResult result = RunWizPrg(editor->selectedHtml(), m_wizWindow, stepLimit);
    if (result.status == WizRunStatus::Finished) {
        editor->insertForUser(result.text);
    } else if (const QString why = WizRunMessage(result.status); !why.isEmpty()) {
        // A script that would not end, or whose output grew without bound:
        // the page stays as it was.
        Ui().message(why, UiService::Icon::Critical);
    }
    // A cancelled wizard leaves the page as it was.
    Ui().setStatusText(description);
}
