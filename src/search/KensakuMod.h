#pragma once

#include "ProjectDates.h"

#include <QString>

// Text search over the page records and the bookmark-name list. Positions are
// offsets into HtmlStr (a CR LF counts two), as the editor's selection uses.
// Comparison is exact: case and full-width/half-width forms are distinct.

// Smallest position p, startPos <= p <= length of page's text, where the page
// text holds text exactly; -1 when there is none, when startPos is beyond the
// end or when the page does not exist.
qint32 KensakuStr(const ProjectDates &p, const QString &text, int page, qint32 startPos);

// The highest page index whose text contains text; -1 when none does.
qint16 KensakuAllPage(const ProjectDates &p, const QString &text);

// Appends a bookmark name (SioriMax grows by one).
void AddSioriList(ProjectDates &p, const QString &name);
// Removes the bookmark name at index; later names move down. Out of range: no-op.
void DelSioriList(ProjectDates &p, int index);

// The outcome of replacing every hit of a text in one pass.
struct TikanAllResult
{
    QString text;           // the whole new text
    int count = 0;          // hits replaced
    qsizetype first = -1;   // start of the first hit (same in old and new text)
    qsizetype oldEnd = -1;  // end of the last hit in the old text
    qsizetype newEnd = -1;  // end of the last inserted text in the new text
};

// Replaces every hit of find in page by repl, scanning left to right and
// resuming right after each inserted text, so inserted text is never searched
// again. The result equals selecting and replacing hit by hit; the work is one
// pass over the page. An empty find replaces nothing.
TikanAllResult TikanAll(const QString &page, const QString &find, const QString &repl);

// The start positions of the hits TikanAll replaces, in page order.
QList<qsizetype> TikanAllHits(const QString &page, const QString &find);
