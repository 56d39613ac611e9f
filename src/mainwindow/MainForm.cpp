#include "MainForm.h"

#include "BrowserStart.h"
#include "BrowserView.h"
#include "DeviceFrame.h"
#include "Icons.h"
#include "ItemLists.h"
#include "MenuTable.h"
#include "PageEditor.h"
#include "TempC.h"
#include "TextFiles.h"
#include "Twips.h"
#include "UiService.h"
#include "WindowFit.h"
#include "WindowSettingsIO.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

const QString TitleBase = QStringLiteral("HTMLプロジェクトエディタ 『ミルト』");

const QStringList &kindHeadings()
{
    static const QStringList h = {QStringLiteral("□HTMLデータ"), QStringLiteral("□画像データ"),
                                  QStringLiteral("□他のファイルデータ"), QStringLiteral("◇しおり")};
    return h;
}

QFrame *makeBar(QWidget *parent, const QString &name, Qt::CursorShape cursor)
{
    auto *bar = new QFrame(parent);
    bar->setObjectName(name);
    bar->setFrameShape(QFrame::NoFrame);
    bar->setCursor(cursor);
    bar->setAutoFillBackground(false);
    return bar;
}

} // namespace

MainForm::MainForm(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainForm"));
    buildControls();
    buildMenus();
    buildToolbar();

    // First-start size: roomy enough for the three columns, but never larger
    // than the screen; saved settings replace it.
    QSize firstSize(TwipsToPx(16500), TwipsToPx(11250));
    const QVector<QRect> screens = AvailableScreenAreas();
    if (!screens.isEmpty())
        firstSize = FitWindowSize(firstSize, screens.first(), WindowFrameMargins(*this));
    resize(firstSize);

    m_commandGroups = new QObject(this);
    m_commandGroups->setObjectName(QStringLiteral("CommandGroups"));
    InstallCommandGroups(this, m_commandGroups);
}

MainForm::~MainForm()
{
    // The command groups and the lists' key handling go first: they watch the
    // controls and reach this window, and the controls send events as they are
    // taken down.
    delete m_commandGroups;
    m_commandGroups = nullptr;
    delete m_listKeys;
    m_listKeys = nullptr;
}

void MainForm::buildControls()
{
    auto *surface = new QWidget(this);
    surface->setObjectName(QStringLiteral("MainSurface"));
    setCentralWidget(surface);
    m_ui.surface = surface;

    m_ui.TagTypeCombo = new QComboBox(surface);
    m_ui.TagTypeCombo->setObjectName(QStringLiteral("TagTypeCombo"));
    m_ui.InSelectList = new QListWidget(surface);
    m_ui.InSelectList->setObjectName(QStringLiteral("InSelectList"));
    m_ui.InTagList = new QListWidget(surface);
    m_ui.InTagList->setObjectName(QStringLiteral("InTagList"));
    m_ui.Label1 = new QLabel(QStringLiteral("画像プレビュー"), surface);
    m_ui.Label1->setObjectName(QStringLiteral("Label1"));
    m_ui.Image1 = new QLabel(surface);
    m_ui.Image1->setObjectName(QStringLiteral("Image1"));
    m_ui.Image1->setScaledContents(true);
    m_ui.Image1->setFrameShape(QFrame::StyledPanel);
    m_ui.Image1->setPixmap(PlaceholderPicture());

    m_ui.LeftLine = makeBar(surface, QStringLiteral("LeftLine"), Qt::SizeHorCursor);
    m_ui.MainText = new PageEditor(surface);
    m_ui.MainText->setObjectName(QStringLiteral("MainText"));
    m_ui.CenterLine = makeBar(surface, QStringLiteral("CenterLine"), Qt::SizeVerCursor);
    m_ui.MainBrHolder = new QWidget(surface);
    m_ui.MainBrHolder->setObjectName(QStringLiteral("MainBrHolder"));
    auto *brLayout = new QVBoxLayout(m_ui.MainBrHolder);
    brLayout->setContentsMargins(0, 0, 0, 0);
    m_ui.RightLine = makeBar(surface, QStringLiteral("RightLine"), Qt::SizeHorCursor);

    m_ui.MinDatList = new QListWidget(surface);
    m_ui.MinDatList->setObjectName(QStringLiteral("MinDatList"));
    m_ui.DatList = new QListWidget(surface);
    m_ui.DatList->setObjectName(QStringLiteral("DatList"));
    // Names for screen readers: these controls have no labels.
    m_ui.TagTypeCombo->setAccessibleName(QStringLiteral("タグ挿入支援の種類"));
    m_ui.InSelectList->setAccessibleName(QStringLiteral("タグ挿入支援の分類"));
    m_ui.InTagList->setAccessibleName(QStringLiteral("タグ挿入支援の一覧"));
    m_ui.MainText->setAccessibleName(QStringLiteral("ページの内容"));
    m_ui.MinDatList->setAccessibleName(QStringLiteral("ファイル管理の種類"));
    m_ui.DatList->setAccessibleName(QStringLiteral("ファイル管理の一覧"));

    // Built-in geometry in twips; the layout takes over from here.
    const struct
    {
        QWidget *w;
        int l, t, wd, h;
    } builtIn[] = {
        {m_ui.TagTypeCombo, 120, 600, 1935, 300}, {m_ui.InSelectList, 120, 960, 1935, 1320},
        {m_ui.InTagList, 120, 2280, 1935, 2040},  {m_ui.Label1, 120, 4320, 1935, 255},
        {m_ui.Image1, 120, 4560, 1935, 1575},     {m_ui.LeftLine, 2040, 600, 135, 5535},
        {m_ui.MainText, 2160, 600, 3495, 3375},   {m_ui.CenterLine, 2160, 3960, 3495, 135},
        {m_ui.MainBrHolder, 2160, 4080, 3495, 2055}, {m_ui.RightLine, 5640, 600, 135, 5535},
        {m_ui.MinDatList, 5760, 600, 1935, 1320}, {m_ui.DatList, 5760, 1920, 1935, 4200},
    };
    for (const auto &b : builtIn)
        b.w->setGeometry(TwipsRect(b.l, b.t, b.wd, b.h));
    // A combo box needs its own height to show its text.
    m_ui.TagTypeCombo->resize(m_ui.TagTypeCombo->width(),
                              std::max(m_ui.TagTypeCombo->height(), m_ui.TagTypeCombo->sizeHint().height()));

    m_ui.StatusBar1 = new QStatusBar(this);
    m_ui.StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    // Panel 1 is a label of its own across the whole bar: the temporary
    // messages that menus put on the bar as they are highlighted neither hide
    // nor wipe it.
    m_ui.StatusPanel1 = new QLabel(m_ui.StatusBar1);
    m_ui.StatusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
    // A long text is cut at the window's edge; it never widens the window.
    m_ui.StatusPanel1->setMinimumWidth(1);
    m_ui.StatusPanel1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_ui.StatusBar1->addPermanentWidget(m_ui.StatusPanel1, 1);
    setStatusBar(m_ui.StatusBar1);
    SetStatusPanel(m_ui.StatusPanel1);

    connect(m_ui.MinDatList, &QListWidget::currentRowChanged, this, [this](int) { MinDatList_Click(); });
    connect(m_ui.DatList, &QListWidget::currentRowChanged, this, [this](int) { DatList_Click(); });
    connect(m_ui.MainText, &QPlainTextEdit::textChanged, this, &MainForm::onEditorChanged);
    connect(m_ui.MainText, &PageEditor::focusReceived, this,
            [] { Ui().setStatusText(QStringLiteral("ここに説明を表示します")); });
    m_listKeys = new ItemListKeys(this);
}

void MainForm::buildMenus()
{
    int count = 0;
    const MenuRow *rows = MenuRows(&count);
    QMenu *top = nullptr;
    QMenu *sub = nullptr;
    QMenu *inner = nullptr; // a submenu inside sub
    for (int i = 0; i < count; ++i) {
        const MenuRow &r = rows[i];
        const QString name = QString::fromUtf16(r.name);
        const QString caption = QString::fromUtf16(r.caption);
        if (r.depth == 0) {
            if (name.endsWith(u"PopUp")) {
                top = new QMenu(caption, this);
                (name == u"mnyHtmlPopUp" ? m_ui.mnyHtmlPopUp : m_ui.mnySounyuPopUp) = top;
            } else {
                top = menuBar()->addMenu(caption);
            }
            top->setObjectName(name);
            top->menuAction()->setObjectName(name);
            sub = nullptr;
            continue;
        }
        QMenu *into = r.depth == 3 ? inner : r.depth == 2 ? sub : top;
        if (r.submenu) {
            QMenu *m = into->addMenu(caption);
            m->setObjectName(name);
            m->menuAction()->setObjectName(name);
            m_actions.insert(name, m->menuAction());
            (r.depth == 2 ? inner : sub) = m;
            continue;
        }
        if (caption == u"-") {
            QAction *sep = into->addSeparator();
            sep->setObjectName(name);
            continue;
        }
        auto *a = new QAction(caption, this);
        a->setObjectName(name);
        if (r.shortcut[0])
            a->setShortcut(QKeySequence(QString::fromLatin1(r.shortcut)));
        if (r.checked) {
            a->setCheckable(true);
            a->setChecked(true);
        }
        into->addAction(a);
        m_actions.insert(name, a);
        connect(a, &QAction::triggered, this, [this, name] { runCommand(name); });
    }
    // Nothing on the output folder yet.
    action(QStringLiteral("minmnyUwagaki"))->setEnabled(false);
}

void MainForm::buildToolbar()
{
    m_ui.Toolbar1 = new QToolBar(this);
    m_ui.Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    m_ui.Toolbar1->setMovable(false);
    m_ui.Toolbar1->setFloatable(false);
    m_ui.Toolbar1->setIconSize(QSize(24, 24));
    m_ui.Toolbar1->toggleViewAction()->setEnabled(false);
    addToolBar(Qt::TopToolBarArea, m_ui.Toolbar1);

    int count = 0;
    const ToolRow *rows = ToolRows(&count);
    for (int i = 0; i < count; ++i) {
        if (!rows[i].key) {
            m_ui.Toolbar1->addSeparator();
            continue;
        }
        const QString key = QString::fromUtf16(rows[i].key);
        QAction *a = m_ui.Toolbar1->addAction(ToolbarIcon(key), QString::fromUtf16(rows[i].tooltip));
        a->setObjectName(key);
        a->setToolTip(QString::fromUtf16(rows[i].tooltip));
        a->setCheckable(rows[i].checkable);
        m_toolButtons.insert(key, a);
        connect(a, &QAction::triggered, this, [this, key] { onToolButton(key); });
    }
    // The automatic-preview button shows the menu item's check mark.
    QAction *at = action(QStringLiteral("minmnyAt"));
    QAction *atButton = toolButton(QStringLiteral("AtKosin"));
    atButton->setChecked(at->isChecked());
    connect(at, &QAction::toggled, atButton, &QAction::setChecked);
}

QAction *MainForm::action(const QString &name) const
{
    return m_actions.value(name);
}

QAction *MainForm::toolButton(const QString &key) const
{
    return m_toolButtons.value(key);
}

void MainForm::setCommand(const QString &name, std::function<void()> handler)
{
    m_commands.insert(name, std::move(handler));
}

void MainForm::runCommand(const QString &name)
{
    const auto it = m_commands.constFind(name);
    if (it != m_commands.constEnd() && *it) {
        (*it)();
        return;
    }
    // Not available: a check item keeps its mark.
    if (QAction *a = action(name); a && a->isCheckable())
        a->setChecked(!a->isChecked());
    Ui().beep();
}

void MainForm::onToolButton(const QString &key)
{
    static const QHash<QString, QString> direct = {
        {QStringLiteral("NewPro"), QStringLiteral("ProNewminmnyNew")},
        {QStringLiteral("OpenPro"), QStringLiteral("minmnyProOpen")},
        {QStringLiteral("SavePro"), QStringLiteral("minmnyProSave")},
        {QStringLiteral("NewHTML"), QStringLiteral("AddHTMLminmnyNew")},
        {QStringLiteral("NewPict"), QStringLiteral("minmnyAddPict")},
        {QStringLiteral("NewElseFile"), QStringLiteral("minmnyAddFile")},
        {QStringLiteral("NewSiori"), QStringLiteral("minmnySiori")},
        {QStringLiteral("Kosin"), QStringLiteral("minmnyLoad")},
        {QStringLiteral("BrBack"), QStringLiteral("minmnyBack")},
        {QStringLiteral("BrFow"), QStringLiteral("minmnyNext")},
        {QStringLiteral("BrRef"), QStringLiteral("minmnyReload")},
        {QStringLiteral("GoHelp"), QStringLiteral("minmnyMa")},
    };
    if (key == u"DelDate") {
        if (m_project.ListType != KindSiori)
            runCommand(QStringLiteral("minmnyHtmldelpopup"));
    } else if (key == u"DelSiori") {
        if (m_project.ListType == KindSiori)
            runCommand(QStringLiteral("minmnyDelSiori"));
    } else if (key == u"PrjctSyutu") {
        runCommand(m_project.SyuturyokuFolder.isEmpty() ? QStringLiteral("minmnyDatesSave")
                                                        : QStringLiteral("minmnyUwagaki"));
    } else if (key == u"AtKosin") {
        QAction *at = action(QStringLiteral("minmnyAt"));
        at->trigger();
        toolButton(key)->setChecked(at->isChecked());
    } else if (direct.contains(key)) {
        runCommand(direct.value(key));
    }
}

void MainForm::startUp()
{
    m_startingUp = true;
    m_project.ClipType = -1;
    m_project.ProjectPath = NewProjectPath;
    ResetDates(m_project);

    m_ui.MinDatList->blockSignals(true);
    m_ui.MinDatList->clear();
    m_ui.MinDatList->addItems(kindHeadings());
    m_ui.MinDatList->setCurrentRow(-1);
    m_ui.MinDatList->blockSignals(false);

    m_ui.TagTypeCombo->blockSignals(true);
    m_ui.TagTypeCombo->clear();
    m_ui.TagTypeCombo->addItems({QStringLiteral("ファイルの挿入"), QStringLiteral("フォントの挿入"),
                                 QStringLiteral("タグ挿入支援")});
    m_ui.TagTypeCombo->setCurrentIndex(-1);
    m_ui.TagTypeCombo->blockSignals(false);

    action(QStringLiteral("minmnyUwagaki"))->setEnabled(false);
    if (onLoadSettings)
        onLoadSettings();
    NewStartProject(m_project);
    const bool recovered = onRecover && onRecover();
    if (!recovered && onResumeBackup && !m_startAbandoned)
        onResumeBackup();

    // Entry 0 of the catalogue groups fills the catalogue.
    if (m_ui.TagTypeCombo->currentIndex() == 0)
        Q_EMIT m_ui.TagTypeCombo->currentIndexChanged(0);
    else
        m_ui.TagTypeCombo->setCurrentIndex(0);
    showKind(KindHtml);
    updateTitle();
    Form_Resize();
    m_project.Henkou = false;
    m_startingUp = false;
    Q_EMIT startedUp();
}

void MainForm::showPage(int index)
{
    if (index < 0 || index >= m_project.Html.size())
        return;
    // What was typed belongs to the page shown until now.
    StorePage();
    m_project.NowHtml = qint16(index);
    const QString &text = m_project.Html.at(index).HtmlStr;
    // The editor reports a change only when the text differs, as typing would;
    // an unchanged text still gets its preview.
    const bool differs = m_ui.MainText->htmlText() != text;
    if (differs)
        m_ui.MainText->setHtmlText(text);
    if (!differs || !action(QStringLiteral("minmnyAt"))->isChecked())
        EdPrv();
    updateTitle();
    Q_EMIT pageShown(index);
}

void MainForm::showPicture(const QString &path)
{
    // Only a regular file is read: a FIFO would wait for ever.
    QPixmap pm;
    QFile file;
    if (path.isEmpty() || !OpenRegularFile(file, path) || !pm.loadFromData(file.readAll()))
        pm = PlaceholderPicture();
    m_ui.Image1->setPixmap(pm);
}

ProjectDates &MainForm::project()
{
    StorePage();
    return m_project;
}

bool MainForm::StorePage()
{
    if (!m_pageBehind)
        return false;
    m_pageBehind = false;
    const int now = m_project.NowHtml;
    if (now < 0 || now >= m_project.Html.size())
        return false;
    QString text = m_ui.MainText->htmlText();
    const bool differs = text != m_project.Html.at(now).HtmlStr;
    m_project.Html[now].HtmlStr = std::move(text);
    Q_EMIT editorStored();
    return differs;
}

void MainForm::onEditorChanged()
{
    if (m_suspendStore)
        return;
    const int now = m_project.NowHtml;
    if (now < 0 || now >= m_project.Html.size())
        return;
    const bool autoPreview = action(QStringLiteral("minmnyAt"))->isChecked();
    if (m_ui.MainText->handlingInput()) {
        // Typing costs the size of the keystroke: the page record is brought
        // up to date when it is read, the preview copy written once typing
        // pauses.
        m_pageBehind = true;
        m_project.Henkou = true;
        Q_EMIT documentChanged();
        if (autoPreview && onPreviewLater)
            onPreviewLater();
        return;
    }
    // A command's edit is stored at once: the command may read the page next.
    // Showing a page puts the page's own text in, which changes nothing.
    m_pageBehind = true;
    if (StorePage())
        m_project.Henkou = true;
    Q_EMIT documentChanged();
    if (autoPreview)
        EdPrv();
}

UiService::Answer MainForm::CheckChange()
{
    if (!m_project.Henkou)
        return UiService::Answer::No;
    return Ui().askYesNoCancel(QStringLiteral("ファイル\"") + m_project.ProjectPath
                             + QStringLiteral("\"の内容が変更されています、変更を保存しますか？"),
                         UiService::Icon::Exclamation);
}

void MainForm::updateTitle()
{
    QString page;
    if (m_project.NowHtml >= 0 && m_project.NowHtml < m_project.Html.size())
        page = m_project.Html.at(m_project.NowHtml).DatName;
    setWindowTitle(TitleBase + u" - [" + m_project.ProjectPath + u"] - [" + page + u']');
}

void MainForm::updateUwagaki()
{
    QAction *a = action(QStringLiteral("minmnyUwagaki"));
    if (m_project.SyuturyokuFolder.isEmpty()) {
        a->setText(QStringLiteral("上書き(&S)"));
        a->setEnabled(false);
    } else {
        a->setText(u'"' + m_project.SyuturyokuFolder + QStringLiteral("\"に上書き(&S)"));
        a->setEnabled(true);
    }
}

void MainForm::EdPrv()
{
    if (onEdPrv)
        onEdPrv();
}

void MainForm::refreshCatalogue()
{
    if (onRefreshCatalogue)
        onRefreshCatalogue();
}

BrowserView *MainForm::mainBrowser()
{
    if (!m_ui.MainBr) {
        m_ui.MainBrFrame = new DeviceFrame(m_ui.MainBrHolder);
        m_ui.MainBr = new BrowserView(m_ui.MainBrFrame);
        m_ui.MainBr->setObjectName(QStringLiteral("MainBr"));
        m_ui.MainBrFrame->setView(m_ui.MainBr);
        m_ui.MainBrHolder->layout()->addWidget(m_ui.MainBrFrame);
    }
    return m_ui.MainBr;
}

void MainForm::closeEvent(QCloseEvent *event)
{
    if (onClose && !onClose()) {
        event->ignore();
        return;
    }
    if (!onClose)
        TempC::DelAllTemp(m_project);
    event->accept();
    Q_EMIT closing();
}

void MainForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void MainForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    Form_Resize();
    if (!m_browserStart)
        m_browserStart = new BrowserStart(this);
}
