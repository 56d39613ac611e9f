#pragma once

#include <QRandomGenerator>

// One to four random edits of a file's text, as a damaged or hand-edited file
// would have them: a character replaced or inserted (from alphabet), a few
// removed, or a short run repeated. Works on QString and QByteArray.
template<typename Text>
Text Mutate(Text s, const Text &alphabet, QRandomGenerator &rng)
{
    const int edits = 1 + int(rng.bounded(4));
    for (int e = 0; e < edits; ++e) {
        const qsizetype pos = s.isEmpty() ? 0 : qsizetype(rng.bounded(quint32(s.size())));
        const auto c = alphabet.at(qsizetype(rng.bounded(quint32(alphabet.size()))));
        switch (rng.bounded(4)) {
        case 0: if (!s.isEmpty()) s[pos] = c; break;
        case 1: s.insert(pos, c); break;
        case 2: if (!s.isEmpty()) s.remove(pos, 1 + qsizetype(rng.bounded(3))); break;
        default: s.insert(pos, s.mid(pos, qsizetype(rng.bounded(12)))); break;
        }
    }
    return s;
}
