// Feeds arbitrary bytes to the project file reader: it must end with a result
// code, never crash or hang.

#include "Cp932.h"
#include "ProjectFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = Cp932::decode(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    ProjectDates p;
    const qint16 code = LoadProjectText(text, p);
    if (code < 0 || code > 3)
        std::abort();
    if (code == 0 && p.Html.isEmpty())
        std::abort();
    // What loaded must write and read back to the same tables.
    if (code == 0 && CheckProjectFields(p).isEmpty()) {
        ProjectDates q;
        if (LoadProjectText(MakeProjectText(p), q) != 0)
            std::abort();
    }
    return 0;
}
