#include "WizDate.h"

#include "Cp932.h"
#include "FieldReader.h"
#include "TextFiles.h"

using namespace Qt::StringLiterals;

bool WizOpFieldCounts(qint16 code, int *intCount, int *strCount)
{
    int ints = 0;
    int strs = 0;
    switch (code) {
    case OpHensuSettei: ints = 3; break;
    case OpOutPut: ints = 2; strs = 1; break;
    case OpDainyu: ints = 4; strs = 1; break;
    case OpSisoku: ints = 6; break;
    case OpBunki:
    case OpLoopEnd: ints = 6; strs = 2; break;
    case OpInputWindow: ints = 9; strs = 9; break;
    case OpTokusyu: ints = 1; break;
    case OpSentakuOut:
    case OpTigaeba:
    case OpBunkiEnd:
    case OpLoopStart:
    case OpKaigyou:
    case OpWizEnd: break;
    default: return false;
    }
    if (intCount)
        *intCount = ints;
    if (strCount)
        *strCount = strs;
    return true;
}

WizOp MakeWizOp(qint16 code, const QVector<qint16> &ints, const QStringList &strs)
{
    int intCount = 0;
    int strCount = 0;
    WizOpFieldCounts(code, &intCount, &strCount);
    WizOp op;
    op.OpType = code;
    op.IntDat = QVector<qint16>(qMax(intCount, 1), qint16(0));
    op.StrDat = QStringList();
    for (int k = 0; k < qMax(strCount, 1); ++k)
        op.StrDat.append(QString());
    for (int k = 0; k < ints.size() && k < op.IntDat.size(); ++k)
        op.IntDat[k] = ints.at(k);
    for (int k = 0; k < strs.size() && k < op.StrDat.size(); ++k)
        op.StrDat[k] = strs.at(k);
    return op;
}

WizProgram &WizPrg()
{
    static WizProgram program;
    return program;
}

QString WizLoadResultText(WizLoadResult result)
{
    switch (result) {
    case WizLoadResult::Loaded: return u"読み込みました。"_s;
    case WizLoadResult::CannotOpen: return u"ファイルを開けません。"_s;
    case WizLoadResult::NotWizDate: return u"タグ挿入支援データファイルではありません。"_s;
    case WizLoadResult::BadCount: return u"命令の数が正しくありません。"_s;
    case WizLoadResult::BadCode: return u"不明な命令があります。"_s;
    case WizLoadResult::BadField: return u"数値の項目が正しくありません。"_s;
    case WizLoadResult::TooFewFields: return u"データが途中で終わっています。"_s;
    case WizLoadResult::ExtraFields: return u"最後の命令の後に余分なデータがあります。"_s;
    }
    return QString();
}

WizLoadResult LoadWizDateFromText(const QString &text, WizProgram *program)
{
    // A last empty text field stands between the final comma and the line end;
    // give a file without a line end one so that field still reads as empty.
    QString line = text;
    if (!line.endsWith(u'\n') && !line.endsWith(u'\r'))
        line += u"\r\n"_s;
    FieldReader reader(line);

    const std::optional<QString> head = reader.readField();
    if (!head || *head != u"$WizDate"_s)
        return WizLoadResult::NotWizDate;

    const std::optional<QString> countField = reader.readField();
    if (!countField)
        return WizLoadResult::BadCount;
    const std::optional<qint16> wizMax = FieldReader::toInt16(*countField);
    if (!wizMax || *wizMax < -1)
        return WizLoadResult::BadCount;

    // Statements are appended as their fields arrive, never allocated by the
    // announced count: a file claiming 32767 statements but holding three fails
    // at the fourth.
    QVector<WizOp> ops;
    for (int i = 0; i <= *wizMax; ++i) {
        const std::optional<QString> codeField = reader.readField();
        if (!codeField)
            return WizLoadResult::TooFewFields;
        const std::optional<qint16> code = FieldReader::toInt16(*codeField);
        if (!code)
            return WizLoadResult::BadField;
        int intCount = 0;
        int strCount = 0;
        if (!WizOpFieldCounts(*code, &intCount, &strCount))
            return WizLoadResult::BadCode;
        WizOp op = MakeWizOp(*code);
        for (int k = 0; k < intCount; ++k) {
            const std::optional<QString> f = reader.readField();
            if (!f)
                return WizLoadResult::TooFewFields;
            const std::optional<qint16> v = FieldReader::toInt16(*f);
            if (!v)
                return WizLoadResult::BadField;
            op.IntDat[k] = *v;
        }
        for (int k = 0; k < strCount; ++k) {
            std::optional<QString> f = reader.readField();
            if (!f)
                return WizLoadResult::TooFewFields;
            op.StrDat[k] = std::move(*f);
        }
        ops.append(std::move(op));
    }
    if (!QStringView(line).mid(reader.position()).trimmed().isEmpty())
        return WizLoadResult::ExtraFields;

    program->ops = std::move(ops);
    return WizLoadResult::Loaded;
}

WizLoadResult LoadWizDate(const QString &path, WizProgram *program)
{
    const std::optional<QString> text = ReadCp932File(path);
    if (!text)
        return WizLoadResult::CannotOpen;
    return LoadWizDateFromText(*text, program);
}

WizLoadResult LoadWizDate(const QString &path)
{
    return LoadWizDate(path, &WizPrg());
}

QString WizDateToText(const WizProgram &program)
{
    QString line = u"$WizDate,"_s + QString::number(program.WizMax());
    for (const WizOp &op : program.ops) {
        line += u',' + QString::number(op.OpType);
        int intCount = 0;
        int strCount = 0;
        if (!WizOpFieldCounts(op.OpType, &intCount, &strCount))
            continue;
        for (int k = 0; k < intCount; ++k)
            line += u',' + QString::number(op.I(k));
        for (int k = 0; k < strCount; ++k)
            line += u',' + op.S(k);
    }
    return line;
}

bool SaveWizDate(const QString &path, const WizProgram &program, QString *error, LinkMode links)
{
    if (links == LinkMode::Follow)
        return WriteCp932File(path, WizDateToText(program) + u"\r\n"_s, error);
    QByteArray bytes;
    qsizetype bad = -1;
    const QString text = WizDateToText(program) + u"\r\n"_s;
    if (Cp932::encode(text, &bytes, &bad))
        return WriteFileAtomically(path, bytes, error, WriteMode::Durable, LinkMode::Replace);
    // The writer words the refusal (it names the character and its line).
    return WriteCp932File(path, text, error);
}

bool SaveWizDate(const QString &path, QString *error)
{
    return SaveWizDate(path, WizPrg(), error);
}

// The most statements a script can hold: its upper index is 16-bit.
constexpr int MaxStatements = 32767;

bool InsWizOp(WizProgram &program, qint16 index)
{
    if (index < 0 || index > program.ops.size() || program.ops.size() >= MaxStatements)
        return false;
    program.ops.insert(index, MakeWizOp(OpWizEnd));
    return true;
}

bool DelWizOp(WizProgram &program, qint16 index)
{
    if (index < 0 || index >= program.ops.size())
        return false;
    program.ops.remove(index);
    return true;
}

bool PutWizOp(WizProgram &program, bool WizEditNew, qint16 WizEditIndex, const WizOp &op)
{
    if (!WizEditNew) {
        if (WizEditIndex < 0 || WizEditIndex >= program.ops.size())
            return false;
        // The edited statement keeps its place.
        program.ops[WizEditIndex] = op;
        return true;
    }
    if (!InsWizOp(program, WizEditIndex))
        return false;
    program.ops[WizEditIndex] = op;
    return true;
}
