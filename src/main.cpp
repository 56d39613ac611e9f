#include "AppStart.h"
#include "EndSignals.h"
#include "MainForm.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    PrepareProcess();
    QApplication app(argc, argv);
    PrepareApplication();

    // The installed data lies at a fixed place relative to the executable.
    if (!SetUpAppDir(FindAppDirPlaces(QCoreApplication::applicationDirPath(),
                                      QStringLiteral(QUORVEL_INSTALLED_DATA))))
        return 1;

    MainForm form;
    // Logout, shutdown or a kill keep unsaved work for the next start.
    EndSignals endSignals;
    EndFormOnSignals(endSignals, form);
    // A signal during a start-up question may already have ended the program.
    bool ended = false;
    QObject::connect(&form, &MainForm::closing, &form, [&ended] { ended = true; });
    form.startUp();
    if (!ended)
        form.show();
    return app.exec();
}
