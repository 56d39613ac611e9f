#pragma once

#include <QString>

// The type lists of the statement dialogs show the types in an order that is
// not their code; the code is chosen by the item's text.

// "整数型"/"整数型変数" -> 1, "文字列型"/"文字列型変数" -> 0, "真偽型"/"真偽型変数" -> 2;
// -1 for any other text.
qint16 HensuTypeOfText(const QString &text);

// The variable label of a type: "整数型変数：", "文字列型変数：", "真偽型変数：".
QString HensuTypeLabel(qint16 type);
