#include "AccessibleNames.h"

#include "NumberBox.h"

#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QToolButton>

using namespace Qt::StringLiterals;

QString NameFromCaption(const QString &caption)
{
    QString name = caption;
    static const QRegularExpression accessKey(u"\\(&.\\)"_s);
    name.remove(accessKey);
    name.replace(u"&&"_s, u"\u0001"_s).remove(u'&').replace(u'\u0001', u'&');
    name = name.trimmed();
    while (name.endsWith(u'：') || name.endsWith(u':'))
        name.chop(1);
    return name.trimmed();
}

void NameByLabel(QLabel *label, QWidget *control)
{
    label->setBuddy(control);
    control->setAccessibleName(NameFromCaption(label->text()));
}

void NameControl(QWidget *control, const QString &name)
{
    if (auto *box = qobject_cast<NumberBox *>(control))
        control = box->textBox();
    control->setAccessibleName(name);
}

void NameUpDown(QToolButton *up, QToolButton *down)
{
    up->setAccessibleName(u"増やす"_s);
    down->setAccessibleName(u"減らす"_s);
}
