// OptionDate.dat: the colouring switch, the time between recovery records, the
// preview width and the encoding output writes pages in.
#include "AppPaths.h"
#include "OptionDate.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestOptionDate : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writtenAsOneLine();
    void roundTrip_data();
    void roundTrip();
    void fields_data();
    void fields();
    void missingFileGivesNothing();
    void pathInAppDir();
};

void TestOptionDate::writtenAsOneLine()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"OptionDate.dat"_s);
    QVERIFY(WriteOptionDate(path, EditorOptions()));
    QCOMPARE(ReadBytes(path), QByteArray("True,30,0,False\r\n"));
    EditorOptions o;
    o.HtmlIroWake = false;
    o.RecoverySeconds = 2.5;
    o.OutputUtf8 = true;
    QVERIFY(WriteOptionDate(path, o));
    QCOMPARE(ReadBytes(path), QByteArray("False,2.5,0,True\r\n"));
}

void TestOptionDate::roundTrip_data()
{
    QTest::addColumn<bool>("colour");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<int>("width"); // only the widths offered come back
    QTest::addColumn<bool>("utf8");
    QTest::newRow("defaults") << true << 30.0 << 0 << false;
    QTest::newRow("off, short") << false << 1.0 << 0 << false;
    QTest::newRow("fraction, UTF-8") << true << 7.25 << 0 << true;
    QTest::newRow("an hour, UTF-8") << false << 3600.0 << 0 << true;
    QTest::newRow("phone width") << true << 30.0 << 375 << false;
    QTest::newRow("tablet width, UTF-8") << false << 12.0 << 768 << true;
    QTest::newRow("width not offered") << true << 30.0 << 500 << false;
}

void TestOptionDate::roundTrip()
{
    QFETCH(bool, colour);
    QFETCH(double, seconds);
    QFETCH(int, width);
    QFETCH(bool, utf8);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"OptionDate.dat"_s);
    EditorOptions o;
    o.HtmlIroWake = colour;
    o.RecoverySeconds = seconds;
    o.PreviewWidth = width;
    o.OutputUtf8 = utf8;
    QVERIFY(WriteOptionDate(path, o));
    const std::optional<EditorOptions> back = ReadOptionDate(path);
    QVERIFY(back);
    QCOMPARE(back->HtmlIroWake, colour);
    QCOMPARE(back->RecoverySeconds, seconds);
    QCOMPARE(back->PreviewWidth, width == 375 || width == 768 ? width : 0);
    QCOMPARE(back->OutputUtf8, utf8);
}

void TestOptionDate::fields_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("colour");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<bool>("utf8");
    QTest::newRow("empty") << QString() << true << 30.0 << false;
    QTest::newRow("only the switch") << u"False"_s << false << 30.0 << false;
    QTest::newRow("number for the switch") << u"0,10"_s << false << 10.0 << false;
    QTest::newRow("any case") << u"false,10\r\n"_s << false << 10.0 << false;
    QTest::newRow("switch unreadable") << u"vielleicht,10"_s << true << 10.0 << false;
    QTest::newRow("seconds unreadable") << u"False,soon"_s << false << 30.0 << false;
    QTest::newRow("too short a time") << u"True,0"_s << true << 1.0 << false;
    QTest::newRow("negative") << u"True,-5"_s << true << 1.0 << false;
    QTest::newRow("too long a time") << u"True,99999"_s << true << 3600.0 << false;
    QTest::newRow("not a finite number") << u"True,inf"_s << true << 30.0 << false;
    QTest::newRow("more fields than known") << u"False,12,whatever,False,9"_s << false << 12.0 << false;
    QTest::newRow("older file: two fields") << u"True,30\r\n"_s << true << 30.0 << false;
    QTest::newRow("UTF-8 output") << u"True,30,0,True,3\r\n"_s << true << 30.0 << true;
}

void TestOptionDate::fields()
{
    QFETCH(QString, text);
    QFETCH(bool, colour);
    QFETCH(double, seconds);
    QFETCH(bool, utf8);
    const EditorOptions o = ParseOptionDateText(text);
    QCOMPARE(o.HtmlIroWake, colour);
    QCOMPARE(o.RecoverySeconds, seconds);
    QCOMPARE(o.OutputUtf8, utf8);
}

void TestOptionDate::missingFileGivesNothing()
{
    QTemporaryDir dir;
    QVERIFY(!ReadOptionDate(dir.filePath(u"OptionDate.dat"_s)));
}

void TestOptionDate::pathInAppDir()
{
    QTemporaryDir dir;
    SetAppDir(dir.path());
    QCOMPARE(OptionDatePath(), JoinPath(dir.path(), u"OptionDate.dat"_s));
}

QTEST_APPLESS_MAIN(TestOptionDate)
#include "tst_optiondate.moc"
