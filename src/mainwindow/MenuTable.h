#pragma once

#include <QString>

// One row of the main window's menu table. Rows are in menu order; a row's
// depth says whether it is a menu title (0), an item (1), a submenu item (2)
// or an item of a submenu inside a submenu (3).
// Captions carry the access key after "&"; "-" is a separator.
struct MenuRow
{
    int depth;
    const char16_t *name;
    const char16_t *caption;
    const char *shortcut; // empty when none
    bool checked;
    bool submenu;
};

// The menu bar's rows, then the two context menus (depth 0 rows whose names
// end in "PopUp").
const MenuRow *MenuRows(int *count);

// Toolbar buttons in order; a null key is a separator.
struct ToolRow
{
    const char16_t *key;
    const char16_t *tooltip;
    bool checkable;
};
const ToolRow *ToolRows(int *count);
