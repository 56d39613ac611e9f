// Feeds arbitrary bytes to the page reader: it must read them, never crash or
// hang; every character it could not read is counted, and what it read in a
// Japanese encoding writes back to bytes that read as the same text.

#include "Cp932.h"
#include "EucJp.h"
#include "Iso2022Jp.h"
#include "PageEncoding.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const DecodedHtml d = DecodeHtmlFile(bytes);
    if (d.text.size() > bytes.size())
        std::abort();
    if (d.declared && d.undecodable != 0)
        std::abort();
    const qsizetype replaced = d.text.count(QChar(0xFFFD));
    if (d.undecodable > replaced)
        std::abort();
    if (d.encoding == TextEncoding::Cp932 || d.encoding == TextEncoding::EucJp
        || d.encoding == TextEncoding::Iso2022Jp) {
        if (d.undecodable != replaced)
            std::abort();
        if (replaced == 0) {
            const QByteArray again = EncodePageText(d.text, d.encoding == TextEncoding::EucJp ? PageFileEncoding::EucJp
                                                            : d.encoding == TextEncoding::Cp932
                                                                ? PageFileEncoding::Cp932
                                                                : PageFileEncoding::Iso2022Jp);
            const QString back = d.encoding == TextEncoding::EucJp ? EucJp::decode(again)
                                 : d.encoding == TextEncoding::Cp932 ? Cp932::decode(again)
                                                                     : Iso2022Jp::decode(again);
            if (back != d.text)
                std::abort();
        }
    }
    // Whatever was read writes as a page in the encoding it declares.
    (void)EncodePageText(d.text, PageFileEncodingOf(d.text));
    return 0;
}
