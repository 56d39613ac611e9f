#pragma once

#include "WizDate.h"
#include "WizList.h"

#include <QDialog>

class NumberBox;
class QLineEdit;
class QPushButton;

// "フォントの設定": edits a user font entry. A font entry is a script laid out
// as the default font script: statement 1 assigns the colour, statement 2 the
// face and statement 3 the size. The dialog shows those three constants and
// the entry's name and description, writes every change into the script at
// once and saves it on "保存".
class TaguSien_MakeFont : public QDialog
{
    Q_OBJECT

public:
    // dates names the entry's file, name and description; "保存" puts the
    // name and description typed back into it. program is the statement table
    // to load the script into (the shared one by default).
    explicit TaguSien_MakeFont(EditWizDates &dates, QWidget *parent = nullptr, WizProgram *program = nullptr);

    // Whether the file loaded with the font layout (else nothing can be edited).
    bool loaded() const { return m_loaded; }
    // Whether something changed since the last save.
    bool changed() const { return m_changed; }

public Q_SLOTS:
    void reject() override;

private:
    void load();
    void setColour(const QString &text);
    void setFace(const QString &text);
    void setSize(qint16 size);
    void chooseColour();
    bool Command2_Click(); // save
    void markChanged();

    EditWizDates &m_dates;
    WizProgram &m_program;
    QLineEdit *m_Text1 = nullptr; // face
    NumberBox *m_Text2 = nullptr; // size
    QLineEdit *m_Text3 = nullptr; // colour
    QLineEdit *m_Text4 = nullptr; // name
    QLineEdit *m_Text5 = nullptr; // description
    QPushButton *m_Command1 = nullptr;
    QPushButton *m_Command2 = nullptr;
    QPushButton *m_Command3 = nullptr;
    bool m_loaded = false;
    bool m_loading = false;
    bool m_changed = false;
};
