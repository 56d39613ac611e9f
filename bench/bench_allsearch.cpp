// Searching all pages: 1,000 pages of 20 KB of Japanese text and markup, for
// a word with five hits per page, a word with a hit in every line, and a word
// found nowhere; beside the bare cost of the same search with Qt's own
// QString::indexOf (no lines, no list). In the widget build also the search
// window, from "検索" to the last row listed. Prints the median of several
// runs; the goal is under 100 ms.
#include "AllPageSearch.h"
#include "BenchSupport.h"

#ifdef QV_BENCH_WINDOW
#include "KensakuAllFrm.h"

#include <QApplication>
#include <QEventLoop>
#include <QLineEdit>
#endif


#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr int Pages = 1000;
constexpr qsizetype PageSize = 20 * 1024;

QStringList MakePages()
{
    const QString line = u"<p>本文のテキストです。ここには説明が入ります。abc def ghi</p>\r\n"_s;
    QStringList pages;
    for (int i = 0; i < Pages; ++i) {
        QString page;
        page.reserve(PageSize + 64);
        int k = 0;
        while (page.size() < PageSize) {
            page += line;
            // Five hits of the word in every page.
            if (++k % 70 == 0)
                page += u"<b>お知らせ</b>\r\n"_s;
        }
        pages.append(page);
    }
    return pages;
}

} // namespace

int main(int argc, char **argv)
{
#ifdef QV_BENCH_WINDOW
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
#else
    Q_UNUSED(argc);
    Q_UNUSED(argv);
#endif
    const QStringList pages = MakePages();
    qsizetype chars = 0;
    for (const QString &p : pages)
        chars += p.size();
    std::printf("search of %d pages (%lld characters), median of 9\n", Pages, static_cast<long long>(chars));
    bool met = true;
    for (const QString &word : {u"お知らせ"_s, u"説明"_s, u"見つからない"_s}) {
        qsizetype hits = 0;
        const double searchMs = bench::MedianMs(9, [&] { hits = FindInAllPages(pages, word).size(); });
        qsizetype bare = 0;
        const double bareMs = bench::MedianMs(9, [&] {
            bare = 0;
            for (const QString &p : pages) {
                for (qsizetype at = p.indexOf(word); at >= 0; at = p.indexOf(word, at + 1))
                    ++bare;
            }
        });
        met = met && searchMs < 100;
        std::printf("\"%s\": FindInAllPages %7.1f ms (%lld hits) | bare QString::indexOf %7.1f ms (%lld) | ratio %4.2f\n",
                    word.toUtf8().constData(), searchMs, static_cast<long long>(hits), bareMs,
                    static_cast<long long>(bare), searchMs / bareMs);
    }
#ifdef QV_BENCH_WINDOW
    // The window: every slice, the list filled as it goes, until the end.
    KensakuAllFrm window;
    window.resize(720, 360);
    window.show();
    QStringList names;
    for (int i = 0; i < Pages; ++i)
        names.append(u"ページ%1"_s.arg(i));
    for (const QString &word : {u"お知らせ"_s, u"説明"_s}) {
        window.findChild<QLineEdit *>(u"Text1"_s)->setText(word);
        const double windowMs = bench::MedianMs(5, [&] {
            QEventLoop loop;
            QObject::connect(&window, &KensakuAllFrm::searchFinished, &loop, &QEventLoop::quit);
            window.startSearch(pages, names);
            if (window.searching())
                loop.exec();
        });
        std::printf("\"%s\": search window, start to last row listed %7.1f ms (%lld rows)\n", word.toUtf8().constData(),
                    windowMs, static_cast<long long>(window.hits().size()));
    }
#endif
    std::printf("goal under 100 ms for the search: %s\n", met ? "met" : "MISSED");
    return met ? 0 : 1;
}
