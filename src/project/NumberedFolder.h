#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

#include <optional>

// A folder of numbered entries: a list file that names the entries in order
// (TempList.dat, WizList.dat) and one file per entry, named by its position
// (TempFile<N>.dat, WizDate<N>.dat). Entry i's text is always file i, as the
// list formats require, so deleting an entry moves every later file down by
// one number.
//
// Adding and deleting survive a killed program, a full disk and a power cut:
// everything that needs disk space (the new list, staged as "<list>.new", and
// a note of the change, "<list>.pending") is written before the first file
// moves, the files move by renaming (which needs no space), and the new list
// takes its place last. A change that stops half-way is finished the next time
// the folder is read (SettleNumberedFolder), so that every listed name opens
// its own text again. Files left behind by interrupted writes are removed then
// too. Nothing here writes through a symbolic link: a link in the folder is
// replaced, or moved and removed as a name, never followed for writing.
struct NumberedFolder
{
    QString folder;
    QString listName;   // "TempList.dat"
    QString filePrefix; // "TempFile"

    QString listPath() const;
    QString filePath(int number) const;
    QString stagedListPath() const; // "<list stem>.new": the next list, until it takes the list's place
    QString pendingPath() const;    // "<list stem>.pending": the change under way
    QString keptListPath(int n) const; // "<list stem>_old<n>.dat": a damaged list kept by a rebuild
};

// The numbers of the entry files in the folder ("TempFile12.dat" gives 12;
// "TempFile012.dat" is no entry file), in increasing order.
QVector<int> NumberedFiles(const NumberedFolder &f);

// What reading a list file found.
struct ListFileRead
{
    bool exists = false;          // something stands at the list's name
    std::optional<QByteArray> bytes; // its bytes; nothing when it could not be read
    QString reason;               // why it could not be read, in Japanese
};
ListFileRead ReadListFile(const QString &path);

// The text of a list file: UTF-8 when it starts with the UTF-8 byte-order mark
// (an editor may save it so), otherwise code page 932.
QString DecodeListText(const QByteArray &bytes);

// Finishes an add or a delete that was interrupted, and removes the files
// that interrupted writes left in the folder. True when nothing is pending
// afterwards; false with a reason in *error when a pending change cannot be
// finished (the folder is then left as it is).
bool SettleNumberedFolder(const NumberedFolder &f, QString *error = nullptr);

// Adds the entry file `number` with fileBytes and replaces the list with
// newList. The file must not exist yet. The folder is as before or fully
// changed, whatever happens.
bool AddNumberedEntry(const NumberedFolder &f, int number, const QByteArray &fileBytes, const QByteArray &newList,
                      QString *error = nullptr);

// Deletes entry k of the count entries and moves the files above it down by
// one; newList is the list without the entry, nothing when the list file is
// to be removed (the last entry went). A listed entry whose file is missing
// stays without a file at its new number. false with a reason when nothing
// was changed, or when the change stopped after its point of no return (it
// is then finished by the next SettleNumberedFolder).
bool DeleteNumberedEntry(const NumberedFolder &f, int k, int count, const std::optional<QByteArray> &newList,
                         QString *error = nullptr);

// Writes a file of the folder (the list, an entry file) whole, replacing a
// symbolic link that stands at its name instead of writing through it.
bool WriteNumberedFile(const QString &path, const QByteArray &bytes, QString *error = nullptr);

// Moves the entry files that a list of `listed` entries does not name (those
// numbered listed and above) down to the numbers from listed on, in order, so
// that a new list can name them. No list names them, so no listed entry
// changes. Returns how many there are; nothing (and a reason) on failure.
std::optional<int> CloseUpUnlistedFiles(const NumberedFolder &f, int listed, QString *error = nullptr);

// Replaces the list by newList and keeps the old list file (readable or not)
// as "<list stem>_old<n>.dat" with the first free n. *kept receives the name
// it was kept under (empty when there was no list).
bool ReplaceDamagedList(const NumberedFolder &f, const QByteArray &newList, QString *kept = nullptr,
                        QString *error = nullptr);

// The question that offers to rebuild a damaged list: what is wrong, that
// nothing is written over, and the two ways on.
QString ListRebuildQuestion(const QString &problem);

// For tests: called with a running step number before each step that
// changes the folder, so that a test can stop the program at every step.
void SetNumberedFolderStepHook(void (*hook)(int step));
