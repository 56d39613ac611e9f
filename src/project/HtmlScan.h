#pragma once

#include <QList>
#include <QStringView>

// Reads page text line by line for the editor's colouring: which stretches are
// tags, attribute names and values, comments, character references and
// bookmark comments ("<!--しおり：" + name + "-->"). A line is read from the
// state the previous line ended in, so comments, tags and quoted values that
// run over several lines keep their colour. A state is a small number
// (0 .. MaxState) that fits a text block's user state.
namespace HtmlScan {

enum class Kind : quint8 {
    Tag,       // "<", "</", the element name, "/>", ">"; also <!DOCTYPE ...> and <?...?>
    AttrName,
    AttrValue, // with its quotes
    Comment,   // "<!--" to "-->"
    CharRef,   // "&amp;", "&#12354;", "&#x3042;"
    Bookmark,  // "<!--しおり：" + name + "-->"
};
constexpr int KindCount = 6;

struct Span
{
    qsizetype start = 0;
    qsizetype length = 0;
    Kind kind = Kind::Tag;

    bool operator==(const Span &o) const { return start == o.start && length == o.length && kind == o.kind; }
};

// The state at the start of a page.
constexpr int StartState = 0;
// Every state ScanLine returns is at most this.
constexpr int MaxState = 0x3F;

// True for a number ScanLine may return (and so may be given back to it).
bool IsState(int state);

// Scans one line (without its line break) that starts in state: appends the
// coloured stretches in order, without overlaps, to spans (when given) and
// returns the state at the end of the line. A state that is not one of
// IsState's is read as StartState.
int ScanLine(QStringView line, int state, QList<Span> *spans = nullptr);

// The bookmark comment's opening, "<!--しおり：".
QStringView BookmarkOpening();

} // namespace HtmlScan
