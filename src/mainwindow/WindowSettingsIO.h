#pragma once

#include "SettingsFiles.h"

#include <QColor>
#include <QMargins>
#include <QRect>
#include <QVector>

class QWidget;

class MainForm;

// Moving the settings of SizeDate.dat and FontDate.dat between the files'
// values (twips, flags, 0x00BBGGRR colours) and the main window.

// The window's geometry, column widths, editor height and view options now.
// With the preview hidden the editor height is the height the editor gets back
// when the preview returns. A maximized or minimized window gives its normal
// size and position.
WindowSettings CollectWindowSettings(const MainForm &form);

// Applies the fields that hold a value, in file order: window size and
// position, column widths, editor height (also into EditHeight), the view flags
// with the check marks of their menu items, the automatic-preview tick (and so
// the AtKosin button); then lays the window out. A size of zero or less is
// passed over; the window is brought onto a screen and made to fit on it, and
// the column widths and editor height are fitted to the window.
void ApplyWindowSettings(MainForm &form, const WindowSettings &s);

// The available areas of the screens, the primary screen first.
QVector<QRect> AvailableScreenAreas();
// What a top-level window's frame adds around it; an estimate while it is
// not shown.
QMargins WindowFrameMargins(const QWidget &window);
// Clamps the column widths and the editor height (EditHeight too, when set) to
// the window's size, so that the editor keeps a usable minimum and every
// column stays on the window.
void FitLayoutToWindow(MainForm &form);

// First start, no SizeDate.dat: every view flag and its tick on, automatic
// preview ticked; the window keeps its built-in geometry.
void ApplyFirstStartSettings(MainForm &form);

// MainText's font face, size, bold, italic, background and text colours.
EditorFontSettings CollectEditorFont(const MainForm &form);
// Applies the fields that hold a value to MainText.
void ApplyEditorFont(MainForm &form, const EditorFontSettings &s);

// A colour number of the files as a colour; a system colour number gives the
// matching colour of the application palette (invalid when there is none).
QColor ColorFromColorRef(quint32 colorRef);
quint32 ColorRefFromColor(const QColor &c);

// The editor's colours (the palette roles Base and Text of MainText).
QColor EditorBackColor(const MainForm &form);
QColor EditorTextColor(const MainForm &form);
void SetEditorBackColor(MainForm &form, const QColor &c);
void SetEditorTextColor(MainForm &form, const QColor &c);

// Start-up: reads SizeDate.dat then FontDate.dat from AppDir and applies them.
void OpenMainFiles(MainForm &form);
// Exit: writes both files from the window. False when one could not be written.
bool SaveMainFiles(const MainForm &form, QString *error = nullptr);
