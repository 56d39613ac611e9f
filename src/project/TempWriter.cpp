#include "TempWriter.h"

#include "TextFiles.h"

#include <QList>
#include <QMetaObject>

namespace {

// Every writer that exists, for TempC's removers and direct writers.
std::mutex registryMutex;
QList<TempWriter *> &registry()
{
    static QList<TempWriter *> writers;
    return writers;
}

} // namespace

TempWriter::TempWriter(QObject *parent)
    : QObject(parent)
{
    std::lock_guard<std::mutex> lock(registryMutex);
    registry().append(this);
}

TempWriter::~TempWriter()
{
    {
        std::lock_guard<std::mutex> lock(registryMutex);
        registry().removeAll(this);
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
        m_jobs.clear();
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

quint64 TempWriter::queue(const QString &path, const ChunkedText &text)
{
    return enqueue(Job{0, path, text, QString()});
}

quint64 TempWriter::queue(const QString &path, const QString &text)
{
    return enqueue(Job{0, path, ChunkedText(), text});
}

quint64 TempWriter::enqueue(Job job)
{
    const QString path = job.path;
    quint64 ticket = 0;
    QList<quint64> dropped;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ticket = m_nextTicket++;
        job.ticket = ticket;
        // A newer text of the same file replaces one that has not started.
        for (auto it = m_jobs.begin(); it != m_jobs.end();) {
            if (it->path == path) {
                dropped.append(it->ticket);
                it = m_jobs.erase(it);
            } else {
                ++it;
            }
        }
        m_jobs.push_back(std::move(job));
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
    }
    m_wake.notify_one();
    for (quint64 t : dropped)
        report(t, path, false, QString());
    return ticket;
}

void TempWriter::settle(const QString &path)
{
    QList<std::pair<quint64, QString>> dropped;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (auto it = m_jobs.begin(); it != m_jobs.end();) {
            if (path.isEmpty() || it->path == path) {
                dropped.append({it->ticket, it->path});
                it = m_jobs.erase(it);
            } else {
                ++it;
            }
        }
        m_ended.wait(lock, [&] { return m_busyPath.isEmpty() || (!path.isEmpty() && m_busyPath != path); });
    }
    for (const auto &d : dropped)
        report(d.first, d.second, false, QString());
}

void TempWriter::waitIdle()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_ended.wait(lock, [&] { return m_jobs.empty() && m_busyPath.isEmpty(); });
}

int TempWriter::queued() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return int(m_jobs.size()) + (m_busyPath.isEmpty() ? 0 : 1);
}

void TempWriter::SettleAll(const QString &path)
{
    std::lock_guard<std::mutex> lock(registryMutex);
    for (TempWriter *w : registry())
        w->settle(path);
}

void TempWriter::report(quint64 ticket, const QString &path, bool ok, const QString &error)
{
    // Delivered on the writer's own thread; dropped with the writer.
    QMetaObject::invokeMethod(
        this, [this, ticket, path, ok, error] { Q_EMIT written(ticket, path, ok, error); }, Qt::QueuedConnection);
}

void TempWriter::run()
{
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [&] { return m_stop || !m_jobs.empty(); });
            if (m_stop)
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
            m_busyPath = job.path;
        }
        QString error;
        const bool ok = WritePageFile(job.path, job.pieces.isEmpty() ? job.text : job.pieces.toString(), &error,
                                      WriteMode::Throwaway, LinkMode::Replace);
        job.pieces.clear();
        job.text.clear();
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_busyPath.clear();
        }
        m_ended.notify_all();
        report(job.ticket, job.path, ok, error);
    }
}
