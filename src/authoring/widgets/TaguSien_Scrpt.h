#pragma once

#include "TaguSien_ListFile.h"
#include "TaguSien_WizEdit.h"
#include "WizRun.h"

#include <QDialog>

struct ProjectDates;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class TaguSien_WizWindow;
class WizStatementDialog;

// "入力支援スクリプト": the script editor. It shows a user script one statement
// a line, indented by nesting; statements are added from the palette of
// statement kinds, changed through their dialogs, deleted, cut, copied and
// pasted (the statement clipboard lives for the program's run), and the
// script is test-run with its wizard windows. Lines where ifs, elses and loops
// do not pair up are marked, with an explanation below the list.
class TaguSien_Scrpt : public QDialog
{
    Q_OBJECT

public:
    // dates names the script file and its name and description; saving puts
    // the name and description typed back into it. project supplies the
    // wizard windows' item lists. program is the statement table edited (the
    // shared one by default).
    TaguSien_Scrpt(EditWizDates &dates, const ProjectDates &project, QWidget *parent = nullptr,
                   WizProgram *program = nullptr);
    ~TaguSien_Scrpt() override;

    // Test runs stop after this many statements.
    qint64 stepLimit = WizStepLimit;

    // Whether the statements, the name or the description differ from what
    // was last saved (or loaded).
    bool changed() const;

    // Rebuilds the statement list from the table.
    void ShowSc();

    // The buttons' commands.
    void Command1_Click(); // add the palette's kind after the selected line
    void Command2_Click(); // delete the selected statement
    void Command5_Click(); // edit the selected statement
    bool Command4_Click(); // save; false when nothing was written
    void Command6_Click(); // test run

public Q_SLOTS:
    // Closing asks whether to save changes; Cancel stays in the editor.
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void List_Click();
    void selectLine(int row);
    void showNestStatus();
    // Shows a statement dialog modally; true when it changed the table.
    bool runDialog(WizStatementDialog &dialog);
    void takeSnapshot();

    EditWizDates &m_dates;
    const ProjectDates &m_project;
    WizProgram &m_program;

    QLineEdit *m_Text1 = nullptr;
    QLineEdit *m_Text2 = nullptr;
    QListWidget *m_List1 = nullptr;
    QListWidget *m_List2 = nullptr;
    QPushButton *m_Command1 = nullptr;
    QPushButton *m_Command2 = nullptr;
    QPushButton *m_Command3 = nullptr;
    QPushButton *m_Command4 = nullptr;
    QPushButton *m_Command5 = nullptr;
    QPushButton *m_Command6 = nullptr;
    QPlainTextEdit *m_Text3 = nullptr;
    QLabel *m_TestMessage = nullptr;
    QLabel *m_StatusText = nullptr;
    TaguSien_WizWindow *m_wizWindow = nullptr;

    QVector<WizNestProblem> m_problems;
    QVector<WizOp> m_savedOps;
    QString m_savedName;
    QString m_savedSetumei;
};
