#pragma once

#include <QWebEngineView>

// The embedded browser of the preview pane, the preview window and the manual.
// Pages without a charset declaration are read as Shift_JIS, the encoding the
// program writes them in.
class BrowserView : public QWebEngineView
{
    Q_OBJECT

public:
    explicit BrowserView(QWidget *parent = nullptr);

    // Shows a local file.
    void navigateToFile(const QString &path);

Q_SIGNALS:
    // The view (or the page inside it) received the keyboard focus.
    void focusReceived();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void childEvent(QChildEvent *event) override;
};
