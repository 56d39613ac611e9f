#include "AppStart.h"

#include "AppPaths.h"
#include "BrowserView.h"
#include "ButtonRow.h"
#include "TextFiles.h"
#include "UiService.h"

#include <QApplication>
#include <QDir>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QtMessageHandler previousHandler = nullptr;

// In force while the application object is made. A fatal message there means
// the program cannot reach the screen (no display, or an X server that is
// just restarting): the program says so and ends with a failure code, where
// the toolkit would abort and leave a core dump behind.
void StartMessages(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type != QtFatalMsg) {
        if (previousHandler)
            previousHandler(type, context, text);
        else
            fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
        return;
    }
    const QByteArray out = (text + u"\n"_s + CannotReachScreenMessage() + u"\n"_s).toLocal8Bit();
    fwrite(out.constData(), 1, size_t(out.size()), stderr);
    fflush(stderr);
    std::_Exit(1);
}

} // namespace

QString CannotReachScreenMessage()
{
    return u"画面に接続できないため、起動できません。"_s;
}

QString NoAppDirMessage(const AppDirPlaces &places, const AppDirChoice &choice)
{
    QString text = u"設定や作業中のデータを保存できるフォルダがないため、起動できません。"_s;
    if (choice.programFolder)
        text += u"\r\n\r\nプログラムのフォルダに書き込めません:\r\n"_s + QDir::toNativeSeparators(places.exeDir);
    if (places.perUserDir.isEmpty())
        text += u"\r\n\r\nホームフォルダが分かりません (環境変数 HOME が設定されていません)。"_s;
    else if (!choice.unsafe.isEmpty())
        return text + u"\r\n\r\n"_s + choice.unsafe;
    else
        text += u"\r\n\r\n次のフォルダを作成できないか、書き込めません:\r\n"_s
                + QDir::toNativeSeparators(places.perUserDir);
    text += u"\r\n\r\n書き込めるようにしてから、もう一度起動してください。"_s;
    return text;
}

bool SetUpAppDir(const AppDirPlaces &places, const WritableTest &writable)
{
    const AppDirChoice choice = ChooseAppDir(places, writable);
    if (choice.kind == AppDirKind::Unavailable) {
        Ui().message(NoAppDirMessage(places, choice), UiService::Icon::Critical);
        return false;
    }
    SetAppDir(choice.dir);
    // Everything written into the per-user folder is the user's alone.
    SetPrivateFolder(choice.kind == AppDirKind::PerUser ? choice.dir : QString());
    if (choice.kind == AppDirKind::PerUser) {
        const SupplyResult r = SupplyUserAppDir(choice.source, choice.dir);
        if (!r.ok()) {
            // The work can still be kept; only some supplied scripts,
            // templates or manual pages may be missing or old.
            QStringList shown = r.failures.mid(0, 5);
            if (r.failures.size() > shown.size())
                shown.append(u"ほか %1 件"_s.arg(r.failures.size() - shown.size()));
            Ui().message(u"付属のスクリプト、雛型、マニュアルの一部を次のフォルダに用意できませんでした:\r\n"_s
                             + QDir::toNativeSeparators(choice.dir) + u"\r\n\r\n"_s + shown.join(u"\r\n"_s),
                         UiService::Icon::Exclamation);
        }
    }
    return true;
}

void PrepareProcess()
{
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // A write past a file size limit fails (and the save reports it) instead
    // of ending the program with the user's work.
    std::signal(SIGXFSZ, SIG_IGN);
    BrowserView::prepareDrawing();
    previousHandler = qInstallMessageHandler(StartMessages);
}

void PrepareApplication()
{
    qInstallMessageHandler(previousHandler);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    QApplication::setApplicationVersion(QStringLiteral(QUORVEL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quorvel.Quorvel"));
    // The common dialogs and context menus in Japanese, like the rest.
    InstallQtTranslations();
    InstallUniformButtonStyle();
}
