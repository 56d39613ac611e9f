#pragma once

#include <QDialog>
#include <QStringList>

struct ProjectDates;
class QLabel;
class QListWidget;
class QPushButton;
class QTabBar;

// "タグ入力支援ユーザー定義リスト": the user's own font entries (tab
// "フォント") and insertion scripts (tab "挿入支援"). Entries are created,
// edited in the font dialog or the script editor, deleted, and on the second
// tab imported from and exported to ".tisd" files. Every change goes straight
// to disk and the list is then read again.
class TaguSien_WizList : public QDialog
{
    Q_OBJECT

public:
    // project supplies the page, picture and file lists of a test run's
    // wizard windows; it must outlive the window.
    explicit TaguSien_WizList(const ProjectDates &project, QWidget *parent = nullptr);

    // The folder of the chosen tab.
    QString WizDir() const { return m_WizDir; }

    // The step limit of test runs in the script editors opened from here.
    qint64 stepLimit;

    // The buttons' commands, as the buttons run them.
    void Command1_Click(); // edit
    void Command2_Click(); // new
    void Command3_Click(); // delete
    void Command5_Click(); // add from file
    void Command6_Click(); // save to file

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void TabStrip1_Click(int selectRow = 0);
    void LoadWizList(const QString &folder);
    void List1_Click();

    const ProjectDates &m_project;
    QString m_WizDir;
    QStringList m_Setumei;
    QTabBar *m_TabStrip1 = nullptr;
    QListWidget *m_List1 = nullptr;
    QLabel *m_Label1 = nullptr;
    QPushButton *m_Command[7] = {};
};
