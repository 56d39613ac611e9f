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

namespace {

// Starts a copy of the program and waits until it says word.
bool startAndWaitFor(QProcess &child, const QStringList &args, const QByteArray &word)
{
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QStringLiteral(QV_RECOVERY_CHILD), args);
    if (!child.waitForStarted(20000))
        return false;
    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    while (!out.contains(word) && child.state() == QProcess::Running && clock.elapsed() < 60000) {
        child.waitForReadyRead(200);
        out += child.readAllStandardOutput();
    }
    return out.contains(word);
}

// Sends SIGTERM and waits for a normal end.
bool endsNormally(QProcess &child)
{
    return child.waitForFinished(30000) && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
}

// The work a start offers and restores, as the restoring copy wrote it.
QString restoredPage(const QString &dir)
{
    QProcess restore;
    restore.setProcessChannelMode(QProcess::ForwardedChannels);
    restore.start(QStringLiteral(QV_RECOVERY_CHILD), {dir, u"restore"_s});
    if (!restore.waitForFinished(60000) || restore.exitCode() != 0)
        return u"(no restore)"_s;
    return QString::fromUtf8(ReadBytes(JoinPath(dir, u"restored.txt"_s)));
}

} // namespace

// Logout ends every copy of the program at once: each keeps its unsaved work,
// one in the work-in-progress backup, the other in its recovery record.
void TestRecoveryKill::twoCopiesEndedTogetherKeepBoth()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    SetAppDir(dir.path());
    QVERIFY(QDir(dir.path()).mkpath(u"temp"_s));
    QProcess first;
    QProcess second;
    QVERIFY(startAndWaitFor(first, {dir.path(), u"term"_s, u"firstcopy"_s}, "READY"));
    QVERIFY(startAndWaitFor(second, {dir.path(), u"term"_s, u"secondcopy"_s}, "READY"));
    first.terminate(); // SIGTERM, as at logout
    second.terminate();
    QVERIFY(endsNormally(first));
    QVERIFY(endsNormally(second));

    ProjectDates backup;
    QCOMPARE(LoadProjectFile(WrBackUpPath(), backup), qint16(LoadOk));
    const QString inBackup = backup.Html.value(0).HtmlStr;
    const bool firstInBackup = inBackup.startsWith(u"firstcopy"_s);
    QVERIFY2(firstInBackup || inBackup.startsWith(u"secondcopy"_s), qPrintable(inBackup.left(40)));
    // The other copy's work waits in its record and is offered at the next start.
    const QStringList records = QDir(RecoveryFolder()).entryList({u"Recovery*.hpf"_s});
    QCOMPARE(records.size(), 1);
    const QString restored = restoredPage(dir.path());
    QVERIFY2(restored.contains(firstInBackup ? u"secondcopy"_s : u"firstcopy"_s), qPrintable(restored));
}

void TestRecoveryKill::signalDuringStartUpQuestion_data()
{
    QTest::addColumn<bool>("record");
    QTest::addColumn<bool>("damagedBackup");
    QTest::newRow("recovery question") << true << false;
    QTest::newRow("backup damaged message") << false << true;
}

// SIGTERM while a start-up question is on the screen ends the program, and
// whatever the question was about stays as it was.
void TestRecoveryKill::signalDuringStartUpQuestion()
{
    QFETCH(bool, record);
    QFETCH(bool, damagedBackup);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    SetAppDir(dir.path());
    QVERIFY(QDir(dir.path()).mkpath(u"temp"_s));
    ProjectDates p;
    NewStartProject(p);
    p.Html[0].HtmlStr = u"書きかけの作業"_s;
    const QByteArray recordBytes = EncodeRecoveryFile(p);
    const QString recordPath = JoinPath(RecoveryFolder(), u"Recovery1.hpf"_s);
    if (record) {
        QVERIFY(QDir().mkpath(RecoveryFolder()));
        QVERIFY(PutBytes(recordPath, recordBytes));
    }
    const QByteArray backupBytes = damagedBackup ? QByteArray("$HtmlProjectFile$,3,cut") : EncodeProjectFile(p);
    QVERIFY(PutBytes(WrBackUpPath(), backupBytes));

    QProcess child;
    QVERIFY(startAndWaitFor(child, {dir.path(), u"ask"_s}, "ASKING"));
    child.terminate();
    QVERIFY(endsNormally(child));
    if (record) {
        // Not answered: offered again next time; the backup waits behind it.
        QCOMPARE(ReadBytes(recordPath), recordBytes);
        QVERIFY(QDir(RecoveryFolder()).entryList({u"Recovered-*"_s}).isEmpty());
        QCOMPARE(ReadBytes(WrBackUpPath()), backupBytes);
    } else {
        QCOMPARE(ReadBytes(AppPath(u"\\WrBackUp.broken.dat")), backupBytes);
    }
}

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

QTEST_GUILESS_MAIN(TestRecoveryKill)
#include "tst_recoverykill.moc"
