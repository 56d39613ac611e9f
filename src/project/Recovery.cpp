#include "Recovery.h"

#include "AppPaths.h"
#include "Cp932.h"
#include "ProjectFile.h"
#include "TextFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QRunnable>
#include <QSysInfo>
#include <QUrl>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

// A field the format reads back as written.
QString fitField(QString s)
{
    s.remove(QChar(0));
    s.replace(u',', u'，');
    s.replace(u"\r\n"_s, u" "_s);
    s.replace(u'\r', u' ');
    s.replace(u'\n', u' ');
    qsizetype lead = 0;
    while (lead < s.size() && (s.at(lead) == u' ' || s.at(lead) == u'\t'))
        ++lead;
    s.remove(0, lead);
    if (s.startsWith(u'"'))
        s[0] = u'＂';
    return s;
}

// A page text without a line equal to the page end marker.
void fitPage(QString &html)
{
    qsizetype from = 0;
    while ((from = html.indexOf(PageEndMarker, from)) >= 0) {
        const qsizetype end = from + PageEndMarker.size();
        const bool lineStart = from == 0 || html.at(from - 1) == u'\n' || html.at(from - 1) == u'\r';
        const bool lineEnd = end == html.size() || html.at(end) == u'\r' || html.at(end) == u'\n';
        if (lineStart && lineEnd) {
            html.replace(from, 1, u"&#47;"_s);
            from = end + 4;
        } else {
            from = end;
        }
    }
}

const QRegularExpression &recordName()
{
    static const QRegularExpression re(u"^Recovery([1-9][0-9]{0,2})\\.hpf$"_s);
    return re;
}

bool ownedByUser(const QString &path)
{
#ifdef Q_OS_UNIX
    return QFileInfo(path).ownerId() == uint(::getuid());
#else
    Q_UNUSED(path);
    return true;
#endif
}

} // namespace

QString RecoveryFolder()
{
    return AppPath(u"\\Recovery");
}

void MakeRecoverable(ProjectDates &p)
{
    for (HtmlDat &h : p.Html) {
        h.DatName = fitField(h.DatName);
        h.FileName = fitField(h.FileName);
        h.Kakutyousi = fitField(h.Kakutyousi);
        if (h.HtmlStr.contains(PageEndMarker))
            fitPage(h.HtmlStr);
    }
    for (QVector<PictDat> *table : {&p.Pict, &p.ElseFile}) {
        for (PictDat &d : *table) {
            d.DatName = fitField(d.DatName);
            d.FileName = fitField(d.FileName);
            d.Kakutyousi = fitField(d.Kakutyousi);
            d.FilePath = fitField(d.FilePath);
        }
    }
    for (QString &s : p.SioriList)
        s = fitField(s);
    p.SyuturyokuFolder = fitField(p.SyuturyokuFolder);
}

QByteArray EncodeRecoveryFile(const ProjectDates &p)
{
    ProjectDates fit = p;
    MakeRecoverable(fit);
    const QByteArray path = QUrl::toPercentEncoding(p.ProjectPath);
    QByteArray bytes = Cp932::encodeWithCharRefs(MakeProjectText(fit));
    bytes += "\r\n";
    bytes += RecoveryInfoMarker.toLatin1();
    bytes += ',';
    bytes += QByteArray::number(p.NowHtml);
    bytes += ',';
    bytes += path;
    bytes += ",\r\n";
    return bytes;
}

RecoveryContents ReadRecoveryBytes(const QByteArray &bytes)
{
    RecoveryContents r;
    const QString text = Cp932::decode(bytes);
    r.code = LoadProjectText(text, r.project);
    if (r.code != LoadOk)
        return r;
    r.project.ProjectPath = NewProjectPath;
    r.project.NowHtml = 0;
    // The last line after the project's end marker.
    const QString lead = ProjectEndMarker + u"\r\n"_s + RecoveryInfoMarker + u',';
    const qsizetype at = text.lastIndexOf(lead);
    if (at >= 0) {
        const QStringList fields = text.mid(at + lead.size()).split(u',');
        if (fields.size() >= 2) {
            bool ok = false;
            const int page = fields.at(0).trimmed().toInt(&ok);
            if (ok && page >= 0 && page < r.project.Html.size())
                r.project.NowHtml = qint16(page);
            const QString path = QUrl::fromPercentEncoding(fields.at(1).trimmed().toLatin1());
            if (!path.isEmpty())
                r.project.ProjectPath = path;
        }
    }
    return r;
}

RecoveryContents ReadRecoveryFile(const QString &path)
{
    const std::optional<QByteArray> bytes = ReadFileBytes(path);
    if (!bytes) {
        RecoveryContents r;
        r.code = LoadCannotOpen;
        return r;
    }
    RecoveryContents r = ReadRecoveryBytes(*bytes);
    r.written = QFileInfo(path).lastModified();
    return r;
}

// --- Slots -------------------------------------------------------------------

RecoveryStore::RecoveryStore(QString folder)
    : m_folder(std::move(folder))
{
}

RecoveryStore::~RecoveryStore() = default;

QString RecoveryStore::recordPath(int slot) const
{
    return JoinPath(m_folder, u"Recovery%1.hpf"_s.arg(slot));
}

QString RecoveryStore::lockPath(int slot) const
{
    return JoinPath(m_folder, u"Recovery%1.lock"_s.arg(slot));
}

QString RecoveryStore::ownPath() const
{
    return m_own > 0 ? recordPath(m_own) : QString();
}

bool RecoveryStore::LockLooksStale(const QString &lockPath)
{
    QLockFile probe(lockPath);
    qint64 pid = 0;
    QString host;
    QString app;
    if (!probe.getLockInfo(&pid, &host, &app))
        return true; // empty or damaged: no running copy writes such a lock
    if (!host.isEmpty() && host != QSysInfo::machineHostName())
        return true;
#ifdef Q_OS_UNIX
    if (pid <= 0 || (::kill(pid_t(pid), 0) != 0 && errno == ESRCH))
        return true;
#ifdef Q_OS_LINUX
    // A process of another user took the number of the copy that is gone.
    const QFileInfo proc(u"/proc/%1"_s.arg(pid));
    if (proc.exists() && proc.ownerId() != uint(::getuid()))
        return true;
#endif
#endif
    return false;
}

std::unique_ptr<QLockFile> RecoveryStore::tryLock(int slot, QLockFile::LockError *why) const
{
    auto lock = std::make_unique<QLockFile>(lockPath(slot));
    // Held for as long as the program runs: only a lock whose process is gone
    // is stale, never an old one.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0))
        return lock;
    if (why)
        *why = lock->error();
    // Qt takes a lock naming a process that is gone; one that names nothing
    // it can check stays for ever, and would hide its record. Such a lock is
    // removed only when no process holds it (removeStaleLockFile takes the
    // file's own lock first).
    if (lock->error() == QLockFile::LockFailedError && LockLooksStale(lockPath(slot))
        && lock->removeStaleLockFile() && lock->tryLock(0))
        return lock;
    return nullptr;
}

namespace {

// The names the writer gives a record while it writes it: the record's name,
// the writer's mark and a base-36 number of up to 8 characters.
const QRegularExpression &leftoverName()
{
    static const QRegularExpression re(u"^Recovery([1-9][0-9]{0,2})\\.hpf\\.qvtmp[0-9a-z]{1,8}$"_s);
    return re;
}

} // namespace

void RecoveryStore::removeLeftovers(int slot) const
{
    // Half-written copies that a crash in the middle of a write left beside
    // the record ("Recovery1.hpf.qvtmpd9xz3hos").
    const QStringList names =
        QDir(m_folder).entryList({u"Recovery%1.hpf.qvtmp*"_s.arg(slot)}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        const QRegularExpressionMatch m = leftoverName().match(name);
        if (m.hasMatch() && m.captured(1).toInt() == slot)
            RemoveInsideFolder(m_folder, name);
    }
}

void RecoveryStore::sweepLeftovers()
{
    // Leftovers of slots whose copy is gone and left no record: nothing else
    // would ever take those slots again.
    const QStringList names = QDir(m_folder).entryList({u"Recovery*.hpf.qvtmp*"_s}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        const QRegularExpressionMatch m = leftoverName().match(name);
        if (!m.hasMatch())
            continue;
        const int slot = m.captured(1).toInt();
        if (slot == m_own || m_claimed.contains(slot) || QFileInfo::exists(recordPath(slot))
            || !ownedByUser(JoinPath(m_folder, name)))
            continue;
        if (std::unique_ptr<QLockFile> lock = tryLock(slot))
            removeLeftovers(slot);
    }
}

QList<RecoveryStore::Orphan> RecoveryStore::claimOrphans()
{
    QList<Orphan> found;
    // A link in the folder's place is not the program's: nothing in it is
    // taken (the folder is made anew when a slot is taken).
    if (QFileInfo(m_folder).isSymLink())
        return found;
    const QStringList names = QDir(m_folder).entryList(QDir::Files);
    for (const QString &name : names) {
        const QRegularExpressionMatch m = recordName().match(name);
        if (!m.hasMatch())
            continue;
        const int slot = m.captured(1).toInt();
        if (slot == m_own || m_claimed.contains(slot) || slot > MaxSlot)
            continue;
        const QString path = recordPath(slot);
        if (!ownedByUser(path))
            continue;
        std::unique_ptr<QLockFile> lock = tryLock(slot);
        if (!lock)
            continue; // a running copy's record
        // Taken under the lock: a copy that ended meanwhile removed it.
        if (!QFileInfo::exists(path))
            continue;
        m_claimed.insert(slot, std::shared_ptr<QLockFile>(lock.release()));
        found.append(Orphan{slot, path, QFileInfo(path).lastModified()});
    }
    sweepLeftovers();
    std::sort(found.begin(), found.end(), [](const Orphan &a, const Orphan &b) {
        return a.written != b.written ? a.written > b.written : a.slot < b.slot;
    });
    return found;
}

void RecoveryStore::release(int slot)
{
    m_claimed.remove(slot);
}

QString RecoveryStore::asideName(int slot) const
{
    const QDateTime t = QFileInfo(recordPath(slot)).lastModified();
    const QString stamp = t.toString(u"yyyyMMdd-HHmmss"_s);
    QString name = JoinPath(m_folder, u"Recovered-%1.hpf"_s.arg(stamp));
    for (int n = 2; QFileInfo::exists(name) && n < 1000; ++n)
        name = JoinPath(m_folder, u"Recovered-%1-%2.hpf"_s.arg(stamp).arg(n));
    return name;
}

QString RecoveryStore::keepAside(int slot)
{
    if (!m_claimed.contains(slot))
        return QString();
    const QString target = asideName(slot);
    QString kept;
    if (!QFileInfo::exists(target) && QFile::rename(recordPath(slot), target)) {
        kept = target;
        removeLeftovers(slot);
    }
    m_claimed.remove(slot);
    return kept;
}

bool RecoveryStore::adopt(int slot)
{
    const auto it = m_claimed.find(slot);
    if (it == m_claimed.end())
        return false;
    if (m_own > 0 && m_own != slot)
        close();
    // The claimed lock, held since the record was found, becomes this copy's.
    m_ownLock = it.value();
    m_claimed.erase(it);
    m_own = slot;
    removeLeftovers(slot);
    return true;
}

bool RecoveryStore::takeFreeSlot()
{
    if (m_own > 0)
        return true;
    m_failure.clear();
    QString reason;
    if (!MakeOwnFolder(m_folder, &reason)) {
        m_failure = u"フォルダ「%1」を作成できません（%2）"_s.arg(QDir::toNativeSeparators(m_folder), reason);
        return false;
    }
    for (int slot = 1; slot <= MaxSlot; ++slot) {
        if (m_claimed.contains(slot) || QFileInfo::exists(recordPath(slot)))
            continue; // someone's record, running or left behind
        QLockFile::LockError why = QLockFile::NoError;
        std::unique_ptr<QLockFile> lock = tryLock(slot, &why);
        if (!lock) {
            // A folder where no lock can be made has no slot at all.
            if (why != QLockFile::LockFailedError) {
                m_failure = u"フォルダ「%1」に書き込めません"_s.arg(QDir::toNativeSeparators(m_folder));
                return false;
            }
            continue;
        }
        if (QFileInfo::exists(recordPath(slot)))
            continue; // written just now by the copy that held the lock
        m_ownLock = std::shared_ptr<QLockFile>(lock.release());
        m_own = slot;
        removeLeftovers(slot);
        return true;
    }
    m_failure = u"フォルダ「%1」の記録がいっぱいです"_s.arg(QDir::toNativeSeparators(m_folder));
    return false;
}

void RecoveryStore::leave()
{
    if (m_own <= 0)
        return;
    removeLeftovers(m_own);
    m_ownLock.reset();
    m_own = 0;
}

void RecoveryStore::close()
{
    if (m_own <= 0)
        return;
    RemoveInsideFolder(m_folder, QFileInfo(recordPath(m_own)).fileName());
    removeLeftovers(m_own);
    m_ownLock.reset();
    m_own = 0;
}

// --- Writer ------------------------------------------------------------------

RecoveryWriter::RecoveryWriter(QObject *parent)
    : QObject(parent)
{
    m_pool.setMaxThreadCount(1);
}

RecoveryWriter::~RecoveryWriter()
{
    m_pool.waitForDone();
}

void RecoveryWriter::setPath(const QString &path)
{
    QMutexLocker lock(&m_mutex);
    m_path = path;
}

QString RecoveryWriter::path() const
{
    QMutexLocker lock(&m_mutex);
    return m_path;
}

quint64 RecoveryWriter::write(RecoverySnapshot snapshot)
{
    QMutexLocker lock(&m_mutex);
    const quint64 serial = ++m_serial;
    m_next = std::move(snapshot);
    m_nextSerial = serial;
    if (!m_writeQueued) {
        m_writeQueued = true;
        ++m_tasks;
        const quint64 epoch = m_epoch;
        m_pool.start([this, epoch] { runWrite(epoch); });
    }
    return serial;
}

void RecoveryWriter::remove()
{
    QMutexLocker lock(&m_mutex);
    // A write that waits is not wanted any more; one already running finishes
    // first and is then removed.
    m_next.reset();
    m_writeQueued = false;
    ++m_epoch;
    ++m_tasks;
    m_pool.start([this] { runRemove(); });
}

void RecoveryWriter::waitForDone()
{
    m_pool.waitForDone();
}

bool RecoveryWriter::busy() const
{
    QMutexLocker lock(&m_mutex);
    return m_tasks > 0;
}

void RecoveryWriter::runWrite(quint64 epoch)
{
    std::optional<RecoverySnapshot> snapshot;
    quint64 serial = 0;
    QString path;
    {
        QMutexLocker lock(&m_mutex);
        if (epoch == m_epoch && m_next) {
            snapshot = std::move(m_next);
            m_next.reset();
            serial = m_nextSerial;
            m_writeQueued = false;
        }
        path = m_path;
    }
    if (snapshot && !path.isEmpty()) {
        if (beforeWrite)
            beforeWrite();
        ProjectDates &p = snapshot->project;
        if (snapshot->shownPage && p.NowHtml >= 0 && p.NowHtml < p.Html.size())
            p.Html[p.NowHtml].HtmlStr = snapshot->shownPage();
        const QByteArray bytes = EncodeRecoveryFile(p);
        const QByteArray hash = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
        if (hash != m_lastHash || path != m_lastPath || !QFileInfo::exists(path)) {
            QString error;
            const bool ok = WriteFileAtomically(path, bytes, &error, WriteMode::Durable, LinkMode::Replace);
            if (ok) {
                m_lastHash = hash;
                m_lastPath = path;
            }
            QMetaObject::invokeMethod(
                this, [this, serial, ok, error] { Q_EMIT written(serial, ok, error); }, Qt::QueuedConnection);
        }
    }
    QMutexLocker lock(&m_mutex);
    --m_tasks;
}

void RecoveryWriter::runRemove()
{
    const QString path = this->path();
    if (!path.isEmpty())
        QFile::remove(path);
    m_lastHash.clear();
    m_lastPath.clear();
    QMetaObject::invokeMethod(this, [this] { Q_EMIT removed(); }, Qt::QueuedConnection);
    QMutexLocker lock(&m_mutex);
    --m_tasks;
}
