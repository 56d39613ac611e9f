#pragma once

#include <QString>
#include <QVector>

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

// Reads folder\WizList.dat; a missing or unreadable file gives no entries.
QVector<WizListEntry> LoadWizList(const QString &folder);

// The list file line for the entries (without line end); empty for no entries.
QString WizListToText(const QVector<WizListEntry> &entries);

// True when a name or description survives the list file: no comma, no line
// break, and no leading blank or double quote.
bool WizListTextFits(const QString &text);

// Writes folder\WizList.dat (code page 932, CR LF), replacing it only when
// completely written. false with a reason in *error on failure.
bool SaveWizList(const QString &folder, const QVector<WizListEntry> &entries, QString *error = nullptr);

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
