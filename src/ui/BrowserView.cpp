#include "BrowserView.h"

#include "LocalFileScheme.h"

#include <QChildEvent>
#include <QEvent>
#include <QOpenGLContext>
#include <QQuickWindow>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineSettings>

// Qt's hook for the OpenGL context that all others share with (exported by
// QtGui; the browser engine registers its own through it).
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext *context);

BrowserView::BrowserView(QWidget *parent)
    : QWebEngineView(parent)
{
    settings()->setDefaultTextEncoding(QStringLiteral("Shift_JIS"));
    LocalFileScheme::InstallOn(page()->profile());
    setFocusPolicy(Qt::StrongFocus);
}

void BrowserView::prepareDrawing()
{
    // The page is drawn by a Qt Quick scene inside the view. Drawn through
    // OpenGL, it would make its window an OpenGL one: a window already shown
    // would be destroyed and made again (the user sees it vanish), and one
    // made for OpenGL from the start waits for the graphics driver to load
    // before it can appear.
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    // The browser engine makes an OpenGL context for sharing while
    // QApplication is made, unless one is registered already; with nothing
    // drawn through OpenGL none is needed, and an unmade one stands in. It
    // lives as long as the process.
    static QOpenGLContext *const unused = new QOpenGLContext;
    qt_gl_set_global_share_context(unused);
    // Nor need Qt load the graphics driver to try out a context when the
    // browser engine asks whether OpenGL may be used from several threads.
    if (qEnvironmentVariableIsEmpty("QT_OPENGL_NO_SANITY_CHECK"))
        qputenv("QT_OPENGL_NO_SANITY_CHECK", "1");
}

void BrowserView::navigateToFile(const QString &path)
{
    LocalFileScheme::AllowFolderOf(path);
    load(urlForFile(path));
}

QUrl BrowserView::urlForFile(const QString &path)
{
    return LocalFileScheme::UrlForFile(path);
}

QString BrowserView::shownFile() const
{
    return LocalFileScheme::FileForUrl(url());
}

void BrowserView::childEvent(QChildEvent *event)
{
    // The page is drawn by a child widget that takes the focus itself.
    if (event->type() == QEvent::ChildAdded && event->child()->isWidgetType())
        event->child()->installEventFilter(this);
    QWebEngineView::childEvent(event);
}

bool BrowserView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn)
        Q_EMIT focusReceived();
    return QWebEngineView::eventFilter(watched, event);
}
