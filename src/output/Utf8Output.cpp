#include "Utf8Output.h"

#include "HtmlScan.h"
#include "PageEncoding.h"

#include <QList>
#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Declarations are looked for as far into a page as the program looks when
// it reads one.
constexpr qsizetype HeadLimit = 64 * 1024;

bool isBlank(QChar c)
{
    const char16_t u = c.unicode();
    return u == u' ' || u == u'\t' || u == u'\n' || u == u'\r' || u == u'\f';
}

bool isUtf8Name(QStringView name)
{
    return EncodingForCharsetName(name) == TextEncoding::Utf8;
}

// One attribute of a tag; from and to bound its value (without quotes) in
// the page, -1 when it has none.
struct Attr
{
    QStringView name;
    qsizetype from = -1;
    qsizetype to = -1;
};

struct Tag
{
    qsizetype end = -1; // just past its ">"; -1 when the page ends inside it
    QStringView name;   // "meta", "/head", "!DOCTYPE", "?xml"
    QList<Attr> attrs;

    const Attr *attr(QStringView wanted) const
    {
        for (const Attr &a : attrs) {
            if (a.name.compare(wanted, Qt::CaseInsensitive) == 0)
                return &a;
        }
        return nullptr;
    }
};

// Reads the tag that starts with the "<" at text[at], its attributes the way
// the scanner reads them: quoted values may hold ">" and line breaks.
Tag readTag(QStringView text, qsizetype at)
{
    Tag t;
    const qsizetype n = text.size();
    qsizetype i = at + 1;
    const qsizetype nameAt = i;
    if (i < n && (text[i] == u'/' || text[i] == u'!' || text[i] == u'?'))
        ++i;
    while (i < n && !isBlank(text[i]) && text[i] != u'/' && text[i] != u'>')
        ++i;
    t.name = text.sliced(nameAt, i - nameAt);
    for (;;) {
        while (i < n && (isBlank(text[i]) || text[i] == u'/'))
            ++i;
        if (i >= n)
            return t;
        if (text[i] == u'>') {
            t.end = i + 1;
            return t;
        }
        if (text[i] == u'"' || text[i] == u'\'') {
            // A quoted stretch without a name: passed over whole.
            const qsizetype close = text.indexOf(text[i], i + 1);
            if (close < 0)
                return t;
            i = close + 1;
            continue;
        }
        Attr a;
        const qsizetype nameStart = i;
        while (i < n && !isBlank(text[i]) && text[i] != u'=' && text[i] != u'>' && text[i] != u'/'
               && text[i] != u'"' && text[i] != u'\'')
            ++i;
        a.name = text.sliced(nameStart, i - nameStart);
        qsizetype j = i;
        while (j < n && isBlank(text[j]))
            ++j;
        if (j < n && text[j] == u'=') {
            i = j + 1;
            while (i < n && isBlank(text[i]))
                ++i;
            if (i < n && (text[i] == u'"' || text[i] == u'\'')) {
                const qsizetype close = text.indexOf(text[i], i + 1);
                if (close < 0)
                    return t;
                a.from = i + 1;
                a.to = close;
                i = close + 1;
            } else {
                a.from = i;
                while (i < n && !isBlank(text[i]) && text[i] != u'>')
                    ++i;
                a.to = i;
            }
        }
        t.attrs.append(a);
    }
}

struct Edit
{
    qsizetype from;
    qsizetype to;
    QString with;
};

// What the head of a page holds that matters here.
struct HeadScan
{
    QList<Edit> edits;       // declarations naming another encoding, their names to replace
    bool declared = false;   // some declaration was found
    qsizetype headEnd = -1;  // just past "<head ...>"
    qsizetype htmlEnd = -1;  // just past "<html ...>"
    qsizetype prologEnd = 0; // past a <!DOCTYPE> or <?xml?> that stands before every element

    void meta(QStringView text, const Tag &t)
    {
        if (const Attr *c = t.attr(u"charset"); c && c->from >= 0) {
            const QStringView name = text.sliced(c->from, c->to - c->from).trimmed();
            if (!name.isEmpty()) {
                declared = true;
                if (!isUtf8Name(name))
                    edits.append({c->from, c->to, u"UTF-8"_s});
            }
        }
        const Attr *equiv = t.attr(u"http-equiv");
        const Attr *content = t.attr(u"content");
        if (!equiv || equiv->from < 0 || !content || content->from < 0
            || text.sliced(equiv->from, equiv->to - equiv->from).trimmed().compare(u"content-type", Qt::CaseInsensitive) != 0)
            return;
        static thread_local const QRegularExpression charsetIn(u"charset\\s*=\\s*[\"']?\\s*([-A-Za-z0-9_:.]+)"_s,
                                                               QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m = charsetIn.match(text.sliced(content->from, content->to - content->from).toString());
        if (!m.hasMatch())
            return;
        declared = true;
        if (!isUtf8Name(m.capturedView(1)))
            edits.append({content->from + m.capturedStart(1), content->from + m.capturedEnd(1), u"UTF-8"_s});
    }

    // Takes in one tag; false once the head is over.
    bool tag(QStringView text, qsizetype at, const Tag &t, bool *seenElement)
    {
        const QStringView name = t.name;
        if (name.startsWith(u'!') || name.startsWith(u'?')) {
            if (!*seenElement && t.end > 0)
                prologEnd = t.end;
            // An XML declaration counts only as the page's very first characters.
            if (at == 0 && name.compare(u"?xml", Qt::CaseInsensitive) == 0) {
                const Attr *e = t.attr(u"encoding");
                if (e && e->from >= 0 && !isUtf8Name(text.sliced(e->from, e->to - e->from)))
                    edits.append({e->from, e->to, u"UTF-8"_s});
            }
            return true;
        }
        if (name.compare(u"/head", Qt::CaseInsensitive) == 0 || name.compare(u"body", Qt::CaseInsensitive) == 0)
            return false;
        *seenElement = true;
        if (name.compare(u"meta", Qt::CaseInsensitive) == 0)
            meta(text, t);
        else if (headEnd < 0 && t.end > 0 && name.compare(u"head", Qt::CaseInsensitive) == 0)
            headEnd = t.end;
        else if (htmlEnd < 0 && t.end > 0 && name.compare(u"html", Qt::CaseInsensitive) == 0)
            htmlEnd = t.end;
        return true;
    }
};

// Reads the page's head: the tags before "</head>" or "<body>", found by the
// editor's scanner so that comments, scripts and styles are passed over.
HeadScan scanHead(QStringView text)
{
    HeadScan h;
    bool seenElement = false;
    int state = HtmlScan::StartState;
    QList<HtmlScan::Span> spans;
    qsizetype skipTo = 0; // a tag read across lines owns the scanner's tag stretches up to here
    const qsizetype limit = std::min(text.size(), HeadLimit);
    for (qsizetype lineAt = 0; lineAt < limit;) {
        qsizetype lineEnd = text.indexOf(u'\n', lineAt);
        if (lineEnd < 0)
            lineEnd = text.size();
        spans.clear();
        state = HtmlScan::ScanLine(text.sliced(lineAt, lineEnd - lineAt), state, &spans);
        for (const HtmlScan::Span &s : std::as_const(spans)) {
            if (s.kind != HtmlScan::Kind::Tag)
                continue;
            // Touching tags come as one stretch: each "<" in it starts one.
            for (qsizetype at = std::max(lineAt + s.start, skipTo); at < lineAt + s.start + s.length; ++at) {
                if (text[at] != u'<')
                    continue;
                if (at >= limit)
                    return h;
                const Tag t = readTag(text, at);
                if (!h.tag(text, at, t, &seenElement) || t.end < 0)
                    return h;
                skipTo = t.end;
                at = skipTo - 1;
            }
        }
        lineAt = lineEnd + 1;
    }
    return h;
}

} // namespace

QString PageTextForUtf8(const QString &html)
{
    HeadScan h = scanHead(html);
    if (!h.declared) {
        if (h.headEnd >= 0)
            h.edits.append({h.headEnd, h.headEnd, u"<meta charset=\"UTF-8\">"_s});
        else
            h.edits.append({h.htmlEnd >= 0 ? h.htmlEnd : h.prologEnd, h.htmlEnd >= 0 ? h.htmlEnd : h.prologEnd,
                            u"<head><meta charset=\"UTF-8\"></head>"_s});
    }
    if (h.edits.isEmpty())
        return html;
    std::sort(h.edits.begin(), h.edits.end(), [](const Edit &a, const Edit &b) { return a.from < b.from; });
    QString out;
    out.reserve(html.size() + 40);
    qsizetype from = 0;
    for (const Edit &e : std::as_const(h.edits)) {
        out.append(QStringView(html).sliced(from, e.from - from));
        out.append(e.with);
        from = e.to;
    }
    out.append(QStringView(html).sliced(from));
    return out;
}

QByteArray EncodePageFileAsUtf8(const QString &html)
{
    QByteArray bytes = PageTextForUtf8(html).toUtf8();
    bytes += "\r\n";
    return bytes;
}
