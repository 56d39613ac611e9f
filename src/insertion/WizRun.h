#pragma once

#include "WizDate.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

// The script interpreter: runs a statement table once and yields the text that
// replaces the editor's selection.

// The script variables. They live across runs; only a declaration statement
// re-creates them.
struct WizVariables
{
    QVector<qint16> IntHensu;
    QStringList StrHensu;
    QVector<bool> BoolHensu;
};

// The variables shared by the interpreter and the wizard window.
WizVariables &WizHensu();

// What a run needs from the outside world: the wizard input window. The window
// shows statement WizNowOp of program (its four input objects), may offer the
// project's pages, pictures and files, writes what the user entered into vars,
// and returns true when it was closed with its main button (WizNext) and false
// when it was cancelled.
class WizardHost
{
public:
    virtual ~WizardHost() = default;
    virtual bool showInputWindow(const WizProgram &program, qint16 WizNowOp, WizVariables &vars) = 0;
};

enum class WizRunStatus {
    Finished,  // ended at OpWizEnd or after the last statement
    Cancelled, // an input window was cancelled
    Stopped,   // the step limit was reached
    TooLong,   // the output grew past WizOutputLimit
    NotLoaded, // the script file failed to load and was not run
};

struct WizRunResult
{
    WizRunStatus status = WizRunStatus::Finished;
    // The text to put in place of the selection: the output when finished, the
    // selection itself when cancelled or stopped.
    QString text;
    // Statements stepped through, executed or passed over.
    qint64 steps = 0;
    // For RunWizDateFile: how loading the file went.
    WizLoadResult load = WizLoadResult::Loaded;
};

// A run that has not ended after this many statements is stopped: a loop whose
// exit condition never holds would otherwise hang the program. A declaration
// also counts one step for every eight variables it creates, so that a loop of
// huge declarations is bounded in time as well.
inline constexpr qint64 WizStepLimit = 50'000'000;

// A run whose output grows past this many characters is stopped: a loop that
// outputs a large selection would otherwise exhaust the memory.
inline constexpr qsizetype WizOutputLimit = 16 * 1024 * 1024;

// The message shown when a run was stopped by the step limit.
QString WizStoppedMessage();

// The message shown when a run was stopped because its output grew too long.
QString WizTooLongMessage();

// The message to show the user after a run with this status; empty when there
// is nothing to tell (finished, cancelled).
QString WizRunMessage(WizRunStatus status);

// Runs program once with the given selection. host may be null for scripts
// without input windows (an input window then counts as cancelled).
WizRunResult RunWizPrg(const WizProgram &program, WizVariables &vars, WizardHost *host,
                       const QString &selected, qint64 stepLimit = WizStepLimit);

// Runs the shared table WizPrg() with the shared variables WizHensu().
WizRunResult RunWizPrg(const QString &selected, WizardHost *host, qint64 stepLimit = WizStepLimit);

// Loads the script file path into WizPrg() and runs it with WizHensu(), as a
// catalogue entry does. A file that fails to load is not run (the previously
// loaded script must not stand in for it): the result is NotLoaded with the
// selection unchanged.
WizRunResult RunWizDateFile(const QString &path, const QString &selected, WizardHost *host,
                            qint64 stepLimit = WizStepLimit);

// Evaluates the condition of an OpBunki or OpLoopEnd statement. std::nullopt
// when it names a variable outside its table.
std::optional<bool> CheckBunki(const WizOp &op, const WizVariables &vars);

// The 16-bit result of left op right (0 +, 1 -, 2 *, 3 /), or std::nullopt when
// it leaves the target unchanged: overflow, division by zero, unknown operator.
// Division rounds to the nearest integer, ties to the even one.
std::optional<qint16> WizSisoku(qint16 op, qint16 left, qint16 right);

// Input-window values, shared with the wizard window so that its storing rules
// can be tested without a window.

// Converts the text of an integer input box: decimal with an optional sign; a
// fractional value is rounded to the nearest integer, ties to even.
// std::nullopt for an empty text, not a number, or out of the 16-bit range.
std::optional<qint16> ParseWizInt(const QString &text);

// The value one input object holds when the window's main button is pressed.
struct WizSlotValue
{
    QString text;      // text, colour and file-name kinds
    qint16 number = 0; // integer kind
    bool checked = false; // check box and option kinds
};

// The colour text written into markup: "#" and six upper-case hexadecimal
// digits, red first ("#FF0000" for pure red).
QString WizColourText(int red, int green, int blue);

// Stores a slot's value into the variable of its kind (0 text, 1 integer,
// 2 check box, 3 option, 4-6 file names, 8 colour); a label, no object, or a
// target outside its table stores nothing.
void SaveHensu(WizVariables &vars, qint16 kind, qint16 target, const WizSlotValue &value);
