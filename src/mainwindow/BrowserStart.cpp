#include "BrowserStart.h"

#include "Icons.h"
#include "MainForm.h"

#include <QEvent>
#include <QTimer>
#include <QWindow>

BrowserStart::BrowserStart(MainForm *form)
    : QObject(form)
    , m_form(form)
{
    setObjectName(QStringLiteral("BrowserStart"));
    if (QWindow *w = form->windowHandle())
        w->installEventFilter(this);
    QTimer::singleShot(1000, this, [this] { start(); });
}

bool BrowserStart::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Expose && watched == m_form->windowHandle()
        && m_form->windowHandle()->isExposed() && !m_started) {
        // The window draws itself as it handles this event; the browser
        // starts right after.
        QTimer::singleShot(0, this, [this] { start(); });
    }
    return QObject::eventFilter(watched, event);
}

void BrowserStart::start()
{
    if (m_started)
        return;
    m_started = true;
    if (QWindow *w = m_form->windowHandle())
        w->removeEventFilter(this);
    // The icon is for the desktop's task list and window frame, not for the
    // window's first drawing: it is drawn once the window is on the screen.
    m_form->setWindowIcon(ProgramIcon());
    m_form->mainBrowser();
    if (m_form->onFirstShow)
        m_form->onFirstShow();
}
