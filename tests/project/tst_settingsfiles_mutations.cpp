// Damaged settings files: every truncation and a few thousand seeded
// mutations of valid SizeDate.dat and FontDate.dat lines are fed to the
// readers. None may crash; whatever geometry is read, the window fitted from
// it lies on a screen and the layout keeps the editor's room; whatever is
// read writes back to a line that reads to the same values.
#include "SettingsFiles.h"
#include "TestSupport.h"
#include "WindowFit.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

const QString SizeLine = u"9000,12000,600,900,1935,2100.5,3375,True,False,True,True,False,False,True"_s;
const QString FontLine = u"ＭＳ 明朝,9,False,True,16777215,255"_s;

// Twips to pixels as a 96-dpi screen shows them; sizes no screen has give 0.
int Px(double twips)
{
    if (!std::isfinite(twips) || std::fabs(twips) >= 1.0e6)
        return 0;
    return int(std::lround(twips / 15.0));
}

void CheckSize(const QString &text)
{
    const WindowSettings s = ParseSizeDateText(text);
    QVERIFY((s.present & ~WindowSettings::AllFields) == 0);
    const WindowSettings again = ParseSizeDateText(MakeSizeDateText(s));
    QCOMPARE(again.present, WindowSettings::AllFields);
    QCOMPARE(again.PrvVisible, s.PrvVisible);
    QCOMPARE(again.AutoPreview, s.AutoPreview);

    const QVector<QRect> screens = {QRect(0, 28, 1024, 740), QRect(1024, 0, 1400, 950)};
    const QMargins frame(4, 32, 4, 4);
    const QRect window(Px(s.Left) + frame.left(), Px(s.Top) + frame.top(), Px(s.Width), Px(s.Height));
    const QRect fitted = FitWindowOnScreens(window, screens, frame);
    bool onOne = false;
    for (const QRect &screen : screens)
        onOne = onOne || screen.contains(fitted.marginsAdded(frame));
    QVERIFY2(onOne, qPrintable(text));

    const double W = 15.0 * fitted.width() + 120;
    const double H = 15.0 * fitted.height() + 600;
    const LayoutSizes fit = FitLayoutSizes(W, H, {s.CatalogueWidth, s.FilesWidth, s.EditorHeight});
    QVERIFY2(fit.catalogueWidth >= MinColumnTwips && fit.filesWidth >= MinColumnTwips, qPrintable(text));
    QVERIFY2(fit.editorHeight >= MinEditorHeightTwips, qPrintable(text));
    QVERIFY2(W - fit.catalogueWidth - fit.filesWidth - 600 >= MinEditorWidthTwips - 0.001, qPrintable(text));
}

void CheckFont(const QString &text)
{
    const EditorFontSettings f = ParseFontDateText(text);
    QVERIFY(!f.Name.contains(QChar(0)));
    if (f.has(EditorFontSettings::FontSize))
        QVERIFY2(f.Size > 0 && std::isfinite(f.Size), qPrintable(text));
    const EditorFontSettings again = ParseFontDateText(MakeFontDateText(f));
    if (f.has(EditorFontSettings::FontSize))
        QCOMPARE(again.Size, f.Size);
}

QString Mutate(QString s, QRandomGenerator &rng)
{
    static const QString alphabet = u",,,,-.0123456789eE\r\n TrueFalsあ\t"_s;
    static const QString numbers[] = {u"999999"_s, u"-999999"_s, u"1e308"_s, u"nan"_s, u"inf"_s,
                                      u"0"_s,      u"1"_s,       u"-1"_s,    u"480000"_s};
    const int edits = 1 + int(rng.bounded(4));
    for (int e = 0; e < edits; ++e) {
        const qsizetype pos = s.isEmpty() ? 0 : qsizetype(rng.bounded(quint32(s.size())));
        const QChar c = alphabet.at(qsizetype(rng.bounded(quint32(alphabet.size()))));
        switch (rng.bounded(5)) {
        case 0: if (!s.isEmpty()) s[pos] = c; break;
        case 1: s.insert(pos, c); break;
        case 2: if (!s.isEmpty()) s.remove(pos, 1 + qsizetype(rng.bounded(3))); break;
        case 3: s.insert(pos, s.mid(pos, qsizetype(rng.bounded(12)))); break;
        default: s.insert(pos, numbers[rng.bounded(9)] + u","_s); break;
        }
    }
    return s;
}

} // namespace

class TestSettingsFilesMutations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyTruncation()
    {
        for (qsizetype n = 0; n <= SizeLine.size(); ++n)
            CheckSize(SizeLine.left(n));
        for (qsizetype n = 0; n <= FontLine.size(); ++n)
            CheckFont(FontLine.left(n));
        // A whole line reads every field.
        QCOMPARE(ParseSizeDateText(SizeLine).present, WindowSettings::AllFields);
    }

    void seededMutations()
    {
        QRandomGenerator rng(0x51ed);
        int whole = 0;
        for (int round = 0; round < 3000; ++round) {
            const QString size = Mutate(SizeLine, rng);
            CheckSize(size);
            if (ParseSizeDateText(size).present == WindowSettings::AllFields)
                ++whole;
            CheckFont(Mutate(FontLine, rng));
            if (QTest::currentTestFailed())
                return;
        }
        // The mutations reach both whole and damaged lines.
        QVERIFY(whole > 0 && whole < 3000);
    }

    void damagedFilesOnDisk()
    {
        // The file readers over the same damage, bytes no code page reads included.
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(u"SizeDate.dat"_s);
        QRandomGenerator rng(0x5e77);
        QByteArray bytes = Sjis(SizeLine + u"\r\n"_s);
        for (int round = 0; round < 300; ++round) {
            QByteArray b = bytes;
            for (int e = 0; e < 3; ++e)
                b[qsizetype(rng.bounded(quint32(b.size())))] = char(rng.bounded(256));
            QVERIFY(PutBytes(path, b.left(qsizetype(rng.bounded(quint32(b.size() + 1))))));
            const std::optional<WindowSettings> s = ReadSizeDate(path);
            QVERIFY(s.has_value());
            QVERIFY(PutBytes(path, b));
            QVERIFY(ReadFontDate(path).has_value());
        }
    }
};

QTEST_MAIN(TestSettingsFilesMutations)
#include "tst_settingsfiles_mutations.moc"
