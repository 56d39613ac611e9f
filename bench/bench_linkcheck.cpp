// The link check of a 1,000-page project: pages of about 20 KB of Japanese
// text and markup, each with 60 links (pages, pictures, other files, places,
// outside addresses; one link in twenty wrong), beside the bare cost of one
// pass over the same text (counting its "<"). Prints the median of several
// runs; the goal is under 1 s. Then one page whose href is a million "&"
// without ";", beside a pass counting its "&": the goal is under 100 ms.
#include "LinkCheck.h"
#include "BenchSupport.h"


#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr int Pages = 1000;
constexpr int LinksPerPage = 60;
constexpr qsizetype PageSize = 20 * 1024;

ProjectDates MakeProject()
{
    ProjectDates p;
    for (int i = 0; i < 100; ++i)
        AddPictDat(p, u"画像%1"_s.arg(i), u"picure%1"_s.arg(i), u"/src/p.gif"_s, u".gif"_s);
    for (int i = 0; i < 50; ++i)
        AddElseFileDat(p, u"ファイル%1"_s.arg(i), u"file%1"_s.arg(i), u"/src/f.pdf"_s, u".pdf"_s);
    const QString filler = u"<p>本文のテキストです。ここには説明が入ります。abc def</p>\r\n"_s;
    for (int i = 0; i < Pages; ++i) {
        QString page = u"<html>\r\n<head><title>ページ</title></head>\r\n<body>\r\n<a name=\"top%1\"></a>\r\n"_s.arg(i);
        const qsizetype chunk = (PageSize - page.size()) / LinksPerPage;
        for (int k = 0; k < LinksPerPage; ++k) {
            const int n = (i * 7 + k * 13) % Pages;
            switch (k % 6) {
            case 0: page += u"<a href=\"html%1.htm\">次へ</a>\r\n"_s.arg(n); break;
            case 1: page += u"<img src=\"picure%1.gif\" alt=\"絵\">\r\n"_s.arg(k % 100); break;
            case 2: page += u"<a href=\"file%1.pdf\">資料</a>\r\n"_s.arg(k % 50); break;
            case 3: page += u"<a href=\"html%1.htm#top%1\">上へ</a>\r\n"_s.arg(n); break;
            case 4: page += u"<a href=\"http://example.com/%1\">外</a>\r\n"_s.arg(k); break;
            default:
                // One link in twenty is wrong.
                page += (k % 20 == 5) ? u"<a href=\"Html%1.htm\">誤り</a>\r\n"_s.arg(n)
                                      : u"<a href=\"#top%1\">先頭</a>\r\n"_s.arg(i);
                break;
            }
            const qsizetype target = page.size() + chunk;
            while (page.size() < target)
                page += filler;
        }
        page += u"</body>\r\n</html>"_s;
        AddHtmlDat(p, u"ページ%1"_s.arg(i), u"html%1"_s.arg(i), page, u".htm"_s);
    }
    return p;
}

} // namespace

int main()
{
    const ProjectDates p = MakeProject();
    qsizetype chars = 0;
    for (const HtmlDat &h : p.Html)
        chars += h.HtmlStr.size();
    int issues = 0;
    const double checkMs = bench::MedianMs(7, [&] { issues = int(CheckLinks(p).size()); });
    qsizetype lt = 0;
    const double bareMs = bench::MedianMs(7, [&] {
        lt = 0;
        for (const HtmlDat &h : p.Html)
            lt += h.HtmlStr.count(u'<');
    });
    std::printf("link check of %d pages (%lld characters, %d links each), %lld pictures, %lld other files, median of 7\n",
                Pages, static_cast<long long>(chars), LinksPerPage, static_cast<long long>(p.Pict.size()),
                static_cast<long long>(p.ElseFile.size()));
    std::printf("CheckLinks %8.1f ms (%d problems) | bare pass over the text %6.1f ms (%lld '<') | ratio %5.1f | "
                "goal under 1000 ms: %s\n",
                checkMs, issues, bareMs, static_cast<long long>(lt), checkMs / bareMs, checkMs < 1000 ? "met" : "MISSED");

    ProjectDates amps;
    AddHtmlDat(amps, u"アンド"_s, u"amp"_s, u"<a href=\""_s + QString(1'000'000, u'&') + u"\">"_s, u".htm"_s);
    int ampIssues = 0;
    const double ampMs = bench::MedianMs(7, [&] { ampIssues = int(CheckLinks(amps).size()); });
    qsizetype ampCount = 0;
    const double ampBareMs = bench::MedianMs(7, [&] { ampCount = amps.Html.first().HtmlStr.count(u'&'); });
    std::printf("CheckLinks of one href of %lld '&' %8.2f ms (%d problems) | bare pass %6.2f ms | ratio %5.1f | "
                "goal under 100 ms: %s\n",
                static_cast<long long>(ampCount), ampMs, ampIssues, ampBareMs, ampMs / ampBareMs,
                ampMs < 100 ? "met" : "MISSED");
    return checkMs < 1000 && ampMs < 100 ? 0 : 1;
}
