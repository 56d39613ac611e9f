#pragma once

#include "NumberedFolder.h"

#include <QString>
#include <QVector>

#include <optional>

// The list file WizList.dat of a script folder: the upper index of the entries,
// then a name and a one-line description per entry, all on one comma-delimited
// line. Entry i's script is "WizDate" + i + ".dat" in the same folder.

struct WizListEntry
{
    QString name;
    QString setumei; // description

    friend bool operator==(const WizListEntry &a, const WizListEntry &b)
    {
        return a.name == b.name && a.setumei == b.setumei;
    }
};

// Parses the text of a list file. A text whose first field is not an upper
// index of 0 or more gives no entries; a file that ends early gives the entries
// it holds completely.
QVector<WizListEntry> LoadWizListFromText(const QString &text);

// The same, with the upper index the text claims (nothing when its first
// field is not an upper index of 0 or more), so that a cut list shows.
struct WizListText
{
    std::optional<qint16> listMax;
    QVector<WizListEntry> entries;
};
WizListText ParseWizListText(const QString &text);

// The list file and the script files of a folder as one store.
NumberedFolder WizStore(const QString &folder);

// Reads folder\WizList.dat (one that starts with the UTF-8 byte-order mark
// as UTF-8); a missing or unreadable file gives no entries. A change of the
// folder that was interrupted is finished first.
QVector<WizListEntry> LoadWizList(const QString &folder);

// The list file line for the entries (without line end); empty for no entries.
QString WizListToText(const QVector<WizListEntry> &entries);

// True when a name or description survives the list file: no comma, no line
// break, and no leading blank or double quote.
bool WizListTextFits(const QString &text);

// Writes folder\WizList.dat (code page 932, CR LF), replacing it only when
// completely written (a link at its name is replaced, not written through).
// false with a reason in *error on failure.
bool SaveWizList(const QString &folder, const QVector<WizListEntry> &entries, QString *error = nullptr);

// The bytes SaveWizList writes; nothing (and a reason) when a text holds a
// character code page 932 lacks.
std::optional<QByteArray> EncodeWizList(const QString &folder, const QVector<WizListEntry> &entries,
                                        QString *error = nullptr);

// The full path of entry index's script file in folder.
QString WizDatePath(const QString &folder, int index);

// The script folders below AppDir, as AppPath takes them.
inline constexpr char16_t WizFolderOlzFonts[] = u"\\Tools\\WizDates\\Olz\\Fonts";
inline constexpr char16_t WizFolderUserFont[] = u"\\Tools\\WizDates\\User\\Font";
inline constexpr char16_t WizFolderOlzBasic[] = u"\\Tools\\WizDates\\Olz\\Basic";
inline constexpr char16_t WizFolderOlzWizs[] = u"\\Tools\\WizDates\\Olz\\Wizs";
inline constexpr char16_t WizFolderUserBasic[] = u"\\Tools\\WizDates\\User\\Basic";

// What the user script list hands to the editor it opens, and gets back: the
// full path of the entry's script file, its name and its description. An
// editor that saves puts the name and description the user typed here.
struct EditWizDates
{
    QString EditWizPath;
    QString EditWizName;
    QString EditWizSetumei;
};
