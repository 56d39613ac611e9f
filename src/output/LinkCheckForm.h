#pragma once

#include "LinkCheck.h"
#include "PageCheck.h"

#include <QDialog>
#include <QVector>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The result window of the link check "リンクの確認": one row per problem
// (page, line, the link, what is wrong), and of the page check "ページの確認"
// (page, line, column, what is wrong). Activating a row (double click or
// Enter) asks for the place to be shown in the editor; "再確認" asks for the
// check to run again. The window does not change the project.
class LinkCheckForm : public QDialog
{
    Q_OBJECT

public:
    explicit LinkCheckForm(QWidget *parent = nullptr);

    // Shows the problems; pageNames are the display names of the pages.
    void setIssues(const QVector<LinkIssue> &issues, const QStringList &pageNames);
    const QVector<LinkIssue> &issues() const { return m_issues; }

    // Shows the page check's problems instead.
    void setPageIssues(const QVector<PageIssue> &issues, const QStringList &pageNames);
    const QVector<PageIssue> &pageIssues() const { return m_pageIssues; }

Q_SIGNALS:
    void jumpRequested(const LinkIssue &issue);
    void pageJumpRequested(const PageIssue &issue);
    void recheckRequested();

private:
    void setRows(const QList<QTreeWidgetItem *> &rows, const QStringList &headers, const QString &label);

    QLabel *m_label1;
    QTreeWidget *m_list1;
    QPushButton *m_command1;
    QPushButton *m_command2;
    QVector<LinkIssue> m_issues;
    QVector<PageIssue> m_pageIssues;
    bool m_pages = false; // the page check's rows are shown
};
