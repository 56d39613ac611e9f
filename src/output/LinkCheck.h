#pragma once

#include "ProjectDates.h"

#include <QString>
#include <QVector>

// The link check: every href and src of every page that names a file by a
// relative name is compared with the names under which the output writes the
// project's pages, pictures and other files (upper and lower case as written),
// and a part after "#" with the places (id, or name of <a>) of the page it
// points into. Nothing in the project is changed.

// What is wrong with one link.
enum class LinkProblem {
    Missing,       // no page, picture or other file is written under that name
    CaseDiffers,   // one is, but with other upper and lower case
    Subfolder,     // the name has a folder part; the output writes one folder
    OutsideFolder, // "../" leads out of the output folder
    LocalFile,     // a file of this computer ("C:\...", "file:", "\\server")
    Empty,         // src=""
    MissingAnchor, // the page pointed into has no place of that name
};

struct LinkIssue
{
    int page = 0;         // page index
    int line = 0;         // line of the page, from 1
    qsizetype pos = 0;    // where the link stands in the page text
    qsizetype length = 0; // its length as written
    QString link;         // the attribute value as written
    LinkProblem problem = LinkProblem::Missing;
    QString hint;         // the project's spelling (CaseDiffers), the page (MissingAnchor)
};

// Every problem of every page, in page order and, within a page, in text order.
QVector<LinkIssue> CheckLinks(const ProjectDates &p);

// The problem in words, for the result list.
QString LinkProblemText(const LinkIssue &issue);

// One attribute value found by the scanner (used by the checker and its tests).
struct PageLink
{
    QString attribute;     // "href" or "src", lower case
    qsizetype pos = 0;     // where the value stands in the page text
    qsizetype length = 0;  // its length as written
};

// The href and src values of a page's tags, outside comments and the content
// of script and style elements; *anchors (if given) receives the page's ids
// and the names of its <a> tags; *hasBase is set when a <base href> changes
// where the page's relative links point.
QVector<PageLink> ScanPageLinks(const QString &html, QStringList *anchors = nullptr, bool *hasBase = nullptr);
