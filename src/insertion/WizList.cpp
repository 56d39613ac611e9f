#include "WizList.h"

#include "AppPaths.h"
#include "FieldReader.h"
#include "TextFiles.h"

using namespace Qt::StringLiterals;

QVector<WizListEntry> LoadWizListFromText(const QString &text)
{
    QVector<WizListEntry> entries;
    FieldReader reader(text);
    const std::optional<qint16> listMax = reader.readInt16();
    if (!listMax || *listMax < 0)
        return entries;
    // Entries are appended as they are read, never allocated by the count the
    // file claims.
    for (int i = 0; i <= *listMax; ++i) {
        std::optional<QString> name = reader.readField();
        if (!name)
            break;
        std::optional<QString> setumei = reader.readField();
        // A last description left empty before the end of the text still counts.
        entries.append(WizListEntry{std::move(*name), setumei ? std::move(*setumei) : QString()});
        if (!setumei)
            break;
    }
    return entries;
}

QVector<WizListEntry> LoadWizList(const QString &folder)
{
    const std::optional<QString> text = ReadCp932File(JoinPath(folder, u"WizList.dat"_s));
    if (!text)
        return {};
    return LoadWizListFromText(*text);
}

QString WizListToText(const QVector<WizListEntry> &entries)
{
    if (entries.isEmpty())
        return QString();
    QString line = QString::number(entries.size() - 1);
    for (const WizListEntry &e : entries)
        line += u',' + e.name + u',' + e.setumei;
    return line;
}

bool WizListTextFits(const QString &text)
{
    if (text.contains(u',') || text.contains(u'\r') || text.contains(u'\n'))
        return false;
    return !(text.startsWith(u' ') || text.startsWith(u'\t') || text.startsWith(u'"'));
}

bool SaveWizList(const QString &folder, const QVector<WizListEntry> &entries, QString *error)
{
    return WriteCp932File(JoinPath(folder, u"WizList.dat"_s), WizListToText(entries) + u"\r\n"_s, error);
}

QString WizDatePath(const QString &folder, int index)
{
    return JoinPath(folder, u"WizDate"_s + QString::number(index) + u".dat"_s);
}
