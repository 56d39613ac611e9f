// Feeds arbitrary bytes to the template list reader: it must end, never crash,
// and a list whose names and descriptions fit must write and read back the same.

#include "Cp932.h"
#include "HinagataEdit.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = Cp932::decode(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    const QVector<HinagataEntry> entries = ReadTempListText(text);
    if (entries.size() > text.size() + 1)
        std::abort();
    bool fit = true;
    for (const HinagataEntry &e : entries)
        fit = fit && HinagataTextProblem(e.name).isEmpty() && HinagataTextProblem(e.setumei).isEmpty();
    if (fit && ReadTempListText(TempListText(entries) + QStringLiteral("\r\n")) != entries)
        std::abort();
    return 0;
}
