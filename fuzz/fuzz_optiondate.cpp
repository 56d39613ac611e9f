// Feeds arbitrary bytes to the reader of OptionDate.dat: it must read them,
// never crash or hang. Whatever it reads lies within the limits, and writes
// back to a line that reads to the same options.

#include "Cp932.h"
#include "OptionDate.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = Cp932::decode(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    const EditorOptions o = ParseOptionDateText(text);
    if (!(o.RecoverySeconds >= EditorOptions::MinRecoverySeconds
          && o.RecoverySeconds <= EditorOptions::MaxRecoverySeconds))
        std::abort();
    const QString line = MakeOptionDateText(o);
    const EditorOptions again = ParseOptionDateText(line);
    if (again.HtmlIroWake != o.HtmlIroWake || MakeOptionDateText(again) != line)
        std::abort();
    return 0;
}
