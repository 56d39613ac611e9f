#pragma once

#include <QObject>

class MainForm;
class QSocketNotifier;

// Turns the signals with which a desktop session or a user ends a program
// (SIGTERM at logout and shutdown, SIGHUP when the terminal goes, SIGINT on
// Ctrl+C) into a Qt signal on the UI thread, so the program can keep the
// user's work before it goes instead of vanishing with it.
//
// The handler only writes a byte into a socket pair (the one thing a signal
// handler may safely do); the UI thread reads it through a socket notifier.
// One watcher per process: a second one stays inactive.
class EndSignals : public QObject
{
    Q_OBJECT

public:
    explicit EndSignals(QObject *parent = nullptr);
    ~EndSignals() override;

    // False when the signals could not be caught (another watcher exists, or
    // the socket pair could not be made); the default actions then remain.
    bool isActive() const { return m_notifier != nullptr; }

Q_SIGNALS:
    void endRequested(int signalNumber);

private:
    void readPending();

    QSocketNotifier *m_notifier = nullptr;
};

// Ends the main window like 書きかけ終了 when one of those signals arrives:
// a project with unsaved changes is kept in the work-in-progress backup and
// resumed at the next start; an unchanged one closes as on 終了. A signal
// while start-up asks a question closes the question unanswered and ends the
// program once start-up is done.
void EndFormOnSignals(EndSignals &watcher, MainForm &form);
