// Registering a template into a user set of 500 templates, beside the bare
// cost of the same work: writing one template file and the list file with the
// same atomic, synced writer. Also shown: what rewriting every template on
// each registration would cost, and deleting a template from the middle of
// the set (which moves the 250 templates above it down by one).

#include "AppPaths.h"
#include "Cp932.h"
#include "HinagataEdit.h"
#include "TextFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int SetSize = 500;

QString pageText(int i)
{
    QString page = QStringLiteral("<html>\r\n<head>\r\n<title>雛型%1</title>\r\n</head>\r\n<body>\r\n").arg(i);
    while (page.size() < 3000)
        page += QStringLiteral("<p>ようこそ、わたしのホームページへ。This is a line of a template.</p>\r\n");
    return page + QStringLiteral("</body>\r\n</html>");
}

template<typename F>
double medianOf(int runs, F f)
{
    std::vector<double> t;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer timer;
        timer.start();
        f();
        t.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

void check(bool ok, const char *what)
{
    if (!ok)
        qFatal("%s failed", what);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    check(dir.isValid(), "temporary folder");
    SetAppDir(dir.path());

    const QString page = pageText(0);
    for (int i = 0; i < SetSize; ++i)
        check(AddHinagata(true, QStringLiteral("雛型%1").arg(i), QStringLiteral("説明%1").arg(i), page), "fill");
    const QString folder = HinagataFolder(true, true);
    const int runs = 15;

    // Register a 501st template; delete it again (not timed) to keep 500.
    // The bare work is one template file and the list through the same
    // writer; the two are timed in turn so that both see the same disk.
    const QString bareDir = dir.path() + QStringLiteral("/bare");
    QDir().mkpath(bareDir);
    const QByteArray templateBytes = EncodeHinagataText(true, page);
    const QString listText = TempListText(ReadTempList(folder)) + QStringLiteral(",新しい雛型,説明\r\n");
    QElapsedTimer clock;
    std::vector<double> adds, bares;
    for (int r = 0; r < runs; ++r) {
        clock.start();
        check(AddHinagata(true, QStringLiteral("新しい雛型"), QStringLiteral("説明"), page), "register");
        adds.push_back(clock.nsecsElapsed() / 1e6);
        check(DelHinagata(true, SetSize), "delete last");
        clock.start();
        check(WriteFileAtomically(bareDir + QStringLiteral("/TempFile500.dat"), templateBytes), "bare template");
        check(WriteCp932File(bareDir + QStringLiteral("/TempList.dat"), listText), "bare list");
        bares.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::sort(adds.begin(), adds.end());
    std::sort(bares.begin(), bares.end());
    const double add = adds[adds.size() / 2];
    const double bare = bares[bares.size() / 2];

    // Rewriting every template on each registration, for comparison.
    const double rewriteAll = medianOf(3, [&] {
        for (int i = 0; i <= SetSize; ++i)
            check(WriteFileAtomically(bareDir + QStringLiteral("/TempFile%1.dat").arg(i), templateBytes), "rewrite");
        check(WriteCp932File(bareDir + QStringLiteral("/TempList.dat"), listText), "rewrite list");
    });

    // Deleting template 250 of 500 (and registering it again, not timed).
    std::vector<double> dels;
    for (int r = 0; r < 3; ++r) {
        clock.start();
        check(DelHinagata(true, SetSize / 2), "delete middle");
        dels.push_back(clock.nsecsElapsed() / 1e6);
        check(AddHinagata(true, QStringLiteral("戻した雛型"), QStringLiteral("説明"), page), "register again");
    }
    std::sort(dels.begin(), dels.end());
    const double barePerFile = bare / 2;

    std::printf("Template store, user set of %d page templates of %lld bytes each (median)\n", SetSize,
                static_cast<long long>(templateBytes.size()));
    std::printf("  register one template      %8.2f ms\n", add);
    std::printf("  bare: one file + the list  %8.2f ms   ratio %.2f\n", bare, add / bare);
    std::printf("  rewriting all %d + list   %8.2f ms   (%.0fx the registration)\n", SetSize + 1, rewriteAll,
                rewriteAll / add);
    std::printf("  delete template %d        %8.2f ms   (%d files moved; bare %d writes ~ %.2f ms)\n", SetSize / 2,
                dels[dels.size() / 2], SetSize / 2, SetSize / 2 + 1, barePerFile * (SetSize / 2 + 1));
    return 0;
}
