#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// The one open project: three item tables, the bookmark names, the output
// folder and the editor-wide fields. The tables are vectors; the counters of
// the file format (the highest used index, -1 for an empty table) are read
// through HtmlMax(), PictMax(), ElseFileMax() and SioriMax().

inline const QString NewProjectPath = QStringLiteral("新規HTMLプロジェクト");

// A page: display name, output name without extension, the HTML text (lines
// separated by CR LF) and the output extension with its dot.
struct HtmlDat
{
    QString DatName;
    QString FileName;
    QString HtmlStr;
    QString Kakutyousi;

    QString outputName() const { return FileName + Kakutyousi; }
    bool operator==(const HtmlDat &o) const
    {
        return DatName == o.DatName && FileName == o.FileName && HtmlStr == o.HtmlStr && Kakutyousi == o.Kakutyousi;
    }
};

// A picture or another file: display name, output name without extension, the
// full path of the source file and the output extension with its dot.
struct PictDat
{
    QString DatName;
    QString FileName;
    QString FilePath;
    QString Kakutyousi;

    QString outputName() const { return FileName + Kakutyousi; }
    bool operator==(const PictDat &o) const
    {
        return DatName == o.DatName && FileName == o.FileName && FilePath == o.FilePath && Kakutyousi == o.Kakutyousi;
    }
};
using ElseFileDat = PictDat;

// Kinds of item, as DatList shows them (ListType).
enum ItemKind : qint16 { KindHtml = 0, KindPict = 1, KindElseFile = 2, KindSiori = 3 };

struct ProjectDates
{
    QVector<HtmlDat> Html;
    QVector<PictDat> Pict;
    QVector<ElseFileDat> ElseFile;
    QStringList SioriList;
    QString SyuturyokuFolder;

    QString ProjectPath = NewProjectPath;
    bool Henkou = false;
    qint16 NowHtml = 0;
    qint16 ListType = KindHtml;
    HtmlDat ClipDat;
    qint16 ClipType = -1;
    qint16 EditIndex = 0;
    bool EditNew = false;

    qint16 HtmlMax() const { return qint16(Html.size() - 1); }
    qint16 PictMax() const { return qint16(Pict.size() - 1); }
    qint16 ElseFileMax() const { return qint16(ElseFile.size() - 1); }
    qint16 SioriMax() const { return qint16(SioriList.size() - 1); }
};

// A table holds at most this many entries (its counter is a 16-bit index).
constexpr int MaxTableEntries = 32768;

// The new-page skeleton, lines joined by CR LF, without a CR LF at the end.
QString NewPageSkeleton();

// Empties the three tables and the bookmark names (the counters become -1).
void ResetDates(ProjectDates &p);

// Empties everything a new project empties and adds the start page
// "インデックス" (Index.htm, the skeleton). ProjectPath becomes the new-project
// text and Henkou false.
void NewStartProject(ProjectDates &p);

// Append one item; false (and nothing added) when the table is full.
bool AddHtmlDat(ProjectDates &p, const QString &name, const QString &fileName, const QString &html, const QString &ext);
bool AddPictDat(ProjectDates &p, const QString &name, const QString &fileName, const QString &path, const QString &ext);
bool AddElseFileDat(ProjectDates &p, const QString &name, const QString &fileName, const QString &path, const QString &ext);

// Remove the item at index; later items move down by one.
void DelHtmlDat(ProjectDates &p, int index);
void DelPictDat(ProjectDates &p, int index);
void DelElseFileDat(ProjectDates &p, int index);

// Lowest index whose FileName + Kakutyousi equals outputName exactly, or -1.
int FindHtmlFile(const ProjectDates &p, const QString &outputName);
int FindPictFile(const ProjectDates &p, const QString &outputName);
int FindElseFile(const ProjectDates &p, const QString &outputName);

// Next free default name: a FileName when forFileName, else a DatName.
QString NewHtmlName(const ProjectDates &p, bool forFileName);
QString NewPictName(const ProjectDates &p, bool forFileName);
QString NewElseFileName(const ProjectDates &p, bool forFileName);

// Rewrites every picture path that starts with "*" to AppDir + the rest.
void FixPictPaths(ProjectDates &p);
