#include "ViewCommands.h"

#include "MainForm.h"
#include "PageEditor.h"
#include "Twips.h"
#include "UiService.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPalette>

namespace {

double tw(int px)
{
    return PxToTwips(px);
}

void setWidthTwips(QWidget *w, double width)
{
    w->resize(TwipsToPx(width), w->height());
}

} // namespace

ViewCommands::ViewCommands(MainForm *form, QObject *parent)
    : QObject(parent)
    , m_form(form)
{
    setObjectName(QStringLiteral("ViewCommands"));
    toggle(QStringLiteral("minmnyTru"), &MainForm::ToolbarVisible);
    toggle(QStringLiteral("minmnyStats"), &MainForm::StatusVisible);
    toggle(QStringLiteral("minmnyShowFiles"), &MainForm::FilesVisible);
    toggle(QStringLiteral("minmnyShowTags"), &MainForm::TagsVisible);
    form->setCommand(QStringLiteral("minmnyFont"), [this] { minmnyFont(); });
    form->setCommand(QStringLiteral("minmnyBackcolor"), [this] { chooseColour(true); });
    form->setCommand(QStringLiteral("minmnyFontColor"), [this] { chooseColour(false); });

    const MainFormControls &c = form->ui();
    for (QFrame *bar : {c.LeftLine, c.CenterLine, c.RightLine})
        bar->installEventFilter(this);
}

// A view toggle: Qt has already inverted the check mark; the flag follows it
// and the window is laid out again.
void ViewCommands::toggle(const QString &name, bool MainForm::*flag)
{
    m_form->setCommand(name, [this, name, flag] {
        m_form->*flag = m_form->action(name)->isChecked();
        m_form->Form_Resize();
    });
}

void ViewCommands::minmnyFont()
{
    PageEditor *editor = m_form->ui().MainText;
    const std::optional<QFont> chosen = Ui().chooseFont(editor->font());
    if (!chosen)
        return;
    // Name, bold, italic and size are what the editor keeps.
    QFont f = editor->font();
    f.setFamily(chosen->family());
    f.setBold(chosen->bold());
    f.setItalic(chosen->italic());
    if (chosen->pointSizeF() > 0)
        f.setPointSizeF(chosen->pointSizeF());
    editor->setFont(f);
}

void ViewCommands::chooseColour(bool background)
{
    PageEditor *editor = m_form->ui().MainText;
    const QPalette::ColorRole role = background ? QPalette::Base : QPalette::Text;
    const std::optional<QColor> chosen = Ui().chooseColor(editor->palette().color(role));
    if (!chosen || !chosen->isValid())
        return;
    QPalette pal = editor->palette();
    pal.setColor(role, *chosen);
    editor->setPalette(pal);
}

bool ViewCommands::eventFilter(QObject *watched, QEvent *event)
{
    const MainFormControls &c = m_form->ui();
    if (watched != c.LeftLine && watched != c.CenterLine && watched != c.RightLine)
        return QObject::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *m = static_cast<QMouseEvent *>(event);
        if (m->button() != Qt::LeftButton)
            return true;
        LineDrag = true;
        LineDownX = qint16(tw(qRound(m->position().x())));
        LineDownY = qint16(tw(qRound(m->position().y())));
        return true;
    }
    case QEvent::MouseButtonRelease:
        LineDrag = false;
        return true;
    case QEvent::MouseMove: {
        if (!LineDrag)
            return true;
        auto *m = static_cast<QMouseEvent *>(event);
        if (watched == c.LeftLine)
            LeftLine_MouseMove(tw(qRound(m->position().x())));
        else if (watched == c.RightLine)
            RightLine_MouseMove(tw(qRound(m->position().x())));
        else
            CenterLine_MouseMove(tw(qRound(m->position().y())));
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

void ViewCommands::LeftLine_MouseMove(double x)
{
    const MainFormControls &c = m_form->ui();
    const double w = tw(c.InSelectList->width()) + (x - LineDownX);
    if (w < MinColumn || w > tw(c.DatList->x()) - CatalogueClearance)
        return;
    for (QWidget *ctl : {static_cast<QWidget *>(c.InSelectList), static_cast<QWidget *>(c.TagTypeCombo),
                         static_cast<QWidget *>(c.InTagList), static_cast<QWidget *>(c.Label1),
                         static_cast<QWidget *>(c.Image1)})
        setWidthTwips(ctl, w);
    m_form->Form_Resize();
}

void ViewCommands::RightLine_MouseMove(double x)
{
    const MainFormControls &c = m_form->ui();
    const double left = tw(c.MinDatList->x()) + (x - LineDownX);
    const double w = tw(c.MinDatList->width()) - (x - LineDownX);
    if (left < tw(c.InSelectList->width()) + FileListClearance || w < MinColumn)
        return;
    setWidthTwips(c.MinDatList, w);
    setWidthTwips(c.DatList, w);
    m_form->Form_Resize();
}

void ViewCommands::CenterLine_MouseMove(double y)
{
    const MainFormControls &c = m_form->ui();
    const double h = tw(c.MainText->height()) + (y - LineDownY);
    if (h < MinColumn || h > m_form->formHeightTwips() - EditorRoom)
        return;
    c.MainText->resize(c.MainText->width(), TwipsToPx(h));
    m_form->Form_Resize();
}
