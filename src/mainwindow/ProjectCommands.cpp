#include "ProjectCommands.h"

#include "AppPaths.h"
#include "CharChanges.h"
#include "MainForm.h"
#include "PageEditor.h"
#include "ProjectFile.h"
#include "PublishCommands.h"
#include "SettingsFiles.h"
#include "TempC.h"
#include "TextFiles.h"
#include "UiService.h"
#include "WindowSettingsIO.h"

#include <QDir>
#include <QGuiApplication>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

const QString ProjectFilter = u"HTMLプロジェクトファイル|*.hpf|全てのファイル|*.*"_s;
const QString HtmlFilter = u"HTMLファイル|*.htm;*.html|全てのファイル|*.*"_s;

QString openFailureText(const QString &path, qint16 code)
{
    QString text = u"ファイル\""_s + QDir::toNativeSeparators(path);
    switch (code) {
    case LoadCannotOpen:
        return text + u"が見つかりません。"_s;
    case LoadNotProject:
        return text + u"は利用可能なHTMLプロジェクトではありません"_s;
    default:
        return text + u"は壊れています、ファイルをロードできません。"_s;
    }
}

} // namespace

ProjectCommands::ProjectCommands(MainForm *form, QObject *parent)
    : QObject(parent)
    , m_form(form)
{
    setObjectName(u"ProjectCommands"_s);
    form->setCommand(u"ProNewminmnyNew"_s, [this] { ProNewminmnyNew(); });
    form->setCommand(u"minmnyProOpen"_s, [this] { minmnyProOpen(); });
    form->setCommand(u"minmnyProSave"_s, [this] { minmnyProSave(); });
    form->setCommand(u"minmnyProNameSave"_s, [this] { minmnyProNameSave(); });
    form->setCommand(u"minmnyHTMLNameSave"_s, [this] { minmnyHTMLNameSave(); });
    form->setCommand(u"minmnyEnd"_s, [this] { minmnyEnd(); });
    form->setCommand(u"minmnyWrEnd"_s, [this] { minmnyWrEnd(); });
    form->setCommand(u"endOnRequest"_s, [this] { endOnRequest(); });
    form->onLoadSettings = [this] { loadSettings(); };
    form->onResumeBackup = [this] { resumeBackup(); };
    form->onClose = [this] { return exitSequence(); };
}

bool ProjectCommands::saveIfWanted()
{
    switch (m_form->CheckChange()) {
    case UiService::Answer::Yes:
        return minmnyProSave();
    case UiService::Answer::No:
        return true;
    case UiService::Answer::Cancel:
        break;
    }
    return false;
}

bool ProjectCommands::writeProject(const QString &path)
{
    QString error;
    CharChanges changes;
    if (!SaveProjectForUser(path, m_form->project(), &error, &changes)) {
        Ui().message(error, UiService::Icon::Critical);
        return false;
    }
    if (!changes.isEmpty())
        Ui().setStatusText(CharChangesText(changes));
    m_form->project().Henkou = false;
    Q_EMIT m_form->projectUnchanged();
    return true;
}

void ProjectCommands::showReplacedProject()
{
    m_form->showKind(KindHtml);
    m_form->refreshCatalogue();
    m_form->updateUwagaki();
    m_form->updateTitle();
    m_form->project().Henkou = false;
    Q_EMIT m_form->projectUnchanged();
}

bool ProjectCommands::ProNewminmnyNew()
{
    // Work the user asked to keep is never dropped: a cancelled question or a
    // save that did not happen stops the command.
    if (RefuseWhilePublishing(m_form) || !saveIfWanted())
        return false;
    ProjectDates &p = m_form->project();
    TempC::DelAllTemp(p);
    NewStartProject(p);
    showReplacedProject();
    m_form->showPicture(QString());
    return true;
}

bool ProjectCommands::minmnyProOpen()
{
    if (RefuseWhilePublishing(m_form) || !saveIfWanted())
        return false;
    const QString path = OpenFileOfKind(DialogKind::Project, ProjectFilter, m_form->project().ProjectPath);
    if (path.isEmpty())
        return false;

    ProjectDates &p = m_form->project();
    TempC::DelAllTemp(p);
    const qint16 code = LoadProjectFile(path, p);
    if (code != LoadOk) {
        Ui().message(openFailureText(path, code), UiService::Icon::Critical);
        // The project stays when the new project is stopped (the question
        // cancelled, or a save that did not happen); its preview copies come back.
        if (!ProNewminmnyNew())
            TempC::CopyAllTemp(p);
        return false;
    }
    TempC::CopyAllTemp(p);
    p.ProjectPath = path;
    showReplacedProject();
    return true;
}

bool ProjectCommands::minmnyProSave()
{
    const ProjectDates &p = m_form->project();
    if (p.ProjectPath == NewProjectPath)
        return minmnyProNameSave();
    return writeProject(p.ProjectPath);
}

bool ProjectCommands::minmnyProNameSave()
{
    // A name typed without an extension gets ".hpf", so that the open
    // dialog's filter lists it.
    const QString path = WithDefaultExtension(
        SaveFileOfKind(DialogKind::Project, ProjectFilter, m_form->project().ProjectPath, u"hpf"_s), u".hpf"_s);
    if (path.isEmpty())
        return false;
    if (!writeProject(path))
        return false;
    m_form->project().ProjectPath = path;
    m_form->updateTitle();
    return true;
}

bool ProjectCommands::minmnyHTMLNameSave()
{
    const QString path = WithDefaultExtension(
        SaveFileOfKind(DialogKind::Page, HtmlFilter, m_form->project().ProjectPath, u"htm"_s), u".htm"_s);
    if (path.isEmpty())
        return false;
    QString error;
    CharChanges changes;
    if (!WritePageFile(path, m_form->ui().MainText->htmlText(), &error, WriteMode::Durable, LinkMode::Follow,
                       &changes)) {
        Ui().message(error, UiService::Icon::Critical);
        return false;
    }
    if (!changes.isEmpty())
        Ui().setStatusText(CharChangesText(changes));
    return true;
}

void ProjectCommands::minmnyEnd()
{
    m_form->close();
}

bool ProjectCommands::minmnyWrEnd()
{
    ProjectDates &p = m_form->project();
    const bool changed = p.Henkou;
    // The exit sequence must not ask: the work is kept in the backup.
    p.Henkou = false;
    QString error;
    bool occupied = false;
    // Another copy's backup stands (two copies ended together, at logout):
    // this copy's work stays in its recovery record for the next start.
    bool kept = WriteWorkBackup(p, &error, &occupied);
    if (!kept && occupied && m_form->onKeepWorkAsRecord) {
        QString why;
        kept = m_form->onKeepWorkAsRecord(&why);
        error += u"\r\n"_s + why;
    }
    if (!kept) {
        p.Henkou = changed;
        Ui().message(u"作業中のデータを保存できなかったため、終了しませんでした。\r\n"_s + error,
                     UiService::Icon::Critical);
        return false;
    }
    m_form->close();
    return true;
}

void ProjectCommands::endOnRequest()
{
    if (m_form->project().Henkou)
        minmnyWrEnd(); // a backup that cannot be written keeps the window, with a message
    else
        m_form->close();
}

bool ProjectCommands::exitSequence()
{
    // A cancelled question, or Yes to saving followed by a save that did not
    // happen, keeps the window.
    if (!saveIfWanted())
        return false;
    TempC::DelAllTemp(m_form->project());
    // Settings that cannot be written are simply not kept.
    SaveMainFiles(*m_form);
    // The program ends with its main window, even while the separate preview
    // or the manual is still open.
    if (QGuiApplication::quitOnLastWindowClosed())
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    return true;
}

void ProjectCommands::loadSettings()
{
    OpenMainFiles(*m_form);
}

void ProjectCommands::resumeBackup()
{
    if (RefuseWhilePublishing(m_form))
        return;
    const BackupResumeResult r = OpenBackUp(m_form->project(), [this] { ProNewminmnyNew(); });
    if (!r.found)
        return;
    // The overwrite command stays disabled after a resume, whatever output
    // folder the project names; the toolbar button still goes by the folder.
    m_form->updateTitle();
    if (r.code != LoadOk)
        Ui().message(BrokenBackupMessage(r), UiService::Icon::Exclamation);
}
