#include "NumberedFolder.h"

#include "AppPaths.h"
#include "Cp932.h"
#include "SystemErrors.h"
#include "TextFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

void (*g_stepHook)(int) = nullptr;
int g_step = 0;

void Step()
{
    if (g_stepHook)
        g_stepHook(g_step++);
}

bool Fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

QString Shown(const QString &path)
{
    return VisibleText(QDir::toNativeSeparators(path));
}

QByteArray Native(const QString &path)
{
    return QFile::encodeName(path);
}

QString ListStem(const QString &listName)
{
    return listName.endsWith(u".dat"_s) ? listName.chopped(4) : listName;
}

// True when something (a file, a link, a folder) stands at path.
bool Stands(const QString &path)
{
    struct stat st {};
    return ::lstat(Native(path).constData(), &st) == 0;
}

// Removes the name at path (a link goes, not what it names). A name that is
// already gone counts as removed.
bool RemoveName(const QString &path, QString *error)
{
    if (::unlink(Native(path).constData()) == 0 || errno == ENOENT)
        return true;
    return Fail(error, u"「%1」を削除できませんでした: %2"_s.arg(Shown(path), LastSystemErrorText()));
}

bool RenameName(const QString &from, const QString &to, QString *error)
{
    if (::rename(Native(from).constData(), Native(to).constData()) == 0)
        return true;
    return Fail(error, u"「%1」を「%2」に移せませんでした: %3"_s.arg(Shown(from), Shown(to), LastSystemErrorText()));
}

void SyncFolder(const QString &folder)
{
    const int fd = ::open(Native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// What an entry file holds, as far as a change needs to know: missing, or
// the digest of its bytes. Unreadable gives no value.
struct FileState
{
    bool present = false;
    QByteArray digest;
};

std::optional<FileState> StateOf(const QString &path)
{
    if (!Stands(path))
        return FileState{};
    const std::optional<QByteArray> bytes = ReadFileBytes(path);
    if (!bytes)
        return std::nullopt;
    return FileState{true, QCryptographicHash::hash(*bytes, QCryptographicHash::Sha256).toHex()};
}

// The note of a change under way. An add names the new file; a delete names
// the entry, the count before it, whether the list stays, and the digest of
// each file that moves (entries k + 1 .. count - 1; "-" for a missing one).
struct Pending
{
    bool add = false;
    int k = 0;
    int count = 0;
    bool keepList = true;
    QVector<FileState> sources;
};

const QByteArray PendingHeader = "QuorvelPending,1";

QByteArray PendingText(const Pending &p)
{
    QByteArray out = PendingHeader + "\r\n";
    if (p.add)
        return out + "add," + QByteArray::number(p.count) + "\r\n";
    out += "delete," + QByteArray::number(p.k) + ',' + QByteArray::number(p.count) + ','
           + (p.keepList ? "keep" : "remove") + "\r\n";
    for (const FileState &s : p.sources)
        out += (s.present ? s.digest : QByteArray("-")) + "\r\n";
    return out;
}

std::optional<Pending> ParsePending(const QByteArray &bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    for (QByteArray &l : lines)
        l = l.trimmed();
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (lines.size() < 2 || lines.at(0) != PendingHeader)
        return std::nullopt;
    const QList<QByteArray> head = lines.at(1).split(',');
    Pending p;
    bool ok = false;
    if (head.size() == 2 && head.at(0) == "add") {
        p.add = true;
        p.count = head.at(1).toInt(&ok);
        return ok && p.count >= 0 && lines.size() == 2 ? std::optional<Pending>(p) : std::nullopt;
    }
    if (head.size() != 4 || head.at(0) != "delete" || (head.at(3) != "keep" && head.at(3) != "remove"))
        return std::nullopt;
    bool ok2 = false;
    p.k = head.at(1).toInt(&ok);
    p.count = head.at(2).toInt(&ok2);
    p.keepList = head.at(3) == "keep";
    if (!ok || !ok2 || p.k < 0 || p.k >= p.count || lines.size() != 2 + (p.count - p.k - 1))
        return std::nullopt;
    for (qsizetype i = 2; i < lines.size(); ++i) {
        if (lines.at(i) == "-")
            p.sources.append(FileState{});
        else if (lines.at(i).size() == 64)
            p.sources.append(FileState{true, lines.at(i)});
        else
            return std::nullopt;
    }
    return p;
}

// Takes an add to its end: the new list takes its place when the new file
// is whole, otherwise the add is undone.
bool FinishAdd(const NumberedFolder &f, const Pending &p, QString *error)
{
    const bool staged = Stands(f.stagedListPath());
    if (staged && Stands(f.filePath(p.count))) {
        Step();
        if (!RenameName(f.stagedListPath(), f.listPath(), error))
            return false;
        SyncFolder(f.folder);
    } else if (staged && !RemoveName(f.stagedListPath(), error)) {
        return false;
    }
    Step();
    return RemoveName(f.pendingPath(), error);
}

// Takes a delete to its end. Every step can be run again: a file that
// already holds what belongs at its number is left, so the same loop
// finishes a delete that was stopped anywhere. *moved tells whether a file
// was changed by this run.
bool FinishDelete(const NumberedFolder &f, const Pending &p, QString *error, bool *moved = nullptr)
{
    const auto changed = [&] {
        if (moved)
            *moved = true;
    };
    for (int i = p.k; i < p.count - 1; ++i) {
        const FileState &want = p.sources.at(i - p.k);
        const std::optional<FileState> here = StateOf(f.filePath(i));
        if (!want.present) {
            if (!here || here->present) {
                Step();
                if (!RemoveName(f.filePath(i), error))
                    return false;
                changed();
            }
            continue;
        }
        if (here && here->present && here->digest == want.digest)
            continue;
        const std::optional<FileState> from = StateOf(f.filePath(i + 1));
        if (!from || !from->present || from->digest != want.digest)
            return Fail(error, u"「%1」が変わっているため、削除の続きができません。"_s.arg(Shown(f.filePath(i + 1))));
        Step();
        if (!RenameName(f.filePath(i + 1), f.filePath(i), error))
            return false;
        changed();
    }
    // The last number is now beyond the list.
    if (Stands(f.filePath(p.count - 1))) {
        Step();
        if (!RemoveName(f.filePath(p.count - 1), error))
            return false;
        changed();
    }
    if (p.keepList && Stands(f.stagedListPath())) {
        Step();
        if (!RenameName(f.stagedListPath(), f.listPath(), error))
            return false;
        changed();
    } else if (!p.keepList && Stands(f.listPath())) {
        Step();
        if (!RemoveName(f.listPath(), error))
            return false;
        changed();
    }
    // The moves reach the disk before the note that would redo them goes.
    SyncFolder(f.folder);
    Step();
    return RemoveName(f.pendingPath(), error);
}

// Names that the writer's temporary files get beside the folder's files: the
// file's name, the writer's mark and a random suffix of base-36 digits.
QRegularExpression LeftoverPattern(const NumberedFolder &f)
{
    const QString stem = QRegularExpression::escape(ListStem(f.listName));
    return QRegularExpression(u"^(?:%1|%2\\.new|%2\\.pending|%3(?:0|[1-9][0-9]*)\\.dat)\\.qvtmp[0-9a-z]{1,8}$"_s.arg(
        QRegularExpression::escape(f.listName), stem, QRegularExpression::escape(f.filePrefix)));
}

} // namespace

QString NumberedFolder::listPath() const
{
    return JoinPath(folder, listName);
}

QString NumberedFolder::filePath(int number) const
{
    return JoinPath(folder, filePrefix + QString::number(number) + u".dat"_s);
}

QString NumberedFolder::stagedListPath() const
{
    return JoinPath(folder, ListStem(listName) + u".new"_s);
}

QString NumberedFolder::pendingPath() const
{
    return JoinPath(folder, ListStem(listName) + u".pending"_s);
}

QString NumberedFolder::keptListPath(int n) const
{
    return JoinPath(folder, ListStem(listName) + u"_old"_s + QString::number(n) + u".dat"_s);
}

QVector<int> NumberedFiles(const NumberedFolder &f)
{
    const QRegularExpression entry(u"^%1(0|[1-9][0-9]{0,8})\\.dat$"_s.arg(QRegularExpression::escape(f.filePrefix)));
    QVector<int> numbers;
    const QStringList names =
        QDir(f.folder).entryList(QDir::Files | QDir::Dirs | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const QRegularExpressionMatch m = entry.match(name);
        if (m.hasMatch())
            numbers.append(m.captured(1).toInt());
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

ListFileRead ReadListFile(const QString &path)
{
    ListFileRead r;
    r.exists = Stands(path);
    if (!r.exists)
        return r;
    QFile file;
    if (!OpenRegularFile(file, path, &r.reason))
        return r;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        r.reason = file.errorString();
        return r;
    }
    r.bytes = std::move(bytes);
    return r;
}

QString DecodeListText(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8(QByteArrayView(bytes).sliced(3));
        if (!utf8.hasError())
            return text;
        return Cp932::decode(QByteArrayView(bytes).sliced(3));
    }
    return Cp932::decode(bytes);
}

bool SettleNumberedFolder(const NumberedFolder &f, QString *error)
{
    if (Stands(f.pendingPath())) {
        const std::optional<QByteArray> bytes = ReadFileBytes(f.pendingPath());
        const std::optional<Pending> p = bytes ? ParsePending(*bytes) : std::nullopt;
        if (!p)
            return Fail(error, u"途中で止まった変更の記録「%1」が読めません。"_s.arg(Shown(f.pendingPath())));
        QString why;
        if (!(p->add ? FinishAdd(f, *p, &why) : FinishDelete(f, *p, &why)))
            return Fail(error, u"途中で止まった変更を終えられません: %1"_s.arg(why));
    } else if (Stands(f.stagedListPath())) {
        // A change stopped before its note was written: nothing else moved.
        RemoveName(f.stagedListPath(), nullptr);
    }
    const QRegularExpression leftover = LeftoverPattern(f);
    const QDir dir(f.folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::System | QDir::Hidden)) {
        if (leftover.match(name).hasMatch())
            RemoveName(dir.filePath(name), nullptr);
    }
    return true;
}

bool WriteNumberedFile(const QString &path, const QByteArray &bytes, QString *error)
{
    return WriteFileAtomically(path, bytes, error, WriteMode::Durable, LinkMode::Replace);
}

bool AddNumberedEntry(const NumberedFolder &f, int number, const QByteArray &fileBytes, const QByteArray &newList,
                      QString *error)
{
    g_step = 0;
    if (Stands(f.filePath(number)))
        return Fail(error, u"「%1」が既にあります。"_s.arg(Shown(f.filePath(number))));
    const auto undo = [&] {
        RemoveName(f.stagedListPath(), nullptr);
        RemoveName(f.pendingPath(), nullptr);
        return false;
    };
    Pending p;
    p.add = true;
    p.count = number;
    Step();
    if (!WriteNumberedFile(f.stagedListPath(), newList, error))
        return undo();
    // The note of an add need not reach the disk before the new file: should
    // both be lost, the new file shows as one the list does not name.
    Step();
    if (!WriteFileAtomically(f.pendingPath(), PendingText(p), error, WriteMode::Throwaway, LinkMode::Replace))
        return undo();
    Step();
    if (!WriteNumberedFile(f.filePath(number), fileBytes, error))
        return undo();
    if (FinishAdd(f, p, error))
        return true;
    // The list did not take the new entry: take the file away again.
    if (Stands(f.stagedListPath())) {
        RemoveName(f.filePath(number), nullptr);
        undo();
    }
    return false;
}

bool DeleteNumberedEntry(const NumberedFolder &f, int k, int count, const std::optional<QByteArray> &newList,
                         QString *error)
{
    g_step = 0;
    if (k < 0 || k >= count)
        return Fail(error, u"削除するデータがありません。"_s);
    Pending p;
    p.k = k;
    p.count = count;
    p.keepList = newList.has_value();
    for (int i = k + 1; i < count; ++i) {
        const std::optional<FileState> s = StateOf(f.filePath(i));
        if (!s)
            return Fail(error, u"「%1」を読み込めないため、削除できません。何も削除していません。"_s.arg(
                                   Shown(f.filePath(i))));
        p.sources.append(*s);
    }
    const auto undo = [&] {
        RemoveName(f.stagedListPath(), nullptr);
        RemoveName(f.pendingPath(), nullptr);
        if (error)
            *error += u"\r\n何も削除していません。"_s;
        return false;
    };
    if (newList) {
        Step();
        if (!WriteNumberedFile(f.stagedListPath(), *newList, error))
            return undo();
    }
    Step();
    if (!WriteNumberedFile(f.pendingPath(), PendingText(p), error))
        return undo();
    bool moved = false;
    if (FinishDelete(f, p, error, &moved))
        return true;
    // Stopped before the first file changed: the delete did not happen.
    if (!moved)
        return undo();
    if (error)
        *error += u"\r\n削除は次に一覧を読み込むときに続けます。"_s;
    return false;
}

std::optional<int> CloseUpUnlistedFiles(const NumberedFolder &f, int listed, QString *error)
{
    int to = listed;
    for (int number : NumberedFiles(f)) {
        if (number < listed)
            continue;
        if (number != to && !RenameName(f.filePath(number), f.filePath(to), error))
            return std::nullopt;
        ++to;
    }
    return to - listed;
}

bool ReplaceDamagedList(const NumberedFolder &f, const QByteArray &newList, QString *kept, QString *error)
{
    // A change that could not be finished is given up: the files are the truth now.
    if (!RemoveName(f.pendingPath(), error) || !RemoveName(f.stagedListPath(), error))
        return false;
    QString keptPath;
    if (Stands(f.listPath())) {
        int n = 1;
        while (Stands(f.keptListPath(n)))
            ++n;
        keptPath = f.keptListPath(n);
        if (!RenameName(f.listPath(), keptPath, error))
            return false;
    }
    if (!WriteNumberedFile(f.listPath(), newList, error)) {
        if (!keptPath.isEmpty())
            RenameName(keptPath, f.listPath(), nullptr);
        return false;
    }
    if (kept)
        *kept = keptPath.isEmpty() ? QString() : QFileInfo(keptPath).fileName();
    return true;
}

QString ListRebuildQuestion(const QString &problem)
{
    return problem
           + u"\r\n\r\nこの一覧を書き換えると、一覧に載っていないものが失われるため、書き換えません。\r\n"
             u"残っているファイルから一覧を作り直しますか？（元の一覧は別の名前で残します）\r\n"
             u"「いいえ」を選ぶと、何も変更しません。"_s;
}

void SetNumberedFolderStepHook(void (*hook)(int step))
{
    g_stepHook = hook;
    g_step = 0;
}
