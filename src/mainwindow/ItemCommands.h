#pragma once

#include <QObject>
#include <QString>

class MainForm;

// The item commands of the edit menu and the item context menu: adding,
// configuring and deleting pages, pictures and other files, the page
// clipboard, inserting an item's file name, select all, date and time; and
// project output (choose folder, overwrite).
class ItemCommands : public QObject
{
    Q_OBJECT

public:
    ItemCommands(MainForm *form, QObject *parent);

    void AddHTMLminmnyNew();
    void AddHTMLminmnyFile();
    void minmnyHtmldel();
    void minmnyAddPict();
    void minmnyDelPict();
    void minmnyAddFile();
    void minmnyDelFile();
    void minmnySet();
    void minmnyHtmldelpopup();
    void minmnyInCutHtml();
    void minmnyInCopyHtml();
    void minmnyInPtHtml();
    void minmnyInSonyuName();
    void minmnyAll();
    void minmnyDateIn();
    void minmnyDatesSave();
    void minmnyUwagaki();

    // The date and time text minmnyDateIn inserts for the current moment.
    static QString DateTimeText();

private:
    // Re-runs the catalogue when it shows the kind entry kindText.
    void refreshCatalogueIf(const QString &kindText);
    // Re-shows a kind and selects entry index of it.
    void showItem(int kind, int index);
    void addFileItem(int kind);
    // Deletes the shown page; ask: confirm first.
    void delHtmlPage(bool ask);
    void delFileItem(int kind);

    MainForm *m_form;
};
