#pragma once

#include "ProjectDates.h"
#include "PublishDialogs.h"
#include "PublishJob.h"

#include <QMutex>
#include <QObject>
#include <QPointer>

class MainForm;
class PasswordKeyring;
class QThread;

// The file menu's "サーバーへ転送...": the settings, the trust questions, the
// plan, the question about files the project did not write, and the transfer
// on a worker thread over a copy of the project, with its progress window.
// The main window stays usable meanwhile, but its project may not be
// replaced; closing it stops the transfer first.
class PublishCommands : public QObject
{
    Q_OBJECT

public:
    PublishCommands(MainForm *form, QObject *parent);
    ~PublishCommands() override;

    void minmnyPublish();

    // A transfer is under way (from preparing until it has ended).
    bool running() const { return m_job != nullptr; }
    // When a transfer is under way, says that the project cannot be replaced
    // now and returns true.
    bool refuseWhileRunning();
    // Stops a transfer under way and waits until it has stopped.
    void stopAndWait();

    void setJobFactory(PublishJobFactory factory) { m_factory = std::move(factory); }
    void setKeyring(PasswordKeyring *keyring) { m_keyring = keyring; }
    PublishProgressWindow *progressWindow() const { return m_window; }

    // The key of a server's password in the keyring.
    static QString PasswordKey(const PublishSettings &s);

Q_SIGNALS:
    // A transfer ended (sent, stopped, refused or failed).
    void ended(bool ok);

private:
    using Step = void (PublishCommands::*)(const PublishOutcome &);
    void runOnWorker(std::function<PublishOutcome()> work, Step then);
    void startPrepare();
    void prepared(const PublishOutcome &o);
    bool answerTrust(const TrustQuestion &q);
    void sent(const PublishOutcome &o);
    void end(bool ok);
    void postProgress(const PublishProgress &p);

    MainForm *m_form;
    PublishJobFactory m_factory;
    PasswordKeyring *m_keyring;
    std::shared_ptr<PublishJob> m_job;
    QThread *m_thread = nullptr;
    quint64 m_step = 0;
    ProjectDates m_copy;
    QString m_server;
    QPointer<PublishProgressWindow> m_window;
    QPointer<PublishPlanDialog> m_planDialog;
    int m_trustAnswers = 0;
    bool m_closing = false;
    QMutex m_progressLock;
    PublishProgress m_latest;
    bool m_progressPosted = false;
};

// Says so and returns true when the main window's project may not be
// replaced now because a transfer is under way.
bool RefuseWhilePublishing(MainForm *form);
