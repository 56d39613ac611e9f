#include "DeviceFrame.h"

#include "OptionDate.h"

#include <QChildEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWebEngineView>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

QList<std::pair<int, QString>> PageWidthChoices()
{
    return {{0, QStringLiteral("全体")},
            {EditorOptions::PhoneWidth, QStringLiteral("スマートフォン (375px)")},
            {EditorOptions::TabletWidth, QStringLiteral("タブレット (768px)")}};
}

DeviceFrame::DeviceFrame(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("DeviceFrame"));
}

void DeviceFrame::setView(QWebEngineView *view)
{
    if (m_view)
        m_view->removeEventFilter(this);
    m_view = view;
    if (!m_view)
        return;
    m_view->setParent(this);
    // The page is drawn by a child of the view, which gets the wheel.
    m_view->installEventFilter(this);
    for (QWidget *w : m_view->findChildren<QWidget *>())
        w->installEventFilter(this);
    // A new page may come with the engine's own zoom.
    connect(m_view, &QWebEngineView::loadFinished, this, [this] { arrange(); });
    m_applied = m_userZoom = m_view->zoomFactor();
    arrange();
    m_view->show();
}

void DeviceFrame::setPageWidth(int cssPixels)
{
    m_width = std::max(0, cssPixels);
    arrange();
}

void DeviceFrame::arrange()
{
    if (!m_view)
        return;
    // A zoom the page has that we did not give it is the user's (Ctrl and the
    // wheel in the whole frame, where the engine handles it).
    const double now = m_view->zoomFactor();
    if (std::abs(now - m_applied) > 1e-3)
        m_userZoom = now;
    double zoom = m_userZoom;
    if (m_width <= 0) {
        m_device = QRect();
        m_view->setGeometry(rect());
    } else {
        // The browser is a whole number of pixels wide, and the zoom makes
        // exactly the page width of them: innerWidth = pixels / zoom.
        const int room = width() - 2 * (Margin + Bezel);
        int pixels = int(std::floor(m_width * m_userZoom));
        if (pixels > room)
            pixels = std::max(room, int(std::ceil(m_width * MinZoom)));
        zoom = double(pixels) / m_width;
        const int high = std::max(1, height() - 2 * (Margin + Bezel));
        m_device = QRect(std::max(0, (width() - pixels) / 2 - Bezel), Margin, pixels + 2 * Bezel, high + 2 * Bezel);
        m_view->setGeometry(m_device.adjusted(Bezel, Bezel, -Bezel, -Bezel));
    }
    if (std::abs(now - zoom) > 1e-6)
        m_view->setZoomFactor(zoom);
    m_applied = zoom;
    update();
}

void DeviceFrame::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    arrange();
}

void DeviceFrame::paintEvent(QPaintEvent *)
{
    if (m_device.isNull())
        return;
    QPainter p(this);
    p.fillRect(rect(), QColor(0xd5, 0xd8, 0xdd));
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath body;
    body.addRoundedRect(QRectF(m_device), 2.0 * Bezel, 2.0 * Bezel);
    p.fillPath(body, QColor(0x2b, 0x2d, 0x31));
    // A light edge around the screen, so that a dark page does not melt
    // into the frame.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(0x8a, 0x8f, 0x98));
    p.drawRect(m_device.adjusted(Bezel - 1, Bezel - 1, -Bezel, -Bezel));
}

bool DeviceFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view && event->type() == QEvent::ChildAdded) {
        if (auto *w = qobject_cast<QWidget *>(static_cast<QChildEvent *>(event)->child()))
            w->installEventFilter(this);
    } else if (event->type() == QEvent::Wheel && m_width > 0) {
        // In a frame the zoom is ours: the engine would change it behind the
        // browser's width and so change the layout width.
        auto *wheel = static_cast<QWheelEvent *>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            const double steps = wheel->angleDelta().y() / 120.0;
            m_userZoom = std::clamp(m_applied + 0.1 * steps, MinZoom, MaxZoom);
            arrange();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
