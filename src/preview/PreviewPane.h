#pragma once

#include "BrowserView.h"
#include "ChunkedText.h"
#include "ProjectDates.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QString>

class QTimer;
class TempWriter;

// The preview pane's logic. EdPrv writes the shown page into temp/ at once;
// EdPrvLater hands the text to a writer thread and shows the file once it is
// written, so that typing never waits for a file. The browser is told to load
// at most once per finished load: while a load is in flight only the newest
// request waits, so typing never waits for the browser either. The page
// already shown is brought up to date in place where it can be (see
// start()), else loaded again; either way it keeps its scroll position.
class PreviewPane : public QObject
{
    Q_OBJECT

public:
    explicit PreviewPane(QObject *parent = nullptr);
    ~PreviewPane() override;

    // The browser to drive; until it is set, the newest request waits.
    void setView(BrowserView *view);
    BrowserView *view() const { return m_view; }

    // Writes page index of p into its preview file and shows that file. Does
    // nothing when visible is false. Returns false (and navigates nowhere)
    // when the file cannot be written; *error then says why. A long page is
    // handed to the writer thread (see DirectWriteLimit) and shown once
    // written; a failure then comes by writeFailed.
    bool EdPrv(const ProjectDates &p, int index, bool visible, QString *error = nullptr);

    // Writes text as the page file at path on the writer's thread and shows
    // the file once written, unless another file was asked for meanwhile.
    // A failure is reported by writeFailed.
    void EdPrvLater(const QString &path, const ChunkedText &text);
    void EdPrvLater(const QString &path, const QString &text);
    // Pages longer than this (in characters) are written by the writer
    // thread even when EdPrv is asked for directly: encoding and writing
    // them could take longer than a frame.
    static constexpr qsizetype DirectWriteLimit = 128 * 1024;
    // Background writes asked for and not yet ended.
    int writesPending() const { return m_writesPending; }

    // Shows a local file, coalescing with a load in flight.
    void showFile(const QString &path);

    // The file of the last load started, the newest one asked for, and
    // whether a load is under way or waiting to start.
    QString currentFile() const { return m_current; }
    QString wantedFile() const { return m_pending.isEmpty() ? m_current : m_pending; }
    bool loadInFlight() const { return m_inFlight || (m_view && !m_pending.isEmpty()); }
    // Loads started, pages brought up to date in place, and page files
    // written, since construction.
    int loadsStarted() const { return m_loads; }
    int pagesPatched() const { return m_patches; }
    int filesWritten() const { return m_writes; }

    // The next showing of the page already shown loads it anew (a refresh
    // the user asks for: pictures and style sheets may have changed too).
    void reloadNext() { m_reloadNext = true; }

    // How long the scroll position may stay unanswered, and a load
    // unfinished, before the next request goes ahead.
    static constexpr int StuckAnswerMs = 2000;
    static constexpr int StuckLoadMs = 30000;

Q_SIGNALS:
    // A load of ours finished and no newer one waits.
    void settled(const QString &path, bool ok);
    // A background write of a preview copy failed; error says why.
    void writeFailed(const QString &error);

private:
    void start(QString path);
    void load(const QString &path);
    void onLoadFinished(bool ok);
    void finishLoad(bool ok);
    void onWritten(quint64 ticket, const QString &path, bool ok, const QString &error);

    QPointer<BrowserView> m_view;
    QString m_current;
    QString m_pending;
    bool m_inFlight = false;
    bool m_restore = false;
    QPointF m_scroll;
    int m_loads = 0;
    int m_writes = 0;
    int m_patches = 0;
    bool m_reloadNext = false;
    quint64 m_token = 0; // the request under way, to tell stale answers
    QTimer *m_watchdog = nullptr;
    TempWriter *m_writer = nullptr;
    QString m_asked; // the file of the newest write asked for
    int m_writesPending = 0;
};
