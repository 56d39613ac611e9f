#pragma once

#include <QObject>

class MainForm;

// Keys, double clicks and right clicks on the item list (DatList) and the
// catalogue's entries (InTagList): Enter does what a double click does, the
// menu key and a right click open the list's pop-up menu, Ctrl+X/C/V and
// Delete act on the item list's pages. Installed on both lists and their
// viewports.
class ItemListKeys : public QObject
{
    Q_OBJECT

public:
    explicit ItemListKeys(MainForm *form);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void activateDatList();

    MainForm *m_form;
};
