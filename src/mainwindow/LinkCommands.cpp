#include "LinkCommands.h"

#include "LinkCheckForm.h"
#include "MainForm.h"
#include "ShowPlace.h"
#include "UiService.h"


LinkCommands::LinkCommands(MainForm *form, QObject *parent)
    : QObject(parent)
    , m_form(form)
{
    setObjectName(QStringLiteral("LinkCommands"));
    form->setCommand(QStringLiteral("minmnyLinkCheck"), [this] { minmnyLinkCheck(); });
    form->setCommand(QStringLiteral("minmnyPageCheck"), [this] { minmnyPageCheck(); });
}

void LinkCommands::minmnyLinkCheck()
{
    const QVector<LinkIssue> issues = CheckLinks(m_form->project());
    if (issues.isEmpty()) {
        // An open list would show problems that are gone.
        if (m_window)
            m_window->setIssues(issues, pageNames());
        Ui().message(QStringLiteral("リンクに問題は見つかりませんでした。"), UiService::Icon::Information);
        return;
    }
    showIssues(issues);
}

void LinkCommands::minmnyPageCheck()
{
    const QVector<PageIssue> issues = CheckPages(m_form->project());
    if (issues.isEmpty()) {
        if (m_pageWindow)
            m_pageWindow->setPageIssues(issues, pageNames());
        Ui().message(QStringLiteral("ページに問題は見つかりませんでした。"), UiService::Icon::Information);
        return;
    }
    showPageIssues(issues);
}

bool LinkCommands::askBeforeOutput()
{
    const QVector<LinkIssue> issues = CheckLinks(m_form->project());
    const QVector<PageIssue> pageIssues = CheckPages(m_form->project());
    const qsizetype pageFaults = PageFaultCount(pageIssues);
    if (issues.isEmpty() && pageFaults == 0)
        return true;
    QString question;
    if (!issues.isEmpty())
        question += QStringLiteral("リンクの確認で問題が %1 件見つかりました。\r\n").arg(issues.size());
    if (pageFaults > 0)
        question += QStringLiteral("ページの確認で問題が %1 件見つかりました。\r\n").arg(pageFaults);
    question += QStringLiteral("このまま出力しますか？\r\n\r\n"
                               "（「いいえ」を選ぶと出力をやめて、問題の一覧を表示します）");
    if (Ui().askYesNo(question, UiService::Icon::Question))
        return true;
    if (pageFaults > 0)
        showPageIssues(pageIssues);
    // The link list last, so that it stands in front.
    if (!issues.isEmpty())
        showIssues(issues);
    return false;
}

void LinkCommands::openWindow(QPointer<LinkCheckForm> &window)
{
    if (!window->isVisible()) {
        PlaceBelowEditor(window, m_form);
        // Both lists open: the one opened second stands above the other.
        const LinkCheckForm *other = window == m_window ? m_pageWindow : m_window;
        if (other && other->isVisible() && other->pos() == window->pos())
            window->move(window->x(), qMax(0, window->y() - window->frameGeometry().height()));
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void LinkCommands::showIssues(const QVector<LinkIssue> &issues)
{
    if (!m_window) {
        m_window = new LinkCheckForm(m_form);
        m_window->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_window, &LinkCheckForm::jumpRequested, this, &LinkCommands::jumpTo);
        connect(m_window, &LinkCheckForm::recheckRequested, this,
                [this] { m_window->setIssues(CheckLinks(m_form->project()), pageNames()); });
    }
    m_window->setIssues(issues, pageNames());
    openWindow(m_window);
}

void LinkCommands::showPageIssues(const QVector<PageIssue> &issues)
{
    if (!m_pageWindow) {
        m_pageWindow = new LinkCheckForm(m_form);
        m_pageWindow->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_pageWindow, &LinkCheckForm::pageJumpRequested, this, &LinkCommands::jumpToPage);
        connect(m_pageWindow, &LinkCheckForm::recheckRequested, this,
                [this] { m_pageWindow->setPageIssues(CheckPages(m_form->project()), pageNames()); });
    }
    m_pageWindow->setPageIssues(issues, pageNames());
    openWindow(m_pageWindow);
}

QStringList LinkCommands::pageNames() const
{
    return PageDisplayNames(m_form);
}

void LinkCommands::jumpTo(const LinkIssue &issue)
{
    if (!ShowPlace(m_form, issue.page, issue.line, issue.pos, issue.link))
        Ui().setStatusText(QStringLiteral("このリンクはページにもうありません。「再確認」で一覧を新しくしてください。"));
}

void LinkCommands::jumpToPage(const PageIssue &issue)
{
    // The caret at the place, nothing selected: a column of a page edited
    // since the check may stand elsewhere, but on the line it was found on.
    const ProjectDates &p = m_form->project();
    const qsizetype at = issue.page < p.Html.size() ? PagePlace(p.Html.at(issue.page).HtmlStr, issue.line, issue.column) : -1;
    if (at < 0)
        Ui().beep();
    if (at < 0 || !ShowPlace(m_form, issue.page, issue.line, at, QString()))
        Ui().setStatusText(QStringLiteral("この場所はページにもうありません。「再確認」で一覧を新しくしてください。"));
}

bool AskLinksBeforeOutput(MainForm *form)
{
    auto *links = form->findChild<LinkCommands *>(QStringLiteral("LinkCommands"));
    return !links || links->askBeforeOutput();
}
