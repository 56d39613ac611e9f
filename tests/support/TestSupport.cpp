#include "TestSupport.h"

#include "Cp932.h"

#include <QDir>
#include <QFile>

QByteArray ReadBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "UNREADABLE";
    return f.readAll();
}

bool PutBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray Sjis(const QString &text)
{
    QByteArray out;
    if (!Cp932::encode(text, &out))
        return "NOT ENCODABLE";
    return out;
}

bool UseHomeInside(const QString &folder)
{
    const struct
    {
        const char *name;
        QString path;
    } vars[] = {{"HOME", folder},
                {"XDG_DATA_HOME", folder + QStringLiteral("/share")},
                {"XDG_CONFIG_HOME", folder + QStringLiteral("/config")},
                {"XDG_CACHE_HOME", folder + QStringLiteral("/cache")}};
    for (const auto &v : vars) {
        if (!QDir().mkpath(v.path) || !qputenv(v.name, QFile::encodeName(v.path)))
            return false;
    }
    return true;
}
