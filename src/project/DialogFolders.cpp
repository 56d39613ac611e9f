#include "DialogFolders.h"

#include "AppDirSetup.h"
#include "AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

namespace {

QHash<int, QString> &lastFolders()
{
    static QHash<int, QString> folders;
    return folders;
}

// The path with links resolved where it exists, so that a link into the
// program folder is seen for what it is.
QString Resolved(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(QFileInfo(path).absoluteFilePath()) : canonical;
}

bool Within(const QString &folder, const QString &base)
{
    if (base.isEmpty())
        return false;
    const QString f = Resolved(folder);
    const QString b = Resolved(base);
    return f == b || f.startsWith(b.endsWith(u'/') ? b : b + u'/');
}

// A folder a dialog may start in: one that exists, outside the program's own.
bool Usable(const QString &folder)
{
    return !folder.isEmpty() && QFileInfo(folder).isDir() && !IsProgramFolder(folder);
}

} // namespace

bool IsProgramFolder(const QString &folder)
{
    QStringList bases{AppDir(), PerUserDataDir()};
    if (QCoreApplication::instance())
        bases.append(QCoreApplication::applicationDirPath());
    for (const QString &base : bases)
        if (Within(folder, base))
            return true;
    return false;
}

QString DialogStartFolder(DialogKind kind, const QString &projectPath)
{
    if (const QString last = lastFolders().value(int(kind)); Usable(last))
        return last;
    // A project never saved has no folder ("新規HTMLプロジェクト" is no path).
    if (QFileInfo(projectPath).isAbsolute()) {
        if (const QString folder = QFileInfo(projectPath).absolutePath(); Usable(folder))
            return folder;
    }
    if (const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        Usable(documents))
        return documents;
    if (const QString home = QDir::homePath(); Usable(home))
        return home;
    return QDir::rootPath();
}

void RememberDialogChoice(DialogKind kind, const QString &chosenPath)
{
    if (chosenPath.isEmpty())
        return;
    lastFolders().insert(int(kind), QFileInfo(chosenPath).absolutePath());
}

void ForgetDialogFolders()
{
    lastFolders().clear();
}
