#include "ScriptSave.h"

#include "UiService.h"
#include "WizDate.h"
#include "WizList.h"
#include "WizTextCheck.h"

#include <QLineEdit>

bool SaveEditedScript(EditWizDates &dates, const WizProgram &program,
                      std::initializer_list<std::pair<QString, QLineEdit *>> checkedFields,
                      const QLineEdit *name, const QLineEdit *description)
{
    for (const auto &[what, edit] : checkedFields) {
        // The name and description go into the list file, the rest into the script.
        const bool isName = edit == name || edit == description;
        if (const QString why = isName ? WizNameRefusal(what, edit->text()) : WizTextRefusal(what, edit->text());
            !why.isEmpty()) {
            Ui().message(why, UiService::Icon::Critical);
            edit->setFocus();
            return false;
        }
    }
    QString error;
    if (!SaveWizDate(dates.EditWizPath, program, &error, LinkMode::Replace)) {
        Ui().message(error, UiService::Icon::Critical);
        return false;
    }
    dates.EditWizName = name->text();
    dates.EditWizSetumei = description->text();
    return true;
}
