#pragma once

#include "ProjectDates.h"
#include "TextFiles.h"

#include <QString>
#include <QStringList>
#include <QVector>

// The temporary copy folder AppDir/temp/ mirrors the open project as real files
// for the preview: pages written as page files, pictures and other files
// copied under their output names.
namespace TempC {

// AppDir/temp, created when missing. Empty when it cannot be created.
QString TempFolder();

// The copy's path for an output name; empty when the name would leave the
// temporary folder (a path separator, "..", an absolute path) or is empty.
QString TempPathFor(const QString &outputName);

// True when an output name stays inside its folder when joined to it.
bool IsSafeOutputName(const QString &outputName);

// What a bulk copy did not manage.
struct TempCopyReport
{
    QStringList problems;   // one line per item that got no copy, naming the item and why
    QVector<int> failedPages; // indices of pages whose copy was not written
    bool ok() const { return problems.isEmpty(); }
};

// Write every page, then copy every picture, then every other file. An item
// that fails is listed and the copy goes on with the next one.
TempCopyReport CopyAllTempReport(const ProjectDates &p);
// The same; false when any item failed, *error listing them line by line.
bool CopyAllTemp(const ProjectDates &p, QString *error = nullptr);

bool MakeHtmlTemp(const ProjectDates &p, int index, QString *error = nullptr);
// A picture that cannot be copied leaves no copy; false then.
bool CopyPictTemp(const ProjectDates &p, int index, QString *error = nullptr);
bool CopyElseTemp(const ProjectDates &p, int index, QString *error = nullptr);

void DelAllTemp(const ProjectDates &p);
void DelHtmlTemp(const ProjectDates &p, int index);
void DelPictTemp(const ProjectDates &p, int index);
void DelElseTemp(const ProjectDates &p, int index);

// Copies a regular file over target, replacing it (or a link standing there)
// only once the copy is complete. A source that is not a regular file (a FIFO,
// a device, a folder) is refused.
bool CopyFileReplacing(const QString &source, const QString &target, QString *error = nullptr,
                       WriteMode mode = WriteMode::Durable);

} // namespace TempC
