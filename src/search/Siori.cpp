#include "Siori.h"

#include "KensakuMod.h"

namespace {

void applyEdit(ProjectDates &p, const SioriEdit &e)
{
    QString &text = p.Html[e.page].HtmlStr;
    text.replace(e.pos, e.length, e.replacement);
    // A change of any page is a change of the project, shown or not; without
    // it, closing would lose the change without asking.
    p.Henkou = true;
}

} // namespace

QString SioriComment(const QString &name)
{
    return QStringLiteral("<!--しおり：") + name + QStringLiteral("-->");
}

SioriPlace LocateSiori(const ProjectDates &p, const QString &name)
{
    const QString comment = SioriComment(name);
    SioriPlace place;
    const qint16 page = KensakuAllPage(p, comment);
    if (page < 0)
        return place;
    place.page = page;
    place.pos = KensakuStr(p, comment, page, 0);
    return place;
}

SioriEdit SioriStrChange(ProjectDates &p, int index, const QString &oldName)
{
    SioriEdit e;
    if (index < 0 || index >= p.SioriList.size())
        return e;
    const QString &newName = p.SioriList.at(index);
    if (newName == oldName)
        return e;
    // The name list is saved with the project: a new name is a change even
    // when no page holds the old comment any more.
    p.Henkou = true;
    const SioriPlace place = LocateSiori(p, oldName);
    if (!place.found())
        return e;
    e.page = place.page;
    e.pos = place.pos;
    e.length = qint32(SioriComment(oldName).size());
    e.replacement = SioriComment(newName);
    applyEdit(p, e);
    return e;
}

SioriEdit DelSiori(ProjectDates &p, int index)
{
    SioriEdit e;
    if (index < 0 || index >= p.SioriList.size())
        return e;
    const QString name = p.SioriList.at(index);
    const SioriPlace place = LocateSiori(p, name);
    if (place.found()) {
        e.page = place.page;
        e.pos = place.pos;
        e.length = qint32(SioriComment(name).size());
        applyEdit(p, e);
    }
    DelSioriList(p, index);
    // The name list itself changed, comment found or not.
    p.Henkou = true;
    return e;
}
