#pragma once

#include "HtmlScan.h"

#include <QColor>
#include <QObject>
#include <QTextCharFormat>

#include <array>

class QPlainTextEdit;
class QTextBlock;
class QTextDocument;

// Colours of the kinds of markup, made for one editor background.
struct HtmlColours
{
    QColor tag;
    QColor attrName;
    QColor attrValue;
    QColor comment;
    QColor charRef;
    QColor bookmarkText;
    QColor bookmarkBack; // a tint of the background behind bookmark comments

    QColor of(HtmlScan::Kind kind) const;
};

// Colours that read on the given background: each kind keeps its own hue and
// takes the lightness that gives it a contrast of at least 4.5:1 (darker on a
// light background, lighter on a dark one).
HtmlColours DeriveHtmlColours(const QColor &background);

// The contrast ratio of two colours (1 to 21), from their relative luminance.
double ContrastRatio(const QColor &a, const QColor &b);

// Colours the HTML in a plain text editor: tags, attribute names and values,
// comments, character references and bookmark comments.
//
// Typing must cost the same in a page of 20 MB as in one of 20 KB, so the
// colouring never walks the whole page at once. Each line keeps the state the
// reader ended it in (in its block's user state). An edit makes the states
// from the edited line on unknown; they are read again up to the first line
// after the edit that ends as before, which is usually the next one. Only the
// lines on screen (and a few around them) get their colours; lines further
// down get theirs when they are scrolled into view. When an edit changes the
// state of everything below it (an opened comment), the states are brought up
// to date a few milliseconds at a time while the user is idle.
class HtmlHighlighter : public QObject
{
    Q_OBJECT

public:
    explicit HtmlHighlighter(QPlainTextEdit *editor);

    void setEnabled(bool on);
    bool isEnabled() const { return m_enabled; }

    // The colours in use (from the editor's background colour).
    const HtmlColours &colours() const { return m_colours; }

    // Work still to do: lines whose state is unknown, or lines on screen
    // whose colours are out of date.
    bool pending() const;
    // Does the work that is left now.
    void finish();

    // Lines (from the top) whose end state is known.
    int knownLines() const { return m_valid; }

    // The time one step of the idle work may take.
    static constexpr qint64 SliceNs = 4'000'000;
    // Lines above and below the screen coloured with it.
    static constexpr int Margin = 30;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onContentsChange(int from, int removed, int added);
    void schedule();
    void run();
    // Colours the lines on screen; false when some had to be coloured from a
    // state not yet known (the idle work then colours them again).
    bool colourVisible();
    // Reads states from the first unknown line on, up to line upTo or until
    // about budgetNs have passed.
    void advanceStates(int upTo, qint64 budgetNs);
    void colourBlock(const QTextBlock &block, int incoming);
    void restart();
    void nextGeneration();
    void updateColours();
    // Lines on screen, with the margin.
    void visibleRange(int *first, int *last) const;

    QPlainTextEdit *m_editor;
    // The editor and its viewport as the events name them: compared, never
    // called, since the editor sends events while it is being taken down.
    const QObject *m_editorObject;
    const QObject *m_viewportObject;
    QTextDocument *m_doc;
    bool m_enabled = true;
    bool m_scheduled = false;
    bool m_visibleStale = true;

    // Lines [0, m_valid) have their true end state. Lines from m_tail on ended
    // as they do now when they were last read from the state the line before
    // them held then: once a line before the tail ends as it did, everything
    // after it is known again.
    int m_valid = 0;
    int m_tail = 0;
    int m_blockCount = 1;
    // Colours are written with a generation; a new one (colours changed,
    // switched on or off, much of the text replaced) makes every line's
    // colours out of date at once.
    int m_generation = 1;

    HtmlColours m_colours;
    std::array<QTextCharFormat, HtmlScan::KindCount> m_formats;
    QRgb m_background = 0;
};
