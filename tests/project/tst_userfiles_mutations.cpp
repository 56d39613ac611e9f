// Damaged files of the user's own stores: every truncation and a few thousand
// seeded mutations of OptionDate.dat and of a recovery record's lock file.
// None may crash or hang. The options read stay within their limits and write
// back to a line that reads to the same options. A lock file, whatever it
// holds, never costs the record beside it: the record is neither removed nor
// changed, nothing but that record is offered (and it reads whole), and the
// program takes another slot for its own work.
#include "OptionDate.h"
#include "Recovery.h"
#include "Mutations.h"
#include "TestSupport.h"

#include <QDir>
#include <QLockFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString OptionLine = u"False,45.5"_s;

void CheckOptions(const QString &text)
{
    const EditorOptions o = ParseOptionDateText(text);
    QVERIFY2(o.RecoverySeconds >= EditorOptions::MinRecoverySeconds
                 && o.RecoverySeconds <= EditorOptions::MaxRecoverySeconds,
             qPrintable(text));
    const QString line = MakeOptionDateText(o);
    const EditorOptions again = ParseOptionDateText(line);
    QCOMPARE(again.HtmlIroWake, o.HtmlIroWake);
    QCOMPARE(MakeOptionDateText(again), line);
}

// One record beside a lock file of the given bytes, looked at as the program
// looks at the recovery folder when it starts.
void CheckLock(const QString &folder, const QByteArray &record, const QByteArray &lock)
{
    RecoveryStore store(folder);
    QVERIFY(PutBytes(store.recordPath(1), record));
    QVERIFY(PutBytes(store.lockPath(1), lock));
    const QList<RecoveryStore::Orphan> orphans = store.claimOrphans();
    QVERIFY(orphans.size() <= 1);
    for (const RecoveryStore::Orphan &o : orphans) {
        QCOMPARE(o.slot, 1);
        QCOMPARE(ReadRecoveryFile(o.path).code, qint16(0));
        store.release(o.slot);
    }
    QVERIFY(store.takeFreeSlot());
    QVERIFY(store.ownSlot() != 1);
    store.close();
    QCOMPARE(ReadBytes(store.recordPath(1)), record);
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        QVERIFY(QFile::remove(QDir(folder).filePath(name)));
}

} // namespace

class TestUserFilesMutations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void optionDate()
    {
        for (qsizetype n = 0; n <= OptionLine.size(); ++n)
            CheckOptions(OptionLine.left(n));
        QCOMPARE(ParseOptionDateText(OptionLine).RecoverySeconds, 45.5);
        // With characters an undecodable byte or another code page reads as.
        const QString alphabet = u",,,-.0123456789eE\r\n TrueFalsnai\t\uFFFD日"_s;
        QRandomGenerator rng(0x0d47);
        for (int round = 0; round < 3000 && !QTest::currentTestFailed(); ++round)
            CheckOptions(Mutate(OptionLine, alphabet, rng));
    }

    void recoveryLockFiles()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        ProjectDates p;
        NewStartProject(p);
        p.ProjectPath = u"/home/user/site.hpf"_s;
        p.Html[0].HtmlStr += u"\r\n<p>書きかけ</p>"_s;
        const QByteArray record = EncodeRecoveryFile(p);

        // A lock as this running program writes it, and one naming a process
        // that is gone.
        QByteArray live;
        {
            QLockFile lock(dir.filePath(u"sample.lock"_s));
            QVERIFY(lock.tryLock(0));
            live = ReadBytes(dir.filePath(u"sample.lock"_s));
        }
        QVERIFY(live.startsWith(QByteArray(QByteArray::number(QCoreApplication::applicationPid()) + '\n')));
        QByteArray gone = live;
        gone.replace(0, live.indexOf('\n'), "99999999");
        const QByteArray alphabet("0123456789\n\n -x\0\xFF", 17);

        QRandomGenerator rng(0x10c6);
        for (const QByteArray &sample : {live, gone}) {
            for (qsizetype n = 0; n <= sample.size() && !QTest::currentTestFailed(); ++n)
                CheckLock(dir.path(), record, sample.left(n));
            for (int round = 0; round < 300 && !QTest::currentTestFailed(); ++round)
                CheckLock(dir.path(), record, Mutate(sample, alphabet, rng));
        }
    }
};

QTEST_GUILESS_MAIN(TestUserFilesMutations)
#include "tst_userfiles_mutations.moc"
