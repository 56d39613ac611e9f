#pragma once

#include "WizRun.h"

#include <QDialog>

#include <array>

struct ProjectDates;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

// The wizard input window. A script's input-window statement shows up to four
// input objects here (texts, integers with up/down buttons, check boxes,
// option buttons, the project's pages, pictures or files, labels, colours);
// the main button stores what the user entered into the script's variables.
// One instance serves every input window of a run: it is loaded anew for each
// statement and shown modally.
class TaguSien_WizWindow : public QDialog, public WizardHost
{
    Q_OBJECT

public:
    // project supplies the page, picture and other-file lists; it must outlive
    // the window.
    explicit TaguSien_WizWindow(const ProjectDates &project, QWidget *parent = nullptr);
    ~TaguSien_WizWindow() override;

    // Loads the window for statement WizNowOp and shows it modally; true when
    // it was closed with its main button.
    bool showInputWindow(const WizProgram &program, qint16 WizNowOp, WizVariables &vars) override;

    // Prepares the window for statement WizNowOp without showing it (used by
    // showInputWindow, and by tests that look at a loaded window).
    void loadStatement(const WizProgram &program, qint16 WizNowOp, WizVariables &vars);

    // How the window was closed: true by its main button, false by cancel or
    // the title bar's close box.
    bool WizNext() const { return m_WizNext; }

    // Per-slot state of the loaded statement.
    qint16 ObjKind(int k) const { return m_ObjKind.at(size_t(k)); }
    qint16 ObjHensu(int k) const { return m_ObjHensu.at(size_t(k)); }
    qint16 ObjIntValue(int k) const { return m_ObjIntValue.at(size_t(k)); }

public Q_SLOTS:
    void reject() override;

private:
    struct Slot
    {
        QLabel *Label1 = nullptr;
        QLineEdit *Text1 = nullptr;
        QWidget *UpDown1 = nullptr;
        QToolButton *up = nullptr;
        QToolButton *down = nullptr;
        QComboBox *Combo1 = nullptr;
        QCheckBox *Check1 = nullptr;
        QRadioButton *Option1 = nullptr;
        QPushButton *Command3 = nullptr;
    };

    void buildControls();
    void SetWizObjSize();
    void VewObjs(const WizOp &op);
    void VewObjsMin(qint16 MakeObjType, const QString &caption, int Index, const QString &shokiti);
    void hideSlot(int k);
    // Gives the focus to the first shown input field.
    void focusFirstInput();
    void SaveHensu(int k);
    // The text of an integer slot changed: keep it when it is a 16-bit
    // integer, else beep and show the last valid value again.
    void checkIntText(int k);
    void stepInt(int k, int delta);
    void chooseColor(int k);
    void Command1_Click();
    void Command2_Click();

    const ProjectDates &m_project;
    std::array<Slot, 4> m_slots;
    QButtonGroup *m_options = nullptr;
    QPushButton *m_Command1 = nullptr;
    QPushButton *m_Command2 = nullptr;

    std::array<qint16, 4> m_ObjKind{{-1, -1, -1, -1}};
    std::array<qint16, 4> m_ObjHensu{{-1, -1, -1, -1}};
    std::array<qint16, 4> m_ObjIntValue{{0, 0, 0, 0}};
    WizVariables *m_vars = nullptr;
    bool m_WizNext = false;
    bool m_restoring = false;
};
