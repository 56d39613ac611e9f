#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

#include <QPoint>
#include <QWidget>

// The control of a window by its object name; a warning names a missing one.
template<typename T>
T *child(QWidget *w, const QString &name)
{
    T *c = w->findChild<T *>(name);
    if (!c)
        qWarning("no control %s", qPrintable(name));
    return c;
}

// Types text into a widget as key presses; QTest's key clicks know only
// ASCII, and Japanese is typed here too.
void TypeText(QWidget *w, const QString &text);

// Double-clicks at a point of a widget as the window system sends a double
// click: press, release, double click, release.
void DoubleClickAt(QWidget *w, QPoint at);

// Runs open, which shows a modal dialog, and body on that dialog once it is
// showing; a dialog body left open is rejected. True when body ran.
bool DriveModal(QObject *context, const std::function<void()> &open, const std::function<void(QWidget *)> &body);

// Answers modal windows as they come: each time a modal window is showing,
// the next action of the queue runs on it (an action closes its window).
class ModalAnswerer : public QObject
{
public:
    explicit ModalAnswerer(QList<std::function<void(QWidget *)>> actions);
    int handled = 0;

private:
    QList<std::function<void(QWidget *)>> m_actions;
    QTimer m_timer;
};

// Closes every modal window that opens while it lives and keeps their object
// names: a command that must open none fails its test at once instead of
// waiting in the window's exec() until the test times out.
class ModalCloser : public QObject
{
public:
    ModalCloser();
    QStringList opened;

private:
    QTimer m_timer;
};
