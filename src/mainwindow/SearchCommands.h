#pragma once

#include "KensakuAllFrm.h"

#include <QObject>
#include <QPointer>

class MainForm;
struct SioriEdit;

// The "検索" menu: search and replace in the shown page, search and replace
// in all pages, inserting and deleting bookmarks, and the main window's
// bookmark jump and rename hooks.
class SearchCommands : public QObject
{
    Q_OBJECT

public:
    SearchCommands(MainForm *form, QObject *parent);

    void minmnySati();
    void minmnyTikan();
    // The window of search and replace in all pages (it stays open beside
    // the editor; choosing the command again brings it to the front).
    void minmnyAllKensaku();
    KensakuAllFrm *allKensakuWindow() const { return m_allKensaku; }
    // "全て置換" of that window: asks once, replaces in every page, reports.
    void replaceAllPages(const QString &find, const QString &repl);
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
    QPointer<KensakuAllFrm> m_allKensaku;
};
