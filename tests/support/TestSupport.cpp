#include "TestSupport.h"

#include "Cp932.h"

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
