#pragma once

#include <QList>
#include <QString>
#include <QStringView>
#include <QStringList>
#include <QVector>

// Search and replace over every page of the project. Matching is exact, as in
// the page search: case, full-width and half-width forms and every character
// must match, and after a hit the search goes on one character further, so
// hits may overlap.

// The number of line feeds in text (the line of a place is one more than the
// line feeds before it). Several times faster than counting one by one.
qsizetype CountLineBreaks(QStringView text);

// One hit: the page, its line (from 1) and where it starts in the page text.
struct PageHit
{
    int page = 0;
    int line = 0;
    qsizetype pos = 0;

    bool operator==(const PageHit &o) const { return page == o.page && line == o.line && pos == o.pos; }
};

// A search of page texts for one text, done in steps, so that a window can
// show the hits while it searches and stay responsive. The texts are copies
// taken at the start (they share their data with the project's pages until
// those change), so hits keep pointing at what was searched.
class AllPageSearch
{
public:
    AllPageSearch(const QStringList &pages, const QString &text, qsizetype maxHits = -1);

    // Searches on for about budgetNs nanoseconds, appending hits to *out in
    // page order; true when every page has been searched (or maxHits was
    // reached).
    bool step(QVector<PageHit> *out, qint64 budgetNs);

    bool finished() const { return m_page >= m_pages.size(); }
    // True when the search stopped at maxHits.
    bool capped() const { return m_capped; }
    int pagesSearched() const { return m_page; }
    const QStringList &pages() const { return m_pages; }
    const QString &text() const { return m_text; }

private:
    QStringList m_pages;
    QString m_text;
    qsizetype m_maxHits;
    qsizetype m_hits = 0;
    int m_page = 0;
    qsizetype m_from = 0;    // where the next search in the page starts
    int m_line = 1;          // the line at m_counted
    qsizetype m_counted = 0; // line breaks are counted up to here
    bool m_capped = false;
};

// Every hit at once.
QVector<PageHit> FindInAllPages(const QStringList &pages, const QString &text);

// The line of a hit as a list shows it: the line's text without its leading
// blanks, tabs shown as blanks, cut around the hit when it is long ("…"
// marks a cut), and where the hit stands in it.
struct HitLine
{
    QString text;
    qsizetype start = 0;
    qsizetype length = 0;
};
HitLine HitLineOf(const QString &page, qsizetype pos, qsizetype length, int maxChars = 160);

// Replace-all in every page: each page as the page replace-all leaves it
// (left to right, resuming after each inserted text).
struct AllPagesTikan
{
    QList<int> pages;  // the pages with at least one hit, in order
    QStringList texts; // their new texts
    QList<int> counts; // hits replaced in each
    int hits = 0;      // all hits replaced
};
AllPagesTikan TikanAllPages(const QStringList &pages, const QString &find, const QString &repl);
