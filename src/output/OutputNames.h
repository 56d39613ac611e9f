#pragma once

#include "ProjectDates.h"

#include <QString>

// Rules for the names under which items are written: the kind tables that
// derive a picture's or another file's extension from its path, the checks the
// settings dialogs run before they store a name, and the duplicate message.

// What the kind detection decided for a path. When keepLabel / keepExt are
// set, the dialog leaves its description or working extension as it was.
struct ItemKindResult
{
    QString label;
    QString ext;
    bool keepLabel = false;
    bool keepExt = false;
};

// The four characters the kind tables look at ("" for other files whose path
// has four characters or fewer).
QString LastFourChars(const QString &path);

// Picture kinds. loads: the picture could be shown (GIF, JPEG or BMP).
ItemKindResult PictKind(bool loads, const QString &path);

// Other-file kinds.
ItemKindResult ElseFileKind(const QString &path);

// The message shown when an output name is taken by item index (0-based) of
// the same table, whose own output name is otherOutputName.
QString DuplicateNameMessage(const QString &otherOutputName, int index);

// Index of the first item of the table other than exceptIndex whose output
// name equals outputName, or -1. exceptIndex -1 checks every item.
int FindOtherHtml(const ProjectDates &p, const QString &outputName, int exceptIndex);
int FindOtherPict(const ProjectDates &p, const QString &outputName, int exceptIndex);
int FindOtherElse(const ProjectDates &p, const QString &outputName, int exceptIndex);

// Why a value cannot be stored in the project file (a comma, a line break, a
// leading blank or double quote, a character code page 932 lacks), as a
// message naming the field and the characters that cannot be used; empty when
// the value is fine. A value that names a file (a path, a file name, an
// extension) must also read back as the same characters.
enum class FieldKind { Text, FileName };
QString FieldCharsProblem(const QString &fieldLabel, const QString &value, FieldKind kind = FieldKind::Text);

// Why an output name would leave its folder (a path separator, ".", "..", an
// absolute or drive path), as a message; empty when it stays inside.
QString OutputNameProblem(const QString &outputName);

// The characters that break a link or a Windows file name when they stand in
// an output name: " # ? * < > | : and %.
QString LinkBreakingChars();

// Why an output name would give a link that leads nowhere (it holds one of
// LinkBreakingChars), as a message naming the characters found; empty when
// it holds none.
QString LinkCharsProblem(const QString &outputName);
