#include "TextFiles.h"

#include "Cp932.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

bool IsAscii(const QByteArray &bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// "U+XXXX" (or more digits) for the character at text[i], surrogate pairs combined.
QString CodePointName(const QString &text, qsizetype i)
{
    char32_t cp = text[i].unicode();
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
        cp = QChar::surrogateToUcs4(text[i], text[i + 1]);
    return u"U+"_s + QString::number(uint(cp), 16).toUpper().rightJustified(4, u'0');
}

QString CharacterShown(const QString &text, qsizetype i)
{
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
        return text.mid(i, 2);
    if (text[i].isSurrogate())
        return QString();
    return QString(text[i]);
}

// The value of a name="value", name='value' or name=value attribute of one tag.
QString AttributeValue(const QString &tag, const QString &name)
{
    static const QRegularExpression attr(
        uR"re((?:^|\s)([A-Za-z_:][-A-Za-z0-9_:.]*)\s*(?:=\s*(?:"([^"]*)"|'([^']*)'|([^\s"'>]+)))?)re"_s);
    auto it = attr.globalMatch(tag);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(1).compare(name, Qt::CaseInsensitive) != 0)
            continue;
        for (int g = 2; g <= 4; ++g) {
            if (m.capturedStart(g) >= 0)
                return m.captured(g);
        }
        return QString();
    }
    return QString();
}

bool IsUtf8Name(QString name)
{
    name = name.trimmed().toLower();
    return name == u"utf-8"_s || name == u"utf8"_s;
}

} // namespace

std::optional<QByteArray> ReadFileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

std::optional<QString> ReadCp932File(const QString &path)
{
    const std::optional<QByteArray> bytes = ReadFileBytes(path);
    if (!bytes)
        return std::nullopt;
    return Cp932::decode(*bytes);
}

QString DecodeHtmlBytes(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    if (IsAscii(bytes))
        return QString::fromLatin1(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return Cp932::decode(bytes);
}

bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *error, WriteMode mode)
{
    auto fail = [&](const QString &reason) {
        if (error) {
            *error = u"ファイル「%1」を書き込めませんでした: %2"_s.arg(QDir::toNativeSeparators(path),
                                                                         reason);
        }
        return false;
    };
    if (mode == WriteMode::Throwaway) {
        // Written beside the target and renamed over it, without the sync.
        QTemporaryFile file(path + u".XXXXXX"_s);
        file.setAutoRemove(true);
        if (!file.open())
            return fail(file.errorString());
        if (file.write(bytes) != bytes.size() || !file.flush())
            return fail(file.errorString());
        file.close();
        if (std::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(path).constData()) != 0)
            return fail(QString::fromLocal8Bit(std::strerror(errno)));
        file.setAutoRemove(false);
        return true;
    }
    QSaveFile file(path);
    // Never fall back to writing the target in place: that could leave it half written.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(reason);
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

bool WriteCp932File(const QString &path, const QString &text, QString *error)
{
    QByteArray bytes;
    qsizetype bad = -1;
    if (!Cp932::encode(text, &bytes, &bad)) {
        if (error) {
            const qsizetype line = QStringView(text).left(bad).count(u'\n') + 1;
            *error = u"ファイル「%1」を保存できません: %2 行目の文字「%3」(%4) はシフトJISにない文字です。"_s.arg(
                QDir::toNativeSeparators(path), QString::number(line), CharacterShown(text, bad),
                CodePointName(text, bad));
        }
        return false;
    }
    return WriteFileAtomically(path, bytes, error);
}

bool PageDeclaresUtf8(const QString &html)
{
    // Only the head declares the charset; comments hide what they hold. The
    // head ends at "</head" or "<body"; the search is bounded, because this
    // runs on every keystroke and a page need not have a head at all.
    constexpr qsizetype HeadLimit = 64 * 1024;
    QString head = html.left(HeadLimit);
    for (const QString &end : {u"</head"_s, u"<body"_s}) {
        const qsizetype at = head.indexOf(end, 0, Qt::CaseInsensitive);
        if (at >= 0)
            head.truncate(at);
    }
    static const QRegularExpression comment(u"<!--.*?(?:-->|$)"_s,
                                            QRegularExpression::DotMatchesEverythingOption);
    head.remove(comment);

    static const QRegularExpression meta(u"<meta(\\s[^>]*)>?"_s, QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression charsetInContent(u"charset\\s*=\\s*[\"']?\\s*([-A-Za-z0-9_:.]+)"_s,
                                                     QRegularExpression::CaseInsensitiveOption);
    // A browser follows the first declaration, so only the first one counts.
    auto it = meta.globalMatch(head);
    while (it.hasNext()) {
        const QString attrs = it.next().captured(1);
        const QString charset = AttributeValue(attrs, u"charset"_s);
        if (!charset.isEmpty())
            return IsUtf8Name(charset);
        if (AttributeValue(attrs, u"http-equiv"_s).trimmed().compare(u"content-type"_s, Qt::CaseInsensitive) == 0) {
            const QRegularExpressionMatch m = charsetInContent.match(AttributeValue(attrs, u"content"_s));
            if (m.hasMatch())
                return IsUtf8Name(m.captured(1));
        }
    }
    return false;
}

QByteArray EncodePageFile(const QString &html)
{
    QByteArray bytes = PageDeclaresUtf8(html) ? html.toUtf8() : Cp932::encodeWithCharRefs(html);
    bytes += "\r\n"; // in place: the encoder leaves room
    return bytes;
}

bool WritePageFile(const QString &path, const QString &html, QString *error, WriteMode mode)
{
    return WriteFileAtomically(path, EncodePageFile(html), error, mode);
}
