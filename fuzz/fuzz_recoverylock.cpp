// Feeds arbitrary bytes as the lock file of a recovery record that lies
// beside it whole, and lets a copy of the program look at the recovery
// folder as it does at start: it must never crash or hang, never remove or
// change the record, offer nothing but that record (whole), and take another
// slot for its own work.

#include "Recovery.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

struct Folder
{
    QTemporaryDir dir;
    QByteArray record;

    Folder()
    {
        ProjectDates p;
        NewStartProject(p);
        p.ProjectPath = QStringLiteral("/home/user/site.hpf");
        p.Html[0].HtmlStr += QStringLiteral("\r\n<p>書きかけ</p>");
        record = EncodeRecoveryFile(p);
    }
};

bool Put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Folder folder;
    if (!folder.dir.isValid())
        std::abort();
    const QString path = folder.dir.path();
    RecoveryStore store(path);
    if (!Put(store.recordPath(1), folder.record)
        || !Put(store.lockPath(1), QByteArray(reinterpret_cast<const char *>(data), qsizetype(size))))
        std::abort();

    const QList<RecoveryStore::Orphan> orphans = store.claimOrphans();
    if (orphans.size() > 1 || (orphans.size() == 1 && orphans.first().slot != 1))
        std::abort();
    for (const RecoveryStore::Orphan &o : orphans) {
        if (ReadRecoveryFile(o.path).code != 0)
            std::abort();
        store.release(o.slot);
    }
    if (!store.takeFreeSlot() || store.ownSlot() == 1)
        std::abort();
    store.close();

    QFile record(store.recordPath(1));
    if (!record.open(QIODevice::ReadOnly) || record.readAll() != folder.record)
        std::abort();
    record.close();
    // The next input starts from an empty folder.
    for (const QString &name : QDir(path).entryList(QDir::Files | QDir::Hidden))
        QFile::remove(QDir(path).filePath(name));
    return 0;
}
