#include "PublishSettingsFile.h"

#include "AppPaths.h"
#include "Cp932.h"
#include "TextFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace {

const QString Header = u"QuorvelPublish=1"_s;
const QStringList Keys = {u"Project"_s, u"Protocol"_s,       u"Host"_s,    u"Port"_s,    u"User"_s,
                          u"RemoteFolder"_s, u"Passive"_s, u"PrivateKeyFile"_s, u"UseAgent"_s};
// Far more than any real file: a larger one is not read at all.
constexpr qint64 MaxFileSize = 64 * 1024;

QString escapeValue(const QString &value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const qsizetype n = value.at(i).isHighSurrogate() && i + 1 < value.size() ? 2 : 1;
        const QString c = value.mid(i, n);
        i += n - 1;
        if (c == u"%"_s || c.at(0).unicode() < 0x20 || c.at(0).unicode() == 0x7f || !Cp932::canEncodeExactly(c)) {
            for (const char b : c.toUtf8())
                out += u'%' + QString::number(uchar(b), 16).toUpper().rightJustified(2, u'0');
        } else {
            out += c;
        }
    }
    return out;
}

bool unescapeValue(const QString &text, QString *value)
{
    // Escaped runs are UTF-8: bytes are gathered and decoded as one.
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != u'%') {
            bytes += text.mid(i, 1).toUtf8();
            continue;
        }
        const QString hex = text.mid(i + 1, 2);
        const auto isHex = [](QChar c) { return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'); };
        if (hex.size() != 2 || !isHex(hex.at(0)) || !isHex(hex.at(1)))
            return false;
        bytes += char(hex.toInt(nullptr, 16));
        i += 2;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    *value = utf8.decode(bytes);
    return !utf8.hasError() && !value->contains(QChar(0));
}

bool parseBool(const QString &v, bool *out)
{
    if (v != u"0"_s && v != u"1"_s)
        return false;
    *out = v == u"1"_s;
    return true;
}

} // namespace

QString PublishProtocolName(PublishProtocol protocol)
{
    switch (protocol) {
    case PublishProtocol::Sftp:
        return u"SFTP"_s;
    case PublishProtocol::Ftps:
        return u"FTPS"_s;
    case PublishProtocol::Ftp:
        break;
    }
    return u"FTP"_s;
}

QString PublishSettingsPath(const QString &projectPath)
{
    const QByteArray key = QCryptographicHash::hash(QDir::cleanPath(projectPath).toUtf8(), QCryptographicHash::Sha256);
    return AppPath(u"\\PublishSettings\\") + QString::fromLatin1(key.toHex().left(32)) + u".dat"_s;
}

QString MakePublishSettingsText(const QString &projectPath, const PublishSettings &s)
{
    const QStringList values = {escapeValue(QDir::cleanPath(projectPath)),
                                PublishProtocolName(s.protocol),
                                escapeValue(s.host),
                                QString::number(qBound(0, s.port, 65535)),
                                escapeValue(s.user),
                                escapeValue(s.remoteFolder),
                                s.passive ? u"1"_s : u"0"_s,
                                escapeValue(s.privateKeyFile),
                                s.useAgent ? u"1"_s : u"0"_s};
    QString text = Header + u"\r\n"_s;
    for (qsizetype i = 0; i < Keys.size(); ++i)
        text += Keys.at(i) + u'=' + values.at(i) + u"\r\n"_s;
    return text;
}

bool ParsePublishSettingsText(const QString &text, QString *projectPath, PublishSettings *s, QString *error)
{
    const auto fail = [error](const QString &why) {
        *error = why;
        return false;
    };
    if (text.contains(QChar(0xFFFD)))
        return fail(u"読めない文字があります"_s);
    QStringList lines = text.split(u"\r\n"_s);
    if (lines.size() < 2 || !lines.last().isEmpty())
        return fail(u"ファイルが途中で切れています"_s);
    lines.removeLast();
    if (lines.takeFirst() != Header)
        return fail(u"転送の設定ファイルではないか、この版では読めない形式です"_s);
    QHash<QString, QString> values;
    for (const QString &line : std::as_const(lines)) {
        const qsizetype eq = line.indexOf(u'=');
        const QString key = line.left(eq);
        QString value;
        if (eq < 0 || !Keys.contains(key) || values.contains(key))
            return fail(u"読めない行があります: "_s + line.left(40));
        if (!unescapeValue(line.mid(eq + 1), &value))
            return fail(u"値が壊れています: "_s + key);
        values.insert(key, value);
    }
    if (values.size() != Keys.size())
        return fail(u"項目が足りません"_s);

    PublishSettings r;
    const QString protocol = values.value(u"Protocol"_s);
    if (protocol == u"SFTP"_s)
        r.protocol = PublishProtocol::Sftp;
    else if (protocol == u"FTPS"_s)
        r.protocol = PublishProtocol::Ftps;
    else if (protocol == u"FTP"_s)
        r.protocol = PublishProtocol::Ftp;
    else
        return fail(u"プロトコルが壊れています"_s);
    bool ok = false;
    const QString port = values.value(u"Port"_s);
    r.port = port.toInt(&ok);
    if (!ok || r.port < 0 || r.port > 65535 || port != QString::number(r.port))
        return fail(u"ポート番号が壊れています"_s);
    if (!parseBool(values.value(u"Passive"_s), &r.passive) || !parseBool(values.value(u"UseAgent"_s), &r.useAgent))
        return fail(u"設定が壊れています"_s);
    r.host = values.value(u"Host"_s);
    r.user = values.value(u"User"_s);
    r.remoteFolder = values.value(u"RemoteFolder"_s);
    r.privateKeyFile = values.value(u"PrivateKeyFile"_s);
    *projectPath = values.value(u"Project"_s);
    *s = r;
    return true;
}

bool ReadPublishSettings(const QString &projectPath, PublishSettings *s, QString *error)
{
    const QString path = PublishSettingsPath(projectPath);
    error->clear();
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return false;
    const auto fail = [&](const QString &why) {
        *error = u"転送の設定ファイル「"_s + QDir::toNativeSeparators(path) + u"」を読めませんでした（"_s + why
                 + u"）。\r\n設定をもう一度入力してください。"_s;
        return false;
    };
    if (info.size() > MaxFileSize)
        return fail(u"大きすぎます"_s);
    QFile file;
    QString reason;
    if (!OpenRegularFile(file, path, &reason))
        return fail(reason);
    const QByteArray bytes = file.read(MaxFileSize + 1);
    if (bytes.size() > MaxFileSize)
        return fail(u"大きすぎます"_s);
    QString owner;
    PublishSettings read;
    if (!ParsePublishSettingsText(Cp932::decode(bytes), &owner, &read, &reason))
        return fail(reason);
    if (owner != QDir::cleanPath(projectPath))
        return fail(u"別のプロジェクトの設定です"_s);
    *s = read;
    return true;
}

bool WritePublishSettings(const QString &projectPath, const PublishSettings &s, QString *error)
{
    const QString path = PublishSettingsPath(projectPath);
    QString reason;
    if (!MakeOwnFolder(QFileInfo(path).path(), &reason)) {
        *error = u"転送の設定を保存するフォルダ「"_s + QDir::toNativeSeparators(QFileInfo(path).path())
                 + u"」を作れませんでした: "_s + reason;
        return false;
    }
    return WriteCp932File(path, MakePublishSettingsText(projectPath, s), error);
}
