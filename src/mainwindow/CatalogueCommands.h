#pragma once

#include "WizRun.h"

#include <QObject>
#include <QStringList>

class MainForm;
class TaguSien_WizWindow;

// The tag insertion catalogue beside the editor: the group combo, the list of
// kinds and the list of entries; inserting a link or picture tag for one of
// the project's items, or the output of an insertion script, in place of the
// editor's selection; the status texts that describe the entries; and the
// view command that shows or hides the catalogue.
class CatalogueCommands : public QObject
{
    Q_OBJECT

public:
    CatalogueCommands(MainForm *form, QObject *owner);
    ~CatalogueCommands() override;

    // The kinds of the catalogue's groups, as InSelectList shows them.
    static QStringList kindsOfGroup(int group);
    // The script folder (below AppDir, backslash form) of a script kind, or an
    // empty text for a file kind.
    static QString scriptFolder(const QString &kind);

    void TagTypeCombo_Click();
    void InSelectList_Click();
    void InTagList_Click();
    void InTagList_DblClick();
    // Opens the user script list; afterwards the catalogue is read again.
    void minmnyWizList();
    // Fills InTagList and WizSetumei from folder\WizList.dat.
    void LoadWizList(const QString &folder);

    // The descriptions of the listed script entries.
    const QStringList &WizSetumei() const { return m_WizSetumei; }

    // A script run that has not ended after this many statements is stopped
    // (tests lower it).
    qint64 stepLimit = WizStepLimit;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString currentKind() const;
    void insertItemTag(const QString &kind, int i);
    void runScript(const QString &folder, int i);
    void setFileNameOnly(bool enabled);

    MainForm *m_form;
    QStringList m_WizSetumei;
    TaguSien_WizWindow *m_wizWindow = nullptr;
    // The current entry of InTagList when the mouse button went down on it.
    int m_pressRow = -1;
};
