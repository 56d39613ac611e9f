// Preview copies written in the background: the newest text of a file wins,
// writes keep their order, and the folder's direct writers and removers
// settle a file first, so that no older text lands after theirs and no copy
// comes back after it was removed.

#include "AppPaths.h"
#include "ChunkedText.h"
#include "ProjectDates.h"
#include "TempC.h"
#include "TempWriter.h"
#include "TestSupport.h"
#include "TextFiles.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A page big enough that its write takes a while.
QString bigText(QChar c)
{
    return QString(2 * 1024 * 1024, c);
}

QString fileText(const QString &path)
{
    return DecodeHtmlBytes(ReadBytes(path));
}

} // namespace

class TestTempWriter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        SetAppDir(m_dir->path());
        QVERIFY(QDir(m_dir->path()).mkpath(u"temp"_s));
        NewStartProject(m_project);
        m_path = TempC::TempPathFor(m_project.Html.at(0).outputName());
        QVERIFY(!m_path.isEmpty());
    }

    void cleanup() { m_dir.reset(); }

    void writesThePageFile()
    {
        TempWriter w;
        QSignalSpy written(&w, &TempWriter::written);
        const quint64 ticket = w.queue(m_path, ChunkedText(u"<p>あ</p>"_s));
        QVERIFY(written.wait());
        QCOMPARE(written.first().at(0).toULongLong(), ticket);
        QCOMPARE(written.first().at(2).toBool(), true);
        // The page text and CR LF, in code page 932, as every page file.
        QCOMPARE(ReadBytes(m_path), EncodePageFile(u"<p>あ</p>"_s));
        QCOMPARE(w.queued(), 0);
    }

    void newestTextOfAFileWins()
    {
        TempWriter w;
        QSignalSpy written(&w, &TempWriter::written);
        // Whichever of them ran (a write waiting for its turn is replaced by
        // a newer one of the same file), the file ends with the newest.
        w.queue(m_path, bigText(u'a'));
        w.queue(m_path, ChunkedText(u"second"_s));
        const quint64 last = w.queue(m_path, u"third"_s);
        // Every write is accounted for, written or dropped; the newest last.
        QTRY_COMPARE(written.count(), 3);
        w.waitIdle();
        QCOMPARE(fileText(m_path), u"third\r\n"_s);
        QCOMPARE(written.last().at(0).toULongLong(), last);
        QCOMPARE(written.last().at(2).toBool(), true);

    }

    void otherFilesKeepTheirWrites()
    {
        TempWriter w;
        const QString other = TempC::TempPathFor(u"other.htm"_s);
        w.queue(m_path, bigText(u'a'));
        w.queue(other, ChunkedText(u"other"_s));
        w.queue(m_path, u"last"_s);
        w.waitIdle();
        QCOMPARE(fileText(other), u"other\r\n"_s);
        QCOMPARE(fileText(m_path), u"last\r\n"_s);
    }

    void directWriteLandsAfterQueuedOnes()
    {
        TempWriter w;
        w.queue(m_path, bigText(u'o'));
        w.queue(m_path, ChunkedText(u"older"_s));
        m_project.Html[0].HtmlStr = u"newest"_s;
        QVERIFY(TempC::MakeHtmlTemp(m_project, 0));
        w.waitIdle();
        QCOMPARE(fileText(m_path), u"newest\r\n"_s);
    }

    void removedCopyDoesNotComeBack_data()
    {
        QTest::addColumn<bool>("all");
        QTest::newRow("the page's copy") << false;
        QTest::newRow("every copy") << true;
    }

    void removedCopyDoesNotComeBack()
    {
        QFETCH(bool, all);
        TempWriter w;
        QSignalSpy written(&w, &TempWriter::written);
        w.queue(m_path, bigText(u'x'));
        w.queue(m_path, ChunkedText(u"queued"_s));
        if (all)
            TempC::DelAllTemp(m_project);
        else
            TempC::DelHtmlTemp(m_project, 0);
        QCOMPARE(w.queued(), 0);
        QVERIFY(!QFile::exists(m_path));
        // Both writes are accounted for: one done or dropped, one dropped.
        QTRY_COMPARE(written.count(), 2);
        QVERIFY(!QFile::exists(m_path));
    }

    void failureIsReported()
    {
        TempWriter w;
        QSignalSpy written(&w, &TempWriter::written);
        const QString blocked = m_dir->filePath(u"blocked"_s);
        QVERIFY(QDir().mkpath(blocked + u"/page.htm"_s)); // a folder where the file should go
        w.queue(blocked + u"/page.htm"_s, ChunkedText(u"x"_s));
        QVERIFY(written.wait());
        QCOMPARE(written.first().at(2).toBool(), false);
        QVERIFY(!written.first().at(3).toString().isEmpty());
    }

    void destroyedWriterLeavesNoPartFile()
    {
        // A writer destroyed with work queued ends its thread and leaves no
        // half-written file.
        auto w = std::make_unique<TempWriter>();
        for (int i = 0; i < 5; ++i)
            w->queue(TempC::TempPathFor(u"p%1.htm"_s.arg(i)), bigText(QChar(char16_t(u'a' + i))));
        w.reset();
        const QStringList left = QDir(TempC::TempFolder()).entryList(QDir::Files);
        for (const QString &name : left)
            QVERIFY2(name.endsWith(u".htm"_s), qPrintable(name));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    ProjectDates m_project;
    QString m_path;
};

QTEST_GUILESS_MAIN(TestTempWriter)
#include "tst_tempwriter.moc"
