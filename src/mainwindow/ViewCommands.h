#pragma once

#include <QObject>

class MainForm;
class QFrame;

// The view commands of the main window: the toolbar, status bar, catalogue
// and file-list toggles, the editor's font and colours, and dragging the
// three bars between the columns.
class ViewCommands : public QObject
{
    Q_OBJECT

public:
    ViewCommands(MainForm *form, QObject *parent);

    // Where a bar was grabbed, in the bar's own coordinates (twips), and
    // whether a bar is being dragged (one flag serves all three bars).
    qint16 LineDownX = 0;
    qint16 LineDownY = 0;
    bool LineDrag = false;

    // Limits of the drags (twips).
    static constexpr double MinColumn = 800;
    static constexpr double CatalogueClearance = 1500; // catalogue to the file lists
    static constexpr double FileListClearance = 1620;  // file lists to the catalogue width
    static constexpr double EditorRoom = 2500;         // window height the editor leaves

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void toggle(const QString &name, bool MainForm::*flag);
    void minmnyFont();
    void chooseColour(bool background);

    void LeftLine_MouseMove(double x);
    void RightLine_MouseMove(double x);
    void CenterLine_MouseMove(double y);

    MainForm *m_form;
};
