#pragma once

#include "PageEncoding.h"
#include "ProjectDates.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// The project file: one text in code page 932 with CR LF line ends, a stream of
// comma-terminated fields with the page texts as whole lines.

inline const QString ProjectMagic = QStringLiteral("$HtmlProjectFile$");
inline const QString PageEndMarker = QStringLiteral("/$/End_HtmlDat_String/$/");
inline const QString ProjectEndMarker = QStringLiteral("$End_Project_Dates$");
inline const QString NotFileText = QStringLiteral("$NotFile");

// Result codes of LoadProjectFile.
enum LoadProjectCode : qint16 {
    LoadOk = 0,
    LoadCannotOpen = 1,
    LoadNotProject = 2,
    LoadBroken = 3,
};

// The whole file text of the project, without the final CR LF.
QString MakeProjectText(const ProjectDates &p);

// Reads a project file into p's tables, bookmark names and output folder.
// The file must end with the end marker after the output folder; a file cut
// anywhere before it, or one with a NUL character in a name or path, gives
// LoadBroken. On a non-zero code p is left unchanged.
qint16 LoadProjectFile(const QString &path, ProjectDates &p);

// The same on the decoded text of a file (also used by the fuzz target).
qint16 LoadProjectText(const QString &text, ProjectDates &p);

// Reads a text file whole: its lines joined by CR LF, no CR LF after the last
// one. The encoding is found as DecodeHtmlFile finds it (byte-order mark, the
// page's declaration, UTF-8, code page 932 or EUC-JP); *how (if given) tells
// which it was, its text left empty. "$NotFile" when it cannot be opened.
QString LoadTextFile(const QString &path, DecodedHtml *how = nullptr);

// A field of the project that would not read back as written.
struct ProjectFieldProblem
{
    QString item;   // e.g. "HTMLデータ「インデックス」"
    QString field;  // e.g. "名前"
    QString reason; // e.g. "カンマ（,）"
};

// Every field that the format cannot carry: a comma, line break or NUL in a
// name, file name, extension, path, bookmark name or the output folder; a leading
// blank or double quote there; a page line equal to the page end marker; a
// character other than page text that code page 932 cannot hold; in a file
// name, extension, path or the output folder also a character that would read
// back as its code page counterpart (and so name another file).
QVector<ProjectFieldProblem> CheckProjectFields(const ProjectDates &p);

// One readable message listing the problems (for a message box).
QString DescribeFieldProblems(const QVector<ProjectFieldProblem> &problems);

// The bytes of a project file: MakeProjectText + CR LF, in code page 932, page
// texts with characters that have no code written as character references.
// *changes (if given) counts those and the characters written as a look-alike.
QByteArray EncodeProjectFile(const ProjectDates &p, CharChanges *changes = nullptr);

// Checks the project, then writes it atomically. On failure returns false and
// a message naming the file and the reason (or the fields that cannot be saved).
bool SaveProjectFile(const QString &path, const ProjectDates &p, QString *error, CharChanges *changes = nullptr);
