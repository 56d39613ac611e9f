#pragma once

#include "DialogFolders.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

#include <optional>

class QLabel;

// Everything the program shows the user outside its own windows: message
// boxes, the warning beep, the common dialogs and the status-bar text. The
// program reaches it through Ui(); tests install a recorder (RecordingUi) that
// answers from a script and remembers what was shown.
class UiService
{
public:
    enum class Icon { None, Critical, Exclamation, Information, Question };
    enum class Answer { Yes, No, Cancel };

    virtual ~UiService();

    // A message box with only an OK button and the program's title.
    virtual void message(const QString &text, Icon icon) = 0;
    // A question with Yes and No; true for Yes. Enter chooses defaultAnswer
    // (Yes or No); Escape and the close box answer No.
    virtual bool askYesNo(const QString &text, Icon icon, Answer defaultAnswer = Answer::Yes) = 0;
    // A question with Yes, No and Cancel, Yes the default. Escape and the
    // window's close button answer Cancel: a question about keeping work
    // never counts a dismissed box as No.
    virtual Answer askYesNoCancel(const QString &text, Icon icon) = 0;
    // The system warning beep.
    virtual void beep() = 0;

    // File dialogs. The filter is written as "説明|*.a;*.b|説明|*.*" and turned
    // into the toolkit's syntax. An empty text means cancelled.
    virtual QString openFileName(const QString &filter, const QString &startDir = QString()) = 0;
    // The save dialog appends defaultSuffix ("hpf", without the dot) to a name
    // typed without an extension, before it asks about replacing a file.
    virtual QString saveFileName(const QString &filter, const QString &startDir = QString(),
                                 const QString &defaultSuffix = QString()) = 0;
    virtual QString chooseFolder(const QString &startDir = QString()) = 0;
    // std::nullopt means cancelled.
    virtual std::optional<QColor> chooseColor(const QColor &initial) = 0;
    virtual std::optional<QFont> chooseFont(const QFont &initial) = 0;

    // Starts a program detached; false when it cannot be started.
    virtual bool startProgram(const QString &program, const QStringList &arguments) = 0;

    // Closes every message box and question that is open, as if dismissed:
    // the program is ending and nobody may be there to answer.
    virtual void closeOpenBoxes() = 0;

    // The first panel of the main window's status bar.
    virtual void setStatusText(const QString &text) = 0;
    virtual QString statusText() const = 0;
};

// The service in use. By default the real one (message boxes on screen).
UiService &Ui();

// Installs another service (not owned); nullptr restores the real one.
void SetUi(UiService *service);

// The label of the main window's first status-bar panel, where status texts
// are shown (not owned; nullptr for none). A label of its own, not a
// temporary message of the status bar, so that menus passing over the bar
// do not wipe the text.
void SetStatusPanel(QLabel *panel);
// Shows text on that panel, if there is one.
void ShowOnStatusPanel(const QString &text);

// Loads Qt's own Japanese translations (the common dialogs, the editor's
// context menu) into the application. False when they are not installed.
bool InstallQtTranslations();

// An open or save dialog of a kind: it starts where DialogStartFolder says
// (never in the program's own folders) and remembers where the user chose.
// An empty text means cancelled.
QString OpenFileOfKind(DialogKind kind, const QString &filter, const QString &projectPath);
QString SaveFileOfKind(DialogKind kind, const QString &filter, const QString &projectPath,
                       const QString &defaultSuffix = QString());

// The title every message box carries.
QString ProgramTitle();

// Turns "説明|*.a;*.b|説明2|*.*" into Qt's "説明 (*.a *.b);;説明2 (*.*)".
QString ToQtFilter(const QString &filter);
