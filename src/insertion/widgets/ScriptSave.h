#pragma once

#include <QString>

#include <initializer_list>
#include <utility>

class QLineEdit;
struct EditWizDates;
struct WizProgram;

// Saves the script an editor window is working on, as its 保存 button does:
// texts the script file cannot carry are refused first (the message names the
// field, which gets the focus), then the file is written, and only then are
// the typed name and description taken. Every failure is shown; false means
// nothing was saved. The caller marks itself saved and then says so.
bool SaveEditedScript(EditWizDates &dates, const WizProgram &program,
                      std::initializer_list<std::pair<QString, QLineEdit *>> checkedFields,
                      const QLineEdit *name, const QLineEdit *description);
