#pragma once

#include "ProjectDates.h"

#include <QString>
#include <QVector>

// The page check: every page is read by libtidy (HTML5 rules), and what it
// reports is listed with the place in the page, in Japanese for the common
// problems. Two checks are the program's own: a page without a language
// (lang of <html>) and a page without a viewport declaration. Nothing in the
// project is changed.

struct PageIssue
{
    int page = 0;    // page index
    int line = 0;    // line of the page, from 1 (CR LF, CR and LF each end a line)
    int column = 0;  // character of the line, from 1 (a tab counts as one)
    QString message; // what is wrong, for the result list
    // Advice rather than a fault: the page shows as meant without the change
    // (no DOCTYPE, title, lang, viewport or alt; the old presentational
    // markup insertion scripts write). Pages the program makes have these,
    // so they are listed but do not make output ask first.
    bool advice = false;
};

// Every problem of every page, in page order and, within a page, in text
// order. Pages are checked in parallel; the order does not depend on it.
QVector<PageIssue> CheckPages(const ProjectDates &p);

// The problems of one page text.
QVector<PageIssue> CheckPage(const QString &html, int page = 0);

// The rows that are faults, not advice.
qsizetype PageFaultCount(const QVector<PageIssue> &issues);

// Where a line and column of the page stand in its text (the place the list
// shows); the end of the line when the column lies beyond it, -1 when the
// line is beyond the text.
qsizetype PagePlace(const QString &html, int line, int column);

// libtidy reading a page's UTF-8 text with the check's options, and nothing
// more (no repair, nothing collected): the bare cost the benchmark compares
// the check with.
void TidyParseOnly(const QByteArray &utf8);
