// The toolbar's icons are drawn when a size is first asked for: every size
// and look (normal, disabled) comes out as the tile would be drawn for it.

#include "Icons.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// How far a colour is from grey.
int Saturation(const QColor &c)
{
    return c.toHsv().hsvSaturation();
}

} // namespace

class TestIcons : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void drawnAtTheSizeAskedFor_data();
    void drawnAtTheSizeAskedFor();
    void disabledLooksGreyed();
    void sharpOnDenseScreens();
    void sameSizesOfferedAsBefore();
    void unknownKeyGetsAPlainTile();
};

void TestIcons::drawnAtTheSizeAskedFor_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("size");
    for (const QString &key : {u"NewPro"_s, u"DelDate"_s, u"GoHelp"_s, u"JBack"_s})
        for (int size : {16, 20, 24, 32, 48})
            QTest::addRow("%s %d", qPrintable(key), size) << key << size;
}

void TestIcons::drawnAtTheSizeAskedFor()
{
    QFETCH(QString, key);
    QFETCH(int, size);
    const QIcon icon = ToolbarIcon(key);
    QVERIFY(!icon.isNull());
    const QImage image = icon.pixmap(QSize(size, size), 1.0).toImage();
    QCOMPARE(image.size(), QSize(size, size));
    // A coloured tile inside a transparent corner.
    QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
    const QColor edge = image.pixelColor(size / 2, 2);
    QCOMPARE(edge.alpha(), 255);
    QVERIFY2(Saturation(edge) > 60, qPrintable(edge.name()));
    // Asked again, the same picture.
    QCOMPARE(icon.pixmap(QSize(size, size), 1.0).toImage(), image);
}

void TestIcons::disabledLooksGreyed()
{
    const QIcon icon = ToolbarIcon(u"DelDate"_s);
    const QImage normal = icon.pixmap(QSize(24, 24), 1.0, QIcon::Normal).toImage();
    const QImage disabled = icon.pixmap(QSize(24, 24), 1.0, QIcon::Disabled).toImage();
    QCOMPARE(disabled.size(), normal.size());
    QVERIFY(disabled != normal);
    QVERIFY(Saturation(disabled.pixelColor(12, 2)) < Saturation(normal.pixelColor(12, 2)));
}

void TestIcons::sharpOnDenseScreens()
{
    const QPixmap pm = ToolbarIcon(u"SavePro"_s).pixmap(QSize(24, 24), 2.0);
    QCOMPARE(pm.size(), QSize(48, 48));
    QCOMPARE(pm.devicePixelRatio(), 2.0);
}

void TestIcons::sameSizesOfferedAsBefore()
{
    const QList<QSize> sizes = ToolbarIcon(u"OpenPro"_s).availableSizes();
    for (int size : {16, 24, 32, 48})
        QVERIFY(sizes.contains(QSize(size, size)));
}

void TestIcons::unknownKeyGetsAPlainTile()
{
    const QImage image = ToolbarIcon(u"NoSuchButton"_s).pixmap(QSize(24, 24), 1.0).toImage();
    QCOMPARE(image.size(), QSize(24, 24));
    const QColor edge = image.pixelColor(12, 2);
    QCOMPARE(edge.alpha(), 255);
    QCOMPARE(Saturation(edge), 0);
}

QTEST_MAIN(TestIcons)
#include "tst_icons.moc"
