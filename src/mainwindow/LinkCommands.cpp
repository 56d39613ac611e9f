#include "LinkCommands.h"

#include "LinkCheckForm.h"
#include "MainForm.h"
#include "PageEditor.h"
#include "UiService.h"

#include <QListWidget>
#include <QTextCursor>

// A list window opens over the lower part of the main window, where the
// preview is, so that the place it shows in the editor stays in sight.
void PlaceBelowEditor(QWidget *window, QWidget *main)
{
    const QRect frame = main->frameGeometry();
    const int w = qMin(760, qMax(320, frame.width() - 60));
    const int h = qMin(300, qMax(180, frame.height() / 3));
    window->resize(w, h);
    window->move(frame.x() + (frame.width() - w) / 2, frame.y() + frame.height() - h - 60);
}

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
    QStringList names;
    for (const HtmlDat &h : m_form->project().Html)
        names.append(h.DatName);
    return names;
}

void LinkCommands::jumpTo(const LinkIssue &issue)
{
    ProjectDates &p = m_form->project();
    if (issue.page < 0 || issue.page >= p.Html.size()) {
        Ui().beep();
        return;
    }
    // The page is shown as choosing it in the page list would show it; only
    // showing it is no change of the project.
    const bool henkou = p.Henkou;
    QListWidget *list = m_form->ui().DatList;
    if (p.ListType == KindHtml && list->currentRow() != issue.page)
        list->setCurrentRow(issue.page);
    else if (p.NowHtml != issue.page)
        m_form->showPage(issue.page);
    p.Henkou = henkou;

    // The page may have been edited since the check: the link is looked for
    // where it was, then from the start of its line, then anywhere.
    const QString &text = p.Html.at(issue.page).HtmlStr;
    qsizetype at = -1;
    if (text.mid(issue.pos, issue.length) == issue.link) {
        at = issue.pos;
    } else if (!issue.link.isEmpty()) {
        qsizetype lineStart = 0;
        for (int l = 1; l < issue.line && lineStart >= 0; ++l) {
            lineStart = text.indexOf(u'\n', lineStart);
            if (lineStart >= 0)
                ++lineStart;
        }
        at = text.indexOf(issue.link, qMax<qsizetype>(0, lineStart));
        if (at < 0)
            at = text.indexOf(issue.link);
    }
    PageEditor *editor = m_form->ui().MainText;
    if (at < 0) {
        Ui().beep();
        Ui().setStatusText(QStringLiteral("このリンクはページにもうありません。「再確認」で一覧を新しくしてください。"));
        return;
    }
    editor->moveCursor(QTextCursor::End);
    editor->selectHtml(at, issue.link.size());
    m_form->activateWindow();
    editor->setFocus();
}

bool AskLinksBeforeOutput(MainForm *form)
{
    auto *links = form->findChild<LinkCommands *>(QStringLiteral("LinkCommands"));
    return !links || links->askBeforeOutput();
}
