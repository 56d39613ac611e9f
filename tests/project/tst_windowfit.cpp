// Restored window geometry and layout sizes brought into what the screens and
// the window can show.

#include "WindowFit.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestWindowFit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fitOnScreens_data()
    {
        QTest::addColumn<QRect>("window");
        QTest::addColumn<QRect>("expected");
        // Two screens side by side: 1024x768 (primary, a panel of 28 at the
        // top) and 1400x950 to its right.
        QTest::newRow("on the first screen") << QRect(100, 100, 800, 600) << QRect(100, 100, 800, 600);
        QTest::newRow("on the second screen") << QRect(1200, 100, 1000, 700) << QRect(1200, 100, 1000, 700);
        QTest::newRow("huge size") << QRect(50, 60, 66666, 66666) << QRect(4, 60, 1016, 704);
        QTest::newRow("huge size far away") << QRect(66666, 66666, 66666, 66666) << QRect(4, 60, 1016, 704);
        QTest::newRow("huge size starting on the second screen")
            << QRect(1100, 100, 66666, 66666) << QRect(1028, 32, 1392, 914);
        QTest::newRow("off every screen") << QRect(-5000, -5000, 800, 600) << QRect(4, 60, 800, 600);
        QTest::newRow("below the screens") << QRect(300, 2000, 800, 600) << QRect(220, 164, 800, 600);
        QTest::newRow("sticking out to the right of the second")
            << QRect(2200, 100, 600, 400) << QRect(1820, 100, 600, 400);
        QTest::newRow("first start at 1100x750 on 1024x768")
            << QRect(10, 40, 1100, 750) << QRect(4, 60, 1016, 704);
        QTest::newRow("too small") << QRect(100, 100, 10, 1) << QRect(100, 100, 480, 360);
        QTest::newRow("under the panel") << QRect(100, 0, 800, 600) << QRect(100, 60, 800, 600);
    }

    void fitOnScreens()
    {
        QFETCH(QRect, window);
        QFETCH(QRect, expected);
        const QVector<QRect> screens = {QRect(0, 28, 1024, 740), QRect(1024, 0, 1400, 950)};
        const QMargins frame(4, 32, 4, 4);
        const QRect fitted = FitWindowOnScreens(window, screens, frame);
        QCOMPARE(fitted, expected);
        // The result, frame included, lies wholly on one screen.
        bool onOne = false;
        for (const QRect &s : screens)
            onOne = onOne || s.contains(fitted.marginsAdded(frame));
        QVERIFY(onOne);
        // Fitting again changes nothing.
        QCOMPARE(FitWindowOnScreens(fitted, screens, frame), fitted);
    }

    void fitWithoutScreens()
    {
        const QRect window(-99999, 5, 66666, 3);
        QCOMPARE(FitWindowOnScreens(window, {}, QMargins()), window);
    }

    void fitSize_data()
    {
        QTest::addColumn<QSize>("wanted");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("fits") << QSize(800, 600) << QSize(800, 600);
        QTest::newRow("too wide") << QSize(1100, 600) << QSize(1016, 600);
        QTest::newRow("too high") << QSize(800, 750) << QSize(800, 704);
        QTest::newRow("both") << QSize(66666, 66666) << QSize(1016, 704);
        QTest::newRow("too small") << QSize(0, -5) << QSize(480, 360);
    }

    void fitSize()
    {
        QFETCH(QSize, wanted);
        QFETCH(QSize, expected);
        QCOMPARE(FitWindowSize(wanted, QRect(0, 28, 1024, 740), QMargins(4, 32, 4, 4)), expected);
    }

    void fitSizeOnTinyScreen()
    {
        // A screen smaller than the minimum gets a window as large as it allows.
        QCOMPARE(FitWindowSize(QSize(1100, 750), QRect(0, 0, 400, 300), QMargins(4, 32, 4, 4)), QSize(392, 264));
    }

    void fitLayout_data()
    {
        QTest::addColumn<double>("W");
        QTest::addColumn<double>("H");
        QTest::addColumn<double>("catalogue");
        QTest::addColumn<double>("files");
        QTest::addColumn<double>("editor");
        QTest::addColumn<double>("expCatalogue");
        QTest::addColumn<double>("expFiles");
        QTest::addColumn<double>("expEditor");
        QTest::newRow("saved sizes that fit") << 16500.0 << 11250.0 << 1935.0 << 1935.0 << 3375.0 << 1935.0 << 1935.0
                                              << 3375.0;
        QTest::newRow("file list of 999999") << 16500.0 << 11250.0 << 1935.0 << 999999.0 << 3375.0 << 1935.0
                                             << 16500.0 - 2100 - 1935 << 3375.0;
        QTest::newRow("both columns too wide: the wider gives first, then both alike")
            << 10000.0 << 9000.0 << 10800.0 << 5800.0 << 3000.0 << 3950.0 << 3950.0 << 3000.0;
        QTest::newRow("one column a little too wide") << 10000.0 << 9000.0 << 2000.0 << 6500.0 << 3000.0 << 2000.0
                                                      << 5900.0 << 3000.0;
        QTest::newRow("columns narrower than the minimum") << 16500.0 << 11250.0 << 1.0 << -50.0 << 3375.0 << 800.0
                                                           << 800.0 << 3375.0;
        QTest::newRow("editor height of 1 twip") << 16500.0 << 11250.0 << 1935.0 << 1935.0 << 1.0 << 1935.0
                                                 << 1935.0 << 800.0;
        QTest::newRow("editor higher than the window") << 16500.0 << 11250.0 << 1935.0 << 1935.0 << 999999.0
                                                       << 1935.0 << 1935.0 << 11250.0 - 2500;
        QTest::newRow("catalogue of 1.6e20 beside a small list") << 16500.0 << 11250.0 << 1.6111e20 << 1935.0 << 3375.0
                                                                 << 16500.0 - 2100 - 1935 << 1935.0 << 3375.0;
        QTest::newRow("both columns of 1e300") << 16500.0 << 11250.0 << 1e300 << 1e300 << 1e300 << 7200.0 << 7200.0
                                               << 11250.0 - 2500;
        QTest::newRow("sizes that are no number") << 16500.0 << 11250.0 << qQNaN() << qInf() << qQNaN() << 800.0
                                                  << 800.0 << 800.0;
        QTest::newRow("window too small for anything") << 3000.0 << 2000.0 << 5000.0 << 5000.0 << 5000.0 << 800.0
                                                       << 800.0 << 800.0;
    }

    void fitLayout()
    {
        QFETCH(double, W);
        QFETCH(double, H);
        QFETCH(double, catalogue);
        QFETCH(double, files);
        QFETCH(double, editor);
        QFETCH(double, expCatalogue);
        QFETCH(double, expFiles);
        QFETCH(double, expEditor);
        const LayoutSizes fit = FitLayoutSizes(W, H, {catalogue, files, editor});
        QCOMPARE(fit.catalogueWidth, expCatalogue);
        QCOMPARE(fit.filesWidth, expFiles);
        QCOMPARE(fit.editorHeight, expEditor);
        // Where the window has room, the editor keeps its usable minimum.
        if (W >= 600 + MinEditorWidthTwips + 2 * MinColumnTwips)
            QVERIFY(W - fit.catalogueWidth - fit.filesWidth - 600 >= MinEditorWidthTwips - 0.001);
    }
};

QTEST_APPLESS_MAIN(TestWindowFit)
#include "tst_windowfit.moc"
