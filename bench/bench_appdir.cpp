// The per-user folder at start beside the bare cost of the same file work.
//
// A supplied tree shaped like the delivered data (script sets, template sets,
// the manual; about 70 files, 300 KB) is generated, ten times over for a
// larger release. The first start (SupplyUserAppDir into an empty folder) is
// timed against reading and writing the same files in place (no temporary
// file, no rename, no times kept); a later start with nothing to do against
// listing both trees with their sizes.

#include "AppDirSetup.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

void put(const QString &path, qsizetype size)
{
    QDir().mkpath(path.left(path.lastIndexOf(u'/')));
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(QByteArray(size, 'x'));
}

// copies: how many times the delivered shape is repeated.
void makeSupplied(const QString &src, int copies)
{
    for (int c = 0; c < copies; ++c) {
        const QString sfx = c == 0 ? QString() : QString::number(c);
        for (const char *set : {"Basic", "Wizs", "Fonts"}) {
            const QString dir = src + u"/Tools/WizDates/Olz/"_s + QLatin1String(set) + sfx;
            put(dir + u"/WizList.dat"_s, 2000);
            for (int i = 0; i < 17; ++i)
                put(dir + u"/WizDate"_s + QString::number(i) + u".dat"_s, 3500);
        }
        for (const char *kind : {"HTMLTemp", "PrjectTemp"}) {
            const QString dir = src + u"/Tools/"_s + QLatin1String(kind) + u"/Olz"_s + sfx;
            put(dir + u"/TempList.dat"_s, 300);
            for (int i = 0; i < 3; ++i)
                put(dir + u"/TempFile"_s + QString::number(i) + u".dat"_s, 2000);
        }
        for (int i = 0; i < 9; ++i)
            put(src + u"/Help"_s + sfx + u"/page"_s + QString::number(i) + u".htm"_s, 6000);
    }
    QDir().mkpath(src + u"/Tools/WizDates/User/Basic"_s);
    QDir().mkpath(src + u"/Tools/WizDates/User/Font"_s);
}

void bareCopy(const QString &src, const QString &dst)
{
    QDirIterator it(src, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString from = it.next();
        const QString to = dst + from.mid(src.size());
        QDir().mkpath(to.left(to.lastIndexOf(u'/')));
        QFile in(from);
        QFile out(to);
        if (in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly))
            out.write(in.readAll());
    }
}

qint64 bareList(const QString &dir)
{
    qint64 total = 0;
    QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += it.fileInfo().size();
    }
    return total;
}

template<typename Prepare, typename F>
double median(int runs, Prepare prepare, F f)
{
    std::vector<double> t;
    for (int r = 0; r < runs; ++r) {
        prepare(r);
        QElapsedTimer timer;
        timer.start();
        f(r);
        t.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    if (!tmp.isValid())
        return 1;
    std::printf("%-28s %10s %10s %7s\n", "work", "ms", "bare ms", "ratio");
    for (int copies : {1, 10}) {
        const QString src = tmp.path() + u"/src"_s + QString::number(copies);
        makeSupplied(src, copies);
        const int runs = 7;
        auto target = [&](const char *what, int r) -> QString {
            return tmp.path() + u'/' + QLatin1String(what) + QString::number(copies) + u'-' + QString::number(r);
        };
        int copied = 0;
        const double first = median(runs, [](int) {}, [&](int r) {
            copied = SupplyUserAppDir(src, target("user", r)).copied;
        });
        const double bareFirst = median(runs, [](int) {}, [&](int r) { bareCopy(src, target("bare", r)); });
        int again = -1;
        const double later = median(runs, [](int) {}, [&](int) { again = SupplyUserAppDir(src, target("user", 0)).copied; });
        const qint64 bytes = bareList(src);
        // The bare check lists both trees, the supplied one and the copy.
        qint64 listed = 0;
        const double bareLater = median(runs, [](int) {}, [&](int) { listed += bareList(src) + bareList(target("user", 0)); });
        std::printf("first start, %4d files     %10.2f %10.2f %7.2f\n", copied, first, bareFirst, first / bareFirst);
        std::printf("later start, %4.0f KB, %d copied %8.2f %10.2f %7.2f\n", double(bytes) / 1024, again, later,
                    bareLater, later / bareLater);
        if (listed == 0)
            return 1;
    }
    return 0;
}
