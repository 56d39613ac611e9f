#pragma once

#include <QRect>

// Window and control sizes are designed in twips (1/1440 inch). These convert
// with the screen's logical DPI, both ways.
int TwipsToPx(double twips);
double PxToTwips(int px);
QRect TwipsRect(double left, double top, double width, double height);
// Tests fix the DPI so that results do not depend on the screen.
void SetTwipsDpiForTesting(double dpi);
double TwipsDpi();
