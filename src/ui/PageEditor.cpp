#include "PageEditor.h"

#include "EditorText.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// The document's text for the page: a break between blocks (U+2029 in the
// document) is a CR LF. No-break spaces and line separators stay as they are.
QString documentTextToHtml(QStringView raw)
{
    QString out;
    out.reserve(raw.size() + raw.size() / 16 + 16);
    qsizetype from = 0;
    while (from <= raw.size()) {
        qsizetype at = raw.indexOf(QChar::ParagraphSeparator, from);
        if (at < 0)
            at = raw.size();
        out += raw.mid(from, at - from);
        if (at < raw.size())
            out += u"\r\n";
        from = at + 1;
    }
    return out;
}

// Counts the user's input being handled; edits made meanwhile are typing.
class InputScope
{
public:
    explicit InputScope(int &depth)
        : m_depth(depth)
    {
        ++m_depth;
    }
    ~InputScope() { --m_depth; }
    InputScope(const InputScope &) = delete;
    InputScope &operator=(const InputScope &) = delete;

private:
    int &m_depth;
};

} // namespace

PageEditor::PageEditor(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(false);
    rebuild();
    connect(document(), &QTextDocument::contentsChange, this, &PageEditor::onContentsChange);
}

// A change notice says that, from position from on, removed characters of the
// old text became added characters of the new one. The document may report a
// wider stretch than what changed (it merges the edits of one edit block and
// counts its final block break), but never a narrower one: the characters
// before from and after the stretch are unchanged. So the page text takes the
// new characters of the stretch, clamped to the document, and the number of
// characters replaced follows from the lengths, which are exact.
void PageEditor::onContentsChange(int from, int /*removed*/, int added)
{
    const QTextDocument *doc = document();
    const qsizetype newLength = doc->characterCount() - 1;
    const qsizetype newBlocks = doc->blockCount();
    if (m_batchResult) {
        // A batch edit of ours: its result is known. Its length must fit the
        // document, as the length of any page text does.
        m_html = std::move(*m_batchResult);
        m_batchResult.reset();
        m_editorLength = newLength;
        m_blocks = newBlocks;
        ++m_revision;
        if (m_html.size() != m_editorLength + m_blocks - 1)
            rebuild();
        return;
    }
    const qsizetype addedChars = std::min<qsizetype>(added, newLength - from);
    const qsizetype removedChars = addedChars - (newLength - m_editorLength);
    if (from < 0 || addedChars < 0 || removedChars < 0 || from + removedChars > m_editorLength) {
        rebuild();
        return;
    }
    QString addedText;
    if (addedChars > 0) {
        QTextCursor c(document());
        c.setPosition(from);
        c.setPosition(int(from + addedChars), QTextCursor::KeepAnchor);
        addedText = c.selectedText();
    }
    // Breaks count two in the page text: those replaced are the breaks the
    // document lost plus those the new characters bring.
    const qsizetype addedBreaks = addedText.count(QChar::ParagraphSeparator);
    const qsizetype removedBreaks = m_blocks - newBlocks + addedBreaks;
    const qsizetype htmlFrom = from + doc->findBlock(from).blockNumber();
    const qsizetype htmlRemoved = removedChars + removedBreaks;
    if (addedText.size() != addedChars || removedBreaks < 0 || removedBreaks > removedChars
        || htmlFrom + htmlRemoved > m_html.size() || m_html.at(htmlFrom - 1) == u'\r'
        || (htmlRemoved > 0 && m_html.at(htmlFrom + htmlRemoved - 1) == u'\r')) {
        rebuild();
        return;
    }
    m_html.replace(htmlFrom, htmlRemoved, documentTextToHtml(addedText));
    m_editorLength = newLength;
    m_blocks = newBlocks;
    ++m_revision;
    if (m_html.size() != m_editorLength + m_blocks - 1)
        rebuild();
}

void PageEditor::rebuild()
{
    const QTextDocument *doc = document();
    if (m_revision > 0)
        ++m_rebuilds;
    m_html = ChunkedText(documentTextToHtml(doc->toRawText()));
    m_editorLength = doc->characterCount() - 1;
    m_blocks = doc->blockCount();
    ++m_revision;
}

QString PageEditor::htmlText() const
{
    return m_html.toString();
}

void PageEditor::setHtmlText(const QString &html)
{
    const QString text = HtmlToEditorText(html);
    qsizetype nul = text.indexOf(QChar(0));
    if (nul < 0) {
        setPlainText(text);
        return;
    }
    // No font has a glyph for NUL, and the text layout looks through every
    // fallback font for each NUL it meets: a line of a million took seconds to
    // lay out, and again after every keystroke. Runs of NUL keep to the
    // editor's own font instead. Their format is set in the same edit as the
    // text, so that the lines are laid out once, with it; the editor tells of
    // the new text once, at the end, and the formats are no undo step.
    QTextDocument *doc = document();
    const bool undo = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false);
    QTextCursor c(doc);
    c.beginEditBlock();
    {
        const QSignalBlocker quiet(this);
        setPlainText(text);
    }
    QTextCharFormat ownFontOnly;
    ownFontOnly.setFontStyleStrategy(QFont::NoFontMerging);
    while (nul >= 0) {
        qsizetype end = nul;
        while (end < text.size() && text.at(end).isNull())
            ++end;
        c.setPosition(int(nul));
        c.setPosition(int(end), QTextCursor::KeepAnchor);
        c.mergeCharFormat(ownFontOnly);
        nul = text.indexOf(QChar(0), end);
    }
    c.endEditBlock();
    doc->setUndoRedoEnabled(undo);
    doc->setModified(false);
}

QString PageEditor::selectedHtml() const
{
    // The cursor's selectedText uses U+2029 between paragraphs.
    return documentTextToHtml(textCursor().selectedText());
}

void PageEditor::replaceSelection(const QString &html)
{
    QTextCursor c = textCursor();
    c.insertText(HtmlToEditorText(html));
    setTextCursor(c);
}

void PageEditor::insertForUser(const QString &html)
{
    replaceSelection(html);
    ensureCursorVisible();
    setFocus(Qt::OtherFocusReason);
}

void PageEditor::replaceHtmlStretches(const QList<qsizetype> &starts, qsizetype length, const QString &html)
{
    if (starts.isEmpty())
        return;
    const QString page = m_html.toString();
    // The new page text in one pass, and each stretch in editor positions
    // (one pass counting the line breaks before each).
    QString result;
    result.reserve(page.size() + starts.size() * (html.size() - length));
    QList<std::pair<qsizetype, qsizetype>> spans;
    spans.reserve(starts.size());
    qsizetype copied = 0;
    qsizetype scanned = 0;
    qsizetype breaks = 0;
    const auto toEditor = [&](qsizetype htmlPos) {
        // Breaks whose LF lies before the position.
        for (; scanned + 1 < htmlPos; ++scanned) {
            if (page.at(scanned) == u'\r' && page.at(scanned + 1) == u'\n') {
                ++breaks;
                ++scanned;
            }
        }
        return htmlPos - breaks;
    };
    // A stretch that begins or ends between a CR and its LF has no exact
    // counterpart in the editor: the page text is then read back.
    bool exact = true;
    const auto splitsBreak = [&](qsizetype at) {
        return at > 0 && at < page.size() && page.at(at - 1) == u'\r' && page.at(at) == u'\n';
    };
    for (qsizetype start : starts) {
        exact = exact && !splitsBreak(start) && !splitsBreak(start + length);
        result += QStringView(page).mid(copied, start - copied);
        result += html;
        copied = start + length;
        const qsizetype s = toEditor(start);
        spans.append({s, toEditor(start + length)});
    }
    result += QStringView(page).mid(copied);

    const QString editorText = HtmlToEditorText(html);
    QTextCursor c(document());
    // Every insertion takes the format of the text around it; in a page that
    // is one format, looked up once.
    const QTextCharFormat format = c.charFormat();
    if (exact)
        m_batchResult = ChunkedText(result);
    c.beginEditBlock();
    // From the last stretch back, so the earlier positions stay valid.
    for (auto it = spans.crbegin(); it != spans.crend(); ++it) {
        c.setPosition(int(it->first));
        c.setPosition(int(it->second), QTextCursor::KeepAnchor);
        c.insertText(editorText, format);
    }
    c.endEditBlock();
    // The notice came with the block's end; should it not have come, the
    // page text is read back from the document.
    if (m_batchResult) {
        m_batchResult.reset();
        rebuild();
    }
    // After the last inserted text, shifted by what the earlier ones added.
    qsizetype caret = spans.last().first + editorText.size();
    for (qsizetype i = 0; i + 1 < spans.size(); ++i)
        caret += editorText.size() - (spans.at(i).second - spans.at(i).first);
    QTextCursor end(document());
    end.setPosition(int(caret));
    setTextCursor(end);
}

qsizetype PageEditor::editorPosToHtml(qsizetype editorPos) const
{
    editorPos = std::clamp<qsizetype>(editorPos, 0, m_editorLength);
    // One more for every break before the position.
    return editorPos + document()->findBlock(int(editorPos)).blockNumber();
}

qsizetype PageEditor::htmlPosToEditor(qsizetype htmlPos) const
{
    htmlPos = std::clamp<qsizetype>(htmlPos, 0, m_html.size());
    const QTextDocument *doc = document();
    // The last block that starts at or before the position; block b starts at
    // its document position plus b in the page text.
    int lo = 0;
    int hi = doc->blockCount() - 1;
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (doc->findBlockByNumber(mid).position() + mid <= htmlPos)
            lo = mid;
        else
            hi = mid - 1;
    }
    const int start = doc->findBlockByNumber(lo).position();
    // Within the block, or on its CR (the break) or its LF (after the break).
    return start + (htmlPos - start - lo);
}

qsizetype PageEditor::selectionStartHtml() const
{
    return editorPosToHtml(textCursor().selectionStart());
}

qsizetype PageEditor::selectionLengthHtml() const
{
    const QTextCursor c = textCursor();
    return editorPosToHtml(c.selectionEnd()) - editorPosToHtml(c.selectionStart());
}

void PageEditor::selectHtml(qsizetype start, qsizetype length)
{
    const qsizetype s = htmlPosToEditor(start);
    const qsizetype e = htmlPosToEditor(start + length);
    QTextCursor c = textCursor();
    c.setPosition(int(s));
    c.setPosition(int(e), QTextCursor::KeepAnchor);
    setTextCursor(c);
}

void PageEditor::keyPressEvent(QKeyEvent *event)
{
    InputScope typing(m_inputDepth);
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

void PageEditor::inputMethodEvent(QInputMethodEvent *event)
{
    InputScope typing(m_inputDepth);
    QPlainTextEdit::inputMethodEvent(event);
}

void PageEditor::dropEvent(QDropEvent *event)
{
    InputScope typing(m_inputDepth);
    QPlainTextEdit::dropEvent(event);
}

void PageEditor::mouseReleaseEvent(QMouseEvent *event)
{
    // The middle button pastes the selection clipboard.
    InputScope typing(m_inputDepth);
    QPlainTextEdit::mouseReleaseEvent(event);
}

void PageEditor::insertFromMimeData(const QMimeData *source)
{
    InputScope typing(m_inputDepth);
    QPlainTextEdit::insertFromMimeData(source);
}

void PageEditor::focusInEvent(QFocusEvent *event)
{
    QPlainTextEdit::focusInEvent(event);
    Q_EMIT focusReceived();
}
