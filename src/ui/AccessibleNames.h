#pragma once

#include <QString>

class QLabel;
class QToolButton;
class QWidget;

// Names for screen readers. A label names the control it captions only when
// both share a parent; controls built of parts (a number box, a row of an
// input window) and controls without a label of their own get their names
// here.

// What a reader says for a caption: without the access key ("(&N)", "&") and
// without a trailing colon. "名前：" gives "名前".
QString NameFromCaption(const QString &caption);

// Makes label the caption of control: its buddy (for the access key) and the
// control's accessible name.
void NameByLabel(QLabel *label, QWidget *control);

// Gives control the name a reader says; for a number box, its text box.
void NameControl(QWidget *control, const QString &name);

// The names of the up and down buttons of a number: 「増やす」 and 「減らす」.
void NameUpDown(QToolButton *up, QToolButton *down);
