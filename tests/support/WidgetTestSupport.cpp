#include "WidgetTestSupport.h"

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

void TypeText(QWidget *w, const QString &text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &release);
    }
}

void DoubleClickAt(QWidget *w, QPoint at)
{
    const QPointF global = w->mapToGlobal(QPointF(at));
    for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                           QEvent::MouseButtonRelease}) {
        QMouseEvent e(t, QPointF(at), global, Qt::LeftButton, t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
}

ModalAnswerer::ModalAnswerer(QList<std::function<void(QWidget *)>> actions)
    : m_actions(std::move(actions))
{
    m_timer.setInterval(5);
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
        QWidget *w = QApplication::activeModalWidget();
        if (!w || !w->isVisible() || m_actions.isEmpty())
            return;
        const auto act = m_actions.takeFirst();
        ++handled;
        act(w);
    });
    m_timer.start();
}

ModalCloser::ModalCloser()
{
    m_timer.setInterval(5);
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
        if (QWidget *w = QApplication::activeModalWidget(); w && w->isVisible()) {
            opened.append(w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                                    : w->objectName());
            w->close();
        }
    });
    m_timer.start();
}

bool DriveModal(QObject *context, const std::function<void()> &open, const std::function<void(QWidget *)> &body)
{
    bool ran = false;
    QTimer::singleShot(0, context, [&] {
        QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
        QWidget *dlg = QApplication::activeModalWidget();
        ran = true;
        body(dlg);
        if (QApplication::activeModalWidget() == dlg)
            if (auto *d = qobject_cast<QDialog *>(dlg))
                d->reject();
    });
    open();
    return ran;
}
