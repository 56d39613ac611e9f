#pragma once

#include "LinkCheckForm.h"

#include <QObject>
#include <QPointer>

class MainForm;

// The link check: the file menu's "リンクの確認" and the question the output
// commands ask first. Problems are listed in a window of their own that stays
// open beside the editor; a chosen row shows its place in the editor.
class LinkCommands : public QObject
{
    Q_OBJECT

public:
    LinkCommands(MainForm *form, QObject *parent);

    void minmnyLinkCheck();

    // Before output: true when the links are sound or the user wants the
    // output anyway; false when the user stopped to look at the problems
    // (the list is then shown).
    bool askBeforeOutput();

    // Shows an entry's place: its page in the editor with the link selected.
    void jumpTo(const LinkIssue &issue);

    // The list window, when it has been opened.
    LinkCheckForm *window() const { return m_window; }

private:
    void showIssues(const QVector<LinkIssue> &issues);
    QStringList pageNames() const;

    MainForm *m_form;
    QPointer<LinkCheckForm> m_window;
};

// Asks the link question before output when the main window has the link
// check (true when it has none).
bool AskLinksBeforeOutput(MainForm *form);
