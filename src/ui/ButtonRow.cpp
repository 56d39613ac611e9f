#include "ButtonRow.h"

#include <QApplication>
#include <QPushButton>

#include <algorithm>

void SameButtonSize(const QList<QPushButton *> &buttons)
{
    QSize size;
    for (QPushButton *b : buttons) {
        b->ensurePolished();
        size = size.expandedTo(b->sizeHint());
    }
    for (QPushButton *b : buttons)
        b->setMinimumSize(size);
}

QSize UniformButtonStyle::sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                                           const QWidget *widget) const
{
    QSize contents = size;
    if (type == CT_PushButton && widget) {
        // The line height of a caption in Japanese, drawn in the fallback font.
        const int japanese = widget->fontMetrics().size(Qt::TextShowMnemonic, QStringLiteral("あ")).height();
        contents.setHeight(std::max(contents.height(), japanese));
        // Half a character of room on either side of a caption, so that a
        // long one ("ファイルから追加") does not touch the button's edges.
        if (contents.width() > 0)
            contents.rwidth() += japanese;
    }
    return QProxyStyle::sizeFromContents(type, option, contents, widget);
}

void InstallUniformButtonStyle()
{
    QApplication::setStyle(new UniformButtonStyle);
}
