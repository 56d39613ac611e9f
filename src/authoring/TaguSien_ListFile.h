#pragma once

#include "WizList.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include "WizList.h" // EditWizDates

// The user script folders: WizList.dat names every entry and describes it in
// one line, and entry i's script is "WizDate" + i + ".dat" beside it, numbered
// without gaps. These procedures create, rename and delete entries, keeping
// the list and the numbered files in step.

// A folder's list as ReadWizList finds it.
struct WizListFile
{
    // Upper index of the entries; -1 when the folder has no WizList.dat.
    qint16 ListMax = -1;
    QStringList ListName;
    QStringList ListSetumei;
    // The first line of each entry's script file; empty when it is missing.
    QStringList ListLine;
    // Each script file's bytes as they are on disk; null when missing. A delete
    // moves these, so a script is renumbered without being decoded and encoded.
    QVector<QByteArray> ListBytes;
};

// Texts written into a new script file: the empty script (a declaration of
// one variable of each type and the end), and the default font script.
extern const QString NewBasicWizDate;
extern const QString NewFontWizDate;

// Reads folder\WizList.dat and every entry's script file.
WizListFile ReadWizList(const QString &folder);

// The list of a folder as it stands, and what keeps it from being written
// over: a list that cannot be read, whose count cannot be read, that ends
// before the entries it counts, or that names fewer entries than there are
// script files, would lose the scripts it does not name. problem says so in
// Japanese; it is empty when the list is sound. NewWizDate, SetWizList and
// DelWizDate refuse such a list.
struct WizListCheck
{
    QVector<WizListEntry> entries;
    QString problem;
};
WizListCheck CheckWizList(const QString &folder);

// Writes a new list from what is left: the entries the old list still gives,
// then one entry "名前なし N" for every script file it does not name, moved
// down to the first free numbers. The old list file stays beside it under
// another name, given in *kept.
bool RebuildWizList(const QString &folder, QString *kept = nullptr, QString *error = nullptr);

// Appends an entry named name with the description setumei, and creates its
// script file (the default font script when isFont, else the empty script).
// Creates the folder when missing. Refuses texts the list file cannot carry.
// false with a reason in *error; *newIndex receives the new entry's index.
bool NewWizDate(const QString &folder, const QString &name, const QString &setumei, bool isFont,
                QString *error = nullptr, qint16 *newIndex = nullptr);

// Replaces the name and description of entry index. Script files stay.
bool SetWizList(const QString &folder, qint16 index, const QString &name, const QString &setumei,
                QString *error = nullptr);

// Removes entry index and renumbers the script files behind it, so that the
// numbers stay without gaps (DeleteNumberedEntry: a delete that is stopped is
// finished when the folder is next read). A missing script file of a later
// entry becomes an empty line at its new number.
bool DelWizDate(const QString &folder, qint16 index, QString *error = nullptr);

// Creates folder (and its parents) when missing. false when it cannot.
bool EnsureWizFolder(const QString &folder, QString *error = nullptr);
