#include "AuthoringText.h"

#include "WizDate.h"

qint16 HensuTypeOfText(const QString &text)
{
    if (text == u"整数型" || text == u"整数型変数")
        return HensuInt;
    if (text == u"文字列型" || text == u"文字列型変数")
        return HensuStr;
    if (text == u"真偽型" || text == u"真偽型変数")
        return HensuBool;
    return -1;
}

QString HensuTypeLabel(qint16 type)
{
    switch (type) {
    case HensuInt:
        return QStringLiteral("整数型変数：");
    case HensuStr:
        return QStringLiteral("文字列型変数：");
    case HensuBool:
        return QStringLiteral("真偽型変数：");
    default:
        return QStringLiteral("指定無し：");
    }
}
