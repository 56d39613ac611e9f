#pragma once

#include <QString>
#include <QStringView>

// A page is stored with CR LF line breaks; the editor holds one character per
// line break. These convert the text both ways and map positions between the
// two forms (a CR LF counts two in the page text, one in the editor).

QString HtmlToEditorText(QStringView html);
QString EditorTextToHtml(QStringView editorText);

// Position in the page text -> position in the editor text. A position between
// the CR and the LF of a line break maps to the break itself.
qsizetype HtmlPosToEditorPos(QStringView html, qsizetype htmlPos);

// Position in the editor text -> position in the page text.
qsizetype EditorPosToHtmlPos(QStringView html, qsizetype editorPos);
