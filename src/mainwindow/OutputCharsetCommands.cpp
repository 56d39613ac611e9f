#include "OutputCharsetCommands.h"

#include "MainForm.h"
#include "OptionDate.h"

#include <QAction>
#include <QActionGroup>

using namespace Qt::StringLiterals;

namespace {
const QString AsPageName = u"MojiminmnyMama"_s;
const QString Utf8Name = u"MojiminmnyUtf8"_s;
} // namespace

OutputCharsetCommands::OutputCharsetCommands(MainForm *form, QObject *parent)
    : QObject(parent)
    , m_form(form)
{
    setObjectName(u"OutputCharsetCommands"_s);
    // One of the two is always checked, like option buttons.
    auto *group = new QActionGroup(this);
    for (const QString &name : {AsPageName, Utf8Name}) {
        QAction *a = form->action(name);
        a->setCheckable(true);
        group->addAction(a);
        form->setCommand(name, [this, name] { choose(name == Utf8Name); });
    }
    form->action(AsPageName)->setChecked(true);
    connect(form, &MainForm::startedUp, this, &OutputCharsetCommands::loadOption);
}

void OutputCharsetCommands::loadOption()
{
    const bool utf8 = ReadOptionDate(OptionDatePath()).value_or(EditorOptions()).OutputUtf8;
    m_form->action(utf8 ? Utf8Name : AsPageName)->setChecked(true);
}

void OutputCharsetCommands::choose(bool utf8)
{
    m_form->action(utf8 ? Utf8Name : AsPageName)->setChecked(true);
    // The file's other fields stay as the user left them; what cannot be
    // written is not kept, as with the other settings files.
    EditorOptions o = ReadOptionDate(OptionDatePath()).value_or(EditorOptions());
    if (o.OutputUtf8 == utf8)
        return;
    o.OutputUtf8 = utf8;
    WriteOptionDate(OptionDatePath(), o);
}

SyuturyokuOptions OutputOptionsOf(const MainForm *form)
{
    SyuturyokuOptions o;
    if (const QAction *a = form->action(Utf8Name); a && a->isChecked())
        o.charset = OutputCharset::Utf8;
    return o;
}
