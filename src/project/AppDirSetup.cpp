#include "AppDirSetup.h"

#include "AppPaths.h"
#include "TextFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

bool hasTools(const QString &folder)
{
    return !folder.isEmpty() && QFileInfo(JoinPath(folder, u"Tools"_s)).isDir();
}

QString absoluteEnvPath(const char *name)
{
    const QString value = qEnvironmentVariable(name);
    if (value.isEmpty() || !QDir::isAbsolutePath(value))
        return QString();
    return QDir::cleanPath(value);
}

// Creates the per-user folder when it is missing; a new one is readable by
// its owner only, as it keeps the work-in-progress backup of their projects.
bool makeOwnFolder(const QString &dir)
{
    if (QFileInfo(dir).isDir())
        return true;
    if (!QDir().mkpath(dir))
        return false;
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return true;
}

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

class Supplier
{
public:
    explicit Supplier(SupplyResult &result)
        : m_result(result)
    {
    }

    // Walks one folder of the supplied data. userSet: the folder is (inside)
    // a user's own set; made: its counterpart was created during this run.
    void folder(const QString &src, const QString &dst, bool underTools, bool userSet, bool made, int depth)
    {
        // Supplied data is a shallow tree; the limit only guards against a
        // link that points back up.
        if (depth > 16)
            return;
        const QFileInfoList entries = QDir(src).entryInfoList(
            QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
        for (const QFileInfo &entry : entries) {
            const QString target = JoinPath(dst, entry.fileName());
            if (entry.isDir()) {
                const bool childUser = userSet || (underTools && entry.fileName() == u"User");
                bool childMade = false;
                // A user's own set reached through a link stays as the user
                // made it; the program only fills sets it makes.
                if (childUser && QFileInfo(target).isSymLink())
                    continue;
                if (!QFileInfo(target).isDir() || QFileInfo(target).isSymLink()) {
                    // A link here was not made by the program: it is replaced
                    // by a folder, never written through.
                    if (!MakeOwnFolder(target)) {
                        m_result.failures.append(u"フォルダ「%1」を作成できませんでした。"_s.arg(nativePath(target)));
                        continue;
                    }
                    ++m_result.foldersMade;
                    childMade = true;
                }
                folder(entry.absoluteFilePath(), target, underTools, childUser, childMade, depth + 1);
            } else if (entry.isFile()) {
                // A user's set is filled only when it was just created.
                if (userSet && !made)
                    continue;
                file(entry, target);
            }
        }
    }

private:
    void file(const QFileInfo &src, const QString &target)
    {
        const QFileInfo have(target);
        const QDateTime time = src.lastModified();
        if (have.isFile() && !have.isSymLink() && have.size() == src.size() && have.lastModified() == time)
            return;
        const std::optional<QByteArray> bytes = ReadFileBytes(src.absoluteFilePath());
        if (!bytes) {
            m_result.failures.append(u"ファイル「%1」を読み込めませんでした。"_s.arg(nativePath(src.absoluteFilePath())));
            return;
        }
        QString error;
        // No sync: a copy lost in a crash has the wrong size and is made again
        // at the next start.
        if (!WriteFileAtomically(target, *bytes, &error, WriteMode::Throwaway, LinkMode::Replace)) {
            m_result.failures.append(error);
            return;
        }
        // The copy takes the original's time, so that the next start sees it
        // is up to date without reading it.
        QFile copy(target);
        if (copy.open(QIODevice::ReadOnly))
            copy.setFileTime(time, QFileDevice::FileModificationTime);
        ++m_result.copied;
    }

    SupplyResult &m_result;
};

} // namespace

QString PerUserDataDir()
{
    QString base = absoluteEnvPath("XDG_DATA_HOME");
    if (base.isEmpty()) {
        const QString home = absoluteEnvPath("HOME");
        if (home.isEmpty())
            return QString();
        base = JoinPath(home, u".local/share"_s);
    }
    return JoinPath(base, u"quorvel"_s);
}

AppDirPlaces FindAppDirPlaces(const QString &exeDir, const QString &installedDataRel)
{
    AppDirPlaces places;
    places.exeDir = QDir::cleanPath(exeDir);
    if (!installedDataRel.isEmpty())
        places.installedData = QDir::cleanPath(JoinPath(places.exeDir, installedDataRel));
    places.perUserDir = PerUserDataDir();
    return places;
}

bool FolderIsWritable(const QString &dir)
{
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        return false;
    QTemporaryFile probe(JoinPath(dir, u".quorvel-write-XXXXXX"_s));
    return probe.open();
}

QString UnsafeFolderReason(const QString &dir)
{
    struct stat st {};
    if (::stat(QFile::encodeName(dir).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return QString(); // missing: not usable for another reason
    const QFileInfo link(dir);
    const QString shown = nativePath(dir);
    const QString real = link.isSymLink() ? nativePath(link.canonicalFilePath()) : shown;
    const QString where = link.isSymLink() ? u"「%1」（リンク先「%2」）"_s.arg(shown, real) : u"「%1」"_s.arg(shown);
    if (st.st_uid != ::getuid()) {
        return u"フォルダ%1の所有者があなたではないため、使用できません。"_s.arg(where)
               + u"\r\nこのフォルダの名前を変えるか削除してから、もう一度起動してください（新しいフォルダが作られます）。"_s;
    }
    if (st.st_mode & (S_IWGRP | S_IWOTH)) {
        return u"フォルダ%1はほかのユーザーも書き込めるため、使用できません。"_s.arg(where)
               + u"\r\n自分だけが使えるようにしてから（chmod 700 \"%1\"）、もう一度起動してください。"_s.arg(real);
    }
    return QString();
}

AppDirChoice ChooseAppDir(const AppDirPlaces &places, const WritableTest &writable)
{
    AppDirChoice choice;
    choice.programFolder = hasTools(places.exeDir);
    if (choice.programFolder && writable(places.exeDir)) {
        choice.kind = AppDirKind::Portable;
        choice.dir = places.exeDir;
        return choice;
    }
    // An installed executable never gets anything written beside it, even
    // for a user who could write there.
    if (choice.programFolder)
        choice.source = places.exeDir;
    else if (hasTools(places.installedData))
        choice.source = places.installedData;
    if (places.perUserDir.isEmpty() || !makeOwnFolder(places.perUserDir))
        return choice;
    choice.unsafe = UnsafeFolderReason(places.perUserDir);
    if (!choice.unsafe.isEmpty() || !writable(places.perUserDir))
        return choice;
    choice.kind = AppDirKind::PerUser;
    choice.dir = places.perUserDir;
    return choice;
}

SupplyResult SupplyUserAppDir(const QString &source, const QString &dir)
{
    SupplyResult result;
    const QString temp = JoinPath(dir, u"temp"_s);
    if (!QFileInfo(temp).isDir() || QFileInfo(temp).isSymLink()) {
        if (MakeOwnFolder(temp))
            ++result.foldersMade;
        else
            result.failures.append(u"フォルダ「%1」を作成できませんでした。"_s.arg(nativePath(temp)));
    }
    if (source.isEmpty())
        return result;
    Supplier supplier(result);
    for (const QString &top : {u"Tools"_s, u"Help"_s}) {
        const QString src = JoinPath(source, top);
        if (!QFileInfo(src).isDir())
            continue;
        const QString dst = JoinPath(dir, top);
        bool made = false;
        if (!QFileInfo(dst).isDir() || QFileInfo(dst).isSymLink()) {
            if (!MakeOwnFolder(dst)) {
                result.failures.append(u"フォルダ「%1」を作成できませんでした。"_s.arg(nativePath(dst)));
                continue;
            }
            ++result.foldersMade;
            made = true;
        }
        supplier.folder(src, dst, top == u"Tools", false, made, 0);
    }
    return result;
}
