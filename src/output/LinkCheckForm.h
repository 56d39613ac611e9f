#pragma once

#include "LinkCheck.h"

#include <QDialog>
#include <QVector>

class QLabel;
class QPushButton;
class QTreeWidget;

// The result window of the link check "リンクの確認": one row per problem
// (page, line, the link, what is wrong). Activating a row (double click or
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

Q_SIGNALS:
    void jumpRequested(const LinkIssue &issue);
    void recheckRequested();

private:
    QLabel *m_label1;
    QTreeWidget *m_list1;
    QPushButton *m_command1;
    QPushButton *m_command2;
    QVector<LinkIssue> m_issues;
};
