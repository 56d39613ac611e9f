// Browser views draw their pages in software: a window that a browser joins
// keeps the native window it was shown with (no OpenGL surface forces it to
// be made again), and no OpenGL context is made while the program starts.

#include "BrowserView.h"
#include "TestSupport.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QOpenGLContext>
#include <QPlatformSurfaceEvent>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <QWindow>

using namespace Qt::StringLiterals;

namespace {

constexpr int LoadTimeout = 30000;

// Counts the native windows made for one window.
class SurfaceCounter : public QObject
{
public:
    int made = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::PlatformSurface
            && static_cast<QPlatformSurfaceEvent *>(event)->surfaceEventType()
                   == QPlatformSurfaceEvent::SurfaceCreated)
            ++made;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

class TestBrowserDrawing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void noOpenGlAtStart();
    void windowKeptWhenTheBrowserJoins_data();
    void windowKeptWhenTheBrowserJoins();
    void noGraphicsDriverLoaded();
};

void TestBrowserDrawing::noOpenGlAtStart()
{
    if (QGuiApplication::platformName() != u"xcb")
        QSKIP("needs an X display with OpenGL");
    QCOMPARE(QQuickWindow::sceneGraphBackend(), u"software"_s);
    // Neither QApplication nor the browser engine made a context for sharing:
    // on an X display with OpenGL the one they make is valid, the unmade
    // stand-in the program registers is not.
    QVERIFY(QOpenGLContext::globalShareContext());
    QVERIFY2(!QOpenGLContext::globalShareContext()->isValid(), "an OpenGL context was made at start");
}

void TestBrowserDrawing::windowKeptWhenTheBrowserJoins_data()
{
    QTest::addColumn<bool>("shownFirst");
    QTest::newRow("browser joins the shown window") << true;
    QTest::newRow("browser there before the window is shown") << false;
}

void TestBrowserDrawing::windowKeptWhenTheBrowserJoins()
{
    QFETCH(bool, shownFirst);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString page = dir.filePath(u"red.htm"_s);
    QVERIFY(PutBytes(page, "<html><body style=\"margin:0;background:#ff0000\"></body></html>"));

    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    window.resize(320, 240);
    SurfaceCounter counter;
    BrowserView *view = nullptr;
    const auto addBrowser = [&] {
        view = new BrowserView(&window);
        layout->addWidget(view);
    };
    if (!shownFirst)
        addBrowser();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.windowHandle()->installEventFilter(&counter);
    const WId shownAs = window.winId();
    if (shownFirst)
        addBrowser();

    QSignalSpy loaded(view, &BrowserView::loadFinished);
    view->navigateToFile(page);
    QVERIFY(loaded.wait(LoadTimeout));
    QVERIFY(loaded.first().first().toBool());

    // The page is drawn: red where the view is.
    QTRY_VERIFY_WITH_TIMEOUT(view->grab().toImage().pixelColor(view->width() / 2, view->height() / 2)
                                 == QColor(Qt::red),
                             LoadTimeout);
    QCOMPARE(window.winId(), shownAs);
    QCOMPARE(counter.made, 0);
    QCOMPARE(window.windowHandle()->surfaceType(), QSurface::RasterSurface);
}

void TestBrowserDrawing::noGraphicsDriverLoaded()
{
    // Only a display with OpenGL has a driver to load (the offscreen test
    // platform has none); ctest runs this test under Xvfb.
    if (QGuiApplication::platformName() != u"xcb")
        QSKIP("needs an X display with OpenGL");
    QFile maps(u"/proc/self/maps"_s);
    QVERIFY(maps.open(QIODevice::ReadOnly));
    // The browsers of the test before have started and shown their pages.
    const QByteArray mapped = maps.readAll();
    QVERIFY2(!mapped.contains("_dri.so"), "a graphics driver was loaded");
    QVERIFY2(!mapped.contains("libGLX_"), "an OpenGL library of the X display was loaded");
}

int main(int argc, char *argv[])
{
    // The program chooses the drawing itself, whatever the test runner's
    // surroundings ask for.
    qunsetenv("QT_QUICK_BACKEND");
    BrowserView::prepareDrawing();
    QApplication app(argc, argv);
    TestBrowserDrawing t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_browserdrawing.moc"
