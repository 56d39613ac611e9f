#pragma once

#include "ProjectDates.h"

#include <QString>

#include <functional>
#include <optional>

struct CharChanges;

// The small files in AppDir that carry state from one run to the next:
// SizeDate.dat (window geometry and view options), FontDate.dat (editor font
// and colours), and the work-in-progress backup WrBackUp.dat with its
// NmBackUp.dat (the project's path). All are one line of code page 932 text
// ending in CR LF.

// The fields of SizeDate.dat, in file order.
enum SizeField : int {
    SizeHeight = 0,      // main window height
    SizeWidth,           // main window width
    SizeTop,             // main window top
    SizeLeft,            // main window left
    SizeCatalogueWidth,  // width of InSelectList
    SizeFilesWidth,      // width of MinDatList
    SizeEditorHeight,    // height of MainText
    SizePrvVisible,
    SizeFilesVisible,
    SizeTagsVisible,
    SizeToolbarVisible,
    SizeStatusVisible,
    SizePicShow,
    SizeAutoPreview,     // tick of minmnyAt
    SizeFieldCount
};

// Window geometry (twips) and view options as SizeDate.dat holds them.
// present tells which fields hold a value: a settings file that is short or
// has a field that does not convert leaves the other fields unset, and
// applying them leaves their targets as they are.
struct WindowSettings
{
    double Height = 0;
    double Width = 0;
    double Top = 0;
    double Left = 0;
    double CatalogueWidth = 0;
    double FilesWidth = 0;
    double EditorHeight = 0;
    bool PrvVisible = true;
    bool FilesVisible = true;
    bool TagsVisible = true;
    bool ToolbarVisible = true;
    bool StatusVisible = true;
    bool PicShow = true;
    bool AutoPreview = true;

    quint32 present = 0;

    bool has(SizeField f) const { return (present >> f) & 1u; }
    void set(SizeField f) { present |= 1u << f; }
    static constexpr quint32 AllFields = (1u << SizeFieldCount) - 1;
};

// The editor's font and colours as FontDate.dat holds them. Colours are the
// file's 0x00BBGGRR numbers (see ColorRefToRgb).
struct EditorFontSettings
{
    enum Field : int { FontName = 0, FontSize, FontBold, FontItalic, BackColor, TextColor, FieldCount };

    QString Name;
    double Size = 0;
    bool Bold = false;
    bool Italic = false;
    quint32 BackColorRef = 0x00FFFFFF;
    quint32 TextColorRef = 0;

    quint32 present = 0;

    bool has(Field f) const { return (present >> f) & 1u; }
    void set(Field f) { present |= 1u << f; }
    static constexpr quint32 AllFields = (1u << FieldCount) - 1;
};

// Paths of the four files in AppDir.
QString SizeDatePath();
QString FontDatePath();
QString WrBackUpPath();
QString NmBackUpPath();

// The line of SizeDate.dat (without CR LF): 14 fields separated by commas,
// Booleans as True and False.
QString MakeSizeDateText(const WindowSettings &s);
// Reads the fields of a SizeDate.dat text in order; a field that is missing or
// does not convert stays unset.
WindowSettings ParseSizeDateText(const QString &text);
// std::nullopt when the file cannot be read.
std::optional<WindowSettings> ReadSizeDate(const QString &path);
bool WriteSizeDate(const QString &path, const WindowSettings &s, QString *error = nullptr);

// The line of FontDate.dat (without CR LF): name, size, bold, italic,
// background and text colour. A font name that the file cannot carry (a comma,
// a line break, a character code page 932 lacks) is written empty, so that the
// other fields still apply.
QString MakeFontDateText(const EditorFontSettings &s);
EditorFontSettings ParseFontDateText(const QString &text);
std::optional<EditorFontSettings> ReadFontDate(const QString &path);
bool WriteFontDate(const QString &path, const EditorFontSettings &s, QString *error = nullptr);

// Conversions of the settings files' values.
// A number as the files write it: decimal, a fraction only when there is one.
QString SettingsNumber(double v);
// A decimal number (fraction allowed); std::nullopt when it is not one.
std::optional<double> ParseSettingsNumber(QStringView field);
// True or False (any case), or a number: 0 false, any other true.
std::optional<bool> ParseSettingsBool(QStringView field);
// A colour number from the file (decimal, 32-bit, may be written signed).
std::optional<quint32> ParseColorRef(QStringView field);

// Colours in the files are 0x00BBGGRR; in the program 0x00RRGGBB.
constexpr int ColorRefToRgb(quint32 colorRef)
{
    return int(((colorRef & 0xFF) << 16) | (colorRef & 0xFF00) | ((colorRef >> 16) & 0xFF));
}
constexpr quint32 RgbToColorRef(int rgb)
{
    const quint32 v = quint32(rgb);
    return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
}
// A colour number with the high bit set names a system colour by its index in
// the low byte (5 window background, 8 window text, ...) instead of a colour.
constexpr bool IsSystemColorRef(quint32 colorRef)
{
    return (colorRef & 0x80000000u) != 0;
}

// Saves a project file for a command: checks the fields the format cannot
// carry, writes atomically, and on failure gives a message that names the file
// (and the item and field that cannot be saved).
// *changes (if given) counts the characters written other than as themselves.
bool SaveProjectForUser(const QString &path, const ProjectDates &p, QString *error,
                        CharChanges *changes = nullptr);

// --- Work-in-progress backup ---

// Writes the project into WrBackUp.dat and its ProjectPath into NmBackUp.dat.
// Both or neither: when the second file cannot be written the first is
// removed again. On failure *error holds a message for the user naming the
// file. NmBackUp.dat is code page 932; a path that code page 932 cannot hold is
// written as UTF-8 with a byte-order mark (read back by ReadNmBackUp).
// A backup that is already there (another copy of the program kept its work
// a moment earlier) is never written over: false, with *occupied true.
bool WriteWorkBackup(const ProjectDates &p, QString *error, bool *occupied = nullptr);

// The first line of NmBackUp.dat; std::nullopt when it cannot be read or is empty.
std::optional<QString> ReadNmBackUp(const QString &path);

struct BackupResumeResult
{
    bool found = false;     // WrBackUp.dat existed and could be opened
    qint16 code = 0;        // LoadProjectFile's code
    QString keptAs;         // a damaged backup kept under this path
    bool keepFailed = false; // a damaged backup could not be renamed (it stays as WrBackUp.dat)
    QString backupPath;     // the first line of NmBackUp.dat, if there was one
};

// Resumes a work-in-progress backup into p, if there is one: loads
// WrBackUp.dat; when it does not load, runs newProject (the new-empty-project
// command; NewStartProject when empty) and keeps the damaged file beside as
// WrBackUp.broken.dat (or the next free WrBackUp.broken-N.dat) instead of
// deleting it. A loaded backup takes its ProjectPath from NmBackUp.dat; the
// new project that replaces a damaged one stays unsaved, so that saving it can
// never overwrite the project file the backup came from with an empty project.
// Then the project is copied into the temporary folder, and only then are the
// backup files deleted.
BackupResumeResult OpenBackUp(ProjectDates &p, const std::function<void()> &newProject = {});

// The message telling the user that a damaged backup could not be resumed.
QString BrokenBackupMessage(const BackupResumeResult &r);
