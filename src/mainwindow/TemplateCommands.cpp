#include "TemplateCommands.h"

#include "HinagataDialogs.h"
#include "ItemDialogs.h"
#include "MainForm.h"
#include "ProjectCommands.h"
#include "ProjectFile.h"
#include "PublishCommands.h"
#include "TempC.h"
#include "TextFiles.h"
#include "UiService.h"

#include <QDir>
#include <QListWidget>

using namespace Qt::StringLiterals;

TemplateCommands::TemplateCommands(MainForm *form, QObject *parent)
    : QObject(parent)
    , m_form(form)
{
    setObjectName(u"TemplateCommands"_s);
    form->setCommand(u"ProNewminmnyHina"_s, [this] { ProNewminmnyHina(); });
    form->setCommand(u"AddHTMLminmnyHina"_s, [this] { AddHTMLminmnyHina(); });
    form->setCommand(u"minmnyNewPhina"_s, [this] { minmnyNewPhina(); });
    form->setCommand(u"minmnyNewHhina"_s, [this] { minmnyNewHhina(); });
    form->setCommand(u"minmnyHinaList"_s, [this] { minmnyHinaList(); });
}

bool TemplateCommands::ProNewminmnyHina()
{
    // Unsaved work the user asked to keep is never dropped: a save that did
    // not happen stops the command.
    auto *projectCommands = m_form->findChild<ProjectCommands *>(u"ProjectCommands"_s);
    if (RefuseWhilePublishing(m_form) || !projectCommands || !projectCommands->saveIfWanted())
        return false;

    QString file;
    {
        Hinagata dlg(HinaProject, m_form);
        dlg.exec();
        if (dlg.HinaKekka() == HinaCancelled)
            return false;
        file = dlg.chosenFile();
    }

    // The template is loaded aside; the open project, its preview copies
    // included, stays as it is until the template has loaded.
    ProjectDates loaded;
    if (LoadProjectFile(file, loaded) != LoadOk) {
        Ui().message(u"雛型のロードに失敗しました。"_s, UiService::Icon::Critical);
        return false;
    }

    ProjectDates &p = m_form->project();
    TempC::DelAllTemp(p);
    p.Html = std::move(loaded.Html);
    p.Pict = std::move(loaded.Pict);
    p.ElseFile = std::move(loaded.ElseFile);
    p.SioriList = std::move(loaded.SioriList);
    FixPictPaths(p);
    p.SyuturyokuFolder.clear();
    p.ProjectPath = NewProjectPath;
    p.NowHtml = 0;
    // A preview copy that cannot be written is passed over, as when a project
    // is opened.
    TempC::CopyAllTemp(p);
    m_form->updateUwagaki();
    m_form->showKind(KindHtml);
    m_form->showPicture(QString());
    m_form->refreshCatalogue();
    m_form->updateTitle();
    p.Henkou = false;
    Q_EMIT m_form->projectUnchanged();
    return true;
}

bool TemplateCommands::AddHTMLminmnyHina()
{
    QString file;
    {
        Hinagata dlg(HinaHtml, m_form);
        dlg.exec();
        if (dlg.HinaKekka() == HinaCancelled)
            return false;
        file = dlg.chosenFile();
    }
    // The template is read before anything is added: a template whose file is
    // missing adds no page.
    const std::optional<QByteArray> bytes = ReadFileBytes(file);
    if (!bytes) {
        Ui().message(u"雛型のファイル\"%1\"を読み込めませんでした。"_s.arg(QDir::toNativeSeparators(file)),
                     UiService::Icon::Critical);
        return false;
    }
    DecodedHtml how;
    const QString text = LoadTextFile(file, &how);

    ProjectDates &p = m_form->project();
    const int before = p.HtmlMax();
    p.EditNew = true;
    {
        HTMLProp dlg(p, m_form);
        dlg.exec();
    }
    const bool added = p.HtmlMax() != before;
    if (added) {
        p.Html.last().HtmlStr = text;
        m_form->showKind(KindHtml);
        QListWidget *list = m_form->ui().DatList;
        if (list->currentRow() != p.HtmlMax())
            list->setCurrentRow(p.HtmlMax());
        const QListWidgetItem *shown = m_form->ui().InSelectList->currentItem();
        if (shown && shown->text() == u"○HTMLファイル")
            m_form->refreshCatalogue();
        // Bytes that no encoding could read are shown as "\uFFFD"; the user is
        // told rather than left to find them.
        if (how.undecodable > 0) {
            Ui().message(u"雛型のファイル\"%1\"には読み取れない文字が %2 か所あり、「\uFFFD」に置き換えました。"_s
                             .arg(QDir::toNativeSeparators(file))
                             .arg(how.undecodable),
                         UiService::Icon::Exclamation);
        }
    }
    p.EditNew = false;
    // Only a page added changes the project; a cancelled dialog does not.
    if (added)
        p.Henkou = true;
    return added;
}

bool TemplateCommands::registerTemplate(int kind)
{
    HinagataNewForm dlg(HinaKind(kind), m_form->project(), m_form);
    return dlg.exec() == QDialog::Accepted;
}

bool TemplateCommands::minmnyNewPhina()
{
    return registerTemplate(HinaProject);
}

bool TemplateCommands::minmnyNewHhina()
{
    return registerTemplate(HinaHtml);
}

void TemplateCommands::minmnyHinaList()
{
    HinagataList dlg(m_form);
    dlg.exec();
}
