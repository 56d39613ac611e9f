#pragma once

#include <QHash>
#include <QMainWindow>

class BrowserView;
class DeviceFrame;
class QAction;
class QLabel;
class QStatusBar;
class QToolBar;

// The separate preview window "プレビュー": its own browser with back,
// forward and refresh, a toolbar and a status bar that shows the project's
// path. It shows the page it was opened with until the user refreshes or
// navigates; the main window's edits do not reach it.
class PrvForm : public QMainWindow
{
    Q_OBJECT

public:
    explicit PrvForm(QWidget *parent = nullptr);

    // What the main window hands over when it opens the window.
    QString ProjectPath;
    qint16 PrvPageIndex = 0;

    // Puts ProjectPath into the status bar and shows the page's preview file.
    void Form_Load(const QString &projectPath, qint16 pageIndex, const QString &previewFile);

    // Menu items (Next, Back, Kousin, Exit, VewToolBar, VewStatsBar) and
    // toolbar buttons (JBack, JNext, JRe) by name.
    QAction *action(const QString &name) const { return m_actions.value(name); }

    BrowserView *WebBrowser1 = nullptr;
    QToolBar *Toolbar1 = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    QLabel *statusPanel1 = nullptr;

    // The width the page is laid out at (0: the whole browser), shown by the
    // radio items of "プレビューの幅" (HabaAll, HabaPhone, HabaTablet).
    // Choosing one there lays the page out at once and tells the owner by
    // pageWidthChosen, so that its own preview can follow.
    void setPageWidth(int cssPixels);
    DeviceFrame *frame() const { return m_frame; }

    // Places the browser from the window size and the bars shown (twips).
    void Form_Resize();
    double formWidthTwips() const;
    double formHeightTwips() const;

Q_SIGNALS:
    void pageWidthChosen(int cssPixels);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QAction *addItem(class QMenu *menu, const QString &name, const QString &caption);
    void onToolButton(const QString &key);

    QWidget *m_surface = nullptr;
    DeviceFrame *m_frame = nullptr;
    QHash<QString, QAction *> m_actions;
};
