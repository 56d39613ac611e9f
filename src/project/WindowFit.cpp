#include "WindowFit.h"

#include <algorithm>
#include <cmath>

namespace {

// The screen a window belongs to: the one that holds its top-left corner
// (where its title bar starts), else the one it overlaps most; -1 for none.
int screenOf(const QRect &window, const QVector<QRect> &available)
{
    for (int i = 0; i < available.size(); ++i) {
        if (available.at(i).contains(window.topLeft()))
            return i;
    }
    int best = -1;
    qint64 bestArea = 0;
    for (int i = 0; i < available.size(); ++i) {
        const QRect common = available.at(i).intersected(window);
        const qint64 area = common.isEmpty() ? 0 : qint64(common.width()) * common.height();
        if (area > bestArea) {
            best = i;
            bestArea = area;
        }
    }
    return best;
}

int clampInt(int v, int lo, int hi)
{
    return hi < lo ? lo : std::clamp(v, lo, hi);
}

} // namespace

QSize FitWindowSize(const QSize &wanted, const QRect &available, const QMargins &frame, const QSize &minimum)
{
    const int maxW = std::max(1, available.width() - frame.left() - frame.right());
    const int maxH = std::max(1, available.height() - frame.top() - frame.bottom());
    return {std::min(clampInt(wanted.width(), minimum.width(), maxW), maxW),
            std::min(clampInt(wanted.height(), minimum.height(), maxH), maxH)};
}

QRect FitWindowOnScreens(const QRect &window, const QVector<QRect> &available, const QMargins &frame,
                         const QSize &minimum)
{
    if (available.isEmpty())
        return window;
    const QRect outer = window.marginsAdded(frame);
    for (const QRect &a : available) {
        if (a.contains(outer) && window.width() >= minimum.width() && window.height() >= minimum.height())
            return window;
    }
    int screen = screenOf(outer, available);
    if (screen < 0)
        screen = 0;
    const QRect area = available.at(screen);
    const QSize size = FitWindowSize(window.size(), area, frame, minimum);
    // Moved in only as far as needed: a window that sticks out keeps the
    // rest of its place.
    const int left = clampInt(window.x(), area.left() + frame.left(), area.right() - frame.right() - size.width() + 1);
    const int top = clampInt(window.y(), area.top() + frame.top(), area.bottom() - frame.bottom() - size.height() + 1);
    return {QPoint(left, top), size};
}

LayoutSizes FitLayoutSizes(double W, double H, const LayoutSizes &sizes)
{
    // A size that is no number counts as the smallest.
    const auto atLeast = [](double v, double minimum) { return std::isfinite(v) ? std::max(v, minimum) : minimum; };
    LayoutSizes s = sizes;
    s.catalogueWidth = atLeast(s.catalogueWidth, MinColumnTwips);
    s.filesWidth = atLeast(s.filesWidth, MinColumnTwips);
    // The editor's width is W - (catalogue + 120) - (files + 120) - 360.
    const double room = W - 600 - MinEditorWidthTwips;
    if (s.catalogueWidth + s.filesWidth > room) {
        // The wider column gives first, down to the other's width; then both
        // give alike, never below the minimum. Worked out from the room
        // rather than by taking the excess off, which would lose the small
        // widths against a huge one.
        double &wider = s.catalogueWidth >= s.filesWidth ? s.catalogueWidth : s.filesWidth;
        double &narrower = s.catalogueWidth >= s.filesWidth ? s.filesWidth : s.catalogueWidth;
        if (room - narrower >= narrower) {
            wider = room - narrower;
        } else {
            wider = std::max(MinColumnTwips, room / 2);
            narrower = wider;
        }
    }
    s.editorHeight = std::clamp(atLeast(s.editorHeight, MinEditorHeightTwips), MinEditorHeightTwips,
                                std::max(MinEditorHeightTwips, H - 2500));
    return s;
}
