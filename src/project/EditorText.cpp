#include "EditorText.h"

QString HtmlToEditorText(QStringView html)
{
    QString out;
    out.reserve(html.size());
    const qsizetype n = html.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = html.at(i);
        if (c == u'\r') {
            if (i + 1 < n && html.at(i + 1) == u'\n')
                ++i;
            out += u'\n';
        } else {
            out += c;
        }
    }
    return out;
}

QString EditorTextToHtml(QStringView editorText)
{
    QString out;
    out.reserve(editorText.size() + editorText.size() / 16 + 16);
    qsizetype from = 0;
    const qsizetype n = editorText.size();
    while (from < n) {
        qsizetype nl = editorText.indexOf(u'\n', from);
        if (nl < 0)
            nl = n;
        out += editorText.mid(from, nl - from);
        if (nl < n)
            out += u"\r\n";
        from = nl + 1;
    }
    return out;
}

qsizetype HtmlPosToEditorPos(QStringView html, qsizetype htmlPos)
{
    htmlPos = std::clamp<qsizetype>(htmlPos, 0, html.size());
    qsizetype crlf = 0;
    for (qsizetype i = 0; i < htmlPos; ++i) {
        if (html.at(i) == u'\r' && i + 1 < html.size() && html.at(i + 1) == u'\n') {
            if (i + 1 < htmlPos)
                ++crlf; // the pair counts one in the editor
        }
    }
    return htmlPos - crlf;
}

qsizetype EditorPosToHtmlPos(QStringView html, qsizetype editorPos)
{
    qsizetype e = 0;
    qsizetype i = 0;
    const qsizetype n = html.size();
    while (i < n && e < editorPos) {
        if (html.at(i) == u'\r' && i + 1 < n && html.at(i + 1) == u'\n')
            i += 2;
        else
            ++i;
        ++e;
    }
    return i;
}
