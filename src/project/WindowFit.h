#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>
#include <QVector>

// Bringing restored window geometry and layout sizes into what the screens
// and the window can show. Sizes written by an older run, by another screen
// or by hand can be anything; the window must still open on a screen, fit on
// it, and leave the editor usable.

// The smallest main window the layout works in, in pixels.
inline constexpr QSize MinimumWindowSize(480, 360);

// Fits a window onto the screens. window is the area inside the frame, in
// virtual-desktop pixels; available holds each screen's available area (the
// first is the primary screen); frame is what the frame adds around the
// window. The window goes onto the screen that holds its frame's top-left
// corner, else the one it overlaps most, else the primary screen; it is made no larger than that
// screen's area less the frame (and no smaller than minimum, where the screen
// allows), and moved so that it lies on the screen with its frame. A window
// that already lies wholly on a screen is returned unchanged. Without screens
// the window is returned as it is.
QRect FitWindowOnScreens(const QRect &window, const QVector<QRect> &available, const QMargins &frame,
                         const QSize &minimum = MinimumWindowSize);

// A size made to fit on one screen's available area with the frame around it.
QSize FitWindowSize(const QSize &wanted, const QRect &available, const QMargins &frame,
                    const QSize &minimum = MinimumWindowSize);

// Widths of the two side columns and the height of the editor, in twips.
struct LayoutSizes
{
    double catalogueWidth = 0;
    double filesWidth = 0;
    double editorHeight = 0;
};

// Narrowest column, and lowest and least-wide editor, in twips (as the
// splitter bars allow them).
inline constexpr double MinColumnTwips = 800;
inline constexpr double MinEditorWidthTwips = 1500;
inline constexpr double MinEditorHeightTwips = 800;

// Clamps restored sizes to a window of width W and height H (twips, measured
// as the layout measures them): each column at least MinColumnTwips wide; both
// columns together narrow enough that the editor between them keeps
// MinEditorWidthTwips (the wider column gives first, down to the other's
// width, then both alike); the editor height between MinEditorHeightTwips and
// H - 2500, so that the preview below it keeps its room.
LayoutSizes FitLayoutSizes(double W, double H, const LayoutSizes &sizes);
