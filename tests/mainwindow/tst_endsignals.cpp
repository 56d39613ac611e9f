#include "AppPaths.h"
#include "EndSignals.h"
#include "MainForm.h"
#include "PageEditor.h"
#include "ProjectFile.h"
#include "RecordingUi.h"
#include "SettingsFiles.h"
#include "TestSupport.h"
#include "Twips.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

using namespace Qt::StringLiterals;

// The program ended from outside (logout, shutdown, kill, Ctrl+C) keeps
// unsaved work for the next start instead of vanishing with it.
class TestEndSignals : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void changedWorkIsKeptAndResumed_data();
    void changedWorkIsKeptAndResumed();
    void unchangedProjectJustCloses();
    void unwritableBackupKeepsTheWindow();
    void signalsInARowEndOnce();
    void oneWatcherPerProcess();

private:
    void startForm()
    {
        m_form = std::make_unique<MainForm>();
        EndFormOnSignals(*m_signals, *m_form);
        m_form->startUp();
        m_form->show();
    }
    void type(const QString &text)
    {
        for (const QChar c : text)
            QTest::keyClick(m_form->ui().MainText, char(c.unicode()));
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RecordingUi> m_rec;
    std::unique_ptr<EndSignals> m_signals;
    std::unique_ptr<MainForm> m_form;
};

void TestEndSignals::initTestCase()
{
    SetTwipsDpiForTesting(96);
    qApp->setQuitOnLastWindowClosed(false);
}

void TestEndSignals::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    SetAppDir(m_dir->path());
    QVERIFY(QDir(m_dir->path()).mkpath(u"temp"_s));
    m_rec = std::make_unique<RecordingUi>();
    m_signals = std::make_unique<EndSignals>();
    QVERIFY(m_signals->isActive());
    startForm();
}

void TestEndSignals::cleanup()
{
    m_form.reset();
    m_signals.reset();
    m_rec.reset();
    m_dir.reset();
}

void TestEndSignals::changedWorkIsKeptAndResumed_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM (logout, shutdown, kill)") << int(SIGTERM);
    QTest::newRow("SIGHUP (terminal closed)") << int(SIGHUP);
    QTest::newRow("SIGINT (Ctrl+C)") << int(SIGINT);
}

void TestEndSignals::changedWorkIsKeptAndResumed()
{
    QFETCH(int, signalNumber);
    type(u"kept"_s);
    QVERIFY(m_form->project().Henkou);
    const QString typed = m_form->ui().MainText->htmlText();
    QVERIFY(typed.contains(u"kept"_s));

    QSignalSpy requested(m_signals.get(), &EndSignals::endRequested);
    QCOMPARE(::raise(signalNumber), 0);
    QTRY_VERIFY(!m_form->isVisible());
    QCOMPARE(requested.size(), 1);
    QCOMPARE(requested[0][0].toInt(), signalNumber);
    QVERIFY(m_rec->shown.isEmpty()); // nothing asked: nobody may be there to answer
    QVERIFY(QFileInfo::exists(WrBackUpPath()));

    // The next start resumes the work as it was typed.
    m_form.reset();
    m_rec->clear();
    startForm();
    QCOMPARE(m_form->ui().MainText->htmlText(), typed);
    QVERIFY(!QFileInfo::exists(WrBackUpPath()));
}

void TestEndSignals::unchangedProjectJustCloses()
{
    QVERIFY(!m_form->project().Henkou);
    QCOMPARE(::raise(SIGTERM), 0);
    QTRY_VERIFY(!m_form->isVisible());
    QVERIFY(m_rec->shown.isEmpty());
    QVERIFY(!QFileInfo::exists(WrBackUpPath()));
}

void TestEndSignals::unwritableBackupKeepsTheWindow()
{
    type(u"precious"_s);
    QVERIFY(QDir(m_dir->path()).mkdir(u"WrBackUp.dat"_s)); // cannot be written as a file
    QSignalSpy requested(m_signals.get(), &EndSignals::endRequested);
    QCOMPARE(::raise(SIGTERM), 0);
    QTRY_COMPARE(requested.size(), 1);
    // The window stays with the work, and says why it did not end.
    QVERIFY(m_form->isVisible());
    QVERIFY(m_form->project().Henkou);
    QCOMPARE(m_rec->shown.size(), 1);
    QVERIFY(m_rec->shown[0].text.contains(u"WrBackUp.dat"_s));
    QVERIFY(m_form->ui().MainText->htmlText().contains(u"precious"_s));
}

void TestEndSignals::signalsInARowEndOnce()
{
    type(u"x"_s);
    QSignalSpy requested(m_signals.get(), &EndSignals::endRequested);
    QCOMPARE(::raise(SIGTERM), 0);
    QCOMPARE(::raise(SIGHUP), 0);
    QTRY_VERIFY(!m_form->isVisible());
    // A second request would come on the next turn of the event loop; a whole
    // second is many of those.
    QTest::qWait(1000);
    QCOMPARE(requested.size(), 1);
    QCOMPARE(requested[0][0].toInt(), int(SIGHUP));
    QVERIFY(m_rec->shown.isEmpty());
}

void TestEndSignals::oneWatcherPerProcess()
{
    EndSignals second;
    QVERIFY(!second.isActive());
    // Once the first is gone, a new one catches the signals again.
    m_form.reset();
    m_signals.reset();
    EndSignals third;
    QVERIFY(third.isActive());
    QSignalSpy requested(&third, &EndSignals::endRequested);
    QCOMPARE(::raise(SIGINT), 0);
    QTRY_COMPARE(requested.size(), 1);
}

QTEST_MAIN(TestEndSignals)
#include "tst_endsignals.moc"
