#include "TaguSien_ListFile.h"

#include "AppPaths.h"
#include "Cp932.h"
#include "TextFiles.h"
#include "WizList.h"
#include "WizTextCheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

const QString NewBasicWizDate = u"$WizDate,1,0,0,0,0,-1"_s;
const QString NewFontWizDate =
    u"$WizDate,29,0,0,2,0,3,0,0,0,0,,3,0,0,1,0,,3,1,0,0,3,,1,0,0,<font,5,0,1,0,0,0,0,,,6,13,2,1,0,0,color=,"
    u"13,1,1,1,0,S,13,1,7,5,1,1,0,5,0,3,,,13,2,1,0,0,size=,1,1,0,I,7,5,0,1,1,0,0,0,,,6,13,2,1,0,0,face=,"
    u"13,1,1,1,1,S,13,1,7,1,0,0,>,2,1,0,0,</font>,-1"_s;

namespace {

void SetError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

QString ListPath(const QString &folder)
{
    return JoinPath(folder, u"WizList.dat"_s);
}

QVector<WizListEntry> Entries(const WizListFile &list)
{
    QVector<WizListEntry> out;
    for (int i = 0; i <= list.ListMax; ++i)
        out.append({list.ListName.at(i), list.ListSetumei.at(i)});
    return out;
}

// Refuses a name or description that the list file cannot carry.
bool CheckTexts(const QString &name, const QString &setumei, QString *error)
{
    QString why = WizNameRefusal(u"名前"_s, name);
    if (why.isEmpty())
        why = WizNameRefusal(u"説明"_s, setumei);
    if (why.isEmpty())
        return true;
    SetError(error, why);
    return false;
}

} // namespace

bool EnsureWizFolder(const QString &folder, QString *error)
{
    if (QFileInfo(folder).isDir() || QDir().mkpath(folder))
        return true;
    SetError(error, u"フォルダ\""_s + QDir::toNativeSeparators(folder) + u"\"を作成できません。"_s);
    return false;
}

WizListFile ReadWizList(const QString &folder)
{
    WizListFile list;
    const std::optional<QString> text = ReadCp932File(ListPath(folder));
    if (!text)
        return list;
    const QVector<WizListEntry> entries = LoadWizListFromText(*text);
    list.ListMax = qint16(entries.size() - 1);
    for (int i = 0; i < entries.size(); ++i) {
        list.ListName.append(entries.at(i).name);
        list.ListSetumei.append(entries.at(i).setumei);
        const std::optional<QByteArray> bytes = ReadFileBytes(WizDatePath(folder, i));
        if (bytes) {
            list.ListBytes.append(*bytes);
            const QString whole = Cp932::decode(*bytes);
            qsizetype end = whole.indexOf(u'\n');
            QString line = end < 0 ? whole : whole.left(end);
            if (line.endsWith(u'\r'))
                line.chop(1);
            list.ListLine.append(line);
        } else {
            list.ListBytes.append(QByteArray());
            list.ListLine.append(QString());
        }
    }
    return list;
}

bool NewWizDate(const QString &folder, const QString &name, const QString &setumei, bool isFont, QString *error,
                qint16 *newIndex)
{
    if (!CheckTexts(name, setumei, error) || !EnsureWizFolder(folder, error))
        return false;
    const WizListFile list = ReadWizList(folder);
    if (list.ListMax >= 32766) {
        SetError(error, u"これ以上データを追加できません。"_s);
        return false;
    }
    QVector<WizListEntry> entries = Entries(list);
    entries.append({name, setumei});
    const qint16 index = qint16(list.ListMax + 1);

    // The script file first: an entry is never listed without its file.
    const QString scriptPath = WizDatePath(folder, index);
    if (!WriteCp932File(scriptPath, (isFont ? NewFontWizDate : NewBasicWizDate) + u"\r\n"_s, error))
        return false;
    if (!SaveWizList(folder, entries, error)) {
        QFile::remove(scriptPath);
        return false;
    }
    if (newIndex)
        *newIndex = index;
    return true;
}

bool SetWizList(const QString &folder, qint16 index, const QString &name, const QString &setumei, QString *error)
{
    if (!CheckTexts(name, setumei, error))
        return false;
    const WizListFile list = ReadWizList(folder);
    if (index < 0 || index > list.ListMax) {
        SetError(error, u"データが見つかりません。"_s);
        return false;
    }
    QVector<WizListEntry> entries = Entries(list);
    entries[index] = {name, setumei};
    return SaveWizList(folder, entries, error);
}

bool DelWizDate(const QString &folder, qint16 index, QString *error)
{
    const WizListFile list = ReadWizList(folder);
    if (index < 0 || index > list.ListMax) {
        SetError(error, u"データが見つかりません。"_s);
        return false;
    }
    if (list.ListMax == 0) {
        // The only entry: the folder is left without a list, as if new.
        if (!QFile::remove(ListPath(folder)) && QFile::exists(ListPath(folder))) {
            SetError(error, u"ファイル\""_s + QDir::toNativeSeparators(ListPath(folder)) + u"\"を削除できません。"_s);
            return false;
        }
        QFile::remove(WizDatePath(folder, 0));
        return true;
    }

    // The scripts behind the deleted entry move down by one. A missing script
    // becomes an empty line at its new place.
    const qint16 newMax = qint16(list.ListMax - 1);
    QVector<WizListEntry> entries;
    QVector<int> rewritten;
    for (int i = 0; i <= newMax; ++i) {
        const int from = i < index ? i : i + 1;
        entries.append({list.ListName.at(from), list.ListSetumei.at(from)});
        if (i < index && !list.ListBytes.at(i).isNull())
            continue; // unchanged
        const QByteArray bytes = list.ListBytes.at(from).isNull() ? QByteArray("\r\n") : list.ListBytes.at(from);
        if (!WriteFileAtomically(WizDatePath(folder, i), bytes, error)) {
            // Put back what was already moved, so the list and its files agree.
            for (int j : std::as_const(rewritten)) {
                if (list.ListBytes.at(j).isNull())
                    QFile::remove(WizDatePath(folder, j));
                else
                    WriteFileAtomically(WizDatePath(folder, j), list.ListBytes.at(j));
            }
            return false;
        }
        rewritten.append(i);
    }
    if (!SaveWizList(folder, entries, error)) {
        for (int j : std::as_const(rewritten)) {
            if (list.ListBytes.at(j).isNull())
                QFile::remove(WizDatePath(folder, j));
            else
                WriteFileAtomically(WizDatePath(folder, j), list.ListBytes.at(j));
        }
        return false;
    }
    // The last file is now beyond the list; a file that stays behind is
    // overwritten by the next new entry.
    QFile::remove(WizDatePath(folder, list.ListMax));
    return true;
}
