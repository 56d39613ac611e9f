#include "WizList.h"

#include "AppPaths.h"
#include "Cp932.h"
#include "FieldReader.h"
#include "TextFiles.h"

#include <QDir>

using namespace Qt::StringLiterals;

QVector<WizListEntry> LoadWizListFromText(const QString &text)
{
    return ParseWizListText(text).entries;
}

WizListText ParseWizListText(const QString &text)
{
    WizListText out;
    FieldReader reader(text);
    const std::optional<qint16> listMax = reader.readInt16();
    if (!listMax || *listMax < 0)
        return out;
    out.listMax = listMax;
    // Entries are appended as they are read, never allocated by the count the
    // file claims.
    for (int i = 0; i <= *listMax; ++i) {
        std::optional<QString> name = reader.readField();
        if (!name)
            break;
        std::optional<QString> setumei = reader.readField();
        // A last description left empty before the end of the text still counts.
        out.entries.append(WizListEntry{std::move(*name), setumei ? std::move(*setumei) : QString()});
        if (!setumei)
            break;
    }
    return out;
}

NumberedFolder WizStore(const QString &folder)
{
    return NumberedFolder{folder, u"WizList.dat"_s, u"WizDate"_s};
}

QVector<WizListEntry> LoadWizList(const QString &folder)
{
    const NumberedFolder f = WizStore(folder);
    SettleNumberedFolder(f);
    const ListFileRead list = ReadListFile(f.listPath());
    if (!list.bytes)
        return {};
    return LoadWizListFromText(DecodeListText(*list.bytes));
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

std::optional<QByteArray> EncodeWizList(const QString &folder, const QVector<WizListEntry> &entries, QString *error)
{
    QByteArray bytes;
    qsizetype bad = -1;
    const QString text = WizListToText(entries) + u"\r\n"_s;
    if (Cp932::encode(text, &bytes, &bad))
        return bytes;
    if (error)
        *error = u"一覧「%1」に、シフトJISにない文字「%2」を書けません。"_s.arg(
            QDir::toNativeSeparators(JoinPath(folder, u"WizList.dat"_s)), text.mid(bad, 1));
    return std::nullopt;
}

bool SaveWizList(const QString &folder, const QVector<WizListEntry> &entries, QString *error)
{
    const std::optional<QByteArray> bytes = EncodeWizList(folder, entries, error);
    return bytes && WriteNumberedFile(WizStore(folder).listPath(), *bytes, error);
}

QString WizDatePath(const QString &folder, int index)
{
    return JoinPath(folder, u"WizDate"_s + QString::number(index) + u".dat"_s);
}
