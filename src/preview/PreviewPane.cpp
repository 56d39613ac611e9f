#include "PreviewPane.h"

#include "BrowserView.h"
#include "TempC.h"
#include "TempWriter.h"

#include <QTimer>
#include <QUrl>
#include <QVariant>
#include <QWebEnginePage>

PreviewPane::PreviewPane(QObject *parent)
    : QObject(parent)
{
    // A load whose answer never comes (a crashed page) must not stop the
    // preview for good.
    m_watchdog = new QTimer(this);
    m_watchdog->setSingleShot(true);
    connect(m_watchdog, &QTimer::timeout, this, [this] { finishLoad(false); });
    m_writer = new TempWriter(this);
    connect(m_writer, &TempWriter::written, this, &PreviewPane::onWritten);
}

PreviewPane::~PreviewPane() = default;

void PreviewPane::setView(BrowserView *view)
{
    if (m_view == view)
        return;
    if (m_view)
        disconnect(m_view, nullptr, this, nullptr);
    m_view = view;
    m_inFlight = false;
    if (!m_view)
        return;
    connect(m_view, &QWebEngineView::loadFinished, this, &PreviewPane::onLoadFinished);
    // A page whose renderer died reports no more loads of its own.
    connect(m_view->page(), &QWebEnginePage::renderProcessTerminated, this, [this] {
        if (m_inFlight)
            finishLoad(false);
    });
    // A request made before the browser existed is shown now.
    if (!m_pending.isEmpty()) {
        const QString path = m_pending;
        m_pending.clear();
        m_current.clear();
        start(path);
    }
}

bool PreviewPane::EdPrv(const ProjectDates &p, int index, bool visible, QString *error)
{
    if (!visible)
        return true;
    if (index < 0 || index >= p.Html.size())
        return false;
    const QString path = TempC::TempPathFor(p.Html.at(index).outputName());
    if (!path.isEmpty() && p.Html.at(index).HtmlStr.size() > DirectWriteLimit) {
        EdPrvLater(path, p.Html.at(index).HtmlStr);
        return true;
    }
    m_asked = path;
    if (!TempC::MakeHtmlTemp(p, index, error))
        return false;
    ++m_writes;
    showFile(path);
    return true;
}

void PreviewPane::EdPrvLater(const QString &path, const ChunkedText &text)
{
    m_asked = path;
    ++m_writesPending;
    m_writer->queue(path, text);
}

void PreviewPane::EdPrvLater(const QString &path, const QString &text)
{
    m_asked = path;
    ++m_writesPending;
    m_writer->queue(path, text);
}

void PreviewPane::onWritten(quint64 /*ticket*/, const QString &path, bool ok, const QString &error)
{
    --m_writesPending;
    if (ok) {
        ++m_writes;
        // An older page's copy, written after another page was asked for,
        // is not shown.
        if (path == m_asked)
            showFile(path);
    } else if (!error.isEmpty()) {
        Q_EMIT writeFailed(error);
    }
}

void PreviewPane::showFile(const QString &path)
{
    if (!m_view || m_inFlight) {
        // Only the newest request waits; the file on disk already holds the
        // newest text.
        m_pending = path;
        return;
    }
    start(path);
}

void PreviewPane::start(QString path)
{
    m_pending.clear();
    m_inFlight = true;
    m_watchdog->start(StuckAnswerMs);
    const QUrl url = BrowserView::urlForFile(path);
    const bool samePage = path == m_current && m_view->url() == url;
    m_current = path;
    m_restore = false;
    if (!samePage) {
        load(path);
        return;
    }
    // Read where the reader stands before the page is replaced, then reload.
    // The answer is empty when the page goes away meanwhile; the view may be
    // in its destructor then, so the load is started from the event loop,
    // where a destroyed view is seen as gone.
    QPointer<PreviewPane> self(this);
    m_view->page()->runJavaScript(QStringLiteral("[window.scrollX, window.scrollY]"), [self, path](const QVariant &v) {
        if (!self)
            return;
        const QVariantList xy = v.toList();
        if (xy.size() == 2) {
            self->m_scroll = QPointF(xy.at(0).toDouble(), xy.at(1).toDouble());
            self->m_restore = !self->m_scroll.isNull();
        }
        QTimer::singleShot(0, self, [self, path] {
            if (self && self->m_view && self->m_inFlight && self->m_current == path)
                self->load(path);
        });
    });
}

void PreviewPane::load(const QString &path)
{
    ++m_loads;
    m_watchdog->start(StuckLoadMs);
    m_view->navigateToFile(path);
}

void PreviewPane::onLoadFinished(bool ok)
{
    if (!m_inFlight)
        return; // a load the user started in the browser
    if (ok && m_restore && m_view) {
        m_view->page()->runJavaScript(QStringLiteral("window.scrollTo(%1, %2);")
                                          .arg(m_scroll.x(), 0, 'f', 0)
                                          .arg(m_scroll.y(), 0, 'f', 0));
    }
    finishLoad(ok);
}

void PreviewPane::finishLoad(bool ok)
{
    m_watchdog->stop();
    m_inFlight = false;
    m_restore = false;
    if (m_pending.isEmpty()) {
        Q_EMIT settled(m_current, ok);
        return;
    }
    // The newest request goes next, from the event loop (a load can end
    // because its view is being destroyed).
    QTimer::singleShot(0, this, [this] {
        if (m_view && !m_inFlight && !m_pending.isEmpty())
            start(m_pending);
    });
}
