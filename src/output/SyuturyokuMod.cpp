#include "SyuturyokuMod.h"

#include "DialogFolders.h"

#include "AppPaths.h"
#include "OutputNames.h"
#include "SystemErrors.h"
#include "TempC.h"
#include "TextFiles.h"
#include "Utf8Output.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

#include <unistd.h>

namespace {

// Output names compare as the file system compares names.
constexpr Qt::CaseSensitivity NameCase =
#ifdef Q_OS_WIN
    Qt::CaseInsensitive;
#else
    Qt::CaseSensitive;
#endif

QString outputPath(const QString &folder, const QString &outputName, QString *error)
{
    const QString problem = OutputNameProblem(outputName);
    if (!problem.isEmpty()) {
        if (error)
            *error = problem;
        return QString();
    }
    return JoinPath(folder, outputName);
}

// A path with its folder resolved and its last part as it stands: what a
// file written there replaces (a link of that name is replaced, not followed).
QString entryPath(const QString &path)
{
    const QFileInfo fi(path);
    QString dir = QFileInfo(fi.absolutePath()).canonicalFilePath();
    if (dir.isEmpty())
        dir = QDir::cleanPath(fi.absolutePath());
    return JoinPath(dir, fi.fileName());
}

// True when a file written at target would take the place of the open
// project file (projectPath, when it is a path): the same entry, or the file
// the project's path leads to through a link.
bool takesProjectFile(const QString &projectPath, const QString &target)
{
    if (projectPath.isEmpty() || !QDir::isAbsolutePath(projectPath))
        return false;
    const QString t = entryPath(target);
    if (t.compare(entryPath(projectPath), NameCase) == 0)
        return true;
    const QString resolved = QFileInfo(projectPath).canonicalFilePath();
    return !resolved.isEmpty() && t.compare(resolved, NameCase) == 0;
}

bool refuseProjectFile(const QString &target, QString *error)
{
    if (error)
        *error = QStringLiteral("出力先のファイル\"%1\"は開いているプロジェクトファイルそのものなので、書き込みません。出力時のファイル名を変えてください。")
                     .arg(QDir::toNativeSeparators(target));
    return false;
}

bool copyItem(const ProjectDates &p, const PictDat &d, const QString &folder, QString *error,
              WriteMode mode = WriteMode::Durable)
{
    const QString target = outputPath(folder, d.outputName(), error);
    if (target.isEmpty())
        return false;
    if (d.FilePath.isEmpty() || !QFileInfo(d.FilePath).isFile()) {
        if (error)
            *error = QStringLiteral("参照先のファイル\"%1\"が見つかりません。").arg(d.FilePath);
        return false;
    }
    if (takesProjectFile(p.ProjectPath, target))
        return refuseProjectFile(target, error);
    return TempC::CopyFileReplacing(d.FilePath, target, error, mode);
}

// A path made comparable: absolute, cleaned, symbolic links resolved where it
// exists.
QString comparable(const QString &path)
{
    if (path.isEmpty())
        return QString();
    const QFileInfo fi(path);
    QString c = fi.exists() ? fi.canonicalFilePath() : QString();
    if (c.isEmpty())
        c = QDir::cleanPath(fi.absoluteFilePath());
    return c;
}

} // namespace

bool TrashAvailable()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    // Without a data folder for the trash to live in, moving to the trash
    // would put the folder into "files" and "info" below the working folder.
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataHome.isEmpty())
        return false;
    const QFileInfo trash(dataHome + QStringLiteral("/Trash"));
    if (trash.exists())
        return trash.isDir() && trash.isWritable();
    const QFileInfo home(dataHome);
    return home.isDir() && home.isWritable();
#else
    return true;
#endif
}

namespace {

// True when inner is folder itself or lies below it.
bool sameOrInside(const QString &folder, const QString &inner)
{
    if (folder.isEmpty() || inner.isEmpty())
        return false;
    if (inner.compare(folder, NameCase) == 0)
        return true;
    const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    return inner.startsWith(prefix, NameCase);
}

} // namespace

QString DescribeItem(ItemKind kind, const QString &datName)
{
    switch (kind) {
    case KindHtml:
        return QStringLiteral("HTMLデータ「%1」").arg(datName);
    case KindPict:
        return QStringLiteral("画像データ「%1」").arg(datName);
    case KindElseFile:
        return QStringLiteral("他のファイルデータ「%1」").arg(datName);
    case KindSiori:
        break;
    }
    return QStringLiteral("しおり「%1」").arg(datName);
}

bool SyuturyokuHtml(const ProjectDates &p, int index, const QString &folder, QString *error, CharChanges *changes,
                    const SyuturyokuOptions &options)
{
    if (index < 0 || index >= p.Html.size())
        return false;
    const HtmlDat &h = p.Html.at(index);
    const QString target = outputPath(folder, h.outputName(), error);
    if (target.isEmpty())
        return false;
    if (takesProjectFile(p.ProjectPath, target))
        return refuseProjectFile(target, error);
    // A link standing in the folder is replaced, never written through.
    if (options.charset == OutputCharset::Utf8)
        return WriteFileAtomically(target, EncodePageFileAsUtf8(h.HtmlStr), error, options.writeMode,
                                   LinkMode::Replace);
    return WritePageFile(target, h.HtmlStr, error, options.writeMode, LinkMode::Replace, changes);
}

bool SyuturyokuPict(const ProjectDates &p, int index, const QString &folder, QString *error)
{
    if (index < 0 || index >= p.Pict.size())
        return false;
    return copyItem(p, p.Pict.at(index), folder, error);
}

bool SyuturyokuElse(const ProjectDates &p, int index, const QString &folder, QString *error)
{
    if (index < 0 || index >= p.ElseFile.size())
        return false;
    return copyItem(p, p.ElseFile.at(index), folder, error);
}

SyuturyokuReport SyuturyokuAllInto(const ProjectDates &p, const QString &folder, const SyuturyokuOptions &options)
{
    SyuturyokuReport r;
    // One pass per table, in table order; an unsafe name is listed and passed
    // over, any other failure ends the run.
    const auto run = [&](ItemKind kind, int count, auto nameAt, auto datNameAt, auto write) {
        for (int i = 0; i < count; ++i) {
            const QString outName = nameAt(i);
            if (!OutputNameProblem(outName).isEmpty()) {
                r.skipped.append(DescribeItem(kind, datNameAt(i)) + QStringLiteral("（") + outName
                                 + QStringLiteral("）"));
                continue;
            }
            QString why;
            if (!write(i, &why)) {
                r.failedItem = DescribeItem(kind, datNameAt(i));
                r.failReason = why;
                return false;
            }
            ++r.written;
        }
        return true;
    };
    if (!run(
            KindHtml, int(p.Html.size()), [&](int i) { return p.Html.at(i).outputName(); },
            [&](int i) { return p.Html.at(i).DatName; },
            [&](int i, QString *why) { return SyuturyokuHtml(p, i, folder, why, &r.changes, options); }))
        return r;
    if (!run(
            KindPict, int(p.Pict.size()), [&](int i) { return p.Pict.at(i).outputName(); },
            [&](int i) { return p.Pict.at(i).DatName; },
            [&](int i, QString *why) { return copyItem(p, p.Pict.at(i), folder, why, options.writeMode); }))
        return r;
    run(
        KindElseFile, int(p.ElseFile.size()), [&](int i) { return p.ElseFile.at(i).outputName(); },
        [&](int i) { return p.ElseFile.at(i).DatName; },
        [&](int i, QString *why) { return copyItem(p, p.ElseFile.at(i), folder, why, options.writeMode); });
    return r;
}

SyuturyokuReport SyuturyokuAll(const ProjectDates &p, const SyuturyokuOptions &options)
{
    return SyuturyokuAllInto(p, p.SyuturyokuFolder, options);
}

QString SyuturyokuFailMessage(const SyuturyokuReport &r)
{
    if (r.ok())
        return QString();
    QString text = QStringLiteral("%1を出力できなかったため、出力を中止しました。").arg(r.failedItem);
    if (!r.failReason.isEmpty())
        text += u"\r\n" + r.failReason;
    if (r.written > 0)
        text += u"\r\n" + QStringLiteral("それまでに出力した %1 個のファイルはそのまま残っています。").arg(r.written);
    return text;
}

QString SyuturyokuSkipMessage(const SyuturyokuReport &r)
{
    if (r.skipped.isEmpty())
        return QString();
    QString text = QStringLiteral("次の項目は出力時のファイル名が出力先フォルダの外を指すため、出力しませんでした。");
    for (const QString &s : r.skipped)
        text += QStringLiteral("\r\n・") + s;
    return text;
}

QStringList ForeignEntries(const ProjectDates &p, const QString &folder)
{
    QSet<QString> ours;
    const auto addNames = [&](const auto &table) {
        for (const auto &d : table)
            ours.insert(NameCase == Qt::CaseSensitive ? d.outputName() : d.outputName().toCaseFolded());
    };
    addNames(p.Html);
    addNames(p.Pict);
    addNames(p.ElseFile);

    QStringList foreign;
    const QDir dir(folder);
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &fi : entries) {
        const QString key = NameCase == Qt::CaseSensitive ? fi.fileName() : fi.fileName().toCaseFolded();
        if (fi.isDir() || !ours.contains(key))
            foreign.append(fi.fileName());
    }
    return foreign;
}

QString ForeignEntriesQuestion(const QString &folder, const QStringList &foreign, bool toTrash)
{
    constexpr int Listed = 5;
    QString text = QStringLiteral("出力先フォルダ\"%1\"には、このプロジェクトが出力したものではないファイルやフォルダがあります。")
                       .arg(QDir::toNativeSeparators(folder));
    for (int i = 0; i < foreign.size() && i < Listed; ++i)
        text += QStringLiteral("\r\n・") + foreign.at(i);
    if (foreign.size() > Listed)
        text += u"\r\n" + QStringLiteral("（ほか %1 件）").arg(foreign.size() - Listed);
    if (toTrash)
        text += u"\r\n" + QStringLiteral("これらも含めてフォルダをごみ箱に移してから出力しますか？");
    else
        text += u"\r\n" + QStringLiteral("これらも含めてフォルダを削除してから出力しますか？") + u"\r\n"
                + QStringLiteral("ごみ箱がないため、削除したものは元に戻せません。");
    text += u"\r\n" + QStringLiteral("「いいえ」を選ぶと、何も削除せずにフォルダへ上書きします。");
    return text;
}

bool IsProtectedFolder(const QString &folder, const QString &projectPath)
{
    const QString f = comparable(folder);
    if (f.isEmpty() || QDir(f).isRoot())
        return true;
    for (const QFileInfo &drive : QDir::drives()) {
        if (f.compare(comparable(drive.absoluteFilePath()), NameCase) == 0)
            return true;
    }
    QStringList keep = {comparable(QDir::homePath()), comparable(AppDir())};
    if (!projectPath.isEmpty() && QDir::isAbsolutePath(projectPath))
        keep.append(comparable(QFileInfo(projectPath).absolutePath()));
    for (const QString &k : keep) {
        if (sameOrInside(f, k))
            return true;
    }
    return false;
}

namespace {

// Why a folder could not be removed or moved: a folder (or its parent) that
// may not be written, else the first folder inside that may not; empty when
// none of them says why.
QString removalReason(const QString &folder)
{
    const QString parent = QFileInfo(folder).absolutePath();
    for (const QString &f : {folder, parent}) {
        if (::access(QFile::encodeName(f).constData(), W_OK) != 0)
            return LastSystemErrorText();
    }
    QDirIterator it(folder, QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString sub = it.next();
        if (!it.fileInfo().isSymLink() && ::access(QFile::encodeName(sub).constData(), W_OK) != 0)
            return LastSystemErrorText();
    }
    return QString();
}

} // namespace

bool RemoveOutputFolder(const QString &folder, QString *error, bool mayDelete)
{
    if (!QFileInfo::exists(folder))
        return true;
    const QString shown = QDir::toNativeSeparators(folder);
    if (TrashAvailable()) {
        QString inTrash;
        if (QFile::moveToTrash(folder, &inTrash)) {
            if (QDir::isAbsolutePath(inTrash))
                return true;
            // Moved somewhere that is no trash: put it back and delete it
            // below instead.
            if (!QDir().rename(inTrash, folder)) {
                if (error)
                    *error = QStringLiteral("以前の出力先フォルダ\"%1\"をごみ箱に移せませんでした。").arg(shown);
                return false;
            }
        }
        // The user was promised the trash: nothing is deleted instead.
        if (!mayDelete) {
            if (error) {
                const QString why = removalReason(folder);
                *error = QStringLiteral("以前の出力先フォルダ\"%1\"をごみ箱に移せなかったため、何も削除しませんでした%2。")
                             .arg(shown, why.isEmpty() ? QString() : QStringLiteral("（%1）").arg(why));
            }
            return false;
        }
    }
    if (QDir(folder).removeRecursively())
        return true;
    if (error) {
        QString why = removalReason(folder);
        if (why.isEmpty())
            why = QStringLiteral("削除できないファイルがあります");
        *error = QStringLiteral("以前の出力先フォルダ\"%1\"を削除できませんでした（%2）。").arg(shown, why);
    }
    return false;
}

UwagakiReport Uwagaki(const ProjectDates &p, const std::function<bool(const QStringList &)> &askRemoveForeign,
                      const SyuturyokuOptions &options)
{
    UwagakiReport r;
    const QString folder = p.SyuturyokuFolder;
    if (folder.isEmpty()) {
        r.createProblem = QStringLiteral("出力先フォルダが指定されていません。");
        return r;
    }
    // A project file can carry a relative folder, which would point wherever
    // the program happens to run from.
    if (!QDir::isAbsolutePath(folder)) {
        r.createProblem = QStringLiteral("出力先フォルダ\"%1\"は完全なパスではないため、出力できません。").arg(
                              QDir::toNativeSeparators(folder))
                          + u"\r\n" + QStringLiteral("「出力先フォルダを指定...」で出力先を指定し直してください。");
        return r;
    }
    const QFileInfo fi(folder);
    if (fi.exists() && !fi.isDir()) {
        r.createProblem = QStringLiteral("出力先\"%1\"はフォルダではありません。").arg(QDir::toNativeSeparators(folder));
        return r;
    }
    if (fi.exists()) {
        bool remove = !IsProtectedFolder(folder, p.ProjectPath);
        if (remove) {
            const QStringList foreign = ForeignEntries(p, folder);
            if (!foreign.isEmpty()) {
                r.askedForeign = true;
                remove = askRemoveForeign && askRemoveForeign(foreign);
            }
        }
        // Entries of the user's own go to the trash when the question said
        // so; only the project's own output may be deleted outright.
        if (remove)
            r.removed = RemoveOutputFolder(folder, &r.removeProblem, !(r.askedForeign && TrashAvailable()));
        r.keptFolder = !r.removed;
    }
    QString why;
    if (!MakeFolderPath(folder, &why)) {
        r.createProblem = QStringLiteral("出力先フォルダ\"%1\"を作成できませんでした（%2）。").arg(QDir::toNativeSeparators(folder), why);
        return r;
    }
    r.output = SyuturyokuAllInto(p, folder, options);
    return r;
}

QVector<OutputMessage> UwagakiMessages(const UwagakiReport &r)
{
    QVector<OutputMessage> out;
    if (!r.createProblem.isEmpty()) {
        out.append({r.createProblem, true});
        return out;
    }
    // In the order things happened, and the outcome said only once it is
    // known: a folder that could not be removed is told together with how
    // the output into what was left went.
    if (const QString fail = SyuturyokuFailMessage(r.output); !fail.isEmpty()) {
        out.append({r.removeProblem.isEmpty() ? fail : r.removeProblem + u"\r\n" + fail, true});
    } else if (!r.removeProblem.isEmpty()) {
        out.append({r.removeProblem + u"\r\n" + QStringLiteral("残っていたファイルはそのままにして、その上に出力しました。"), false});
    }
    if (const QString skip = SyuturyokuSkipMessage(r.output); !skip.isEmpty())
        out.append({skip, false});
    return out;
}

QString OutputDialogStartFolder(const ProjectDates &p)
{
    QStringList candidates;
    if (QDir::isAbsolutePath(p.ProjectPath))
        candidates.append(QFileInfo(p.ProjectPath).absolutePath());
    if (QDir::isAbsolutePath(p.SyuturyokuFolder))
        candidates.append(QFileInfo(QDir::cleanPath(p.SyuturyokuFolder)).absolutePath());
    for (const QString &c : candidates) {
        // Never inside the program's own folders, which an update may remove.
        if (QFileInfo(c).isDir() && !IsProgramFolder(c))
            return QDir::cleanPath(c);
    }
    return QString();
}

QString OutputDoneText(const QString &folder, const CharChanges &changes, const SyuturyokuOptions &options)
{
    const QString done = QStringLiteral("プロジェクトを\"%1\"に出力しました%2。")
                             .arg(QDir::toNativeSeparators(folder),
                                  options.charset == OutputCharset::Utf8 ? QStringLiteral("（ページの文字コード：UTF-8）")
                                                                         : QString());
    const QString changed = CharChangesText(changes, true);
    return changed.isEmpty() ? done : done + QStringLiteral("　") + changed;
}

QStringList OutputDriveRoots()
{
    QStringList roots;
    for (const QFileInfo &d : QDir::drives()) {
        const QString path = d.absoluteFilePath();
        if (!roots.contains(path))
            roots.append(path);
    }
    const QString home = QDir::homePath();
    if (!roots.contains(home))
        roots.append(home);
    return roots;
}

bool IsDriveReadable(const QString &root)
{
    const QDir d(root);
    return d.exists() && d.isReadable();
}
