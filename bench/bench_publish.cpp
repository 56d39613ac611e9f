// First and second publish of a site of many files to a running server
// (bench/publish.sh and bench/publish_goals.sh start the servers and time
// plain curl and OpenSSH's sftp beside it). The second publish follows an edit
// of the project's one page; a third prepare on the unchanged site gives the
// cost of connecting and listing (prepare minus staging).
//
// Usage: bench_publish sftp|ftps|ftp PORT USER REMOTE-FOLDER KEY-OR-PASSWORD SOURCE-FOLDER
// Every file of SOURCE-FOLDER becomes an "other file" of the project, beside
// one small page. The
// server's key or certificate is accepted without asking (a benchmark only).

#include "Publish.h"
#include "SyuturyokuMod.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <openssl/evp.h>

#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() != 7) {
        std::fprintf(stderr, "usage: bench_publish sftp|ftps|ftp PORT USER FOLDER KEY-OR-PASSWORD SOURCE\n");
        return 2;
    }
    PublishSettings s;
    s.protocol = a[1] == u"sftp" ? PublishProtocol::Sftp : a[1] == u"ftps" ? PublishProtocol::Ftps : PublishProtocol::Ftp;
    s.host = QStringLiteral("127.0.0.1");
    s.port = a[2].toInt();
    s.user = a[3];
    s.remoteFolder = a[4];
    s.useAgent = false;
    QString password = a[5];
    if (s.protocol == PublishProtocol::Sftp) {
        s.privateKeyFile = a[5];
        password.clear();
    }
    ProjectDates p;
    AddHtmlDat(p, u"Index"_s, u"index"_s, u"<html><body><p>first</p></body></html>"_s, u".htm"_s);
    const QStringList files = QDir(a[6]).entryList(QDir::Files, QDir::Name);
    for (const QString &f : files)
        AddElseFileDat(p, f, QFileInfo(f).completeBaseName(), a[6] + u'/' + f, u'.' + QFileInfo(f).suffix());
    QTemporaryDir data;
    qint64 stagingMs = 0;
    {
        // The output alone, which every publish does first into its staging folder.
        QTemporaryDir out;
        QElapsedTimer t;
        t.start();
        SyuturyokuAllInto(p, out.path());
        std::printf("output alone: %lld ms", static_cast<long long>(t.elapsed()));
        QTemporaryDir staging;
        t.restart();
        SyuturyokuOptions throwaway;
        throwaway.writeMode = WriteMode::Throwaway;
        SyuturyokuAllInto(p, staging.path(), throwaway);
        // And hashed (by OpenSSL, as prepare does) before it connects.
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int length = 0;
        for (const QString &name : QDir(staging.path()).entryList(QDir::Files)) {
            QFile in(staging.filePath(name));
            if (in.open(QIODevice::ReadOnly)) {
                const QByteArray bytes = in.readAll();
                EVP_Digest(bytes.constData(), size_t(bytes.size()), digest, &length, EVP_sha256(), nullptr);
            }
        }
        stagingMs = t.elapsed();
        std::printf(" (into a staging folder, not synced, and hashed: %lld ms)\n", static_cast<long long>(stagingMs));
    }

    const auto publish = [&](const char *label, const char *key, int expectSent) {
        QElapsedTimer t;
        t.start();
        PublishRun run(s, password, data.path());
        PublishOutcome o = run.prepare(p);
        if (o.trustAsked && run.acceptTrust(o.question)) {
            t.restart(); // the question is not part of the time
            o = run.prepare(p);
        }
        const qint64 prepared = t.elapsed();
        if (o.ok)
            o = run.send(false);
        if (!o.ok) {
            std::fprintf(stderr, "%s\n", o.message.toUtf8().constData());
            return false;
        }
        const qint64 total = t.elapsed();
        std::printf("%s: %d files, %lld bytes sent in %lld ms (prepare %lld ms)\n", label, o.filesSent,
                    static_cast<long long>(o.bytesSent), static_cast<long long>(total),
                    static_cast<long long>(prepared));
        std::printf("RESULT %s_ms %lld\nRESULT %s_prepare_ms %lld\nRESULT %s_files %d\n", key,
                    static_cast<long long>(total), key, static_cast<long long>(prepared), key, o.filesSent);
        if (expectSent >= 0 && o.filesSent != expectSent) {
            std::fprintf(stderr, "%s: %d files sent, %d expected\n", label, o.filesSent, expectSent);
            return false;
        }
        return true;
    };
    if (!publish("first publish", "first", int(files.size()) + 1))
        return 1;
    p.Html[0].HtmlStr = u"<html><body><p>edited</p></body></html>"_s;
    if (!publish("second publish, one page edited", "second", 1))
        return 1;
    // Nothing changed: prepare alone is staging plus connecting and listing.
    QElapsedTimer t;
    t.start();
    PublishRun run(s, password, data.path());
    const PublishOutcome o = run.prepare(p);
    const qint64 prepared = t.elapsed();
    if (!o.ok || !run.plan().toSend.isEmpty()) {
        std::fprintf(stderr, "unchanged site: %s, %d to send\n", o.message.toUtf8().constData(),
                     int(run.plan().toSend.size()));
        return 1;
    }
    std::printf("unchanged site: prepare %lld ms, of which connecting and listing about %lld ms\n",
                static_cast<long long>(prepared), static_cast<long long>(prepared - stagingMs));
    std::printf("RESULT staging_ms %lld\nRESULT unchanged_prepare_ms %lld\nRESULT connect_list_ms %lld\n",
                static_cast<long long>(stagingMs), static_cast<long long>(prepared),
                static_cast<long long>(prepared - stagingMs));
    return 0;
}
