#pragma once

#include "Publish.h"

#include <QDialog>
#include <QElapsedTimer>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;

// The windows of publishing: where to publish, what will be sent, and how
// far the transfer is. They show and collect; the transfer runs elsewhere.

// "12.3 KB" and the like.
QString PublishBytesText(qint64 bytes);

// Where and how to publish, with the password. OK stays disabled while the
// host is empty. keyringProblem is empty when the desktop's keyring keeps the
// password; otherwise it says why none does, and the password is asked for
// at each transfer.
class PublishSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    PublishSettingsDialog(const PublishSettings &settings, const QString &password, const QString &keyringProblem,
                          QWidget *parent = nullptr);

    PublishSettings settings() const;
    QString password() const;

private:
    PublishProtocol protocol() const;
    void onProtocol();
    void update();

    QComboBox *m_protocol;
    QLabel *m_ftpWarning;
    QLineEdit *m_host;
    QSpinBox *m_port;
    QLineEdit *m_user;
    QLineEdit *m_folder;
    QCheckBox *m_passive;
    QRadioButton *m_byPassword;
    QRadioButton *m_byKey;
    QLineEdit *m_keyFile;
    QPushButton *m_browse;
    QCheckBox *m_agent;
    QLabel *m_passwordLabel;
    QLineEdit *m_password;
    QPushButton *m_ok;
    QFormLayout *m_form;
    QWidget *m_authRow;
    QWidget *m_keyRow;
    bool m_portEdited = false;
    bool m_settingPort = false;
    bool m_agentRuns = false;
};

// What a transfer would do, before anything is sent: "転送" accepts,
// "キャンセル", Escape and the close button reject.
class PublishPlanDialog : public QDialog
{
    Q_OBJECT

public:
    PublishPlanDialog(const PublishPlan &plan, const QString &server, QWidget *parent = nullptr);
};

// The question about files on the server that the project did not write.
QString PublishRemoveQuestion(const PublishPlan &plan, const QString &server);

// The transfer under way: current file, bytes, an overall bar, time left and
// "中止". 中止, Escape and the close button ask to stop (abortRequested); the
// window stays, saying so, until finish() once the run has stopped.
class PublishProgressWindow : public QDialog
{
    Q_OBJECT

public:
    explicit PublishProgressWindow(const QString &server, QWidget *parent = nullptr);

    // Preparing: the output and the connection, without a measure yet.
    void showPreparing();
    void showProgress(const PublishProgress &p);
    // The run has ended: the window closes.
    void finish();

    // "残り 約 12 秒"; empty while too little is known.
    static QString TimeLeftText(qint64 done, qint64 total, qint64 elapsedMs);

Q_SIGNALS:
    void abortRequested();

protected:
    void reject() override;
    void closeEvent(QCloseEvent *event) override;

private:
    void requestAbort();

    QLabel *m_state;
    QLabel *m_file;
    QLabel *m_bytes;
    QProgressBar *m_bar;
    QLabel *m_timeLeft;
    QPushButton *m_abort;
    QElapsedTimer m_clock;
    bool m_finished = false;
    bool m_aborting = false;
};
