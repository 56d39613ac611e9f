// Feeds arbitrary text, line by line, to the colouring reader: it never
// crashes or hangs, its stretches stay inside the line in order, and every
// state it returns is one it takes back.

#include "HtmlScan.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    int state = HtmlScan::StartState;
    for (const QString &line : text.split(u'\n')) {
        QList<HtmlScan::Span> spans;
        const int next = HtmlScan::ScanLine(line, state, &spans);
        if (!HtmlScan::IsState(next) || HtmlScan::ScanLine(line, state) != next)
            std::abort();
        qsizetype end = 0;
        for (const HtmlScan::Span &s : spans) {
            if (s.length <= 0 || s.start < end || s.start + s.length > line.size())
                std::abort();
            end = s.start + s.length;
        }
        state = next;
    }
    return 0;
}
