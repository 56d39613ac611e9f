#include "HtmlHighlighter.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <limits>

using HtmlScan::Kind;

namespace {

// --- Colours ---------------------------------------------------------------

double channelLuminance(double c)
{
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &c)
{
    const QColor rgb = c.toRgb();
    return 0.2126 * channelLuminance(rgb.redF()) + 0.7152 * channelLuminance(rgb.greenF())
           + 0.0722 * channelLuminance(rgb.blueF());
}

// The colour of a hue and saturation, at the lightness nearest to the
// starting one that reads on the background.
QColor readableOn(const QColor &background, double hue, double saturation)
{
    constexpr double Wanted = 4.5;
    const bool dark = luminance(background) < 0.18;
    const double start = dark ? 0.70 : 0.36;
    const auto at = [&](double l) { return QColor::fromHslF(float(hue / 360.0), float(saturation), float(l)); };
    // Away from the background first: darker on a light one, lighter on a
    // dark one; the other way only when that way never reads.
    const double towards = dark ? 1.0 : 0.0;
    QColor best = at(start);
    double bestRatio = ContrastRatio(best, background);
    for (int step = 0; step <= 40 && bestRatio < Wanted; ++step) {
        const double l = start + (towards - start) * step / 40.0;
        const QColor c = at(l);
        const double r = ContrastRatio(c, background);
        if (r > bestRatio) {
            best = c;
            bestRatio = r;
        }
    }
    for (int step = 0; step <= 40 && bestRatio < Wanted; ++step) {
        const double l = start + ((1.0 - towards) - start) * step / 40.0;
        const QColor c = at(l);
        const double r = ContrastRatio(c, background);
        if (r > bestRatio) {
            best = c;
            bestRatio = r;
        }
    }
    return best;
}

QColor mix(const QColor &a, const QColor &b, double t)
{
    const QColor x = a.toRgb();
    const QColor y = b.toRgb();
    return QColor::fromRgbF(float(x.redF() + (y.redF() - x.redF()) * t), float(x.greenF() + (y.greenF() - x.greenF()) * t),
                            float(x.blueF() + (y.blueF() - x.blueF()) * t));
}

// --- What each line keeps in its block's user state ------------------------
//
// Bits 0-7: the state the line ends in (Unknown when not read yet).
// Bits 8-15: what its colours were made from: the state it starts in + 1, or
// Cleared when colouring is off; 0 when it has none.
// Bits 16-30: the generation of those colours.
// A new block has the user state -1: nothing known.

constexpr int Unknown = 0xFF;
constexpr int Cleared = 0xFE;
constexpr int GenerationLimit = 0x7FFF;

int endOf(const QTextBlock &b)
{
    const int us = b.userState();
    return us < 0 ? Unknown : us & 0xFF;
}

int colourKeyOf(const QTextBlock &b)
{
    const int us = b.userState();
    return us < 0 ? -1 : us >> 8;
}

void setEnd(QTextBlock b, int end)
{
    const int us = std::max(b.userState(), 0);
    b.setUserState((us & ~0xFF) | end);
}

void setColourKey(QTextBlock b, int key)
{
    const int us = b.userState();
    const int end = us < 0 ? Unknown : us & 0xFF;
    b.setUserState(end | (key << 8));
}

int colourKey(int generation, int made)
{
    return (generation << 8) | made;
}

} // namespace

QColor HtmlColours::of(Kind kind) const
{
    switch (kind) {
    case Kind::Tag:
        return tag;
    case Kind::AttrName:
        return attrName;
    case Kind::AttrValue:
        return attrValue;
    case Kind::Comment:
        return comment;
    case Kind::CharRef:
        return charRef;
    case Kind::Bookmark:
        return bookmarkText;
    }
    return tag;
}

double ContrastRatio(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

HtmlColours DeriveHtmlColours(const QColor &background)
{
    const QColor bg = background.isValid() ? background.toRgb() : QColor(Qt::white);
    const bool dark = luminance(bg) < 0.18;
    HtmlColours c;
    c.tag = readableOn(bg, 225, 0.85);        // blue
    c.attrName = readableOn(bg, 5, 0.75);     // red
    c.attrValue = readableOn(bg, 285, 0.65);  // purple
    c.comment = readableOn(bg, 120, 0.55);    // green
    c.charRef = readableOn(bg, 30, 0.90);     // orange
    // Bookmarks stand out on a tint of amber.
    c.bookmarkBack = mix(bg, QColor::fromHslF(45.0f / 360.0f, 1.0f, 0.5f), dark ? 0.35 : 0.45);
    c.bookmarkText = readableOn(c.bookmarkBack, 20, 0.80);
    return c;
}

HtmlHighlighter::HtmlHighlighter(QPlainTextEdit *editor)
    : QObject(editor)
    , m_editor(editor)
    , m_editorObject(editor)
    , m_viewportObject(editor->viewport())
    , m_doc(editor->document())
{
    setObjectName(QStringLiteral("HtmlHighlighter"));
    m_blockCount = m_doc->blockCount();
    m_tail = m_blockCount;
    connect(m_doc, &QTextDocument::contentsChange, this, &HtmlHighlighter::onContentsChange);
    const auto scrolled = [this] {
        m_visibleStale = true;
        schedule();
    };
    connect(m_editor->verticalScrollBar(), &QScrollBar::valueChanged, this, scrolled);
    // The editor scrolls to the cursor without a signal of its scroll bar.
    connect(m_editor, &QPlainTextEdit::updateRequest, this, [scrolled](const QRect &, int dy) {
        if (dy != 0)
            scrolled();
    });
    m_editor->installEventFilter(this);
    m_editor->viewport()->installEventFilter(this);
    updateColours();
    restart();
}

void HtmlHighlighter::setEnabled(bool on)
{
    if (on == m_enabled)
        return;
    m_enabled = on;
    if (on) {
        restart();
        return;
    }
    // Lines on screen lose their colours now, others when they are shown.
    nextGeneration();
    m_visibleStale = true;
    schedule();
}

bool HtmlHighlighter::pending() const
{
    return m_scheduled || m_visibleStale || (m_enabled && m_valid < m_blockCount);
}

void HtmlHighlighter::finish()
{
    if (m_enabled)
        advanceStates(m_blockCount, std::numeric_limits<qint64>::max());
    colourVisible();
}

bool HtmlHighlighter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_editorObject && event->type() == QEvent::PaletteChange) {
        updateColours();
    } else if ((watched == m_editorObject && event->type() == QEvent::FontChange)
               || (watched == m_viewportObject && event->type() == QEvent::Resize)) {
        m_visibleStale = true;
        schedule();
    }
    return QObject::eventFilter(watched, event);
}

void HtmlHighlighter::onContentsChange(int from, int /*removed*/, int added)
{
    const int count = m_doc->blockCount();
    const int delta = count - m_blockCount;
    m_blockCount = count;
    m_visibleStale = true;
    if (!m_enabled) {
        // Lines that come into view may still have colours; switching on
        // again starts from the top.
        schedule();
        return;
    }
    QTextBlock firstBlock = m_doc->findBlock(std::max(from, 0));
    if (!firstBlock.isValid())
        firstBlock = m_doc->lastBlock();
    QTextBlock lastBlock = m_doc->findBlock(std::max(from, 0) + std::max(added, 0));
    if (!lastBlock.isValid())
        lastBlock = m_doc->lastBlock();
    const int first = firstBlock.blockNumber();
    const int last = std::max(first, lastBlock.blockNumber());

    // The lines after the edit are the lines after it before, moved by delta.
    // If they all agreed with the lines before them, they still agree with
    // the edited ones' old ends; otherwise only those from the old tail on.
    const int oldLast = last - delta;
    const bool allAgreed = m_tail <= oldLast + 1 || m_valid >= m_tail;
    int tail = allAgreed ? last + 1 : m_tail + delta;
    m_valid = std::min(m_valid, first);
    m_tail = std::clamp(tail, m_valid, count);

    // The last edited line's old end says nothing about its new text, and the
    // line after the edit may have agreed with another line's end.
    setEnd(lastBlock, Unknown);
    // The edited lines' colours are out of date.
    if (last - first <= 256) {
        for (QTextBlock b = firstBlock; b.isValid() && b.blockNumber() <= last; b = b.next())
            setColourKey(b, 0);
    } else {
        nextGeneration();
    }
    schedule();
}

void HtmlHighlighter::schedule()
{
    if (m_scheduled)
        return;
    m_scheduled = true;
    QTimer::singleShot(0, this, &HtmlHighlighter::run);
}

void HtmlHighlighter::run()
{
    m_scheduled = false;
    QElapsedTimer clock;
    clock.start();
    const bool exact = colourVisible();
    if (m_enabled && m_valid < m_blockCount) {
        advanceStates(m_blockCount, SliceNs - clock.nsecsElapsed());
        if (!exact)
            colourVisible();
    }
    if (pending())
        schedule();
}

void HtmlHighlighter::visibleRange(int *first, int *last) const
{
    const int top = m_doc->findBlockByLineNumber(m_editor->verticalScrollBar()->value()).blockNumber();
    const int lineHeight = std::max(1, m_editor->fontMetrics().lineSpacing());
    const int lines = m_editor->viewport()->height() / lineHeight + 2;
    *first = std::max(0, top - Margin);
    *last = std::min(m_blockCount - 1, std::max(top, 0) + lines + Margin);
}

bool HtmlHighlighter::colourVisible()
{
    // Whatever comes up while colouring (the view scrolled by a new layout)
    // asks for another round.
    m_visibleStale = false;
    int first = 0;
    int last = 0;
    visibleRange(&first, &last);
    // A short way to the screen is read now, a long one while idle.
    constexpr int ReadNow = 2000;
    if (m_enabled && m_valid < first && first - m_valid <= ReadNow)
        advanceStates(first, std::numeric_limits<qint64>::max());

    bool exact = true;
    QTextBlock b = m_doc->findBlockByNumber(first);
    int before = first == 0 ? HtmlScan::StartState : endOf(b.previous());
    for (int n = first; b.isValid() && n <= last; ++n, b = b.next()) {
        int made = Cleared;
        int incoming = HtmlScan::StartState;
        if (m_enabled) {
            if (n > 0 && n - 1 >= m_valid) {
                exact = false;
                incoming = HtmlScan::IsState(before) ? before : HtmlScan::StartState;
            } else {
                incoming = before;
            }
            if (n == m_valid)
                advanceStates(n + 1, std::numeric_limits<qint64>::max());
            made = incoming + 1;
        }
        if (colourKeyOf(b) != colourKey(m_generation, made))
            colourBlock(b, incoming);
        setColourKey(b, colourKey(m_generation, made));
        before = endOf(b);
    }
    if (!exact)
        m_visibleStale = true;
    return exact;
}

void HtmlHighlighter::advanceStates(int upTo, qint64 budgetNs)
{
    if (m_valid >= upTo || m_valid >= m_blockCount)
        return;
    QElapsedTimer clock;
    clock.start();
    QTextBlock b = m_doc->findBlockByNumber(m_valid);
    int incoming = m_valid == 0 ? HtmlScan::StartState : endOf(b.previous());
    int steps = 0;
    while (b.isValid() && m_valid < upTo) {
        const int n = m_valid;
        const int old = endOf(b);
        const int end = HtmlScan::ScanLine(b.text(), incoming);
        setEnd(b, end);
        m_valid = n + 1;
        if (m_valid >= m_tail && end == old) {
            // The lines after this one were read from this very end.
            m_valid = m_blockCount;
            m_tail = m_blockCount;
            return;
        }
        m_tail = std::max(m_tail, m_valid);
        incoming = end;
        b = b.next();
        if ((++steps & 63) == 0 && clock.nsecsElapsed() > budgetNs)
            return;
    }
}

void HtmlHighlighter::colourBlock(const QTextBlock &block, int incoming)
{
    QList<QTextLayout::FormatRange> ranges;
    if (m_enabled) {
        QList<HtmlScan::Span> spans;
        HtmlScan::ScanLine(block.text(), incoming, &spans);
        ranges.reserve(spans.size());
        for (const HtmlScan::Span &s : spans)
            ranges.append(QTextLayout::FormatRange{int(s.start), int(s.length), m_formats[size_t(s.kind)]});
    }
    QTextLayout *layout = block.layout();
    if (!layout || layout->formats() == ranges)
        return;
    layout->setFormats(ranges);
    // The document must lay the line out again with its new formats. Told so,
    // the editor's layout takes the line and the next one as changed and
    // repaints the whole screen, which costs a keystroke several times its
    // own work on a screen full of coloured text. Its notices are held back
    // here and only this line is repainted; the other line it dropped is laid
    // out again when it is next painted.
    {
        const QSignalBlocker quiet(m_doc->documentLayout());
        m_doc->markContentsDirty(block.position(), block.length());
    }
    QRect line = m_editor->cursorRect(QTextCursor(block));
    line.setLeft(0);
    line.setWidth(m_editor->viewport()->width());
    line.setHeight(std::max(line.height(), int(std::ceil(m_doc->documentLayout()->blockBoundingRect(block).height()))) + 1);
    m_editor->viewport()->update(line);
}

void HtmlHighlighter::restart()
{
    m_blockCount = m_doc->blockCount();
    m_valid = 0;
    m_tail = m_blockCount;
    nextGeneration();
    m_visibleStale = true;
    schedule();
}

void HtmlHighlighter::nextGeneration()
{
    ++m_generation;
    if (m_generation <= GenerationLimit)
        return;
    // Generations come round again: forget every line's colours once, so that
    // an old one cannot pass for the new.
    m_generation = 1;
    for (QTextBlock b = m_doc->begin(); b.isValid(); b = b.next())
        setColourKey(b, 0);
}

void HtmlHighlighter::updateColours()
{
    const QColor bg = m_editor->palette().color(QPalette::Base);
    if (bg.rgb() == m_background && m_formats[0].hasProperty(QTextFormat::ForegroundBrush))
        return;
    m_background = bg.rgb();
    m_colours = DeriveHtmlColours(bg);
    for (int k = 0; k < HtmlScan::KindCount; ++k) {
        QTextCharFormat f;
        f.setForeground(m_colours.of(Kind(k)));
        if (Kind(k) == Kind::Bookmark)
            f.setBackground(m_colours.bookmarkBack);
        m_formats[size_t(k)] = f;
    }
    nextGeneration();
    m_visibleStale = true;
    schedule();
}
