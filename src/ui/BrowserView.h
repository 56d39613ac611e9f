#pragma once

#include <QWebEngineView>

// The embedded browser of the preview pane, the preview window and the manual.
// Local files reach it through the program's own URL scheme, so that pages
// without a charset declaration are read as Shift_JIS, the encoding the
// program writes them in (LocalFileScheme).
class BrowserView : public QWebEngineView
{
    Q_OBJECT

public:
    explicit BrowserView(QWidget *parent = nullptr);

    // Called once before QApplication is made. Browser views draw their pages
    // in software, so a window gains no OpenGL surface when one joins it: the
    // main window is made once, as a plain window, and shown before the
    // browser engine starts, and no graphics driver is loaded at all.
    static void prepareDrawing();

    // Shows a local file; files of its folder (links, pictures) can follow.
    void navigateToFile(const QString &path);
    // The URL under which a local file is shown.
    static QUrl urlForFile(const QString &path);
    // The local file shown, or empty when the page is not a local file.
    QString shownFile() const;

Q_SIGNALS:
    // The view (or the page inside it) received the keyboard focus.
    void focusReceived();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void childEvent(QChildEvent *event) override;
};
