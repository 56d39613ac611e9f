#pragma once

#include <QList>

class QPushButton;

// Gives the buttons of one row (or column) one size: the largest size any of
// them asks for. Latin and Japanese captions are drawn in fonts of different
// line heights, so an "OK" would otherwise stand lower than its "キャンセル".
void SameButtonSize(const QList<QPushButton *> &buttons);
