// Preview benchmark (offscreen): opening a project whose first page is 5 MB
// until it is ready for typing. (Typing into big pages: bench_typing.)

#include "AppPaths.h"
#include "AppStart.h"
#include "BenchSupport.h"
#include "MainForm.h"
#include "PageEditor.h"
#include "PreviewCommands.h"
#include "PreviewPane.h"
#include "ProjectFile.h"
#include "RecordingUi.h"
#include "TempC.h"
#include "TextFiles.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

double ms(qint64 ns)
{
    return double(ns) / 1e6;
}

bool waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    return QTest::qWaitFor(done, timeoutMs);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The browser set up as the program sets it up.
    PrepareProcess();
    QApplication app(argc, argv);

    QTemporaryDir dir;
    SetAppDir(dir.path());
    QDir(dir.path()).mkpath(u"temp"_s);
    RecordingUi ui;

    MainForm form;
    form.startUp();
    form.resize(1200, 850);
    form.show();
    auto *cmds = form.findChild<PreviewCommands *>();
    if (!cmds) {
        std::fprintf(stderr, "no preview commands\n");
        return 1;
    }
    PreviewPane *pane = cmds->pane();
    if (!waitUntil([&] { return pane->view() && !pane->currentFile().isEmpty() && !pane->loadInFlight(); }, 60000)) {
        std::fprintf(stderr, "the preview did not start\n");
        return 1;
    }

    // --- Opening a project whose first page is 5 MB --------------------------
    PageEditor *editor = form.ui().MainText;
    ProjectDates big;
    NewStartProject(big);
    big.Html[0].HtmlStr = bench::BigPage(5 * 1024 * 1024);
    const QString hpf = JoinPath(dir.path(), u"big.hpf"_s);
    QString error;
    if (!SaveProjectFile(hpf, big, &error)) {
        std::fprintf(stderr, "cannot write the project: %s\n", qPrintable(error));
        return 1;
    }
    const qint64 hpfBytes = QFileInfo(hpf).size();
    form.project().Henkou = false;
    ui.fileAnswers.enqueue(hpf);
    const int beeps = ui.beeps;
    QElapsedTimer open;
    open.start();
    form.runCommand(u"minmnyProOpen"_s);
    const bool viaCommand = ui.beeps == beeps;
    if (!viaCommand) {
        // No open command in this build: the same steps by hand.
        ProjectDates &p = form.project();
        LoadProjectFile(hpf, p);
        p.ProjectPath = hpf;
        TempC::CopyAllTemp(p);
        form.showKind(KindHtml);
        p.Henkou = false;
    }
    const qint64 commandNs = open.nsecsElapsed();
    // Ready for typing: the text is in the editor and a keystroke is stored.
    QCoreApplication::processEvents();
    QTest::keyClick(editor, 'Z');
    const qint64 readyNs = open.nsecsElapsed();
    const bool shown = form.project().Html.at(0).HtmlStr.size() == big.Html.at(0).HtmlStr.size() + 1;
    std::printf("Opening a project with a %.2f MB first page (%.2f MB file)%s\n",
                double(EncodePageFile(big.Html.at(0).HtmlStr).size()) / (1024 * 1024),
                double(hpfBytes) / (1024 * 1024), viaCommand ? "" : " [by hand: no open command]");
    std::printf("  open command: %.0f ms; text in the editor and first keystroke stored: %.0f ms (%s)\n",
                ms(commandNs), ms(readyNs), shown ? "ok" : "NOT SHOWN");

    waitUntil([&] { return !pane->loadInFlight(); }, 60000);
    form.project().Henkou = false;
    return 0;
}
