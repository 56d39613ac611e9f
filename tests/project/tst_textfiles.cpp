#include "Cp932.h"
#include "FileSystemLimits.h"
#include "TestSupport.h"
#include "TextFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

void PutFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

} // namespace

class TestTextFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readCp932File();
    void readMissingFile();
    void decodeHtmlBytes_data();
    void decodeHtmlBytes();
    void writeFileAtomicallyReplacesWhole();
    void writeFailsWhenParentIsAFile();
    void writeFailsWhenTargetIsAFolder();
    void failedWriteKeepsOldFile();
    void smallWriteOnFullDisk_data();
    void smallWriteOnFullDisk();
    void smallWriteBeyondSizeLimit_data();
    void smallWriteBeyondSizeLimit();
    void writeKeepsPermissions_data();
    void writeKeepsPermissions();
    void writeKeepsReadOnlyFile();
    void writeThroughLink_data();
    void writeThroughLink();
    void writeRefusesSpecialTarget();
    void readRefusesSpecialFiles_data();
    void readRefusesSpecialFiles();
    void nulInPathIsRefused();
    void makeFolderPath_data();
    void makeFolderPath();
    void makeFolderPathOnReadOnlyDisk();
    void writeCp932FileKeepsLineBreaks();
    void writeCp932FileRefusesCharacterWithoutCode();
    void pageDeclaresUtf8_data();
    void pageDeclaresUtf8();
    void encodePageFile();
    void writePageFile();

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QStringList filesInDir() const { return QDir(m_dir.path()).entryList(QDir::Files); }
};

void TestTextFiles::readCp932File()
{
    QVERIFY(m_dir.isValid());
    const QString text = u"一行目,ﾃｽﾄ\r\n二行目 ① 髙\r\n"_s;
    PutFile(path(u"read.dat"_s), Sjis(text));
    const std::optional<QString> read = ReadCp932File(path(u"read.dat"_s));
    QVERIFY(read.has_value());
    QCOMPARE(*read, text);

    PutFile(path(u"empty.dat"_s), QByteArray());
    const std::optional<QString> empty = ReadCp932File(path(u"empty.dat"_s));
    QVERIFY(empty.has_value());
    QVERIFY(empty->isEmpty());
}

void TestTextFiles::readMissingFile()
{
    QVERIFY(!ReadCp932File(path(u"no such file.dat"_s)).has_value());
    // A folder is not a readable file either.
    QVERIFY(!ReadCp932File(m_dir.path()).has_value());
}

void TestTextFiles::decodeHtmlBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    const QString page = u"<p>日本語 😀</p>\r\n"_s;
    QTest::newRow("UTF-8 with BOM") << ("\xEF\xBB\xBF" + page.toUtf8()) << page;
    QTest::newRow("UTF-8 without BOM") << page.toUtf8() << page;
    QTest::newRow("BOM only") << QByteArray("\xEF\xBB\xBF") << QString();
    QTest::newRow("ASCII") << QByteArray("<p>a\\b</p>\r\n") << u"<p>a\\b</p>\r\n"_s;
    QTest::newRow("empty") << QByteArray() << QString();
    const QString sjisPage = u"<p>日本語のﾃｷｽﾄ ～</p>\r\n"_s;
    QTest::newRow("code page 932") << Sjis(sjisPage) << sjisPage;
    QTest::newRow("half-width katakana only") << Sjis(u"ｱｲｳｴｵ"_s) << u"ｱｲｳｴｵ"_s;
}

void TestTextFiles::decodeHtmlBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(DecodeHtmlBytes(bytes), text);
}

void TestTextFiles::writeFileAtomicallyReplacesWhole()
{
    const QString target = path(u"atomic.dat"_s);
    QString error;
    QVERIFY(WriteFileAtomically(target, "a long first content\r\n", &error));
    QVERIFY(error.isEmpty());
    QCOMPARE(ReadBytes(target), QByteArray("a long first content\r\n"));
    QVERIFY(WriteFileAtomically(target, "short", &error));
    QCOMPARE(ReadBytes(target), QByteArray("short"));
    QVERIFY(WriteFileAtomically(target, QByteArray()));
    QCOMPARE(ReadBytes(target), QByteArray());
    // Nothing but the target is left beside it.
    QVERIFY(!filesInDir().filter(u"atomic"_s).isEmpty());
    QCOMPARE(filesInDir().filter(u"atomic"_s), QStringList{u"atomic.dat"_s});
}

void TestTextFiles::writeFailsWhenParentIsAFile()
{
    const QString parent = path(u"plain.txt"_s);
    PutFile(parent, "old content");
    QString error;
    QVERIFY(!WriteFileAtomically(parent + u"/child.dat"_s, "new", &error));
    QVERIFY(!error.isEmpty());
    QVERIFY2(error.contains(u"child.dat"_s), qPrintable(error));
    QCOMPARE(ReadBytes(parent), QByteArray("old content"));
    QVERIFY(!WriteCp932File(parent + u"/child.dat"_s, u"新しい"_s, &error));
    QVERIFY(!WritePageFile(parent + u"/child.htm"_s, u"<p>x</p>"_s, &error));
    QCOMPARE(ReadBytes(parent), QByteArray("old content"));
}

void TestTextFiles::writeFailsWhenTargetIsAFolder()
{
    const QString folder = path(u"folder.dat"_s);
    QVERIFY(QDir().mkpath(folder));
    PutFile(folder + u"/inside.txt"_s, "kept");
    QString error;
    QVERIFY(!WriteFileAtomically(folder, "new", &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(ReadBytes(folder + u"/inside.txt"_s), QByteArray("kept"));
    QVERIFY(filesInDir().filter(u"folder"_s).isEmpty());
}

void TestTextFiles::failedWriteKeepsOldFile()
{
#ifdef Q_OS_UNIX
    // Writing stops part way when the file size limit is reached (which stops
    // root too): the old file must stay as it was and no partial file may remain.
    const QString target = path(u"keep.dat"_s);
    const QByteArray old = QByteArray("old line\r\n").repeated(100);
    PutFile(target, old);
    const QStringList before = filesInDir();

    rlimit saved {};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64 * 1024;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool written = WriteFileAtomically(target, QByteArray(1024 * 1024, 'x'), &error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!written);
    QVERIFY(!error.isEmpty());
    QVERIFY2(error.contains(u"keep.dat"_s), qPrintable(error));
    QCOMPARE(ReadBytes(target), old);
    QCOMPARE(filesInDir(), before);

    // A read-only folder refuses the write as well.
    const QString ro = path(u"readonly"_s);
    QVERIFY(QDir().mkpath(ro));
    PutFile(ro + u"/keep.dat"_s, old);
    QVERIFY(QFile::setPermissions(ro, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
    const auto dirMode = QFile::permissions(m_dir.path());
    QVERIFY(QFile::setPermissions(m_dir.path(), dirMode | QFile::ExeOther)); // nobody reaches the folder
    const auto refuses = [&] {
        QString why;
        return !WriteFileAtomically(ro + u"/keep.dat"_s, "new", &why) && why.contains(u"keep.dat"_s);
    };
    // Root may write anywhere: the write is tried as an ordinary user.
    const bool refused = geteuid() == 0 ? InChild(refuses, true) == 0 : refuses();
    QFile::setPermissions(m_dir.path(), dirMode);
    QFile::setPermissions(ro, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY2(refused, "a write into a folder the user may not write was not refused with a message");
    QCOMPARE(ReadBytes(ro + u"/keep.dat"_s), old);
#else
    QSKIP("needs a file size limit");
#endif
}

void TestTextFiles::smallWriteOnFullDisk_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("freeBytes");
    QTest::addColumn<bool>("throwaway");
    QTest::newRow("400 bytes, nothing free") << 400 << 0 << false;
    QTest::newRow("15 KB, 8 KB free") << 15 * 1024 << 8 * 1024 << false;
    QTest::newRow("40 KB, 8 KB free") << 40 * 1024 << 8 * 1024 << false;
    QTest::newRow("preview copy, 400 bytes, nothing free") << 400 << 0 << true;
}

// A file smaller than any write buffer, saved onto a full disk, is reported
// as not saved and the old file stays whole.
void TestTextFiles::smallWriteOnFullDisk()
{
    QFETCH(int, size);
    QFETCH(int, freeBytes);
    QFETCH(bool, throwaway);
    SmallDisk disk(128);
    if (!disk.mounted())
        QSKIP(qPrintable(disk.reason()));
    const QString target = disk.filePath(u"project.hpf"_s);
    const QByteArray old = QByteArray("old project\r\n").repeated(20);
    PutFile(target, old);
    QVERIFY(disk.fill(freeBytes));

    QString error;
    const bool written = WriteFileAtomically(target, QByteArray(size, 'n'), &error,
                                             throwaway ? WriteMode::Throwaway : WriteMode::Durable);
    QVERIFY(!written);
    QVERIFY2(error.contains(u"project.hpf"_s), qPrintable(error));
    QVERIFY2(error.contains(u"ディスクの空き容量が足りません"_s), qPrintable(error));
    QCOMPARE(ReadBytes(target), old);
    QCOMPARE(AllEntries(disk.path()), QStringList({u".filler"_s, u"project.hpf"_s}));
}

void TestTextFiles::smallWriteBeyondSizeLimit_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("just over the limit") << 101;
    QTest::newRow("400 bytes") << 400;
    QTest::newRow("15 KB") << 15 * 1024;
}

// The same with a file size limit, which works without root.
void TestTextFiles::smallWriteBeyondSizeLimit()
{
    QFETCH(int, size);
    const QString target = path(u"limited.dat"_s);
    PutFile(target, "old");
    const QStringList before = AllEntries(m_dir.path());
    QString error;
    bool written = false;
    {
        FileSizeLimit limit(100);
        if (!limit.active())
            QSKIP("cannot set a file size limit");
        written = WritePageFile(target, QString(size - 2, u'a'), &error);
    }
    QVERIFY(!written);
    QVERIFY2(error.contains(u"ファイルが大きすぎます"_s), qPrintable(error));
    QCOMPARE(ReadBytes(target), QByteArray("old"));
    QCOMPARE(AllEntries(m_dir.path()), before);
    // Within the limit the same write goes through.
    QVERIFY(WritePageFile(target, QString(size - 2, u'a'), &error));
    QCOMPARE(ReadBytes(target).size(), size);
}

void TestTextFiles::writeKeepsPermissions_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("0640") << 0640;
    QTest::newRow("0600") << 0600;
    QTest::newRow("0755") << 0755;
    QTest::newRow("0664") << 0664;
}

void TestTextFiles::writeKeepsPermissions()
{
    QFETCH(int, mode);
    const QString target = path(u"perm.dat"_s);
    PutFile(target, "old");
    QCOMPARE(::chmod(QFile::encodeName(target).constData(), mode_t(mode)), 0);
    QVERIFY(WriteFileAtomically(target, "new"));
    QCOMPARE(ReadBytes(target), QByteArray("new"));
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(target).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 07777), mode);
    QFile::remove(target);
}

void TestTextFiles::makeFolderPath_data()
{
    QTest::addColumn<QString>("below");  // path below the test folder
    QTest::addColumn<bool>("made");
    QTest::addColumn<QString>("reason"); // part of the reason when refused
    QTest::newRow("new, three deep") << u"/mk/a/b/c"_s << true << QString();
    QTest::newRow("standing folder") << u"/mk"_s << true << QString();
    QTest::newRow("trailing separator") << u"/mk/d/"_s << true << QString();
    QTest::newRow("below a file") << u"/mk/file.txt/sub"_s << false << u"はフォルダではありません"_s;
    QTest::newRow("the file itself") << u"/mk/file.txt"_s << false << u"はフォルダではありません"_s;
    QTest::newRow("NUL") << u"/mk/a\0b"_s << false << u"NUL"_s;
}

void TestTextFiles::makeFolderPath()
{
    QFETCH(QString, below);
    QFETCH(bool, made);
    QFETCH(QString, reason);
    QVERIFY(QDir().mkpath(path(u"mk"_s)));
    QVERIFY(PutBytes(path(u"mk/file.txt"_s), "x"));
    const QString target = m_dir.path() + below.replace(u"\\0"_s, QString(QChar(0)));
    QString why;
    QCOMPARE(MakeFolderPath(target, &why), made);
    if (made) {
        QVERIFY(QFileInfo(target).isDir());
        QVERIFY(why.isEmpty());
    } else {
        QVERIFY2(why.contains(reason), qPrintable(why));
    }
    QCOMPARE(ReadBytes(path(u"mk/file.txt"_s)), QByteArray("x"));
}

void TestTextFiles::makeFolderPathOnReadOnlyDisk()
{
    SmallDisk disk(64);
    if (!disk.mounted())
        QSKIP(qPrintable(disk.reason()));
    QVERIFY(QDir().mkpath(disk.filePath(u"old"_s)));
    if (!disk.makeReadOnly())
        QSKIP("the system does not mount the test disk read-only again");
    QVERIFY(MakeFolderPath(disk.filePath(u"old"_s)));
    QString why;
    QVERIFY(!MakeFolderPath(disk.filePath(u"new/site"_s), &why));
    QCOMPARE(why, u"読み取り専用のドライブです"_s);
}

// A read-only file is either refused (for a user who may not write it) or
// written and left read-only (for root).
void TestTextFiles::writeKeepsReadOnlyFile()
{
    const QString target = path(u"readonly.hpf"_s);
    PutFile(target, "old");
    QCOMPARE(::chmod(QFile::encodeName(target).constData(), 0444), 0);
    QString error;
    const bool written = WriteFileAtomically(target, "new", &error);
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(target).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 07777), 0444);
    if (geteuid() == 0) {
        QVERIFY2(written, qPrintable(error));
        QCOMPARE(ReadBytes(target), QByteArray("new"));
    } else {
        QVERIFY(!written);
        QVERIFY2(error.contains(u"書き込みが許可されていないファイルです"_s), qPrintable(error));
        QCOMPARE(ReadBytes(target), QByteArray("old"));
    }
    ::chmod(QFile::encodeName(target).constData(), 0644);
    QFile::remove(target);
}

void TestTextFiles::writeThroughLink_data()
{
    QTest::addColumn<bool>("follow");
    QTest::newRow("follow") << true;
    QTest::newRow("replace") << false;
}

void TestTextFiles::writeThroughLink()
{
    QFETCH(bool, follow);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir().mkpath(dir.filePath(u"victim"_s)));
    QVERIFY(QDir().mkpath(dir.filePath(u"out"_s)));
    const QString victim = dir.filePath(u"victim/important.htm"_s);
    const QString link = dir.filePath(u"out/Index.htm"_s);
    PutFile(victim, "important");
    QVERIFY(QFile::link(u"../victim/important.htm"_s, link));

    QString error;
    QVERIFY2(WritePageFile(link, u"<p>new</p>"_s, &error, WriteMode::Durable,
                           follow ? LinkMode::Follow : LinkMode::Replace),
             qPrintable(error));
    if (follow) {
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(ReadBytes(victim), QByteArray("<p>new</p>\r\n"));
        QCOMPARE(AllEntries(dir.filePath(u"victim"_s)), QStringList{u"important.htm"_s});
    } else {
        QVERIFY(!QFileInfo(link).isSymLink());
        QCOMPARE(ReadBytes(link), QByteArray("<p>new</p>\r\n"));
        QCOMPARE(ReadBytes(victim), QByteArray("important"));
    }
    QCOMPARE(AllEntries(dir.filePath(u"out"_s)), QStringList{u"Index.htm"_s});

    // A link to a folder is replaced by the file, and the folder stays.
    const QString dirLink = dir.filePath(u"out/sub.htm"_s);
    QVERIFY(QFile::link(dir.filePath(u"victim"_s), dirLink));
    QVERIFY(WriteFileAtomically(dirLink, "page", &error, WriteMode::Durable, LinkMode::Replace));
    QCOMPARE(ReadBytes(dirLink), QByteArray("page"));
    QCOMPARE(AllEntries(dir.filePath(u"victim"_s)), QStringList{u"important.htm"_s});
}

void TestTextFiles::writeRefusesSpecialTarget()
{
    const QString fifo = path(u"pipe.htm"_s);
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    QString error;
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!WriteFileAtomically(fifo, "x", &error, WriteMode::Durable, LinkMode::Replace));
    QVERIFY(timer.elapsed() < 5000);
    QVERIFY2(error.contains(u"pipe.htm"_s), qPrintable(error));
    QVERIFY2(error.contains(u"FIFO"_s), qPrintable(error));
    struct stat st {};
    QCOMPARE(::lstat(QFile::encodeName(fifo).constData(), &st), 0);
    QVERIFY(S_ISFIFO(st.st_mode));
    QCOMPARE(AllEntries(m_dir.path()).filter(u"pipe"_s), QStringList{u"pipe.htm"_s});
    QFile::remove(fifo);
}

void TestTextFiles::readRefusesSpecialFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("FIFO") << u"fifo"_s;
    QTest::newRow("endless device") << u"/dev/zero"_s;
    QTest::newRow("link to a FIFO") << u"link"_s;
    QTest::newRow("folder") << u"folder"_s;
}

// Reading never waits on a FIFO nor streams a device without end.
void TestTextFiles::readRefusesSpecialFiles()
{
    QFETCH(QString, kind);
    QString source = kind;
    const QString fifo = path(u"special.fifo"_s);
    if (kind != u"/dev/zero"_s)
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    if (kind == u"fifo"_s)
        source = fifo;
    if (kind == u"link"_s) {
        source = path(u"special.link"_s);
        QVERIFY(QFile::link(fifo, source));
    }
    if (kind == u"folder"_s)
        source = m_dir.path();
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!ReadFileBytes(source).has_value());
    QVERIFY(!ReadCp932File(source).has_value());
    QFile file;
    QString reason;
    QVERIFY(!OpenRegularFile(file, source, &reason));
    QVERIFY(!reason.isEmpty());
    QVERIFY(timer.elapsed() < 5000);
    QFile::remove(path(u"special.link"_s));
    QFile::remove(fifo);
}

void TestTextFiles::nulInPathIsRefused()
{
    const QString target = path(u"a"_s) + QChar(0) + u"b.dat"_s;
    QString error;
    QVERIFY(!WriteFileAtomically(target, "x", &error));
    QVERIFY(!error.contains(QChar(0)));
    QVERIFY2(error.contains(u"NUL文字"_s) && error.contains(u"a␀b.dat"_s), qPrintable(error));
    QVERIFY(!QFileInfo::exists(path(u"a"_s)));
    QFile file;
    QString reason;
    QVERIFY(!OpenRegularFile(file, target, &reason));
    QVERIFY(reason.contains(u"NUL文字"_s));
}

void TestTextFiles::writeCp932FileKeepsLineBreaks()
{
    const QString target = path(u"lines.dat"_s);
    const QString text = u"一,二\r\n三\nfour\r\n"_s;
    QString error;
    QVERIFY(WriteCp932File(target, text, &error));
    QVERIFY(error.isEmpty());
    // The text is written as it is: no line break is added or changed.
    QCOMPARE(ReadBytes(target), Sjis(text));
    QVERIFY(ReadBytes(target).contains("\x8E\x4F\n" "four"));
    QCOMPARE(ReadCp932File(target).value_or(QString()), text);
}

void TestTextFiles::writeCp932FileRefusesCharacterWithoutCode()
{
    const QString target = path(u"refuse.dat"_s);
    PutFile(target, "before");
    QString error;
    QVERIFY(!WriteCp932File(target, u"一行目\r\n二行目😀\r\n"_s, &error));
    QCOMPARE(ReadBytes(target), QByteArray("before"));
    QVERIFY2(error.contains(u"U+1F600"_s), qPrintable(error));
    QVERIFY2(error.contains(u"😀"_s), qPrintable(error));
    QVERIFY2(error.contains(u"2 行目"_s), qPrintable(error));
    QVERIFY(!WriteCp932File(target, u"가"_s, &error));
    QVERIFY2(error.contains(u"U+AC00"_s), qPrintable(error));
    QCOMPARE(ReadBytes(target), QByteArray("before"));
}

void TestTextFiles::pageDeclaresUtf8_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<bool>("utf8");
    QTest::newRow("meta charset quoted") << u"<html><head><meta charset=\"utf-8\"></head>"_s << true;
    QTest::newRow("meta charset unquoted") << u"<head><meta charset=utf-8></head>"_s << true;
    QTest::newRow("meta charset single quotes, self-closing") << u"<meta charset='UTF-8' />"_s << true;
    QTest::newRow("upper case tag") << u"<HEAD><META CHARSET=\"UTF-8\"></HEAD>"_s << true;
    QTest::newRow("UTF8 spelling") << u"<meta charset=\"UTF8\">"_s << true;
    QTest::newRow("http-equiv") << u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"_s
                                << true;
    QTest::newRow("http-equiv, content first")
        << u"<meta content='text/html;charset=UTF-8' http-equiv='content-type'>"_s << true;
    QTest::newRow("http-equiv over lines")
        << u"<meta\r\n http-equiv=\"Content-Type\"\r\n content=\"text/html; charset=utf-8\">"_s << true;
    QTest::newRow("Shift_JIS") << u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">"_s
                               << false;
    QTest::newRow("meta charset shift_jis") << u"<meta charset=\"shift_jis\">"_s << false;
    QTest::newRow("utf-16 is not utf-8") << u"<meta charset=\"utf-16\">"_s << false;
    QTest::newRow("no declaration") << u"<html><head><title>x</title></head><body>utf-8</body>"_s << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("only in the body") << u"<head></head><body><meta charset=\"utf-8\"></body>"_s << false;
    QTest::newRow("in a comment") << u"<head><!-- <meta charset=\"utf-8\"> --></head>"_s << false;
    QTest::newRow("description mentioning charset")
        << u"<meta name=\"description\" content=\"charset=utf-8 explained\">"_s << false;
    QTest::newRow("first declaration wins")
        << u"<meta charset=\"shift_jis\"><meta charset=\"utf-8\">"_s << false;
    QTest::newRow("after another meta") << u"<meta name=\"x\" content=\"y\"><meta charset=\"utf-8\">"_s << true;
    QTest::newRow("body without a head") << u"<body><p>x</p><meta charset=\"utf-8\"></body>"_s << false;
    QTest::newRow("far beyond any head")
        << QString(u"<p>本文</p>\r\n"_s.repeated(20000) + u"<meta charset=\"utf-8\">"_s) << false;
}

void TestTextFiles::pageDeclaresUtf8()
{
    QFETCH(QString, html);
    QFETCH(bool, utf8);
    QCOMPARE(PageDeclaresUtf8(html), utf8);
}

void TestTextFiles::encodePageFile()
{
    const QString utf8Page = u"<html><head><meta charset=\"utf-8\"></head>\r\n<body>日本😀</body></html>"_s;
    QCOMPARE(EncodePageFile(utf8Page), utf8Page.toUtf8() + "\r\n");

    const QString sjisPage = u"<html><head><title>題</title></head>\r\n<body>日本😀가</body></html>"_s;
    const QByteArray bytes = EncodePageFile(sjisPage);
    QVERIFY(bytes.endsWith("</html>\r\n"));
    QVERIFY(bytes.contains("&#128512;&#44032;"));
    QCOMPARE(bytes, Sjis(u"<html><head><title>題</title></head>\r\n<body>日本&#128512;&#44032;</body></html>\r\n"_s));

    // Line breaks are not touched: a lone LF stays a lone LF.
    QCOMPARE(EncodePageFile(u"a\nb"_s), QByteArray("a\nb\r\n"));
    QCOMPARE(EncodePageFile(QString()), QByteArray("\r\n"));
}

void TestTextFiles::writePageFile()
{
    const QString target = path(u"page.htm"_s);
    const QString page = u"<p>ページ ①</p>"_s;
    QString error;
    QVERIFY(WritePageFile(target, page, &error));
    QCOMPARE(ReadBytes(target), EncodePageFile(page));
    QCOMPARE(DecodeHtmlBytes(ReadBytes(target)), page + u"\r\n"_s);
}

QTEST_APPLESS_MAIN(TestTextFiles)
#include "tst_textfiles.moc"
