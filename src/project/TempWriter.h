#pragma once

#include "ChunkedText.h"

#include <QObject>
#include <QString>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

// Writes page files of the temporary copy folder on a thread of its own, so
// that typing never waits for a file: taking the text is a cheap copy of its
// pieces, joining and encoding it and writing the file happen off the user's
// thread. Writes run one at a time in the order asked, and a write that has
// not started yet is replaced by a newer one of the same file, so the file
// always ends up with the newest text asked for.
//
// The folder's other writers and removers (TempC) first settle the file they
// touch, so that no older text lands after theirs and no copy is written
// again after it was removed.
class TempWriter : public QObject
{
    Q_OBJECT

public:
    explicit TempWriter(QObject *parent = nullptr);
    ~TempWriter() override;

    // Queues the page text to be written as the page file at path (the text
    // followed by CR LF, encoded as the page asks). Returns a ticket number
    // that written() reports back.
    quint64 queue(const QString &path, const ChunkedText &text);
    // The same for a text at hand as a string (shared, not copied).
    quint64 queue(const QString &path, const QString &text);

    // Drops the queued write of path and waits for one under way; an empty
    // path settles every file.
    void settle(const QString &path);
    // Waits until everything queued is written.
    void waitIdle();

    int queued() const;

    // Settles path with every writer that exists (see settle()).
    static void SettleAll(const QString &path);

Q_SIGNALS:
    // A queued write ended: written (ok), failed (ok false, error says why),
    // or dropped before it started (ok false, error empty).
    void written(quint64 ticket, const QString &path, bool ok, const QString &error);

private:
    struct Job
    {
        quint64 ticket = 0;
        QString path;
        ChunkedText pieces;
        QString text; // used when pieces is empty
    };
    quint64 enqueue(Job job);
    void run();
    void report(quint64 ticket, const QString &path, bool ok, const QString &error);

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;  // a job arrived, or stop
    std::condition_variable m_ended; // a job ended
    std::deque<Job> m_jobs;
    QString m_busyPath; // the file being written, empty when none
    bool m_stop = false;
    quint64 m_nextTicket = 1;
    std::thread m_thread;
};
