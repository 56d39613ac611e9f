// Crash recovery in the main window: the offer at start (before the
// work-in-progress backup), restoring, keeping aside, and when records are
// written and removed.
#include "AppPaths.h"
#include "MainForm.h"
#include "OptionDate.h"
#include "PageEditor.h"
#include "ProjectFile.h"
#include "RecordingUi.h"
#include "Recovery.h"
#include "RecoveryCommands.h"
#include "SettingsFiles.h"
#include "FileSystemLimits.h"
#include "TestSupport.h"
#include "Twips.h"
#include "WidgetTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QLockFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

QString Title(const QString &path, const QString &page)
{
    return u"HTMLプロジェクトエディタ 『ミルト』 - ["_s + path + u"] - ["_s + page + u"]"_s;
}

bool SameTables(const ProjectDates &a, const ProjectDates &b)
{
    return a.Html == b.Html && a.Pict == b.Pict && a.ElseFile == b.ElseFile && a.SioriList == b.SioriList
           && a.SyuturyokuFolder == b.SyuturyokuFolder;
}

} // namespace

class TestCrashRecovery : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    // At start
    void nothingLeftNothingAsked();
    void yesRestoresAsUnsavedWork();
    void noKeepsTheRecordAside();
    void escapeOnTheQuestionKeepsTheRecord();
    void enterOnTheQuestionRestores();
    void offeredBeforeTheBackupWhichStays();
    void noThenTheBackupIsResumed();
    void damagedRecordKeptAside();
    void runningCopysRecordNotOffered();
    void twoRecordsOneRestoredOtherWaits();

    // While running
    void unchangedProjectNoRecord();
    void pageSwitchWritesRecord();
    void recordEveryFewSeconds();
    void saveRemovesRecord();
    void newProjectRemovesRecord();
    void exitRemovesRecord();
    void exitKeepingWorkRemovesRecordKeepsBackup();
    void writeFailureShownOnce();
    void folderThatCannotBeWrittenSaidOnce_data();
    void folderThatCannotBeWrittenSaidOnce();

private:
    void start();
    RecoveryCommands *commands() const { return m_form->findChild<RecoveryCommands *>(); }
    QString recordPath(int slot) const
    {
        return JoinPath(RecoveryFolder(), u"Recovery%1.hpf"_s.arg(slot));
    }
    // A record left by a copy that is gone.
    QString plantRecord(const ProjectDates &p, int slot = 1);
    ProjectDates sampleProject() const;
    // The record this copy wrote, once the writer is done.
    RecoveryContents ownRecord();
    void type(const QString &text) { TypeText(m_form->ui().MainText, text); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RecordingUi> m_rec;
    std::unique_ptr<MainForm> m_form;
};

void TestCrashRecovery::initTestCase()
{
    SetTwipsDpiForTesting(96);
    qApp->setQuitOnLastWindowClosed(false);
}

void TestCrashRecovery::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    SetAppDir(m_dir->path());
    QVERIFY(QDir(m_dir->path()).mkpath(u"temp"_s));
    m_rec = std::make_unique<RecordingUi>();
}

void TestCrashRecovery::cleanup()
{
    m_form.reset();
    m_rec.reset();
    m_dir.reset();
}

void TestCrashRecovery::start()
{
    m_form.reset();
    m_form = std::make_unique<MainForm>();
    m_form->startUp();
}

QString TestCrashRecovery::plantRecord(const ProjectDates &p, int slot)
{
    QDir().mkpath(RecoveryFolder());
    const QString path = recordPath(slot);
    if (!PutBytes(path, EncodeRecoveryFile(p)))
        return QString();
    return path;
}

ProjectDates TestCrashRecovery::sampleProject() const
{
    ProjectDates p;
    NewStartProject(p);
    p.Html[0].DatName = u"表紙"_s;
    p.Html[0].HtmlStr = u"<html>\r\n<body>表紙のページ</body>\r\n</html>"_s;
    AddHtmlDat(p, u"二ページ目"_s, u"page2"_s, u"<p>書きかけの二ページ目</p>"_s, u".htm"_s);
    p.SioriList = {u"目次"_s};
    p.SyuturyokuFolder = m_dir->filePath(u"out"_s);
    p.ProjectPath = m_dir->filePath(u"サイト.hpf"_s);
    p.NowHtml = 1;
    return p;
}

RecoveryContents TestCrashRecovery::ownRecord()
{
    commands()->writer().waitForDone();
    return ReadRecoveryFile(commands()->recordPath());
}

// --- At start ---

void TestCrashRecovery::nothingLeftNothingAsked()
{
    start();
    QVERIFY(m_rec->shown.isEmpty());
    QCOMPARE(commands()->recordPath(), recordPath(1));
    QVERIFY(QFileInfo::exists(JoinPath(RecoveryFolder(), u"Recovery1.lock"_s)));
    QVERIFY(!QFileInfo::exists(recordPath(1)));
}

void TestCrashRecovery::yesRestoresAsUnsavedWork()
{
    const ProjectDates left = sampleProject();
    const QString record = plantRecord(left);
    const RecoveryContents before = ReadRecoveryFile(record);
    RecoveryStore names(RecoveryFolder());
    const QString question = RecoveryCommands::OfferText(before, names.asideName(1), false);
    m_rec->yesNoAnswers.enqueue(true);
    start();

    QCOMPARE(m_rec->messages(), QStringList{question});
    QCOMPARE(m_rec->shown.at(0).kind, u"question"_s);
    QVERIFY(question.contains(QDir::toNativeSeparators(left.ProjectPath)));
    QVERIFY(question.contains(u"二ページ目"_s));
    ProjectDates &p = m_form->project();
    QVERIFY(SameTables(p, left));
    QCOMPARE(p.ProjectPath, left.ProjectPath);
    QVERIFY(p.Henkou);
    QCOMPARE(p.NowHtml, qint16(1));
    QCOMPARE(m_form->ui().DatList->currentRow(), 1);
    QCOMPARE(m_form->ui().MainText->htmlText(), left.Html[1].HtmlStr);
    QCOMPARE(m_form->windowTitle(), Title(left.ProjectPath, u"二ページ目"_s));
    QVERIFY(m_form->action(u"minmnyUwagaki"_s)->isEnabled());
    // The record stays as this copy's own until the work is saved.
    QCOMPARE(commands()->recordPath(), record);
    QVERIFY(QFileInfo::exists(record));
    // Saving goes to the project's own path.
    m_form->runCommand(u"minmnyProSave"_s);
    QVERIFY(!p.Henkou);
    ProjectDates saved;
    QCOMPARE(LoadProjectFile(left.ProjectPath, saved), qint16(LoadOk));
    QVERIFY(SameTables(saved, left));
    commands()->writer().waitForDone();
    QVERIFY(!QFileInfo::exists(record));
}

void TestCrashRecovery::noKeepsTheRecordAside()
{
    const QString record = plantRecord(sampleProject());
    const QByteArray bytes = ReadBytes(record);
    const QString aside = RecoveryStore(RecoveryFolder()).asideName(1);
    m_rec->yesNoAnswers.enqueue(false);
    start();
    QCOMPARE(m_rec->messages().size(), 1);
    QVERIFY(m_rec->messages().at(0).contains(QDir::toNativeSeparators(aside)));
    QVERIFY(!QFileInfo::exists(record));
    QCOMPARE(ReadBytes(aside), bytes);
    // The start-up project, unchanged.
    QCOMPARE(m_form->project().Html.size(), 1);
    QCOMPARE(m_form->project().ProjectPath, NewProjectPath);
    QVERIFY(!m_form->project().Henkou);
    // Not offered again.
    m_rec->clear();
    start();
    QVERIFY(m_rec->shown.isEmpty());
    QCOMPARE(ReadBytes(aside), bytes);
}

// The real question box: Escape (like the close button) is No, and keeps the
// record aside; nothing is thrown away.
void TestCrashRecovery::escapeOnTheQuestionKeepsTheRecord()
{
    const QString record = plantRecord(sampleProject());
    const QString aside = RecoveryStore(RecoveryFolder()).asideName(1);
    m_rec.reset(); // the real message boxes
    ModalAnswerer answer({[](QWidget *w) {
        QVERIFY(qobject_cast<QMessageBox *>(w));
        QVERIFY(qobject_cast<QMessageBox *>(w)->text().contains(u"復元しますか"_s));
        QTest::keyClick(w, Qt::Key_Escape);
    }});
    start();
    QCOMPARE(answer.handled, 1);
    QVERIFY(QFileInfo::exists(aside));
    QVERIFY(!QFileInfo::exists(record));
    QCOMPARE(m_form->project().Html.size(), 1);
}

void TestCrashRecovery::enterOnTheQuestionRestores()
{
    plantRecord(sampleProject());
    m_rec.reset();
    ModalAnswerer answer({[](QWidget *w) { QTest::keyClick(w, Qt::Key_Return); }});
    start();
    QCOMPARE(answer.handled, 1);
    QCOMPARE(m_form->project().Html.size(), 2);
    QVERIFY(m_form->project().Henkou);
}

void TestCrashRecovery::offeredBeforeTheBackupWhichStays()
{
    ProjectDates backup;
    NewStartProject(backup);
    backup.Html[0].HtmlStr = u"書きかけ終了で残した作業"_s;
    backup.ProjectPath = m_dir->filePath(u"other.hpf"_s);
    QString error;
    QVERIFY2(WriteWorkBackup(backup, &error), qPrintable(error));
    const QByteArray wr = ReadBytes(WrBackUpPath());
    const QByteArray nm = ReadBytes(NmBackUpPath());
    const ProjectDates left = sampleProject();
    plantRecord(left);
    m_rec->yesNoAnswers.enqueue(true);
    start();
    QCOMPARE(m_rec->messages().size(), 1);
    QVERIFY(m_rec->messages().at(0).contains(u"書きかけ終了"_s));
    QVERIFY(SameTables(m_form->project(), left));
    // The backup is untouched, for the next start.
    QCOMPARE(ReadBytes(WrBackUpPath()), wr);
    QCOMPARE(ReadBytes(NmBackUpPath()), nm);
    m_form->project().Henkou = false; // the user has saved
    m_rec->clear();
    start();
    QCOMPARE(m_form->project().Html[0].HtmlStr, backup.Html[0].HtmlStr);
    QCOMPARE(m_form->project().ProjectPath, backup.ProjectPath);
    QVERIFY(!QFileInfo::exists(WrBackUpPath()));
}

void TestCrashRecovery::noThenTheBackupIsResumed()
{
    ProjectDates backup;
    NewStartProject(backup);
    backup.Html[0].HtmlStr = u"書きかけ終了で残した作業"_s;
    QString error;
    QVERIFY(WriteWorkBackup(backup, &error));
    plantRecord(sampleProject());
    m_rec->yesNoAnswers.enqueue(false);
    start();
    QCOMPARE(m_form->project().Html[0].HtmlStr, backup.Html[0].HtmlStr);
    QVERIFY(!QFileInfo::exists(WrBackUpPath()));
    QVERIFY(!QFileInfo::exists(recordPath(1)));
    QCOMPARE(QDir(RecoveryFolder()).entryList({u"Recovered-*.hpf"_s}).size(), 1);
}

void TestCrashRecovery::damagedRecordKeptAside()
{
    QDir().mkpath(RecoveryFolder());
    QVERIFY(PutBytes(recordPath(1), "$HtmlProjectFile$,3,cut off"));
    start();
    QCOMPARE(m_rec->shown.size(), 1);
    QCOMPARE(m_rec->shown.at(0).kind, u"message"_s);
    const QStringList kept = QDir(RecoveryFolder()).entryList({u"Recovered-*.hpf"_s});
    QCOMPARE(kept.size(), 1);
    QCOMPARE(m_rec->messages().at(0),
             RecoveryCommands::BrokenText(recordPath(1), JoinPath(RecoveryFolder(), kept.at(0))));
    QCOMPARE(ReadBytes(JoinPath(RecoveryFolder(), kept.at(0))), QByteArray("$HtmlProjectFile$,3,cut off"));
    QCOMPARE(m_form->project().Html.size(), 1);
}

void TestCrashRecovery::runningCopysRecordNotOffered()
{
    QDir().mkpath(RecoveryFolder());
    QLockFile running(JoinPath(RecoveryFolder(), u"Recovery1.lock"_s));
    running.setStaleLockTime(0);
    QVERIFY(running.tryLock(0));
    const QString record = plantRecord(sampleProject());
    start();
    QVERIFY(m_rec->shown.isEmpty());
    QCOMPARE(commands()->recordPath(), recordPath(2));
    QVERIFY(QFileInfo::exists(record));
}

void TestCrashRecovery::twoRecordsOneRestoredOtherWaits()
{
    ProjectDates older = sampleProject();
    older.Html[0].HtmlStr = u"古い"_s;
    plantRecord(older, 1);
    QFile f(recordPath(1));
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-600), QFileDevice::FileModificationTime));
    f.close();
    ProjectDates newer = sampleProject();
    newer.Html[0].HtmlStr = u"新しい"_s;
    plantRecord(newer, 2);
    m_rec->yesNoAnswers.enqueue(true);
    start();
    QCOMPARE(m_rec->messages().size(), 1);
    QCOMPARE(m_form->project().Html[0].HtmlStr, u"新しい"_s);
    QCOMPARE(commands()->recordPath(), recordPath(2));
    QVERIFY(QFileInfo::exists(recordPath(1)));
    // The other one is offered at the next start.
    m_form->project().Henkou = false;
    m_rec->clear();
    m_rec->yesNoAnswers.enqueue(true);
    start();
    QCOMPARE(m_rec->messages().size(), 1);
    QCOMPARE(m_form->project().Html[0].HtmlStr, u"古い"_s);
}

// --- While running ---

void TestCrashRecovery::unchangedProjectNoRecord()
{
    EditorOptions o;
    o.RecoverySeconds = 1;
    QVERIFY(WriteOptionDate(OptionDatePath(), o));
    start();
    QCOMPARE(commands()->intervalMs(), 1000);
    QTest::qWait(2500);
    commands()->writer().waitForDone();
    QVERIFY(!QFileInfo::exists(recordPath(1)));
}

void TestCrashRecovery::pageSwitchWritesRecord()
{
    start();
    ProjectDates &p = m_form->project();
    AddHtmlDat(p, u"二"_s, u"two"_s, u"<p>2</p>"_s, u".htm"_s);
    m_form->showKind(KindHtml);
    p.Henkou = false;
    type(u"<b>typed</b>"_s);
    QVERIFY(p.Henkou);
    QVERIFY(!QFileInfo::exists(recordPath(1)));
    m_form->ui().DatList->setCurrentRow(1);
    const RecoveryContents r = ownRecord();
    QCOMPARE(r.code, qint16(LoadOk));
    QVERIFY(r.project.Html[0].HtmlStr.startsWith(u"<b>typed</b>"_s));
    QCOMPARE(r.project.Html[0].HtmlStr, p.Html[0].HtmlStr);
    QCOMPARE(r.project.NowHtml, qint16(1));
    QCOMPARE(r.project.ProjectPath, NewProjectPath);
}

void TestCrashRecovery::recordEveryFewSeconds()
{
    EditorOptions o;
    o.RecoverySeconds = 1;
    QVERIFY(WriteOptionDate(OptionDatePath(), o));
    start();
    type(u"first"_s);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(recordPath(1)), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(ownRecord().project.Html[0].HtmlStr.startsWith(u"first"_s), 5000);
    type(u" second"_s);
    QTRY_VERIFY_WITH_TIMEOUT(ownRecord().project.Html[0].HtmlStr.startsWith(u"first second"_s), 5000);
    // The records took the typed text from the editor: the page's own record
    // was not brought up to date on the typing thread for them.
    QVERIFY(m_form->pageBehind());
}

void TestCrashRecovery::saveRemovesRecord()
{
    start();
    type(u"x"_s);
    QVERIFY(commands()->recordNow() > 0);
    commands()->writer().waitForDone();
    QVERIFY(QFileInfo::exists(recordPath(1)));
    m_rec->fileAnswers.enqueue(m_dir->filePath(u"saved.hpf"_s));
    m_form->runCommand(u"minmnyProSave"_s);
    QVERIFY(QFileInfo::exists(m_dir->filePath(u"saved.hpf"_s)));
    commands()->writer().waitForDone();
    QVERIFY(!QFileInfo::exists(recordPath(1)));
    // A save that is cancelled keeps it.
    type(u"y"_s);
    commands()->recordNow();
    commands()->writer().waitForDone();
    m_form->project().ProjectPath = NewProjectPath;
    m_rec->fileAnswers.enqueue(QString());
    m_form->runCommand(u"minmnyProSave"_s);
    commands()->writer().waitForDone();
    QVERIFY(QFileInfo::exists(recordPath(1)));
}

void TestCrashRecovery::newProjectRemovesRecord()
{
    start();
    type(u"x"_s);
    commands()->recordNow();
    commands()->writer().waitForDone();
    QVERIFY(QFileInfo::exists(recordPath(1)));
    m_rec->yesNoAnswers.enqueue(false); // do not save
    m_form->runCommand(u"ProNewminmnyNew"_s);
    commands()->writer().waitForDone();
    QVERIFY(!QFileInfo::exists(recordPath(1)));
}

void TestCrashRecovery::exitRemovesRecord()
{
    start();
    m_form->show();
    type(u"x"_s);
    commands()->recordNow();
    commands()->writer().waitForDone();
    QVERIFY(QFileInfo::exists(recordPath(1)));
    m_rec->yesNoAnswers.enqueue(false); // do not save
    QVERIFY(m_form->close());
    QVERIFY(!QFileInfo::exists(recordPath(1)));
    QVERIFY(!QFileInfo::exists(JoinPath(RecoveryFolder(), u"Recovery1.lock"_s)));
}

void TestCrashRecovery::exitKeepingWorkRemovesRecordKeepsBackup()
{
    start();
    m_form->show();
    type(u"x"_s);
    commands()->recordNow();
    commands()->writer().waitForDone();
    m_form->runCommand(u"minmnyWrEnd"_s);
    QVERIFY(!m_form->isVisible());
    QVERIFY(!QFileInfo::exists(recordPath(1)));
    QVERIFY(QFileInfo::exists(WrBackUpPath()));
    // The next start resumes the backup without any question.
    m_rec->clear();
    start();
    QVERIFY(m_rec->shown.isEmpty());
    QVERIFY(m_form->project().Html[0].HtmlStr.startsWith(u"x"_s));
}

void TestCrashRecovery::writeFailureShownOnce()
{
    start();
    m_rec->clear();
    // Something in the way of the record.
    QVERIFY(QDir().mkpath(recordPath(1) + u"/blocked"_s));
    type(u"x"_s);
    commands()->recordNow();
    commands()->writer().waitForDone();
    QTRY_COMPARE(m_rec->statusTexts.size(), 1);
    QVERIFY(m_rec->statusTexts.at(0).startsWith(u"作業の記録（復旧用）を書き込めませんでした"_s));
    type(u"y"_s);
    // Connected after the window's own handler of the result, so it runs after it.
    QObject afterResult;
    bool resultHandled = false;
    connect(&commands()->writer(), &RecoveryWriter::written, &afterResult, [&] { resultHandled = true; });
    commands()->recordNow();
    commands()->writer().waitForDone();
    QTRY_VERIFY(resultHandled);
    QCOMPARE(m_rec->statusTexts.size(), 1);
    QVERIFY(m_form->project().Henkou);
}

void TestCrashRecovery::folderThatCannotBeWrittenSaidOnce_data()
{
    QTest::addColumn<bool>("readOnlyDisk"); // else a file stands in the folder's place
    QTest::newRow("a file in the folder's place") << false;
    QTest::newRow("a read-only disk") << true;
}

// Without a place for records a crash would lose the unsaved work: the
// status bar says so once, in Japanese.
void TestCrashRecovery::folderThatCannotBeWrittenSaidOnce()
{
    QFETCH(bool, readOnlyDisk);
    SmallDisk disk(256);
    if (readOnlyDisk && !(disk.mounted() && QDir(disk.path()).mkpath(u"temp"_s) && disk.makeReadOnly()))
        QSKIP("no read-only disk can be mounted here");
    if (readOnlyDisk)
        SetAppDir(disk.path());
    else
        QVERIFY(PutBytes(RecoveryFolder(), "not a folder"));
    start();
    const auto said = [this] { return m_rec->statusTexts.filter(u"作業の記録（復旧用）"_s); };
    QCOMPARE(said().size(), 1);
    QVERIFY(said().at(0).startsWith(u"作業の記録（復旧用）を残せないため"_s));
    QVERIFY(said().at(0).contains(QDir::toNativeSeparators(RecoveryFolder())));
    type(u"x"_s);
    commands()->recordNow();
    commands()->writer().waitForDone();
    QCOMPARE(said().size(), 1);
    m_form.reset();
    SetAppDir(m_dir->path());
}

QTEST_MAIN(TestCrashRecovery)
#include "tst_crashrecovery.moc"
