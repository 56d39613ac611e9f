#include "AppStart.h"
#include "BrowserView.h"
#include "ButtonRow.h"
#include "EndSignals.h"
#include "MainForm.h"
#include "UiService.h"

#include <QApplication>

#include <csignal>
#include <unistd.h>

int main(int argc, char *argv[])
{
    // The browser engine refuses to start its sandbox as root.
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // A file size limit makes a write fail (and the save report it) instead
    // of ending the program with the user's work.
    std::signal(SIGXFSZ, SIG_IGN);
    BrowserView::prepareDrawing();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    QApplication::setApplicationVersion(QStringLiteral(QUORVEL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quorvel.Quorvel"));
    // The common dialogs and context menus in Japanese, like the rest.
    InstallQtTranslations();
    InstallUniformButtonStyle();

    // The installed data lies at a fixed place relative to the executable.
    if (!SetUpAppDir(FindAppDirPlaces(QCoreApplication::applicationDirPath(),
                                      QStringLiteral(QUORVEL_INSTALLED_DATA))))
        return 1;

    MainForm form;
    // Logout, shutdown or a kill keep unsaved work for the next start.
    EndSignals endSignals;
    EndFormOnSignals(endSignals, form);
    form.startUp();
    form.show();
    return app.exec();
}
