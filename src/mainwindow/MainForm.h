#pragma once

#include "ProjectDates.h"
#include "UiService.h"

#include <QHash>
#include <QMainWindow>

#include <functional>

class BrowserStart;
class BrowserView;
class DeviceFrame;
class PageEditor;
class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QStatusBar;
class QToolBar;

// The controls of the main window, named as the program's documents name them.
struct MainFormControls
{
    QComboBox *TagTypeCombo = nullptr;
    QListWidget *InSelectList = nullptr;
    QListWidget *InTagList = nullptr;
    QLabel *Label1 = nullptr;  // "画像プレビュー"
    QLabel *Image1 = nullptr;  // picture preview
    QFrame *LeftLine = nullptr;
    PageEditor *MainText = nullptr;
    QFrame *CenterLine = nullptr;
    QWidget *MainBrHolder = nullptr; // where the preview browser sits
    BrowserView *MainBr = nullptr;   // created once the window is shown
    DeviceFrame *MainBrFrame = nullptr; // MainBr's frame in MainBrHolder
    QFrame *RightLine = nullptr;
    QListWidget *MinDatList = nullptr;
    QListWidget *DatList = nullptr;
    QToolBar *Toolbar1 = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    QLabel *StatusPanel1 = nullptr;  // panel 1 of StatusBar1
    QMenu *mnyHtmlPopUp = nullptr;
    QMenu *mnySounyuPopUp = nullptr;
    QWidget *surface = nullptr; // the central area the layout places controls on
};

// The main window: menus, toolbar, the catalogue, the editor, the preview and
// the item lists. Commands live in command groups (project, items, view,
// preview, catalogue, search, help) that register handlers for the menu items
// by name; an item without a handler sounds the warning beep.
class MainForm : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainForm(QWidget *parent = nullptr);
    ~MainForm() override;

    // The start-up sequence: a new project with the start page, settings,
    // the backup, the catalogue and the first page; Henkou cleared.
    void startUp();

    // The project. Typing is taken into the shown page's record when the
    // record is read, so this first brings page NowHtml up to date with the
    // editor: every reader sees exactly what the editor shows.
    ProjectDates &project();
    // The project as it stands, without that step: for cheap reads of names
    // and settings on the typing path. HtmlStr of page NowHtml may lag behind
    // the editor here; read page texts through project().
    const ProjectDates &projectFields() const { return m_project; }
    // Takes the editor's text into page NowHtml when typing changed it since
    // it was last stored; true when the page's text is now a different one.
    bool StorePage();
    // Typing changed the editor since page NowHtml was last stored.
    bool pageBehind() const { return m_pageBehind; }
    const MainFormControls &ui() const { return m_ui; }

    // Menu items and toolbar buttons by name ("minmnyProOpen", "NewPro").
    QAction *action(const QString &name) const;
    QAction *toolButton(const QString &key) const;

    // Registers the handler of a menu item; replaces the beep.
    void setCommand(const QString &name, std::function<void()> handler);
    // Runs a menu item's command as if chosen.
    void runCommand(const QString &name);

    // Window state.
    bool PrvVisible = true;
    bool FilesVisible = true;
    bool TagsVisible = true;
    bool ToolbarVisible = true;
    bool StatusVisible = true;
    bool PicShow = false;
    qint16 EditHeight = 0;

    // Item lists.
    void VewHTMLDat(int kind);
    void ClsDateList();
    void MinDatList_Click();
    void DatList_Click();
    // Selects kind in MinDatList and rebuilds DatList.
    void showKind(int kind);
    void CheckPicShow();
    // Asks whether to save unsaved changes: Yes to save, No to go on without
    // saving, Cancel (also Escape or closing the box) to stop the command.
    // Without unsaved changes nothing is asked and the answer is No.
    UiService::Answer CheckChange();
    void updateTitle();
    // Shows page index in the editor (stores, previews and titles as a
    // selection in DatList does).
    void showPage(int index);
    // Sets minmnyUwagaki's caption and enabled state from SyuturyokuFolder.
    void updateUwagaki();
    // Shows a picture file in Image1, or the placeholder.
    void showPicture(const QString &path);

    // Lays out every control from the window size and the view flags.
    void Form_Resize();
    // The window's size in twips as the layout measures it (the client area
    // plus a fixed allowance for the frame, menu and title).
    double formWidthTwips() const;
    double formHeightTwips() const;

    // Hooks filled by the command groups.
    std::function<void()> onEdPrv;              // refresh the preview pane
    std::function<void()> onPreviewLater;       // refresh it once typing pauses
    std::function<void()> onRefreshCatalogue;   // re-run the InSelectList selection
    std::function<void()> onSioriJump;          // double click on a bookmark
    std::function<void()> onSioriSettings;      // settings of the selected bookmark
    std::function<void()> onLoadSettings;       // read window and font settings
    std::function<void()> onResumeBackup;       // resume a work-in-progress backup
    // Offers the work of a copy of the program that did not end normally;
    // true when it was restored (the backup is then not resumed this time).
    std::function<bool()> onRecover;
    std::function<void()> onFirstShow;          // once the window is first drawn: the browser exists
    // Closing: returns false to keep the window open.
    std::function<bool()> onClose;
    // Keeps the work in this copy's recovery record, left for the next start
    // (the work-in-progress backup is taken by another copy); false with
    // *error when it cannot.
    std::function<bool(QString *error)> onKeepWorkAsRecord;

    // The program was asked to end (a signal) while start-up was still
    // asking its questions: start-up asks nothing more, and the program ends
    // as soon as it is done.
    bool startingUp() const { return m_startingUp; }
    void abandonStartUp() { m_startAbandoned = true; }
    bool startUpAbandoned() const { return m_startAbandoned; }

    void EdPrv();
    void refreshCatalogue();

    // The preview browser, created on first use.
    BrowserView *mainBrowser();

    // While set, editor changes are not stored (used while a page is loaded
    // by a command that must leave the project unchanged).
    bool storingSuspended() const { return m_suspendStore; }

Q_SIGNALS:
    void pageShown(int index);
    // The editor's text was stored into page NowHtml.
    void editorStored();
    // The start-up sequence has ended (the first page is shown, Henkou cleared).
    void startedUp();
    // The project was saved, or replaced by a new or opened one: nothing in
    // it is unsaved.
    void projectUnchanged();
    // The window closes and the program ends.
    void closing();
    // The editor's text changed (typing, a command, a page shown). Cheap: for
    // whatever follows every change; the text itself is at hand through
    // PageEditor::htmlSnapshot().
    void documentChanged();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    void buildMenus();
    void buildToolbar();
    void onEditorChanged();
    void onToolButton(const QString &key);

    ProjectDates m_project;
    MainFormControls m_ui;
    QHash<QString, QAction *> m_actions;
    QHash<QString, QAction *> m_toolButtons;
    QHash<QString, std::function<void()>> m_commands;
    QObject *m_commandGroups = nullptr;
    QObject *m_listKeys = nullptr; // key and mouse handling of the item lists
    bool m_suspendStore = false;
    bool m_pageBehind = false;
    bool m_startingUp = false;
    bool m_startAbandoned = false;
    BrowserStart *m_browserStart = nullptr; // made when the window is first shown
};

// Creates the command groups of the main window (each registers its handlers).
void InstallCommandGroups(MainForm *form, QObject *owner);
