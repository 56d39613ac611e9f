#pragma once

#include "ProjectDates.h"

#include <QString>

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

// Write every page, then copy every picture, then every other file. Stops at
// the first page or other file that fails (false); a picture that cannot be
// copied is passed over.
bool CopyAllTemp(const ProjectDates &p, QString *error = nullptr);

bool MakeHtmlTemp(const ProjectDates &p, int index, QString *error = nullptr);
// A picture that cannot be copied leaves no copy; false then.
bool CopyPictTemp(const ProjectDates &p, int index);
bool CopyElseTemp(const ProjectDates &p, int index, QString *error = nullptr);

void DelAllTemp(const ProjectDates &p);
void DelHtmlTemp(const ProjectDates &p, int index);
void DelPictTemp(const ProjectDates &p, int index);
void DelElseTemp(const ProjectDates &p, int index);

// Copies a file over target, replacing it only once the copy is complete.
bool CopyFileReplacing(const QString &source, const QString &target, QString *error = nullptr);

} // namespace TempC
