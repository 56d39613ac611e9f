#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace {
double &dpiOverride()
{
    static double dpi = 0;
    return dpi;
}
} // namespace

double TwipsDpi()
{
    if (dpiOverride() > 0)
        return dpiOverride();
    if (const QScreen *s = QGuiApplication::primaryScreen())
        return s->logicalDotsPerInchY();
    return 96.0;
}

void SetTwipsDpiForTesting(double dpi)
{
    dpiOverride() = dpi;
}

int TwipsToPx(double twips)
{
    return int(std::lround(twips * TwipsDpi() / 1440.0));
}

double PxToTwips(int px)
{
    return px * 1440.0 / TwipsDpi();
}

QRect TwipsRect(double left, double top, double width, double height)
{
    return QRect(TwipsToPx(left), TwipsToPx(top), TwipsToPx(width), TwipsToPx(height));
}
