#include "PageCheck.h"

#include <QMutex>
#include <QSet>
#include <QtConcurrent/QtConcurrentMap>

#include <tidy/tidy.h>

#include <algorithm>
#include <mutex>
#include <numeric>

using namespace Qt::StringLiterals;

namespace {

// The texts the list shows, by the key of tidy's report (its stable name) or
// by a key of the program's own checks. "KEY:value" is the text for a report
// whose second argument is that value; %1 and %2 are the report's arguments.
// An empty text drops the report: tidy's notes on how it repaired a problem
// it has already reported. A report not in the table is listed in tidy's own
// English words, in brackets.
struct PageText
{
    const char *key;
    const char16_t *text;
    bool advice = false;
};

const PageText pageTexts[] = {
    {"MISSING_ENDTAG_FOR", u"<%1> が閉じられていません（終了タグ </%1> がありません）"},
    {"MISSING_ENDTAG_BEFORE", u"タグの入れ子が正しくありません（%2 の前に </%1> がありません）"},
    {"NON_MATCHING_ENDTAG", u"タグの入れ子が正しくありません（</%1> の前に閉じていない要素があります）"},
    {"DISCARDING_UNEXPECTED", u"%1 はここに置けません（開始タグがないか、タグの入れ子が正しくありません）"},
    {"TAG_NOT_ALLOWED_IN", u"%1 は <%2> の中に置けません"},
    {"UNKNOWN_ELEMENT", u"%1 は HTML にない要素です"},
    {"UNKNOWN_ELEMENT_LOOKS_CUSTOM", u"%1 は HTML にない要素です"},
    {"PROPRIETARY_ELEMENT", u"%1 は標準の HTML にない要素です（表示しないブラウザがあります）"},
    {"PROPRIETARY_ATTRIBUTE", u"%1 に「%2」という属性はありません"},
    {"MISMATCHED_ATTRIBUTE_WARN", u"%1 の「%2」属性は HTML5 では使えません"},
    {"MISMATCHED_ATTRIBUTE_ERROR", u"%1 の「%2」属性は HTML5 では使えません"},
    {"REMOVED_HTML5", u"%1 は HTML5 でなくなった要素です"},
    {"ANCHOR_NOT_UNIQUE", u"id「%2」がこのページに二つ以上あります"},
    {"MISSING_ATTRIBUTE:alt", u"%1 に alt 属性（画像の代わりに読まれる文字）がありません", true},
    {"MISSING_ATTRIBUTE", u"%1 に %2 属性がありません"},
    {"MISSING_TITLE_ELEMENT", u"<title>（ページの題名）がありません", true},
    {"MISSING_DOCTYPE", u"<!DOCTYPE html> の宣言がありません", true},
    {"UNKNOWN_ENTITY", u"「%1」は知られていない文字参照です（& そのものは &amp; と書きます）"},
    {"INSERTING_TAG", u""},
    {"TRIM_EMPTY_ELEMENT", u""},
    {"PREVIOUS_LOCATION", u""},
    // The program's own checks.
    {"qv-no-lang", u"<html> に lang 属性（ページの言語。日本語なら lang=\"ja\"）がありません", true},
    {"qv-no-viewport", u"viewport の宣言がありません（スマートフォンでは縮小して表示されます）", true},
    {"qv-presentational",
     u"見た目を指定する古いタグや属性が %1 か所にあります（%2）。挿入支援が書くものなので、このままでも表示されます", true},
};

const PageText *PageTextFor(const QByteArray &key)
{
    for (const PageText &t : pageTexts) {
        if (key == t.key)
            return &t;
    }
    return nullptr;
}

// The text with %1 and %2 replaced by the arguments (in one pass: an
// argument's own "%2" stays as written).
QString Filled(const char16_t *text, const QStringList &args)
{
    const QString s = QString::fromUtf16(text);
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s.at(i) == u'%' && i + 1 < s.size() && (s.at(i + 1) == u'1' || s.at(i + 1) == u'2')) {
            out += args.value(s.at(++i).unicode() - u'1');
            continue;
        }
        out += s.at(i);
    }
    return out;
}

// Tags and attributes that only set how a page looks. Insertion scripts
// write them on purpose, so tidy's warnings about them make one row per page.
bool IsPresentational(const QString &key, const QStringList &args)
{
    static const QSet<QString> elements = {u"<font>"_s, u"<center>"_s, u"<big>"_s, u"<tt>"_s,
                                           u"<strike>"_s, u"<basefont>"_s};
    static const QSet<QString> attributes = {
        u"align"_s,   u"valign"_s,     u"bgcolor"_s,     u"background"_s, u"text"_s,   u"link"_s,
        u"vlink"_s,   u"alink"_s,      u"color"_s,       u"face"_s,       u"size"_s,   u"width"_s,
        u"height"_s,  u"border"_s,     u"cellpadding"_s, u"cellspacing"_s, u"hspace"_s, u"vspace"_s,
        u"noshade"_s, u"nowrap"_s,     u"clear"_s,       u"marginwidth"_s, u"marginheight"_s,
        u"leftmargin"_s, u"topmargin"_s};
    if (key == u"REMOVED_HTML5")
        return elements.contains(args.value(0).toLower());
    if (key == u"MISMATCHED_ATTRIBUTE_WARN" || key == u"MISMATCHED_ATTRIBUTE_ERROR")
        return attributes.contains(args.value(1).toLower());
    return false;
}

// "<foo>", "</foo>" -> "foo".
QString ElementName(QString tag)
{
    tag.remove(u'<');
    tag.remove(u'>');
    tag.remove(u'/');
    return tag.toLower();
}

// Where a line and column stand in a text (see PagePlace).
qsizetype PlaceIn(QStringView html, int line, int column)
{
    const qsizetype n = html.size();
    qsizetype i = 0;
    for (int l = 1; l < line; ++l) {
        while (i < n && html.at(i) != u'\r' && html.at(i) != u'\n')
            ++i;
        if (i >= n)
            return -1;
        i += (html.at(i) == u'\r' && i + 1 < n && html.at(i + 1) == u'\n') ? 2 : 1;
    }
    for (int c = 1; c < column && i < n && html.at(i) != u'\r' && html.at(i) != u'\n'; ++c)
        i += (html.at(i).isHighSurrogate() && i + 1 < n && html.at(i + 1).isLowSurrogate()) ? 2 : 1;
    return i;
}

// What one page's check collects while tidy reports.
struct Collector
{
    const QString *html = nullptr;
    QVector<qsizetype> lineStarts; // made when first needed
    int page = 0;
    QVector<PageIssue> issues;
    QSet<QString> unknownElements;
    QStringList missedEndTags; // "missing </b> before ..." whose stray </b> is still to come
    // The presentational markup: where it first stands, and how often each name.
    int styleLine = 0;
    int styleColumn = 0;
    QSet<qint64> styleElementsSeen; // line << 32 | column
    QStringList styleNames;
    QVector<int> styleCounts;

    void add(int line, int column, const QString &message, bool advice = false)
    {
        issues.append({page, qMax(1, line), qMax(1, column), message, advice});
    }

    void add(int line, int column, const char *key, const QStringList &args = {})
    {
        const PageText *t = PageTextFor(key);
        add(line, column, Filled(t->text, args), t->advice);
    }

    // Whether the tag named stands at the place in the page's own text, not
    // one tidy made up (it reopens a <font> after each block inside it).
    bool writtenAt(int line, int column, const QString &tag)
    {
        if (lineStarts.isEmpty()) {
            lineStarts.append(0);
            for (qsizetype i = 0; i < html->size(); ++i) {
                const QChar c = html->at(i);
                if (c == u'\n' || (c == u'\r' && (i + 1 >= html->size() || html->at(i + 1) != u'\n')))
                    lineStarts.append(i + 1);
            }
        }
        if (line < 1 || line > lineStarts.size())
            return false;
        const QStringView rest = QStringView(*html).sliced(lineStarts.at(line - 1));
        return rest.sliced(PlaceIn(rest, 1, column)).startsWith(QStringView(tag).chopped(1), Qt::CaseInsensitive);
    }

    void report(TidyMessage m)
    {
        const TidyReportLevel level = tidyGetMessageLevel(m);
        if (level < TidyWarning || level > TidyFatal || level == TidyConfig)
            return; // notes on the markup, not problems
        const QByteArray key = tidyGetMessageKey(m);
        QStringList args;
        TidyIterator it = tidyGetMessageArguments(m);
        while (it) {
            TidyMessageArgument arg = tidyGetNextMessageArgument(m, &it);
            if (tidyGetArgType(m, &arg) == tidyFormatType_STRING)
                args.append(QString::fromUtf8(tidyGetArgValueString(m, &arg)));
        }
        const int line = tidyGetMessageLine(m);
        const int column = tidyGetMessageColumn(m);
        const QString keyText = QString::fromLatin1(key);

        // A presentational element is counted once where it is written: tidy
        // reports it as removed from HTML5, or as emptied when it wrapped
        // blocks (then the copies it reopens are reported instead).
        const bool styleElement = (keyText == u"REMOVED_HTML5" || keyText == u"TRIM_EMPTY_ELEMENT")
                                  && IsPresentational(u"REMOVED_HTML5"_s, args);
        if (styleElement || IsPresentational(keyText, args)) {
            const qint64 place = qint64(line) << 32 | column;
            if (styleElement && (styleElementsSeen.contains(place) || !writtenAt(line, column, args.value(0))))
                return;
            styleElementsSeen.insert(place);
            const QString name = styleElement ? args.value(0).toLower() : args.value(1).toLower();
            if (styleNames.isEmpty() || line < styleLine || (line == styleLine && column < styleColumn)) {
                styleLine = line;
                styleColumn = column;
            }
            const qsizetype at = styleNames.indexOf(name);
            if (at < 0) {
                styleNames.append(name);
                styleCounts.append(1);
            } else {
                ++styleCounts[at];
            }
            return;
        }
        // An unknown element is one problem, not also its start and end tags
        // dropped; so is an end tag missing where tidy wanted it and found later.
        if (key == "UNKNOWN_ELEMENT" || key == "UNKNOWN_ELEMENT_LOOKS_CUSTOM") {
            unknownElements.insert(ElementName(args.value(0)));
        } else if (key == "MISSING_ENDTAG_BEFORE") {
            missedEndTags.append(args.value(0).toLower());
            // A <font> around paragraphs, as the new page and the scripts
            // write it: the browser shows it as meant, and the <font> is
            // already counted in the presentational row.
            if (IsPresentational(u"REMOVED_HTML5"_s, {u"<"_s + args.value(0) + u">"_s}))
                return;
        } else if (key == "DISCARDING_UNEXPECTED") {
            const QString name = ElementName(args.value(0));
            if (unknownElements.contains(name)
                || (args.value(0).startsWith(u"</"_s) && missedEndTags.removeOne(name)))
                return;
        }

        const PageText *t = PageTextFor(key + ':' + args.value(1).toUtf8());
        if (!t)
            t = PageTextFor(key);
        if (!t)
            add(line, column, u"["_s + QString::fromUtf8(tidyGetMessageDefault(m)).trimmed() + u"]"_s);
        else if (*t->text)
            add(line, column, Filled(t->text, args), t->advice);
    }

    // The one row of the presentational markup.
    void addStyleRow()
    {
        if (styleNames.isEmpty())
            return;
        int total = 0;
        QStringList parts;
        for (qsizetype i = 0; i < styleNames.size(); ++i) {
            total += styleCounts.at(i);
            parts.append(u"%1 %2"_s.arg(styleNames.at(i)).arg(styleCounts.at(i)));
        }
        add(styleLine, styleColumn, "qv-presentational", {QString::number(total), parts.join(u"、"_s)});
    }
};

Bool TIDY_CALL OnTidyMessage(TidyMessage m)
{
    static_cast<Collector *>(tidyGetAppData(tidyGetMessageDoc(m)))->report(m);
    return no; // nothing goes to tidy's own report
}

QString AttrValue(TidyNode node, TidyAttrId id)
{
    const TidyAttr a = tidyAttrGetById(node, id);
    return a && tidyAttrValue(a) ? QString::fromUtf8(tidyAttrValue(a)).trimmed() : QString();
}

// The program's own checks on the tree tidy built: the page's language and
// its viewport declaration, reported where <html> and <head> stand (the first
// line when the page has none of its own).
void CheckTree(TidyDoc doc, Collector &c)
{
    const TidyNode html = tidyGetHtml(doc);
    if (!html || (AttrValue(html, TidyAttr_LANG).isEmpty() && AttrValue(html, TidyAttr_XML_LANG).isEmpty()))
        c.add(html ? int(tidyNodeLine(html)) : 1, html ? int(tidyNodeColumn(html)) : 1, "qv-no-lang");

    const TidyNode head = tidyGetHead(doc);
    for (TidyNode n = head ? tidyGetChild(head) : nullptr; n; n = tidyGetNext(n)) {
        if (tidyNodeGetId(n) == TidyTag_META && AttrValue(n, TidyAttr_NAME).compare(u"viewport"_s, Qt::CaseInsensitive) == 0)
            return;
    }
    c.add(head ? int(tidyNodeLine(head)) : 1, head ? int(tidyNodeColumn(head)) : 1, "qv-no-viewport");
}

// A tidy document with the check's options: the text comes as UTF-8 (the
// page is converted in memory, whatever its own charset declaration says),
// every report is passed on, and a tab is one column, as in the editor.
// Creating documents is serialised: libtidy sets a few shared tables then.
TidyDoc NewTidyDoc()
{
    static std::once_flag english;
    std::call_once(english, [] { tidySetLanguage("en"); });
    static QMutex creating;
    QMutexLocker lock(&creating);
    TidyDoc doc = tidyCreate();
    tidyOptSetValue(doc, TidyInCharEncoding, "utf8");
    tidyOptSetInt(doc, TidyShowErrors, 1000000);
    tidyOptSetBool(doc, TidyShowWarnings, yes);
    tidyOptSetBool(doc, TidyShowInfo, no);
    tidyOptSetBool(doc, TidyQuiet, yes);
    tidyOptSetInt(doc, TidyTabSize, 1);
    tidyOptSetBool(doc, TidyStyleTags, no); // <style> in the body is no problem of the page
    return doc;
}

} // namespace

QVector<PageIssue> CheckPage(const QString &html, int page)
{
    Collector c;
    c.html = &html;
    c.page = page;
    const TidyDoc doc = NewTidyDoc();
    tidySetAppData(doc, &c);
    tidySetMessageCallback(doc, OnTidyMessage);
    const QByteArray utf8 = html.toUtf8();
    tidyParseString(doc, utf8.constData());
    // Attributes and elements HTML5 does not have are reported by the repair
    // pass; it works on tidy's copy of the page.
    tidyCleanAndRepair(doc);
    CheckTree(doc, c);
    tidyRelease(doc);
    c.addStyleRow();
    std::stable_sort(c.issues.begin(), c.issues.end(), [](const PageIssue &a, const PageIssue &b) {
        return a.line != b.line ? a.line < b.line : a.column < b.column;
    });
    return c.issues;
}

qsizetype PageFaultCount(const QVector<PageIssue> &issues)
{
    return std::count_if(issues.cbegin(), issues.cend(), [](const PageIssue &i) { return !i.advice; });
}

void TidyParseOnly(const QByteArray &utf8)
{
    const TidyDoc doc = NewTidyDoc();
    tidySetMessageCallback(doc, [](TidyMessage) -> Bool { return no; }); // nothing on the terminal
    tidyParseString(doc, utf8.constData());
    tidyRelease(doc);
}

QVector<PageIssue> CheckPages(const ProjectDates &p)
{
    QVector<int> pages(p.Html.size());
    std::iota(pages.begin(), pages.end(), 0);
    // Each page has a tidy document of its own; the results come back in page order.
    const QVector<QVector<PageIssue>> perPage = QtConcurrent::blockingMapped<QVector<QVector<PageIssue>>>(
        pages, [&p](int i) { return CheckPage(p.Html.at(i).HtmlStr, i); });
    QVector<PageIssue> all;
    for (const QVector<PageIssue> &issues : perPage)
        all += issues;
    return all;
}

qsizetype PagePlace(const QString &html, int line, int column)
{
    return PlaceIn(html, line, column);
}
