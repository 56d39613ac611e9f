#include "ButtonRow.h"

#include <QApplication>
#include <algorithm>
#include <QPushButton>

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
    }
    return QProxyStyle::sizeFromContents(type, option, contents, widget);
}

void InstallUniformButtonStyle()
{
    QApplication::setStyle(new UniformButtonStyle);
}
