// The program as the crash test runs it, in a process of its own: with the
// test's folder as AppDir, it opens a project, shows its second page and
// types into it until it is killed, telling on standard output what had been
// typed when each recovery record was taken that has been written. Started
// again in "restore" mode, it answers Yes to the offer and writes what it
// restored into restored.txt.
//
//   recovery_child APPDIR type PROJECT
//   recovery_child APPDIR restore
//
// Two more modes end by a signal, as a desktop session ends a program:
// "term TEXT" types TEXT, says READY and waits; "ask" starts with the real
// message boxes and says ASKING once a start-up question is on the screen.
// Both end only through the signal (exit code 0 when the program ended as it
// should).
//
//   recovery_child APPDIR term TEXT
//   recovery_child APPDIR ask

#include "AppPaths.h"
#include "EndSignals.h"
#include "MainForm.h"
#include "PageEditor.h"
#include "RecordingUi.h"
#include "RecoveryCommands.h"
#include "TextFiles.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QHash>
#include <QKeyEvent>
#include <QListWidget>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>

using namespace Qt::StringLiterals;

// What is typed: character i of the endless repetition of this text ("\n" is
// the Enter key).
const QString Typed = u"あいう<b>abc</b>&amp;\nえお <!--x-->"_s;

static void typeChar(QWidget *w, QChar c)
{
    if (c == u'\n') {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, u"\r"_s);
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, u"\r"_s);
        QApplication::sendEvent(w, &release);
        return;
    }
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &release);
}

static int endBySignal(QApplication &app, const QStringList &args)
{
    QApplication::setQuitOnLastWindowClosed(true);
    std::unique_ptr<RecordingUi> ui(args.at(2) == u"term" ? new RecordingUi : nullptr);
    MainForm form;
    EndSignals endSignals;
    EndFormOnSignals(endSignals, form);
    QTimer watch; // runs in the question's own event loop
    QObject::connect(&watch, &QTimer::timeout, &app, [&watch] {
        if (qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            std::printf("ASKING\n");
            std::fflush(stdout);
            watch.stop();
        }
    });
    watch.start(20);
    form.startUp();
    // Not shown: the browser pane that starts with the window is not part of
    // these tests.
    if (args.size() > 3) {
        form.action(u"minmnyAt"_s)->setChecked(false);
        for (const QChar c : args.at(3))
            typeChar(form.ui().MainText, c);
        std::printf("READY\n");
        std::fflush(stdout);
    }
    return app.exec();
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 3)
        return 2;
    SetAppDir(args.at(1));
    if (args.at(2) == u"term" || args.at(2) == u"ask")
        return endBySignal(app, args);
    RecordingUi ui;

    if (args.at(2) == u"restore") {
        ui.yesNoAnswers.enqueue(true);
        MainForm form;
        form.startUp();
        const ProjectDates &p = form.project();
        QString out;
        out += QString::number(ui.messages().size()) + u'\n';
        out += (p.Henkou ? u"changed"_s : u"unchanged"_s) + u'\n';
        out += QString::number(p.NowHtml) + u'\n';
        out += p.ProjectPath + u'\n';
        out += form.ui().MainText->htmlText();
        QFile f(JoinPath(args.at(1), u"restored.txt"_s));
        if (!f.open(QIODevice::WriteOnly) || f.write(out.toUtf8()) < 0)
            return 3;
        f.close();
        // Ends as after a crash: the restored record stays for the test.
        std::fflush(stdout);
        std::_Exit(0);
    }

    if (args.size() < 4)
        return 2;
    ui.fileAnswers.enqueue(args.at(3));
    MainForm form;
    form.startUp();
    // The preview is not part of this test.
    form.action(u"minmnyAt"_s)->setChecked(false);
    form.runCommand(u"minmnyProOpen"_s);
    form.ui().DatList->setCurrentRow(1);
    if (form.project().NowHtml != 1)
        return 4;

    auto *recovery = form.findChild<RecoveryCommands *>();
    PageEditor *editor = form.ui().MainText;
    int typed = 0;
    QHash<quint64, int> typedAt;
    QObject::connect(recovery, &RecoveryCommands::recordRequested, &app,
                     [&](quint64 serial) { typedAt.insert(serial, typed); });
    QObject::connect(&recovery->writer(), &RecoveryWriter::written, &app,
                     [&](quint64 serial, bool ok, const QString &) {
                         if (!ok)
                             return;
                         std::printf("WRITTEN %d\n", typedAt.value(serial, -1));
                         std::fflush(stdout);
                     });
    QTimer keys;
    QObject::connect(&keys, &QTimer::timeout, &app, [&] {
        if (typed >= 4000)
            return;
        typeChar(editor, Typed.at(typed % Typed.size()));
        ++typed;
    });
    keys.start(10);
    std::printf("READY\n");
    std::fflush(stdout);
    return app.exec();
}
