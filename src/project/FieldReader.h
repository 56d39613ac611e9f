#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Reads comma-delimited fields and whole lines from a decoded text, as the
// program's file formats are read: blanks before a field are skipped; a field
// ends at the next comma or at the end of the line, and the delimiter is
// consumed; a field that begins with a double quote runs to the next double
// quote (the quotes are dropped, and what follows up to the delimiter is
// skipped). Line ends are CR LF, a lone LF or a lone CR.
class FieldReader
{
public:
    explicit FieldReader(QString text);

    // Reads one field. std::nullopt at the end of the text.
    std::optional<QString> readField();

    // Reads one field and converts it to a 16-bit signed integer (decimal
    // digits with an optional sign; blanks around it are allowed). std::nullopt
    // at the end of the text, or when the field is not such a number.
    std::optional<qint16> readInt16();

    // Reads the rest of the current line, without its line end. std::nullopt at
    // the end of the text.
    std::optional<QString> readLine();

    // Reads whole lines up to a line equal to endLine (consumed, not returned)
    // and returns them joined by CR LF. Empty lines before the first non-empty
    // line are dropped. *found tells whether endLine was reached before the end
    // of the text.
    QString readLinesUntil(QStringView endLine, bool *found);

    bool atEnd() const { return m_pos >= m_text.size(); }
    qsizetype position() const { return m_pos; }

    // Converts a field to a 16-bit signed integer as readInt16 does.
    static std::optional<qint16> toInt16(QStringView field);

private:
    void skipLineEnd();

    QString m_text;
    qsizetype m_pos = 0;
};
