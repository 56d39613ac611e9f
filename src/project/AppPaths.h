#pragma once

#include <QString>
#include <QStringView>

// The folder that holds the program, without a trailing separator. All data
// files live below it.
QString AppDir();

// Points AppDir at another folder (tests use a temporary folder).
void SetAppDir(const QString &dir);

// AppDir followed by a path written with backslashes ("\\Tools\\WizDates\\Olz\\Basic",
// "\\temp\\"), joined with the platform's separator. A trailing backslash is kept
// as a trailing separator.
QString AppPath(QStringView backslashPath);

// Joins a folder and a name with exactly one separator between them.
QString JoinPath(const QString &folder, const QString &name);

// The path with extension (".hpf") appended when its file name has none, as
// the save dialogs do for a name typed without an extension. An empty path
// (a cancelled dialog) stays empty.
QString WithDefaultExtension(const QString &path, const QString &extension);
