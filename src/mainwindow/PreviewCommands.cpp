#include "PreviewCommands.h"

#include "BrowserView.h"
#include "DeviceFrame.h"
#include "MainForm.h"
#include "OptionDate.h"
#include "PageEditor.h"
#include "PreviewPane.h"
#include "PrvForm.h"
#include "TempC.h"
#include "UiService.h"

#include <QAction>
#include <QActionGroup>
#include <QEvent>
#include <QTimer>

PreviewCommands::PreviewCommands(MainForm *form, QObject *parent)
    : QObject(parent)
    , m_form(form)
    , m_pane(new PreviewPane(this))
{
    setObjectName(QStringLiteral("PreviewCommands"));
    form->onEdPrv = [this] { EdPrv(); };
    form->onPreviewLater = [this] { previewLater(); };
    m_pause = new QTimer(this);
    m_pause->setObjectName(QStringLiteral("PreviewPause"));
    m_pause->setSingleShot(true);
    m_pause->setInterval(PauseMs);
    m_latest = new QTimer(this);
    m_latest->setObjectName(QStringLiteral("PreviewLatest"));
    m_latest->setSingleShot(true);
    m_latest->setInterval(LatestMs);
    connect(m_pause, &QTimer::timeout, this, &PreviewCommands::writeTyped);
    connect(m_latest, &QTimer::timeout, this, &PreviewCommands::writeTyped);
    connect(m_pane, &PreviewPane::writeFailed, this,
            [](const QString &error) { Ui().setStatusText(QStringLiteral("プレビューを書き込めません: ") + error); });
    form->setCommand(QStringLiteral("minmnyPrv"), [this] { minmnyPrv(); });
    form->setCommand(QStringLiteral("minmnyAt"), [this] { minmnyAt(); });
    form->setCommand(QStringLiteral("minmnyLoad"), [this] {
        m_pane->reloadNext();
        EdPrv();
    });
    form->setCommand(QStringLiteral("minmnyNext"), [this] {
        if (BrowserView *b = m_form->ui().MainBr)
            b->forward();
    });
    form->setCommand(QStringLiteral("minmnyBack"), [this] {
        if (BrowserView *b = m_form->ui().MainBr)
            b->back();
    });
    form->setCommand(QStringLiteral("minmnyReload"), [this] {
        if (BrowserView *b = m_form->ui().MainBr)
            b->reload();
    });
    form->setCommand(QStringLiteral("minmnyPlb"), [this] { minmnyPlb(); });
    // "プレビューの幅": one of three, like radio buttons.
    auto *widths = new QActionGroup(this);
    const QString habaNames[] = {QStringLiteral("PrvHabaminmnyAll"), QStringLiteral("PrvHabaminmnyPhone"),
                                 QStringLiteral("PrvHabaminmnyTablet")};
    const QList<std::pair<int, QString>> choices = PageWidthChoices();
    for (int i = 0; i < choices.size(); ++i) {
        QAction *a = form->action(habaNames[i]);
        a->setCheckable(true);
        a->setData(choices.at(i).first);
        widths->addAction(a);
        form->setCommand(habaNames[i], [this, a] { setPageWidth(a->data().toInt()); });
    }
    connect(form, &MainForm::startedUp, this, &PreviewCommands::loadOption);
    connect(form, &MainForm::closing, this, &PreviewCommands::saveOption);

    // The browser pane is created once the window is on screen; the first
    // preview asked for before then waits in the pane.
    form->onFirstShow = [this] { attachBrowser(); };
    form->installEventFilter(this);
    if (m_form->ui().MainBr)
        attachBrowser();
}

bool PreviewCommands::eventFilter(QObject *watched, QEvent *event)
{
    // A closed window writes no more copies: the folder has been emptied.
    if (watched == m_form && event->type() == QEvent::Hide && !event->spontaneous()) {
        m_pause->stop();
        m_latest->stop();
    }
    return QObject::eventFilter(watched, event);
}

void PreviewCommands::attachBrowser()
{
    if (m_attached)
        return;
    m_attached = true;
    BrowserView *br = m_form->mainBrowser();
    connect(br, &BrowserView::focusReceived, this, [this] {
        Ui().setStatusText(focusText(m_form->action(QStringLiteral("minmnyAt"))->isChecked()));
    });
    m_pane->setView(br);
    m_form->ui().MainBrFrame->setPageWidth(m_pageWidth);
}

void PreviewCommands::setPageWidth(int cssPixels)
{
    m_pageWidth = cssPixels;
    for (QAction *a : m_form->action(QStringLiteral("PrvHabaminmnyAll"))->actionGroup()->actions())
        if (a->data().toInt() == cssPixels)
            a->setChecked(true);
    if (DeviceFrame *frame = m_form->ui().MainBrFrame)
        frame->setPageWidth(cssPixels);
    if (m_prvForm)
        m_prvForm->setPageWidth(cssPixels);
}

void PreviewCommands::loadOption()
{
    setPageWidth(ReadOptionDate(OptionDatePath()).value_or(EditorOptions()).PreviewWidth);
}

void PreviewCommands::saveOption()
{
    // The file's other fields stay as the user left them; like the other
    // settings files, what cannot be written is not kept.
    EditorOptions o = ReadOptionDate(OptionDatePath()).value_or(EditorOptions());
    o.PreviewWidth = m_pageWidth;
    WriteOptionDate(OptionDatePath(), o);
}

QString PreviewCommands::focusText(bool autoUpdate)
{
    if (autoUpdate)
        return QStringLiteral("プレビューはリアルタイムで更新されます");
    return QStringLiteral("プレビューを更新するには、プレビューメニューの") + QStringLiteral("「ファイルの再表示」を選択してください。");
}

void PreviewCommands::previewLater()
{
    if (!m_form->PrvVisible)
        return;
    m_pause->start();
    if (!m_latest->isActive())
        m_latest->start();
}

bool PreviewCommands::previewDue() const
{
    return m_pause->isActive() || m_latest->isActive() || m_pane->writesPending() > 0;
}

void PreviewCommands::writeTyped()
{
    m_pause->stop();
    m_latest->stop();
    if (!m_form->PrvVisible || !m_form->action(QStringLiteral("minmnyAt"))->isChecked())
        return;
    if (m_form->isVisible() && !m_attached)
        attachBrowser();
    // Names only: the text comes from the editor, as a copy of its pieces.
    const ProjectDates &p = m_form->projectFields();
    const int now = p.NowHtml;
    if (now < 0 || now >= p.Html.size())
        return;
    const QString path = TempC::TempPathFor(p.Html.at(now).outputName());
    if (path.isEmpty()) {
        // A name the folder refuses: the direct way says why.
        EdPrv();
        return;
    }
    m_pane->EdPrvLater(path, m_form->ui().MainText->htmlSnapshot());
}

void PreviewCommands::EdPrv()
{
    // A full refresh takes in whatever typing left to show.
    m_pause->stop();
    m_latest->stop();
    if (!m_form->PrvVisible)
        return;
    if (m_form->isVisible() && !m_attached)
        attachBrowser();
    const ProjectDates &p = m_form->project();
    QString error;
    if (!m_pane->EdPrv(p, p.NowHtml, true, &error) && !error.isEmpty()) {
        // Typing must not be interrupted by message boxes: the reason goes
        // to the status bar and the pane keeps what it showed.
        Ui().setStatusText(QStringLiteral("プレビューを書き込めません: ") + error);
    }
}

void PreviewCommands::minmnyPrv()
{
    m_form->PrvVisible = m_form->action(QStringLiteral("minmnyPrv"))->isChecked();
    if (m_form->PrvVisible)
        EdPrv();
    m_form->Form_Resize();
}

void PreviewCommands::minmnyAt()
{
    // Turning it on does not refresh by itself; the toolbar button follows.
    m_form->toolButton(QStringLiteral("AtKosin"))->setChecked(m_form->action(QStringLiteral("minmnyAt"))->isChecked());
}

void PreviewCommands::minmnyPlb()
{
    const ProjectDates &p = m_form->project();
    const TempC::TempCopyReport copied = TempC::CopyAllTempReport(p);
    const QString problems = copied.problems.join(u"\r\n");
    const auto reportProblems = [&problems] {
        if (!problems.isEmpty())
            Ui().message(QStringLiteral("次のファイルはプレビュー用に書き込めなかったため、プレビューに表示されません。\r\n") + problems,
                         UiService::Icon::Exclamation);
    };
    if (m_prvForm) {
        // Already open: the files are fresh, the window keeps its page. A
        // minimised window comes back, or it could not come to the front.
        m_prvForm->setWindowState(m_prvForm->windowState() & ~Qt::WindowMinimized);
        m_prvForm->show();
        m_prvForm->raise();
        m_prvForm->activateWindow();
        reportProblems();
        return;
    }
    const int now = p.NowHtml;
    if (now < 0 || now >= p.Html.size())
        return;
    // Without the page itself there is nothing to show; any other file that
    // is missing only leaves a gap in the page.
    if (copied.failedPages.contains(now)) {
        Ui().message(problems, UiService::Icon::Critical);
        return;
    }
    m_prvForm = new PrvForm(m_form);
    m_prvForm->setPageWidth(m_pageWidth);
    connect(m_prvForm, &PrvForm::pageWidthChosen, this, &PreviewCommands::setPageWidth);
    m_prvForm->Form_Load(p.ProjectPath, qint16(now), TempC::TempPathFor(p.Html.at(now).outputName()));
    m_prvForm->show();
    reportProblems();
}
