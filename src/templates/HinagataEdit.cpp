#include "HinagataEdit.h"

#include "AppPaths.h"
#include "Cp932.h"
#include "FieldReader.h"
#include "ProjectFile.h"
#include "TextFiles.h"

#include "NumberedFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

// A list holds at most as many templates as a 16-bit index can name.
constexpr int MaxHinagata = 32768;

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

NumberedFolder store(const QString &folder)
{
    return NumberedFolder{folder, u"TempList.dat"_s, u"TempFile"_s};
}

// The bytes of a list file for the entries, in code page 932.
std::optional<QByteArray> encodeList(const QString &folder, const QVector<HinagataEntry> &entries, QString *error)
{
    QByteArray bytes;
    qsizetype bad = -1;
    const QString text = TempListText(entries) + u"\r\n"_s;
    if (Cp932::encode(text, &bytes, &bad))
        return bytes;
    setError(error, u"雛型の一覧「%1」に、シフトJISにない文字「%2」を書けません。"_s.arg(shown(TempListPath(folder)),
                                                                                     text.mid(bad, 1)));
    return std::nullopt;
}

// A name for a template that the list does not name: for a page, the text of
// its first line that holds any (tags dropped), else "名前なし N".
QString nameFromFile(bool isHtml, const QString &path, int number)
{
    const QString fallback = u"名前なし %1"_s.arg(number);
    const std::optional<QByteArray> bytes = isHtml ? ReadFileBytes(path) : std::nullopt;
    if (!bytes)
        return fallback;
    static const QRegularExpression tag(u"<[^>]*>"_s);
    const QStringList lines = DecodeHtmlBytes(bytes->left(64 * 1024)).split(u'\n');
    for (QString line : lines) {
        line = line.remove(tag).replace(u',', u'、').remove(u'"').simplified().left(40);
        if (!line.isEmpty())
            return HinagataTextProblem(line).isEmpty() ? line : fallback;
    }
    return fallback;
}

} // namespace

QString HinagataFolder(bool isHtml, bool user)
{
    if (isHtml)
        return AppPath(user ? HinaFolderHtmlUser : HinaFolderHtmlOlz);
    return AppPath(user ? HinaFolderProjectUser : HinaFolderProjectOlz);
}

QString TempListPath(const QString &folder)
{
    return JoinPath(folder, u"TempList.dat"_s);
}

QString TempFilePath(const QString &folder, int index)
{
    return JoinPath(folder, u"TempFile"_s + QString::number(index) + u".dat"_s);
}

QVector<HinagataEntry> ReadTempListText(const QString &text)
{
    QVector<HinagataEntry> entries;
    // Line ends after the last field are no entry of their own (blanks there
    // give no field either).
    qsizetype end = text.size();
    while (end > 0 && (text.at(end - 1) == u'\r' || text.at(end - 1) == u'\n'))
        --end;
    FieldReader reader(text.left(end));
    while (!reader.atEnd() && entries.size() < MaxHinagata) {
        std::optional<QString> name = reader.readField();
        if (!name)
            break;
        std::optional<QString> setumei = reader.readField();
        entries.append(HinagataEntry{std::move(*name), setumei ? std::move(*setumei) : QString()});
    }
    return entries;
}

QVector<HinagataEntry> ReadTempList(const QString &folder)
{
    return CheckTempList(folder).entries;
}

HinagataListCheck CheckTempList(const QString &folder)
{
    HinagataListCheck check;
    const NumberedFolder f = store(folder);
    QString unsettled;
    const bool settled = SettleNumberedFolder(f, &unsettled);
    const ListFileRead list = ReadListFile(f.listPath());
    if (list.bytes)
        check.entries = ReadTempListText(DecodeListText(*list.bytes));
    const QVector<int> files = NumberedFiles(f);
    if (!settled)
        check.problem = unsettled;
    else if (list.exists && !list.bytes)
        check.problem = u"雛型の一覧「%1」を読み込めません（%2）。"_s.arg(shown(f.listPath()), list.reason);
    else if (!files.isEmpty() && files.last() >= check.entries.size())
        check.problem = u"雛型の一覧「%1」には %2 個の雛型しか載っていませんが、載っていない雛型のファイル"
                        u"「TempFile%3.dat」があります。一覧が壊れているか、途中で切れています。"_s.arg(
                            shown(f.listPath()), QString::number(check.entries.size()), QString::number(files.last()));
    return check;
}

bool RebuildTempList(bool isHtml, QString *kept, QString *error)
{
    const QString folder = HinagataFolder(isHtml, true);
    const NumberedFolder f = store(folder);
    QVector<HinagataEntry> entries = CheckTempList(folder).entries;
    const int listed = int(entries.size());
    const std::optional<int> unlisted = CloseUpUnlistedFiles(f, listed, error);
    if (!unlisted)
        return false;
    for (int i = listed; i < listed + *unlisted; ++i)
        entries.append(HinagataEntry{nameFromFile(isHtml, f.filePath(i), i), u"一覧の作り直しで見つかった雛型"_s});
    const std::optional<QByteArray> bytes = encodeList(folder, entries, error);
    return bytes && ReplaceDamagedList(f, *bytes, kept, error);
}

QString TempListText(const QVector<HinagataEntry> &entries)
{
    QString line;
    for (const HinagataEntry &e : entries) {
        if (!line.isEmpty())
            line += u',';
        line += e.name + u',' + e.setumei;
    }
    return line;
}

QString HinagataTextProblem(const QString &text)
{
    if (text.contains(u','))
        return u"カンマ（,）"_s;
    if (text.contains(u'\r') || text.contains(u'\n'))
        return u"改行"_s;
    if (text.startsWith(u' ') || text.startsWith(u'\t'))
        return u"先頭の空白"_s;
    if (text.startsWith(u'"'))
        return u"先頭のダブルクォーテーション（\"）"_s;
    qsizetype bad = -1;
    if (!Cp932::canEncode(text, &bad)) {
        const QString ch = text.at(bad).isHighSurrogate() && bad + 1 < text.size() ? text.mid(bad, 2)
                                                                                    : QString(text.at(bad));
        return u"シフトJISにない文字「%1」"_s.arg(ch);
    }
    return QString();
}

qint16 CountHinagata(bool isHtml)
{
    return qint16(ReadTempList(HinagataFolder(isHtml, true)).size() - 1);
}

QString LoadHinagataText(bool isHtml, const QString &path)
{
    if (isHtml)
        return LoadTextFile(path);
    // A project file is code page 932 whatever its pages declare.
    const std::optional<QString> text = ReadCp932File(path);
    if (!text)
        return NotFileText;
    QString out;
    out.reserve(text->size());
    const qsizetype n = text->size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text->at(i);
        if (c != u'\r' && c != u'\n') {
            out += c;
            continue;
        }
        if (c == u'\r' && i + 1 < n && text->at(i + 1) == u'\n')
            ++i;
        if (i + 1 < n)
            out += u"\r\n";
    }
    return out;
}

HinagataSet LoadHinagataList(bool isHtml)
{
    const QString folder = HinagataFolder(isHtml, true);
    const QVector<HinagataEntry> entries = ReadTempList(folder);
    HinagataSet list;
    for (int i = 0; i < entries.size(); ++i) {
        list.HinaName.append(entries.at(i).name);
        list.HinaSetumei.append(entries.at(i).setumei);
        list.HinaDate.append(LoadHinagataText(isHtml, TempFilePath(folder, i)));
    }
    return list;
}

QByteArray EncodeHinagataText(bool isHtml, const QString &text)
{
    if (isHtml)
        return EncodePageFile(text);
    QByteArray bytes = Cp932::encodeWithCharRefs(text);
    bytes += "\r\n";
    return bytes;
}

bool AddHinagata(bool isHtml, const QString &name, const QString &setumei, const QString &text, QString *error)
{
    const struct
    {
        const QString &value;
        QString label;
    } fields[] = {{name, u"雛型の名前"_s}, {setumei, u"説明"_s}};
    for (const auto &f : fields) {
        if (f.value.isEmpty()) {
            setError(error, u"%1が空です。"_s.arg(f.label));
            return false;
        }
        const QString problem = HinagataTextProblem(f.value);
        if (!problem.isEmpty()) {
            setError(error, u"%1に%2は使えません。"_s.arg(f.label, problem));
            return false;
        }
    }

    const QString folder = HinagataFolder(isHtml, true);
    if (!QDir().mkpath(folder)) {
        setError(error, u"雛型のフォルダ「%1」を作れませんでした。"_s.arg(shown(folder)));
        return false;
    }
    const HinagataListCheck check = CheckTempList(folder);
    if (!check.problem.isEmpty()) {
        setError(error, check.problem);
        return false;
    }
    QVector<HinagataEntry> entries = check.entries;
    if (entries.size() >= MaxHinagata) {
        setError(error, u"これ以上雛型を登録できません。"_s);
        return false;
    }
    const int number = int(entries.size());
    entries.append(HinagataEntry{name, setumei});
    const std::optional<QByteArray> list = encodeList(folder, entries, error);
    return list && AddNumberedEntry(store(folder), number, EncodeHinagataText(isHtml, text), *list, error);
}

bool DelHinagata(bool isHtml, int index, QString *error)
{
    const QString folder = HinagataFolder(isHtml, true);
    const HinagataListCheck check = CheckTempList(folder);
    if (!check.problem.isEmpty()) {
        setError(error, check.problem);
        return false;
    }
    const int n = int(check.entries.size());
    if (index < 0 || index >= n) {
        setError(error, u"削除する雛型がありません。"_s);
        return false;
    }
    QVector<HinagataEntry> rest = check.entries;
    rest.remove(index);
    std::optional<QByteArray> list;
    if (!rest.isEmpty() && !(list = encodeList(folder, rest, error)))
        return false;
    return DeleteNumberedEntry(store(folder), index, n, list, error);
}
