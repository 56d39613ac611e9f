#pragma once

#include "LinkCheckForm.h"

#include <QObject>
#include <QPointer>

class MainForm;

// The link check and the page check: the file menu's "リンクの確認" and
// "ページの確認", and the question the output commands ask first. Problems are
// listed in a window of their own that stays open beside the editor; a chosen
// row shows its place in the editor.
class LinkCommands : public QObject
{
    Q_OBJECT

public:
    LinkCommands(MainForm *form, QObject *parent);

    void minmnyLinkCheck();
    void minmnyPageCheck();

    // Before output: true when the links and pages are sound (advice of the
    // page check aside) or the user wants the output anyway; false when the
    // user stopped to look at the problems (the lists are then shown).
    bool askBeforeOutput();

    // Shows an entry's place: its page in the editor with the link selected.
    void jumpTo(const LinkIssue &issue);
    // The same for a row of the page check: the caret at its line and column.
    void jumpToPage(const PageIssue &issue);

    // The list windows, when they have been opened.
    LinkCheckForm *window() const { return m_window; }
    LinkCheckForm *pageWindow() const { return m_pageWindow; }

private:
    void showIssues(const QVector<LinkIssue> &issues);
    void showPageIssues(const QVector<PageIssue> &issues);
    void openWindow(QPointer<LinkCheckForm> &window); // places it the first time, shows it
    QStringList pageNames() const;

    MainForm *m_form;
    QPointer<LinkCheckForm> m_window;
    QPointer<LinkCheckForm> m_pageWindow;
};

// Asks the link question before output when the main window has the link
// check (true when it has none).
bool AskLinksBeforeOutput(MainForm *form);
