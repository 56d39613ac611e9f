// Feeds arbitrary bytes to the recovery record reader: it must end with a
// result code, never crash or hang; a record that loads names a page it has,
// and writes back to a record that reads to the same project.

#include "Recovery.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const RecoveryContents r = ReadRecoveryBytes(bytes);
    if (r.code < 0 || r.code > 3)
        std::abort();
    if (r.code != 0)
        return 0;
    if (r.project.NowHtml < 0 || r.project.NowHtml >= r.project.Html.size())
        std::abort();
    const RecoveryContents again = ReadRecoveryBytes(EncodeRecoveryFile(r.project));
    if (again.code != 0 || again.project.ProjectPath != r.project.ProjectPath
        || again.project.NowHtml != r.project.NowHtml || again.project.Html.size() != r.project.Html.size())
        std::abort();
    return 0;
}
