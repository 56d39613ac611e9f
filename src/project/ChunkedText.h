#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <algorithm>

// A text held in pieces of a few thousand characters. Replacing a short
// stretch costs the size of one piece, not of the whole text, and a copy
// shares the pieces (each is an implicitly shared QString), so a copy of a
// page of many megabytes is taken in microseconds and may be read on another
// thread while the original goes on changing.
class ChunkedText
{
public:
    ChunkedText() = default;
    explicit ChunkedText(QStringView text);

    qsizetype size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }

    // Replaces len characters at pos by text; pos and len are clamped to the
    // text.
    void replace(qsizetype pos, qsizetype len, QStringView text);
    void clear();

    QString toString() const;
    QString mid(qsizetype pos, qsizetype len) const;
    // The character at pos; a null character outside the text.
    QChar at(qsizetype pos) const;

    // Calls f(QStringView) for the pieces of [pos, pos + len) in order while
    // f returns true.
    template<typename F>
    void forEachPiece(qsizetype pos, qsizetype len, F f) const;

    // Same characters (the cut into pieces does not count).
    bool operator==(const ChunkedText &o) const;
    bool operator!=(const ChunkedText &o) const { return !(*this == o); }
    bool operator==(QStringView s) const;

    // Pieces are cut to this size and never grow beyond twice of it.
    static constexpr qsizetype PieceSize = 4096;
    static constexpr qsizetype MaxPiece = 2 * PieceSize;

    qsizetype pieceCount() const { return m_pieces.size(); }

private:
    // Index of the piece that holds pos (the last piece for pos == size())
    // and that piece's start.
    qsizetype locate(qsizetype pos, qsizetype *start) const;
    static void cut(QStringView text, QList<QString> *into);

    QList<QString> m_pieces; // never an empty piece
    qsizetype m_size = 0;
    // Where the last edit was: typing edits one place over and over.
    qsizetype m_hintIndex = 0;
    qsizetype m_hintStart = 0;
};

template<typename F>
void ChunkedText::forEachPiece(qsizetype pos, qsizetype len, F f) const
{
    if (pos < 0)
        pos = 0;
    if (pos >= m_size || len <= 0)
        return;
    if (len > m_size - pos)
        len = m_size - pos;
    qsizetype start = 0;
    for (qsizetype i = locate(pos, &start); i < m_pieces.size() && len > 0; ++i) {
        const QString &piece = m_pieces.at(i);
        const qsizetype off = pos - start;
        const qsizetype n = std::min(piece.size() - off, len);
        if (!f(QStringView(piece).mid(off, n)))
            return;
        len -= n;
        pos += n;
        start += piece.size();
    }
}
