// Faults that random use of the main window brought to light, one test each.

#include "AppPaths.h"
#include "AppStart.h"
#include "HtmlHighlighter.h"
#include "MainForm.h"
#include "PageEditor.h"
#include "RecordingUi.h"

#include <QFrame>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestRandomUse : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        SetAppDir(m_dir.path());
        m_ui = std::make_unique<RecordingUi>();
    }

    void cleanup() { m_ui.reset(); }

    // The command groups and the lists' key handling watch the controls' events and reach the window
    // from there: taken down after the window's own part, they were handed
    // the events of controls being destroyed and called into a window that
    // no longer was one.
    void commandGroupsEndBeforeTheControls()
    {
        auto *form = new MainForm;
        form->startUp();
        QPointer<QObject> groups = form->findChild<QObject *>(u"CommandGroups"_s);
        QPointer<QObject> listKeys = form->findChild<QObject *>(u"ItemListKeys"_s);
        QVERIFY(groups);
        QVERIFY(listKeys);
        bool watchersGone = false;
        for (QFrame *bar : {form->ui().LeftLine, form->ui().CenterLine, form->ui().RightLine})
            connect(bar, &QObject::destroyed, this,
                    [&watchersGone, groups, listKeys] { watchersGone = groups.isNull() && listKeys.isNull(); });
        delete form;
        QVERIFY(watchersGone);
    }

    // The colouring watches the editor and its viewport. The viewport is
    // destroyed while the editor is taken down, and asking the editor for
    // its viewport then is a call into an object that is no longer an
    // editor (the sanitizer build stops there).
    void highlighterGoesWithItsEditor()
    {
        auto *editor = new PageEditor;
        QPointer<HtmlHighlighter> highlighter = new HtmlHighlighter(editor);
        editor->setHtmlText(u"<p>text</p>"_s);
        editor->resize(200, 120);
        editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(editor));
        delete editor;
        QVERIFY(highlighter.isNull());
    }

    // A start that cannot reach the screen (no display, or an X server that
    // is restarting as its last client left) ended in an abort with a core
    // dump; it ends with a message and exit code 1.
    void startWithoutScreenEndsWithMessage()
    {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
        env.insert(u"DISPLAY"_s, u":9876"_s); // no server there
        env.insert(u"HOME"_s, m_dir.path());
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(m_dir.path());
        program.start(QStringLiteral(QV_PROGRAM), {});
        QVERIFY(program.waitForFinished(120000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1);
        QVERIFY(QString::fromLocal8Bit(program.readAllStandardError()).contains(CannotReachScreenMessage()));
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<RecordingUi> m_ui;
};

QTEST_MAIN(TestRandomUse)
#include "tst_randomuse.moc"
