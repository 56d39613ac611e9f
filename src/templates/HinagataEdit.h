#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// The template store. Templates ("雛型") come in two kinds, HTML (the text of
// one page) and project (a whole project file), and in two sets each: the
// basic set "Olz" delivered with the program, only ever read, and the user's
// own set "User". A set is a folder holding TempList.dat, the names and
// descriptions of its templates as comma-delimited fields (name 0,
// description 0, name 1, ...), and TempFile<N>.dat, the text of template N.

// One entry of a list file.
struct HinagataEntry
{
    QString name;
    QString setumei; // description

    friend bool operator==(const HinagataEntry &a, const HinagataEntry &b)
    {
        return a.name == b.name && a.setumei == b.setumei;
    }
};

// A user set as loaded: names, descriptions and texts, indexed 0..HinaMax().
struct HinagataSet
{
    QStringList HinaName;
    QStringList HinaSetumei;
    QStringList HinaDate; // "$NotFile" for a template whose file is missing

    qint16 HinaMax() const { return qint16(HinaName.size() - 1); }
};

// The set folders below AppDir, as AppPath takes them (no trailing separator).
inline constexpr char16_t HinaFolderHtmlOlz[] = u"\\Tools\\HTMLTemp\\Olz";
inline constexpr char16_t HinaFolderHtmlUser[] = u"\\Tools\\HTMLTemp\\User";
inline constexpr char16_t HinaFolderProjectOlz[] = u"\\Tools\\PrjectTemp\\Olz";
inline constexpr char16_t HinaFolderProjectUser[] = u"\\Tools\\PrjectTemp\\User";

// The full path of a set folder: isHtml picks the kind, user the set.
QString HinagataFolder(bool isHtml, bool user);

// folder/TempList.dat and folder/TempFile<index>.dat.
QString TempListPath(const QString &folder);
QString TempFilePath(const QString &folder, int index);

// Parses the text of a list file: fields are read two at a time until the text
// ends; a last pair whose description is missing still counts. Blank lines at
// the end of the text are not an entry. At most 32768 entries are read.
QVector<HinagataEntry> ReadTempListText(const QString &text);

// Reads folder/TempList.dat (one that starts with the UTF-8 byte-order mark
// as UTF-8); a missing or unreadable file gives no entries. A change of the
// set that was interrupted is finished first.
QVector<HinagataEntry> ReadTempList(const QString &folder);

// The list of a set as it stands, and what keeps it from being written over:
// a list that cannot be read, or one that names fewer templates than there
// are template files, would lose the templates it does not name. problem
// says so in Japanese; it is empty when the list is sound.
struct HinagataListCheck
{
    QVector<HinagataEntry> entries;
    QString problem;
};
HinagataListCheck CheckTempList(const QString &folder);

// Writes a new list for the user set of a kind from what is left: the names
// the old list still gives, then one entry for every template file it does
// not name, moved down to the first free numbers and named by its text (an
// HTML template by its first line that holds text) or "名前なし N". The old
// list file stays beside it under another name, given in *kept.
bool RebuildTempList(bool isHtml, QString *kept = nullptr, QString *error = nullptr);

// The list file line for the entries, without its line end: every name and
// description joined by ",". Empty for no entries.
QString TempListText(const QVector<HinagataEntry> &entries);

// Why a name or description cannot be stored in a list file (a comma or a line
// break would split it, a leading blank would be lost, a leading double quote
// would swallow the next fields, a character code page 932 lacks would be
// lost); empty when it can.
QString HinagataTextProblem(const QString &text);

// The highest index of the user set of a kind, -1 when it is empty or has no
// list file.
qint16 CountHinagata(bool isHtml);

// The text of a template file: its lines joined by CR LF, none after the last
// line; "$NotFile" when it cannot be read. A page is decoded as a page file is
// (its own declaration first); a project file is always code page 932.
QString LoadHinagataText(bool isHtml, const QString &path);

// Loads the user set of a kind, names, descriptions and texts.
HinagataSet LoadHinagataList(bool isHtml);

// The bytes of a template file: the text followed by CR LF. A page is encoded
// as a page file is (UTF-8 when it declares UTF-8, else code page 932 with
// character references for characters the code page lacks); a project text in
// code page 932 likewise.
QByteArray EncodeHinagataText(bool isHtml, const QString &text);

// Registers a template at the end of the user set of a kind: writes the new
// template file, then the list with the new pair. The other templates are not
// touched. The set folder is created when missing. false with a readable
// reason in *error when the name or description cannot be stored, the list is
// damaged (CheckTempList) or a write fails; the set is then as it was.
bool AddHinagata(bool isHtml, const QString &name, const QString &setumei, const QString &text,
                 QString *error = nullptr);

// Deletes template index of the user set of a kind and renumbers the files
// above it down by one (DeleteNumberedEntry: a delete that is stopped is
// finished when the set is next read). A damaged list is refused as by
// AddHinagata. false with a reason in *error when something failed.
bool DelHinagata(bool isHtml, int index, QString *error = nullptr);
