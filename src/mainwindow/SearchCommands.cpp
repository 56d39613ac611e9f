#include "SearchCommands.h"

#include "AddSioriFrm.h"
#include "Kensaku.h"
#include "KensakuMod.h"
#include "MainForm.h"
#include "PageEditor.h"
#include "ShowPlace.h"
#include "Siori.h"
#include "TempC.h"
#include "UiService.h"

#include <QAction>
#include <QListWidget>
#include <QTextCursor>

SearchCommands::SearchCommands(MainForm *form, QObject *parent)
    : QObject(parent)
    , m_form(form)
{
    setObjectName(QStringLiteral("SearchCommands"));
    form->setCommand(QStringLiteral("minmnySati"), [this] { minmnySati(); });
    form->setCommand(QStringLiteral("minmnyTikan"), [this] { minmnyTikan(); });
    form->setCommand(QStringLiteral("minmnyAllKensaku"), [this] { minmnyAllKensaku(); });
    form->setCommand(QStringLiteral("minmnySiori"), [this] { minmnySiori(); });
    form->setCommand(QStringLiteral("minmnyDelSiori"), [this] { minmnyDelSiori(); });
    form->onSioriJump = [this] { SioriJump(); };
    form->onSioriSettings = [this] { SioriSettings(); };
}

void SearchCommands::minmnySati()
{
    Kensaku dlg(m_form->project(), m_form->ui().MainText, m_form);
    dlg.exec();
}

void SearchCommands::minmnyTikan()
{
    KensakuTikan dlg(m_form->project(), m_form->ui().MainText, m_form);
    dlg.exec();
}

void SearchCommands::minmnyAllKensaku()
{
    if (!m_allKensaku) {
        m_allKensaku = new KensakuAllFrm(m_form);
        m_allKensaku->setAttribute(Qt::WA_DeleteOnClose);
        KensakuAllFrm *w = m_allKensaku;
        connect(w, &KensakuAllFrm::searchRequested, this,
                [this, w] { w->startSearch(CurrentPageTexts(m_form), PageDisplayNames(m_form)); });
        connect(w, &KensakuAllFrm::jumpRequested, this,
                [this, w](int page, int line, qsizetype pos, qsizetype) {
                    if (!ShowPlace(m_form, page, line, pos, w->searchText()))
                        Ui().setStatusText(QStringLiteral("この文字列はページにもうありません。もう一度検索してください。"));
                });
        connect(w, &KensakuAllFrm::replaceAllRequested, this, &SearchCommands::replaceAllPages);
        PlaceBelowEditor(w, m_form);
    }
    m_allKensaku->show();
    m_allKensaku->raise();
    m_allKensaku->activateWindow();
}

void SearchCommands::replaceAllPages(const QString &find, const QString &repl)
{
    if (find.isEmpty() || repl.isEmpty())
        return;
    const QString question = QStringLiteral("全てのページの文字列\"%1\"を\"%2\"に置換しますか？\r\n"
                                            "（表示していないページの置換は元に戻せません）")
                                 .arg(find, repl);
    // Pages not shown cannot be undone: Enter alone must not replace them.
    if (!Ui().askYesNo(question, UiService::Icon::None, UiService::Answer::No))
        return;
    ProjectDates &p = m_form->project();
    const AllPagesTikan r = TikanAllPages(CurrentPageTexts(m_form), find, repl);
    if (r.hits == 0) {
        // The pages changed since the search.
        Ui().message(QStringLiteral("文字列\"%1\"は見つかりませんでした。").arg(find), UiService::Icon::None);
    } else {
        int hits = 0;
        bool shownChanged = false;
        for (qsizetype k = 0; k < r.pages.size(); ++k) {
            const int page = r.pages.at(k);
            if (page == p.NowHtml) {
                // The shown page is replaced as one edit of the editor: one
                // undo step, and the editor's change handling stores it.
                hits += TikanAllInEditor(m_form->ui().MainText, find, repl);
                shownChanged = true;
            } else {
                // Replacing a text by itself changes no page.
                if (p.Html.at(page).HtmlStr != r.texts.at(k))
                    p.Henkou = true;
                p.Html[page].HtmlStr = r.texts.at(k);
                // The preview's copy of the page follows it.
                TempC::MakeHtmlTemp(p, page);
                hits += r.counts.at(k);
            }
        }
        // The editor's change handling refreshes the preview only when it is
        // automatic.
        if (!shownChanged || !m_form->action(QStringLiteral("minmnyAt"))->isChecked())
            m_form->EdPrv();
        Ui().message(QStringLiteral("%1 ページで %2 件の文字列を置換しました。").arg(r.pages.size()).arg(hits),
                     UiService::Icon::None);
    }
    // The list shows what the pages hold now.
    if (m_allKensaku)
        m_allKensaku->startSearch(CurrentPageTexts(m_form), PageDisplayNames(m_form));
}

void SearchCommands::minmnySiori()
{
    ProjectDates &p = m_form->project();
    // A bookmark needs a page to stand in.
    if (p.NowHtml < 0 || p.NowHtml >= p.Html.size()) {
        Ui().beep();
        return;
    }
    const qsizetype before = p.SioriList.size();
    p.EditNew = true;
    {
        AddSioriFrm dlg(p, m_form);
        dlg.exec();
    }
    p.EditNew = false;
    if (p.SioriList.size() <= before)
        return;

    const QString name = p.SioriList.last();
    m_form->showKind(KindSiori);
    m_form->ui().DatList->setCurrentRow(p.SioriMax());
    m_form->ui().MainText->insertForUser(SioriComment(name));
}

void SearchCommands::minmnyDelSiori()
{
    ProjectDates &p = m_form->project();
    const int i = m_form->ui().DatList->currentRow();
    if (p.ListType != KindSiori || i < 0 || i >= p.SioriList.size())
        return;
    const SioriPlace place = LocateSiori(p, p.SioriList.at(i));
    const QString oldText = place.found() ? p.Html.at(place.page).HtmlStr : QString();
    const SioriEdit e = DelSiori(p, i);
    mirrorEdit(e, oldText);
    m_form->showKind(KindSiori);
}

void SearchCommands::SioriJump()
{
    ProjectDates &p = m_form->project();
    const int i = m_form->ui().DatList->currentRow();
    if (p.ListType != KindSiori || i < 0 || i >= p.SioriList.size())
        return;
    const QString name = p.SioriList.at(i);
    const SioriPlace place = LocateSiori(p, name);
    if (!place.found()) {
        Ui().message(QStringLiteral("しおり\"") + name + QStringLiteral("\"が見つかりません"),
                     UiService::Icon::Critical);
        DelSioriList(p, i);
        // The list is saved with the project: the removal is a change.
        p.Henkou = true;
        m_form->showKind(KindSiori);
        return;
    }
    if (place.page != p.NowHtml)
        m_form->showPage(place.page);
    else
        m_form->updateTitle();
    // Caret to the end first, so the selection scrolls the comment into view
    // from below and stands near the top of the editor.
    PageEditor *editor = m_form->ui().MainText;
    editor->moveCursor(QTextCursor::End);
    editor->selectHtml(place.pos, SioriComment(name).size());
    editor->setFocus();
}

void SearchCommands::SioriSettings()
{
    ProjectDates &p = m_form->project();
    const int i = m_form->ui().DatList->currentRow();
    if (p.ListType != KindSiori || i < 0 || i >= p.SioriList.size())
        return;
    const QString oldName = p.SioriList.at(i);
    p.EditNew = false;
    p.EditIndex = qint16(i);
    {
        AddSioriFrm dlg(p, m_form);
        dlg.exec();
    }
    const SioriPlace place = LocateSiori(p, oldName);
    const QString oldText = place.found() ? p.Html.at(place.page).HtmlStr : QString();
    const SioriEdit e = SioriStrChange(p, i, oldName);
    mirrorEdit(e, oldText);
    m_form->showKind(KindSiori);
}

void SearchCommands::mirrorEdit(const SioriEdit &edit, const QString &oldText)
{
    ProjectDates &p = m_form->project();
    if (!edit.changed() || edit.page != p.NowHtml)
        return;
    PageEditor *editor = m_form->ui().MainText;
    if (editor->htmlText() == oldText) {
        // The editor stores its text back into the page: the same text.
        editor->selectHtml(edit.pos, edit.length);
        editor->replaceSelection(edit.replacement);
    } else {
        editor->setHtmlText(p.Html.at(edit.page).HtmlStr);
    }
}
