// The font entry dialog: it shows the three constants of a font entry, keeps
// sizes at 1 or more, saves only what changed, asks before closing with
// unsaved changes, and refuses files that are not font entries.
#include "RecordingUi.h"
#include "TaguSien_ListFile.h"
#include "TaguSien_MakeFont.h"
#include "TestSupport.h"
#include "WidgetTestSupport.h"
#include "WizRun.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

struct Fixture
{
    QTemporaryDir dir;
    RecordingUi rec;
    WizProgram program;
    EditWizDates dates;
    std::unique_ptr<TaguSien_MakeFont> dialog;

    explicit Fixture(const QString &script = NewFontWizDate)
    {
        dates.EditWizPath = dir.path() + u"/WizDate0.dat"_s;
        dates.EditWizName = u"赤"_s;
        dates.EditWizSetumei = u"赤い字"_s;
        PutBytes(dates.EditWizPath, Sjis(script + u"\r\n"_s));
        dialog = std::make_unique<TaguSien_MakeFont>(dates, nullptr, &program);
        dialog->show();
    }

    QLineEdit *text(int n) const { return child<QLineEdit>(dialog.get(), u"Text"_s + QString::number(n)); }
    QPushButton *button(int n) const { return child<QPushButton>(dialog.get(), u"Command"_s + QString::number(n)); }
};

void Retype(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    TypeText(edit, text);
}

} // namespace

class TestMakeFont : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void loadsTheDefaultFontScript();
    void saveWithoutChangesWritesTheSameLine();
    void sizeRule();
    void saveChangesOnlyTheThreeConstants();
    void closeAsksAboutUnsavedChanges();
    void notAFontEntry();
    void neverSavesAnEntryItDidNotLoad();
};

void TestMakeFont::loadsTheDefaultFontScript()
{
    Fixture fx;
    QCOMPARE(fx.dialog->windowTitle(), u"フォントの設定"_s);
    QVERIFY(fx.dialog->loaded());
    QCOMPARE(fx.text(3)->text(), QString());
    QCOMPARE(fx.text(1)->text(), QString());
    QCOMPARE(fx.text(2)->text(), u"3"_s);
    QCOMPARE(fx.text(4)->text(), u"赤"_s);
    QCOMPARE(fx.text(5)->text(), u"赤い字"_s);
    QCOMPARE(fx.rec.beeps, 0);
    QVERIFY(!fx.dialog->changed());
}

void TestMakeFont::saveWithoutChangesWritesTheSameLine()
{
    Fixture fx;
    const QByteArray before = ReadBytes(fx.dates.EditWizPath);
    fx.button(2)->click();
    QCOMPARE(ReadBytes(fx.dates.EditWizPath), before);
    QCOMPARE(fx.rec.lastMessage(), u"データを保存しました"_s);
    QCOMPARE(fx.rec.shown.last().icon, UiService::Icon::None);
    QVERIFY(fx.dialog->isVisible()); // the dialog stays open
}

void TestMakeFont::sizeRule()
{
    Fixture fx;
    Retype(fx.text(2), u"0"_s);
    QCOMPARE(fx.text(2)->text(), u"1"_s);
    QCOMPARE(fx.rec.beeps, 1);
    QCOMPARE(fx.program.ops.at(3).I(3), qint16(1));
    Retype(fx.text(2), u"5"_s);
    fx.text(2)->end(false);
    TypeText(fx.text(2), u"abc"_s);
    QCOMPARE(fx.text(2)->text(), u"5"_s);
    QCOMPARE(fx.program.ops.at(3).I(3), qint16(5));
    // Down from 1 comes back to 1 with a beep; up at the limit stays.
    Retype(fx.text(2), u"1"_s);
    const int beeps = fx.rec.beeps;
    child<QToolButton>(fx.dialog.get(), u"UpDown1_Down"_s)->click();
    QCOMPARE(fx.text(2)->text(), u"1"_s);
    QCOMPARE(fx.rec.beeps, beeps + 1);
    fx.text(2)->setText(u"32767"_s);
    child<QToolButton>(fx.dialog.get(), u"UpDown1_Up"_s)->click();
    QCOMPARE(fx.text(2)->text(), u"32767"_s);
    child<QToolButton>(fx.dialog.get(), u"UpDown1_Down"_s)->click();
    QCOMPARE(fx.program.ops.at(3).I(3), qint16(32766));
}

void TestMakeFont::saveChangesOnlyTheThreeConstants()
{
    Fixture fx;
    // The colour chooser writes the colour as markup wants it.
    fx.rec.colorAnswers.enqueue(QColor(0, 0, 0));
    fx.button(1)->click();
    QCOMPARE(fx.text(3)->text(), u"#000000"_s);
    Retype(fx.text(1), u"ＭＳ ゴシック"_s);
    Retype(fx.text(2), u"5"_s);
    fx.text(4)->setText(u"黒"_s);
    fx.button(2)->click();
    QCOMPARE(fx.dates.EditWizName, u"黒"_s);
    QCOMPARE(fx.dates.EditWizSetumei, u"赤い字"_s);

    WizProgram saved;
    QCOMPARE(LoadWizDate(fx.dates.EditWizPath, &saved), WizLoadResult::Loaded);
    WizProgram original;
    QCOMPARE(LoadWizDateFromText(NewFontWizDate, &original), WizLoadResult::Loaded);
    QCOMPARE(saved.ops.size(), original.ops.size());
    for (int i = 0; i < saved.ops.size(); ++i)
        if (i < 1 || i > 3)
            QCOMPARE(saved.ops.at(i), original.ops.at(i));
    QCOMPARE(saved.ops.at(1), MakeWizOp(OpDainyu, {0, 0, 0, 0}, {u"#000000"_s}));
    QCOMPARE(saved.ops.at(2), MakeWizOp(OpDainyu, {0, 0, 1, 0}, {u"ＭＳ ゴシック"_s}));
    QCOMPARE(saved.ops.at(3), MakeWizOp(OpDainyu, {1, 0, 0, 5}));

    WizVariables vars;
    QCOMPARE(RunWizPrg(saved, vars, nullptr, u"abc"_s).text,
             u"<font color=\"#000000\" size=5 face=\"ＭＳ ゴシック\">abc</font>"_s);

    // Colour only, size 3: only the colour attribute.
    Retype(fx.text(1), QString());
    fx.text(1)->clear();
    Retype(fx.text(2), u"3"_s);
    fx.button(2)->click();
    QCOMPARE(LoadWizDate(fx.dates.EditWizPath, &saved), WizLoadResult::Loaded);
    QCOMPARE(RunWizPrg(saved, vars, nullptr, u"selected text"_s).text,
             u"<font color=\"#000000\">selected text</font>"_s);

    // A face the file cannot carry is refused.
    const QByteArray before = ReadBytes(fx.dates.EditWizPath);
    fx.text(1)->setText(u"a,b"_s);
    fx.button(2)->click();
    QVERIFY(fx.rec.lastMessage().contains(u"カンマ"_s));
    QCOMPARE(ReadBytes(fx.dates.EditWizPath), before);
}

void TestMakeFont::closeAsksAboutUnsavedChanges()
{
    Fixture fx;
    const QByteArray before = ReadBytes(fx.dates.EditWizPath);
    Retype(fx.text(2), u"4"_s);
    // Cancel (Escape, the question's close box) stays.
    fx.button(3)->click();
    QCOMPARE(fx.rec.shown.last().kind, u"question"_s);
    QVERIFY(fx.dialog->isVisible());
    QTest::keyClick(fx.dialog.get(), Qt::Key_Escape);
    QVERIFY(fx.dialog->isVisible());
    // No closes; the file is unchanged.
    fx.rec.yesNoCancelAnswers.enqueue(UiService::Answer::No);
    fx.button(3)->click();
    QVERIFY(!fx.dialog->isVisible());
    QCOMPARE(ReadBytes(fx.dates.EditWizPath), before);
    QCOMPARE(fx.dates.EditWizName, u"赤"_s);

    // Yes saves, then closes; no changes, no question.
    Fixture other;
    Retype(other.text(2), u"4"_s);
    other.rec.yesNoCancelAnswers.enqueue(UiService::Answer::Yes);
    other.button(3)->click();
    QVERIFY(!other.dialog->isVisible());
    QVERIFY(ReadBytes(other.dates.EditWizPath).contains(",3,1,0,0,4,"));
    Fixture third;
    third.button(3)->click();
    QVERIFY(!third.dialog->isVisible());
    QVERIFY(third.rec.shown.isEmpty());
}

void TestMakeFont::notAFontEntry()
{
    Fixture fx(u"$WizDate,1,0,0,0,0,-1"_s);
    QVERIFY(!fx.dialog->loaded());
    QCOMPARE(fx.rec.shown.size(), 1);
    QCOMPARE(fx.rec.shown.first().icon, UiService::Icon::Critical);
    QVERIFY(!fx.button(2)->isEnabled());
    QVERIFY(!fx.text(2)->isEnabled());
    QCOMPARE(ReadBytes(fx.dates.EditWizPath), QByteArray("$WizDate,1,0,0,0,0,-1\r\n"));
}

void TestMakeFont::neverSavesAnEntryItDidNotLoad()
{
    Fixture fx(u"kein Skript"_s);
    // The statement table holds a script loaded before; the name field is
    // locked, and even a name put in by other means is not saved with it.
    QCOMPARE(LoadWizDateFromText(NewFontWizDate, &fx.program), WizLoadResult::Loaded);
    QVERIFY(!fx.text(4)->isEnabled() && !fx.text(5)->isEnabled());
    fx.text(4)->setText(u"別名"_s);
    fx.rec.yesNoCancelAnswers.enqueue(UiService::Answer::Yes);
    fx.button(3)->click();
    QVERIFY(!fx.dialog->isVisible());
    QCOMPARE(ReadBytes(fx.dates.EditWizPath), QByteArray("kein Skript\r\n"));
    QCOMPARE(fx.rec.shown.size(), 1); // only that it could not be read
}

QTEST_MAIN(TestMakeFont)
#include "tst_makefont.moc"
