// Publishing settings files: what is written reads back the same, for every
// project path and value a user may have; every truncation and a few
// thousand seeded mutations of a valid file read back cleanly or fail with a
// reason, never with a crash, a hang or half-read settings.
#include "AppPaths.h"
#include "Mutations.h"
#include "PublishSettingsFile.h"
#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <tuple>

using namespace Qt::StringLiterals;

namespace {

const PublishSettings Sample{PublishProtocol::Ftps, u"ftp.example.jp"_s, 990, u"山田"_s, u"/public_html/日記"_s,
                             false, u"/home/u/.ssh/id_ed25519"_s, false};

auto Fields(const PublishSettings &s)
{
    return std::tie(s.protocol, s.host, s.port, s.user, s.remoteFolder, s.passive, s.privateKeyFile, s.useAgent);
}

} // namespace

class TestPublishSettingsMutations : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        SetAppDir(m_dir.path());
    }

    void roundTrip()
    {
        // Characters code page 932 lacks, '%', '=', line ends and controls
        // come back as they were; empty values too.
        for (const auto &[project, value] : {std::pair{u"/home/u/사이트 😀.hpf"_s, u"ü～−%41=\r\n\t"_s},
                                             std::pair{u"/p.hpf"_s, QString()}}) {
            PublishSettings s = Sample;
            s.host += value;
            s.user += value;
            s.remoteFolder += value;
            QString error;
            QVERIFY2(WritePublishSettings(project, s, &error), qPrintable(error));
            // Code page 932 text, CR LF lines, in the per-user folder.
            const QByteArray bytes = ReadBytes(PublishSettingsPath(project));
            QVERIFY(bytes.endsWith("\r\n") && !bytes.contains("\n\n") && !bytes.contains('\t'));
            QVERIFY(PublishSettingsPath(project).startsWith(m_dir.path() + u"/PublishSettings/"_s));
            PublishSettings back;
            QVERIFY2(ReadPublishSettings(project, &back, &error), qPrintable(error));
            QVERIFY(Fields(back) == Fields(s));
            // Another project's file is not this one's.
            QVERIFY(!ReadPublishSettings(project + u"x"_s, &back, &error) && error.isEmpty());
        }
    }

    void damaged()
    {
        // Every cut, and seeded edits, of the text; nothing is half-read.
        const QString project = u"/home/u/site.hpf"_s;
        const QString text = MakePublishSettingsText(project, Sample);
        int whole = 0;
        const auto check = [&](const QString &damaged) {
            QString owner, error;
            PublishSettings s;
            s.host = u"untouched"_s;
            const bool read = ParsePublishSettingsText(damaged, &owner, &s, &error);
            whole += read;
            QVERIFY2(read ? s.port >= 0 && s.port <= 65535 : !error.isEmpty() && s.host == u"untouched"_s,
                     qPrintable(damaged));
        };
        for (qsizetype n = 0; n < text.size(); ++n)
            check(text.left(n));
        QCOMPARE(whole, 0); // a cut file is never taken for a whole one
        QRandomGenerator rng(0x9b1);
        for (int round = 0; round < 3000 && !QTest::currentTestFailed(); ++round)
            check(Mutate(text, u"=%0A9F\r\n-x1SFTPあ"_s, rng));
        QVERIFY(whole > 0 && whole < 3000);

        // Files: bytes no code page reads, one too large, a folder in its place.
        const QString path = PublishSettingsPath(project);
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        const QByteArray valid = Sjis(text);
        QString error;
        PublishSettings s;
        for (int round = 0; round < 300; ++round) {
            QVERIFY(PutBytes(path, Mutate(valid, QByteArray("\x81\xff\x00=%\r\n", 7), rng)));
            QVERIFY(ReadPublishSettings(project, &s, &error) || error.contains(QDir::toNativeSeparators(path)));
        }
        for (const QByteArray &bytes : {QByteArray(valid + QByteArray(70000, 'x')), QByteArray()}) {
            QVERIFY(bytes.isEmpty() ? QFile::remove(path) && QDir().mkpath(path) : PutBytes(path, bytes));
            QVERIFY(!ReadPublishSettings(project, &s, &error) && !error.isEmpty());
        }
    }
};

QTEST_MAIN(TestPublishSettingsMutations)
#include "tst_publishsettings_mutations.moc"
