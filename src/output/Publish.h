#pragma once

#include "ProjectDates.h"
#include "SyuturyokuMod.h"

#include <QByteArray>
#include <QVector>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// Publishing: the project is output into a staging folder of its own (by the
// same writer as the output command, so a published site is byte for byte an
// output), compared with what this project last sent to the server, and the
// new and changed files are sent. Nothing here shows anything: the questions
// (a new host key, a certificate that cannot be verified, the plan, removing
// files the project did not write) come back to the caller as values, and the
// windows turn them into dialogs.

enum class PublishProtocol { Sftp, Ftps, Ftp };

// Where and how to publish one project. The password is not part of it: it
// lives in the desktop's keyring, or is asked for at each transfer.
struct PublishSettings
{
    PublishProtocol protocol = PublishProtocol::Sftp;
    QString host;
    int port = 0;            // 0: the protocol's default
    QString user;
    QString remoteFolder;    // "/public_html"; the site is written below it, never above
    bool passive = true;     // FTP and FTPS
    QString privateKeyFile;  // SFTP: empty = password (or the ssh-agent when one runs)
    bool useAgent = true;    // SFTP: try the ssh-agent first when SSH_AUTH_SOCK is set
};

int DefaultPublishPort(PublishProtocol protocol);
// "sftp://user@host:22/folder" as the messages and the manifest name the server.
QString PublishServerName(const PublishSettings &s);

// What this project last sent to one server: output name, size and SHA-256 of
// each file the server confirmed.
struct ManifestEntry
{
    QString name;
    qint64 size = 0;
    QByteArray sha256; // raw 32 bytes
};

// One staged file, as the plan sees it.
struct StagedFile
{
    QString name;      // output name, relative to the staging folder ("Index.htm")
    QString localPath; // in the staging folder
    qint64 size = 0;
    QByteArray sha256;
};

// What a transfer would do, shown to the user before anything is sent.
struct PublishPlan
{
    QVector<StagedFile> toSend;   // new or changed since the manifest
    QVector<StagedFile> unchanged;
    qint64 bytesToSend = 0;
    // Files on the server (in the remote folder) that the current output does
    // not write: those the project sent earlier (a deleted page) and foreign
    // ones. Never touched unless the user says so.
    QStringList notWritten;
    QStringList notWrittenSentEarlier; // the part of notWritten that the manifest lists
};

// A question of trust the transfer cannot answer itself.
struct TrustQuestion
{
    enum Kind {
        NewHostKey,          // SFTP, first connection: accept and remember?
        ChangedHostKey,      // SFTP: refused; the dialog offers no way on
        UnverifiedCertificate // FTPS: the authorities do not vouch for it; accept and remember?
    };
    Kind kind = NewHostKey;
    QString server;       // PublishServerName
    QString keyType;      // "ssh-ed25519", "RSA" ...
    QString fingerprint;  // "SHA256:..." as ssh shows it
};

// The outcome of one step, in words for the user.
struct PublishOutcome
{
    bool ok = false;
    bool cancelled = false;
    bool trustAsked = false;   // stopped at a trust question (see question)
    TrustQuestion question;
    QString message;           // Japanese, naming the server and what to do; library text in brackets
    int filesSent = 0;
    qint64 bytesSent = 0;
};

// Progress of a running transfer (called on the worker thread).
struct PublishProgress
{
    QString currentFile;
    int fileIndex = 0;    // 0-based among the files to send
    int fileCount = 0;
    qint64 bytesDone = 0; // overall
    qint64 bytesTotal = 0;
};

// One publish of one project to one server. Made on the UI thread; prepare()
// and send() block and are meant to run on a worker thread (QtConcurrent or a
// QThread); cancel() may be called from any thread at any time and makes the
// running step end soon with cancelled set and nothing half-written under a
// real name.
class PublishRun
{
public:
    // dataFolder holds the program's known hosts, accepted certificates and
    // manifests (created when missing, private to the user).
    PublishRun(const PublishSettings &settings, const QString &password, const QString &dataFolder);
    ~PublishRun();

    // Outputs p into a fresh staging folder, connects, checks the server's key
    // or certificate, lists the remote folder and makes the plan. On a trust
    // question it stops with trustAsked; after acceptTrust() it may be called again.
    // Pages are staged in the encoding the output command would write them in.
    PublishOutcome prepare(const ProjectDates &p, OutputCharset charset = OutputCharset::AsPage);
    const PublishPlan &plan() const;

    // Remembers the key or certificate of the question (not for ChangedHostKey).
    bool acceptTrust(const TrustQuestion &q, QString *error = nullptr);

    // Sends the plan's files (each under a temporary name, renamed into place
    // once complete; folders made as needed) and records each in the manifest
    // once the server confirmed it. removeNotWritten also deletes the plan's
    // notWritten files (only when the user said yes to that separate question).
    PublishOutcome send(bool removeNotWritten,
                        const std::function<void(const PublishProgress &)> &progress = {});

    void cancel();

private:
    struct Private;
    std::unique_ptr<Private> d;
};
