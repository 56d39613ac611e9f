#pragma once

#include <QIcon>
#include <QString>

// The toolbar's icons, drawn by the program so they look the same on every
// desktop: a coloured tile with a small sign on it.
QIcon ToolbarIcon(const QString &key);

// The placeholder picture shown where a picture cannot be previewed.
QPixmap PlaceholderPicture();

// The program's window icon.
QIcon ProgramIcon();
