#include "BrowserView.h"

#include "LocalFileScheme.h"

#include <QChildEvent>
#include <QEvent>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineSettings>

BrowserView::BrowserView(QWidget *parent)
    : QWebEngineView(parent)
{
    settings()->setDefaultTextEncoding(QStringLiteral("Shift_JIS"));
    LocalFileScheme::InstallOn(page()->profile());
    setFocusPolicy(Qt::StrongFocus);
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
