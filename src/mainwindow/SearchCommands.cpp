#include "SearchCommands.h"

#include "AddSioriFrm.h"
#include "Kensaku.h"
#include "KensakuMod.h"
#include "MainForm.h"
#include "PageEditor.h"
#include "Siori.h"
#include "UiService.h"

#include <QListWidget>
#include <QTextCursor>

SearchCommands::SearchCommands(MainForm *form, QObject *parent)
    : QObject(parent)
    , m_form(form)
{
    setObjectName(QStringLiteral("SearchCommands"));
    form->setCommand(QStringLiteral("minmnySati"), [this] { minmnySati(); });
    form->setCommand(QStringLiteral("minmnyTikan"), [this] { minmnyTikan(); });
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
    m_form->ui().MainText->replaceSelection(SioriComment(name));
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
