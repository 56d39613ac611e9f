#include "ButtonRow.h"

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
