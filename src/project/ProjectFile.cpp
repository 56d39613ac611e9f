#include "ProjectFile.h"

#include "Cp932.h"
#include "FieldReader.h"
#include "TextFiles.h"


QString MakeProjectText(const ProjectDates &p)
{
    qsizetype size = 256;
    for (const HtmlDat &h : p.Html)
        size += h.HtmlStr.size() + h.DatName.size() + h.FileName.size() + 40;
    size += (p.Pict.size() + p.ElseFile.size()) * 64;

    QString t;
    t.reserve(size);
    const auto field = [&t](const QString &s) {
        t += s;
        t += u',';
    };
    field(ProjectMagic);
    field(QString::number(p.HtmlMax()));
    for (const HtmlDat &h : p.Html) {
        field(h.DatName);
        field(h.FileName);
        field(h.Kakutyousi);
        t += h.HtmlStr;
        t += u"\r\n";
        t += PageEndMarker;
        t += u"\r\n";
    }
    // Pictures and other files store the extension before the path.
    for (const QVector<PictDat> *table : {&p.Pict, &p.ElseFile}) {
        field(QString::number(table->size() - 1));
        for (const PictDat &d : *table) {
            field(d.DatName);
            field(d.FileName);
            field(d.Kakutyousi);
            field(d.FilePath);
        }
    }
    field(QString::number(p.SioriMax()));
    for (const QString &s : p.SioriList)
        field(s);
    field(p.SyuturyokuFolder);
    t += ProjectEndMarker;
    return t;
}

namespace {

bool HoldsNulOutsidePages(const ProjectDates &p)
{
    const auto nul = [](const QString &s) { return s.contains(QChar(0)); };
    for (const HtmlDat &h : p.Html) {
        if (nul(h.DatName) || nul(h.FileName) || nul(h.Kakutyousi))
            return true;
    }
    for (const QVector<PictDat> *table : {&p.Pict, &p.ElseFile}) {
        for (const PictDat &d : *table) {
            if (nul(d.DatName) || nul(d.FileName) || nul(d.Kakutyousi) || nul(d.FilePath))
                return true;
        }
    }
    for (const QString &s : p.SioriList) {
        if (nul(s))
            return true;
    }
    return nul(p.SyuturyokuFolder);
}

} // namespace

qint16 LoadProjectText(const QString &text, ProjectDates &p)
{
    FieldReader r(text);
    const std::optional<QString> magic = r.readField();
    if (!magic || *magic != ProjectMagic)
        return LoadNotProject;

    // The reader goes on after an error with whatever it has, as the format's
    // readers always did, but only a complete read replaces the project.
    bool ok = true;
    ProjectDates loaded;

    const std::optional<qint16> htmlMax = r.readInt16();
    // A project always holds at least one page: a count of no pages is damage.
    if (!htmlMax || *htmlMax < 0)
        ok = false;
    const int pages = htmlMax ? int(*htmlMax) + 1 : 0;
    for (int i = 0; ok && i < pages; ++i) {
        HtmlDat h;
        const std::optional<QString> name = r.readField();
        const std::optional<QString> file = r.readField();
        const std::optional<QString> ext = r.readField();
        if (!name || !file || !ext) {
            ok = false;
            break;
        }
        h.DatName = *name;
        h.FileName = *file;
        h.Kakutyousi = *ext;
        bool ended = false;
        h.HtmlStr = r.readLinesUntil(PageEndMarker, &ended);
        if (!ended)
            ok = false;
        loaded.Html.append(std::move(h));
    }

    for (QVector<PictDat> *table : {&loaded.Pict, &loaded.ElseFile}) {
        const std::optional<qint16> max = ok ? r.readInt16() : std::nullopt;
        if (!max || *max < -1) {
            ok = false;
            break;
        }
        for (int i = 0; ok && i <= *max; ++i) {
            const std::optional<QString> name = r.readField();
            const std::optional<QString> file = r.readField();
            const std::optional<QString> ext = r.readField();
            const std::optional<QString> path = r.readField();
            if (!name || !file || !ext || !path) {
                ok = false;
                break;
            }
            table->append(PictDat{*name, *file, *path, *ext});
        }
    }

    if (ok) {
        const std::optional<qint16> sioriMax = r.readInt16();
        if (!sioriMax || *sioriMax < -1)
            ok = false;
        for (int i = 0; ok && i <= *sioriMax; ++i) {
            const std::optional<QString> s = r.readField();
            if (!s)
                ok = false;
            else
                loaded.SioriList.append(*s);
        }
    }
    if (ok) {
        const std::optional<QString> folder = r.readField();
        if (!folder)
            ok = false;
        else
            loaded.SyuturyokuFolder = *folder;
    }
    // The end marker proves the file whole: a file cut inside the output
    // folder would otherwise load with a shorter, wrong folder.
    if (ok) {
        const std::optional<QString> end = r.readField();
        ok = end && *end == ProjectEndMarker;
    }
    // A NUL character in a name or path is damage: no program writes one, and
    // it would cut short every message that names the item.
    if (ok && HoldsNulOutsidePages(loaded))
        ok = false;
    if (!ok)
        return LoadBroken;

    p.Html = std::move(loaded.Html);
    p.Pict = std::move(loaded.Pict);
    p.ElseFile = std::move(loaded.ElseFile);
    p.SioriList = std::move(loaded.SioriList);
    p.SyuturyokuFolder = std::move(loaded.SyuturyokuFolder);
    return LoadOk;
}

qint16 LoadProjectFile(const QString &path, ProjectDates &p)
{
    const std::optional<QString> text = ReadCp932File(path);
    if (!text)
        return LoadCannotOpen;
    return LoadProjectText(*text, p);
}

QString LoadTextFile(const QString &path, DecodedHtml *how)
{
    const std::optional<QByteArray> bytes = ReadFileBytes(path);
    if (!bytes)
        return NotFileText;
    DecodedHtml decoded = DecodeHtmlFile(*bytes);
    const QString text = std::move(decoded.text);
    if (how) {
        *how = std::move(decoded);
        how->text.clear();
    }
    // Lines joined by CR LF, whatever line ends the file used; no line end
    // after the last line.
    QString out;
    out.reserve(text.size() + text.size() / 32);
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
            ++i;
            if (i < n)
                out += u"\r\n";
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

namespace {

// exact: the text names a file (a path, an output name) and must read back as
// the same characters, not as their code page counterparts.
QString badCharReason(QStringView s, bool exact = false)
{
    if (s.contains(QChar(0)))
        return QStringLiteral("NUL文字");
    if (s.contains(u','))
        return QStringLiteral("カンマ（,）");
    if (s.contains(u'\r') || s.contains(u'\n'))
        return QStringLiteral("改行");
    if (s.startsWith(u' ') || s.startsWith(u'\t'))
        return QStringLiteral("先頭の空白");
    if (s.startsWith(u'"'))
        return QStringLiteral("先頭のダブルクォーテーション（\"）");
    qsizetype bad = -1;
    if (exact && !Cp932::canEncodeExactly(s, &bad) && Cp932::canEncode(s.mid(bad, 1)))
        return QStringLiteral("保存すると別の文字に変わる文字「%1」").arg(s.at(bad));
    if (!Cp932::canEncode(s, &bad)) {
        const char32_t cp = s.at(bad).isHighSurrogate() && bad + 1 < s.size()
                                ? QChar::surrogateToUcs4(s.at(bad), s.at(bad + 1))
                                : s.at(bad).unicode();
        return QStringLiteral("保存できない文字「%1」").arg(QString::fromUcs4(&cp, 1));
    }
    return QString();
}

void checkField(QVector<ProjectFieldProblem> &out, const QString &item, const QString &field, QStringView value,
                bool exact = false)
{
    const QString reason = badCharReason(value, exact);
    if (!reason.isEmpty())
        out.append({item, field, reason});
}

} // namespace

QVector<ProjectFieldProblem> CheckProjectFields(const ProjectDates &p)
{
    QVector<ProjectFieldProblem> out;
    const QString name = QStringLiteral("名前");
    const QString file = QStringLiteral("ファイル名");
    const QString ext = QStringLiteral("拡張子");
    const QString path = QStringLiteral("参照先ファイル");
    for (const HtmlDat &h : p.Html) {
        const QString item = QStringLiteral("HTMLデータ「%1」").arg(h.DatName);
        checkField(out, item, name, h.DatName);
        checkField(out, item, file, h.FileName, true);
        checkField(out, item, ext, h.Kakutyousi, true);
        // A page line equal to the end marker would end the page early.
        qsizetype from = 0;
        while ((from = h.HtmlStr.indexOf(PageEndMarker, from)) >= 0) {
            const qsizetype end = from + PageEndMarker.size();
            const bool lineStart = from == 0 || h.HtmlStr.at(from - 1) == u'\n' || h.HtmlStr.at(from - 1) == u'\r';
            const bool lineEnd = end == h.HtmlStr.size() || h.HtmlStr.at(end) == u'\r' || h.HtmlStr.at(end) == u'\n';
            if (lineStart && lineEnd) {
                out.append({item, QStringLiteral("本文"), QStringLiteral("「%1」だけの行").arg(PageEndMarker)});
                break;
            }
            from = end;
        }
    }
    const auto checkTable = [&](const QVector<PictDat> &table, const QString &kind) {
        for (const PictDat &d : table) {
            const QString item = kind.arg(d.DatName);
            checkField(out, item, name, d.DatName);
            checkField(out, item, file, d.FileName, true);
            checkField(out, item, ext, d.Kakutyousi, true);
            checkField(out, item, path, d.FilePath, true);
        }
    };
    checkTable(p.Pict, QStringLiteral("画像データ「%1」"));
    checkTable(p.ElseFile, QStringLiteral("他のファイルデータ「%1」"));
    for (const QString &s : p.SioriList)
        checkField(out, QStringLiteral("しおり「%1」").arg(s), name, s);
    if (!p.SyuturyokuFolder.isEmpty())
        checkField(out, QStringLiteral("プロジェクト"), QStringLiteral("出力先フォルダ"), p.SyuturyokuFolder, true);
    return out;
}

QString DescribeFieldProblems(const QVector<ProjectFieldProblem> &problems)
{
    QString text = QStringLiteral("次の項目はプロジェクトファイルに保存できない文字を含んでいるため、保存できません。");
    const int shown = std::min<int>(problems.size(), 10);
    for (int i = 0; i < shown; ++i) {
        const ProjectFieldProblem &pr = problems.at(i);
        text += QStringLiteral("\r\n・%1 の%2：%3").arg(pr.item, pr.field, pr.reason);
    }
    if (problems.size() > shown)
        text += QStringLiteral("\r\n（ほか %1 件）").arg(problems.size() - shown);
    return text;
}

QByteArray EncodeProjectFile(const ProjectDates &p, CharChanges *changes)
{
    QByteArray bytes = Cp932::encodeWithCharRefs(MakeProjectText(p), changes);
    bytes += "\r\n";
    return bytes;
}

bool SaveProjectFile(const QString &path, const ProjectDates &p, QString *error, CharChanges *changes)
{
    const QVector<ProjectFieldProblem> problems = CheckProjectFields(p);
    if (!problems.isEmpty()) {
        if (error)
            *error = DescribeFieldProblems(problems);
        return false;
    }
    // The writer's message names the file and the reason.
    return WriteFileAtomically(path, EncodeProjectFile(p, changes), error);
}
