// The wizard input window: layout of the four slots, the button modes, the
// integer-slot rule, spinners, colours, option groups, file-name lists and
// how the window reports being closed, driven offscreen.

#include "ProjectDates.h"
#include "WidgetTestSupport.h"
#include "RecordingUi.h"
#include "TaguSien_WizWindow.h"
#include "Twips.h"
#include "WizRun.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// An input-window statement: kinds, targets, button mode, title, initial
// values and captions.
WizOp Window(QVector<qint16> kinds, QVector<qint16> targets, qint16 mode, const QString &title = QString(),
             QStringList initials = {}, QStringList captions = {})
{
    while (kinds.size() < 4)
        kinds.append(-1);
    while (targets.size() < 4)
        targets.append(-1);
    while (initials.size() < 4)
        initials.append(QString());
    while (captions.size() < 4)
        captions.append(QString());
    QVector<qint16> ints = kinds + targets;
    ints.append(mode);
    QStringList strs{title};
    strs += initials;
    strs += captions;
    return MakeWizOp(OpInputWindow, ints, strs);
}

WizProgram Program(const WizOp &window)
{
    WizProgram p;
    p.ops = {MakeWizOp(OpHensuSettei, {3, 3, 3}), window, MakeWizOp(OpWizEnd)};
    return p;
}

WizVariables Vars()
{
    WizVariables v;
    v.IntHensu = QVector<qint16>(4, 0);
    v.StrHensu = QStringList(4, QString());
    v.BoolHensu = QVector<bool>(4, false);
    return v;
}

ProjectDates SampleProject()
{
    ProjectDates p;
    p.Html = {{u"インデックス"_s, u"Index"_s, QString(), u".htm"_s},
              {u"会社概要"_s, u"Company"_s, QString(), u".html"_s}};
    p.ElseFile = {{u"資料"_s, u"Paper"_s, u"/nowhere/paper.pdf"_s, u".pdf"_s}};
    return p;
}

template<typename T>
T *Find(QWidget *w, const QString &name)
{
    T *child = w->findChild<T *>(name);
    if (!child)
        qWarning("missing control %s", qUtf8Printable(name));
    return child;
}

} // namespace

class TestWizWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { SetTwipsDpiForTesting(144); }

    void emptyWindowShowsOnlyTheButtons();
    void slotsAreLaidOutInRows();
    void buttonModesAndTitle();
    void integerSlotRule();
    void integerInitialValues();
    void spinnersStopAtTheLimits();
    void eachWindowStartsIntegersAtZero();
    void checkBoxAndOptionInitials();
    void optionsActAsOneGroup();
    void fileNameSlots();
    void colourSlot();
    void mainButtonStoresEveryKind();
    void cancelAndCloseBoxStoreNothing();
    void disabledMainButtonLeavesOnlyCancel();
    void runsAsTheInterpretersWindow();
    void firstInputHasTheFocus_data();
    void firstInputHasTheFocus();
};

void TestWizWindow::emptyWindowShowsOnlyTheButtons()
{
    RecordingUi rec;
    const ProjectDates project;
    TaguSien_WizWindow w(project);
    WizVariables vars = Vars();
    const WizProgram p = Program(Window({}, {}, 0));
    w.loadStatement(p, 1, vars);
    w.show();
    for (int k = 0; k < 4; ++k) {
        for (const QString &base : {u"Label1"_s, u"Text1"_s, u"UpDown1"_s, u"Combo1"_s, u"Check1"_s, u"Option1"_s,
                                    u"Command3"_s}) {
            QWidget *c = Find<QWidget>(&w, base + u'_' + QString::number(k));
            QVERIFY(c);
            QVERIFY2(!c->isVisible(), qUtf8Printable(c->objectName()));
        }
    }
    QVERIFY(Find<QPushButton>(&w, u"Command1"_s)->isVisible());
    QCOMPARE(Find<QPushButton>(&w, u"Command2"_s)->text(), u"キャンセル"_s);
    QCOMPARE(w.size(), TwipsRect(0, 0, 5595, 3120).size());
    QCOMPARE(rec.beeps, 0);
}

void TestWizWindow::slotsAreLaidOutInRows()
{
    RecordingUi rec;
    const ProjectDates project = SampleProject();
    TaguSien_WizWindow w(project);
    WizVariables vars = Vars();
    const WizProgram p = Program(Window({0, 1, 4, 8}, {0, 0, 1, 2}, 0, QString(), {u"a"_s, u"5"_s, QString(), u"#FFFFFF"_s},
                                        {u"文字"_s, u"数"_s, u"ページ"_s, u"色"_s}));
    w.loadStatement(p, 1, vars);
    w.show();

    // Text slot: caption above a full-width text box.
    QCOMPARE(Find<QLabel>(&w, u"Label1_0"_s)->geometry(), TwipsRect(120, 120, 5295, 255));
    QCOMPARE(Find<QLineEdit>(&w, u"Text1_0"_s)->geometry(), TwipsRect(120, 360, 5295, 270));
    QCOMPARE(Find<QLabel>(&w, u"Label1_0"_s)->text(), u"文字"_s);
    // Integer slot: narrowed box with the up/down buttons beside it.
    QCOMPARE(Find<QLineEdit>(&w, u"Text1_1"_s)->geometry(), TwipsRect(120, 960, 1215, 270));
    QCOMPARE(Find<QWidget>(&w, u"UpDown1_1"_s)->geometry(), TwipsRect(1320, 960, 240, 255));
    QVERIFY(Find<QWidget>(&w, u"UpDown1_1"_s)->isVisible());
    // File-name slot: the list sits where the text box would.
    QComboBox *combo = Find<QComboBox>(&w, u"Combo1_2"_s);
    QVERIFY(combo->isVisible());
    QCOMPARE(combo->pos(), TwipsRect(120, 360 + 1200, 1, 1).topLeft());
    QVERIFY(!Find<QLineEdit>(&w, u"Text1_2"_s)->isVisible());
    // Colour slot: narrowed box and the "..." button where the spinner would be.
    QCOMPARE(Find<QLineEdit>(&w, u"Text1_3"_s)->width(), TwipsToPx(1215));
    QPushButton *dots = Find<QPushButton>(&w, u"Command3_3"_s);
    QVERIFY(dots->isVisible());
    QCOMPARE(dots->text(), u"..."_s);
    QCOMPARE(dots->pos(), TwipsRect(1320, 360 + 1800, 1, 1).topLeft());
    QCOMPARE(Find<QPushButton>(&w, u"Command1"_s)->geometry(), TwipsRect(3000, 2640, 1215, 375));
    QCOMPARE(Find<QPushButton>(&w, u"Command2"_s)->geometry(), TwipsRect(4320, 2640, 1215, 375));

    // Loaded again as a label and a text slot, the rows take their shapes back.
    const WizProgram q = Program(Window({7, 0}, {}, 0, QString(), {}, {u"説明の一行目"_s, u"名前"_s}));
    w.loadStatement(q, 1, vars);
    QCOMPARE(Find<QLabel>(&w, u"Label1_0"_s)->geometry(), TwipsRect(120, 120, 5295, 495));
    QVERIFY(!Find<QLineEdit>(&w, u"Text1_0"_s)->isVisible());
    QCOMPARE(Find<QLineEdit>(&w, u"Text1_1"_s)->width(), TwipsToPx(5295));
    QVERIFY(!Find<QWidget>(&w, u"UpDown1_1"_s)->isVisible());
    QVERIFY(!Find<QComboBox>(&w, u"Combo1_2"_s)->isVisible());
    QVERIFY(!Find<QPushButton>(&w, u"Command3_3"_s)->isVisible());
}

void TestWizWindow::buttonModesAndTitle()
{
    RecordingUi rec;
    const ProjectDates project;
    TaguSien_WizWindow w(project);
    WizVariables vars = Vars();
    QPushButton *main = Find<QPushButton>(&w, u"Command1"_s);

    const struct
    {
        qint16 mode;
        QString caption;
        bool enabled;
    } modes[] = {{0, u"次へ"_s, true}, {1, u"完了"_s, true}, {2, u"完了"_s, false}, {7, u"次へ"_s, true}, {0, u"次へ"_s, true}};
    for (const auto &m : modes) {
        const WizProgram p = Program(Window({}, {}, m.mode, u"表の作成"_s));
        w.loadStatement(p, 1, vars);
        QCOMPARE(main->text(), m.caption);
        QCOMPARE(main->isEnabled(), m.enabled);
        QCOMPARE(w.windowTitle(), u"表の作成"_s);
    }
    const WizProgram untitled = Program(Window({}, {}, 0));
    w.loadStatement(untitled, 1, vars);
    QCOMPARE(w.windowTitle(), u"タグ挿入ウィザード"_s);
}

void TestWizWindow::integerSlotRule()
{
    RecordingUi rec;
    const ProjectDates project;
    TaguSien_WizWindow w(project);
    WizVariables vars = Vars();
    const WizProgram p = Program(Window({1}, {2}, 0, QString(), {u"12"_s}));
    w.loadStatement(p, 1, vars);
    w.show();
    QLineEdit *text = Find<QLineEdit>(&w, u"Text1_0"_s);
    QCOMPARE(text->text(), u"12"_s);
    QCOMPARE(w.ObjIntValue(0), qint16(12));
    QCOMPARE(rec.beeps, 0);

    // Typing a letter after 12: beep, and 12 again.
    text->setFocus();
    text->end(false);
    QTest::keyClicks(text, u"a"_s);
    QCOMPARE(rec.beeps, 1);
    QCOMPARE(text->text(), u"12"_s);
    QCOMPARE(w.ObjIntValue(0), qint16(12));

    // Fractions round to the nearest integer, ties to even.
    text->selectAll();
    QTest::keyClicks(text, u"3.5"_s);
    QCOMPARE(text->text(), u"3.5"_s);
    QCOMPARE(w.ObjIntValue(0), qint16(4));
    text->selectAll();
    QTest::keyClicks(text, u"2.5"_s);
    QCOMPARE(w.ObjIntValue(0), qint16(2));
    QCOMPARE(rec.beeps, 1);

    // Out of range and empty texts are refused.
    text->setText(u"40000"_s);
    QCOMPARE(rec.beeps, 2);
    QCOMPARE(text->text(), u"2"_s);
    text->clear();
    QCOMPARE(rec.beeps, 3);
    QCOMPARE(text->text(), u"2"_s);
    text->setText(u"-32768"_s);
    QCOMPARE(w.ObjIntValue(0), qint16(-32768));
    QCOMPARE(rec.beeps, 3);

    // The main button stores the last valid value.
    text->setText(u"2.5"_s);
    QTest::mouseClick(Find<QPushButton>(&w, u"Command1"_s), Qt::LeftButton);
    QVERIFY(w.WizNext());
    QCOMPARE(vars.IntHensu.at(2), qint16(2));
}

void TestWizWindow::integerInitialValues()
{
    RecordingUi rec;
    const ProjectDates project;
    TaguSien_WizWindow w(project);
    WizVariables vars = Vars();
    // Empty and non-numeric initial values beep once each and show 0.
    const WizProgram p = Program(Window({1, 1, 1, 1}, {0, 1, 2, 3}, 0, QString(), {QString(), u"x"_s, u"-7"_s, u"1.5"_s}));
    w.loadStatement(p, 1, vars);
    QCOMPARE(rec.beeps, 2);
    QCOMPARE(Find<QLineEdit>(&w, u"Text1_0"_s)->text(), u"0"_s);
    QCOMPARE(Find<QLineEdit>(&w, u"Text1_1"_s)->text(), u"0"_s);
    QCOMPARE(w.ObjIntValue(2), qint16(-7));
    QCOMPARE(w.ObjIntValue(3), qint16(2));

    // The same text as the box already shows is still checked at load.
    rec.beeps = 0;
    const WizProgram again = Program(Window({1}, {0}, 0, QString(), {u"0"_s}));
    w.loadStatement(again, 1, vars);
    const WizProgram bad = Program(Window({1}, {0}, 0, QString(), {u"zz"_s}));
    w.loadStatement(bad, 1, vars);
    QCOMPARE(rec.beeps, 1);
    QCOMPARE(Find<QLineEdit>(&w, u"Text1_0"_s)->text(), u"0"_s);
}

void TestWizWindow::spinnersStopAtTheLimits()
{
    RecordingUi rec;
    const ProjectDates project;
    TaguSien_WizWindow w(project);
    WizVariables vars = Vars();
    const WizProgram p = Program(Window({1, 1}, {0, 1}, 0, QString(), {u"32766"_s, u"-32767"_s}));
    w.loadStatement(p, 1, vars);
    w.show();
    QToolButton *up = Find<QToolButton>(&w, u"UpDown1_0_Up"_s);
    QToolButton *down0 = Find<QToolButton>(&w, u"UpDown1_0_Down"_s);
    QToolButton *down = Find<QToolButton>(&w, u"UpDown1_1_Down"_s);
    QLineEdit *text0 = Find<QLineEdit>(&w, u"Text1_0"_s);
    QLineEdit *text1 = Find<QLineEdit>(&w, u"Text1_1"_s);

    QTest::mouseClick(up, Qt::LeftButton);
    QCOMPARE(text0->text(), u"32767"_s);
    QTest::mouseClick(up, Qt::LeftButton);
    QCOMPARE(text0->text(), u"32767"_s);
    QCOMPARE(w.ObjIntValue(0), qint16(32767));
    QTest::mouseClick(down0, Qt::LeftButton);
    QCOMPARE(w.ObjIntValue(0), qint16(32766));

    QTest::mouseClick(down, Qt::LeftButton);
    QTest::mouseClick(down, Qt::LeftButton);
    QCOMPARE(text1->text(), u"-32768"_s);
    QCOMPARE(w.ObjIntValue(1), qint16(-32768));
    QCOMPARE(rec.beeps, 0);

    // The spinner counts from the stored value, not from a fraction's text.
    text1->setText(u"3.5"_s);
    QTest::mouseClick(Find<QToolButton>(&w, u"UpDown1_1_Up"_s), Qt::LeftButton);
    QCOMPARE(text1->text(), u"5"_s);
}

void TestWizWindow::eachWindowStartsIntegersAtZero()
{
    RecordingUi rec;
    const ProjectDates project;
    TaguSien_WizWindow w(project);
    WizVariables vars = Vars();
    const WizProgram first = Program(Window({1}, {0}, 0, QString(), {u"9"_s}));
    w.loadStatement(first, 1, vars);
    QCOMPARE(w.ObjIntValue(0), qint16(9));
    const WizProgram second = Program(Window({1}, {0}, 0, QString(), {QString()}));
    w.loadStatement(second, 1, vars);
    QCOMPARE(Find<QLineEdit>(&w, u"Text1_0"_s)->text(), u"0"_s);
    QCOMPARE(w.ObjIntValue(0), qint16(0));
}

void TestWizWindow::checkBoxAndOptionInitials()
{
    RecordingUi rec;
    const ProjectDates project;
    TaguSien_WizWindow w(project);
    WizVariables vars = Vars();
    const WizProgram p = Program(Window({2, 2, 3}, {0, 1, 2}, 1, QString(), {u"True"_s, u"true"_s, u"True"_s},
                                        {u"太字"_s, u"斜体"_s, u"中央"_s}));
    w.loadStatement(p, 1, vars);
    w.show();
    QCheckBox *c0 = Find<QCheckBox>(&w, u"Check1_0"_s);
    QCOMPARE(c0->text(), u"太字"_s);
    QVERIFY(c0->isChecked());
    QVERIFY(!Find<QCheckBox>(&w, u"Check1_1"_s)->isChecked());
    QVERIFY(Find<QRadioButton>(&w, u"Option1_2"_s)->isChecked());
    QCOMPARE(Find<QRadioButton>(&w, u"Option1_2"_s)->pos(), TwipsRect(120, 360 + 1200, 1, 1).topLeft());

    QTest::mouseClick(Find<QPushButton>(&w, u"Command1"_s), Qt::LeftButton);
    QCOMPARE(vars.BoolHensu, (QVector<bool>{true, false, true, false}));

    // Reloaded with other initials, nothing stays checked from before.
    const WizProgram q = Program(Window({2, -1, 3}, {0, -1, 2}, 1, QString(), {u"False"_s, QString(), QString()}));
    w.loadStatement(q, 1, vars);
    QVERIFY(!c0->isChecked());
    QVERIFY(!Find<QRadioButton>(&w, u"Option1_2"_s)->isChecked());
}

void TestWizWindow::optionsActAsOneGroup()
{
    RecordingUi rec;
    const ProjectDates project;
    TaguSien_WizWindow w(project);
    WizVariables vars = Vars();
    const WizProgram p = Program(Window({3, 3, 3, 3}, {0, 1, 2, 3}, 1, QString(),
                                        {u"True"_s, u"False"_s, u"True"_s, u"False"_s}, {u"左"_s, u"中央"_s, u"右"_s, u"なし"_s}));
    w.loadStatement(p, 1, vars);
    w.show();
    QRadioButton *o[4];
    for (int k = 0; k < 4; ++k)
        o[k] = Find<QRadioButton>(&w, u"Option1_"_s + QString::number(k));
    // Two initial Trues: as in one group, the later one wins.
    QVERIFY(!o[0]->isChecked());
    QVERIFY(o[2]->isChecked());

    QTest::mouseClick(o[1], Qt::LeftButton, {}, QPoint(5, o[1]->height() / 2));
    QVERIFY(o[1]->isChecked());
    QVERIFY(!o[2]->isChecked());
    QTest::mouseClick(o[3], Qt::LeftButton, {}, QPoint(5, o[3]->height() / 2));
    QTest::mouseClick(Find<QPushButton>(&w, u"Command1"_s), Qt::LeftButton);
    QCOMPARE(vars.BoolHensu, (QVector<bool>{false, false, false, true}));
    QCOMPARE(vars.BoolHensu.count(true), 1);
}

void TestWizWindow::fileNameSlots()
{
    RecordingUi rec;
    const ProjectDates project = SampleProject();
    TaguSien_WizWindow w(project);
    WizVariables vars = Vars();
    vars.StrHensu[1] = u"old"_s;
    const WizProgram p = Program(Window({4, 5, 6}, {0, 1, 2}, 1, QString(), {u"無視"_s, QString(), QString()},
                                        {u"ページ"_s, u"画像"_s, u"ファイル"_s}));
    w.loadStatement(p, 1, vars);
    w.show();
    QComboBox *pages = Find<QComboBox>(&w, u"Combo1_0"_s);
    QCOMPARE(pages->count(), 2);
    QCOMPARE(pages->itemText(0), u"インデックス"_s);
    QCOMPARE(pages->itemText(1), u"会社概要"_s);
    QCOMPARE(pages->currentIndex(), 0);
    QCOMPARE(Find<QLabel>(&w, u"Label1_0"_s)->text(), u"ページ"_s);
    QComboBox *pictures = Find<QComboBox>(&w, u"Combo1_1"_s);
    QCOMPARE(pictures->count(), 0);
    QCOMPARE(Find<QComboBox>(&w, u"Combo1_2"_s)->currentText(), u"資料"_s);

    pages->setCurrentIndex(1);
    QTest::mouseClick(Find<QPushButton>(&w, u"Command1"_s), Qt::LeftButton);
    QCOMPARE(vars.StrHensu.at(0), u"Company.html"_s);
    QCOMPARE(vars.StrHensu.at(1), QString()); // no pictures: the empty text
    QCOMPARE(vars.StrHensu.at(2), u"Paper.pdf"_s);
}

void TestWizWindow::colourSlot()
{
    RecordingUi rec;
    const ProjectDates project;
    TaguSien_WizWindow w(project);
    WizVariables vars = Vars();
    const WizProgram p = Program(Window({8}, {0}, 1, QString(), {u"#000000"_s}, {u"文字の色"_s}));
    w.loadStatement(p, 1, vars);
    w.show();
    QPushButton *dots = Find<QPushButton>(&w, u"Command3_0"_s);
    QLineEdit *text = Find<QLineEdit>(&w, u"Text1_0"_s);
    QCOMPARE(text->text(), u"#000000"_s);

    rec.colorAnswers.enqueue(QColor(255, 0, 0));
    QTest::mouseClick(dots, Qt::LeftButton);
    QCOMPARE(text->text(), u"#FF0000"_s);
    rec.colorAnswers.enqueue(QColor(0x0a, 0xbc, 0xde));
    QTest::mouseClick(dots, Qt::LeftButton);
    QCOMPARE(text->text(), u"#0ABCDE"_s);
    // A cancelled chooser leaves the text.
    rec.colorAnswers.enqueue(std::nullopt);
    QTest::mouseClick(dots, Qt::LeftButton);
    QCOMPARE(text->text(), u"#0ABCDE"_s);
    QCOMPARE(rec.shown.count(), 3);
    QCOMPARE(rec.shown.last().kind, u"color"_s);

    QTest::mouseClick(Find<QPushButton>(&w, u"Command1"_s), Qt::LeftButton);
    QCOMPARE(vars.StrHensu.at(0), u"#0ABCDE"_s);
}

void TestWizWindow::mainButtonStoresEveryKind()
{
    RecordingUi rec;
    const ProjectDates project = SampleProject();
    TaguSien_WizWindow w(project);
    WizVariables vars = Vars();
    ModalAnswerer answer({[](QWidget *win) {
        QLineEdit *name = Find<QLineEdit>(win, u"Text1_0"_s);
        TypeText(name, u"見出し"_s);
        QLineEdit *count = Find<QLineEdit>(win, u"Text1_1"_s);
        count->selectAll();
        QTest::keyClicks(count, u"6"_s);
        QCheckBox *box = Find<QCheckBox>(win, u"Check1_2"_s);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
        Find<QComboBox>(win, u"Combo1_3"_s)->setCurrentIndex(1);
        QTest::mouseClick(Find<QPushButton>(win, u"Command1"_s), Qt::LeftButton);
    }});
    const WizProgram p = Program(Window({0, 1, 2, 4}, {1, 3, 0, 2}, 0, QString(), {QString(), u"1"_s}));
    QVERIFY(w.showInputWindow(p, 1, vars));
    QCOMPARE(vars.StrHensu.at(1), u"見出し"_s);
    QCOMPARE(vars.IntHensu.at(3), qint16(6));
    QCOMPARE(vars.BoolHensu.at(0), true);
    QCOMPARE(vars.StrHensu.at(2), u"Company.html"_s);
    QVERIFY(!w.isVisible());
}

void TestWizWindow::cancelAndCloseBoxStoreNothing()
{
    RecordingUi rec;
    const ProjectDates project;
    TaguSien_WizWindow w(project);
    WizVariables vars = Vars();
    const WizProgram p = Program(Window({0, 1}, {0, 0}, 1, QString(), {u"初期値"_s, u"5"_s}));

    ModalAnswerer answer({
        [](QWidget *win) {
            TypeText(Find<QLineEdit>(win, u"Text1_0"_s), u"追加"_s);
            QTest::mouseClick(Find<QPushButton>(win, u"Command2"_s), Qt::LeftButton);
        },
        // The title bar's close box counts as cancel.
        [](QWidget *win) { win->close(); },
        // Escape too.
        [](QWidget *win) { QTest::keyClick(win, Qt::Key_Escape); },
    });
    QVERIFY(!w.showInputWindow(p, 1, vars));
    QCOMPARE(vars.StrHensu.at(0), QString());
    QCOMPARE(vars.IntHensu.at(0), qint16(0));
    QVERIFY(!w.showInputWindow(p, 1, vars));
    QVERIFY(!w.WizNext());
    QVERIFY(!w.showInputWindow(p, 1, vars));
    QCOMPARE(answer.handled, 3);
    QCOMPARE(vars.StrHensu.at(0), QString());
}

void TestWizWindow::disabledMainButtonLeavesOnlyCancel()
{
    RecordingUi rec;
    const ProjectDates project;
    TaguSien_WizWindow w(project);
    WizVariables vars = Vars();
    const WizProgram p = Program(Window({7, 0}, {-1, 0}, 2, u"お知らせ"_s, {QString(), u"値"_s}, {u"説明"_s}));
    bool stayedOpen = false;
    bool mainEnabled = true;
    ModalAnswerer answer({[&](QWidget *win) {
        QPushButton *main = Find<QPushButton>(win, u"Command1"_s);
        mainEnabled = main->isEnabled();
        QTest::mouseClick(main, Qt::LeftButton);
        QTest::keyClick(Find<QLineEdit>(win, u"Text1_1"_s), Qt::Key_Return);
        stayedOpen = win->isVisible();
        QTest::mouseClick(Find<QPushButton>(win, u"Command2"_s), Qt::LeftButton);
    }});
    QVERIFY(!w.showInputWindow(p, 1, vars));
    QVERIFY(!mainEnabled);
    QVERIFY(stayedOpen);
    QCOMPARE(vars.StrHensu.at(0), QString());
}

void TestWizWindow::runsAsTheInterpretersWindow()
{
    RecordingUi rec;
    const ProjectDates project;
    TaguSien_WizWindow w(project);
    WizVariables vars;
    // Two windows: a count, then a text; the output repeats the text.
    WizProgram p;
    p.ops = {MakeWizOp(OpHensuSettei, {0, 0, 0}),
             Window({1}, {0}, 0, u"回数"_s, {u"2"_s}, {u"回数："_s}),
             Window({0}, {0}, 1, u"文字"_s, {u"x"_s}, {u"文字："_s}),
             MakeWizOp(OpLoopStart),
             MakeWizOp(OpOutPut, {1, 0}, {u"S"_s}),
             MakeWizOp(OpSisoku, {1, 0, 1, 0, 0, 1}),
             MakeWizOp(OpLoopEnd, {1, 1, 0, 3, 0, 0}),
             MakeWizOp(OpWizEnd)};
    QStringList titles;
    ModalAnswerer answer({
        [&titles](QWidget *win) {
            titles.append(win->windowTitle());
            QTest::mouseClick(Find<QToolButton>(win, u"UpDown1_0_Up"_s), Qt::LeftButton);
            QTest::mouseClick(Find<QPushButton>(win, u"Command1"_s), Qt::LeftButton);
        },
        [&titles](QWidget *win) {
            titles.append(win->windowTitle());
            QLineEdit *t = Find<QLineEdit>(win, u"Text1_0"_s);
            t->selectAll();
            QTest::keyClicks(t, u"ab"_s);
            QTest::mouseClick(Find<QPushButton>(win, u"Command1"_s), Qt::LeftButton);
        },
    });
    const WizRunResult r = RunWizPrg(p, vars, &w, u"sel"_s);
    QCOMPARE(r.status, WizRunStatus::Finished);
    QCOMPARE(titles, (QStringList{u"回数"_s, u"文字"_s}));
    QCOMPARE(r.text, u"ababab"_s);
}

void TestWizWindow::firstInputHasTheFocus_data()
{
    // The second window's slot kinds and button mode, and what has the focus.
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("focused");
    QTest::newRow("text") << 0 << 1 << u"Text1_1"_s;
    QTest::newRow("page list") << 4 << 1 << u"Combo1_1"_s;
    QTest::newRow("check box") << 2 << 1 << u"Check1_1"_s;
    QTest::newRow("no input, main button disabled") << -1 << 2 << u"Command2"_s;
}

void TestWizWindow::firstInputHasTheFocus()
{
    QFETCH(int, kind);
    QFETCH(int, mode);
    QFETCH(QString, focused);
    RecordingUi rec;
    const ProjectDates project = SampleProject();
    TaguSien_WizWindow w(project);
    WizVariables vars = Vars();
    // The first window is finished with a mouse click on 完了, which leaves
    // the focus there; the second must not open with it.
    WizProgram p;
    p.ops = {MakeWizOp(OpHensuSettei, {3, 3, 3}), Window({0}, {0}, 1, QString(), {u"山田"_s}),
             Window({7, qint16(kind)}, {0, 1}, qint16(mode)), MakeWizOp(OpWizEnd)};
    QStringList focus;
    const auto answer = [&focus](QWidget *win) {
        const auto *edit = qobject_cast<QLineEdit *>(win->focusWidget());
        focus.append(win->focusWidget()->objectName() + (edit ? u':' + edit->selectedText() : QString()));
        QPushButton *main = Find<QPushButton>(win, u"Command1"_s);
        QTest::mouseClick(main->isEnabled() ? main : Find<QPushButton>(win, u"Command2"_s), Qt::LeftButton);
    };
    ModalAnswerer answerer({answer, answer});
    w.showInputWindow(p, 1, vars);
    w.showInputWindow(p, 2, vars);
    QCOMPARE(focus, (QStringList{u"Text1_0:山田"_s, focused + (kind == 0 ? u":"_s : QString())}));
}

QTEST_MAIN(TestWizWindow)
#include "tst_wizwindow.moc"
