// Converts a UTF-8 source file of the delivered data into the code page 932
// file the program reads, with CR LF line ends.
//
//   qv_datagen <source> <target>
//
// A character without a code page 932 code, or a source that is not UTF-8,
// fails the build with a message naming file, line and character.

#include "Cp932.h"
#include "TextFiles.h"

#include <QFile>
#include <QStringDecoder>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

int Fail(const QString &message)
{
    std::fprintf(stderr, "qv_datagen: %s\n", message.toLocal8Bit().constData());
    return 1;
}

// LF, CR LF and a lone CR all become CR LF.
QString ToCrLf(const QString &text)
{
    QString out;
    out.reserve(text.size() + text.size() / 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            out += u"\r\n"_s;
        } else if (c == u'\n') {
            out += u"\r\n"_s;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3)
        return Fail(u"usage: qv_datagen <UTF-8 source> <code page 932 target>"_s);
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QString target = QString::fromLocal8Bit(argv[2]);

    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return Fail(source + u": cannot read: "_s + in.errorString());
    QByteArray bytes = in.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);

    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = ToCrLf(utf8.decode(bytes));
    if (utf8.hasError())
        return Fail(source + u": not valid UTF-8"_s);

    QByteArray out;
    qsizetype bad = -1;
    if (!Cp932::encode(text, &out, &bad)) {
        char32_t cp = text[bad].unicode();
        if (text[bad].isHighSurrogate() && bad + 1 < text.size() && text[bad + 1].isLowSurrogate())
            cp = QChar::surrogateToUcs4(text[bad], text[bad + 1]);
        const qsizetype line = QStringView(text).left(bad).count(u'\n') + 1;
        return Fail(u"%1:%2: character U+%3 has no code in code page 932 (Shift_JIS); replace it"_s.arg(
            source, QString::number(line), QString::number(uint(cp), 16).toUpper().rightJustified(4, u'0')));
    }
    QString error;
    if (!WriteFileAtomically(target, out, &error))
        return Fail(error);
    return 0;
}
