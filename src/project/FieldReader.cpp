#include "FieldReader.h"

using namespace Qt::StringLiterals;

FieldReader::FieldReader(QString text)
    : m_text(std::move(text))
{
}

static bool isLineEnd(QChar c)
{
    return c == u'\r' || c == u'\n';
}

void FieldReader::skipLineEnd()
{
    if (m_pos < m_text.size() && m_text.at(m_pos) == u'\r')
        ++m_pos;
    if (m_pos < m_text.size() && m_text.at(m_pos) == u'\n')
        ++m_pos;
}

std::optional<QString> FieldReader::readField()
{
    const qsizetype n = m_text.size();
    // Blanks before a field are skipped; a line end right there ends an
    // empty field.
    while (m_pos < n && (m_text.at(m_pos) == u' ' || m_text.at(m_pos) == u'\t'))
        ++m_pos;
    if (m_pos >= n)
        return std::nullopt;

    QString field;
    if (m_text.at(m_pos) == u'"') {
        const qsizetype close = m_text.indexOf(u'"', m_pos + 1);
        const qsizetype end = close < 0 ? n : close;
        field = m_text.mid(m_pos + 1, end - m_pos - 1);
        m_pos = close < 0 ? n : close + 1;
        // Whatever stands between the closing quote and the delimiter is dropped.
        while (m_pos < n && m_text.at(m_pos) != u',' && !isLineEnd(m_text.at(m_pos)))
            ++m_pos;
    } else {
        const qsizetype start = m_pos;
        while (m_pos < n && m_text.at(m_pos) != u',' && !isLineEnd(m_text.at(m_pos)))
            ++m_pos;
        field = m_text.mid(start, m_pos - start);
    }
    if (m_pos < n) {
        if (m_text.at(m_pos) == u',')
            ++m_pos;
        else
            skipLineEnd();
    }
    return field;
}

std::optional<qint16> FieldReader::toInt16(QStringView field)
{
    const QStringView t = field.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const int v = t.toInt(&ok, 10);
    if (!ok || v < -32768 || v > 32767)
        return std::nullopt;
    return qint16(v);
}

std::optional<qint16> FieldReader::readInt16()
{
    const std::optional<QString> f = readField();
    if (!f)
        return std::nullopt;
    return toInt16(*f);
}

std::optional<QString> FieldReader::readLine()
{
    const qsizetype n = m_text.size();
    if (m_pos >= n)
        return std::nullopt;
    const qsizetype start = m_pos;
    while (m_pos < n && !isLineEnd(m_text.at(m_pos)))
        ++m_pos;
    QString line = m_text.mid(start, m_pos - start);
    skipLineEnd();
    return line;
}

QString FieldReader::readLinesUntil(QStringView endLine, bool *found)
{
    *found = false;
    const qsizetype n = m_text.size();
    qsizetype first = -1;     // start of the first non-empty line
    qsizetype last = -1;      // end of the last line read (before its line end)
    bool onlyCrLf = true;     // every line end in between is CR LF
    while (m_pos < n) {
        const qsizetype start = m_pos;
        qsizetype end = start;
        while (end < n && !isLineEnd(m_text.at(end)))
            ++end;
        m_pos = end;
        skipLineEnd();
        const QStringView line = QStringView(m_text).mid(start, end - start);
        if (line == endLine) {
            *found = true;
            break;
        }
        if (first < 0 && line.isEmpty())
            continue;
        if (first < 0)
            first = start;
        if (last >= 0 && !(m_text.at(last) == u'\r' && last + 1 < n && m_text.at(last + 1) == u'\n'))
            onlyCrLf = false;
        last = end;
    }
    if (first < 0)
        return QString();
    const QString block = m_text.mid(first, last - first);
    if (onlyCrLf)
        return block;
    // Other line ends inside the block become CR LF.
    QString out = block;
    out.replace(u"\r\n"_s, u"\n"_s);
    out.replace(u'\r', u'\n');
    out.replace(u"\n"_s, u"\r\n"_s);
    return out;
}
