#include "TaguSien_ListFile.h"

#include "AppPaths.h"
#include "Cp932.h"
#include "NumberedFolder.h"
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
    const QVector<WizListEntry> entries = LoadWizList(folder);
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

WizListCheck CheckWizList(const QString &folder)
{
    WizListCheck check;
    const NumberedFolder f = WizStore(folder);
    QString unsettled;
    const bool settled = SettleNumberedFolder(f, &unsettled);
    const ListFileRead list = ReadListFile(f.listPath());
    WizListText parsed;
    QString text;
    if (list.bytes) {
        text = DecodeListText(*list.bytes);
        parsed = ParseWizListText(text);
    }
    check.entries = parsed.entries;
    const QVector<int> files = NumberedFiles(f);
    const QString shown = QDir::toNativeSeparators(f.listPath());
    if (!settled)
        check.problem = unsettled;
    else if (list.exists && !list.bytes)
        check.problem = u"一覧「%1」を読み込めません（%2）。"_s.arg(shown, list.reason);
    else if (!parsed.listMax && !text.trimmed().isEmpty())
        check.problem = u"一覧「%1」の先頭にあるはずのデータの数が読めません。"_s.arg(shown);
    else if (parsed.listMax && parsed.entries.size() < *parsed.listMax + 1)
        check.problem = u"一覧「%1」は %2 個のデータを載せるはずですが、%3 個目で途切れています。"_s.arg(
            shown, QString::number(*parsed.listMax + 1), QString::number(parsed.entries.size() + 1));
    else if (!files.isEmpty() && files.last() >= parsed.entries.size())
        check.problem = u"一覧「%1」には %2 個のデータしか載っていませんが、載っていないファイル"
                        u"「WizDate%3.dat」があります。"_s.arg(shown, QString::number(parsed.entries.size()),
                                                             QString::number(files.last()));
    return check;
}

bool RebuildWizList(const QString &folder, QString *kept, QString *error)
{
    const NumberedFolder f = WizStore(folder);
    QVector<WizListEntry> entries = CheckWizList(folder).entries;
    const int listed = int(entries.size());
    const std::optional<int> unlisted = CloseUpUnlistedFiles(f, listed, error);
    if (!unlisted)
        return false;
    for (int i = listed; i < listed + *unlisted; ++i)
        entries.append({u"名前なし %1"_s.arg(i), u"一覧の作り直しで見つかったデータ"_s});
    const std::optional<QByteArray> bytes = EncodeWizList(folder, entries, error);
    return bytes && ReplaceDamagedList(f, *bytes, kept, error);
}

bool NewWizDate(const QString &folder, const QString &name, const QString &setumei, bool isFont, QString *error,
                qint16 *newIndex)
{
    if (!CheckTexts(name, setumei, error) || !EnsureWizFolder(folder, error))
        return false;
    const WizListCheck check = CheckWizList(folder);
    if (!check.problem.isEmpty()) {
        SetError(error, check.problem);
        return false;
    }
    if (check.entries.size() >= 32767) {
        SetError(error, u"これ以上データを追加できません。"_s);
        return false;
    }
    QVector<WizListEntry> entries = check.entries;
    const qint16 index = qint16(entries.size());
    entries.append({name, setumei});
    const std::optional<QByteArray> list = EncodeWizList(folder, entries, error);
    const QByteArray script = ((isFont ? NewFontWizDate : NewBasicWizDate) + u"\r\n"_s).toLatin1();
    if (!list || !AddNumberedEntry(WizStore(folder), index, script, *list, error))
        return false;
    if (newIndex)
        *newIndex = index;
    return true;
}

bool SetWizList(const QString &folder, qint16 index, const QString &name, const QString &setumei, QString *error)
{
    if (!CheckTexts(name, setumei, error))
        return false;
    const WizListCheck check = CheckWizList(folder);
    if (!check.problem.isEmpty()) {
        SetError(error, check.problem);
        return false;
    }
    if (index < 0 || index >= check.entries.size()) {
        SetError(error, u"データが見つかりません。"_s);
        return false;
    }
    QVector<WizListEntry> entries = check.entries;
    entries[index] = {name, setumei};
    return SaveWizList(folder, entries, error);
}

bool DelWizDate(const QString &folder, qint16 index, QString *error)
{
    const WizListCheck check = CheckWizList(folder);
    if (!check.problem.isEmpty()) {
        SetError(error, check.problem);
        return false;
    }
    const int count = int(check.entries.size());
    if (index < 0 || index >= count) {
        SetError(error, u"データが見つかりません。"_s);
        return false;
    }
    // A later entry whose script is missing moves as an empty line, as the
    // list has always read it.
    for (int i = index + 1; i < count; ++i) {
        if (!QFileInfo::exists(WizDatePath(folder, i)) && !QFileInfo(WizDatePath(folder, i)).isSymLink()
            && !WriteNumberedFile(WizDatePath(folder, i), QByteArray("\r\n"), error))
            return false;
    }
    QVector<WizListEntry> rest = check.entries;
    rest.remove(index);
    std::optional<QByteArray> list;
    if (!rest.isEmpty() && !(list = EncodeWizList(folder, rest, error)))
        return false;
    return DeleteNumberedEntry(WizStore(folder), index, count, list, error);
}
