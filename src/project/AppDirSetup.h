#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Where AppDir lives. A portable program folder (the executable with Tools/
// beside it) that can be written is used as it is. An installed copy, or a
// program folder that cannot be written, gets a folder of its own for each
// user ($XDG_DATA_HOME/quorvel, by default ~/.local/share/quorvel): the
// supplied scripts, templates and manual are copied there from the program's
// data, and the settings, the backup, temp/ and the user's own sets live there.
// Nothing is ever written beside an installed executable.

// The places the choice looks at.
struct AppDirPlaces
{
    QString exeDir;        // folder of the executable
    QString installedData; // supplied data of an installed copy (holds Tools/ and Help/), or empty
    QString perUserDir;    // the per-user folder, or empty when the user has no home
};

// The per-user folder: $XDG_DATA_HOME/quorvel when that is an absolute path,
// otherwise $HOME/.local/share/quorvel; empty when neither is known.
QString PerUserDataDir();

// The places for a program whose executable sits in exeDir; installedDataRel
// is the path of the installed data relative to the executable's folder
// ("../share/quorvel"), or empty.
AppDirPlaces FindAppDirPlaces(const QString &exeDir, const QString &installedDataRel);

// True when a file can really be created in dir (a file is made and removed
// again): permission bits alone say nothing on a read-only medium.
bool FolderIsWritable(const QString &dir);

using WritableTest = std::function<bool(const QString &dir)>;

enum class AppDirKind { Portable, PerUser, Unavailable };

struct AppDirChoice
{
    AppDirKind kind = AppDirKind::Unavailable;
    QString dir;                // the folder to use as AppDir (empty when unavailable)
    QString source;             // supplied data to copy into a per-user folder, or empty
    bool programFolder = false; // exeDir holds a program folder (Tools/ beside the executable)
    QString unsafe;             // why the per-user folder was refused (owner, permissions), or empty
};

// Why a per-user folder may not be used, in Japanese with what to do about
// it; empty when it is safe. Like ssh with ~/.ssh: the folder (after its
// links) must belong to the user, and neither the group nor others may write
// it, since it keeps the user's work and the scripts the program runs.
QString UnsafeFolderReason(const QString &dir);

// Chooses AppDir. The per-user folder is created (readable by its owner only)
// when it is needed and missing; one that others could change is refused.
AppDirChoice ChooseAppDir(const AppDirPlaces &places, const WritableTest &writable = FolderIsWritable);

struct SupplyResult
{
    int copied = 0;       // supplied files written this time
    int foldersMade = 0;  // folders created this time
    QStringList failures; // readable reasons, one per file or folder that failed
    bool ok() const { return failures.isEmpty(); }
};

// Brings the supplied data of a per-user folder up to date from source:
// every file of source's Tools/ and Help/ that is missing or differs (size or
// modification time) is copied, with the time of the original. A folder named
// "User" under Tools/ holds a user's own set: missing ones are created (with
// whatever the program supplies in them), existing ones are never written.
// Files the program no longer supplies are left where they are. temp/ is
// created. An empty source only creates temp/.
SupplyResult SupplyUserAppDir(const QString &source, const QString &dir);
