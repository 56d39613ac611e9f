#pragma once

#include "Publish.h"

#include <QString>

// Where and how each project is published, kept in a small file of its own
// in the per-user data folder: PublishSettings/<key>.dat, the key made from
// the project file's path, so that the project file itself stays as it was.
// Code page 932 text with CR LF, one "Name=value" a line; a value's '%',
// control characters and characters code page 932 cannot carry exactly are
// written as %XX of their UTF-8 bytes. The password is never part of it.

// The settings file of the project saved at projectPath.
QString PublishSettingsPath(const QString &projectPath);

// The file's text, and the reverse. Parsing fails (false, *error in
// Japanese) on anything but a whole, well-formed file; *projectPath is the
// path the file was written for.
QString MakePublishSettingsText(const QString &projectPath, const PublishSettings &s);
bool ParsePublishSettingsText(const QString &text, QString *projectPath, PublishSettings *s, QString *error);

// The project's settings. Without a file: false with *error empty. A file
// that cannot be read or is damaged, or that belongs to another path: false
// with *error naming it and the fault.
bool ReadPublishSettings(const QString &projectPath, PublishSettings *s, QString *error);
bool WritePublishSettings(const QString &projectPath, const PublishSettings &s, QString *error);

// The protocol's word in the file and in the windows: "SFTP", "FTPS", "FTP".
QString PublishProtocolName(PublishProtocol protocol);
