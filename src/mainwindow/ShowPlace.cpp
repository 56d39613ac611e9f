#include "ShowPlace.h"

#include "MainForm.h"
#include "PageEditor.h"
#include "UiService.h"

#include <QListWidget>
#include <QScreen>
#include <QTextCursor>

QStringList CurrentPageTexts(MainForm *form)
{
    QStringList texts;
    const ProjectDates &p = form->project();
    texts.reserve(p.Html.size());
    for (const HtmlDat &h : p.Html)
        texts.append(h.HtmlStr);
    return texts;
}

QStringList PageDisplayNames(MainForm *form)
{
    QStringList names;
    for (const HtmlDat &h : form->project().Html)
        names.append(h.DatName);
    return names;
}

bool ShowPlace(MainForm *form, int page, int line, qsizetype pos, const QString &expected)
{
    ProjectDates &p = form->project();
    if (page < 0 || page >= p.Html.size()) {
        Ui().beep();
        return false;
    }
    const bool henkou = p.Henkou;
    QListWidget *list = form->ui().DatList;
    if (p.ListType == KindHtml && list->currentRow() != page)
        list->setCurrentRow(page);
    else if (p.NowHtml != page)
        form->showPage(page);
    p.Henkou = henkou;

    const QString &text = p.Html.at(page).HtmlStr;
    qsizetype at = -1;
    if (pos >= 0 && pos <= text.size() && QStringView(text).sliced(pos).startsWith(expected)) {
        at = pos;
    } else if (!expected.isEmpty()) {
        qsizetype lineStart = 0;
        for (int l = 1; l < line && lineStart >= 0; ++l) {
            lineStart = text.indexOf(u'\n', lineStart);
            if (lineStart >= 0)
                ++lineStart;
        }
        at = text.indexOf(expected, qMax<qsizetype>(0, lineStart));
        if (at < 0)
            at = text.indexOf(expected);
    }
    if (at < 0) {
        Ui().beep();
        return false;
    }
    // Caret to the end first, so that the selection scrolls into view from
    // below and stands near the top of the editor.
    PageEditor *editor = form->ui().MainText;
    editor->moveCursor(QTextCursor::End);
    editor->selectHtml(at, expected.size());
    form->activateWindow();
    editor->setFocus();
    return true;
}

void PlaceBelowEditor(QWidget *window, QWidget *main)
{
    // The part of the main window that is on the screen.
    QRect frame = main->frameGeometry();
    if (const QScreen *screen = main->screen())
        frame = frame.intersected(screen->availableGeometry());
    const int w = qMin(760, qMax(320, frame.width() - 60));
    const int h = qMin(320, qMax(180, frame.height() / 3));
    window->resize(w, h);
    window->move(frame.x() + qMax(0, (frame.width() - w) / 2), frame.y() + qMax(0, frame.height() - h - 60));
}
