#pragma once

#include "Publish.h"
#include "PublishStore.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <atomic>
#include <functional>

// The kinds of failure a transfer tells the user about, each with its own
// message (PublishFaultMessage).
enum class PublishFault {
    None,
    Cancelled,
    LoginDenied,
    HostNotFound,
    Refused,
    TimedOut,
    Certificate,    // TLS failed or a key was refused, not a question
    NoTls,          // the FTP server does not offer TLS
    TrustQuestion,  // a new or changed host key, an unverified certificate
    Permission,
    Quota,
    Lost,
    Other
};

// The message for a failure: names the server, says what to do, and keeps
// the library's own words in brackets.
QString PublishFaultMessage(PublishFault fault, const QString &server, const QString &detail);

// One entry of the remote folder.
struct RemoteEntry
{
    QString name;
    bool folder = false;
    qint64 size = -1; // -1: unknown
};

// Parses a long directory listing (Unix "ls -l" lines as SFTP and most FTP
// servers send them; MS-DOS style lines too). "." and ".." are left out.
QVector<RemoteEntry> ParseLongListing(const QByteArray &listing);

// True when name may be written below the remote folder: not empty, no path
// separator, not "." or "..", no control character.
bool IsSafeRemoteName(const QString &name);

// The temporary name a file is sent under before it is renamed into place, and
// the test for names of that form (left over by a run that stopped).
QString PartName(const QString &name);
bool IsPartName(const QString &name);

// One connection to one server through libcurl (SFTP through libssh2, FTPS
// with explicit TLS, FTP), kept open across the requests of one run. Every
// request ends soon once *cancel becomes true.
class CurlTransfer
{
public:
    CurlTransfer(const PublishSettings &settings, const QString &password, const PublishStore &store,
                 const std::atomic<bool> *cancel);
    ~CurlTransfer();
    CurlTransfer(const CurlTransfer &) = delete;
    CurlTransfer &operator=(const CurlTransfer &) = delete;

    // Lists the remote folder; a folder that does not exist yet lists empty.
    bool list(QVector<RemoteEntry> *out);
    // Sends localPath as PartName(name), then renames it to name. existsRemotely:
    // a file stands at name (SFTP cannot rename over it, so it is removed first).
    bool upload(const QString &localPath, const QString &name, bool existsRemotely,
                const std::function<void(qint64)> &progress);
    // Removes files of the remote folder; with ignoreFailures a file that
    // cannot be removed is passed over.
    bool remove(const QStringList &names, bool ignoreFailures);

    PublishFault fault() const { return m_fault; }
    QString detail() const { return m_detail; } // the library's or the server's own words
    // Set when fault() is TrustQuestion.
    TrustQuestion question() const { return m_question; }
    QByteArray questionKey() const { return m_questionKey; } // SSH key blob, or the certificate's pin

    // Called by libcurl's callbacks.
    struct Callbacks;

private:
    void setCommon(const QString &url);
    bool perform();
    PublishFault classify(int code);
    QString folderUrl() const;
    QString fileUrl(const QString &name) const;
    QString sftpPath(const QString &name) const;
    void cleanUpAfterFailure(const QString &name);
    void setQuote(int option, const QStringList &commands);

    PublishSettings m_s;
    QString m_password;
    const PublishStore &m_store;
    const std::atomic<bool> *m_cancel;
    void *m_curl = nullptr;
    void *m_multi = nullptr;
    void *m_quoteList = nullptr;
    char m_errorBuffer[256] = {};
    QStringList m_folderParts;
    bool m_absolute = true;
    QString m_pin;

    PublishFault m_fault = PublishFault::None;
    QString m_detail;
    TrustQuestion m_question;
    QByteArray m_questionKey;
    QByteArray m_body;
    QByteArray m_headers;
    QByteArray m_certDer;
    QByteArray m_certSpki;
    QString m_certType;
    class QFile *m_upload = nullptr;
    std::function<void(qint64)> m_progress;
};
