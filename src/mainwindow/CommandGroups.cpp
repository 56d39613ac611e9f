// The command groups of the main window. Each group registers the handlers
// of its menu items with MainForm::setCommand and fills MainForm's hooks.

#include "CatalogueCommands.h"
#include "ItemCommands.h"
#include "HelpCommands.h"
#include "MainForm.h"
#include "PreviewCommands.h"
#include "ViewCommands.h"
#include "ProjectCommands.h"
#include "SearchCommands.h"

void InstallCommandGroups(MainForm *form, QObject *owner)
{
    new ProjectCommands(form, owner);
    new SearchCommands(form, owner);
    new ItemCommands(form, owner);
    new CatalogueCommands(form, owner);
    new ViewCommands(form, owner);
    new PreviewCommands(form, owner);
    new HelpCommands(form, owner);
}
