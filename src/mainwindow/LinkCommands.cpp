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

bool LinkCommands::askBeforeOutput()
{
    const QVector<LinkIssue> issues = CheckLinks(m_form->project());
    if (issues.isEmpty())
        return true;
    const QString question = QStringLiteral("リンクの確認で問題が %1 件見つかりました。\r\n"
                                            "このまま出力しますか？\r\n\r\n"
                                            "（「いいえ」を選ぶと出力をやめて、問題の一覧を表示します）")
                                 .arg(issues.size());
    if (Ui().askYesNo(question, UiService::Icon::Question))
        return true;
    showIssues(issues);
    return false;
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
    if (!m_window->isVisible())
        PlaceBelowEditor(m_window, m_form);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
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

bool AskLinksBeforeOutput(MainForm *form)
{
    auto *links = form->findChild<LinkCommands *>(QStringLiteral("LinkCommands"));
    return !links || links->askBeforeOutput();
}
