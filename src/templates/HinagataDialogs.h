#pragma once

#include "HinagataEdit.h"
#include "ProjectDates.h"

#include <QDialog>
#include <QStringList>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabBar;

// Which kind of template a dialog deals with (HinaMode).
enum HinaKind : qint16 { HinaProject = 0, HinaHtml = 1 };

// What the chooser returned (HinaKekka).
enum HinaResult : qint16 { HinaCancelled = -1, HinaBasic = 0, HinaUser = 1 };

// The template chooser "雛型の選択": a tab for the basic and one for the user
// set of one kind, the list of the set's templates and the description of the
// selected one. OK or a double click chooses, anything else cancels.
class Hinagata : public QDialog
{
    Q_OBJECT

public:
    explicit Hinagata(HinaKind hinaMode, QWidget *parent = nullptr);

    qint16 HinaKekka() const { return m_hinaKekka; }
    qint16 HinaIndex() const { return m_hinaIndex; }
    // The chosen template's file; empty when nothing was chosen.
    QString chosenFile() const;

    void done(int r) override;

private:
    void listSet();
    void choose();

    HinaKind m_mode;
    qint16 m_hinaKekka = HinaCancelled;
    qint16 m_hinaIndex = -1;
    QStringList m_setumei;
    QTabBar *m_tabStrip1 = nullptr;
    QListWidget *m_list1 = nullptr;
    QLabel *m_label1 = nullptr;
    QPushButton *m_command1 = nullptr;
};

// The registration dialog: the name and a one-line description of a new user
// template holding the current project (HinaProject) or the current page
// (HinaHtml). OK registers it at the end of the user set; a name or a
// description the list cannot hold, or a failed write, is reported and the
// dialog stays open.
class HinagataNewForm : public QDialog
{
    Q_OBJECT

public:
    HinagataNewForm(HinaKind kind, const ProjectDates &project, QWidget *parent = nullptr);

private:
    void updateState();
    void Command1_Click();

    HinaKind m_kind;
    const ProjectDates &m_project;
    QLineEdit *m_text1 = nullptr;
    QLineEdit *m_text2 = nullptr;
    QPushButton *m_command1 = nullptr;
};

// The list of user templates "雛型リスト": a tab per kind, the list and the
// description of the selected template; "削除" deletes the selected one.
class HinagataList : public QDialog
{
    Q_OBJECT

public:
    explicit HinagataList(QWidget *parent = nullptr);

private:
    void listSet();
    void Command2_Click();
    bool htmlShown() const;

    QStringList m_setumei;
    QTabBar *m_tabStrip1 = nullptr;
    QListWidget *m_list1 = nullptr;
    QLabel *m_label1 = nullptr;
    QPushButton *m_command2 = nullptr;
};
