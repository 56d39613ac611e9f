#pragma once

#include <QObject>

class MainForm;
struct SioriEdit;

// The "検索" menu: search and replace in the shown page, inserting and
// deleting bookmarks, and the main window's bookmark jump and rename hooks.
class SearchCommands : public QObject
{
    Q_OBJECT

public:
    SearchCommands(MainForm *form, QObject *parent);

    void minmnySati();
    void minmnyTikan();
    void minmnySiori();
    void minmnyDelSiori();
    // Double click on a bookmark: select its comment, switching pages if needed.
    void SioriJump();
    // Settings of the selected bookmark: rename it.
    void SioriSettings();

private:
    // Shows a page change made on the records in the editor when it is the
    // shown page, as one edit.
    void mirrorEdit(const SioriEdit &edit, const QString &oldText);

    MainForm *m_form;
};
