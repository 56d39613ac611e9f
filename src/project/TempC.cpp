#include "TempC.h"

#include "AppPaths.h"
#include "SystemErrors.h"
#include "TempWriter.h"
#include "TextFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace TempC {

QString TempFolder()
{
    // A link standing in temp's place is replaced by a folder: copies and
    // their deletion stay inside the program's own folder.
    const QString dir = AppPath(u"\\temp");
    if (!MakeOwnFolder(dir))
        return QString();
    return dir;
}

bool IsSafeOutputName(const QString &outputName)
{
    if (outputName.isEmpty() || outputName == u"." || outputName == u"..")
        return false;
    if (outputName.contains(u'/') || outputName.contains(u'\\') || outputName.contains(QChar(0)))
        return false;
    // A drive-style name ("C:x") would leave the folder on some platforms.
    if (outputName.size() >= 2 && outputName.at(1) == u':')
        return false;
    return true;
}

QString TempPathFor(const QString &outputName)
{
    if (!IsSafeOutputName(outputName))
        return QString();
    const QString folder = TempFolder();
    if (folder.isEmpty())
        return QString();
    return JoinPath(folder, outputName);
}

bool CopyFileReplacing(const QString &source, const QString &target, QString *error, WriteMode mode)
{
    // Only a regular file is copied: a FIFO would wait for ever and a device
    // could stream without end.
    QFile in;
    QString reason;
    if (!OpenRegularFile(in, source, &reason)) {
        if (error)
            *error = QStringLiteral("ファイル\"%1\"を開けません（%2）").arg(QDir::toNativeSeparators(source), reason);
        return false;
    }
    // Whatever stands at the target, a link included, is replaced; nothing is
    // written through a link.
    AtomicFileWriter out(target, mode, LinkMode::Replace);
    if (!out.open()) {
        if (error)
            *error = QStringLiteral("ファイル\"%1\"を作成できません（%2）").arg(QDir::toNativeSeparators(target), out.reason());
        return false;
    }
    QByteArray buf(1 << 20, Qt::Uninitialized);
    for (;;) {
        errno = 0;
        const qint64 n = in.read(buf.data(), buf.size());
        if (n < 0) {
            // The reason the system gave for the read, in Japanese.
            const int why = errno != 0 ? errno : EIO;
            out.cancel();
            if (error)
                *error = QStringLiteral("ファイル\"%1\"を読み込めません（%2）").arg(QDir::toNativeSeparators(source), SystemErrorText(why));
            return false;
        }
        if (n == 0)
            break;
        if (!out.write(buf.constData(), n)) {
            if (error)
                *error = QStringLiteral("ファイル\"%1\"に書き込めません（%2）").arg(QDir::toNativeSeparators(target), out.reason());
            return false;
        }
    }
    if (!out.commit()) {
        if (error)
            *error = QStringLiteral("ファイル\"%1\"に書き込めません（%2）").arg(QDir::toNativeSeparators(target), out.reason());
        return false;
    }
    return true;
}

static bool unsafeName(const QString &outputName, QString *error)
{
    if (error)
        *error = QStringLiteral("出力時のファイル名\"%1\"は使用できません。").arg(outputName);
    return false;
}

bool MakeHtmlTemp(const ProjectDates &p, int index, QString *error)
{
    if (index < 0 || index >= p.Html.size())
        return false;
    const HtmlDat &h = p.Html.at(index);
    const QString path = TempPathFor(h.outputName());
    if (path.isEmpty())
        return unsafeName(h.outputName(), error);
    // An older text waiting to be written in the background must not land
    // after this one.
    TempWriter::SettleAll(path);
    // A preview copy is rewritten often and thrown away at exit.
    return WritePageFile(path, h.HtmlStr, error, WriteMode::Throwaway, LinkMode::Replace);
}

bool CopyPictTemp(const ProjectDates &p, int index, QString *error)
{
    if (index < 0 || index >= p.Pict.size())
        return false;
    const PictDat &d = p.Pict.at(index);
    const QString path = TempPathFor(d.outputName());
    if (path.isEmpty())
        return unsafeName(d.outputName(), error);
    return CopyFileReplacing(d.FilePath, path, error);
}

bool CopyElseTemp(const ProjectDates &p, int index, QString *error)
{
    if (index < 0 || index >= p.ElseFile.size())
        return false;
    const ElseFileDat &d = p.ElseFile.at(index);
    const QString path = TempPathFor(d.outputName());
    if (path.isEmpty())
        return unsafeName(d.outputName(), error);
    return CopyFileReplacing(d.FilePath, path, error);
}

TempCopyReport CopyAllTempReport(const ProjectDates &p)
{
    // Every item gets its copy even when an earlier one fails: one missing
    // file must not leave the rest of the preview without its files.
    TempCopyReport r;
    for (int i = 0; i < p.Html.size(); ++i) {
        QString why;
        if (!MakeHtmlTemp(p, i, &why)) {
            r.failedPages.append(i);
            r.problems.append(QStringLiteral("HTMLデータ「%1」: %2").arg(p.Html.at(i).DatName, why));
        }
    }
    for (int i = 0; i < p.Pict.size(); ++i) {
        QString why;
        if (!CopyPictTemp(p, i, &why))
            r.problems.append(QStringLiteral("画像データ「%1」: %2").arg(p.Pict.at(i).DatName, why));
    }
    for (int i = 0; i < p.ElseFile.size(); ++i) {
        QString why;
        if (!CopyElseTemp(p, i, &why))
            r.problems.append(QStringLiteral("他のファイルデータ「%1」: %2").arg(p.ElseFile.at(i).DatName, why));
    }
    return r;
}

bool CopyAllTemp(const ProjectDates &p, QString *error)
{
    const TempCopyReport r = CopyAllTempReport(p);
    if (error)
        *error = r.problems.join(u"\r\n");
    return r.ok();
}

static void removeCopy(const QString &outputName)
{
    const QString path = TempPathFor(outputName);
    if (path.isEmpty())
        return;
    // No background write may bring the copy back.
    TempWriter::SettleAll(path);
    RemoveInsideFolder(QFileInfo(path).path(), outputName);
}

void DelHtmlTemp(const ProjectDates &p, int index)
{
    if (index >= 0 && index < p.Html.size())
        removeCopy(p.Html.at(index).outputName());
}

void DelPictTemp(const ProjectDates &p, int index)
{
    if (index >= 0 && index < p.Pict.size())
        removeCopy(p.Pict.at(index).outputName());
}

void DelElseTemp(const ProjectDates &p, int index)
{
    if (index >= 0 && index < p.ElseFile.size())
        removeCopy(p.ElseFile.at(index).outputName());
}

void DelAllTemp(const ProjectDates &p)
{
    for (int i = 0; i < p.Html.size(); ++i)
        DelHtmlTemp(p, i);
    for (int i = 0; i < p.Pict.size(); ++i)
        DelPictTemp(p, i);
    for (int i = 0; i < p.ElseFile.size(); ++i)
        DelElseTemp(p, i);
}

} // namespace TempC
