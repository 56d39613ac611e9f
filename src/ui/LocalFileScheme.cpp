#include "LocalFileScheme.h"

#include "PageEncoding.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QStringList>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

using namespace Qt::StringLiterals;

namespace {

// How much of a page is looked at for its charset declaration.
constexpr qint64 HeadBytes = 64 * 1024;

const QString Host = u"local"_s;

QStringList &allowedFolders()
{
    static QStringList folders;
    return folders;
}

// The real path of an existing file or folder, without links; empty when
// it does not exist.
QString realPath(const QString &path)
{
    return QFileInfo(path).canonicalFilePath();
}

bool isAllowed(const QString &realFile)
{
    for (const QString &folder : allowedFolders()) {
        if (realFile.startsWith(folder) && realFile.size() > folder.size()
            && (folder.endsWith(u'/') || realFile.at(folder.size()) == u'/'))
            return true;
    }
    return false;
}

bool isPageName(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == u"htm" || suffix == u"html" || suffix == u"shtml" || suffix == u"shtm";
}

void registerAtStartup()
{
    LocalFileScheme::Register();
}

} // namespace

// The browser engine takes new schemes only before it starts; the
// application object is created before any browser.
Q_COREAPP_STARTUP_FUNCTION(registerAtStartup)

namespace LocalFileScheme {

QByteArray Name()
{
    return QByteArrayLiteral("quorvel-file");
}

void Register()
{
    if (!QWebEngineUrlScheme::schemeByName(Name()).name().isEmpty())
        return;
    QWebEngineUrlScheme scheme(Name());
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    scheme.setDefaultPort(QWebEngineUrlScheme::PortUnspecified);
    // Local like file: pages on the network cannot reach it, and its pages
    // may still use file: links and pictures.
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::LocalScheme
                    | QWebEngineUrlScheme::LocalAccessAllowed);
    QWebEngineUrlScheme::registerScheme(scheme);
}

QUrl UrlForFile(const QString &path)
{
    QUrl url;
    url.setScheme(QString::fromLatin1(Name()));
    url.setHost(Host);
    // Decoded: "%", "#" and "?" in a file name are part of the name.
    url.setPath(QDir::fromNativeSeparators(QFileInfo(path).absoluteFilePath()), QUrl::DecodedMode);
    return url;
}

QString FileForUrl(const QUrl &url)
{
    if (url.scheme() != QLatin1String(Name()))
        return QString();
    return QDir::cleanPath(url.path(QUrl::FullyDecoded));
}

void AllowFolderOf(const QString &path)
{
    const QString folder = realPath(QFileInfo(path).absolutePath());
    if (!folder.isEmpty() && !allowedFolders().contains(folder))
        allowedFolders().append(folder);
}

QByteArray ContentType(const QString &path, const QByteArray &head)
{
    if (isPageName(path)) {
        // A byte-order mark or a declaration decides; otherwise the code page
        // the program writes pages in, never the browser's guess.
        const bool bom = head.startsWith("\xEF\xBB\xBF") || head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF");
        if (bom || !DeclaredCharsetName(QString::fromLatin1(head)).isEmpty())
            return QByteArrayLiteral("text/html");
        return QByteArrayLiteral("text/html; charset=Shift_JIS");
    }
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault())
        return QByteArrayLiteral("application/octet-stream");
    return type.name().toLatin1();
}

void InstallOn(QWebEngineProfile *profile)
{
    if (!profile || profile->urlSchemeHandler(Name()))
        return;
    profile->installUrlSchemeHandler(Name(), new LocalFileSchemeHandler(profile));
}

} // namespace LocalFileScheme

void LocalFileSchemeHandler::requestStarted(QWebEngineUrlRequestJob *job)
{
    if (job->requestMethod() != "GET") {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    const QString path = LocalFileScheme::FileForUrl(job->requestUrl());
    const QString real = realPath(path);
    if (real.isEmpty() || !QFileInfo(real).isFile()) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    if (!isAllowed(real)) {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    auto *file = new QFile(real);
    if (!file->open(QIODevice::ReadOnly)) {
        delete file;
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    const QByteArray type = LocalFileScheme::ContentType(real, file->peek(HeadBytes));
    // The browser reads the file on its own thread until the job ends.
    connect(job, &QObject::destroyed, file, &QObject::deleteLater);
    job->reply(type, file);
}
