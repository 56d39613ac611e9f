#include "HinagataEdit.h"

#include "AppPaths.h"
#include "Cp932.h"
#include "FieldReader.h"
#include "ProjectFile.h"
#include "TextFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

#include <fcntl.h>
#include <unistd.h>

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

// Writes the list file; an empty list removes it, so that the set reads as empty.
bool writeTempList(const QString &folder, const QVector<HinagataEntry> &entries, QString *error)
{
    const QString path = TempListPath(folder);
    if (entries.isEmpty()) {
        if (QFile::exists(path) && !QFile::remove(path)) {
            setError(error, u"雛型の一覧「%1」を削除できませんでした。"_s.arg(shown(path)));
            return false;
        }
        return true;
    }
    return WriteCp932File(path, TempListText(entries) + u"\r\n"_s, error);
}

// The bytes of a template file as they stand, or nothing when it is missing.
std::optional<QByteArray> readTemplateBytes(const QString &path)
{
    if (!QFileInfo::exists(path))
        return std::nullopt;
    return ReadFileBytes(path);
}

// Puts bytes into a file, replacing it whole (or removes it when there are
// none). Throwaway skips the sync of each file: the caller syncs once.
bool restoreFile(const QString &path, const std::optional<QByteArray> &bytes,
                 WriteMode mode = WriteMode::Durable)
{
    if (bytes)
        return WriteFileAtomically(path, *bytes, nullptr, mode);
    return !QFileInfo::exists(path) || QFile::remove(path);
}

// Brings every file written into folder to the disk at once.
void syncFolder(const QString &folder)
{
#ifdef Q_OS_LINUX
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
        return;
    }
#endif
    ::sync();
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
    const std::optional<QString> text = ReadCp932File(TempListPath(folder));
    if (!text)
        return {};
    return ReadTempListText(*text);
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
    QVector<HinagataEntry> entries = ReadTempList(folder);
    if (entries.size() >= MaxHinagata) {
        setError(error, u"これ以上雛型を登録できません。"_s);
        return false;
    }
    // The new template's file first: until the list names it, it is not part
    // of the set, so a failure here leaves the set as it was.
    const QString file = TempFilePath(folder, entries.size());
    if (!WriteFileAtomically(file, EncodeHinagataText(isHtml, text), error))
        return false;
    entries.append(HinagataEntry{name, setumei});
    if (!writeTempList(folder, entries, error)) {
        QFile::remove(file);
        return false;
    }
    return true;
}

bool DelHinagata(bool isHtml, int index, QString *error)
{
    const QString folder = HinagataFolder(isHtml, true);
    const QVector<HinagataEntry> entries = ReadTempList(folder);
    const int n = entries.size();
    if (index < 0 || index >= n) {
        setError(error, u"削除する雛型がありません。"_s);
        return false;
    }

    // The files that move down, kept as they are (a missing one stays missing).
    QVector<std::optional<QByteArray>> moving;
    for (int i = index; i < n; ++i)
        moving.append(readTemplateBytes(TempFilePath(folder, i)));

    QVector<HinagataEntry> rest = entries;
    rest.remove(index);
    if (!writeTempList(folder, rest, error))
        return false;

    // Template i + 1 becomes template i. Each file is replaced whole, so a
    // listed template always has a file. The files are synced together once
    // they are all written: a sync per file would make deleting from a large
    // set take seconds.
    for (int i = index; i < n - 1; ++i) {
        const QString path = TempFilePath(folder, i);
        if (restoreFile(path, moving.at(i + 1 - index), WriteMode::Throwaway))
            continue;
        QString why = u"雛型のファイル「%1」を書き換えられませんでした。"_s.arg(shown(path));
        // Undo: the old list and the files already renumbered.
        bool undone = WriteCp932File(TempListPath(folder), TempListText(entries) + u"\r\n"_s);
        for (int j = index; j < i; ++j)
            undone = restoreFile(TempFilePath(folder, j), moving.at(j - index)) && undone;
        why += undone ? u"雛型は削除していません。"_s : u"雛型の一覧が壊れているかもしれません。"_s;
        setError(error, why);
        return false;
    }
    if (index < n - 1)
        syncFolder(folder);
    const QString last = TempFilePath(folder, n - 1);
    if (QFileInfo::exists(last) && !QFile::remove(last)) {
        setError(error, u"雛型を一覧から削除しましたが、ファイル「%1」を削除できませんでした。"_s.arg(shown(last)));
        return false;
    }
    return true;
}
