#include "ItemCommands.h"

#include "ItemDialogs.h"
#include "LinkCommands.h"
#include "MainForm.h"
#include "OutputCharsetCommands.h"
#include "PageEditor.h"
#include "ProjectFile.h"
#include "SyuturyokuDat.h"
#include "SyuturyokuMod.h"
#include "TempC.h"
#include "TextFiles.h"
#include "UiService.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QListWidget>
#include <QLocale>

namespace {

const QString CatalogueHtml = QStringLiteral("○HTMLファイル");
const QString CataloguePict = QStringLiteral("○画像ファイル");
const QString CatalogueElse = QStringLiteral("○他のファイル");

} // namespace

ItemCommands::ItemCommands(MainForm *form, QObject *parent)
    : QObject(parent)
    , m_form(form)
{
    setObjectName(QStringLiteral("ItemCommands"));
    const struct
    {
        const char16_t *name;
        void (ItemCommands::*run)();
    } commands[] = {
        {u"AddHTMLminmnyNew", &ItemCommands::AddHTMLminmnyNew},
        {u"AddHTMLminmnyFile", &ItemCommands::AddHTMLminmnyFile},
        {u"minmnyHtmldel", &ItemCommands::minmnyHtmldel},
        {u"minmnyAddPict", &ItemCommands::minmnyAddPict},
        {u"minmnyDelPict", &ItemCommands::minmnyDelPict},
        {u"minmnyAddFile", &ItemCommands::minmnyAddFile},
        {u"minmnyDelFile", &ItemCommands::minmnyDelFile},
        {u"minmnySet", &ItemCommands::minmnySet},
        {u"minmnyInOption", &ItemCommands::minmnySet},
        {u"minmnyHtmldelpopup", &ItemCommands::minmnyHtmldelpopup},
        {u"minmnyInCutHtml", &ItemCommands::minmnyInCutHtml},
        {u"minmnyInCopyHtml", &ItemCommands::minmnyInCopyHtml},
        {u"minmnyInPtHtml", &ItemCommands::minmnyInPtHtml},
        {u"minmnyInSonyuName", &ItemCommands::minmnyInSonyuName},
        {u"minmnyAll", &ItemCommands::minmnyAll},
        {u"minmnyDateIn", &ItemCommands::minmnyDateIn},
        {u"minmnyDatesSave", &ItemCommands::minmnyDatesSave},
        {u"minmnyUwagaki", &ItemCommands::minmnyUwagaki},
    };
    for (const auto &c : commands) {
        const auto run = c.run;
        form->setCommand(QString::fromUtf16(c.name), [this, run] { (this->*run)(); });
    }
}

void ItemCommands::refreshCatalogueIf(const QString &kindText)
{
    const QListWidgetItem *shown = m_form->ui().InSelectList->currentItem();
    if (shown && shown->text() == kindText)
        m_form->refreshCatalogue();
}

void ItemCommands::showItem(int kind, int index)
{
    m_form->showKind(kind);
    QListWidget *list = m_form->ui().DatList;
    if (index >= 0 && index < list->count() && list->currentRow() != index)
        list->setCurrentRow(index);
}

// Adding pages ---------------------------------------------------------------

void ItemCommands::AddHTMLminmnyNew()
{
    ProjectDates &p = m_form->project();
    const int before = p.HtmlMax();
    p.EditNew = true;
    {
        HTMLProp dlg(p, m_form);
        dlg.exec();
    }
    if (p.HtmlMax() != before) {
        p.Html.last().HtmlStr = NewPageSkeleton();
        showItem(KindHtml, p.HtmlMax());
        refreshCatalogueIf(CatalogueHtml);
        p.Henkou = true;
    }
    p.EditNew = false;
}

void ItemCommands::AddHTMLminmnyFile()
{
    const QString path = OpenFileOfKind(DialogKind::Page, QStringLiteral("HTMLファイル|*.htm;*.html|全てのファイル|*.*"),
                                        m_form->project().ProjectPath);
    if (path.isEmpty())
        return;
    // The file is read before anything is added, so that a file that cannot
    // be read adds no page.
    // Only a regular file: a FIFO would wait for ever, a device never end.
    QFile f;
    QString reason;
    if (!OpenRegularFile(f, path, &reason)) {
        Ui().message(QStringLiteral("ファイル\"%1\"を読み込めませんでした。").arg(path) + u"\r\n" + reason,
                     UiService::Icon::Critical);
        return;
    }
    f.close();
    DecodedHtml how;
    const QString text = LoadTextFile(path, &how);

    ProjectDates &p = m_form->project();
    const int before = p.HtmlMax();
    p.EditNew = true;
    {
        HTMLProp dlg(p, m_form);
        dlg.exec();
    }
    if (p.HtmlMax() != before) {
        p.Html.last().HtmlStr = text;
        showItem(KindHtml, p.HtmlMax());
        refreshCatalogueIf(CatalogueHtml);
        p.Henkou = true;
        Ui().setStatusText(QStringLiteral("文字コード %1 として読み込みました").arg(EncodingDisplayName(how.encoding)));
        // Bytes that no encoding could read are shown as "\uFFFD"; the user
        // is told rather than left to find them.
        if (how.undecodable > 0) {
            Ui().message(QStringLiteral("ファイル\"%1\"には読み取れない文字が %2 か所あり、「\uFFFD」に置き換えました。")
                             .arg(path)
                             .arg(how.undecodable),
                         UiService::Icon::Exclamation);
        }
    }
    p.EditNew = false;
}

// Deleting -------------------------------------------------------------------

void ItemCommands::minmnyHtmldel()
{
    delHtmlPage(true);
}

void ItemCommands::delHtmlPage(bool ask)
{
    ProjectDates &p = m_form->project();
    // The last page stays; pages are deleted only while they are listed.
    if (p.HtmlMax() <= 0 || p.ListType != KindHtml || p.NowHtml < 0 || p.NowHtml > p.HtmlMax()) {
        Ui().beep();
        return;
    }
    // A page's text exists nowhere else and cannot be brought back: deleting
    // it is confirmed first, and Enter alone keeps it.
    if (ask
        && !Ui().askYesNo(QStringLiteral("ページ「%1」を削除しますか？\r\n削除したページは元に戻せません。")
                              .arg(p.Html.at(p.NowHtml).DatName),
                          UiService::Icon::Question, UiService::Answer::No))
        return;
    const int now = p.NowHtml;
    TempC::DelHtmlTemp(p, now);
    DelHtmlDat(p, now);
    m_form->showKind(KindHtml);
    refreshCatalogueIf(CatalogueHtml);
    p.Henkou = true;
}

void ItemCommands::delFileItem(int kind)
{
    ProjectDates &p = m_form->project();
    QVector<PictDat> &table = kind == KindPict ? p.Pict : p.ElseFile;
    const int i = m_form->ui().DatList->currentRow();
    if (table.isEmpty() || p.ListType != kind || i < 0 || i >= table.size()) {
        Ui().beep();
        return;
    }
    if (kind == KindPict) {
        TempC::DelPictTemp(p, i);
        DelPictDat(p, i);
    } else {
        TempC::DelElseTemp(p, i);
        DelElseFileDat(p, i);
    }
    m_form->showKind(kind);
    if (table.isEmpty())
        m_form->ui().DatList->setCurrentRow(-1);
    refreshCatalogueIf(kind == KindPict ? CataloguePict : CatalogueElse);
    p.Henkou = true;
}

void ItemCommands::minmnyDelPict()
{
    delFileItem(KindPict);
}

void ItemCommands::minmnyDelFile()
{
    delFileItem(KindElseFile);
}

void ItemCommands::minmnyHtmldelpopup()
{
    switch (m_form->project().ListType) {
    case KindHtml:
        minmnyHtmldel();
        break;
    case KindPict:
        minmnyDelPict();
        break;
    case KindElseFile:
        minmnyDelFile();
        break;
    case KindSiori:
        m_form->runCommand(QStringLiteral("minmnyDelSiori"));
        break;
    default:
        break;
    }
}

// Adding pictures and other files --------------------------------------------

void ItemCommands::addFileItem(int kind)
{
    ProjectDates &p = m_form->project();
    const bool pict = kind == KindPict;
    const int before = pict ? p.PictMax() : p.ElseFileMax();
    p.EditNew = true;
    if (pict) {
        PictureSettei dlg(p, m_form);
        dlg.exec();
    } else {
        ElseFileSettei dlg(p, m_form);
        dlg.exec();
    }
    const int after = pict ? p.PictMax() : p.ElseFileMax();
    if (after != before) {
        showItem(kind, after);
        if (pict)
            TempC::CopyPictTemp(p, after);
        else
            TempC::CopyElseTemp(p, after);
        refreshCatalogueIf(pict ? CataloguePict : CatalogueElse);
        p.Henkou = true;
    }
    p.EditNew = false;
}

void ItemCommands::minmnyAddPict()
{
    addFileItem(KindPict);
}

void ItemCommands::minmnyAddFile()
{
    addFileItem(KindElseFile);
}

// Settings of the selected item ----------------------------------------------

void ItemCommands::minmnySet()
{
    ProjectDates &p = m_form->project();
    const int row = m_form->ui().DatList->currentRow();
    if (row < 0)
        return;
    p.EditNew = false;
    switch (p.ListType) {
    case KindHtml: {
        const int now = p.NowHtml;
        if (now < 0 || now >= p.Html.size())
            return;
        const HtmlDat before = p.Html.at(now);
        TempC::DelHtmlTemp(p, now);
        {
            HTMLProp dlg(p, m_form);
            dlg.exec();
        }
        const bool changed = p.Henkou || !(p.Html.at(now) == before);
        showItem(KindHtml, now);
        // Showing the pages again only puts each page's own text back into
        // the editor; the project is changed only when the dialog changed it.
        p.Henkou = changed;
        refreshCatalogueIf(CatalogueHtml);
        break;
    }
    case KindPict:
    case KindElseFile: {
        const bool pict = p.ListType == KindPict;
        QVector<PictDat> &table = pict ? p.Pict : p.ElseFile;
        if (row >= table.size())
            return;
        const int kind = p.ListType;
        p.EditIndex = qint16(row);
        const PictDat before = table.at(row);
        if (pict) {
            TempC::DelPictTemp(p, row);
            PictureSettei dlg(p, m_form);
            dlg.exec();
            TempC::CopyPictTemp(p, row);
        } else {
            TempC::DelElseTemp(p, row);
            ElseFileSettei dlg(p, m_form);
            dlg.exec();
            TempC::CopyElseTemp(p, row);
        }
        if (!(table.at(row) == before))
            p.Henkou = true;
        showItem(kind, row);
        refreshCatalogueIf(pict ? CataloguePict : CatalogueElse);
        break;
    }
    case KindSiori:
        // Bookmarks are renamed by the bookmark commands.
        if (m_form->onSioriSettings)
            m_form->onSioriSettings();
        else
            Ui().beep();
        break;
    default:
        break;
    }
}

// Page clipboard -------------------------------------------------------------

void ItemCommands::minmnyInCopyHtml()
{
    ProjectDates &p = m_form->project();
    if (p.ListType == KindHtml && p.NowHtml >= 0 && p.NowHtml < p.Html.size())
        p.ClipDat = p.Html.at(p.NowHtml);
    else
        Ui().beep();
    p.ClipType = p.ListType;
}

void ItemCommands::minmnyInCutHtml()
{
    minmnyInCopyHtml();
    // A cut page is kept on the clipboard, to be pasted back: no question.
    if (m_form->project().ListType == KindHtml)
        delHtmlPage(false);
}

void ItemCommands::minmnyInPtHtml()
{
    ProjectDates &p = m_form->project();
    if (p.ListType != p.ClipType)
        return;
    if (p.ClipType != KindHtml) {
        Ui().beep();
        return;
    }
    const bool taken = FindHtmlFile(p, p.ClipDat.outputName()) >= 0;
    if (!AddHtmlDat(p, p.ClipDat.DatName, p.ClipDat.FileName, p.ClipDat.HtmlStr, p.ClipDat.Kakutyousi)) {
        Ui().beep();
        return;
    }
    // The copy gets a free file name when its output name is taken.
    if (taken)
        p.Html.last().FileName = NewHtmlName(p, true);
    m_form->MinDatList_Click();
    refreshCatalogueIf(CatalogueHtml);
    p.Henkou = true;
}

// Editor commands ------------------------------------------------------------

void ItemCommands::minmnyInSonyuName()
{
    const ProjectDates &p = m_form->project();
    const QListWidgetItem *kindItem = m_form->ui().InSelectList->currentItem();
    if (!kindItem)
        return;
    const QString kind = kindItem->text();
    const QVector<PictDat> *files = nullptr;
    if (kind == CataloguePict)
        files = &p.Pict;
    else if (kind == CatalogueElse)
        files = &p.ElseFile;
    else if (kind != CatalogueHtml)
        return;
    const int i = m_form->ui().InTagList->currentRow();
    const int count = files ? int(files->size()) : int(p.Html.size());
    if (i < 0 || i >= count) {
        Ui().beep();
        return;
    }
    const QString name = files ? files->at(i).outputName() : p.Html.at(i).outputName();
    m_form->ui().MainText->insertForUser(name);
}

void ItemCommands::minmnyAll()
{
    m_form->ui().MainText->selectAll();
}

QString ItemCommands::DateTimeText()
{
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    // The system's time form with seconds, without the time zone.
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(u't');
    timeFormat = timeFormat.trimmed();
    return locale.toString(now.date(), QLocale::ShortFormat) + u' ' + locale.toString(now.time(), timeFormat);
}

void ItemCommands::minmnyDateIn()
{
    m_form->ui().MainText->insertForUser(DateTimeText());
}

// Output ---------------------------------------------------------------------

void ItemCommands::minmnyDatesSave()
{
    if (!AskLinksBeforeOutput(m_form))
        return;
    ProjectDates &p = m_form->project();
    const QString before = p.SyuturyokuFolder;
    {
        SyuturyokuDat dlg(p, m_form, OutputOptionsOf(m_form));
        dlg.exec();
    }
    m_form->updateUwagaki();
    // The output folder is part of the project file: another folder is a
    // change, the stored one again is not.
    if (p.SyuturyokuFolder != before)
        p.Henkou = true;
}

void ItemCommands::minmnyUwagaki()
{
    const ProjectDates &p = m_form->project();
    if (p.SyuturyokuFolder.isEmpty()) {
        Ui().beep();
        return;
    }
    if (!AskLinksBeforeOutput(m_form))
        return;
    const QString folder = p.SyuturyokuFolder;
    const SyuturyokuOptions options = OutputOptionsOf(m_form);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const UwagakiReport r = Uwagaki(p, [&folder](const QStringList &foreign) {
        QGuiApplication::restoreOverrideCursor();
        // Enter keeps the user's own files: いいえ is the default.
        const bool remove = Ui().askYesNo(ForeignEntriesQuestion(folder, foreign, TrashAvailable()),
                                          UiService::Icon::Question, UiService::Answer::No);
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        return remove;
    }, options);
    QGuiApplication::restoreOverrideCursor();
    for (const OutputMessage &m : UwagakiMessages(r))
        Ui().message(m.text, m.critical ? UiService::Icon::Critical : UiService::Icon::Exclamation);
    if (r.createProblem.isEmpty() && r.output.ok())
        Ui().setStatusText(OutputDoneText(folder, r.output.changes, options));
    // Output into the stored folder changes nothing in the project.
}
