#include "SettingsFiles.h"

#include "AppPaths.h"
#include "Cp932.h"
#include "FieldReader.h"
#include "ProjectFile.h"
#include "TempC.h"
#include "TextFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

QString boolWord(bool b)
{
    return b ? u"True"_s : u"False"_s;
}

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// Reads every comma-delimited field of a settings text, at most max of them.
QStringList readFields(const QString &text, int max)
{
    QStringList fields;
    FieldReader reader(text);
    while (fields.size() < max) {
        std::optional<QString> f = reader.readField();
        if (!f)
            break;
        fields.append(*f);
    }
    return fields;
}

const QByteArray Utf8Bom = QByteArrayLiteral("\xEF\xBB\xBF");

} // namespace

QString SizeDatePath()
{
    return AppPath(u"\\SizeDate.dat");
}

QString FontDatePath()
{
    return AppPath(u"\\FontDate.dat");
}

QString WrBackUpPath()
{
    return AppPath(u"\\WrBackUp.dat");
}

QString NmBackUpPath()
{
    return AppPath(u"\\NmBackUp.dat");
}

QString SettingsNumber(double v)
{
    if (!std::isfinite(v))
        return u"0"_s;
    const double whole = std::round(v);
    if (std::fabs(v - whole) < 1e-9 && std::fabs(whole) < 9e15)
        return QString::number(qint64(whole));
    QString s = QString::number(v, 'f', 6);
    while (s.endsWith(u'0'))
        s.chop(1);
    if (s.endsWith(u'.'))
        s.chop(1);
    return s;
}

std::optional<double> ParseSettingsNumber(QStringView field)
{
    const QStringView t = field.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<bool> ParseSettingsBool(QStringView field)
{
    const QStringView t = field.trimmed();
    if (t.compare(u"True", Qt::CaseInsensitive) == 0 || t.compare(u"#TRUE#", Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(u"False", Qt::CaseInsensitive) == 0 || t.compare(u"#FALSE#", Qt::CaseInsensitive) == 0)
        return false;
    if (const std::optional<double> v = ParseSettingsNumber(t))
        return *v != 0;
    return std::nullopt;
}

std::optional<quint32> ParseColorRef(QStringView field)
{
    const QStringView t = field.trimmed();
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok, 10);
    if (!ok || v < qlonglong(std::numeric_limits<qint32>::min()) || v > qlonglong(std::numeric_limits<quint32>::max()))
        return std::nullopt;
    return quint32(v);
}

// --- SizeDate.dat ---

QString MakeSizeDateText(const WindowSettings &s)
{
    const QStringList fields = {
        SettingsNumber(s.Height),         SettingsNumber(s.Width),      SettingsNumber(s.Top),
        SettingsNumber(s.Left),           SettingsNumber(s.CatalogueWidth), SettingsNumber(s.FilesWidth),
        SettingsNumber(s.EditorHeight),   boolWord(s.PrvVisible),       boolWord(s.FilesVisible),
        boolWord(s.TagsVisible),          boolWord(s.ToolbarVisible),   boolWord(s.StatusVisible),
        boolWord(s.PicShow),              boolWord(s.AutoPreview),
    };
    return fields.join(u',');
}

WindowSettings ParseSizeDateText(const QString &text)
{
    WindowSettings s;
    const QStringList fields = readFields(text, SizeFieldCount);
    double *numbers[] = {&s.Height, &s.Width, &s.Top, &s.Left, &s.CatalogueWidth, &s.FilesWidth, &s.EditorHeight};
    bool *flags[] = {&s.PrvVisible,     &s.FilesVisible,  &s.TagsVisible, &s.ToolbarVisible,
                     &s.StatusVisible, &s.PicShow,       &s.AutoPreview};
    for (int i = 0; i < fields.size(); ++i) {
        const auto field = SizeField(i);
        if (i <= SizeEditorHeight) {
            if (const std::optional<double> v = ParseSettingsNumber(fields.at(i))) {
                *numbers[i] = *v;
                s.set(field);
            }
        } else if (const std::optional<bool> b = ParseSettingsBool(fields.at(i))) {
            *flags[i - SizePrvVisible] = *b;
            s.set(field);
        }
    }
    return s;
}

std::optional<WindowSettings> ReadSizeDate(const QString &path)
{
    const std::optional<QString> text = ReadCp932File(path);
    if (!text)
        return std::nullopt;
    return ParseSizeDateText(*text);
}

bool WriteSizeDate(const QString &path, const WindowSettings &s, QString *error)
{
    return WriteCp932File(path, MakeSizeDateText(s) + u"\r\n", error);
}

// --- FontDate.dat ---

QString MakeFontDateText(const EditorFontSettings &s)
{
    QString name = s.Name.trimmed();
    const bool carried = !name.contains(u',') && !name.contains(u'\r') && !name.contains(u'\n')
                         && !name.startsWith(u'"') && Cp932::canEncodeExactly(name);
    if (!carried)
        name.clear();
    const QStringList fields = {
        name,
        SettingsNumber(s.Size),
        boolWord(s.Bold),
        boolWord(s.Italic),
        QString::number(s.BackColorRef & 0x00FFFFFFu),
        QString::number(s.TextColorRef & 0x00FFFFFFu),
    };
    return fields.join(u',');
}

EditorFontSettings ParseFontDateText(const QString &text)
{
    EditorFontSettings s;
    const QStringList f = readFields(text, EditorFontSettings::FieldCount);
    if (f.size() > 0 && !f.at(0).trimmed().isEmpty() && !f.at(0).contains(QChar(0))) {
        s.Name = f.at(0).trimmed();
        s.set(EditorFontSettings::FontName);
    }
    if (f.size() > 1) {
        // A size must be a usable point size.
        if (const std::optional<double> v = ParseSettingsNumber(f.at(1)); v && *v > 0 && *v <= 1638) {
            s.Size = *v;
            s.set(EditorFontSettings::FontSize);
        }
    }
    if (f.size() > 2) {
        if (const std::optional<bool> b = ParseSettingsBool(f.at(2))) {
            s.Bold = *b;
            s.set(EditorFontSettings::FontBold);
        }
    }
    if (f.size() > 3) {
        if (const std::optional<bool> b = ParseSettingsBool(f.at(3))) {
            s.Italic = *b;
            s.set(EditorFontSettings::FontItalic);
        }
    }
    if (f.size() > 4) {
        if (const std::optional<quint32> c = ParseColorRef(f.at(4))) {
            s.BackColorRef = *c;
            s.set(EditorFontSettings::BackColor);
        }
    }
    if (f.size() > 5) {
        if (const std::optional<quint32> c = ParseColorRef(f.at(5))) {
            s.TextColorRef = *c;
            s.set(EditorFontSettings::TextColor);
        }
    }
    return s;
}

std::optional<EditorFontSettings> ReadFontDate(const QString &path)
{
    const std::optional<QString> text = ReadCp932File(path);
    if (!text)
        return std::nullopt;
    return ParseFontDateText(*text);
}

bool WriteFontDate(const QString &path, const EditorFontSettings &s, QString *error)
{
    return WriteCp932File(path, MakeFontDateText(s) + u"\r\n", error);
}

// --- Work-in-progress backup ---

bool SaveProjectForUser(const QString &path, const ProjectDates &p, QString *error, CharChanges *changes)
{
    const QVector<ProjectFieldProblem> problems = CheckProjectFields(p);
    if (!problems.isEmpty()) {
        if (error)
            *error = u"ファイル\"%1\"に保存できませんでした。\r\n"_s.arg(nativePath(path))
                     + DescribeFieldProblems(problems);
        return false;
    }
    return SaveProjectFile(path, p, error, changes);
}

bool WriteWorkBackup(const ProjectDates &p, QString *error, bool *occupied)
{
    if (occupied)
        *occupied = false;
    const QString wr = WrBackUpPath();
    const QVector<ProjectFieldProblem> problems = CheckProjectFields(p);
    if (!problems.isEmpty()) {
        if (error)
            *error = u"ファイル\"%1\"に保存できませんでした。\r\n"_s.arg(nativePath(wr))
                     + DescribeFieldProblems(problems);
        return false;
    }
    // The backup of another copy of the program, ended a moment earlier, is
    // never written over: the name is taken only when it is free.
    AtomicFileWriter writer(wr, WriteMode::Durable, LinkMode::Replace);
    if (!writer.open() || !writer.write(EncodeProjectFile(p)) || !writer.commitNew()) {
        if (occupied)
            *occupied = writer.existed();
        if (error) {
            *error = writer.existed()
                         ? u"ファイル\"%1\"には、ほかのウィンドウで「書きかけ終了」した作業が既に保存されています。"_s.arg(
                               nativePath(wr))
                         : writer.errorMessage();
        }
        return false;
    }

    const QString line = p.ProjectPath + u"\r\n";
    QByteArray bytes;
    // The path must read back as the same file.
    if (!Cp932::encodeExactly(line, &bytes))
        bytes = Utf8Bom + line.toUtf8();
    if (!WriteFileAtomically(NmBackUpPath(), bytes, error, WriteMode::Durable, LinkMode::Replace)) {
        // A backup without its path would be resumed under the wrong name.
        QFile::remove(wr);
        return false;
    }
    return true;
}

std::optional<QString> ReadNmBackUp(const QString &path)
{
    const std::optional<QByteArray> bytes = ReadFileBytes(path);
    if (!bytes)
        return std::nullopt;
    const QString text = bytes->startsWith(Utf8Bom) ? QString::fromUtf8(bytes->mid(Utf8Bom.size()))
                                                    : Cp932::decode(*bytes);
    qsizetype end = 0;
    while (end < text.size() && text.at(end) != u'\r' && text.at(end) != u'\n')
        ++end;
    const QString line = text.left(end);
    if (line.isEmpty() || line.contains(QChar(0)))
        return std::nullopt;
    return line;
}

namespace {

// WrBackUp.broken.dat, or WrBackUp.broken-2.dat and so on when that exists.
QString freeBrokenName()
{
    const QString first = AppPath(u"\\WrBackUp.broken.dat");
    if (!QFileInfo::exists(first))
        return first;
    for (int n = 2; n < 1000; ++n) {
        const QString name = AppPath(u"\\WrBackUp.broken-%1.dat"_s.arg(n));
        if (!QFileInfo::exists(name))
            return name;
    }
    return QString();
}

} // namespace

BackupResumeResult OpenBackUp(ProjectDates &p, const std::function<void()> &newProject)
{
    BackupResumeResult r;
    const QString wr = WrBackUpPath();
    {
        QFile probe(wr);
        if (!QFileInfo(wr).isFile() || !probe.open(QIODevice::ReadOnly))
            return r;
    }
    r.found = true;

    TempC::DelAllTemp(p);
    r.code = LoadProjectFile(wr, p);
    const std::optional<QString> savedPath = ReadNmBackUp(NmBackUpPath());
    r.backupPath = savedPath.value_or(QString());
    if (r.code != LoadOk) {
        if (newProject)
            newProject();
        else
            NewStartProject(p);
        // Keep the damaged file for the user instead of deleting the work.
        const QString target = freeBrokenName();
        if (!target.isEmpty() && QFile::rename(wr, target))
            r.keptAs = target;
        else
            r.keepFailed = true;
    } else if (savedPath) {
        p.ProjectPath = *savedPath;
    }
    // The backup goes only once the project is in memory and its preview
    // copies are made: a start that is stopped while copying resumes again.
    TempC::CopyAllTemp(p);
    if (r.code == LoadOk)
        QFile::remove(wr);
    QFile::remove(NmBackUpPath());
    return r;
}

QString BrokenBackupMessage(const BackupResumeResult &r)
{
    QString text = u"前回「書きかけ終了」で保存した作業中のデータ（WrBackUp.dat）が壊れているため、再開できませんでした。"_s;
    if (!r.keptAs.isEmpty())
        text += u"\r\n壊れたファイルは\"%1\"として残してあります。"_s.arg(nativePath(r.keptAs));
    else
        text += u"\r\n壊れたファイルは\"%1\"のまま残してあります。"_s.arg(nativePath(WrBackUpPath()));
    if (!r.backupPath.isEmpty() && r.backupPath != NewProjectPath)
        text += u"\r\n作業中のプロジェクト: \"%1\""_s.arg(nativePath(r.backupPath));
    text += u"\r\n新しいプロジェクトを開始します。"_s;
    return text;
}
