#pragma once

#include "ProjectDates.h"

#include <QString>

// Bookmarks: a name in SioriList and the comment "<!--しおり：" + name + "-->"
// in the text of one page. These work on the project records only; the main
// window mirrors a change of the shown page into the editor.

QString SioriComment(const QString &name);

// Where a bookmark's comment stands: the highest page that contains it and its
// first position there.
struct SioriPlace
{
    qint16 page = -1;
    qint32 pos = -1;
    bool found() const { return page >= 0 && pos >= 0; }
};
SioriPlace LocateSiori(const ProjectDates &p, const QString &name);

// One change of a page text: length characters at pos become replacement.
struct SioriEdit
{
    qint16 page = -1; // -1: no page changed
    qint32 pos = -1;
    qint32 length = 0;
    QString replacement;
    bool changed() const { return page >= 0; }
};

// Rewrites the comment of oldName into the comment of SioriList[index] (which
// already holds the new name). The changed page's text is updated, also when
// that page is not the shown one. Henkou is set whenever the names differ (the
// list entry changed). No page changes when none holds the old comment, and
// nothing at all when the names are equal.
SioriEdit SioriStrChange(ProjectDates &p, int index, const QString &oldName);

// Deletes bookmark index: removes its comment from the page that holds it and
// the name from SioriList, whether or not the comment was found, and sets
// Henkou. Out of range: nothing.
SioriEdit DelSiori(ProjectDates &p, int index);
