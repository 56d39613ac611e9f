// The script editor: the lines it shows, adding after the selected line,
// editing and deleting, the statement clipboard keys, saving, the question on
// close, test runs (also ones that hit the step limit) and the nesting marks.
#include "ProjectDates.h"
#include "RecordingUi.h"
#include "TaguSien_ListFile.h"
#include "TaguSien_Scrpt.h"
#include "TestSupport.h"
#include "WidgetTestSupport.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString BoldScript = u"$WizDate,4,0,0,0,0,1,0,0,<b>,2,1,0,0,</b>,-1"_s;
// A loop whose exit condition (0 = 1) never holds.
const QString EndlessScript = u"$WizDate,3,0,0,0,0,8,9,1,0,0,0,0,1,,,-1"_s;
// An else without its if.
const QString LonelyElseScript = u"$WizDate,2,0,0,0,0,6,-1"_s;

struct Fixture
{
    QTemporaryDir dir;
    RecordingUi rec;
    ProjectDates project;
    WizProgram program;
    EditWizDates dates;
    std::unique_ptr<TaguSien_Scrpt> editor;

    explicit Fixture(const QString &script = NewBasicWizDate)
    {
        dates.EditWizPath = dir.path() + u"/WizDate0.dat"_s;
        dates.EditWizName = u"名前"_s;
        dates.EditWizSetumei = u"説明"_s;
        if (!script.isNull())
            PutBytes(dates.EditWizPath, Sjis(script + u"\r\n"_s));
        editor = std::make_unique<TaguSien_Scrpt>(dates, project, nullptr, &program);
        editor->show();
    }

    QListWidget *list() const { return child<QListWidget>(editor.get(), u"List1"_s); }
    QListWidget *palette() const { return child<QListWidget>(editor.get(), u"List2"_s); }
    QPushButton *button(int n) const { return child<QPushButton>(editor.get(), u"Command"_s + QString::number(n)); }

    QStringList lines() const
    {
        QStringList out;
        for (int i = 0; i < list()->count(); ++i)
            out.append(list()->item(i)->text());
        return out;
    }

    void choosePalette(const QString &row)
    {
        const QList<QListWidgetItem *> found = palette()->findItems(row, Qt::MatchExactly);
        QVERIFY(!found.isEmpty());
        palette()->setCurrentItem(found.first());
    }

    void key(int k, Qt::KeyboardModifiers mods = Qt::ControlModifier) { QTest::keyClick(list(), Qt::Key(k), mods); }
};

} // namespace

class TestScrpt : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void newScriptShowsTwoLines();
    void paletteRows();
    void addAfterTheSelectedLine();
    void addThroughADialog();
    void editThroughADialog();
    void editWithoutArgumentsBeeps();
    void deleteTheLastLineSelectsLineZero();
    void clipboardKeys();
    void clipboardCarriesBetweenScripts();
    void declarationBelowLineZero();
    void saveWritesFileAndNames();
    void saveReplacesALinkInTheFolder();
    void closeAsksWhenChanged();
    void closeWithoutChangesAsksNothing();
    void testRun();
    void testRunThatHitsTheStepLimit();
    void nestingMarks();
    void unreadableFileStartsEmpty();
    void unfitNameIsRefusedOnSave();
};

void TestScrpt::newScriptShowsTwoLines()
{
    Fixture fx;
    QCOMPARE(fx.editor->windowTitle(), u"入力支援スクリプト"_s);
    QCOMPARE(fx.lines(), (QStringList{u"◎タグ挿入スクリプト　（変数・・・整数型：1　文字列型：1　真偽型：1）"_s, u"◎終了"_s}));
    QCOMPARE(fx.list()->currentRow(), 0);
    QCOMPARE(fx.palette()->currentRow(), 0);
    QCOMPARE(child<QLineEdit>(fx.editor.get(), u"Text1"_s)->text(), u"名前"_s);
    QCOMPARE(child<QLineEdit>(fx.editor.get(), u"Text2"_s)->text(), u"説明"_s);
    QVERIFY(!fx.button(2)->isEnabled()); // the declaration cannot be deleted
    fx.list()->setCurrentRow(1);
    QVERIFY(fx.button(2)->isEnabled());
    QVERIFY(!fx.editor->changed());
}

void TestScrpt::paletteRows()
{
    Fixture fx;
    QCOMPARE(fx.palette()->count(), 18);
    QCOMPARE(fx.palette()->item(8)->text(), u"もし～ならば"_s);
    QCOMPARE(fx.palette()->item(4)->text(), u"----------------------"_s);
    fx.palette()->setCurrentRow(4);
    QVERIFY(!fx.button(1)->isEnabled());
    fx.palette()->setCurrentRow(17);
    QCOMPARE(fx.palette()->currentItem()->text(), u"終了"_s);
    QVERIFY(fx.button(1)->isEnabled());
}

void TestScrpt::addAfterTheSelectedLine()
{
    Fixture fx;
    fx.choosePalette(u"改行の出力"_s);
    fx.list()->setCurrentRow(0);
    fx.button(1)->click();
    QCOMPARE(fx.lines().at(1), u"■改行の出力"_s);
    QCOMPARE(fx.list()->currentRow(), 1);
    QCOMPARE(fx.program.ops.at(1), MakeWizOp(OpKaigyou));

    // With the last line selected the new one is appended after it.
    fx.list()->setCurrentRow(2);
    fx.choosePalette(u"選択文字列の出力"_s);
    fx.button(1)->click();
    QCOMPARE(fx.lines().size(), 4);
    QCOMPARE(fx.lines().at(3), u"■選択文字列の出力"_s);
    QCOMPARE(fx.list()->currentRow(), 3);
    QVERIFY(fx.editor->changed());

    // Inside a loop the lines are indented.
    fx.list()->setCurrentRow(0);
    fx.choosePalette(u"ループ開始"_s);
    fx.button(1)->click();
    QCOMPARE(fx.lines().at(2), u"　　■改行の出力"_s);
}

void TestScrpt::addThroughADialog()
{
    Fixture fx;
    fx.choosePalette(u"出力"_s);
    fx.list()->setCurrentRow(0);
    QVERIFY(DriveModal(this, [&] { fx.button(1)->click(); }, [](QWidget *dlg) {
        QCOMPARE(dlg->objectName(), u"TaguSien_AddOutPut"_s);
        auto *text = child<QLineEdit>(dlg, u"Text1"_s);
        text->selectAll();
        TypeText(text, u"<hr>"_s);
        child<QPushButton>(dlg, u"Command1"_s)->click();
    }));
    QCOMPARE(fx.lines().at(1), u"■出力　\"<hr>\""_s);
    QCOMPARE(fx.list()->currentRow(), 1);

    // Cancelled: nothing added, the line selected before stays selected.
    fx.choosePalette(u"もし～ならば"_s);
    QVERIFY(DriveModal(this, [&] { fx.button(1)->click(); },
                       [](QWidget *dlg) { child<QPushButton>(dlg, u"Command1"_s)->click(); }));
    QCOMPARE(fx.lines().size(), 3);
    QCOMPARE(fx.list()->currentRow(), 1);
    // Double-clicking a palette row adds as the button does.
    fx.choosePalette(u"特殊文字列の出力"_s);
    QVERIFY(DriveModal(this, [&] {
        // Sent as the window system sends a double click.
        QListWidget *pal = fx.palette();
        const QPoint at = pal->visualItemRect(pal->currentItem()).center();
        const QPointF global = pal->viewport()->mapToGlobal(QPointF(at));
        for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                               QEvent::MouseButtonRelease}) {
            QMouseEvent e(t, QPointF(at), global, Qt::LeftButton,
                          t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(pal->viewport(), &e);
        }
    }, [](QWidget *dlg) {
        QCOMPARE(dlg->objectName(), u"TaguSien_AddTokusyu"_s);
        child<QPushButton>(dlg, u"Command1"_s)->click();
    }));
    QCOMPARE(fx.lines().at(2), u"■特殊文字列の出力　「,」カンマ"_s);
}

void TestScrpt::editThroughADialog()
{
    Fixture fx(BoldScript);
    fx.list()->setCurrentRow(1);
    const WizProgram before = fx.program;
    // OK without changes leaves the statement as it was.
    QVERIFY(DriveModal(this, [&] { fx.button(5)->click(); },
                       [](QWidget *dlg) { child<QPushButton>(dlg, u"Command1"_s)->click(); }));
    QCOMPARE(fx.program.ops, before.ops);
    QCOMPARE(fx.list()->currentRow(), 1);
    // The declaration opens the variable settings.
    fx.list()->setCurrentRow(0);
    QVERIFY(DriveModal(this, [&] { fx.button(5)->click(); }, [](QWidget *dlg) {
        QCOMPARE(dlg->objectName(), u"TaguSien_AddHensuSettei"_s);
        auto *text = child<QLineEdit>(dlg, u"Text2"_s);
        text->selectAll();
        TypeText(text, u"3"_s);
        child<QPushButton>(dlg, u"Command1"_s)->click();
    }));
    QCOMPARE(fx.lines().at(0), u"◎タグ挿入スクリプト　（変数・・・整数型：1　文字列型：3　真偽型：1）"_s);
    QCOMPARE(fx.list()->currentRow(), 0);
}

void TestScrpt::editWithoutArgumentsBeeps()
{
    Fixture fx(BoldScript);
    fx.list()->setCurrentRow(2); // the selection output
    fx.button(5)->click();
    QCOMPARE(fx.rec.beeps, 1);
    QCOMPARE(QApplication::activeModalWidget(), fx.editor.get()); // no dialog opened
}

void TestScrpt::deleteTheLastLineSelectsLineZero()
{
    Fixture fx(BoldScript);
    fx.list()->setCurrentRow(2);
    fx.button(2)->click();
    QCOMPARE(fx.lines().size(), 4);
    QCOMPARE(fx.list()->currentRow(), 2);
    fx.list()->setCurrentRow(3);
    fx.button(2)->click();
    QCOMPARE(fx.list()->currentRow(), 0);
    // Delete on line 0 only beeps; on another line it deletes.
    QTest::keyClick(fx.list(), Qt::Key_Delete);
    QCOMPARE(fx.rec.beeps, 1);
    QCOMPARE(fx.lines().size(), 3);
    fx.list()->setCurrentRow(1);
    QTest::keyClick(fx.list(), Qt::Key_Delete);
    QCOMPARE(fx.lines().size(), 2);
}

void TestScrpt::clipboardKeys()
{
    WizClip().reset();
    Fixture fx(BoldScript);
    fx.list()->setCurrentRow(1);
    // An empty clipboard pastes nothing.
    fx.key(Qt::Key_V);
    QCOMPARE(fx.lines().size(), 5);
    // Line 0 is neither copied nor cut.
    fx.list()->setCurrentRow(0);
    fx.key(Qt::Key_C);
    fx.key(Qt::Key_X);
    QVERIFY(!WizClip());
    QCOMPARE(fx.lines().size(), 5);
    // Copy line 1 and paste it below line 2.
    fx.list()->setCurrentRow(1);
    fx.key(Qt::Key_C);
    fx.list()->setCurrentRow(2);
    fx.key(Qt::Key_V);
    QCOMPARE(fx.lines().size(), 6);
    QCOMPARE(fx.program.ops.at(3), fx.program.ops.at(1));
    QCOMPARE(fx.list()->currentRow(), 3);
    // Other modifiers make the keys do nothing.
    fx.key(Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(fx.lines().size(), 6);
    // Cut removes the line and keeps it.
    fx.list()->setCurrentRow(4);
    const WizOp cut = fx.program.ops.at(4);
    fx.key(Qt::Key_X);
    QCOMPARE(fx.lines().size(), 5);
    QCOMPARE(*WizClip(), cut);
    // Ctrl+V on line 0 pastes below it.
    fx.list()->setCurrentRow(0);
    fx.key(Qt::Key_V);
    QCOMPARE(fx.program.ops.at(1), cut);
}

void TestScrpt::clipboardCarriesBetweenScripts()
{
    WizClip().reset();
    {
        Fixture fx(BoldScript);
        fx.list()->setCurrentRow(1);
        fx.key(Qt::Key_C);
        fx.editor->reject();
    }
    Fixture other;
    other.list()->setCurrentRow(0);
    other.key(Qt::Key_V);
    QCOMPARE(other.lines().at(1), u"■出力　\"<b>\""_s);
}

void TestScrpt::declarationBelowLineZero()
{
    WizClip().reset();
    // A hand-written script with declarations on lines 0 to 3.
    WizProgram script;
    const WizOp declaration = MakeWizOp(OpHensuSettei, {0, 0, 0});
    script.ops = {declaration, declaration, declaration, declaration, MakeWizOp(OpWizEnd)};
    Fixture fx(WizDateToText(script));
    // One can be copied, but a declaration is not pasted: a beep instead.
    fx.list()->setCurrentRow(1);
    fx.key(Qt::Key_C);
    fx.key(Qt::Key_V);
    QCOMPARE(fx.rec.beeps, 1);
    // 削除, Delete and Ctrl+X take one each; line 0 stays.
    fx.list()->setCurrentRow(1);
    fx.button(2)->click();
    fx.list()->setCurrentRow(1);
    QTest::keyClick(fx.list(), Qt::Key_Delete);
    fx.list()->setCurrentRow(1);
    fx.key(Qt::Key_X);
    fx.list()->setCurrentRow(0);
    fx.key(Qt::Key_X);
    QCOMPARE(fx.program.ops, (QVector<WizOp>{declaration, MakeWizOp(OpWizEnd)}));
    QCOMPARE(fx.rec.beeps, 1);
    QVERIFY(!fx.button(2)->isEnabled());
}

void TestScrpt::saveWritesFileAndNames()
{
    Fixture fx;
    fx.choosePalette(u"選択文字列の出力"_s);
    fx.button(1)->click();
    child<QLineEdit>(fx.editor.get(), u"Text1"_s)->setText(u"新しい名前"_s);
    fx.button(4)->click();
    QCOMPARE(ReadBytes(fx.dates.EditWizPath), QByteArray("$WizDate,2,0,0,0,0,2,-1\r\n"));
    QCOMPARE(fx.dates.EditWizName, u"新しい名前"_s);
    QCOMPARE(fx.dates.EditWizSetumei, u"説明"_s);
    QCOMPARE(fx.rec.lastMessage(), u"データを保存しました"_s);
    QCOMPARE(fx.rec.shown.last().icon, UiService::Icon::None);
    QVERIFY(!fx.editor->changed());
}

void TestScrpt::saveReplacesALinkInTheFolder()
{
    // The script file is a link to another user's file: the save puts a file
    // of its own in the folder and leaves that file as it was.
    Fixture fx;
    const QString victim = fx.dir.path() + u"/victim"_s;
    QVERIFY(QFile::rename(fx.dates.EditWizPath, victim) && QFile::link(victim, fx.dates.EditWizPath));
    fx.choosePalette(u"選択文字列の出力"_s);
    fx.button(1)->click();
    fx.button(4)->click();
    QCOMPARE(ReadBytes(victim), Sjis(NewBasicWizDate + u"\r\n"_s));
    QVERIFY(!QFileInfo(fx.dates.EditWizPath).isSymLink());
    QCOMPARE(ReadBytes(fx.dates.EditWizPath), QByteArray("$WizDate,2,0,0,0,0,2,-1\r\n"));
}

void TestScrpt::closeAsksWhenChanged()
{
    Fixture fx;
    const QByteArray before = ReadBytes(fx.dates.EditWizPath);
    fx.choosePalette(u"改行の出力"_s);
    fx.button(1)->click();

    // Cancel (also what Escape and the close box of the question give):
    // the editor stays open with its statements.
    fx.button(3)->click();
    QCOMPARE(fx.rec.shown.last().kind, u"question"_s);
    QVERIFY(fx.editor->isVisible());
    QTest::keyClick(fx.editor.get(), Qt::Key_Escape);
    QVERIFY(fx.editor->isVisible());
    fx.editor->close();
    QVERIFY(fx.editor->isVisible());
    QCOMPARE(fx.lines().size(), 3);
    QCOMPARE(ReadBytes(fx.dates.EditWizPath), before);

    // Yes saves, then closes.
    fx.rec.yesNoCancelAnswers.enqueue(UiService::Answer::Yes);
    fx.button(3)->click();
    QVERIFY(!fx.editor->isVisible());
    QCOMPARE(ReadBytes(fx.dates.EditWizPath), QByteArray("$WizDate,2,0,0,0,0,11,-1\r\n"));

    // No closes without writing.
    Fixture other;
    const QByteArray otherBefore = ReadBytes(other.dates.EditWizPath);
    child<QLineEdit>(other.editor.get(), u"Text2"_s)->setText(u"変えた"_s);
    other.rec.yesNoCancelAnswers.enqueue(UiService::Answer::No);
    other.button(3)->click();
    QVERIFY(!other.editor->isVisible());
    QCOMPARE(ReadBytes(other.dates.EditWizPath), otherBefore);
    QCOMPARE(other.dates.EditWizSetumei, u"説明"_s);
}

void TestScrpt::closeWithoutChangesAsksNothing()
{
    Fixture fx;
    // A change undone is no change.
    child<QLineEdit>(fx.editor.get(), u"Text1"_s)->setText(u"x"_s);
    child<QLineEdit>(fx.editor.get(), u"Text1"_s)->setText(u"名前"_s);
    fx.button(3)->click();
    QVERIFY(!fx.editor->isVisible());
    QVERIFY(fx.rec.shown.isEmpty());
}

void TestScrpt::testRun()
{
    Fixture fx(BoldScript);
    auto *box = child<QPlainTextEdit>(fx.editor.get(), u"Text3"_s);
    box->setPlainText(u"xx abc yy"_s);
    QTextCursor c = box->textCursor();
    c.setPosition(3);
    c.setPosition(6, QTextCursor::KeepAnchor);
    box->setTextCursor(c);
    fx.button(6)->click();
    QCOMPARE(box->toPlainText(), u"xx <b>abc</b> yy"_s);
    // Unsaved statements run as they are.
    fx.list()->setCurrentRow(3);
    fx.choosePalette(u"改行の出力"_s);
    fx.button(1)->click();
    box->setPlainText(QString());
    fx.button(6)->click();
    QCOMPARE(box->toPlainText(), u"<b></b>\n"_s);
}

void TestScrpt::testRunThatHitsTheStepLimit()
{
    Fixture fx(EndlessScript);
    fx.editor->stepLimit = 5000;
    auto *box = child<QPlainTextEdit>(fx.editor.get(), u"Text3"_s);
    box->setPlainText(u"keep"_s);
    fx.button(6)->click();
    QCOMPARE(box->toPlainText(), u"keep"_s);
    QCOMPARE(child<QLabel>(fx.editor.get(), u"TestMessage"_s)->text(), u"スクリプトが長時間終了しないため、実行を中止しました。"_s);
    // The editor goes on working.
    fx.list()->setCurrentRow(1);
    fx.button(2)->click();
    QCOMPARE(fx.lines().size(), 3);
    fx.button(6)->click();
    QVERIFY(child<QLabel>(fx.editor.get(), u"TestMessage"_s)->text().isEmpty());
}

void TestScrpt::nestingMarks()
{
    Fixture fx(LonelyElseScript);
    auto *status = child<QLabel>(fx.editor.get(), u"StatusText"_s);
    QVERIFY(!fx.list()->item(1)->icon().isNull());
    QVERIFY(fx.list()->item(0)->icon().isNull());
    QVERIFY(status->text().contains(u"1か所"_s));
    fx.list()->setCurrentRow(1);
    QVERIFY2(status->text().contains(u"「違えば」に対応する「もし～ならば」がありません"_s), qPrintable(status->text()));
    // Adding the if before it mends the script: the mark goes.
    fx.list()->setCurrentRow(0);
    fx.choosePalette(u"もし～ならば"_s);
    QVERIFY(DriveModal(this, [&] { fx.button(1)->click(); },
                       [](QWidget *dlg) { child<QPushButton>(dlg, u"Command2"_s)->click(); }));
    fx.list()->setCurrentRow(2);
    fx.choosePalette(u"条件分岐終了"_s);
    fx.button(1)->click();
    for (int i = 0; i < fx.list()->count(); ++i)
        QVERIFY(fx.list()->item(i)->icon().isNull());
    QVERIFY(status->text().isEmpty());
    // A script with such faults still saves.
    fx.list()->setCurrentRow(1);
    fx.button(2)->click();
    fx.button(4)->click();
    QCOMPARE(fx.rec.lastMessage(), u"データを保存しました"_s);
}

void TestScrpt::unreadableFileStartsEmpty()
{
    Fixture fx(u"not a script"_s);
    QVERIFY(fx.rec.lastMessage().contains(u"読み込めませんでした"_s));
    QCOMPARE(fx.lines().size(), 2);
    QCOMPARE(fx.lines().at(1), u"◎終了"_s);
    QCOMPARE(ReadBytes(fx.dates.EditWizPath), QByteArray("not a script\r\n"));
}

void TestScrpt::unfitNameIsRefusedOnSave()
{
    Fixture fx;
    const QByteArray before = ReadBytes(fx.dates.EditWizPath);
    fx.choosePalette(u"改行の出力"_s);
    fx.button(1)->click();
    child<QLineEdit>(fx.editor.get(), u"Text1"_s)->setText(u"a,b"_s);
    fx.button(4)->click();
    QVERIFY(fx.rec.lastMessage().contains(u"カンマ"_s));
    // A character the file cannot hold: the message is about names, and
    // names it.
    child<QLineEdit>(fx.editor.get(), u"Text1"_s)->setText(u"顔😀"_s);
    fx.button(4)->click();
    QCOMPARE(fx.rec.lastMessage(), u"名前に次の文字は使えません：「😀」（保存できない文字）\r\n"
                                   u"スクリプトの名前と説明はこれらの文字を含むと保存できないため、名前と説明には使えません。"
                                   u"別の文字に変えてください。"_s);
    QCOMPARE(ReadBytes(fx.dates.EditWizPath), before);
    QCOMPARE(fx.dates.EditWizName, u"名前"_s);
}

QTEST_MAIN(TestScrpt)
#include "tst_scrpt.moc"
