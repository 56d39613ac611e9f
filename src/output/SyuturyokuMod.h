#pragma once

#include "CharChanges.h"
#include "ProjectDates.h"
#include "TextFiles.h"

#include <QString>
#include <QStringList>

#include <functional>

// Writing the project out as real files: every page as a page file, every
// picture and other file copied, each under its output name, in this order.
// Nothing here shows anything; the callers turn the reports into messages.

// How pages are written. AsPage: each page in the encoding it declares (code
// page 932 when it declares none), as the program keeps it. Utf8: every page
// as UTF-8, its declaration rewritten to say so (Utf8Output.h).
enum class OutputCharset { AsPage, Utf8 };

struct SyuturyokuOptions
{
    OutputCharset charset = OutputCharset::AsPage;
    // Throwaway skips syncing each page to the disk (a staging folder that
    // lives only as long as one publish).
    WriteMode writeMode = WriteMode::Durable;
};

// What one run of the writer did.
struct SyuturyokuReport
{
    int written = 0;     // files written
    QStringList skipped; // items passed over (their output name would leave the folder)
    QString failedItem;  // the item the output stopped at, e.g. "画像データ「ロゴ」"; empty when none
    QString failReason;  // why it failed
    CharChanges changes; // characters the pages could not carry as they are
    bool ok() const { return failedItem.isEmpty(); }
};

// How the messages name an item: "HTMLデータ「名前」", "画像データ「名前」", "他のファイルデータ「名前」".
QString DescribeItem(ItemKind kind, const QString &datName);

// Write one page, copy one picture, copy one other file into folder. False
// with *error set when the item cannot be written (an output name that would
// leave the folder included).
// *changes (if given) counts the characters a page was written with
// other than as themselves.
bool SyuturyokuHtml(const ProjectDates &p, int index, const QString &folder, QString *error = nullptr,
                    CharChanges *changes = nullptr, const SyuturyokuOptions &options = {});
bool SyuturyokuPict(const ProjectDates &p, int index, const QString &folder, QString *error = nullptr);
bool SyuturyokuElse(const ProjectDates &p, int index, const QString &folder, QString *error = nullptr);

// Writes the whole project into folder (which must exist): pages, then
// pictures, then other files. An item whose output name would leave the
// folder is passed over and listed; the first item that cannot be written
// ends the run (the files written before it stay).
SyuturyokuReport SyuturyokuAllInto(const ProjectDates &p, const QString &folder, const SyuturyokuOptions &options = {});
// The same into p.SyuturyokuFolder.
SyuturyokuReport SyuturyokuAll(const ProjectDates &p, const SyuturyokuOptions &options = {});

// The message for a run that stopped (critical), and the one listing items
// passed over; empty when there is nothing to say.
QString SyuturyokuFailMessage(const SyuturyokuReport &r);
QString SyuturyokuSkipMessage(const SyuturyokuReport &r);

// Entries of folder that the project did not write: every subfolder and every
// file whose name is no output name of this project. Sorted by name.
QStringList ForeignEntries(const ProjectDates &p, const QString &folder);

// The question asked before removing a folder holding foreign entries; lists
// the first few of them.
// toTrash: the folder would go to the trash (else it is deleted for good, and
// the question says so).
QString ForeignEntriesQuestion(const QString &folder, const QStringList &foreign, bool toTrash);

// True for folders overwrite must never remove: a file-system root, the home
// folder, AppDir, the folder that holds the project file (projectPath, when it
// is a path), and every folder that contains one of these.
bool IsProtectedFolder(const QString &folder, const QString &projectPath);

// True when the desktop offers a trash to move folders into.
bool TrashAvailable();

// Removes a whole folder: moved to the desktop's trash where there is one,
// else deleted. With mayDelete false a folder that the trash does not take is
// left whole. False (with *error, giving the reason) when something stays.
bool RemoveOutputFolder(const QString &folder, QString *error = nullptr, bool mayDelete = true);

// What overwrite did.
struct UwagakiReport
{
    bool removed = false;       // the old folder was moved away or deleted
    bool askedForeign = false;  // the user was asked about foreign entries
    bool keptFolder = false;    // the folder was kept and written into
    QString removeProblem;      // removing failed; the output goes into what was left
    QString createProblem;      // the folder could not be made again; nothing written
    SyuturyokuReport output;
};

// Overwrite: removes the output folder (asking first when it holds entries the
// project did not write; never a protected folder), makes it again and writes
// the project into it. askRemoveForeign gets the foreign entries and returns
// true to remove them with the folder; on false the folder is kept and the
// output written into it.
UwagakiReport Uwagaki(const ProjectDates &p, const std::function<bool(const QStringList &)> &askRemoveForeign,
                      const SyuturyokuOptions &options = {});

// The messages for an overwrite, in the order things happened: a folder that
// could not be removed together with the outcome of the output into it, then
// the items passed over. Each entry is {text, critical?}.
struct OutputMessage
{
    QString text;
    bool critical = false;
};
QVector<OutputMessage> UwagakiMessages(const UwagakiReport &r);

// The folder the output dialog starts in: the folder of the project file when
// the project has been saved, else the folder that holds the last output
// folder; empty (the home folder) when neither exists.
QString OutputDialogStartFolder(const ProjectDates &p);

// The status text after a finished output: where the site was written, in
// which encoding when the pages were converted to UTF-8, and what became of
// characters the pages could not carry as they are.
QString OutputDoneText(const QString &folder, const CharChanges &changes = {}, const SyuturyokuOptions &options = {});

// Drive list of the output dialog: the file-system roots and the user's home
// folder, in this order, without repeats.
QStringList OutputDriveRoots();

// True when a drive of the list can be read.
bool IsDriveReadable(const QString &root);
