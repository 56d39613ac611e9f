// The main window's item lists: filling DatList with the entries of the kind
// chosen in MinDatList, what choosing an entry shows, and the keys and mouse
// clicks on DatList and the catalogue's InTagList.

#include "ItemLists.h"

#include "MainForm.h"
#include "UiService.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QHash>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>

void MainForm::ClsDateList()
{
    m_ui.DatList->blockSignals(true);
    m_ui.DatList->clear();
    m_ui.DatList->blockSignals(false);
}

void MainForm::VewHTMLDat(int kind)
{
    QStringList names;
    switch (kind) {
    case KindHtml:
        for (const HtmlDat &h : m_project.Html)
            names.append(h.DatName);
        break;
    case KindPict:
        for (const PictDat &d : m_project.Pict)
            names.append(d.DatName);
        break;
    case KindElseFile:
        for (const ElseFileDat &d : m_project.ElseFile)
            names.append(d.DatName);
        break;
    case KindSiori:
        names = m_project.SioriList;
        break;
    default:
        return;
    }
    m_ui.DatList->blockSignals(true);
    m_ui.DatList->addItems(names);
    m_ui.DatList->blockSignals(false);
    m_project.ListType = qint16(kind);
    if (kind == KindHtml && m_ui.DatList->count() > 0)
        m_ui.DatList->setCurrentRow(0);
}

void MainForm::MinDatList_Click()
{
    const int kind = m_ui.MinDatList->currentRow();
    if (kind < 0)
        return;
    ClsDateList();
    VewHTMLDat(kind);

    const struct
    {
        const char16_t *name;
        int kind;
    } deletes[] = {{u"minmnyHtmldel", KindHtml}, {u"minmnyDelPict", KindPict},
                   {u"minmnyDelFile", KindElseFile}, {u"minmnyDelSiori", KindSiori}};
    for (const auto &d : deletes)
        action(QString::fromUtf16(d.name))->setEnabled(d.kind == kind);
    for (const char16_t *name : {u"minmnyInCutHtml", u"minmnyInCopyHtml", u"minmnyInPtHtml"})
        action(QString::fromUtf16(name))->setEnabled(kind == KindHtml);

    CheckPicShow();
    if (m_ui.DatList->count() > 0 && m_ui.DatList->currentRow() != 0)
        m_ui.DatList->setCurrentRow(0);
}

void MainForm::showKind(int kind)
{
    if (m_ui.MinDatList->currentRow() == kind)
        MinDatList_Click();
    else
        m_ui.MinDatList->setCurrentRow(kind);
}

void MainForm::DatList_Click()
{
    const int i = m_ui.DatList->currentRow();
    if (i < 0)
        return;
    switch (m_project.ListType) {
    case KindHtml:
        if (i < m_project.Html.size())
            showPage(i);
        break;
    case KindPict:
        if (i < m_project.Pict.size())
            showPicture(m_project.Pict.at(i).FilePath);
        break;
    default:
        break;
    }
}

void MainForm::CheckPicShow()
{
    const int kind = m_ui.MinDatList->currentRow();
    if (kind == KindPict) {
        PicShow = true;
    } else {
        const QListWidgetItem *sel = m_ui.InSelectList->currentItem();
        PicShow = sel && sel->text() == u"○画像ファイル";
    }
    Form_Resize();
}

namespace {

bool IsEnterKey(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *k = static_cast<const QKeyEvent *>(event);
    return (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter)
        && (k->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

// The menu key (or Shift+F10) on a list: its pop-up menu beside the chosen
// entry, as a right click would open it under the mouse.
bool PopUpFromKeyboard(QListWidget *list, QMenu *menu, const QEvent *event)
{
    if (event->type() != QEvent::ContextMenu
        || static_cast<const QContextMenuEvent *>(event)->reason() != QContextMenuEvent::Keyboard)
        return false;
    QRect rect = list->currentItem() ? list->visualItemRect(list->currentItem()) : QRect();
    if (!rect.isValid() || !list->viewport()->rect().intersects(rect))
        rect = QRect(QPoint(0, 0), QSize(1, 1));
    menu->popup(list->viewport()->mapToGlobal(rect.bottomLeft()));
    return true;
}

} // namespace

ItemListKeys::ItemListKeys(MainForm *form)
    : QObject(form)
    , m_form(form)
{
    setObjectName(QStringLiteral("ItemListKeys"));
    const MainFormControls &ui = form->ui();
    ui.DatList->installEventFilter(this);
    ui.DatList->viewport()->installEventFilter(this);
    ui.InTagList->installEventFilter(this);
    ui.InTagList->viewport()->installEventFilter(this);
}

// Enter on an entry does what a double click does.
void ItemListKeys::activateDatList()
{
    if (m_form->projectFields().ListType == KindSiori) {
        if (m_form->onSioriJump)
            m_form->onSioriJump();
        else
            Ui().beep();
    } else {
        m_form->runCommand(QStringLiteral("minmnySet"));
    }
}

bool ItemListKeys::eventFilter(QObject *watched, QEvent *event)
{
    const MainFormControls &ui = m_form->ui();
    const bool onDatList = watched == ui.DatList || watched == ui.DatList->viewport();
    if (watched == ui.DatList && IsEnterKey(event) && ui.DatList->currentItem()) {
        activateDatList();
        return true;
    }
    if (watched == ui.DatList && PopUpFromKeyboard(ui.DatList, ui.mnyHtmlPopUp, event))
        return true;
    if (watched == ui.InTagList) {
        if (IsEnterKey(event) && ui.InTagList->currentItem()) {
            m_form->runCommand(QStringLiteral("minmnyInSonyu"));
            return true;
        }
        if (PopUpFromKeyboard(ui.InTagList, ui.mnySounyuPopUp, event))
            return true;
        return QObject::eventFilter(watched, event);
    }
    if (onDatList) {
        if (event->type() == QEvent::KeyPress) {
            auto *k = static_cast<QKeyEvent *>(event);
            if (k->modifiers() == Qt::ControlModifier) {
                const QHash<int, QString> keys = {{Qt::Key_X, QStringLiteral("minmnyInCutHtml")},
                                                  {Qt::Key_C, QStringLiteral("minmnyInCopyHtml")},
                                                  {Qt::Key_V, QStringLiteral("minmnyInPtHtml")}};
                if (keys.contains(k->key())) {
                    m_form->runCommand(keys.value(k->key()));
                    return true;
                }
            }
        } else if (event->type() == QEvent::KeyRelease) {
            auto *k = static_cast<QKeyEvent *>(event);
            if (k->key() == Qt::Key_Delete && !k->isAutoRepeat()) {
                m_form->runCommand(QStringLiteral("minmnyHtmldelpopup"));
                return true;
            }
        } else if (event->type() == QEvent::MouseButtonDblClick) {
            // Only a double click on an entry acts, not one on the empty area.
            const auto *m = static_cast<QMouseEvent *>(event);
            if (watched != ui.DatList->viewport() || !ui.DatList->itemAt(m->position().toPoint()))
                return false;
            activateDatList();
            return true;
        } else if (event->type() == QEvent::MouseButtonRelease) {
            auto *m = static_cast<QMouseEvent *>(event);
            if (m->button() == Qt::RightButton) {
                ui.mnyHtmlPopUp->popup(m->globalPosition().toPoint());
                return true;
            }
        }
    } else if (watched == ui.InTagList->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto *m = static_cast<QMouseEvent *>(event);
        if (m->button() == Qt::RightButton) {
            ui.mnySounyuPopUp->popup(m->globalPosition().toPoint());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
