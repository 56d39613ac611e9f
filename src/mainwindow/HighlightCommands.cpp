#include "HighlightCommands.h"

#include "HtmlHighlighter.h"
#include "MainForm.h"
#include "OptionDate.h"
#include "PageEditor.h"

#include <QAction>

using namespace Qt::StringLiterals;

HighlightCommands::HighlightCommands(MainForm *form, QObject *parent)
    : QObject(parent)
    , m_form(form)
    , m_highlighter(new HtmlHighlighter(form->ui().MainText))
{
    setObjectName(u"HighlightCommands"_s);
    form->setCommand(u"minmnyIroWake"_s, [this] {
        m_highlighter->setEnabled(m_form->action(u"minmnyIroWake"_s)->isChecked());
    });
    connect(form, &MainForm::startedUp, this, &HighlightCommands::loadOption);
    connect(form, &MainForm::closing, this, &HighlightCommands::saveOption);
}

void HighlightCommands::loadOption()
{
    const EditorOptions o = ReadOptionDate(OptionDatePath()).value_or(EditorOptions());
    m_form->action(u"minmnyIroWake"_s)->setChecked(o.HtmlIroWake);
    m_highlighter->setEnabled(o.HtmlIroWake);
}

void HighlightCommands::saveOption()
{
    // The file's other fields stay as the user left them.
    EditorOptions o = ReadOptionDate(OptionDatePath()).value_or(EditorOptions());
    o.HtmlIroWake = m_form->action(u"minmnyIroWake"_s)->isChecked();
    // Like the other settings files: what cannot be written is not kept.
    WriteOptionDate(OptionDatePath(), o);
}
