// The view menu's HTML colouring switch: on by default, what it does to the
// editor, and how it is kept in OptionDate.dat without touching the other
// settings files.
#include "AppPaths.h"
#include "HighlightCommands.h"
#include "HtmlHighlighter.h"
#include "MainForm.h"
#include "OptionDate.h"
#include "PageEditor.h"
#include "RecordingUi.h"
#include "SettingsFiles.h"
#include "TestSupport.h"
#include "Twips.h"
#include "WindowSettingsIO.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <memory>

using namespace Qt::StringLiterals;

class TestColouring : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void menuItemOnByDefault();
    void editorShowsColoursOfThePage();
    void switchedOffThroughTheMenu();
    void keptInItsOwnFile();
    void otherFieldsOfTheFileKept();
    void otherSettingsFilesUnchanged();
    void userColoursGiveReadableColours();

private:
    void start();
    QAction *item() const { return m_form->action(u"minmnyIroWake"_s); }
    HtmlHighlighter *highlighter() const { return m_form->findChild<HighlightCommands *>()->highlighter(); }
    bool firstLineColoured() const
    {
        return !m_form->ui().MainText->document()->firstBlock().layout()->formats().isEmpty();
    }
    void closeForm()
    {
        m_form->project().Henkou = false;
        QVERIFY(m_form->close());
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RecordingUi> m_rec;
    std::unique_ptr<MainForm> m_form;
};

void TestColouring::initTestCase()
{
    SetTwipsDpiForTesting(96);
    qApp->setQuitOnLastWindowClosed(false);
}

void TestColouring::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    SetAppDir(m_dir->path());
    QVERIFY(QDir(m_dir->path()).mkpath(u"temp"_s));
    m_rec = std::make_unique<RecordingUi>();
}

void TestColouring::cleanup()
{
    m_form.reset();
    m_rec.reset();
    m_dir.reset();
}

void TestColouring::start()
{
    m_form.reset();
    m_form = std::make_unique<MainForm>();
    m_form->startUp();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void TestColouring::menuItemOnByDefault()
{
    start();
    QVERIFY(item());
    QCOMPARE(item()->text(), u"HTMLの色分け表示(&H)"_s);
    QVERIFY(item()->isCheckable());
    QVERIFY(item()->isChecked());
    // In the view menu, after the editor's colours.
    const QMenu *view = m_form->menuBar()->findChild<QMenu *>(u"mnyVew"_s);
    QVERIFY(view);
    const QList<QAction *> actions = view->actions();
    const qsizetype at = actions.indexOf(item());
    QVERIFY(at > 0);
    QCOMPARE(actions.at(at - 1)->objectName(), u"minmnyFontColor"_s);
    QVERIFY(highlighter()->isEnabled());
}

void TestColouring::editorShowsColoursOfThePage()
{
    start();
    QTRY_VERIFY(!highlighter()->pending());
    const QTextBlock first = m_form->ui().MainText->document()->firstBlock();
    QVERIFY(first.text().startsWith(u'<'));
    QVERIFY(firstLineColoured());
    QCOMPARE(first.layout()->formats().at(0).format.foreground().color(), highlighter()->colours().tag);
}

void TestColouring::switchedOffThroughTheMenu()
{
    start();
    QTRY_VERIFY(!highlighter()->pending());
    item()->trigger();
    QVERIFY(!item()->isChecked());
    QVERIFY(!highlighter()->isEnabled());
    QTRY_VERIFY(!firstLineColoured());
    // Switching colours does not change the page.
    QVERIFY(!m_form->project().Henkou);
    item()->trigger();
    QVERIFY(highlighter()->isEnabled());
    QTRY_VERIFY(firstLineColoured());
}

void TestColouring::keptInItsOwnFile()
{
    start();
    item()->trigger();
    closeForm();
    QCOMPARE(ReadBytes(OptionDatePath()), QByteArray("False,30,0,False\r\n"));
    start();
    QVERIFY(!item()->isChecked());
    QVERIFY(!highlighter()->isEnabled());
    QTRY_VERIFY(!highlighter()->pending());
    QVERIFY(!firstLineColoured());
    item()->trigger();
    closeForm();
    QCOMPARE(ReadBytes(OptionDatePath()), QByteArray("True,30,0,False\r\n"));
}

void TestColouring::otherFieldsOfTheFileKept()
{
    QVERIFY(PutBytes(OptionDatePath(), "True,12.5,768,True\r\n"));
    start();
    item()->trigger();
    closeForm();
    QCOMPARE(ReadBytes(OptionDatePath()), QByteArray("False,12.5,768,True\r\n"));
}

// SizeDate.dat and FontDate.dat are written exactly as before.
void TestColouring::otherSettingsFilesUnchanged()
{
    start();
    item()->trigger();
    const WindowSettings w = CollectWindowSettings(*m_form);
    const EditorFontSettings f = CollectEditorFont(*m_form);
    closeForm();
    QCOMPARE(ReadBytes(SizeDatePath()), Sjis(MakeSizeDateText(w) + u"\r\n"_s));
    QCOMPARE(ReadBytes(FontDatePath()), Sjis(MakeFontDateText(f) + u"\r\n"_s));
    QCOMPARE(MakeSizeDateText(w).split(u',').size(), 14);
    QCOMPARE(MakeFontDateText(f).split(u',').size(), 6);
}

// The background chosen in the view menu gives colours that read on it.
void TestColouring::userColoursGiveReadableColours()
{
    start();
    m_rec->colorAnswers.enqueue(QColor(0x20, 0x20, 0x20));
    m_form->runCommand(u"minmnyBackcolor"_s);
    QTRY_VERIFY(!highlighter()->pending());
    const QColor bg(0x20, 0x20, 0x20);
    QCOMPARE(highlighter()->colours().tag, DeriveHtmlColours(bg).tag);
    const QColor shownTag =
        m_form->ui().MainText->document()->firstBlock().layout()->formats().at(0).format.foreground().color();
    QCOMPARE(shownTag, DeriveHtmlColours(bg).tag);
    QVERIFY(ContrastRatio(shownTag, bg) >= 4.5);
}

QTEST_MAIN(TestColouring)
#include "tst_colouring.moc"
