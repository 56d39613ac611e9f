#pragma once

#include <QList>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <utility>

class QWebEngineView;

// The widths a preview can lay its page out at, with the captions of their
// menu items, in menu order: the whole pane, a phone, a tablet.
QList<std::pair<int, QString>> PageWidthChoices();

// Holds a preview's browser. With no page width the browser fills it, as a
// plain view. With one, the page is laid out exactly that many CSS pixels
// wide (the page's window.innerWidth), centred on a neutral background
// inside a dark rounded frame like a device's; the browser keeps its own
// scroll bars inside the frame. The page's zoom is kept in step with the
// browser's width: a pane too narrow for the frame draws the page smaller
// instead of cutting it (never below the browser's least zoom), and Ctrl with
// the mouse wheel makes the frame larger or smaller, the layout width staying
// the same.
class DeviceFrame : public QWidget
{
    Q_OBJECT

public:
    explicit DeviceFrame(QWidget *parent = nullptr);

    // The browser becomes a child of the frame and is placed by it.
    void setView(QWebEngineView *view);
    QWebEngineView *view() const { return m_view; }

    // 0 for the whole frame, else the width in CSS pixels.
    void setPageWidth(int cssPixels);
    int pageWidth() const { return m_width; }

    // The zoom the page is drawn at, and the dark frame drawn around the
    // browser (empty for the whole frame).
    double pageZoom() const { return m_applied; }
    QRect deviceRect() const { return m_device; }

    static constexpr int Margin = 8;    // neutral space around the device
    static constexpr int Bezel = 12;    // dark frame around the browser
    static constexpr double MinZoom = 0.25;
    static constexpr double MaxZoom = 5.0;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void arrange();

    QPointer<QWebEngineView> m_view;
    int m_width = 0;
    double m_userZoom = 1; // the zoom the user chose
    double m_applied = 1;  // the zoom last given to the page
    QRect m_device;
};
