// A copy of the program is killed with SIGKILL in the middle of typing; the
// next start offers its record, and restoring it gives back everything typed
// up to the last record written.
#include "AppPaths.h"
#include "OptionDate.h"
#include "ProjectFile.h"
#include "Recovery.h"
#include "SettingsFiles.h"
#include "TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString Typed = u"あいう<b>abc</b>&amp;\nえお <!--x-->"_s;

// The first n characters typed, as the page holds them.
QString typedText(int n)
{
    QString t;
    for (int i = 0; i < n; ++i) {
        const QChar c = Typed.at(i % Typed.size());
        if (c == u'\n')
            t += u"\r\n"_s;
        else
            t += c;
    }
    return t;
}

} // namespace

class TestRecoveryKill : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killedWhileTyping_data();
    void killedWhileTyping();
    void twoCopiesEndedTogetherKeepBoth();
    void signalDuringStartUpQuestion_data();
    void signalDuringStartUpQuestion();
};

void TestRecoveryKill::killedWhileTyping_data()
{
    QTest::addColumn<int>("recordsBeforeKill");
    QTest::addColumn<int>("extraMs");
    QTest::newRow("right after a record") << 2 << 0;
    QTest::newRow("between records") << 3 << 300 + int(QRandomGenerator::global()->bounded(600));
}

void TestRecoveryKill::killedWhileTyping()
{
    QFETCH(int, recordsBeforeKill);
    QFETCH(int, extraMs);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    SetAppDir(dir.path());
    QVERIFY(QDir(dir.path()).mkpath(u"temp"_s));
    EditorOptions o;
    o.RecoverySeconds = 1;
    QVERIFY(WriteOptionDate(OptionDatePath(), o));

    ProjectDates p;
    NewStartProject(p);
    AddHtmlDat(p, u"二ページ目"_s, u"page2"_s, u"<p>元からある本文</p>\r\n"_s, u".htm"_s);
    const QString project = dir.filePath(u"サイト.hpf"_s);
    QVERIFY(PutBytes(project, EncodeProjectFile(p)));

    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QStringLiteral(QV_RECOVERY_CHILD), {dir.path(), u"type"_s, project});
    QVERIFY2(child.waitForStarted(20000), qPrintable(child.errorString()));

    int records = 0;
    int lastTyped = -1;
    QString pending;
    const auto readLines = [&] {
        pending += QString::fromUtf8(child.readAllStandardOutput());
        qsizetype nl;
        while ((nl = pending.indexOf(u'\n')) >= 0) {
            const QString line = pending.left(nl);
            pending.remove(0, nl + 1);
            static const QRegularExpression written(u"^WRITTEN (\\d+)$"_s);
            const QRegularExpressionMatch m = written.match(line);
            if (m.hasMatch()) {
                ++records;
                lastTyped = std::max(lastTyped, m.captured(1).toInt());
            }
        }
    };
    QElapsedTimer clock;
    clock.start();
    while (records < recordsBeforeKill && clock.elapsed() < 90000) {
        child.waitForReadyRead(200);
        readLines();
        QVERIFY2(child.state() == QProcess::Running, "the program ended by itself");
    }
    QVERIFY2(records >= recordsBeforeKill, "no records written");
    QElapsedTimer extra;
    extra.start();
    while (extra.elapsed() < extraMs) {
        child.waitForReadyRead(50);
        readLines();
    }
    child.kill(); // SIGKILL
    QVERIFY(child.waitForFinished(20000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    readLines(); // what it said before it died
    QVERIFY(lastTyped > 0);

    // The record and the lock of the killed copy are still there.
    QVERIFY(QFileInfo::exists(JoinPath(RecoveryFolder(), u"Recovery1.hpf"_s)));

    QProcess restore;
    restore.setProcessChannelMode(QProcess::ForwardedChannels);
    restore.start(QStringLiteral(QV_RECOVERY_CHILD), {dir.path(), u"restore"_s});
    QVERIFY(restore.waitForFinished(60000));
    QCOMPARE(restore.exitCode(), 0);
    const QString out = QString::fromUtf8(ReadBytes(dir.filePath(u"restored.txt"_s)));
    QStringList lines = out.split(u'\n');
    QVERIFY(lines.size() >= 5);
    QCOMPARE(lines.at(0), u"1"_s); // one question
    QCOMPARE(lines.at(1), u"changed"_s);
    QCOMPARE(lines.at(2), u"1"_s);
    QCOMPARE(lines.at(3), project);
    const QString page = lines.mid(4).join(u'\n');
    const QString original = p.Html[1].HtmlStr;
    QVERIFY2(page.endsWith(original), qPrintable(page.right(200)));
    const QString typedPart = page.left(page.size() - original.size());
    // Everything typed up to the last record written, in order, and nothing
    // that was not typed.
    const QString upToLast = typedText(lastTyped);
    QVERIFY2(typedPart.startsWith(upToLast),
             qPrintable(u"%1 characters recorded, restored \"%2\""_s.arg(lastTyped).arg(typedPart.right(80))));
    qInfo("%d records seen, the last of %d characters; %lld characters restored", records, lastTyped,
          qlonglong(typedPart.size()));
    bool isTyped = false;
    for (int n = lastTyped; n <= 4000 && !isTyped; ++n)
        isTyped = typedText(n) == typedPart;
    QVERIFY2(isTyped, qPrintable(typedPart.right(80)));
}

namespace {

// Starts a copy of the program and waits until it says word.
bool startAndWaitFor(QProcess &child, const QStringList &args, const QByteArray &word)
{
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QStringLiteral(QV_RECOVERY_CHILD), args);
    QByteArray out;
    while (!out.contains(word) && child.waitForReadyRead(60000))
        out += child.readAllStandardOutput();
    return out.contains(word);
}

// True when the program ends normally (after SIGTERM, as at logout).
bool endsNormally(QProcess &child)
{
    return child.waitForFinished(30000) && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
}

void prepareAppDir(QTemporaryDir &dir)
{
    QVERIFY(dir.isValid());
    SetAppDir(dir.path());
    QVERIFY(QDir(dir.path()).mkpath(u"temp"_s));
}

} // namespace

// Logout ends every copy at once: each keeps its unsaved work, one in the
// work-in-progress backup, the other in its record, offered at the next start.
void TestRecoveryKill::twoCopiesEndedTogetherKeepBoth()
{
    QTemporaryDir dir;
    prepareAppDir(dir);
    QProcess copies[2];
    const QString typed[2] = {u"firstcopy"_s, u"secondcopy"_s};
    for (int i = 0; i < 2; ++i)
        QVERIFY(startAndWaitFor(copies[i], {dir.path(), u"term"_s, typed[i]}, "READY"));
    copies[0].terminate();
    copies[1].terminate();
    QVERIFY(endsNormally(copies[0]) & endsNormally(copies[1]));
    ProjectDates backup;
    QCOMPARE(LoadProjectFile(WrBackUpPath(), backup), qint16(LoadOk));
    const int inBackup = backup.Html[0].HtmlStr.startsWith(typed[0]) ? 0 : 1;
    QVERIFY(backup.Html[0].HtmlStr.startsWith(typed[inBackup]));
    QCOMPARE(QDir(RecoveryFolder()).entryList({u"Recovery*.hpf"_s}).size(), 1);
    QProcess restore;
    restore.start(QStringLiteral(QV_RECOVERY_CHILD), {dir.path(), u"restore"_s});
    QVERIFY(restore.waitForFinished(60000));
    QVERIFY(ReadBytes(dir.filePath(u"restored.txt"_s)).contains(typed[1 - inBackup].toUtf8()));
}

void TestRecoveryKill::signalDuringStartUpQuestion_data()
{
    QTest::addColumn<QByteArray>("backup");
    QTest::addColumn<QString>("keptAs"); // where the backup is afterwards
    QTest::newRow("recovery question") << QByteArray("$HtmlProjectFile$,0,a,a,.htm,b\r\n") << u"WrBackUp.dat"_s;
    QTest::newRow("backup damaged message") << QByteArray("$HtmlProjectFile$,3,cut") << u"WrBackUp.broken.dat"_s;
}

// SIGTERM while a start-up question is on the screen ends the program, and
// what the question was about stays as it was, offered again next time.
void TestRecoveryKill::signalDuringStartUpQuestion()
{
    QFETCH(QByteArray, backup);
    QFETCH(QString, keptAs);
    QTemporaryDir dir;
    prepareAppDir(dir);
    ProjectDates p;
    NewStartProject(p);
    const QByteArray record = EncodeRecoveryFile(p);
    const QString recordPath = JoinPath(RecoveryFolder(), u"Recovery1.hpf"_s);
    QVERIFY(QDir().mkpath(RecoveryFolder()));
    if (keptAs == u"WrBackUp.dat")
        QVERIFY(PutBytes(recordPath, record));
    QVERIFY(PutBytes(WrBackUpPath(), backup));
    QProcess child;
    QVERIFY(startAndWaitFor(child, {dir.path(), u"ask"_s}, "ASKING"));
    child.terminate();
    QVERIFY(endsNormally(child));
    QCOMPARE(ReadBytes(dir.filePath(keptAs)), backup);
    QCOMPARE(ReadBytes(recordPath), keptAs == u"WrBackUp.dat" ? record : QByteArray("UNREADABLE"));
    QVERIFY(QDir(RecoveryFolder()).entryList({u"Recovered-*"_s}).isEmpty());
}

QTEST_GUILESS_MAIN(TestRecoveryKill)
#include "tst_recoverykill.moc"
