#include "WidgetTestSupport.h"

#include <QApplication>
#include <QKeyEvent>
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
