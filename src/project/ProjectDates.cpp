#include "ProjectDates.h"

#include "AppPaths.h"

#include <QStringView>

QString NewPageSkeleton()
{
    return QStringLiteral("<html>\r\n"
                          "    <head>\r\n"
                          "        <title></title>\r\n"
                          "    </head>\r\n"
                          "    <body bgcolor = \"#ffffff\">\r\n"
                          "    <font color = \"#000000\">\r\n"
                          "\r\n"
                          "    </font>\r\n"
                          "    </body>\r\n"
                          "</html>");
}

void ResetDates(ProjectDates &p)
{
    p.Html.clear();
    p.Pict.clear();
    p.ElseFile.clear();
    p.SioriList.clear();
}

void NewStartProject(ProjectDates &p)
{
    ResetDates(p);
    p.SyuturyokuFolder.clear();
    p.ProjectPath = NewProjectPath;
    AddHtmlDat(p, QStringLiteral("インデックス"), QStringLiteral("Index"), NewPageSkeleton(), QStringLiteral(".htm"));
    p.NowHtml = 0;
    p.Henkou = false;
}

template<typename Rec>
static bool appendItem(QVector<Rec> &table, Rec rec)
{
    if (table.size() >= MaxTableEntries)
        return false;
    table.append(std::move(rec));
    return true;
}

bool AddHtmlDat(ProjectDates &p, const QString &name, const QString &fileName, const QString &html, const QString &ext)
{
    return appendItem(p.Html, HtmlDat{name, fileName, html, ext});
}

bool AddPictDat(ProjectDates &p, const QString &name, const QString &fileName, const QString &path, const QString &ext)
{
    return appendItem(p.Pict, PictDat{name, fileName, path, ext});
}

bool AddElseFileDat(ProjectDates &p, const QString &name, const QString &fileName, const QString &path, const QString &ext)
{
    return appendItem(p.ElseFile, ElseFileDat{name, fileName, path, ext});
}

template<typename Rec>
static void removeItem(QVector<Rec> &table, int index)
{
    if (index >= 0 && index < table.size())
        table.removeAt(index);
}

void DelHtmlDat(ProjectDates &p, int index) { removeItem(p.Html, index); }
void DelPictDat(ProjectDates &p, int index) { removeItem(p.Pict, index); }
void DelElseFileDat(ProjectDates &p, int index) { removeItem(p.ElseFile, index); }

template<typename Rec>
static int findOutputName(const QVector<Rec> &table, const QString &outputName)
{
    for (int i = 0; i < table.size(); ++i) {
        const Rec &r = table.at(i);
        // Compare without building the joined name.
        if (r.FileName.size() + r.Kakutyousi.size() == outputName.size()
            && QStringView(outputName).startsWith(r.FileName)
            && QStringView(outputName).endsWith(r.Kakutyousi))
            return i;
    }
    return -1;
}

int FindHtmlFile(const ProjectDates &p, const QString &outputName) { return findOutputName(p.Html, outputName); }
int FindPictFile(const ProjectDates &p, const QString &outputName) { return findOutputName(p.Pict, outputName); }
int FindElseFile(const ProjectDates &p, const QString &outputName) { return findOutputName(p.ElseFile, outputName); }

// The first of prefix1, prefix2, ... that no entry uses as its FileName (or DatName).
template<typename Rec>
static QString nextFreeName(const QVector<Rec> &table, const QString &prefix, bool forFileName)
{
    for (int i = 1;; ++i) {
        const QString candidate = prefix + QString::number(i);
        bool taken = false;
        for (const Rec &r : table) {
            if ((forFileName ? r.FileName : r.DatName) == candidate) {
                taken = true;
                break;
            }
        }
        if (!taken)
            return candidate;
    }
}

QString NewHtmlName(const ProjectDates &p, bool forFileName)
{
    return nextFreeName(p.Html, forFileName ? QStringLiteral("html") : QStringLiteral("HTMLページ"), forFileName);
}

QString NewPictName(const ProjectDates &p, bool forFileName)
{
    // "picure" is the established prefix of picture file names.
    return nextFreeName(p.Pict, forFileName ? QStringLiteral("picure") : QStringLiteral("画像データ"), forFileName);
}

QString NewElseFileName(const ProjectDates &p, bool forFileName)
{
    return nextFreeName(p.ElseFile, forFileName ? QStringLiteral("file") : QStringLiteral("ファイルデータ"), forFileName);
}

void FixPictPaths(ProjectDates &p)
{
    const QString base = AppDir();
    for (PictDat &pict : p.Pict) {
        if (pict.FilePath.startsWith(u'*')) {
            QString rest = pict.FilePath.mid(1);
            rest.replace(u'\\', u'/');
            pict.FilePath = base + rest;
        }
    }
}
