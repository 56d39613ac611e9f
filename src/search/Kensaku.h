#pragma once

#include "ProjectDates.h"

#include <QDialog>

class PageEditor;
class QLineEdit;
class QPushButton;

// The search dialog "検索": finds a text in the shown page and selects it in
// the editor. The next search starts one character after the previous hit.
class Kensaku : public QDialog
{
    Q_OBJECT

public:
    Kensaku(ProjectDates &project, PageEditor *editor, QWidget *parent = nullptr);

    qint32 KensakuPos = 0;

private:
    void Text1_Change();
    void Command1_Click();

    ProjectDates &m_project;
    PageEditor *m_editor;
    QLineEdit *m_text1;
    QPushButton *m_command1;
};

// The replace dialog "置換": search as above, replace the selection, or
// replace every hit in the page as one edit.
class KensakuTikan : public QDialog
{
    Q_OBJECT

public:
    KensakuTikan(ProjectDates &project, PageEditor *editor, QWidget *parent = nullptr);

    qint32 KensakuPos = 0;
    bool KensakuHit = false;

private:
    void applyButtonRule();
    void Text1_Change();
    void Command1_Click();
    void Command3_Click();
    void Command4_Click();

    ProjectDates &m_project;
    PageEditor *m_editor;
    QLineEdit *m_text1;
    QLineEdit *m_text2;
    QPushButton *m_command1;
    QPushButton *m_command3;
    QPushButton *m_command4;
};

// One search step shared by both dialogs: selects the hit and returns true, or
// reports the end of the search and returns false. pos is advanced or reset.
bool KensakuStep(ProjectDates &project, PageEditor *editor, const QString &text, qint32 &pos);

// Replaces every hit of find in the editor's text as replace-all defines it
// (left to right, resuming after each inserted text) as one edit of the
// editor: one change, one undo step. The caret ends after the last inserted
// text. Returns the number of hits replaced.
int TikanAllInEditor(PageEditor *editor, const QString &find, const QString &repl);
