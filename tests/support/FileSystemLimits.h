#pragma once

#include <QString>
#include <QTemporaryDir>

// Small, real file systems and limits for tests of what happens when a disk
// fills up. Each says whether the machine allows it; a test that cannot get
// one skips with the reason.

// A tmpfs of a few kilobytes mounted on a temporary folder (needs root and
// a kernel that lets this process mount). Unmounted when destroyed.
class SmallDisk
{
public:
    explicit SmallDisk(int kilobytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool mounted() const { return m_mounted; }
    // Why it could not be mounted.
    QString reason() const { return m_reason; }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    // Fills the disk with a filler file until nothing is free, then frees
    // freeBytes again (rounded to whole pages by the file system). False
    // when the disk did not fill.
    bool fill(qint64 freeBytes = 0);

    // Mounts the disk again read-only (as a write-protected drive); false
    // when the system refuses.
    bool makeReadOnly();

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    QString m_reason;
};

// Limits the size of files this process may write (RLIMIT_FSIZE) while it
// lives; writing beyond the limit fails with EFBIG instead of ending the
// process. Works without root.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool active() const { return m_active; }

private:
    bool m_active = false;
    unsigned long long m_savedCur = 0;
    unsigned long long m_savedMax = 0;
    void (*m_savedHandler)(int) = nullptr;
};

// Files in a folder, hidden ones included, sorted by name.
QStringList AllEntries(const QString &folder);
