#include "HtmlScan.h"

namespace HtmlScan {

namespace {

// Where the reader is. The low four bits say what is being read; two more say
// whether the tag being read (or the text after it) is a script or a style,
// whose contents are not markup.
enum Mode : int {
    Text = 0,
    InComment = 1,
    InBookmark = 2,
    TagAttrs = 3,      // inside a tag, before an attribute or the end
    AfterAttrName = 4, // after an attribute name: "=" or another attribute may follow
    BeforeValue = 5,   // after "="
    ValueDq = 6,       // inside a value in double quotes
    ValueSq = 7,       // inside a value in single quotes
    RawText = 8,       // the contents of a script or style element
};
enum Raw : int { RawNone = 0, RawScript = 1, RawStyle = 2 };

constexpr int ModeMask = 0x0F;
constexpr int RawShift = 4;

int makeState(int mode, int raw)
{
    return mode | (raw << RawShift);
}

const char16_t BookmarkOpen[] = u"<!--しおり：";

bool isSpace(QChar c)
{
    const char16_t u = c.unicode();
    return u == u' ' || u == u'\t' || u == u'\f' || u == u'\r' || u == u'\n';
}

bool isAsciiLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
}

bool isAsciiDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

bool isHexDigit(QChar c)
{
    const char16_t u = c.unicode();
    return isAsciiDigit(c) || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
}

// Length of a character reference at s[i] ("&name;", "&#123;", "&#x7B;"), or
// 0 when there is none. Only references closed by ";" count.
qsizetype charRefLength(QStringView s, qsizetype i)
{
    const qsizetype n = s.size();
    qsizetype j = i + 1;
    if (j < n && s[j] == u'#') {
        ++j;
        const bool hex = j < n && (s[j] == u'x' || s[j] == u'X');
        if (hex)
            ++j;
        const qsizetype digits = j;
        while (j < n && j - digits < 10 && (hex ? isHexDigit(s[j]) : isAsciiDigit(s[j])))
            ++j;
        if (j == digits)
            return 0;
    } else {
        if (j >= n || !isAsciiLetter(s[j]))
            return 0;
        const qsizetype name = j;
        while (j < n && j - name < 40 && (isAsciiLetter(s[j]) || isAsciiDigit(s[j])))
            ++j;
    }
    return j < n && s[j] == u';' ? j + 1 - i : 0;
}

// Collects spans, joining a span to the one before when they touch and are of
// one kind.
class Sink
{
public:
    explicit Sink(QList<Span> *spans)
        : m_spans(spans)
    {
    }

    void add(qsizetype start, qsizetype length, Kind kind)
    {
        if (!m_spans || length <= 0)
            return;
        if (!m_spans->isEmpty()) {
            Span &last = m_spans->last();
            if (last.kind == kind && last.start + last.length == start) {
                last.length += length;
                return;
            }
        }
        m_spans->append(Span{start, length, kind});
    }

    // A value from start to end: the value's colour with its character
    // references in theirs.
    void addValue(QStringView s, qsizetype start, qsizetype end)
    {
        if (!m_spans)
            return;
        qsizetype from = start;
        for (qsizetype i = start; i < end; ++i) {
            if (s[i] != u'&')
                continue;
            const qsizetype ref = charRefLength(s.left(end), i);
            if (ref == 0)
                continue;
            add(from, i - from, Kind::AttrValue);
            add(i, ref, Kind::CharRef);
            i += ref - 1;
            from = i + 1;
        }
        add(from, end - from, Kind::AttrValue);
    }

    bool wanted() const { return m_spans != nullptr; }

private:
    QList<Span> *m_spans;
};

// Where the end tag of a script or style starts at or after from ("</script"
// followed by a blank, "/", ">" or the line's end); -1 when not on this line.
qsizetype findRawEnd(QStringView s, qsizetype from, int raw)
{
    const QStringView name = raw == RawScript ? QStringView(u"</script") : QStringView(u"</style");
    for (;;) {
        const qsizetype at = s.indexOf(name, from, Qt::CaseInsensitive);
        if (at < 0)
            return -1;
        const qsizetype after = at + name.size();
        if (after == s.size() || isSpace(s[after]) || s[after] == u'/' || s[after] == u'>')
            return at;
        from = at + 1;
    }
}

} // namespace

bool IsState(int state)
{
    if (state < 0 || state > MaxState)
        return false;
    const int mode = state & ModeMask;
    const int raw = state >> RawShift;
    if (mode > RawText || raw > RawStyle)
        return false;
    if (mode == RawText)
        return raw != RawNone;
    if (mode <= InBookmark)
        return raw == RawNone;
    return true;
}

QStringView BookmarkOpening()
{
    return QStringView(BookmarkOpen);
}

int ScanLine(QStringView s, int state, QList<Span> *spans)
{
    if (!IsState(state))
        state = StartState;
    int mode = state & ModeMask;
    int raw = state >> RawShift;
    Sink out(spans);
    const qsizetype n = s.size();
    qsizetype i = 0;

    // A value or comment that began on an earlier line starts this one.
    qsizetype openedAt = 0;
    // A comment or quoted value opened on this line whose stretch is not
    // added yet (it is when the line ends right after its opening).
    bool opened = false;

    while (i < n) {
        switch (mode) {
        case Text: {
            while (i < n && s[i] != u'<' && s[i] != u'&')
                ++i;
            if (i >= n)
                break;
            if (s[i] == u'&') {
                const qsizetype ref = charRefLength(s, i);
                if (ref > 0) {
                    out.add(i, ref, Kind::CharRef);
                    i += ref;
                } else {
                    ++i;
                }
                break;
            }
            // s[i] is '<'.
            const QStringView rest = s.mid(i);
            if (rest.startsWith(u"<!--")) {
                mode = rest.startsWith(BookmarkOpening()) ? InBookmark : InComment;
                openedAt = i;
                opened = true;
                i += 4;
                break;
            }
            const bool end = rest.size() > 1 && rest[1] == u'/';
            const qsizetype nameAt = i + (end ? 2 : 1);
            if (nameAt < n && isAsciiLetter(s[nameAt])) {
                qsizetype j = nameAt;
                while (j < n && !isSpace(s[j]) && s[j] != u'/' && s[j] != u'>')
                    ++j;
                out.add(i, j - i, Kind::Tag);
                const QStringView name = s.mid(nameAt, j - nameAt);
                raw = RawNone;
                if (!end) {
                    if (name.compare(u"script", Qt::CaseInsensitive) == 0)
                        raw = RawScript;
                    else if (name.compare(u"style", Qt::CaseInsensitive) == 0)
                        raw = RawStyle;
                }
                mode = TagAttrs;
                i = j;
                break;
            }
            if (!end && rest.size() > 1 && (rest[1] == u'!' || rest[1] == u'?')) {
                // <!DOCTYPE ...>, <?xml ...?>: read as a tag.
                qsizetype j = i + 2;
                while (j < n && !isSpace(s[j]) && s[j] != u'>')
                    ++j;
                out.add(i, j - i, Kind::Tag);
                raw = RawNone;
                mode = TagAttrs;
                i = j;
                break;
            }
            ++i; // a "<" that starts nothing
            break;
        }
        case InComment:
        case InBookmark: {
            const qsizetype close = s.indexOf(u"-->", i);
            const Kind kind = mode == InBookmark ? Kind::Bookmark : Kind::Comment;
            opened = false;
            if (close < 0) {
                out.add(openedAt, n - openedAt, kind);
                i = n;
                break;
            }
            out.add(openedAt, close + 3 - openedAt, kind);
            i = close + 3;
            mode = Text;
            break;
        }
        case TagAttrs:
        case AfterAttrName:
        case BeforeValue: {
            while (i < n && isSpace(s[i]))
                ++i;
            if (i >= n)
                break;
            const QChar c = s[i];
            if (c == u'>') {
                out.add(i, 1, Kind::Tag);
                ++i;
                mode = raw != RawNone ? RawText : Text;
                break;
            }
            if (c == u'"' || c == u'\'') {
                mode = c == u'"' ? ValueDq : ValueSq;
                openedAt = i;
                opened = true;
                ++i;
                break;
            }
            if (mode == BeforeValue) {
                // An unquoted value runs to a blank or the end of the tag.
                qsizetype j = i;
                while (j < n && !isSpace(s[j]) && s[j] != u'>')
                    ++j;
                out.addValue(s, i, j);
                i = j;
                mode = TagAttrs;
                break;
            }
            if (c == u'/' && i + 1 < n && s[i + 1] == u'>') {
                out.add(i, 2, Kind::Tag);
                i += 2;
                mode = Text;
                raw = RawNone;
                break;
            }
            if (c == u'/') {
                out.add(i, 1, Kind::Tag);
                ++i;
                mode = TagAttrs;
                break;
            }
            if (c == u'=') {
                ++i;
                mode = BeforeValue;
                break;
            }
            qsizetype j = i;
            while (j < n && !isSpace(s[j]) && s[j] != u'=' && s[j] != u'>' && s[j] != u'/' && s[j] != u'"'
                   && s[j] != u'\'')
                ++j;
            out.add(i, j - i, Kind::AttrName);
            i = j;
            mode = AfterAttrName;
            break;
        }
        case ValueDq:
        case ValueSq: {
            const QChar quote = mode == ValueDq ? u'"' : u'\'';
            // The opening quote is at openedAt on this line (i is past it), or
            // on an earlier line (openedAt and i are 0).
            const qsizetype close = s.indexOf(quote, i);
            opened = false;
            if (close < 0) {
                out.addValue(s, openedAt, n);
                i = n;
                break;
            }
            out.addValue(s, openedAt, close + 1);
            i = close + 1;
            mode = TagAttrs;
            break;
        }
        case RawText: {
            const qsizetype end = findRawEnd(s, i, raw);
            if (end < 0) {
                i = n;
                break;
            }
            i = end;
            mode = Text;
            raw = RawNone;
            break;
        }
        default:
            mode = Text;
            raw = RawNone;
            break;
        }
    }
    if (opened) {
        if (mode == InComment || mode == InBookmark)
            out.add(openedAt, n - openedAt, mode == InBookmark ? Kind::Bookmark : Kind::Comment);
        else
            out.addValue(s, openedAt, n);
    }
    // A tag name or attribute that reaches the line's end is complete.
    if (mode == AfterAttrName)
        mode = TagAttrs;
    if (mode == Text || mode == InComment || mode == InBookmark)
        raw = RawNone;
    return makeState(mode, raw);
}

} // namespace HtmlScan
