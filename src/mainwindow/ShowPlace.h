#pragma once

#include <QString>
#include <QStringList>

class MainForm;
class QWidget;

// Helpers of the windows that list places in pages (link check, search of all
// pages).

// The texts and display names of every page as they are now.
QStringList CurrentPageTexts(MainForm *form);
QStringList PageDisplayNames(MainForm *form);

// Shows a place of a page in the editor: the page as choosing it in the page
// list would show it (showing is no change: the changed flag stays as it
// was), and the text expected there selected. When the page was edited since
// the place was found, the text is looked for from the start of its line,
// then anywhere in the page. False, after the warning beep, when the page or
// the text is gone.
bool ShowPlace(MainForm *form, int page, int line, qsizetype pos, const QString &expected);

// Places a list window over the lower part of the main window, where the
// preview is, so that the place it shows in the editor stays in sight.
void PlaceBelowEditor(QWidget *window, QWidget *main);
