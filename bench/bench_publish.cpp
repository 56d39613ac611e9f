// First and second publish of a site of many small files to a running server
// (bench/publish.sh starts the servers and times plain curl beside it).
//
// Usage: bench_publish sftp|ftps|ftp PORT USER REMOTE-FOLDER KEY-OR-PASSWORD SOURCE-FOLDER
// Every file of SOURCE-FOLDER becomes an "other file" of the project. The
// server's key or certificate is accepted without asking (a benchmark only).

#include "Publish.h"
#include "SyuturyokuMod.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

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
    const QStringList files = QDir(a[6]).entryList(QDir::Files, QDir::Name);
    for (const QString &f : files)
        AddElseFileDat(p, f, QFileInfo(f).completeBaseName(), a[6] + u'/' + f, u'.' + QFileInfo(f).suffix());
    QTemporaryDir data;
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
        std::printf(" (into a staging folder, not synced: %lld ms)\n", static_cast<long long>(t.elapsed()));
    }

    const auto publish = [&](const char *label) {
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
        std::printf("%s: %d files, %lld bytes sent in %lld ms (prepare %lld ms)\n", label, o.filesSent,
                    static_cast<long long>(o.bytesSent), static_cast<long long>(t.elapsed()),
                    static_cast<long long>(prepared));
        return true;
    };
    if (!publish("first publish"))
        return 1;
    QFile f(a[6] + u'/' + files.first());
    if (!f.open(QIODevice::Append) || f.write("edited") != 6)
        return 1;
    f.close();
    return publish("second publish, one file edited") ? 0 : 1;
}
