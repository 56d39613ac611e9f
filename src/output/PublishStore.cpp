#include "PublishStore.h"

#include "Cp932.h"
#include "TextFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

PublishStore::PublishStore(const QString &dataFolder) : m_folder(dataFolder) {}

bool PublishStore::ensureFolder(QString *error) const
{
    if (!MakeOwnFolder(m_folder, error))
        return false;
    QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return true;
}

bool PublishStore::writePrivate(const QString &path, const QByteArray &bytes, QString *error, WriteMode mode) const
{
    if (!ensureFolder(error) || !WriteFileAtomically(path, bytes, error, mode, LinkMode::Replace))
        return false;
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return true;
}

QString PublishStore::manifestPath(const QString &serverName) const
{
    // One file per server and folder; the name hides user and host names.
    const QByteArray key = QCryptographicHash::hash(serverName.toUtf8(), QCryptographicHash::Sha256).toHex().left(24);
    return m_folder + u"/manifest-" + QString::fromLatin1(key) + u".txt";
}

// Lines "sha256-hex<TAB>size<TAB>output name", code page 932, CR LF; the first
// line names the server so that the file can be read by a person.
QHash<QString, ManifestEntry> PublishStore::readManifest(const QString &serverName) const
{
    QHash<QString, ManifestEntry> entries;
    const auto text = ReadCp932File(manifestPath(serverName));
    if (!text)
        return entries;
    const QStringList lines = text->split(u"\r\n"_s);
    for (const QString &line : lines) {
        const QStringList f = line.split(u'\t');
        if (f.size() != 3 || f.at(0).size() != 64)
            continue;
        bool ok = false;
        ManifestEntry e;
        e.sha256 = QByteArray::fromHex(f.at(0).toLatin1());
        e.size = f.at(1).toLongLong(&ok);
        e.name = f.at(2);
        if (ok && e.sha256.size() == 32 && !e.name.isEmpty())
            entries.insert(e.name, e);
    }
    return entries;
}

bool PublishStore::writeManifest(const QString &serverName, const QHash<QString, ManifestEntry> &entries,
                                 QString *error, bool durable) const
{
    QStringList names = entries.keys();
    names.sort();
    QString text = u"# " + serverName + u"\r\n";
    for (const QString &n : names) {
        const ManifestEntry &e = entries.value(n);
        // A name code page 932 cannot carry is left out: the file is sent again next time.
        if (!Cp932::canEncodeExactly(n) || n.contains(u'\t'))
            continue;
        text += QString::fromLatin1(e.sha256.toHex()) + u'\t' + QString::number(e.size) + u'\t' + n + u"\r\n";
    }
    QByteArray bytes;
    if (!Cp932::encodeExactly(text, &bytes)) // the server's name itself
        Cp932::encodeExactly(text.mid(text.indexOf(u"\r\n") + 2), &bytes);
    return writePrivate(manifestPath(serverName), bytes, error, durable ? WriteMode::Durable : WriteMode::Throwaway);
}

QString PublishStore::knownHostsPath() const
{
    return m_folder + u"/known_hosts";
}

QString PublishStore::knownHostName(const QString &host, int port)
{
    return port == 22 ? host : u'[' + host + u"]:" + QString::number(port);
}

// The known-hosts file keeps OpenSSH's own format (ASCII, LF) because libssh2 reads it.
bool PublishStore::addHostKey(const QString &host, int port, const QString &keyType, const QByteArray &keyBlob,
                              QString *error) const
{
    QByteArray bytes = ReadFileBytes(knownHostsPath()).value_or(QByteArray());
    if (!bytes.isEmpty() && !bytes.endsWith('\n'))
        bytes += '\n';
    bytes += knownHostName(host, port).toUtf8() + ' ' + keyType.toLatin1() + ' ' + keyBlob.toBase64() + '\n';
    return writePrivate(knownHostsPath(), bytes, error);
}

namespace {
QString pinsPath(const QString &folder)
{
    return folder + u"/certificates.txt";
}
QString pinKeyName(const QString &host, int port)
{
    return host + u':' + QString::number(port);
}
} // namespace

// Lines "host:port<TAB>sha256//base64", CR LF.
QString PublishStore::pinnedKey(const QString &host, int port) const
{
    const auto text = ReadCp932File(pinsPath(m_folder));
    if (!text)
        return QString();
    const QString key = pinKeyName(host, port);
    QString pin;
    for (const QString &line : text->split(u"\r\n"_s)) {
        const qsizetype tab = line.indexOf(u'\t');
        if (tab > 0 && line.left(tab) == key)
            pin = line.mid(tab + 1); // the last accepted one counts
    }
    return pin;
}

bool PublishStore::pinKey(const QString &host, int port, const QString &pin, QString *error) const
{
    const QString key = pinKeyName(host, port);
    QString text;
    if (const auto old = ReadCp932File(pinsPath(m_folder))) {
        for (const QString &line : old->split(u"\r\n"_s))
            if (!line.isEmpty() && !line.startsWith(key + u'\t'))
                text += line + u"\r\n";
    }
    text += key + u'\t' + pin + u"\r\n";
    QByteArray bytes;
    if (!Cp932::encodeExactly(text, &bytes)) {
        if (error)
            *error = QStringLiteral("ホスト名をファイルに書けません。");
        return false;
    }
    return writePrivate(pinsPath(m_folder), bytes, error);
}

QString SshFingerprint(const QByteArray &keyBlob)
{
    QByteArray b64 = QCryptographicHash::hash(keyBlob, QCryptographicHash::Sha256).toBase64();
    while (b64.endsWith('='))
        b64.chop(1);
    return u"SHA256:" + QString::fromLatin1(b64);
}

QString CertificateFingerprint(const QByteArray &der)
{
    return u"SHA256:"
           + QString::fromLatin1(QCryptographicHash::hash(der, QCryptographicHash::Sha256).toHex(':').toUpper());
}
