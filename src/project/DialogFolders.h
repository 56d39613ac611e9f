#pragma once

#include <QString>

// Where the file dialogs start. Beginners keep their sites wherever the first
// dialog happens to show, so no dialog ever starts inside the program folder
// or the data folder (AppDir, the per-user folder), which an update or an
// uninstall may remove. The first dialog starts in the user's Documents
// folder (or home); afterwards each kind starts where it was last used, or in
// the folder of the open project. Kept for the run of the program only.

enum class DialogKind {
    Project,   // open and save a project
    Page,      // save a page as HTML, add a page from a file
    Picture,   // the picture of a picture item
    OtherFile, // the file of an other-file item
    Script,    // import and export of a single script
};

// The folder a dialog of kind starts in. projectPath is the open project's
// ProjectPath (a path once saved or opened).
QString DialogStartFolder(DialogKind kind, const QString &projectPath);

// Remembers the folder of a file chosen in a dialog of kind. An empty path
// (a cancelled dialog) changes nothing.
void RememberDialogChoice(DialogKind kind, const QString &chosenPath);

// Forgets every remembered folder, as at the start of the program.
void ForgetDialogFolders();

// True when folder is the program folder, AppDir, the per-user data folder, or
// lies inside one of them.
bool IsProgramFolder(const QString &folder);
