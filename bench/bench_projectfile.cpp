// Loading and saving a large project beside the bare cost of the same bytes.
//
// A project of N pages of about 20 KB of Japanese and ASCII text is generated;
// LoadProjectFile is timed against reading and decoding the same file, and
// MakeProjectText plus the write against encoding and writing the same text.

#include "Cp932.h"
#include "ProjectFile.h"
#include "TextFiles.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

ProjectDates makeProject(int pages)
{
    ProjectDates p;
    QString line = QStringLiteral("<p>ようこそ、Quorvel のページへ。This is a sample line of text ～①②③ 髙橋.</p>");
    QString page;
    while (page.size() < 16000) // about 20 KB in code page 932
        page += line + u"\r\n";
    for (int i = 0; i < pages; ++i)
        AddHtmlDat(p, QStringLiteral("ページ%1").arg(i), QStringLiteral("page%1").arg(i), page, QStringLiteral(".htm"));
    for (int i = 0; i < 50; ++i)
        AddPictDat(p, QStringLiteral("画像%1").arg(i), QStringLiteral("pic%1").arg(i), QStringLiteral("/srv/pic%1.gif").arg(i),
                   QStringLiteral(".gif"));
    return p;
}

template<typename F>
double bestOf(int runs, F f)
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

struct Figures
{
    double load, bareRead, save, bareWrite, bareSyncedWrite;
    qint64 bytes;
};

Figures measure(const QString &dir, int pages)
{
    const ProjectDates p = makeProject(pages);
    const QString path = dir + QStringLiteral("/bench.hpf");
    QString error;
    if (!SaveProjectFile(path, p, &error))
        qFatal("cannot write %s", qPrintable(error));
    Figures f{};
    f.bytes = QFileInfo(path).size();
    f.load = bestOf(5, [&] {
        ProjectDates q;
        if (LoadProjectFile(path, q) != 0)
            qFatal("load failed");
    });
    f.bareRead = bestOf(5, [&] {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        const QString s = Cp932::decode(file.readAll());
        if (s.isEmpty())
            qFatal("empty");
    });
    const QString text = MakeProjectText(p) + u"\r\n";
    f.save = bestOf(5, [&] {
        if (!SaveProjectFile(path, p, &error))
            qFatal("save failed");
    });
    f.bareWrite = bestOf(5, [&] {
        QByteArray bytes;
        Cp932::encode(text, &bytes);
        QFile file(dir + QStringLiteral("/bare.bin"));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(bytes);
    });
    // The writer syncs the new file to disk before renaming it over the old
    // one; the same bytes written that way are the fair bare cost of a safe save.
    f.bareSyncedWrite = bestOf(5, [&] {
        QByteArray bytes;
        Cp932::encode(text, &bytes);
        QSaveFile file(dir + QStringLiteral("/bare.bin"));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        file.commit();
    });
    return f;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const Figures one = measure(dir.path(), 1000);
    const Figures four = measure(dir.path(), 4000);
    std::printf("project of 1000 pages: %.1f MB\n", one.bytes / 1e6);
    std::printf("LoadProjectFile        %8.1f ms   bare read+decode %8.1f ms   ratio %.2f\n", one.load, one.bareRead,
                one.load / one.bareRead);
    std::printf("MakeProjectText+write  %8.1f ms   bare encode+write %7.1f ms   ratio %.2f\n", one.save, one.bareWrite,
                one.save / one.bareWrite);
    std::printf("                                  bare encode+synced write %6.1f ms   ratio %.2f\n",
                one.bareSyncedWrite, one.save / one.bareSyncedWrite);
    std::printf("4000 pages: load %.1f ms (%.2fx of 1000 pages), save %.1f ms (%.2fx)\n", four.load,
                four.load / one.load, four.save, four.save / one.save);
    return 0;
}
