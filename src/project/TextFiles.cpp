#include "TextFiles.h"

#include "Cp932.h"
#include "PageEncoding.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

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
    return DecodeHtmlFile(bytes).text;
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
    return PageFileEncodingOf(html) == PageFileEncoding::Utf8;
}

QByteArray EncodePageFile(const QString &html)
{
    QByteArray bytes = EncodePageText(html, PageFileEncodingOf(html));
    bytes += "\r\n"; // in place: the encoder leaves room
    return bytes;
}

bool WritePageFile(const QString &path, const QString &html, QString *error, WriteMode mode)
{
    return WriteFileAtomically(path, EncodePageFile(html), error, mode);
}
