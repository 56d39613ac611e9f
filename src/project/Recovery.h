#pragma once

#include "ProjectDates.h"
#include "ProjectFile.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QLockFile>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <functional>
#include <memory>
#include <optional>

// Recovery records: while a project has unsaved changes, the running program
// keeps a copy of it in AppDir\Recovery\, so that a crash or a power cut costs
// at most the last few seconds of work. A normal end, "書きかけ終了" and a
// save remove the record; one found at start belongs to a copy of the program
// that did not end normally, and the user is offered to restore it.
//
// A record is a project file (it opens as one) followed, after the project's
// end marker, by one line that the project reader never reads:
//   "$RecoveryInfo$," + shown page index + "," + project path + ","
// with the path percent-encoded as UTF-8, so that any path fits.
//
// Every running copy of the program has a slot of its own: "Recovery" + N +
// ".hpf" with the lock file "Recovery" + N + ".lock", held for as long as the
// copy runs. Two copies (of one user or of two users sharing a program
// folder) therefore never write the same record, and a record whose lock is
// free was left behind by a copy that is gone.

inline const QString RecoveryInfoMarker = QStringLiteral("$RecoveryInfo$");

// AppDir\Recovery
QString RecoveryFolder();

// Makes a project fit the file format for a record: characters that would
// split a name, path or bookmark into two fields become their full-width
// forms (a comma "，", a leading double quote "＂"), line breaks in them
// become blanks, leading blanks and NUL characters are dropped, and a page
// line equal to the page end marker gets its first "/" written as "&#47;"
// (the same character to a browser). Page texts keep everything else.
void MakeRecoverable(ProjectDates &p);

// The bytes of a record of p (its ProjectPath and NowHtml in the last line).
QByteArray EncodeRecoveryFile(const ProjectDates &p);

// What a record holds.
struct RecoveryContents
{
    ProjectDates project;          // tables, ProjectPath and NowHtml
    qint16 code = LoadCannotOpen;  // LoadProjectFile's code; 0 when it loaded
    QDateTime written;             // the file's time
};

// Reads a record. project.ProjectPath and NowHtml come from its last line; a
// record without one gives the never-saved path and the first page.
RecoveryContents ReadRecoveryFile(const QString &path);
// The same on a file's bytes.
RecoveryContents ReadRecoveryBytes(const QByteArray &bytes);

// The slots of the recovery folder, as one running copy of the program sees
// them.
class RecoveryStore
{
public:
    explicit RecoveryStore(QString folder);
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore &) = delete;
    RecoveryStore &operator=(const RecoveryStore &) = delete;

    struct Orphan
    {
        int slot = 0;
        QString path;
        QDateTime written;
    };

    // Records left behind by copies of the program that are gone, newest
    // first. Only the current user's own records are taken. Each one's lock
    // is held from now on, so that no other copy offers it at the same time,
    // until it is released, kept aside or adopted.
    QList<Orphan> claimOrphans();
    // Gives a claimed record up: it stays where it is for a later start.
    void release(int slot);
    // Moves a claimed record aside to "Recovered-" + its time + ".hpf" in the
    // folder (a project file the user can open) and gives its slot up.
    // Returns the new path; empty when it could not be moved (it then stays).
    QString keepAside(int slot);
    // The name keepAside would give the record of slot now.
    QString asideName(int slot) const;
    // Makes a claimed slot this copy's own: its record is the restored work.
    bool adopt(int slot);
    // Takes the first free slot as this copy's own. False when the folder
    // cannot be made or no slot can be locked.
    bool takeFreeSlot();

    int ownSlot() const { return m_own; }
    // This copy's record, or empty when it has no slot.
    QString ownPath() const;
    // Removes this copy's record (and half-written copies of it) and gives
    // the slot up: the program ends normally.
    void close();
    // Gives the slot up and leaves the record where it is, to be offered at
    // the next start (the work could be kept nowhere else).
    void leave();
    // Why takeFreeSlot failed, in Japanese.
    QString failure() const { return m_failure; }

    // True when a lock file that cannot be taken belongs to no running copy:
    // it is empty or damaged, or it names another machine, a process that is
    // gone, or a process of another user. Such a lock is removed only while
    // no process holds it.
    static bool LockLooksStale(const QString &lockPath);

    QString folder() const { return m_folder; }
    QString recordPath(int slot) const;
    QString lockPath(int slot) const;

    static constexpr int MaxSlot = 999;

private:
    std::unique_ptr<QLockFile> tryLock(int slot, QLockFile::LockError *why = nullptr) const;
    void removeLeftovers(int slot) const;
    void sweepLeftovers();

    QString m_folder;
    int m_own = 0;
    std::shared_ptr<QLockFile> m_ownLock;
    QHash<int, std::shared_ptr<QLockFile>> m_claimed;
    QString m_failure;
};

// What is written: the project as it stands, and, when the shown page's record
// lags behind the editor, a function that gives that page's text (called on
// the writer's thread, so it must only read data that stays as it was).
struct RecoverySnapshot
{
    ProjectDates project;
    std::function<QString()> shownPage;
};

// Writes records on a thread of its own, one at a time, in the order asked.
// A write asked while another waits replaces it (only the newest is written);
// a record the same as the last one written is not written again. Every write
// goes through the atomic writer, synced to disk.
class RecoveryWriter : public QObject
{
    Q_OBJECT

public:
    explicit RecoveryWriter(QObject *parent = nullptr);
    ~RecoveryWriter() override;

    // Where records go; an empty path writes nothing.
    void setPath(const QString &path);
    QString path() const;

    // Asks for a record of snapshot; returns the number of this request.
    quint64 write(RecoverySnapshot snapshot);
    // Removes the record (after a write in progress); drops a waiting one.
    void remove();
    // Waits until everything asked is done.
    void waitForDone();
    // A write or removal is asked for and not done yet.
    bool busy() const;

    // Test hook: runs on the writer's thread before each write.
    std::function<void()> beforeWrite;

Q_SIGNALS:
    // A request was written (ok) or failed (error holds the reason); a
    // request dropped or the same as the last record gives no signal.
    void written(quint64 serial, bool ok, const QString &error);
    void removed();

private:
    void runWrite(quint64 epoch);
    void runRemove();

    mutable QMutex m_mutex;
    QString m_path;
    std::optional<RecoverySnapshot> m_next;
    quint64 m_nextSerial = 0;
    quint64 m_serial = 0;
    quint64 m_epoch = 0;
    bool m_writeQueued = false;
    int m_tasks = 0;
    // Only the writer's thread reads and writes these.
    QByteArray m_lastHash;
    QString m_lastPath;

    QThreadPool m_pool;
};
