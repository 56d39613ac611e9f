// The command groups of the main window. Each group registers the handlers
// of its menu items with MainForm::setCommand and fills MainForm's hooks.

#include "MainForm.h"

#include "CatalogueCommands.h"
#include "HelpCommands.h"
#include "HighlightCommands.h"
#include "ItemCommands.h"
#include "LinkCommands.h"
#include "OutputCharsetCommands.h"
#include "PreviewCommands.h"
#include "PublishCommands.h"
#include "ProjectCommands.h"
#include "RecoveryCommands.h"
#include "SearchCommands.h"
#include "TemplateCommands.h"
#include "ViewCommands.h"

void InstallCommandGroups(MainForm *form, QObject *owner)
{
    new ProjectCommands(form, owner);
    new SearchCommands(form, owner);
    new ItemCommands(form, owner);
    new LinkCommands(form, owner);
    new CatalogueCommands(form, owner);
    new ViewCommands(form, owner);
    new PreviewCommands(form, owner);
    new HelpCommands(form, owner);
    new TemplateCommands(form, owner);
    new HighlightCommands(form, owner);
    new RecoveryCommands(form, owner);
    new OutputCharsetCommands(form, owner);
    // Last: it wraps the closing that ProjectCommands set.
    new PublishCommands(form, owner);
}
