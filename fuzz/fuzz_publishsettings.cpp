// Feeds arbitrary bytes to the reader of publishing settings files: it must
// refuse them with a reason or read them, never crash or hang. Whatever it
// reads writes back to a file that reads to the same settings.

#include "Cp932.h"
#include "PublishSettingsFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = Cp932::decode(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    QString project;
    QString error;
    PublishSettings s;
    if (!ParsePublishSettingsText(text, &project, &s, &error)) {
        if (error.isEmpty())
            std::abort();
        return 0;
    }
    const QString again = MakePublishSettingsText(project, s);
    QString project2;
    PublishSettings s2;
    if (!ParsePublishSettingsText(again, &project2, &s2, &error) || MakePublishSettingsText(project2, s2) != again)
        std::abort();
    return 0;
}
