// The embedded browser reads local files through the program's own scheme:
// pages without a charset declaration show as code page 932, pages with one
// as declared; links, pictures and other files still work.

#include "BrowserView.h"
#include "LocalFileScheme.h"
#include "ProjectDates.h"
#include "TestSupport.h"
#include "TextFiles.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>

using namespace Qt::StringLiterals;

namespace {

constexpr int LoadTimeout = 30000;

// The answer of a script run in the page.
QVariant evaluate(BrowserView *view, const QString &script)
{
    QVariant result;
    bool done = false;
    view->page()->runJavaScript(script, [&](const QVariant &v) {
        result = v;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, LoadTimeout))
        return u"<no answer>"_s;
    return result;
}

QString shownText(BrowserView *view)
{
    return evaluate(view, u"document.body ? document.body.innerText : ''"_s).toString();
}

// The new-page skeleton with text in its body.
QString skeletonWith(const QString &body)
{
    QString page = NewPageSkeleton();
    const qsizetype at = page.indexOf(u"</body>"_s, 0, Qt::CaseInsensitive);
    page.insert(at < 0 ? page.size() : at, body + u"\r\n"_s);
    return page;
}

} // namespace

class TestBrowserView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
    }

    void contentType_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QByteArray>("type");
        const QByteArray sjis = "text/html; charset=Shift_JIS";
        QTest::newRow("page without declaration") << u"a.htm"_s << QByteArray("<html><body>x") << sjis;
        QTest::newRow(".html, upper case") << u"A.HTML"_s << QByteArray("<p>") << sjis;
        QTest::newRow("empty page") << u"e.html"_s << QByteArray() << sjis;
        QTest::newRow("meta charset") << u"u.htm"_s << QByteArray("<head><meta charset=\"utf-8\">") << QByteArray("text/html");
        QTest::newRow("http-equiv") << u"e.htm"_s
                                    << QByteArray("<head><META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; "
                                                  "charset=euc-jp\">")
                                    << QByteArray("text/html");
        QTest::newRow("declaration in a comment") << u"c.htm"_s << QByteArray("<!-- <meta charset=utf-8> -->") << sjis;
        QTest::newRow("declaration after the head") << u"b.htm"_s
                                                    << QByteArray("<head></head><body><meta charset=utf-8>") << sjis;
        QTest::newRow("UTF-8 byte-order mark") << u"bom.htm"_s << QByteArray("\xEF\xBB\xBF<p>") << QByteArray("text/html");
        QTest::newRow("Shift_JIS text around the head")
            << u"j.htm"_s << (Sjis(u"<title>日本語</title><meta charset=\"Shift_JIS\">"_s)) << QByteArray("text/html");
        QTest::newRow("picture") << u"p.gif"_s << QByteArray("GIF89a") << QByteArray("image/gif");
        QTest::newRow("jpeg") << u"p.jpeg"_s << QByteArray() << QByteArray("image/jpeg");
        QTest::newRow("style sheet") << u"s.css"_s << QByteArray() << QByteArray("text/css");
        QTest::newRow("unknown") << u"x.qqqzzz"_s << QByteArray("??") << QByteArray("application/octet-stream");
        QTest::newRow("no extension") << u"x1234"_s << QByteArray("text") << QByteArray("application/octet-stream");
    }

    void contentType()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, head);
        QFETCH(QByteArray, type);
        QCOMPARE(LocalFileScheme::ContentType(m_dir.filePath(name), head), type);
    }

    void urlsOfOddNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("japanese") << u"会社案内.htm"_s;
        QTest::newRow("blank") << u"a b.htm"_s;
        QTest::newRow("percent") << u"100%.htm"_s;
        QTest::newRow("hash and question") << u"a#b?c.htm"_s;
    }

    void urlsOfOddNames()
    {
        QFETCH(QString, name);
        const QString path = m_dir.filePath(u"sub/"_s + name);
        const QUrl url = BrowserView::urlForFile(path);
        QCOMPARE(url.scheme().toLatin1(), LocalFileScheme::Name());
        QVERIFY(url.fragment().isEmpty());
        QVERIFY(url.query().isEmpty());
        QCOMPARE(LocalFileScheme::FileForUrl(url), QDir::cleanPath(path));
        // What the browser makes of it reads back the same.
        QCOMPARE(LocalFileScheme::FileForUrl(QUrl::fromEncoded(url.toEncoded())), QDir::cleanPath(path));
        QCOMPARE(LocalFileScheme::FileForUrl(QUrl::fromLocalFile(path)), QString());
    }

    void pagesShowInTheirCharset_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("shown");
        const QString text = u"髙橋さんのページです。山﨑"_s;
        QTest::newRow("skeleton without declaration") << skeletonWith(text) << text;
        QTest::newRow("short page without declaration") << u"山﨑"_s << u"山﨑"_s;
        QTest::newRow("half-width katakana only") << u"<p>ｱｲｳｴｵ ｶﾀｶﾅ</p>"_s << u"ｱｲｳｴｵ ｶﾀｶﾅ"_s;
        QTest::newRow("declared Shift_JIS")
            << (u"<html><head><meta charset=\"Shift_JIS\"></head><body>"_s + text + u"</body></html>"_s) << text;
        QTest::newRow("declared UTF-8")
            << (u"<html><head><meta charset=\"UTF-8\"></head><body>한국어 "_s + text + u"</body></html>"_s)
            << (u"한국어 "_s + text);
        QTest::newRow("declared EUC-JP")
            << (u"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=EUC-JP\"></head><body>"_s
                + text + u"</body></html>"_s)
            << text;
        // A page that declares another charset is shown as it declares, even
        // when that is not what the bytes are: 0xB1 (ｱ in code page 932)
        // reads as "±" in Latin-1.
        QTest::newRow("declared Latin-1, bytes of code page 932")
            << u"RAW<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\"></head>"
               u"<body>ｱ</body></html>"_s
            << u"±"_s;
    }

    void pagesShowInTheirCharset()
    {
        QFETCH(QString, page);
        QFETCH(QString, shown);
        const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_')
                                            + u".htm"_s);
        // Pages are written as the program writes them; a page marked RAW is
        // written in code page 932 whatever it declares.
        if (page.startsWith(u"RAW"))
            QVERIFY(PutBytes(path, Sjis(page.mid(3))));
        else
            QVERIFY(WritePageFile(path, page));
        BrowserView view;
        view.resize(400, 300);
        view.show();
        QSignalSpy loaded(&view, &QWebEngineView::loadFinished);
        view.navigateToFile(path);
        QVERIFY(loaded.wait(LoadTimeout));
        QVERIFY(loaded.first().first().toBool());
        QCOMPARE(view.shownFile(), path);
        QCOMPARE(shownText(&view).trimmed(), shown);
    }

    void linksPicturesAndOtherFilesWork()
    {
        QTemporaryDir root; // a folder nothing was shown from
        QVERIFY(root.isValid());
        const QString folder = root.filePath(u"site"_s);
        QVERIFY(QDir().mkpath(folder));
        QImage img(7, 5, QImage::Format_RGB32);
        img.fill(Qt::blue);
        QVERIFY(img.save(folder + u"/写真 1.png"_s, "PNG"));
        QVERIFY(PutBytes(folder + u"/style.css"_s, "p { color: rgb(255, 0, 0); }"));
        QVERIFY(WritePageFile(folder + u"/二ページ目.htm"_s, u"<p>次のページ</p>"_s));
        QVERIFY(WritePageFile(folder + u"/index.htm"_s,
                              u"<html><head><link rel=\"stylesheet\" href=\"style.css\"></head><body>"
                              u"<p id=\"t\">最初</p><img id=\"i\" src=\"写真 1.png\"><img id=\"o\" src=\"../outside.png\">"
                              u"<a id=\"l\" href=\"二ページ目.htm\">次へ</a></body></html>"_s));
        // A file outside the folder is not served.
        QVERIFY(img.save(root.filePath(u"outside.png"_s), "PNG"));

        BrowserView view;
        view.resize(400, 300);
        view.show();
        QSignalSpy loaded(&view, &QWebEngineView::loadFinished);
        view.navigateToFile(folder + u"/index.htm"_s);
        QVERIFY(loaded.wait(LoadTimeout));
        QTRY_COMPARE_WITH_TIMEOUT(evaluate(&view, u"document.getElementById('i').naturalWidth"_s).toInt(), 7,
                                  LoadTimeout);
        QCOMPARE(evaluate(&view, u"getComputedStyle(document.getElementById('t')).color"_s).toString(),
                 u"rgb(255, 0, 0)"_s);
        QTRY_VERIFY_WITH_TIMEOUT(evaluate(&view, u"document.getElementById('o').complete"_s).toBool(), LoadTimeout);
        QCOMPARE(evaluate(&view, u"document.getElementById('o').naturalWidth"_s).toInt(), 0);

        loaded.clear();
        evaluate(&view, u"document.getElementById('l').click(); true"_s);
        QVERIFY(loaded.wait(LoadTimeout));
        QCOMPARE(view.shownFile(), folder + u"/二ページ目.htm"_s);
        QCOMPARE(shownText(&view).trimmed(), u"次のページ"_s);
    }

    void missingFileIsReportedByTheBrowser()
    {
        BrowserView view;
        view.show();
        QSignalSpy loaded(&view, &QWebEngineView::loadFinished);
        view.navigateToFile(m_dir.filePath(u"nothing-here.htm"_s));
        QVERIFY(loaded.wait(LoadTimeout));
        QCOMPARE(loaded.first().first().toBool(), false);
    }

private:
    QTemporaryDir m_dir;
};

int main(int argc, char *argv[])
{
    // The browser's drawing as the program prepares it at start.
    BrowserView::prepareDrawing();
    QApplication app(argc, argv);
    TestBrowserView t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_browserview.moc"
