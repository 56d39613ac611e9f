#pragma once

#include <QByteArray>
#include <QString>

// Pages written out as UTF-8, whatever encoding they are kept in: the page
// text stays as it is, character references included, and only what the page
// says about its encoding changes, so that a server sending "charset=UTF-8"
// and the page itself agree.

// The page text with every charset declaration of its head (<meta charset>,
// <meta http-equiv="Content-Type" content="...; charset=...">, and the
// encoding of a leading <?xml ...?>) naming UTF-8. Declarations that already
// name UTF-8 are left as written; a page that declares nothing gets
// <meta charset="UTF-8"> as the first element of its head, or a head holding
// it where the page has none. Comments and the contents of scripts and
// styles are not markup and are never changed.
QString PageTextForUtf8(const QString &html);

// The bytes of a page file written as UTF-8: PageTextForUtf8 followed by
// CR LF. A page that declares UTF-8 gives exactly what the page writer
// writes for it.
QByteArray EncodePageFileAsUtf8(const QString &html);
