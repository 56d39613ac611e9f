#include "OutputNames.h"

#include "Cp932.h"
#include "SystemErrors.h"
#include "TempC.h"

#include <QDir>

QString LastFourChars(const QString &path)
{
    return path.right(4);
}

ItemKindResult PictKind(bool loads, const QString &path)
{
    const QString last = LastFourChars(path);
    ItemKindResult r;
    if (loads) {
        if (last == u".gif") {
            r.label = QStringLiteral("画像ファイル - [GIFファイル]");
            r.ext = QStringLiteral(".gif");
        } else if (last == u".jpg") {
            r.label = QStringLiteral("画像ファイル - [JPGファイル]");
            r.ext = QStringLiteral(".jpg");
        } else if (last == u"jpeg") {
            r.label = QStringLiteral("画像ファイル - [JPGファイル]");
            r.ext = QStringLiteral(".jpeg");
        } else if (last == u".bmp") {
            r.label = QStringLiteral("画像ファイル - [ビットマップファイル]");
            r.ext = QStringLiteral(".bmp");
        } else {
            // A picture that shows but whose name ends otherwise (".JPG")
            // keeps whatever the dialog had.
            r.keepLabel = true;
            r.keepExt = true;
        }
    } else if (last == u".png") {
        r.label = QStringLiteral("画像ファイル - [PNGファイル：プレビュー不可]");
        r.ext = QStringLiteral(".png");
    } else {
        r.label = QStringLiteral("画像ファイル - [不明、又は不正なファイル形式]");
    }
    return r;
}

ItemKindResult ElseFileKind(const QString &path)
{
    static const struct
    {
        const char16_t *last;
        const char16_t *kind;
    } known[] = {
        {u".lzh", u"LZH圧縮ファイル"},       {u".zip", u"ZIP圧縮ファイル"},
        {u".cab", u"CAB圧縮ファイル"},       {u".mid", u"MIDIシーケンスファイル"},
        {u".mp3", u"MP3音声ファイル"},       {u".wav", u"WAVE音声ファイル"},
        {u".txt", u"テキストファイル"},      {u".exe", u"アプリケーションファイル"},
        {u".swf", u"フラッシュムービー"},    {u".mpg", u"MPGムービーファイル"},
        {u".mov", u"MOVムービーファイル"},   {u".dat", u"データファイル"},
    };
    const QString last = path.size() > 4 ? LastFourChars(path) : QString();
    const QString prefix = QStringLiteral("参照先ファイル名 - [");
    ItemKindResult r;
    for (const auto &k : known) {
        if (last == QStringView(k.last)) {
            r.label = prefix + QStringView(k.kind) + u']';
            r.ext = last;
            return r;
        }
    }
    if (last.startsWith(u'.')) {
        r.label = prefix + u'"' + last + u'"' + QStringLiteral("ファイル]");
        r.ext = last;
    } else {
        r.label = prefix + QStringLiteral("不明なファイル]");
    }
    return r;
}

QString DuplicateNameMessage(const QString &otherOutputName, int index)
{
    return QStringLiteral("同一のファイル名が存在するので、このファイル名は利用できません。") + u"\r\n"
           + QStringLiteral("ファイル名：") + otherOutputName + QStringLiteral("（") + QString::number(index + 1)
           + QStringLiteral("番目のHTMLデータ。）");
}

template<typename Rec>
static int findOther(const QVector<Rec> &table, const QString &outputName, int exceptIndex)
{
    for (int i = 0; i < table.size(); ++i) {
        if (i != exceptIndex && table.at(i).outputName() == outputName)
            return i;
    }
    return -1;
}

int FindOtherHtml(const ProjectDates &p, const QString &outputName, int exceptIndex)
{
    return findOther(p.Html, outputName, exceptIndex);
}

int FindOtherPict(const ProjectDates &p, const QString &outputName, int exceptIndex)
{
    return findOther(p.Pict, outputName, exceptIndex);
}

int FindOtherElse(const ProjectDates &p, const QString &outputName, int exceptIndex)
{
    return findOther(p.ElseFile, outputName, exceptIndex);
}

QString FieldCharsProblem(const QString &fieldLabel, const QString &value, FieldKind kind)
{
    QString found;
    if (value.contains(QChar(0)))
        found = QStringLiteral("NUL文字");
    else if (value.contains(u','))
        found = QStringLiteral("カンマ（,）");
    else if (value.contains(u'\r') || value.contains(u'\n'))
        found = QStringLiteral("改行");
    else if (value.startsWith(u' ') || value.startsWith(u'\t'))
        found = QStringLiteral("先頭の空白");
    else if (value.startsWith(u'"'))
        found = QStringLiteral("先頭のダブルクォーテーション（\"）");
    qsizetype bad = -1;
    if (found.isEmpty() && kind == FieldKind::FileName && !Cp932::canEncodeExactly(value, &bad)
        && Cp932::canEncode(value.mid(bad, 1)))
        found = QStringLiteral("保存すると別の文字に変わる文字「%1」").arg(value.at(bad));
    if (found.isEmpty() && !Cp932::canEncode(value, &bad)) {
        const bool pair = value.at(bad).isHighSurrogate() && bad + 1 < value.size();
        found = QStringLiteral("保存できない文字「%1」").arg(value.mid(bad, pair ? 2 : 1));
    }
    if (found.isEmpty())
        return QString();
    return QStringLiteral("「%1」に使用できない文字が含まれています：%2").arg(fieldLabel, found) + u"\r\n"
           + QStringLiteral("カンマ（,）と改行は使用できません。また、先頭に空白やダブルクォーテーション（\"）は"
                            "置けません。");
}

QString OutputNameProblem(const QString &outputName)
{
    if (outputName.isEmpty())
        return QStringLiteral("出力時のファイル名が空です。");
    if (TempC::IsSafeOutputName(outputName) && !QDir::isAbsolutePath(outputName))
        return QString();
    if (outputName.contains(QChar(0)))
        return QStringLiteral("出力時のファイル名「%1」は使用できません。").arg(VisibleText(outputName)) + u"\r\n"
               + QStringLiteral("NUL文字は使用できません。");
    return QStringLiteral("出力時のファイル名「%1」は使用できません。").arg(outputName) + u"\r\n"
           + QStringLiteral("フォルダの区切り（/ や \\）、「.」や「..」だけの名前、ドライブ名は使用できません。");
}

QString LinkBreakingChars()
{
    return QStringLiteral("\"#?*<>|:%");
}

QString LinkCharsProblem(const QString &outputName)
{
    QStringList found;
    for (const QChar c : LinkBreakingChars())
        if (outputName.contains(c))
            found.append(QStringLiteral("「") + c + QStringLiteral("」"));
    if (found.isEmpty())
        return QString();
    QStringList all;
    for (const QChar c : LinkBreakingChars())
        all.append(QString(c));
    return QStringLiteral("出力時のファイル名「%1」に使用できない文字が含まれています：%2")
               .arg(outputName, found.join(QString()))
           + u"\r\n"
           + QStringLiteral("ファイル名には %1 は使用できません（リンクやファイル名として正しく扱われません）。")
                 .arg(all.join(u' '));
}
