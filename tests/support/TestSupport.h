#pragma once

#include <QByteArray>
#include <QString>

// Small helpers shared by the test suites.

// The bytes of a file; "UNREADABLE" when it cannot be read.
QByteArray ReadBytes(const QString &path);

// Writes bytes to a file (replacing it); false on failure.
bool PutBytes(const QString &path, const QByteArray &bytes);

// A text in code page 932; "NOT ENCODABLE" when a character has no code.
QByteArray Sjis(const QString &text);

// Makes folder the home of the test process: HOME and the XDG data, config
// and cache folders all point inside it (created), so that nothing the
// program does there (the trash, per-user files) depends on or reaches the
// runner's own home. False when a folder cannot be made.
bool UseHomeInside(const QString &folder);
