// Output names: the kind tables, the duplicate message and the checks the
// settings dialogs run before storing a name.

#include "OutputNames.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestOutputNames : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pictKind_data()
    {
        QTest::addColumn<bool>("loads");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("label"); // empty: kept
        QTest::addColumn<QString>("ext");
        QTest::addColumn<bool>("kept");
        QTest::newRow("gif") << true << u"/p/a.gif"_s << u"画像ファイル - [GIFファイル]"_s << u".gif"_s << false;
        QTest::newRow("jpg") << true << u"/p/a.jpg"_s << u"画像ファイル - [JPGファイル]"_s << u".jpg"_s << false;
        QTest::newRow("jpeg") << true << u"/p/a.jpeg"_s << u"画像ファイル - [JPGファイル]"_s << u".jpeg"_s << false;
        QTest::newRow("bmp") << true << u"/p/a.bmp"_s << u"画像ファイル - [ビットマップファイル]"_s << u".bmp"_s
                             << false;
        QTest::newRow("JPG keeps") << true << u"/p/a.JPG"_s << QString() << QString() << true;
        QTest::newRow("loads other") << true << u"/p/picture"_s << QString() << QString() << true;
        QTest::newRow("png") << false << u"/p/a.png"_s << u"画像ファイル - [PNGファイル：プレビュー不可]"_s
                             << u".png"_s << false;
        QTest::newRow("broken gif") << false << u"/p/a.gif"_s << u"画像ファイル - [不明、又は不正なファイル形式]"_s
                                    << QString() << false;
        QTest::newRow("empty") << false << QString() << u"画像ファイル - [不明、又は不正なファイル形式]"_s
                               << QString() << false;
        QTest::newRow("PNG upper") << false << u"/p/a.PNG"_s << u"画像ファイル - [不明、又は不正なファイル形式]"_s
                                   << QString() << false;
    }

    void pictKind()
    {
        QFETCH(bool, loads);
        QFETCH(QString, path);
        QFETCH(QString, label);
        QFETCH(QString, ext);
        QFETCH(bool, kept);
        const ItemKindResult r = PictKind(loads, path);
        QCOMPARE(r.keepLabel, kept);
        QCOMPARE(r.keepExt, kept);
        if (!kept) {
            QCOMPARE(r.label, label);
            QCOMPARE(r.ext, ext);
        }
    }

    void elseFileKind_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("ext");
        const struct
        {
            const char16_t *ext;
            const char16_t *kind;
        } rows[] = {
            {u".lzh", u"LZH圧縮ファイル"},     {u".zip", u"ZIP圧縮ファイル"},     {u".cab", u"CAB圧縮ファイル"},
            {u".mid", u"MIDIシーケンスファイル"}, {u".mp3", u"MP3音声ファイル"},   {u".wav", u"WAVE音声ファイル"},
            {u".txt", u"テキストファイル"},    {u".exe", u"アプリケーションファイル"}, {u".swf", u"フラッシュムービー"},
            {u".mpg", u"MPGムービーファイル"}, {u".mov", u"MOVムービーファイル"}, {u".dat", u"データファイル"},
        };
        for (const auto &r : rows) {
            const QString ext = QString::fromUtf16(r.ext);
            QTest::newRow(qPrintable(ext)) << (u"/home/u/file"_s + ext) << QString::fromUtf16(r.kind) << ext;
        }
        QTest::newRow("abc") << u"/d/x.abc"_s << u"\".abc\"ファイル"_s << u".abc"_s;
        QTest::newRow("upper ZIP") << u"/d/x.ZIP"_s << u"\".ZIP\"ファイル"_s << u".ZIP"_s;
        QTest::newRow("no dot") << u"/d/readme"_s << u"不明なファイル"_s << QString();
        QTest::newRow("long ext") << u"/d/x.html"_s << u"不明なファイル"_s << QString();
        QTest::newRow("four chars") << u".zip"_s << u"不明なファイル"_s << QString();
        QTest::newRow("five chars") << u"a.zip"_s << u"ZIP圧縮ファイル"_s << u".zip"_s;
        QTest::newRow("empty") << QString() << u"不明なファイル"_s << QString();
    }

    void elseFileKind()
    {
        QFETCH(QString, path);
        QFETCH(QString, kind);
        QFETCH(QString, ext);
        const ItemKindResult r = ElseFileKind(path);
        QCOMPARE(r.label, u"参照先ファイル名 - ["_s + kind + u']');
        QCOMPARE(r.ext, ext);
        QVERIFY(!r.keepLabel);
        QVERIFY(!r.keepExt);
    }

    void duplicateMessage()
    {
        QCOMPARE(DuplicateNameMessage(u"html1.htm"_s, 2),
                 u"同一のファイル名が存在するので、このファイル名は利用できません。\r\nファイル名：html1.htm（3番目のHTMLデータ。）"_s);
    }

    void findOther()
    {
        ProjectDates p;
        AddHtmlDat(p, u"A"_s, u"a"_s, QString(), u".htm"_s);
        AddHtmlDat(p, u"B"_s, u"b"_s, QString(), u".htm"_s);
        AddHtmlDat(p, u"C"_s, u"b"_s, QString(), u".htm"_s); // a duplicate read from a file
        QCOMPARE(FindOtherHtml(p, u"a.htm"_s, -1), 0);
        QCOMPARE(FindOtherHtml(p, u"a.htm"_s, 0), -1);
        QCOMPARE(FindOtherHtml(p, u"b.htm"_s, 1), 2);
        QCOMPARE(FindOtherHtml(p, u"b.htm"_s, 2), 1);
        QCOMPARE(FindOtherHtml(p, u"B.htm"_s, -1), -1);
        AddPictDat(p, u"P"_s, u"p"_s, u"/x.gif"_s, u".gif"_s);
        AddElseFileDat(p, u"E"_s, u"e"_s, u"/x.zip"_s, QString());
        QCOMPARE(FindOtherPict(p, u"p.gif"_s, -1), 0);
        QCOMPARE(FindOtherPict(p, u"p.gif"_s, 0), -1);
        QCOMPARE(FindOtherElse(p, u"e"_s, -1), 0);
        QCOMPARE(FindOtherElse(p, u"p.gif"_s, -1), -1);
    }

    void fieldChars_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("found"); // empty: accepted
        QTest::newRow("plain") << u"会社案内"_s << QString();
        QTest::newRow("inner blank") << u"a b"_s << QString();
        QTest::newRow("inner quote") << u"a\"b"_s << QString();
        QTest::newRow("comma") << u"a,b"_s << u"カンマ（,）"_s;
        QTest::newRow("cr") << u"a\rb"_s << u"改行"_s;
        QTest::newRow("lf") << u"a\nb"_s << u"改行"_s;
        QTest::newRow("leading blank") << u" ab"_s << u"先頭の空白"_s;
        QTest::newRow("leading tab") << u"\tab"_s << u"先頭の空白"_s;
        QTest::newRow("leading quote") << u"\"ab"_s << u"先頭のダブルクォーテーション"_s;
        QTest::newRow("no code") << u"a😀"_s << u"保存できない文字「😀」"_s;
        QTest::newRow("NUL") << QString(u"a"_s + QChar(0) + u"b"_s) << u"NUL文字"_s;
    }

    void fieldChars()
    {
        QFETCH(QString, value);
        QFETCH(QString, found);
        const QString msg = FieldCharsProblem(u"名前"_s, value);
        // A file name is checked the same way, and more strictly.
        if (!found.isEmpty())
            QVERIFY(!FieldCharsProblem(u"名前"_s, value, FieldKind::FileName).isEmpty());
        if (found.isEmpty()) {
            QVERIFY2(msg.isEmpty(), qPrintable(msg));
        } else {
            QVERIFY(msg.startsWith(u"「名前」に使用できない文字が含まれています："_s));
            QVERIFY2(msg.contains(found), qPrintable(msg));
            // The message says which characters can never be used.
            QVERIFY(msg.contains(u"カンマ（,）と改行は使用できません"_s));
            // and is never cut short by a NUL of its own.
            QVERIFY(!msg.contains(QChar(0)));
        }
    }

    void characterThatReadsBackAsAnother_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("ch");
        QTest::newRow("wave dash") << u"a\u301Cb"_s << u"\u301C"_s;
        QTest::newRow("minus sign") << u"\u2212"_s << u"\u2212"_s;
        QTest::newRow("em dash") << u"x\u2014"_s << u"\u2014"_s;
        QTest::newRow("pound sign") << u"\u00A3x"_s << u"\u00A3"_s;
    }

    void characterThatReadsBackAsAnother()
    {
        QFETCH(QString, value);
        QFETCH(QString, ch);
        // A name may hold it (it is saved as its full-width counterpart)...
        QCOMPARE(FieldCharsProblem(u"名前"_s, value), QString());
        // ...a file name or path may not: the counterpart names another file.
        const QString msg = FieldCharsProblem(u"参照先ファイル"_s, value, FieldKind::FileName);
        QVERIFY2(msg.startsWith(u"「参照先ファイル」に使用できない文字が含まれています：保存すると別の文字に変わる文字「"_s
                                + ch + u"」"_s),
                 qPrintable(msg));
    }

    void linkChars_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("found"); // empty: accepted
        QTest::newRow("plain") << u"index.htm"_s << QString();
        QTest::newRow("japanese and blanks") << u"会社 案内.html"_s << QString();
        QTest::newRow("full-width look-alikes") << u"＃？％.htm"_s << QString();
        QTest::newRow("quote") << u"a\"b.htm"_s << u"「\"」"_s;
        QTest::newRow("hash") << u"a#b.htm"_s << u"「#」"_s;
        QTest::newRow("question") << u"a?b.htm"_s << u"「?」"_s;
        QTest::newRow("star") << u"*.htm"_s << u"「*」"_s;
        QTest::newRow("angles") << u"<a>.htm"_s << u"「<」「>」"_s;
        QTest::newRow("bar") << u"a|b"_s << u"「|」"_s;
        QTest::newRow("colon") << u"c:x.htm"_s << u"「:」"_s;
        QTest::newRow("percent") << u"100%.htm"_s << u"「%」"_s;
        QTest::newRow("each named once") << u"%a%b%?"_s << u"「?」「%」"_s;
    }

    void linkChars()
    {
        QFETCH(QString, name);
        QFETCH(QString, found);
        const QString msg = LinkCharsProblem(name);
        if (found.isEmpty()) {
            QVERIFY2(msg.isEmpty(), qPrintable(msg));
            return;
        }
        QCOMPARE(msg.section(u"\r\n"_s, 0, 0),
                 u"出力時のファイル名「"_s + name + u"」に使用できない文字が含まれています："_s + found);
        // The message lists every character that cannot be used.
        QVERIFY(msg.contains(u"\" # ? * < > | : %"_s));
    }

    void outputNameProblem_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("ok");
        QTest::newRow("plain") << u"index.htm"_s << true;
        QTest::newRow("dots inside") << u"a..b.htm"_s << true;
        QTest::newRow("no ext") << u"file1"_s << true;
        QTest::newRow("slash") << u"sub/a.htm"_s << false;
        QTest::newRow("backslash") << u"sub\\a.htm"_s << false;
        QTest::newRow("dotdot") << u".."_s << false;
        QTest::newRow("dot") << u"."_s << false;
        QTest::newRow("parent path") << u"../a.htm"_s << false;
        QTest::newRow("absolute") << u"/etc/passwd"_s << false;
        QTest::newRow("drive") << u"C:a.htm"_s << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("NUL") << QString(u"a"_s + QChar(0) + u".htm"_s) << false;
    }

    void outputNameProblem()
    {
        QFETCH(QString, name);
        QFETCH(bool, ok);
        const QString msg = OutputNameProblem(name);
        QCOMPARE(msg.isEmpty(), ok);
        QVERIFY(!msg.contains(QChar(0)));
        if (name.contains(QChar(0)))
            QVERIFY2(msg.contains(u"a␀.htm"_s) && msg.contains(u"NUL文字"_s), qPrintable(msg));
    }
};

QTEST_GUILESS_MAIN(TestOutputNames)
#include "tst_outputnames.moc"
