#include "LinkCheck.h"

#include <QHash>
#include <QSet>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

bool IsSpace(QChar c)
{
    const char16_t u = c.unicode();
    return u == u' ' || u == u'\t' || u == u'\r' || u == u'\n' || u == u'\f';
}

bool IsAsciiLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
}

// Blanks, tabs and line breaks around a URL do not count; other white space
// (a full-width blank) is part of the name.
QStringView TrimAscii(QStringView s)
{
    while (!s.isEmpty() && IsSpace(s.front()))
        s = s.sliced(1);
    while (!s.isEmpty() && IsSpace(s.back()))
        s.chop(1);
    return s;
}

bool IsAsciiDigit(char16_t u)
{
    return u >= u'0' && u <= u'9';
}

bool IsHexDigit(char16_t u)
{
    return IsAsciiDigit(u) || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
}

// The length of the character reference at s[amp] ("&" + name or "#" + number
// + ";"), with its character in *c; 0 when none stands there. Only the reference's own characters are
// read, never as far as a ";" further on: a long run of "&" without ";" costs
// no more than its length.
qsizetype CharRefAt(QStringView s, qsizetype amp, char32_t *c)
{
    static const struct
    {
        const char16_t *name;
        char16_t c;
    } named[] = {{u"amp", u'&'}, {u"lt", u'<'}, {u"gt", u'>'}, {u"quot", u'"'}, {u"apos", u'\''}, {u"nbsp", 0xA0}};
    const qsizetype n = s.size();
    qsizetype j = amp + 1;
    if (j < n && s[j] == u'#') {
        ++j;
        const bool hex = j < n && (s[j] == u'x' || s[j] == u'X');
        if (hex)
            ++j;
        const qsizetype digits = j;
        char32_t cp = 0;
        while (j < n && (hex ? IsHexDigit(s[j].unicode()) : IsAsciiDigit(s[j].unicode()))) {
            const char16_t u = s[j].unicode();
            const uint d = IsAsciiDigit(u) ? u - u'0' : (u | 0x20) - u'a' + 10;
            cp = qMin<char32_t>(cp * (hex ? 16 : 10) + d, 0x110000); // saturates: no overflow
            ++j;
        }
        if (j == digits || j >= n || s[j] != u';' || cp == 0 || cp > 0x10FFFF || QChar::isSurrogate(cp))
            return 0;
        *c = cp;
        return j + 1 - amp;
    }
    const qsizetype name = j;
    while (j < n && j - name < 5 && IsAsciiLetter(s[j]))
        ++j;
    if (j >= n || s[j] != u';')
        return 0;
    const QStringView ref = s.sliced(name, j - name);
    for (const auto &e : named) {
        if (ref == QStringView(e.name)) {
            *c = e.c;
            return j + 1 - amp;
        }
    }
    return 0;
}

// Character references of an attribute value: the five of XML, &nbsp; and
// numeric ones. Others stay as written.
QString DecodeEntities(QStringView s)
{
    if (!s.contains(u'&'))
        return s.toString();
    QString out;
    out.reserve(s.size());
    qsizetype copied = 0; // s is in out up to here
    for (qsizetype amp = s.indexOf(u'&'); amp >= 0; amp = s.indexOf(u'&', amp + 1)) {
        char32_t c = 0;
        const qsizetype length = CharRefAt(s, amp, &c);
        if (length == 0)
            continue; // stays as written
        out += s.sliced(copied, amp - copied);
        out += QString::fromUcs4(&c, 1);
        copied = amp + length;
        amp = copied - 1;
    }
    out += s.sliced(copied);
    return out;
}

QString PercentDecoded(const QString &s)
{
    if (!s.contains(u'%'))
        return s;
    return QUrl::fromPercentEncoding(s.toUtf8());
}

// The names the output writes, and the pages by name.
struct Targets
{
    QSet<QString> names;
    QHash<QString, QString> byFoldedName; // lower case -> the name as the project has it
    QHash<QString, int> pageByName;
};

struct PageScan
{
    QVector<PageLink> links;
    QSet<QString> anchors;
    bool hasBase = false;
};

struct Verdict
{
    bool wrong = false;
    LinkProblem problem = LinkProblem::Missing;
    QString hint;
};

Verdict Wrong(LinkProblem problem, const QString &hint = QString())
{
    return {true, problem, hint};
}

Verdict CheckAnchor(const ProjectDates &p, const QVector<PageScan> &scans, int page, const QString &fragment)
{
    const QString name = PercentDecoded(fragment);
    // An empty fragment, and "top" where no place has that name, scroll to
    // the top of the page.
    if (name.isEmpty() || scans[page].anchors.contains(fragment) || scans[page].anchors.contains(name))
        return {};
    if (name.compare(u"top"_s, Qt::CaseInsensitive) == 0)
        return {};
    return Wrong(LinkProblem::MissingAnchor, p.Html.at(page).outputName());
}

Verdict CheckOne(const ProjectDates &p, const QVector<PageScan> &scans, const Targets &targets, int page,
                 const PageLink &link, const QString &written)
{
    const QString value = DecodeEntities(TrimAscii(written));
    if (value.isEmpty())
        return link.attribute == u"src" ? Wrong(LinkProblem::Empty) : Verdict{};
    if (value.startsWith(u'#'))
        return CheckAnchor(p, scans, page, value.mid(1));

    // A drive letter, a network path or a file: URL names a file of this computer.
    if (value.size() >= 2 && IsAsciiLetter(value.at(0)) && value.at(1) == u':'
        && (value.size() == 2 || value.at(2) == u'\\' || value.at(2) == u'/'))
        return Wrong(LinkProblem::LocalFile);
    if (value.startsWith(u"\\\\"_s))
        return Wrong(LinkProblem::LocalFile);
    qsizetype k = 0;
    if (IsAsciiLetter(value.at(0))) {
        while (k < value.size()
               && (IsAsciiLetter(value.at(k)) || value.at(k).isDigit() || value.at(k) == u'+' || value.at(k) == u'-'
                   || value.at(k) == u'.'))
            ++k;
        if (k < value.size() && value.at(k) == u':') {
            // Another scheme (http:, mailto:, javascript:) is not a file of the project.
            return value.first(k).compare(u"file"_s, Qt::CaseInsensitive) == 0 ? Wrong(LinkProblem::LocalFile)
                                                                               : Verdict{};
        }
    }
    // Names from the site's root or another host cannot be checked here.
    if (value.startsWith(u'/') || value.startsWith(u'\\'))
        return {};
    if (scans[page].hasBase)
        return {};

    QString path = value;
    QString fragment;
    const qsizetype hash = path.indexOf(u'#');
    if (hash >= 0) {
        fragment = path.mid(hash + 1);
        path.truncate(hash);
    }
    const qsizetype query = path.indexOf(u'?');
    if (query >= 0)
        path.truncate(query);
    path = PercentDecoded(path);
    path.replace(u'\\', u'/');

    QStringList segments;
    const QStringList parts = path.split(u'/');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString &s = parts.at(i);
        if (s == u"..") {
            if (segments.isEmpty())
                return Wrong(LinkProblem::OutsideFolder);
            segments.removeLast();
        } else if (s == u"." || (s.isEmpty() && i + 1 < parts.size())) {
            continue;
        } else {
            segments.append(s);
        }
    }
    // "./" or "?x": the folder or the page itself.
    if (segments.isEmpty() || (segments.size() == 1 && segments.first().isEmpty()))
        return {};
    if (segments.size() > 1)
        return Wrong(LinkProblem::Subfolder);

    const QString &name = segments.first();
    if (targets.names.contains(name)) {
        const auto target = targets.pageByName.constFind(name);
        if (!fragment.isEmpty() && target != targets.pageByName.cend())
            return CheckAnchor(p, scans, *target, fragment);
        return {};
    }
    const auto folded = targets.byFoldedName.constFind(name.toLower());
    if (folded != targets.byFoldedName.cend())
        return Wrong(LinkProblem::CaseDiffers, *folded);
    return Wrong(LinkProblem::Missing);
}

} // namespace

QVector<PageLink> ScanPageLinks(const QString &html, QStringList *anchors, bool *hasBase)
{
    QVector<PageLink> out;
    const QChar *s = html.constData();
    const qsizetype n = html.size();
    auto skipTo = [&](QStringView what, qsizetype from) {
        const qsizetype at = html.indexOf(what, from, Qt::CaseInsensitive);
        return at < 0 ? n : at;
    };
    qsizetype i = 0;
    while (i < n) {
        const qsizetype lt = html.indexOf(u'<', i);
        if (lt < 0 || lt + 1 >= n)
            break;
        const QChar c = s[lt + 1];
        if (c == u'!') {
            if (QStringView(html).sliced(lt).startsWith(u"<!--"))
                i = qMin(n, skipTo(u"-->", lt + 4) + 3);
            else
                i = qMin(n, skipTo(u">", lt + 2) + 1);
            continue;
        }
        if (c == u'?' || c == u'/') {
            i = qMin(n, skipTo(u">", lt + 2) + 1);
            continue;
        }
        if (!IsAsciiLetter(c)) {
            i = lt + 1;
            continue;
        }
        qsizetype k = lt + 1;
        while (k < n && !IsSpace(s[k]) && s[k] != u'>' && s[k] != u'/')
            ++k;
        const QStringView tag = QStringView(html).sliced(lt + 1, k - lt - 1);
        const bool isA = tag.compare(u"a", Qt::CaseInsensitive) == 0;
        const bool isBase = tag.compare(u"base", Qt::CaseInsensitive) == 0;

        while (k < n) {
            while (k < n && (IsSpace(s[k]) || s[k] == u'/'))
                ++k;
            if (k >= n)
                break;
            if (s[k] == u'>') {
                ++k;
                break;
            }
            const qsizetype a0 = k;
            while (k < n && !IsSpace(s[k]) && s[k] != u'>' && s[k] != u'=' && s[k] != u'/')
                ++k;
            if (k == a0) {
                ++k; // a stray "="
                continue;
            }
            const QStringView attr = QStringView(html).sliced(a0, k - a0);
            qsizetype j = k;
            while (j < n && IsSpace(s[j]))
                ++j;
            if (j >= n || s[j] != u'=')
                continue; // an attribute without a value
            ++j;
            while (j < n && IsSpace(s[j]))
                ++j;
            qsizetype v0 = j;
            qsizetype v1 = j;
            if (j < n && (s[j] == u'"' || s[j] == u'\'')) {
                v0 = j + 1;
                const qsizetype close = html.indexOf(s[j], v0);
                v1 = close < 0 ? n : close;
                k = close < 0 ? n : close + 1;
            } else {
                while (j < n && !IsSpace(s[j]) && s[j] != u'>')
                    ++j;
                v1 = j;
                k = j;
            }
            const bool isHref = attr.compare(u"href", Qt::CaseInsensitive) == 0;
            if (isHref && isBase) {
                if (hasBase)
                    *hasBase = true;
            } else if (isHref || attr.compare(u"src", Qt::CaseInsensitive) == 0) {
                out.append({isHref ? u"href"_s : u"src"_s, v0, v1 - v0});
            } else if (anchors
                       && (attr.compare(u"id", Qt::CaseInsensitive) == 0
                           || (isA && attr.compare(u"name", Qt::CaseInsensitive) == 0))) {
                anchors->append(DecodeEntities(QStringView(html).sliced(v0, v1 - v0)));
            }
        }
        // Script and style hold text, not tags.
        if (tag.compare(u"script", Qt::CaseInsensitive) == 0)
            k = skipTo(u"</script", k);
        else if (tag.compare(u"style", Qt::CaseInsensitive) == 0)
            k = skipTo(u"</style", k);
        i = k;
    }
    return out;
}

QVector<LinkIssue> CheckLinks(const ProjectDates &p)
{
    Targets targets;
    auto addName = [&targets](const QString &name) {
        targets.names.insert(name);
        targets.byFoldedName.insert(name.toLower(), name);
    };
    for (int i = 0; i < p.Html.size(); ++i) {
        const QString name = p.Html.at(i).outputName();
        addName(name);
        if (!targets.pageByName.contains(name))
            targets.pageByName.insert(name, i);
    }
    for (const PictDat &d : p.Pict)
        addName(d.outputName());
    for (const ElseFileDat &d : p.ElseFile)
        addName(d.outputName());

    // Every page is scanned first: a link may point into any page's places.
    QVector<PageScan> scans(p.Html.size());
    for (int i = 0; i < p.Html.size(); ++i) {
        QStringList anchors;
        scans[i].links = ScanPageLinks(p.Html.at(i).HtmlStr, &anchors, &scans[i].hasBase);
        scans[i].anchors = QSet<QString>(anchors.cbegin(), anchors.cend());
    }

    QVector<LinkIssue> issues;
    for (int i = 0; i < p.Html.size(); ++i) {
        const QString &html = p.Html.at(i).HtmlStr;
        int line = 1;
        qsizetype counted = 0; // line breaks are counted up to here
        for (const PageLink &link : scans.at(i).links) {
            const QString written = html.mid(link.pos, link.length);
            const Verdict v = CheckOne(p, scans, targets, i, link, written);
            if (!v.wrong)
                continue;
            line += int(QStringView(html).sliced(counted, link.pos - counted).count(u'\n'));
            counted = link.pos;
            issues.append({i, line, link.pos, link.length, written, v.problem, v.hint});
        }
    }
    return issues;
}

QString LinkProblemText(const LinkIssue &issue)
{
    switch (issue.problem) {
    case LinkProblem::Missing:
        return u"プロジェクトにないファイルです"_s;
    case LinkProblem::CaseDiffers:
        return u"大文字と小文字が違います（プロジェクトでは「%1」）"_s.arg(issue.hint);
    case LinkProblem::Subfolder:
        return u"フォルダの中を指しています（出力では全てのファイルが一つのフォルダに入ります）"_s;
    case LinkProblem::OutsideFolder:
        return u"出力先フォルダの外を指しています"_s;
    case LinkProblem::LocalFile:
        return u"このパソコンの中のファイルを指しています（公開すると見られません）"_s;
    case LinkProblem::Empty:
        return u"リンク先が空です"_s;
    case LinkProblem::MissingAnchor: {
        const qsizetype hash = issue.link.indexOf(u'#');
        const QString place = hash < 0 ? QString() : issue.link.mid(hash + 1);
        return u"「%1」に「%2」という場所（id または name）がありません"_s.arg(issue.hint, place);
    }
    }
    return QString();
}
