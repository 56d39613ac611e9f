#pragma once

#include "Publish.h"
#include "TextFiles.h"

#include <QHash>
#include <QString>

// The files publishing keeps in its data folder: per server, the manifest of
// what was sent; for all servers, the SSH host keys and the TLS public keys
// the user accepted. The folder is private to the user; every file goes
// through the atomic writer.
class PublishStore
{
public:
    explicit PublishStore(const QString &dataFolder);

    // Makes the folder (owner only). False with *error when it cannot be made.
    bool ensureFolder(QString *error = nullptr) const;

    QString manifestPath(const QString &serverName) const;
    QHash<QString, ManifestEntry> readManifest(const QString &serverName) const;
    // durable: synced to the disk. The writes after each file skip that: the
    // file is still replaced whole, and a manifest lost in a crash only
    // makes the next run send the files again.
    bool writeManifest(const QString &serverName, const QHash<QString, ManifestEntry> &entries,
                       QString *error = nullptr, bool durable = true) const;

    // The known-hosts file in OpenSSH's format, read by libssh2 through libcurl.
    QString knownHostsPath() const;
    // "[host]:port" as OpenSSH names a host on another port than 22.
    static QString knownHostName(const QString &host, int port);
    bool addHostKey(const QString &host, int port, const QString &keyType, const QByteArray &keyBlob,
                    QString *error = nullptr) const;

    // The accepted public key of a server's certificate ("sha256//base64" as
    // libcurl pins it); empty when none was accepted.
    QString pinnedKey(const QString &host, int port) const;
    bool pinKey(const QString &host, int port, const QString &pin, QString *error = nullptr) const;

private:
    bool writePrivate(const QString &path, const QByteArray &bytes, QString *error,
                      WriteMode mode = WriteMode::Durable) const;
    QString m_folder;
};

// "SHA256:" + base64 without padding of the SHA-256 of bytes, as ssh-keygen -l
// shows a host key.
QString SshFingerprint(const QByteArray &keyBlob);
// "SHA256:AB:CD:..." of a certificate's DER bytes, as openssl x509 -fingerprint shows it.
QString CertificateFingerprint(const QByteArray &der);
