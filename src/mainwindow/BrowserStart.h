#pragma once

#include <QObject>

class MainForm;

// Starts the main window's preview browser once the window has been drawn on
// the screen, so the window appears, filled, without waiting for the browser
// engine. Should the window never be exposed (a minimised start), the browser
// starts a moment later all the same. Made when the window is first shown.
class BrowserStart : public QObject
{
    Q_OBJECT

public:
    explicit BrowserStart(MainForm *form);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void start();

    MainForm *m_form;
    bool m_started = false;
};
