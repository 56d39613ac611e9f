#include "ChunkedText.h"

ChunkedText::ChunkedText(QStringView text)
{
    cut(text, &m_pieces);
    m_size = text.size();
}

void ChunkedText::cut(QStringView text, QList<QString> *into)
{
    const qsizetype n = (text.size() + PieceSize - 1) / PieceSize;
    if (n == 0)
        return;
    // Pieces of equal size, so that no tiny piece is left at the end.
    const qsizetype base = text.size() / n;
    qsizetype extra = text.size() % n;
    into->reserve(into->size() + n);
    qsizetype at = 0;
    for (qsizetype k = 0; k < n; ++k) {
        const qsizetype len = base + (extra > 0 ? 1 : 0);
        if (extra > 0)
            --extra;
        into->append(text.mid(at, len).toString());
        at += len;
    }
}

void ChunkedText::clear()
{
    m_pieces.clear();
    m_size = 0;
    m_hintIndex = 0;
    m_hintStart = 0;
}

qsizetype ChunkedText::locate(qsizetype pos, qsizetype *start) const
{
    if (m_pieces.isEmpty()) {
        *start = 0;
        return 0;
    }
    qsizetype i = m_hintIndex;
    qsizetype s = m_hintStart;
    if (i >= m_pieces.size()) {
        i = 0;
        s = 0;
    }
    while (pos < s) {
        --i;
        s -= m_pieces.at(i).size();
    }
    while (i + 1 < m_pieces.size() && pos >= s + m_pieces.at(i).size()) {
        s += m_pieces.at(i).size();
        ++i;
    }
    *start = s;
    return i;
}

void ChunkedText::replace(qsizetype pos, qsizetype len, QStringView text)
{
    pos = std::clamp<qsizetype>(pos, 0, m_size);
    len = std::clamp<qsizetype>(len, 0, m_size - pos);
    if (len == 0 && text.isEmpty())
        return;
    if (m_pieces.isEmpty()) {
        cut(text, &m_pieces);
        m_size = text.size();
        m_hintIndex = 0;
        m_hintStart = 0;
        return;
    }
    qsizetype start = 0;
    const qsizetype i = locate(pos, &start);
    const qsizetype off = pos - start;

    // Typing: the stretch lies in one piece, which neither empties nor
    // overfills.
    const qsizetype pieceSize = m_pieces.at(i).size();
    const qsizetype after = pieceSize - len + text.size();
    if (off + len <= pieceSize && after > 0 && after <= MaxPiece) {
        m_pieces[i].replace(off, len, text.data(), text.size());
        m_size += text.size() - len;
        m_hintIndex = i;
        m_hintStart = start;
        return;
    }

    // Otherwise the pieces the stretch touches are joined with the new text
    // and cut again; a short result takes a neighbour along, so that pieces
    // do not dwindle.
    const qsizetype end = pos + len;
    qsizetype j = i;
    qsizetype jStart = start;
    while (j + 1 < m_pieces.size() && jStart + m_pieces.at(j).size() < end) {
        jStart += m_pieces.at(j).size();
        ++j;
    }
    const qsizetype suffix = jStart + m_pieces.at(j).size() - end;
    qsizetype first = i;
    qsizetype last = j;
    qsizetype firstStart = start;
    const qsizetype joinedSize = off + text.size() + suffix;
    if (joinedSize < PieceSize / 2) {
        if (first > 0) {
            --first;
            firstStart -= m_pieces.at(first).size();
        } else if (last + 1 < m_pieces.size()) {
            ++last;
        }
    }
    QString joined;
    joined.reserve(joinedSize + (first < i ? m_pieces.at(first).size() : 0)
                   + (last > j ? m_pieces.at(last).size() : 0));
    if (first < i)
        joined += m_pieces.at(first);
    joined += QStringView(m_pieces.at(i)).left(off);
    joined += text;
    joined += QStringView(m_pieces.at(j)).mid(end - jStart);
    if (last > j)
        joined += m_pieces.at(last);

    QList<QString> fresh;
    cut(joined, &fresh);
    m_pieces.remove(first, last - first + 1);
    m_pieces.insert(first, fresh.size(), QString());
    for (qsizetype k = 0; k < fresh.size(); ++k)
        m_pieces[first + k] = std::move(fresh[k]);
    m_size += text.size() - len;

    if (m_pieces.isEmpty()) {
        m_hintIndex = 0;
        m_hintStart = 0;
    } else if (first < m_pieces.size()) {
        m_hintIndex = first;
        m_hintStart = firstStart;
    } else {
        m_hintIndex = m_pieces.size() - 1;
        m_hintStart = m_size - m_pieces.last().size();
    }
}

QString ChunkedText::toString() const
{
    QString out;
    out.reserve(m_size);
    for (const QString &piece : m_pieces)
        out += piece;
    return out;
}

QString ChunkedText::mid(qsizetype pos, qsizetype len) const
{
    QString out;
    forEachPiece(pos, len, [&out](QStringView piece) {
        out += piece;
        return true;
    });
    return out;
}

QChar ChunkedText::at(qsizetype pos) const
{
    if (pos < 0 || pos >= m_size)
        return QChar();
    qsizetype start = 0;
    const qsizetype i = locate(pos, &start);
    return m_pieces.at(i).at(pos - start);
}

bool ChunkedText::operator==(QStringView s) const
{
    if (s.size() != m_size)
        return false;
    qsizetype at = 0;
    bool same = true;
    forEachPiece(0, m_size, [&](QStringView piece) {
        same = piece == s.mid(at, piece.size());
        at += piece.size();
        return same;
    });
    return same;
}

bool ChunkedText::operator==(const ChunkedText &o) const
{
    if (o.m_size != m_size)
        return false;
    qsizetype at = 0;
    bool same = true;
    forEachPiece(0, m_size, [&](QStringView piece) {
        const qsizetype n = piece.size();
        o.forEachPiece(at, n, [&](QStringView other) {
            same = piece.left(other.size()) == other;
            piece = piece.mid(other.size());
            return same;
        });
        at += n;
        return same;
    });
    return same;
}
