#include "ScriptSave.h"

#include "TaguSien_ListFile.h"
#include "UiService.h"
#include "WizDate.h"
#include "WizTextCheck.h"

#include <QLineEdit>

bool SaveEditedScript(EditWizDates &dates, const WizProgram &program,
                      std::initializer_list<std::pair<QString, QLineEdit *>> checkedFields,
                      const QLineEdit *name, const QLineEdit *description)
{
    for (const auto &[what, edit] : checkedFields) {
        if (const QString why = WizTextRefusal(what, edit->text()); !why.isEmpty()) {
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
