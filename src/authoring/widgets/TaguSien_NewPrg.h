#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

// A user script folder whose list is damaged is never written over: the user
// is told what is wrong and may have the list rebuilt from the script files.
// False when the list stays as it is.
bool WizListWritable(const QString &folder);

// "新規入力支援スクリプト": names and describes a new entry of a user script
// folder and creates it (a font entry in the user font folder, else an empty
// script).
class TaguSien_NewPrg : public QDialog
{
    Q_OBJECT

public:
    // folder is the user folder the entry is created in.
    explicit TaguSien_NewPrg(const QString &folder, QWidget *parent = nullptr);

    // The index of the entry created, -1 when none was.
    qint16 newIndex() const { return m_newIndex; }

private:
    void textsChanged();
    void Command1_Click();

    QString m_folder;
    QLineEdit *m_Text1 = nullptr;
    QLineEdit *m_Text2 = nullptr;
    QPushButton *m_Command1 = nullptr;
    qint16 m_newIndex = -1;
};
