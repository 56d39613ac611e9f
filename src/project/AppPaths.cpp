#include "AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
QString &appDirOverride()
{
    static QString dir;
    return dir;
}
} // namespace

QString AppDir()
{
    if (!appDirOverride().isEmpty())
        return appDirOverride();
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

void SetAppDir(const QString &dir)
{
    QString d = QDir::cleanPath(dir);
    while (d.size() > 1 && d.endsWith(u'/'))
        d.chop(1);
    appDirOverride() = d;
}

QString AppPath(QStringView backslashPath)
{
    QString rel = backslashPath.toString();
    rel.replace(u'\\', u'/');
    QString base = AppDir();
    if (base.endsWith(u'/') && rel.startsWith(u'/'))
        rel.remove(0, 1);
    return base + rel;
}

QString JoinPath(const QString &folder, const QString &name)
{
    if (folder.isEmpty())
        return name;
    if (folder.endsWith(u'/') || folder.endsWith(QDir::separator()))
        return folder + name;
    return folder + u'/' + name;
}

QString WithDefaultExtension(const QString &path, const QString &extension)
{
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    return path + extension;
}
