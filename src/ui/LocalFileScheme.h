#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <QWebEngineUrlSchemeHandler>

class QWebEngineProfile;

// The embedded browser reads local files through a URL scheme of the
// program's own, so that the program, not the browser's guess, says how a
// page is decoded: a page without a charset declaration is sent as Shift_JIS
// (the code page the program writes pages in), a page with one as it
// declares. Relative links and pictures resolve within the same scheme, so a
// folder of pages and copies works as it does from disk.
//
// Only files below a folder the program showed a file from are served.
namespace LocalFileScheme {

// The scheme's name.
QByteArray Name();

// Registers the scheme with the browser engine. Runs by itself when the
// application object is created (the engine accepts schemes only before it
// starts); calling it again does nothing.
void Register();

// The URL under which the browser is given a local file, and back. A URL of
// another scheme gives an empty path.
QUrl UrlForFile(const QString &path);
QString FileForUrl(const QUrl &url);

// Lets the scheme serve files of the folder that holds path, and below it.
void AllowFolderOf(const QString &path);

// The content type a file is served with, decided from its name and the
// first bytes (head) of its content.
QByteArray ContentType(const QString &path, const QByteArray &head);

// Installs the handler on a browser profile once.
void InstallOn(QWebEngineProfile *profile);

} // namespace LocalFileScheme

// Answers the scheme's requests from the file system.
class LocalFileSchemeHandler : public QWebEngineUrlSchemeHandler
{
    Q_OBJECT

public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
    void requestStarted(QWebEngineUrlRequestJob *job) override;
};
