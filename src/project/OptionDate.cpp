#include "OptionDate.h"

#include "AppPaths.h"
#include "FieldReader.h"
#include "SettingsFiles.h"
#include "TextFiles.h"

#include <algorithm>

using namespace Qt::StringLiterals;

QString OptionDatePath()
{
    return AppPath(u"\\OptionDate.dat");
}

QString MakeOptionDateText(const EditorOptions &o)
{
    return (o.HtmlIroWake ? u"True"_s : u"False"_s) + u',' + SettingsNumber(o.RecoverySeconds) + u','
           + QString::number(o.PreviewWidth) + u','
           + (o.OutputUtf8 ? u"True"_s : u"False"_s);
}

EditorOptions ParseOptionDateText(const QString &text)
{
    EditorOptions o;
    FieldReader reader(text);
    if (const std::optional<QString> f = reader.readField()) {
        if (const std::optional<bool> b = ParseSettingsBool(*f))
            o.HtmlIroWake = *b;
    }
    if (const std::optional<QString> f = reader.readField()) {
        if (const std::optional<double> v = ParseSettingsNumber(*f))
            o.RecoverySeconds = std::clamp(*v, EditorOptions::MinRecoverySeconds, EditorOptions::MaxRecoverySeconds);
    }
    if (const std::optional<QString> f = reader.readField()) {
        // A width this version does not offer leaves the whole pane.
        const std::optional<qint16> w = FieldReader::toInt16(*f);
        if (w && (*w == EditorOptions::PhoneWidth || *w == EditorOptions::TabletWidth))
            o.PreviewWidth = *w;
    }
    if (const std::optional<QString> f = reader.readField()) {
        if (const std::optional<bool> b = ParseSettingsBool(*f))
            o.OutputUtf8 = *b;
    }
    return o;
}

std::optional<EditorOptions> ReadOptionDate(const QString &path)
{
    const std::optional<QString> text = ReadCp932File(path);
    if (!text)
        return std::nullopt;
    return ParseOptionDateText(*text);
}

bool WriteOptionDate(const QString &path, const EditorOptions &o, QString *error)
{
    return WriteCp932File(path, MakeOptionDateText(o) + u"\r\n", error);
}
