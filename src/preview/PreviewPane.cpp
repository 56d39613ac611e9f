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

namespace {

// Brings the page the browser shows up to date with its file in place,
// instead of loading it again: the file is read through the page's own URL
// in the encoding the page was loaded in, parsed, and only the nodes
// of the body that differ are replaced. The reader keeps the scroll
// position, and the browser lays out only what changed, which on a long
// page is much faster than a new load. Gives "ok" when the page is up to
// date; otherwise the scroll position for a full load. A full load is
// needed when anything beyond the body changed, the page runs scripts (a
// script may have changed the page, and a parsed copy runs none), or it is
// not read as HTML (an XHTML file is parsed as XML).
const QString PatchScript = QStringLiteral(R"js(
(function () {
  function keep() { return [window.scrollX, window.scrollY]; }
  function sameAttributes(a, b) {
    if (a.attributes.length !== b.attributes.length) return false;
    for (var k = 0; k < a.attributes.length; ++k) {
      var x = a.attributes[k];
      if (b.getAttributeNS(x.namespaceURI, x.localName) !== x.value) return false;
    }
    return true;
  }
  function sameDoctype(a, b) {
    if (!a || !b) return a === b;
    return a.name === b.name && a.publicId === b.publicId && a.systemId === b.systemId;
  }
  // The children as a plain array, walked by their siblings: indexing a
  // live child list may walk the list anew on each access, which on a body
  // of a few hundred thousand children takes minutes.
  function children(node) {
    var list = [];
    for (var c = node.firstChild; c; c = c.nextSibling) list.push(c);
    return list;
  }
  function patch(into, from) {
    for (;;) {
      var a = children(into), b = children(from);
      var n = a.length, m = b.length, i = 0, j = 0;
      while (i < n && i < m && a[i].isEqualNode(b[i])) ++i;
      while (j < n - i && j < m - i && a[n - 1 - j].isEqualNode(b[m - 1 - j])) ++j;
      if (n - i - j === 1 && m - i - j === 1) {
        var x = a[i], y = b[i];
        if (x.nodeType === 3 && y.nodeType === 3) { x.data = y.data; return; }
        if (x.nodeType === 1 && y.nodeType === 1 && x.namespaceURI === y.namespaceURI
            && x.localName === y.localName && sameAttributes(x, y)) {
          into = x; from = y;
          continue;
        }
      }
      var before = j > 0 ? a[n - j] : null;
      var added = b.slice(i, m - j);
      for (var k = i; k < n - j; ++k) into.removeChild(a[k]);
      var part = document.createDocumentFragment();
      for (var t = 0; t < added.length; ++t) part.appendChild(document.adoptNode(added[t]));
      into.insertBefore(part, before);
      return;
    }
  }
  try {
    var old = document;
    if (old.contentType !== 'text/html' || !old.body || old.body.localName !== 'body'
        || old.querySelector('script,noscript'))
      return keep();
    var req = new XMLHttpRequest();
    req.open('GET', old.URL, false);
    // Read in the encoding the page was loaded in: a request alone reads a
    // page that declares Shift_JIS or EUC-JP as UTF-8.
    req.overrideMimeType('text/html; charset=' + old.characterSet);
    req.send();
    if (req.status !== 200) return keep();
    var doc = new DOMParser().parseFromString(req.responseText, 'text/html');
    if (!doc.body || doc.body.localName !== 'body' || doc.querySelector('script,noscript')
        || doc.compatMode !== old.compatMode || !sameDoctype(doc.doctype, old.doctype)
        || doc.childNodes.length !== old.childNodes.length
        || doc.documentElement.childNodes.length !== old.documentElement.childNodes.length
        || !sameAttributes(doc.documentElement, old.documentElement)
        || !doc.head.isEqualNode(old.head) || !sameAttributes(doc.body, old.body))
      return keep();
    patch(old.body, doc.body);
    void old.body.offsetHeight;
    return 'ok';
  } catch (e) {
    return keep();
  }
})()
)js");

} // namespace

void PreviewPane::start(QString path)
{
    m_pending.clear();
    m_inFlight = true;
    const quint64 token = ++m_token;
    const QUrl url = BrowserView::urlForFile(path);
    const bool samePage = path == m_current && m_view->url().adjusted(QUrl::RemoveFragment) == url;
    const bool inPlace = samePage && !m_reloadNext;
    m_reloadNext = false;
    // Bringing a long page up to date takes the renderer about as long as
    // laying it out.
    m_watchdog->start(inPlace ? StuckLoadMs : StuckAnswerMs);
    m_current = path;
    m_restore = false;
    if (!samePage) {
        load(path);
        return;
    }
    // The page already shown is brought up to date in place when it can be;
    // otherwise the script answers where the reader stands, and the page is
    // loaded again and scrolled back there. The answer is empty when the page
    // goes away meanwhile; the view may be in its destructor then, so the
    // load is started from the event loop, where a destroyed view is seen as
    // gone.
    QPointer<PreviewPane> self(this);
    const QString script = inPlace ? PatchScript : QStringLiteral("[window.scrollX, window.scrollY]");
    m_view->page()->runJavaScript(script, [self, path, token](const QVariant &v) {
        // An answer that comes after the watchdog gave up on it is stale.
        if (!self || !self->m_inFlight || self->m_token != token)
            return;
        if (v.toString() == u"ok") {
            ++self->m_patches;
            self->finishLoad(true);
            return;
        }
        const QVariantList xy = v.toList();
        if (xy.size() == 2) {
            self->m_scroll = QPointF(xy.at(0).toDouble(), xy.at(1).toDouble());
            self->m_restore = !self->m_scroll.isNull();
        }
        QTimer::singleShot(0, self, [self, path, token] {
            if (self && self->m_view && self->m_inFlight && self->m_token == token)
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
