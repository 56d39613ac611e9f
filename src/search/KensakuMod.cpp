#include "KensakuMod.h"

qint32 KensakuStr(const ProjectDates &p, const QString &text, int page, qint32 startPos)
{
    if (page < 0 || page >= p.Html.size())
        return -1;
    const QString &s = p.Html.at(page).HtmlStr;
    if (startPos < 0)
        startPos = 0;
    if (startPos > s.size())
        return -1;
    // indexOf compares UTF-16 units one by one: exact, no folding of any kind.
    const qsizetype hit = s.indexOf(text, startPos, Qt::CaseSensitive);
    return hit < 0 ? -1 : qint32(hit);
}

qint16 KensakuAllPage(const ProjectDates &p, const QString &text)
{
    // The highest page wins, so search from the top down and stop at the first.
    for (int i = p.HtmlMax(); i >= 0; --i) {
        if (KensakuStr(p, text, i, 0) >= 0)
            return qint16(i);
    }
    return -1;
}

void AddSioriList(ProjectDates &p, const QString &name)
{
    p.SioriList.append(name);
}

void DelSioriList(ProjectDates &p, int index)
{
    if (index < 0 || index >= p.SioriList.size())
        return;
    p.SioriList.removeAt(index);
}

TikanAllResult TikanAll(const QString &page, const QString &find, const QString &repl)
{
    TikanAllResult r;
    if (find.isEmpty()) {
        r.text = page;
        return r;
    }
    // After a replacement the text following the inserted one is the old text
    // following the hit, so the step-by-step search continues in the old text
    // at the end of the hit: non-overlapping hits from left to right.
    qsizetype from = 0;
    qsizetype hit = page.indexOf(find, 0, Qt::CaseSensitive);
    if (hit < 0) {
        r.text = page;
        return r;
    }
    r.first = hit;
    r.text.reserve(page.size());
    while (hit >= 0) {
        r.text.append(QStringView(page).mid(from, hit - from));
        r.text.append(repl);
        ++r.count;
        from = hit + find.size();
        r.oldEnd = from;
        r.newEnd = r.text.size();
        hit = page.indexOf(find, from, Qt::CaseSensitive);
    }
    r.text.append(QStringView(page).mid(from));
    return r;
}

QList<qsizetype> TikanAllHits(const QString &page, const QString &find)
{
    QList<qsizetype> hits;
    if (find.isEmpty())
        return hits;
    for (qsizetype hit = page.indexOf(find, 0, Qt::CaseSensitive); hit >= 0;
         hit = page.indexOf(find, hit + find.size(), Qt::CaseSensitive))
        hits.append(hit);
    return hits;
}
