#pragma once

#include "ProjectDates.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

// The bookmark name dialog "しおりの挿入". With EditNew set it appends a new
// name to SioriList; otherwise it renames entry EditIndex.
class AddSioriFrm : public QDialog
{
    Q_OBJECT

public:
    explicit AddSioriFrm(ProjectDates &project, QWidget *parent = nullptr);

private:
    void Command1_Click();

    ProjectDates &m_project;
    QLineEdit *m_text1;
    QPushButton *m_command1;
};
