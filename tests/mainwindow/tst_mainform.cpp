// The main window's start-up, item lists, editor keys and toolbar rules.

#include "AppPaths.h"
#include "AppStart.h"
#include "MainForm.h"
#include "PageEditor.h"
#include "RecordingUi.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

using namespace Qt::StringLiterals;

class TestMainForm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        SetAppDir(m_dir.path());
        m_ui = std::make_unique<RecordingUi>();
        m_form = std::make_unique<MainForm>();
        m_form->startUp();
    }

    void cleanup()
    {
        m_form.reset();
        m_ui.reset();
    }

    void startsWithTheIndexPage()
    {
        const MainFormControls &c = m_form->ui();
        QCOMPARE(m_form->windowTitle(),
                 u"HTMLプロジェクトエディタ 『ミルト』 - [新規HTMLプロジェクト] - [インデックス]"_s);
        QStringList kinds;
        for (int i = 0; i < c.MinDatList->count(); ++i)
            kinds << c.MinDatList->item(i)->text();
        QCOMPARE(kinds, (QStringList{u"□HTMLデータ"_s, u"□画像データ"_s, u"□他のファイルデータ"_s, u"◇しおり"_s}));
        QCOMPARE(c.MinDatList->currentRow(), 0);
        QCOMPARE(c.DatList->count(), 1);
        QCOMPARE(c.DatList->currentItem()->text(), u"インデックス"_s);
        QCOMPARE(c.MainText->htmlText(), NewPageSkeleton());
        QCOMPARE(c.TagTypeCombo->count(), 3);
        QCOMPARE(c.TagTypeCombo->itemText(2), u"タグ挿入支援"_s);
        QVERIFY(!m_form->project().Henkou);
        QVERIFY(!m_form->action(u"minmnyUwagaki"_s)->isEnabled());
        // Nothing was asked or shown.
        QVERIFY(m_ui->shown.isEmpty());
    }

    void iconSetOnceTheWindowIsDrawn()
    {
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        QTRY_VERIFY(!m_form->windowIcon().isNull());
        const QList<QSize> sizes = m_form->windowIcon().availableSizes();
        for (int size : {16, 32, 64})
            QVERIFY(sizes.contains(QSize(size, size)));
        QCOMPARE(m_form->windowIcon().pixmap(QSize(32, 32)).size(), QSize(32, 32));
    }

    void menusCarryTheirCaptionsShortcutsAndMarks()
    {
        const QList<QAction *> menus = m_form->menuBar()->actions();
        QStringList titles;
        for (QAction *a : menus)
            titles << a->text();
        QCOMPARE(titles, (QStringList{u"ファイル(&F)"_s, u"編集(&E)"_s, u"表示(&V)"_s, u"検索(&S)"_s,
                                      u"プレビュー(&P)"_s, u"ヘルプ(&H)"_s}));
        QCOMPARE(m_form->action(u"minmnyProOpen"_s)->text(), u"プロジェクトを開く...(&O)"_s);
        QCOMPARE(m_form->action(u"minmnyProOpen"_s)->shortcut(), QKeySequence(u"Ctrl+O"_s));
        QCOMPARE(m_form->action(u"minmnyLoad"_s)->shortcut(), QKeySequence(u"Ctrl+W"_s));
        for (const QString &ticked : {u"minmnyTru"_s, u"minmnyStats"_s, u"minmnyShowTags"_s, u"minmnyShowFiles"_s,
                                      u"minmnyPrv"_s, u"minmnyAt"_s})
            QVERIFY2(m_form->action(ticked)->isChecked(), qPrintable(ticked));
        // "雛型リスト" stands in the edit menu itself, right after the
        // "雛型の追加" submenu, which holds the two register commands.
        const QList<QAction *> edit = m_form->findChild<QMenu *>(u"mnyEdit"_s)->actions();
        const qsizetype sub = edit.indexOf(m_form->action(u"minmnyAddhina"_s));
        QVERIFY(sub >= 0 && sub + 1 < edit.size());
        QCOMPARE(edit.at(sub + 1)->objectName(), u"minmnyHinaList"_s);
        QStringList registers;
        for (QAction *a : m_form->action(u"minmnyAddhina"_s)->menu()->actions())
            registers << a->objectName();
        QCOMPARE(registers, (QStringList{u"minmnyNewPhina"_s, u"minmnyNewHhina"_s}));
        QCOMPARE(m_form->ui().mnyHtmlPopUp->actions().size(), 8);
        QCOMPARE(m_form->ui().mnySounyuPopUp->actions().at(1)->text(), u"ファイル名のみ挿入"_s);

        // Toolbar: 16 buttons and 3 separators, "AtKosin" the 14th, pressed.
        const QList<QAction *> tools = m_form->ui().Toolbar1->actions();
        QCOMPARE(tools.size(), 19);
        QCOMPARE(tools.at(13)->objectName(), u"AtKosin"_s);
        QVERIFY(tools.at(13)->isChecked());
        QCOMPARE(m_form->toolButton(u"GoHelp"_s)->toolTip(), u"マニュアル"_s);
        for (QAction *t : tools)
            if (!t->isSeparator())
                QVERIFY(!t->icon().isNull());
    }

    void kindSelectionEnablesItsCommands()
    {
        const MainFormControls &c = m_form->ui();
        const auto enabled = [this](const char16_t *name) { return m_form->action(QString::fromUtf16(name))->isEnabled(); };
        QVERIFY(enabled(u"minmnyHtmldel") && !enabled(u"minmnyDelPict") && !enabled(u"minmnyDelSiori"));
        QVERIFY(enabled(u"minmnyInCutHtml") && enabled(u"minmnyInPtHtml"));

        c.MinDatList->setCurrentRow(KindSiori);
        QVERIFY(enabled(u"minmnyDelSiori"));
        QVERIFY(!enabled(u"minmnyHtmldel") && !enabled(u"minmnyDelPict") && !enabled(u"minmnyDelFile"));
        QVERIFY(!enabled(u"minmnyInCutHtml") && !enabled(u"minmnyInCopyHtml") && !enabled(u"minmnyInPtHtml"));
        QCOMPARE(m_form->project().ListType, qint16(KindSiori));

        c.MinDatList->setCurrentRow(KindElseFile);
        QCOMPARE(c.DatList->count(), 0);
        QCOMPARE(c.DatList->currentRow(), -1);
        QVERIFY(enabled(u"minmnyDelFile"));

        c.MinDatList->setCurrentRow(KindPict);
        QVERIFY(m_form->PicShow);
        c.MinDatList->setCurrentRow(KindHtml);
        QVERIFY(!m_form->PicShow);
    }

    void pageSwitchShowsAndTitlesThePage()
    {
        ProjectDates &p = m_form->project();
        AddHtmlDat(p, u"二枚目"_s, u"two"_s, u"<p>two</p>\r\nend"_s, u".htm"_s);
        m_form->showKind(KindHtml);
        const MainFormControls &c = m_form->ui();
        c.DatList->setCurrentRow(1);
        QCOMPARE(p.NowHtml, qint16(1));
        QCOMPARE(c.MainText->toPlainText(), u"<p>two</p>\nend"_s);
        QVERIFY(m_form->windowTitle().endsWith(u" - [二枚目]"_s));
        // The page shown unchanged stays byte-identical.
        QCOMPARE(p.Html.at(1).HtmlStr, u"<p>two</p>\r\nend"_s);
    }

    void typingStoresIntoThePage()
    {
        const MainFormControls &c = m_form->ui();
        c.MainText->moveCursor(QTextCursor::End);
        QTest::keyClicks(c.MainText, u"abc"_s);
        QVERIFY(m_form->project().Henkou);
        QCOMPARE(m_form->project().Html.at(0).HtmlStr, NewPageSkeleton() + u"abc"_s);

        c.MainText->moveCursor(QTextCursor::End);
        QTest::keyClick(c.MainText, Qt::Key_Return, Qt::ShiftModifier);
        QVERIFY(m_form->project().Html.at(0).HtmlStr.endsWith(u"abc<br>\r\n"_s));
        QTest::keyClick(c.MainText, Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(m_form->project().Html.at(0).HtmlStr.endsWith(u"abc<br>\r\n<p>\r\n"_s));

        // The keypad's Enter acts the same; no key leaves a soft line
        // separator in the page.
        c.MainText->moveCursor(QTextCursor::End);
        QTest::keyClick(c.MainText, Qt::Key_Enter, Qt::ShiftModifier | Qt::KeypadModifier);
        QTest::keyClick(c.MainText, Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
        QVERIFY(m_form->project().Html.at(0).HtmlStr.endsWith(u"abc<br>\r\n<p>\r\n<br>\r\n<p>\r\n"_s));
        QVERIFY(!m_form->project().Html.at(0).HtmlStr.contains(QChar::LineSeparator));

        // Shift+Enter replaces a selection.
        c.MainText->selectHtml(0, 6); // "<html>"
        QTest::keyClick(c.MainText, Qt::Key_Return, Qt::ShiftModifier);
        QVERIFY(m_form->project().Html.at(0).HtmlStr.startsWith(u"<br>\r\n\r\n    <head>"_s));
    }

    void editorKeepsEveryCharacterOfThePage()
    {
        // No-break spaces (common in UTF-8 pages) and line separators are
        // page text like any other character: showing, typing into and
        // selecting such a page keeps them.
        ProjectDates &p = m_form->project();
        const QString text = u"<p>a\u00A0b\u2028c</p>\r\n<p>\u00A0\u00A0x</p>"_s;
        AddHtmlDat(p, u"空白"_s, u"nbsp"_s, text, u".htm"_s);
        m_form->showKind(KindHtml);
        m_form->ui().DatList->setCurrentRow(1);
        const MainFormControls &c = m_form->ui();
        QCOMPARE(c.MainText->htmlText(), text);
        QCOMPARE(p.Html.at(1).HtmlStr, text);

        c.MainText->moveCursor(QTextCursor::End);
        QTest::keyClicks(c.MainText, u"y"_s);
        QCOMPARE(m_form->project().Html.at(1).HtmlStr, text + u"y"_s);

        c.MainText->selectHtml(3, 5); // "a\u00A0b\u2028c"
        QCOMPARE(c.MainText->selectedHtml(), u"a\u00A0b\u2028c"_s);
        QCOMPARE(c.MainText->selectionStartHtml(), 3);
        QCOMPARE(c.MainText->selectionLengthHtml(), 5);
    }

    void unsavedChangesQuestion()
    {
        using Answer = UiService::Answer;
        QCOMPARE(m_form->CheckChange(), Answer::No);
        QVERIFY(m_ui->shown.isEmpty());
        m_form->project().Henkou = true;
        m_ui->yesNoCancelAnswers << Answer::Yes << Answer::No << Answer::Cancel;
        QCOMPARE(m_form->CheckChange(), Answer::Yes);
        QCOMPARE(m_ui->lastMessage(),
                 u"ファイル\"新規HTMLプロジェクト\"の内容が変更されています、変更を保存しますか？"_s);
        QCOMPARE(m_ui->shown.last().icon, UiService::Icon::Exclamation);
        QCOMPARE(m_form->CheckChange(), Answer::No);
        QCOMPARE(m_form->CheckChange(), Answer::Cancel);
        QCOMPARE(m_ui->shown.size(), 3);
    }

    void statusHelpSurvivesMenus()
    {
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        auto *panel = m_form->findChild<QLabel *>(u"StatusPanel1"_s);
        QVERIFY(panel);
        QCOMPARE(panel->parentWidget(), m_form->ui().StatusBar1);
        m_form->ui().MainText->setFocus();
        QTRY_COMPARE(panel->text(), u"ここに説明を表示します"_s);

        // Highlighting menu items puts their (empty) status tips on the bar.
        QMenu *file = m_form->findChild<QMenu *>(u"mnyFile"_s);
        QVERIFY(file);
        m_form->menuBar()->setActiveAction(file->menuAction());
        QTRY_VERIFY(file->isVisible());
        QTest::keyClick(file, Qt::Key_Down);
        QTest::keyClick(file, Qt::Key_Down);
        QTest::keyClick(file, Qt::Key_Escape);
        QTest::keyClick(m_form->menuBar(), Qt::Key_Escape);
        QTRY_VERIFY(!file->isVisible());
        // Any temporary message, with or without text, leaves panel 1 alone.
        QStatusTipEvent tip(u"一時的な説明"_s);
        QApplication::sendEvent(m_form.get(), &tip);
        QStatusTipEvent none{QString()};
        QApplication::sendEvent(m_form.get(), &none);
        QVERIFY(panel->isVisible());
        QCOMPARE(panel->text(), u"ここに説明を表示します"_s);
        QVERIFY(panel->width() > m_form->ui().StatusBar1->width() / 2);

        // A new help text replaces it.
        m_form->ui().InSelectList->setCurrentRow(1);
        QCOMPARE(panel->text(), u"現在画像データはありません"_s);
    }

    void pictureListPreviewsWithPlaceholder()
    {
        ProjectDates &p = m_form->project();
        const QString png = m_dir.filePath(u"red.png"_s);
        QImage img(4, 4, QImage::Format_RGB32);
        img.fill(Qt::red);
        QVERIFY(img.save(png));
        AddPictDat(p, u"赤"_s, u"red"_s, png, u".png"_s);
        AddPictDat(p, u"消えた"_s, u"gone"_s, m_dir.filePath(u"gone.gif"_s), u".gif"_s);
        const MainFormControls &c = m_form->ui();
        m_form->showKind(KindPict);
        QCOMPARE(c.DatList->currentRow(), 0);
        QCOMPARE(c.Image1->pixmap().toImage().pixelColor(0, 0), QColor(Qt::red));
        c.DatList->setCurrentRow(1);
        QVERIFY(c.Image1->pixmap().toImage().pixelColor(0, 0) != QColor(Qt::red));
        QVERIFY(!c.Image1->pixmap().isNull());
        QVERIFY(m_ui->shown.isEmpty()); // no message for a missing picture
    }

    void toolbarDeleteButtonsRespectTheListedKind()
    {
        int deletes = 0;
        int sioriDeletes = 0;
        m_form->setCommand(u"minmnyHtmldelpopup"_s, [&] { ++deletes; });
        m_form->setCommand(u"minmnyDelSiori"_s, [&] { ++sioriDeletes; });
        m_form->ui().MinDatList->setCurrentRow(KindSiori);
        m_form->toolButton(u"DelDate"_s)->trigger();
        QCOMPARE(deletes, 0);
        m_form->toolButton(u"DelSiori"_s)->trigger();
        QCOMPARE(sioriDeletes, 1);
        m_form->ui().MinDatList->setCurrentRow(KindHtml);
        m_form->toolButton(u"DelSiori"_s)->trigger();
        QCOMPARE(sioriDeletes, 1);
        m_form->toolButton(u"DelDate"_s)->trigger();
        QCOMPARE(deletes, 1);
    }

    void commandsNotYetThereBeepAndKeepTheirMark()
    {
        MainForm bare; // a window whose commands have no handlers of their own
        bare.startUp();
        bare.setCommand(u"minmnyTru"_s, nullptr);
        bare.setCommand(u"ProNewminmnyHina"_s, nullptr);
        const int beeps = m_ui->beeps;
        bare.runCommand(u"ProNewminmnyHina"_s);
        QCOMPARE(m_ui->beeps, beeps + 1);
        QAction *tru = bare.action(u"minmnyTru"_s);
        tru->trigger();
        QVERIFY(tru->isChecked());
        QCOMPARE(m_ui->beeps, beeps + 2);
    }

    void datListKeysRunTheirCommands()
    {
        QStringList ran;
        for (const QString &name : {u"minmnyInCutHtml"_s, u"minmnyInCopyHtml"_s, u"minmnyInPtHtml"_s,
                                    u"minmnyHtmldelpopup"_s})
            m_form->setCommand(name, [&ran, name] { ran << name; });
        QListWidget *list = m_form->ui().DatList;
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        QTest::keyClick(list, Qt::Key_X, Qt::ControlModifier);
        QTest::keyClick(list, Qt::Key_V, Qt::ControlModifier);
        QTest::keyRelease(list, Qt::Key_Delete);
        QCOMPARE(ran, (QStringList{u"minmnyInCopyHtml"_s, u"minmnyInCutHtml"_s, u"minmnyInPtHtml"_s,
                                   u"minmnyHtmldelpopup"_s}));
    }

    void doubleClickActsOnEntriesOnly()
    {
        int settings = 0;
        m_form->setCommand(u"minmnySet"_s, [&] { ++settings; });
        m_form->resize(900, 700);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        QListWidget *list = m_form->ui().DatList;
        const QPoint onEntry = list->visualItemRect(list->item(0)).center();
        const QPoint below(onEntry.x(), list->viewport()->height() - 5);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, below);
        QCOMPARE(settings, 0);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, onEntry);
        QCOMPARE(settings, 1);
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<RecordingUi> m_ui;
    std::unique_ptr<MainForm> m_form;
};

int main(int argc, char *argv[])
{
    // The process as the program prepares it: the browser's drawing above all.
    PrepareProcess();
    QApplication app(argc, argv);
    TestMainForm t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_mainform.moc"
