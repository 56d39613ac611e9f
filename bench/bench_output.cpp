// Writing a project out beside the bare cost of plain file copies.
//
// A project of 1,000 pages of about 20 KB (20 MB in code page 932) and 200
// pictures of 500 KB is written into a fresh folder with SyuturyokuAllInto;
// the bare cost copies the same bytes (the pages already encoded) with
// QFile::copy into a fresh folder. Overwrite (remove the old folder, write
// again) is timed as well, and the same output with every page converted to
// UTF-8 (the pages have no head, so each is scanned to its end for one).

#include "AppPaths.h"
#include "SyuturyokuMod.h"
#include "TextFiles.h"
#include "Utf8Output.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

constexpr int Pages = 1000;
constexpr int Pictures = 200;
constexpr int PictureBytes = 500 * 1024;

ProjectDates makeProject(const QString &srcDir)
{
    ProjectDates p;
    const QString line = QStringLiteral("<p>ようこそ、Quorvel のページへ。This is a sample line of text ～①②③ 髙橋.</p>");
    QString page;
    while (page.size() < 16000) // about 20 KB in code page 932
        page += line + u"\r\n";
    for (int i = 0; i < Pages; ++i)
        AddHtmlDat(p, QStringLiteral("ページ%1").arg(i), QStringLiteral("page%1").arg(i), page + QString::number(i),
                   QStringLiteral(".htm"));
    QByteArray bytes(PictureBytes, Qt::Uninitialized);
    for (int i = 0; i < Pictures; ++i) {
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
        const QString path = srcDir + QStringLiteral("/pic%1.jpg").arg(i);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write the pictures");
        AddPictDat(p, QStringLiteral("画像%1").arg(i), QStringLiteral("pic%1").arg(i), path, QStringLiteral(".jpg"));
    }
    return p;
}

double median(std::vector<double> t)
{
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

// Times one run after prepare; the disk is flushed first so that no run pays
// for the writes of the one before.
double timed(const std::function<void()> &prepare, const std::function<void()> &run)
{
    prepare();
#ifdef Q_OS_UNIX
    ::sync();
#endif
    QElapsedTimer timer;
    timer.start();
    run();
    return double(timer.nsecsElapsed()) / 1e6;
}

void fresh(const QString &folder)
{
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    SetAppDir(dir.path() + QStringLiteral("/app"));
    // The trash lives on the same disk, as a desktop's trash in the home folder does.
    QDir().mkpath(dir.path() + QStringLiteral("/share"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.path() + QStringLiteral("/share")));
    const QString src = dir.path() + QStringLiteral("/src");
    const QString encoded = dir.path() + QStringLiteral("/encoded");
    QDir().mkpath(src);
    QDir().mkpath(encoded);
    const ProjectDates p = makeProject(src);

    // The pages as the writer encodes them, for the bare copies.
    qint64 pageBytes = 0;
    for (int i = 0; i < Pages; ++i) {
        const QByteArray bytes = EncodePageFile(p.Html.at(i).HtmlStr);
        pageBytes += bytes.size();
        QFile f(encoded + u'/' + p.Html.at(i).outputName());
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            return 1;
    }

    const QString out = dir.path() + QStringLiteral("/out");
    const int runs = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 5;

    const auto bareRun = [&] {
        for (int i = 0; i < Pages; ++i) {
            const QString name = p.Html.at(i).outputName();
            QFile::copy(encoded + u'/' + name, out + u'/' + name);
        }
        for (int i = 0; i < Pictures; ++i)
            QFile::copy(p.Pict.at(i).FilePath, out + u'/' + p.Pict.at(i).outputName());
    };
    SyuturyokuReport report;
    const auto outputRun = [&] { report = SyuturyokuAllInto(p, out); };
    SyuturyokuReport utf8Report;
    const auto utf8Run = [&] { utf8Report = SyuturyokuAllInto(p, out, {OutputCharset::Utf8}); };
    // Overwrite into a folder holding the previous output (its removal included).
    ProjectDates q = p;
    q.SyuturyokuFolder = out;
    const auto overwriteRun = [&] {
        const UwagakiReport r = Uwagaki(q, [](const QStringList &) { return true; });
        if (!r.output.ok())
            qFatal("overwrite failed");
    };

    // The three are interleaved so that a busy machine slows them alike.
    std::vector<double> bareT, outputT, overwriteT, utf8T;
    for (int r = 0; r < runs; ++r) {
        bareT.push_back(timed([&] { fresh(out); }, bareRun));
        outputT.push_back(timed([&] { fresh(out); }, outputRun));
        if (!report.ok() || report.written != Pages + Pictures) {
            std::fprintf(stderr, "output failed: %s\n", qPrintable(SyuturyokuFailMessage(report)));
            return 1;
        }
        overwriteT.push_back(timed([] {}, overwriteRun));
        utf8T.push_back(timed([&] { fresh(out); }, utf8Run));
        if (!utf8Report.ok() || utf8Report.written != Pages + Pictures)
            qFatal("UTF-8 output failed");
    }
    // The same split into pages and pictures, to show where the cost lies.
    ProjectDates pagesOnly = p;
    pagesOnly.Pict.clear();
    ProjectDates picturesOnly = p;
    picturesOnly.Html.clear();
    std::vector<double> barePagesT, pagesT, pagesUtf8T, barePicturesT, picturesT;
    for (int r = 0; r < runs; ++r) {
        barePagesT.push_back(timed([&] { fresh(out); }, [&] {
            for (int i = 0; i < Pages; ++i) {
                const QString name = p.Html.at(i).outputName();
                QFile::copy(encoded + u'/' + name, out + u'/' + name);
            }
        }));
        pagesT.push_back(timed([&] { fresh(out); }, [&] { SyuturyokuAllInto(pagesOnly, out); }));
        pagesUtf8T.push_back(timed([&] { fresh(out); }, [&] { SyuturyokuAllInto(pagesOnly, out, {OutputCharset::Utf8}); }));
        barePicturesT.push_back(timed([&] { fresh(out); }, [&] {
            for (int i = 0; i < Pictures; ++i)
                QFile::copy(p.Pict.at(i).FilePath, out + u'/' + p.Pict.at(i).outputName());
        }));
        picturesT.push_back(timed([&] { fresh(out); }, [&] { SyuturyokuAllInto(picturesOnly, out); }));
    }
    // Encoding alone: the page texts into page-file bytes, without writing,
    // as the pages are and as UTF-8 (the declaration added included).
    qint64 utf8Bytes = 0;
    std::vector<double> encodeT, encodeUtf8T;
    for (int r = 0; r < runs; ++r) {
        encodeT.push_back(timed([] {}, [&] {
            qint64 n = 0;
            for (const HtmlDat &h : p.Html)
                n += EncodePageFile(h.HtmlStr).size();
            if (n != pageBytes)
                qFatal("encoding differs");
        }));
        encodeUtf8T.push_back(timed([] {}, [&] {
            utf8Bytes = 0;
            for (const HtmlDat &h : p.Html)
                utf8Bytes += EncodePageFileAsUtf8(h.HtmlStr).size();
        }));
    }
    const double encodeOnly = median(encodeT);
    const double encodeUtf8Only = median(encodeUtf8T);

    const double bare = median(bareT);
    const double output = median(outputT);
    const double overwrite = median(overwriteT);

    const double mb = double(pageBytes + qint64(Pictures) * PictureBytes) / (1024.0 * 1024.0);
    std::printf("project: %d pages (%.1f MB), %d pictures of %d KB, %.1f MB in all; median of %d runs\n", Pages,
                double(pageBytes) / (1024.0 * 1024.0), Pictures, PictureBytes / 1024, mb, runs);
    std::printf("bare copies (QFile::copy)   %8.1f ms\n", bare);
    std::printf("SyuturyokuAll               %8.1f ms  (%.2fx bare)\n", output, output / bare);
    std::printf("overwrite (trash + write)   %8.1f ms  (%.2fx bare)\n", overwrite, overwrite / bare);
    std::printf("SyuturyokuAll, UTF-8        %8.1f ms  (%.2fx bare, %.2fx as the pages are); pages %.1f MB in UTF-8, encoding alone %.1f ms\n",
                median(utf8T), median(utf8T) / bare, median(utf8T) / output, double(utf8Bytes) / (1024.0 * 1024.0),
                encodeUtf8Only);
    std::printf("  pages only:    bare %8.1f ms, SyuturyokuAll %8.1f ms (%.2fx); encoding alone %.1f ms\n",
                median(barePagesT), median(pagesT), median(pagesT) / median(barePagesT), encodeOnly);
    std::printf("  pages only, UTF-8: SyuturyokuAll %8.1f ms (%.2fx bare, %.2fx as the pages are)\n", median(pagesUtf8T),
                median(pagesUtf8T) / median(barePagesT), median(pagesUtf8T) / median(pagesT));
    std::printf("  pictures only: bare %8.1f ms, SyuturyokuAll %8.1f ms (%.2fx)\n", median(barePicturesT),
                median(picturesT), median(picturesT) / median(barePicturesT));
    return 0;
}
