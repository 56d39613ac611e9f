#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

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

// Runs work in a child process, as the user nobody when asNobody (so that
// root sees what an ordinary user sees). 0 when work returned true, 1 when
// false, 77 when the child could not become nobody, -1 when it was killed.
int InChild(const std::function<bool()> &work, bool asNobody = false);

// A free port on 127.0.0.1 (port 0), or whether port takes a connection there.
int LoopbackPort(int port);
