#include "PageEditor.h"

#include "EditorText.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

PageEditor::PageEditor(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(false);
}

// The document's text as stored: toPlainText() would turn no-break spaces
// into spaces and line separators into line breaks, changing the page.
static QString rawEditorText(const QTextDocument *doc)
{
    QString t = doc->toRawText();
    t.replace(QChar::ParagraphSeparator, u'\n');
    return t;
}

QString PageEditor::htmlText() const
{
    return EditorTextToHtml(rawEditorText(document()));
}

void PageEditor::setHtmlText(const QString &html)
{
    setPlainText(HtmlToEditorText(html));
}

QString PageEditor::selectedHtml() const
{
    // The cursor's selectedText uses U+2029 between paragraphs.
    QString t = textCursor().selectedText();
    t.replace(QChar::ParagraphSeparator, u'\n');
    return EditorTextToHtml(t);
}

void PageEditor::replaceSelection(const QString &html)
{
    QTextCursor c = textCursor();
    c.insertText(HtmlToEditorText(html));
    setTextCursor(c);
}

qsizetype PageEditor::selectionStartHtml() const
{
    const QString html = EditorTextToHtml(rawEditorText(document()));
    return EditorPosToHtmlPos(html, textCursor().selectionStart());
}

qsizetype PageEditor::selectionLengthHtml() const
{
    return selectedHtml().size();
}

void PageEditor::selectHtml(qsizetype start, qsizetype length)
{
    const QString html = htmlText();
    const qsizetype s = HtmlPosToEditorPos(html, start);
    const qsizetype e = HtmlPosToEditorPos(html, start + length);
    QTextCursor c = textCursor();
    c.setPosition(int(s));
    c.setPosition(int(e), QTextCursor::KeepAnchor);
    setTextCursor(c);
}

void PageEditor::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    // The keypad's Enter is Enter too.
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (enter && mods == Qt::ShiftModifier) {
        // The tag, then the key's own effect: a line break. One edit.
        replaceSelection(QStringLiteral("<br>\r\n"));
        ensureCursorVisible();
        return;
    }
    if (enter && mods == Qt::ControlModifier) {
        replaceSelection(QStringLiteral("<p>\r\n"));
        ensureCursorVisible();
        return;
    }
    if (event->matches(QKeySequence::InsertLineSeparator)) {
        // A page has only one kind of line break; the editor's soft line
        // separator would be stored as a character of its own.
        replaceSelection(QStringLiteral("\r\n"));
        ensureCursorVisible();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void PageEditor::focusInEvent(QFocusEvent *event)
{
    QPlainTextEdit::focusInEvent(event);
    Q_EMIT focusReceived();
}
