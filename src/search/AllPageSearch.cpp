#include "AllPageSearch.h"

#include "KensakuMod.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdint>
#include <limits>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

qsizetype CountLineBreaks(QStringView text)
{
    const char16_t *p = text.utf16();
    const qsizetype n = text.size();
    qsizetype count = 0;
    qsizetype i = 0;
#ifdef __SSE2__
    // Eight characters at a time: every line feed adds one to its lane.
    const __m128i lf = _mm_set1_epi16(short(u'\n'));
    while (i + 8 <= n) {
        // A lane counts at most 32767, so that it stays a positive 16-bit number.
        const qsizetype blocks = std::min<qsizetype>((n - i) / 8, 32767);
        __m128i lanes = _mm_setzero_si128();
        for (qsizetype b = 0; b < blocks; ++b, i += 8) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
            lanes = _mm_sub_epi16(lanes, _mm_cmpeq_epi16(v, lf));
        }
        alignas(16) int32_t sums[4];
        _mm_store_si128(reinterpret_cast<__m128i *>(sums), _mm_madd_epi16(lanes, _mm_set1_epi16(1)));
        count += qsizetype(sums[0]) + sums[1] + sums[2] + sums[3];
    }
#endif
    for (; i < n; ++i)
        count += p[i] == u'\n';
    return count;
}

AllPageSearch::AllPageSearch(const QStringList &pages, const QString &text, qsizetype maxHits)
    : m_pages(pages)
    , m_text(text)
    , m_maxHits(maxHits)
{
    // An empty text finds nothing.
    if (m_text.isEmpty())
        m_page = int(m_pages.size());
}

bool AllPageSearch::step(QVector<PageHit> *out, qint64 budgetNs)
{
    QElapsedTimer timer;
    timer.start();
    int rounds = 0;
    while (m_page < m_pages.size()) {
        const QString &page = m_pages.at(m_page);
        const qsizetype at = page.indexOf(m_text, m_from, Qt::CaseSensitive);
        if (at < 0) {
            ++m_page;
            m_from = 0;
            m_line = 1;
            m_counted = 0;
        } else {
            m_line += int(CountLineBreaks(QStringView(page).sliced(m_counted, at - m_counted)));
            m_counted = at;
            out->append({m_page, m_line, at});
            m_from = at + 1;
            if (m_maxHits >= 0 && ++m_hits >= m_maxHits) {
                m_capped = true;
                m_page = int(m_pages.size());
                break;
            }
        }
        // The clock is read now and then, not on every hit.
        if ((++rounds & 63) == 0 && timer.nsecsElapsed() >= budgetNs)
            break;
    }
    return finished();
}

QVector<PageHit> FindInAllPages(const QStringList &pages, const QString &text)
{
    QVector<PageHit> hits;
    AllPageSearch search(pages, text);
    while (!search.step(&hits, std::numeric_limits<qint64>::max())) {
    }
    return hits;
}

HitLine HitLineOf(const QString &page, qsizetype pos, qsizetype length, int maxChars)
{
    HitLine r;
    if (pos < 0 || pos > page.size())
        return r;
    length = qMin(length, page.size() - pos);
    qsizetype begin = pos == 0 ? 0 : page.lastIndexOf(u'\n', pos - 1) + 1;
    qsizetype end = page.indexOf(u'\n', pos + length);
    if (end < 0)
        end = page.size();
    if (end > begin && page.at(end - 1) == u'\r' && end - 1 >= pos + length)
        --end;
    // Leading blanks and tabs say nothing in a list.
    while (begin < pos && (page.at(begin) == u' ' || page.at(begin) == u'\t' || page.at(begin) == QChar(0x3000)))
        ++begin;

    qsizetype from = begin;
    qsizetype to = end;
    if (to - from > maxChars) {
        // Some text before the hit, the rest after it.
        const qsizetype before = qMin<qsizetype>(pos - from, maxChars / 4);
        from = pos - before;
        to = qMin(end, qMax(from + maxChars, pos + length));
    }
    QString text = page.mid(from, to - from);
    qsizetype start = pos - from;
    for (QChar &c : text) {
        if (c == u'\t' || c == u'\r' || c == u'\n')
            c = u' ';
    }
    if (from > begin) {
        text.prepend(QChar(0x2026));
        ++start;
    }
    if (to < end)
        text.append(QChar(0x2026));
    r.text = text;
    r.start = start;
    r.length = length;
    return r;
}

AllPagesTikan TikanAllPages(const QStringList &pages, const QString &find, const QString &repl)
{
    AllPagesTikan r;
    if (find.isEmpty())
        return r;
    for (int i = 0; i < pages.size(); ++i) {
        if (!pages.at(i).contains(find))
            continue;
        TikanAllResult t = TikanAll(pages.at(i), find, repl);
        if (t.count == 0)
            continue;
        r.pages.append(i);
        r.texts.append(std::move(t.text));
        r.counts.append(t.count);
        r.hits += t.count;
    }
    return r;
}
