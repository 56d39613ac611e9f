// The statement dialogs: each builds its statement from its controls, shows
// an existing one and gives it back unchanged on OK, changes nothing on
// Cancel; the number boxes beep and restore; the condition dialog enables
// only what its type and sources allow; texts a script cannot carry are
// refused.
#include "NumberBox.h"
#include "RecordingUi.h"
#include "StatementDialogs.h"
#include "TaguSien_AddBunki.h"
#include "TaguSien_AddInputWindow.h"
#include "TaguSien_AddTokusyu.h"
#include "TaguSien_ListFile.h"
#include "TaguSien_WizEdit.h"
#include "WidgetTestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

WizProgram Base()
{
    WizProgram p;
    LoadWizDateFromText(NewBasicWizDate, &p);
    return p;
}

using Factory = std::function<WizStatementDialog *(WizProgram &, bool, qint16)>;

Factory FactoryFor(qint16 code)
{
    switch (code) {
    case OpOutPut:
        return [](WizProgram &p, bool n, qint16 i) { return new TaguSien_AddOutPut(p, n, i); };
    case OpDainyu:
        return [](WizProgram &p, bool n, qint16 i) { return new TaguSien_AddDainyu(p, n, i); };
    case OpSisoku:
        return [](WizProgram &p, bool n, qint16 i) { return new TaguSien_AddSisoku(p, n, i); };
    case OpBunki:
        return [](WizProgram &p, bool n, qint16 i) { return new TaguSien_AddBunki(p, n, i); };
    case OpLoopEnd:
        return [](WizProgram &p, bool n, qint16 i) { return new TaguSien_AddLoop(p, n, i); };
    case OpInputWindow:
        return [](WizProgram &p, bool n, qint16 i) { return new TaguSien_AddInputWindow(p, n, i); };
    case OpTokusyu:
        return [](WizProgram &p, bool n, qint16 i) { return new TaguSien_AddTokusyu(p, n, i); };
    case OpHensuSettei:
        return [](WizProgram &p, bool, qint16 i) { return new TaguSien_AddHensuSettei(p, i); };
    default:
        return {};
    }
}

// The OK button: "OK" whatever its name.
QPushButton *OkButton(QWidget *dlg)
{
    for (QPushButton *b : dlg->findChildren<QPushButton *>())
        if (b->text() == u"OK")
            return b;
    return nullptr;
}

QPushButton *CancelButton(QWidget *dlg)
{
    for (QPushButton *b : dlg->findChildren<QPushButton *>())
        if (b->text() == u"キャンセル")
            return b;
    return nullptr;
}

// Replaces a box's text by typing, as a user who selected it all would.
void Retype(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    TypeText(edit, text);
}

} // namespace

Q_DECLARE_METATYPE(WizOp)

class TestStatementDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void editThenOkLeavesIdenticalStatement_data();
    void editThenOkLeavesIdenticalStatement();
    void cancelChangesNothing_data();
    void cancelChangesNothing();
    void insertDefaults_data();
    void insertDefaults();
    void outputFromBooleanVariable();
    void assignmentOfEachType();
    void arithmeticSides();
    void declarationCounts();
    void conditionControlStates();
    void conditionBuildsBothSides();
    void loopEndIsTheConditionDialog();
    void inputWindowSlots();
    void specialStrings();
    void numberBoxRules();
    void spinnersStopAtLimits();
    void unfitTextsAreRefused();
    void labelsNameTheirBoxes();
};

void TestStatementDialogs::editThenOkLeavesIdenticalStatement_data()
{
    QTest::addColumn<WizOp>("op");
    QTest::newRow("output literal") << MakeWizOp(OpOutPut, {0, 0}, {u"<b>"_s});
    QTest::newRow("output integer variable") << MakeWizOp(OpOutPut, {1, 2}, {u"I"_s});
    QTest::newRow("assign text") << MakeWizOp(OpDainyu, {0, 0, 1, 0}, {u"赤"_s});
    QTest::newRow("assign integer") << MakeWizOp(OpDainyu, {1, 0, 0, -7});
    QTest::newRow("assign false") << MakeWizOp(OpDainyu, {2, 0, 0, 0});
    QTest::newRow("assign variable") << MakeWizOp(OpDainyu, {2, 1, 0, 3});
    QTest::newRow("arithmetic") << MakeWizOp(OpSisoku, {3, 1, 1, 0, 0, -2});
    QTest::newRow("arithmetic constants") << MakeWizOp(OpSisoku, {2, 0, 0, 5, 1, 4});
    QTest::newRow("if integer =>") << MakeWizOp(OpBunki, {1, 1, 0, 4, 0, 3});
    QTest::newRow("if text") << MakeWizOp(OpBunki, {0, 0, 0, 0, 1, 2}, {u"a"_s, QString()});
    QTest::newRow("if Boolean") << MakeWizOp(OpBunki, {2, 0, 1, 0, 0, 0});
    QTest::newRow("loop end") << MakeWizOp(OpLoopEnd, {1, 1, 0, 2, 0, 10});
    QTest::newRow("input window") << MakeWizOp(OpInputWindow, {0, 1, 2, 8, 0, 0, 1, 0, 1},
                                               {u"題"_s, u"初"_s, u"5"_s, u"False"_s, u"#FF0000"_s, u"名前"_s,
                                                u"数"_s, u"可否"_s, u"色"_s});
    QTest::newRow("input window none") << MakeWizOp(OpInputWindow, {-1, 7, -1, 3, 0, 0, 0, 1, 2},
                                                    {QString(), QString(), QString(), QString(), u"True"_s,
                                                     QString(), u"説明だけ"_s, QString(), u"選ぶ"_s});
    QTest::newRow("special quote") << MakeWizOp(OpTokusyu, {1});
    QTest::newRow("declaration") << MakeWizOp(OpHensuSettei, {1, 2, 0});
}

void TestStatementDialogs::editThenOkLeavesIdenticalStatement()
{
    QFETCH(WizOp, op);
    RecordingUi rec;
    WizProgram p = Base();
    const qint16 at = op.OpType == OpHensuSettei ? 0 : 1;
    if (at == 0)
        p.ops[0] = op;
    else
        p.ops.insert(1, op);
    const WizProgram before = p;
    std::unique_ptr<WizStatementDialog> dlg(FactoryFor(op.OpType)(p, false, at));
    OkButton(dlg.get())->click();
    QCOMPARE(dlg->result(), int(QDialog::Accepted));
    QCOMPARE(p.ops, before.ops);
    QCOMPARE(rec.beeps, 0);
}

void TestStatementDialogs::cancelChangesNothing_data()
{
    QTest::addColumn<qint16>("code");
    for (qint16 c : {OpOutPut, OpDainyu, OpSisoku, OpBunki, OpLoopEnd, OpInputWindow, OpTokusyu})
        QTest::newRow(qPrintable(QString::number(c))) << c;
}

void TestStatementDialogs::cancelChangesNothing()
{
    QFETCH(qint16, code);
    RecordingUi rec;
    WizProgram p = Base();
    p.ops.insert(1, MakeWizOp(code));
    const WizProgram before = p;
    for (bool insert : {true, false}) {
        std::unique_ptr<WizStatementDialog> dlg(FactoryFor(code)(p, insert, 1));
        // Change something first where there is a text box to change.
        if (auto *t = dlg->findChild<QLineEdit *>(u"Text1"_s); t && t->isEnabled())
            t->setText(u"changed"_s);
        CancelButton(dlg.get())->click();
        QCOMPARE(dlg->result(), int(QDialog::Rejected));
        QCOMPARE(p.ops, before.ops);
    }
}

void TestStatementDialogs::insertDefaults_data()
{
    QTest::addColumn<qint16>("code");
    QTest::addColumn<WizOp>("expected");
    QTest::newRow("output") << qint16(OpOutPut) << MakeWizOp(OpOutPut, {0, 0}, {u"出力する文字列"_s});
    QTest::newRow("assign") << qint16(OpDainyu) << MakeWizOp(OpDainyu, {1, 0, 0, 0});
    QTest::newRow("arithmetic") << qint16(OpSisoku) << MakeWizOp(OpSisoku, {0, 0, 0, 0, 0, 0});
    QTest::newRow("if") << qint16(OpBunki) << MakeWizOp(OpBunki, {1, 0, 0, 0, 0, 0});
    QTest::newRow("loop end") << qint16(OpLoopEnd) << MakeWizOp(OpLoopEnd, {1, 0, 0, 0, 0, 0});
    QTest::newRow("input window") << qint16(OpInputWindow)
                                  << MakeWizOp(OpInputWindow, {-1, -1, -1, -1, 0, 0, 0, 0, 0},
                                               {u"タグ挿入ウィザード"_s});
    QTest::newRow("special") << qint16(OpTokusyu) << MakeWizOp(OpTokusyu, {0});
}

void TestStatementDialogs::insertDefaults()
{
    QFETCH(qint16, code);
    QFETCH(WizOp, expected);
    RecordingUi rec;
    WizProgram p = Base();
    std::unique_ptr<WizStatementDialog> dlg(FactoryFor(code)(p, true, 1));
    OkButton(dlg.get())->click();
    QCOMPARE(p.ops.size(), 3);
    QCOMPARE(p.ops.at(1), expected);
    QCOMPARE(p.ops.at(1).IntMax(), expected.IntMax());
    QCOMPARE(p.ops.at(1).StrMax(), expected.StrMax());
    QCOMPARE(p.ops.at(2).OpType, qint16(OpWizEnd));
}

void TestStatementDialogs::outputFromBooleanVariable()
{
    RecordingUi rec;
    WizProgram p = Base();
    TaguSien_AddOutPut dlg(p, true, 1);
    auto *text2 = child<QLineEdit>(&dlg, u"Text2"_s);
    QVERIFY(!text2->isEnabled());
    QTest::mouseClick(child<QRadioButton>(&dlg, u"Option2"_s), Qt::LeftButton);
    QVERIFY(text2->isEnabled());
    QVERIFY(!child<QLineEdit>(&dlg, u"Text1"_s)->isEnabled());
    child<QComboBox>(&dlg, u"Combo1"_s)->setCurrentText(u"真偽型変数"_s);
    Retype(text2, u"2"_s);
    child<QPushButton>(&dlg, u"Command1"_s)->click();
    QCOMPARE(p.ops.at(1), MakeWizOp(OpOutPut, {1, 1}, {u"B"_s}));
    QCOMPARE(WizOpText(p.ops.at(1)), u"■出力　真偽型変数(2)"_s);
}

void TestStatementDialogs::assignmentOfEachType()
{
    RecordingUi rec;
    WizProgram p = Base();
    {
        TaguSien_AddDainyu dlg(p, true, 1);
        auto *combo = child<QComboBox>(&dlg, u"Combo1"_s);
        combo->setCurrentText(u"文字列型変数"_s);
        QVERIFY(child<QLineEdit>(&dlg, u"Text1"_s)->isEnabled());
        QVERIFY(!child<QLineEdit>(&dlg, u"Text3"_s)->isEnabled());
        QCOMPARE(child<QLabel>(&dlg, u"Label8"_s)->text(), u"文字列型変数："_s);
        Retype(child<QLineEdit>(&dlg, u"Text1"_s), u"赤"_s);
        Retype(child<QLineEdit>(&dlg, u"Text2"_s), u"3"_s);
        child<QPushButton>(&dlg, u"Command1"_s)->click();
    }
    QCOMPARE(p.ops.at(1), MakeWizOp(OpDainyu, {0, 0, 2, 0}, {u"赤"_s}));
    {
        TaguSien_AddDainyu dlg(p, true, 2);
        child<QComboBox>(&dlg, u"Combo1"_s)->setCurrentText(u"真偽型変数"_s);
        QVERIFY(child<QRadioButton>(&dlg, u"Option3"_s)->isEnabled());
        QTest::mouseClick(child<QRadioButton>(&dlg, u"Option2"_s), Qt::LeftButton);
        QVERIFY(!child<QRadioButton>(&dlg, u"Option3"_s)->isEnabled());
        QVERIFY(child<QLineEdit>(&dlg, u"Text4"_s)->isEnabled());
        Retype(child<QLineEdit>(&dlg, u"Text4"_s), u"2"_s);
        child<QPushButton>(&dlg, u"Command1"_s)->click();
    }
    QCOMPARE(p.ops.at(2), MakeWizOp(OpDainyu, {2, 1, 0, 1}));
    QCOMPARE(WizOpText(p.ops.at(2)), u"■真偽型変数(1)=真偽型変数(2)"_s);
}

void TestStatementDialogs::arithmeticSides()
{
    RecordingUi rec;
    WizProgram p = Base();
    TaguSien_AddSisoku dlg(p, true, 1);
    QCOMPARE(dlg.windowTitle(), u"数値の計算"_s);
    child<QComboBox>(&dlg, u"Combo3"_s)->setCurrentIndex(3);
    QTest::mouseClick(child<QRadioButton>(&dlg, u"Option2"_s), Qt::LeftButton);
    QVERIFY(!child<QLineEdit>(&dlg, u"Text3"_s)->isEnabled());
    QVERIFY(child<QLineEdit>(&dlg, u"Text2"_s)->isEnabled());
    Retype(child<QLineEdit>(&dlg, u"Text2"_s), u"2"_s);
    // A lone minus sign is no number: a negative value is pasted whole.
    child<QLineEdit>(&dlg, u"Text4"_s)->setText(u"-4"_s);
    Retype(child<QLineEdit>(&dlg, u"Text5"_s), u"3"_s);
    child<QPushButton>(&dlg, u"Command1"_s)->click();
    QCOMPARE(p.ops.at(1), MakeWizOp(OpSisoku, {3, 2, 1, 1, 0, -4}));
    QCOMPARE(WizOpText(p.ops.at(1)), u"■整数型変数(3)=整数型変数(2)/-4"_s);
}

void TestStatementDialogs::declarationCounts()
{
    RecordingUi rec;
    WizProgram p = Base();
    p.ops.insert(1, MakeWizOp(OpKaigyou));
    TaguSien_AddHensuSettei dlg(p, 0);
    QCOMPARE(dlg.windowTitle(), u"変数の設定"_s);
    QCOMPARE(child<QLineEdit>(&dlg, u"Text1"_s)->text(), u"1"_s);
    Retype(child<QLineEdit>(&dlg, u"Text1"_s), u"2"_s);
    Retype(child<QLineEdit>(&dlg, u"Text2"_s), u"3"_s);
    OkButton(&dlg)->click();
    QCOMPARE(p.ops.size(), 3);
    QCOMPARE(p.ops.at(0), MakeWizOp(OpHensuSettei, {1, 2, 0}));
    QCOMPARE(p.ops.at(1).OpType, qint16(OpKaigyou));
}

void TestStatementDialogs::conditionControlStates()
{
    RecordingUi rec;
    WizProgram p = Base();
    TaguSien_AddBunki dlg(p, true, 1);
    QCOMPARE(dlg.windowTitle(), u"条件分岐　もし～ならば"_s);
    auto *type = child<QComboBox>(&dlg, u"Combo1"_s);
    auto *cmp = child<QComboBox>(&dlg, u"Combo2"_s);
    QCOMPARE(type->currentText(), u"整数型"_s);
    QCOMPARE(cmp->currentText(), u"一致(=)"_s);
    QVERIFY(cmp->isEnabled());
    // Integer, direct: only the integer constants.
    QVERIFY(child<QLineEdit>(&dlg, u"Text3"_s)->isEnabled());
    QVERIFY(child<QLineEdit>(&dlg, u"Text6"_s)->isEnabled());
    QVERIFY(!child<QLineEdit>(&dlg, u"Text1"_s)->isEnabled());
    QVERIFY(!child<QRadioButton>(&dlg, u"Option3"_s)->isEnabled());
    QVERIFY(!child<QLineEdit>(&dlg, u"Text4"_s)->isEnabled());
    QVERIFY(!child<QLineEdit>(&dlg, u"Text2"_s)->isEnabled());

    cmp->setCurrentIndex(4);
    type->setCurrentText(u"文字列型"_s);
    QCOMPARE(cmp->currentText(), u"一致(=)"_s);
    QVERIFY(!cmp->isEnabled());
    QVERIFY(child<QLineEdit>(&dlg, u"Text1"_s)->isEnabled());
    QVERIFY(child<QLineEdit>(&dlg, u"Text5"_s)->isEnabled());
    QVERIFY(!child<QLineEdit>(&dlg, u"Text3"_s)->isEnabled());
    QCOMPARE(child<QLabel>(&dlg, u"Label8"_s)->text(), u"文字列型変数："_s);
    QCOMPARE(child<QLabel>(&dlg, u"Label11"_s)->text(), u"文字列型変数："_s);

    // The right side from a variable: its constants off, its number on.
    QTest::mouseClick(child<QRadioButton>(&dlg, u"Option5"_s), Qt::LeftButton);
    QVERIFY(!child<QLineEdit>(&dlg, u"Text5"_s)->isEnabled());
    QVERIFY(child<QLineEdit>(&dlg, u"Text2"_s)->isEnabled());
    QVERIFY(child<QLineEdit>(&dlg, u"Text1"_s)->isEnabled());

    type->setCurrentText(u"真偽型"_s);
    QVERIFY(!cmp->isEnabled());
    QVERIFY(child<QRadioButton>(&dlg, u"Option3"_s)->isEnabled());
    QVERIFY(!child<QRadioButton>(&dlg, u"Option7"_s)->isEnabled());
    QCOMPARE(child<QLabel>(&dlg, u"Label8"_s)->text(), u"真偽型変数："_s);

    type->setCurrentText(u"整数型"_s);
    QVERIFY(cmp->isEnabled());
    QCOMPARE(child<QLabel>(&dlg, u"Label11"_s)->text(), u"整数型変数："_s);
}

void TestStatementDialogs::conditionBuildsBothSides()
{
    RecordingUi rec;
    WizProgram p = Base();
    {
        TaguSien_AddBunki dlg(p, true, 1);
        child<QComboBox>(&dlg, u"Combo2"_s)->setCurrentIndex(4);
        child<QComboBox>(&dlg, u"Combo1"_s)->setCurrentText(u"文字列型"_s);
        Retype(child<QLineEdit>(&dlg, u"Text1"_s), u"abc"_s);
        QTest::mouseClick(child<QRadioButton>(&dlg, u"Option5"_s), Qt::LeftButton);
        Retype(child<QLineEdit>(&dlg, u"Text2"_s), u"2"_s);
        child<QPushButton>(&dlg, u"Command2"_s)->click();
    }
    // Text conditions always carry comparison 0.
    QCOMPARE(p.ops.at(1), MakeWizOp(OpBunki, {0, 0, 0, 0, 1, 1}, {u"abc"_s, QString()}));
    QCOMPARE(WizOpText(p.ops.at(1)), u"◇もし　\"abc\"=文字列変数(2)　ならば"_s);
    {
        TaguSien_AddBunki dlg(p, true, 2);
        child<QComboBox>(&dlg, u"Combo2"_s)->setCurrentIndex(4);
        QTest::mouseClick(child<QRadioButton>(&dlg, u"Option2"_s), Qt::LeftButton);
        Retype(child<QLineEdit>(&dlg, u"Text6"_s), u"3"_s);
        child<QPushButton>(&dlg, u"Command2"_s)->click();
    }
    QCOMPARE(p.ops.at(2), MakeWizOp(OpBunki, {1, 1, 0, 4, 0, 3}));
    QCOMPARE(WizOpText(p.ops.at(2)), u"◇もし　整数型変数(1)=>3　ならば"_s);
}

void TestStatementDialogs::loopEndIsTheConditionDialog()
{
    RecordingUi rec;
    WizProgram p = Base();
    TaguSien_AddLoop dlg(p, true, 1);
    QCOMPARE(dlg.windowTitle(), u"ループ終了"_s);
    QCOMPARE(child<QPushButton>(&dlg, u"Command1"_s)->text(), u"キャンセル"_s);
    QCOMPARE(child<QPushButton>(&dlg, u"Command2"_s)->text(), u"OK"_s);
    child<QComboBox>(&dlg, u"Combo2"_s)->setCurrentIndex(3);
    child<QPushButton>(&dlg, u"Command2"_s)->click();
    QCOMPARE(p.ops.at(1), MakeWizOp(OpLoopEnd, {1, 0, 0, 3, 0, 0}));
}

void TestStatementDialogs::inputWindowSlots()
{
    RecordingUi rec;
    WizProgram p = Base();
    TaguSien_AddInputWindow dlg(p, true, 1);
    auto *object = child<QComboBox>(&dlg, u"Combo1"_s);
    auto *kind = child<QComboBox>(&dlg, u"Combo2"_s);
    QCOMPARE(kind->currentText(), u"無し"_s);
    QCOMPARE(child<QLabel>(&dlg, u"Label4"_s)->text(), u"指定無し："_s);
    QVERIFY(!child<QLineEdit>(&dlg, u"Text2"_s)->isEnabled());

    // First object: an integer box starting at 5 into integer variable 2.
    kind->setCurrentText(u"テキストボックス（整数）"_s);
    QCOMPARE(child<QLabel>(&dlg, u"Label4"_s)->text(), u"整数型変数："_s);
    QVERIFY(child<QLineEdit>(&dlg, u"Text6"_s)->isEnabled());
    QVERIFY(!child<QLineEdit>(&dlg, u"Text5"_s)->isEnabled());
    Retype(child<QLineEdit>(&dlg, u"Text6"_s), u"5"_s);
    Retype(child<QLineEdit>(&dlg, u"Text2"_s), u"2"_s);
    Retype(child<QLineEdit>(&dlg, u"Text1"_s), u"数"_s);

    // Second object: a check box with False.
    object->setCurrentIndex(1);
    QCOMPARE(kind->currentText(), u"無し"_s);
    QCOMPARE(child<QLineEdit>(&dlg, u"Text1"_s)->text(), QString());
    kind->setCurrentText(u"チェックボックス（真偽）"_s);
    QTest::mouseClick(child<QRadioButton>(&dlg, u"Option6"_s), Qt::LeftButton);
    Retype(child<QLineEdit>(&dlg, u"Text1"_s), u"可否"_s);

    // Fourth object: a label.
    object->setCurrentIndex(3);
    kind->setCurrentText(u"ラベル（無し）"_s);
    QVERIFY(!child<QLineEdit>(&dlg, u"Text2"_s)->isEnabled());
    QVERIFY(child<QLineEdit>(&dlg, u"Text1"_s)->isEnabled());
    Retype(child<QLineEdit>(&dlg, u"Text1"_s), u"説明"_s);

    // Back to the first: its data is shown again.
    object->setCurrentIndex(0);
    QCOMPARE(kind->currentText(), u"テキストボックス（整数）"_s);
    QCOMPARE(child<QLineEdit>(&dlg, u"Text6"_s)->text(), u"5"_s);
    QCOMPARE(child<QLineEdit>(&dlg, u"Text2"_s)->text(), u"2"_s);
    QCOMPARE(child<QLineEdit>(&dlg, u"Text1"_s)->text(), u"数"_s);

    QTest::mouseClick(child<QRadioButton>(&dlg, u"Option2"_s), Qt::LeftButton);
    Retype(child<QLineEdit>(&dlg, u"Text3"_s), u"設定"_s);
    child<QPushButton>(&dlg, u"Command1"_s)->click();
    const WizOp expected = MakeWizOp(OpInputWindow, {1, 2, -1, 7, 1, 0, 0, 0, 1},
                                     {u"設定"_s, u"5"_s, u"False"_s, QString(), QString(), u"数"_s, u"可否"_s,
                                      QString(), u"説明"_s});
    QCOMPARE(p.ops.at(1), expected);
    QCOMPARE(p.ops.at(1).S(2), u"False"_s);
    QCOMPARE(WizOpText(p.ops.at(1)), u"★入力ウィンドウ　設定"_s);
}

void TestStatementDialogs::specialStrings()
{
    RecordingUi rec;
    WizProgram p = Base();
    TaguSien_AddTokusyu dlg(p, true, 1);
    QCOMPARE(dlg.windowTitle(), u"特殊文字列の出力"_s);
    auto *combo = child<QComboBox>(&dlg, u"Combo1"_s);
    QCOMPARE(combo->count(), 3);
    QCOMPARE(combo->itemText(1), u"「\"」ダブルクォーテーション"_s);
    QCOMPARE(combo->currentIndex(), 0);
    combo->setCurrentText(u"「 」半角スペース"_s);
    child<QPushButton>(&dlg, u"Command1"_s)->click();
    QVERIFY(WizDateToText(p).contains(u",13,2,"_s));
    QCOMPARE(p.ops.at(1).IntMax(), qint16(0));
    QCOMPARE(p.ops.at(1).StrMax(), qint16(0));

    TaguSien_AddTokusyu edit(p, false, 1);
    QCOMPARE(child<QComboBox>(&edit, u"Combo1"_s)->currentIndex(), 2);
}

void TestStatementDialogs::numberBoxRules()
{
    RecordingUi rec;
    WizProgram p = Base();
    TaguSien_AddOutPut dlg(p, true, 1);
    QTest::mouseClick(child<QRadioButton>(&dlg, u"Option2"_s), Qt::LeftButton);
    auto *box = child<QLineEdit>(&dlg, u"Text2"_s);
    Retype(box, u"4"_s);
    QCOMPARE(rec.beeps, 0);
    // Letters beep and the last good number comes back.
    box->end(false);
    TypeText(box, u"abc"_s);
    QCOMPARE(box->text(), u"4"_s);
    QCOMPARE(rec.beeps, 3);
    // A variable number below 1 beeps and becomes 1.
    Retype(box, u"0"_s);
    QCOMPARE(box->text(), u"1"_s);
    QCOMPARE(rec.beeps, 4);
    // Out of the 16-bit range.
    Retype(box, u"40000"_s);
    QCOMPARE(box->text(), u"4000"_s);
    // The spinner cannot take a count below 1.
    Retype(box, u"1"_s);
    const int beeps = rec.beeps;
    child<QToolButton>(&dlg, u"UpDown1_Down"_s)->click();
    QCOMPARE(box->text(), u"1"_s);
    QCOMPARE(rec.beeps, beeps + 1);
    child<QToolButton>(&dlg, u"UpDown1_Up"_s)->click();
    QCOMPARE(box->text(), u"2"_s);

    // Constants take any 16-bit value, negative ones too.
    TaguSien_AddDainyu dainyu(p, true, 1);
    auto *constant = child<QLineEdit>(&dainyu, u"Text3"_s);
    constant->setText(u"-32768"_s);
    QCOMPARE(constant->text(), u"-32768"_s);
    QCOMPARE(qobject_cast<NumberBox *>(constant->parentWidget())->value(), qint16(-32768));
}

void TestStatementDialogs::spinnersStopAtLimits()
{
    RecordingUi rec;
    WizProgram p = Base();
    TaguSien_AddSisoku dlg(p, true, 1);
    auto *constant = child<QLineEdit>(&dlg, u"Text3"_s);
    Retype(constant, u"32767"_s);
    child<QToolButton>(&dlg, u"UpDown3_Up"_s)->click();
    QCOMPARE(constant->text(), u"32767"_s);
    constant->setText(u"-32768"_s);
    child<QToolButton>(&dlg, u"UpDown3_Down"_s)->click();
    QCOMPARE(constant->text(), u"-32768"_s);
    QCOMPARE(rec.beeps, 0);
}

void TestStatementDialogs::unfitTextsAreRefused()
{
    RecordingUi rec;
    WizProgram p = Base();
    const WizProgram before = p;
    TaguSien_AddOutPut dlg(p, true, 1);
    Retype(child<QLineEdit>(&dlg, u"Text1"_s), u"<a href=\"x\">"_s);
    child<QPushButton>(&dlg, u"Command1"_s)->click();
    // A double quote inside is carried.
    QCOMPARE(p.ops.size(), 3);

    p = before;
    TaguSien_AddOutPut refused(p, true, 1);
    Retype(child<QLineEdit>(&refused, u"Text1"_s), u"a,b"_s);
    child<QPushButton>(&refused, u"Command1"_s)->click();
    QCOMPARE(p.ops, before.ops);
    QVERIFY(refused.result() != QDialog::Accepted);
    QVERIFY2(rec.lastMessage().contains(u"カンマ"_s), qPrintable(rec.lastMessage()));
    QCOMPARE(rec.shown.last().icon, UiService::Icon::Critical);

    TaguSien_AddInputWindow window(p, true, 1);
    Retype(child<QLineEdit>(&window, u"Text3"_s), u" 題"_s);
    child<QPushButton>(&window, u"Command1"_s)->click();
    QCOMPARE(p.ops, before.ops);
    QVERIFY(rec.lastMessage().contains(u"先頭の空白"_s));
}

void TestStatementDialogs::labelsNameTheirBoxes()
{
    RecordingUi rec;
    WizProgram p = Base();
    TaguSien_AddBunki bunki(p, true, 1);
    QCOMPARE(child<QLabel>(&bunki, u"Label1"_s)->buddy(), child<QComboBox>(&bunki, u"Combo1"_s));
    QCOMPARE(child<QLabel>(&bunki, u"Label4"_s)->buddy(), child<QLineEdit>(&bunki, u"Text1"_s));
    QCOMPARE(child<QLabel>(&bunki, u"Label5"_s)->buddy(), child<QLineEdit>(&bunki, u"Text3"_s));
    QCOMPARE(child<QLabel>(&bunki, u"Label7"_s)->buddy(), child<QLineEdit>(&bunki, u"Text4"_s));
    QCOMPARE(child<QLabel>(&bunki, u"Label12"_s)->buddy(), child<QLineEdit>(&bunki, u"Text2"_s));
    QCOMPARE(child<QLabel>(&bunki, u"Label9"_s)->buddy(), child<QLineEdit>(&bunki, u"Text6"_s));
    TaguSien_AddInputWindow window(p, true, 1);
    QCOMPARE(child<QLabel>(&window, u"Label6"_s)->buddy(), child<QLineEdit>(&window, u"Text3"_s));
    QCOMPARE(child<QLabel>(&window, u"Label3"_s)->buddy(), child<QLineEdit>(&window, u"Text2"_s));
    QCOMPARE(child<QLabel>(&window, u"Label5"_s)->buddy(), child<QLineEdit>(&window, u"Text1"_s));
    TaguSien_AddHensuSettei settei(p, 0);
    for (int k = 1; k <= 3; ++k)
        QCOMPARE(child<QLabel>(&settei, u"Label"_s + QString::number(k))->buddy(),
                 child<QLineEdit>(&settei, u"Text"_s + QString::number(k)));
}

QTEST_MAIN(TestStatementDialogs)
#include "tst_statementdialogs.moc"
