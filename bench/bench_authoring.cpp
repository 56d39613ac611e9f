// Script authoring: deleting the first entry of a user folder of 300 scripts
// (every script behind it moves down one number, each file replaced only once
// complete and synced) beside the bare cost of the same bytes written with
// plain unsynced writes; and the editor's listing (indented lines and the
// nesting check) of a 30000-statement script beside the bare cost of composing
// one plain line per statement.
#include "TaguSien_ListFile.h"
#include "TaguSien_WizEdit.h"
#include "TextFiles.h"
#include "WizList.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int Entries = 300;

double MedianMs(int runs, const std::function<void()> &setup, const std::function<void()> &work)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        setup();
        QElapsedTimer t;
        t.start();
        work();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms.at(ms.size() / 2);
}

void MakeFolder(const QString &folder)
{
    QVector<WizListEntry> list;
    for (int i = 0; i < Entries; ++i) {
        list.append({u"名前"_s + QString::number(i), u"説明"_s + QString::number(i)});
        WriteFileAtomically(WizDatePath(folder, i), NewFontWizDate.toLatin1() + "\r\n", nullptr, WriteMode::Throwaway);
    }
    SaveWizList(folder, list);
}

} // namespace

int main()
{
    QTemporaryDir dir;
    const QString folder = dir.path();

    const double del = MedianMs(5, [&] { MakeFolder(folder); }, [&] { DelWizDate(folder, 0); });
    const double bare = MedianMs(5, [&] { MakeFolder(folder); }, [&] {
        const QByteArray bytes = NewFontWizDate.toLatin1() + "\r\n";
        for (int i = 0; i < Entries - 1; ++i) {
            QFile f(WizDatePath(folder, i));
            if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
                f.write(bytes);
        }
        QFile list(folder + u"/WizList.dat"_s);
        if (list.open(QIODevice::WriteOnly | QIODevice::Truncate))
            list.write(QByteArray(Entries * 16, 'x'));
    });
    std::printf("delete first of %d entries: %.1f ms; plain writes of the same files: %.1f ms; ratio %.1f\n", Entries,
                del, bare, del / bare);

    WizProgram big;
    const qint16 cycle[] = {OpLoopStart, OpBunki, OpOutPut, OpTigaeba, OpKaigyou, OpBunkiEnd, OpLoopEnd};
    big.ops.append(MakeWizOp(OpHensuSettei));
    while (big.ops.size() < 30000)
        for (qint16 c : cycle)
            big.ops.append(MakeWizOp(c, {}, {u"<td>"_s}));
    qsizetype sink = 0;
    const double listing = MedianMs(5, [] {}, [&] {
        sink += ShowScLines(big).size();
        sink += CheckWizNesting(big).size();
    });
    const double lines = MedianMs(5, [] {}, [&] {
        QStringList out;
        for (const WizOp &op : std::as_const(big.ops))
            out.append(u"■出力　\""_s + op.S(0) + u'"');
        sink += out.size();
    });
    std::printf("listing of %lld statements: %.1f ms; the same number of plain lines: %.1f ms; ratio %.1f (%lld)\n",
                (long long)big.ops.size(), listing, lines, listing / lines, (long long)sink);
    return 0;
}
