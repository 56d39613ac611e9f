#pragma once

#include <QList>
#include <QProxyStyle>

class QPushButton;

// Gives the buttons of one row (or column) one size: the largest size any of
// them asks for. Latin and Japanese captions are drawn in fonts of different
// line heights, so an "OK" would otherwise stand lower than its "キャンセル".
void SameButtonSize(const QList<QPushButton *> &buttons);

// The program's style: the platform's own, except that every push button is
// as high as a Japanese caption needs, whatever its caption, and leaves room
// beside a long caption. Buttons of every window then line up, also where no
// one called SameButtonSize.
class UniformButtonStyle : public QProxyStyle
{
    Q_OBJECT

public:
    using QProxyStyle::QProxyStyle;
    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                           const QWidget *widget) const override;
};

// Makes UniformButtonStyle the application's style.
void InstallUniformButtonStyle();
