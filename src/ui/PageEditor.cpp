#include "PageEditor.h"

#include "EditorText.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// The mark of a break between the pieces of a long line, in the character
// format of the break (the format of the block after it).
constexpr int PieceBreak = QTextFormat::UserProperty + 0x2029;

// The document's text for the page: a break between blocks (U+2029 in the
// document) is a CR LF, except the breaks between pieces, whose positions
// (in the document, raw starting at base) are given in order. No-break spaces
// and line separators stay as they are.
QString documentTextToHtml(QStringView raw, const int *piece = nullptr, const int *pieceEnd = nullptr,
                           qsizetype base = 0)
{
    QString out;
    out.reserve(raw.size() + raw.size() / 16 + 16);
    qsizetype from = 0;
    while (from <= raw.size()) {
        qsizetype at = raw.indexOf(QChar::ParagraphSeparator, from);
        if (at < 0)
            at = raw.size();
        out += raw.mid(from, at - from);
        if (at < raw.size()) {
            if (piece != pieceEnd && *piece - base == at)
                ++piece;
            else
                out += u"\r\n";
        }
        from = at + 1;
    }
    return out;
}

// Where the lines longer than limit are cut into pieces: positions in text
// (the editor's text, '\n' between lines) before which a piece begins. A
// piece ends after a tag or a space where one is near its end, so that the
// pieces of markup written in one line read as lines; it never parts a
// surrogate pair.
QList<qsizetype> PieceStarts(QStringView text, qsizetype limit)
{
    QList<qsizetype> starts;
    qsizetype lineStart = 0;
    while (lineStart <= text.size()) {
        qsizetype lineEnd = text.indexOf(u'\n', lineStart);
        if (lineEnd < 0)
            lineEnd = text.size();
        for (qsizetype start = lineStart; lineEnd - start > limit;) {
            qsizetype cut = start + limit;
            for (qsizetype at = cut; at > start + limit / 2; --at) {
                if (text.at(at - 1) == u'>' || text.at(at - 1) == u' ') {
                    cut = at;
                    break;
                }
            }
            if (text.at(cut).isLowSurrogate())
                --cut;
            starts.append(cut);
            start = cut;
        }
        lineStart = lineEnd + 1;
    }
    return starts;
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
        m_pieces = std::move(m_batchPieces);
        m_editorLength = newLength;
        m_blocks = newBlocks;
        ++m_revision;
        m_longFrom = 0;
        m_longTo = newLength;
        if (m_html.size() != m_editorLength + m_blocks - 1 - 2 * qsizetype(m_pieces.size()))
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
    // Breaks count two in the page text, those between pieces none: those
    // replaced are the breaks the document lost plus those the new characters
    // bring. The pieces' breaks in the new characters are read from their mark.
    const qsizetype addedBreaks = addedText.count(QChar::ParagraphSeparator);
    const qsizetype removedBreaks = m_blocks - newBlocks + addedBreaks;
    const auto first = std::lower_bound(m_pieces.begin(), m_pieces.end(), from);
    const auto last = std::lower_bound(first, m_pieces.end(), from + removedChars);
    std::vector<int> addedPieces;
    if (m_mayHavePieces && addedBreaks > 0) {
        for (QTextBlock b = doc->findBlock(from).next(); b.isValid() && b.position() <= from + addedChars; b = b.next()) {
            if (startsPiece(b))
                addedPieces.push_back(b.position() - 1);
        }
    }
    const QTextBlock fromBlock = doc->findBlock(from);
    const qsizetype htmlFrom = from + fromBlock.blockNumber() - 2 * (first - m_pieces.begin());
    const qsizetype htmlRemoved = removedChars + removedBreaks - 2 * (last - first);
    if (addedText.size() != addedChars || removedBreaks < 0 || removedBreaks > removedChars
        || last - first > removedBreaks || htmlFrom + htmlRemoved > m_html.size() || m_html.at(htmlFrom - 1) == u'\r'
        || (htmlRemoved > 0 && m_html.at(htmlFrom + htmlRemoved - 1) == u'\r')) {
        rebuild();
        return;
    }
    m_html.replace(htmlFrom, htmlRemoved,
                   documentTextToHtml(addedText, addedPieces.data(), addedPieces.data() + addedPieces.size(), from));
    // The pieces' breaks of the removed stretch go, those after it move.
    const int shift = int(addedChars - removedChars);
    for (auto it = last; it != m_pieces.end(); ++it)
        *it += shift;
    const auto at = m_pieces.erase(first, last);
    m_pieces.insert(at, addedPieces.begin(), addedPieces.end());
    m_editorLength = newLength;
    m_blocks = newBlocks;
    ++m_revision;
    if (m_html.size() != m_editorLength + m_blocks - 1 - 2 * qsizetype(m_pieces.size()))
        rebuild();
    // Lines that grew too long: the one the edit starts in, and those it
    // brings when it brings enough characters for one.
    if (!m_settingText) {
        const qsizetype to = from + addedChars;
        for (QTextBlock b = fromBlock; b.isValid() && b.position() <= to;
             b = addedChars > 2 * m_longLine ? b.next() : doc->findBlock(int(to))) {
            if (b.length() - 1 > 2 * m_longLine) {
                m_longFrom = m_longFrom < 0 ? b.position() : std::min<qsizetype>(m_longFrom, b.position());
                m_longTo = std::max<qsizetype>(m_longTo, b.position() + b.length() - 1);
            }
            if (b.position() + b.length() > to)
                break;
        }
    }
}

void PageEditor::cutLongLines()
{
    if (m_longFrom < 0)
        return;
    const qsizetype from = m_longFrom;
    const qsizetype to = std::min(m_longTo, m_editorLength);
    m_longFrom = m_longTo = -1;
    QTextCharFormat pieceMark;
    pieceMark.setProperty(PieceBreak, true);
    QTextCursor c(document());
    bool editing = false;
    // From the last line back, so that the earlier positions stay valid.
    for (QTextBlock b = document()->findBlock(int(to)); b.isValid() && b.position() + b.length() > from;
         b = b.previous()) {
        if (b.length() - 1 <= 2 * m_longLine)
            continue;
        if (!editing) {
            c.joinPreviousEditBlock();
            editing = true;
            m_mayHavePieces = true;
        }
        const int start = b.position();
        const QList<qsizetype> cuts = PieceStarts(b.text(), m_longLine);
        for (auto it = cuts.crbegin(); it != cuts.crend(); ++it) {
            c.setPosition(start + int(*it));
            c.insertBlock(c.blockFormat(), pieceMark);
        }
    }
    if (editing)
        c.endEditBlock();
}

void PageEditor::rebuild()
{
    const QTextDocument *doc = document();
    if (m_revision > 0)
        ++m_rebuilds;
    m_pieces.clear();
    if (m_mayHavePieces) {
        for (QTextBlock b = doc->begin().next(); b.isValid(); b = b.next()) {
            if (startsPiece(b))
                m_pieces.push_back(b.position() - 1);
        }
    }
    m_html = ChunkedText(documentTextToHtml(doc->toRawText(), m_pieces.data(), m_pieces.data() + m_pieces.size()));
    m_editorLength = doc->characterCount() - 1;
    m_blocks = doc->blockCount();
    ++m_revision;
}

bool PageEditor::startsPiece(const QTextBlock &block)
{
    return block.position() > 0 && block.charFormat().hasProperty(PieceBreak);
}

qsizetype PageEditor::piecesBefore(qsizetype pos) const
{
    return std::lower_bound(m_pieces.begin(), m_pieces.end(), pos) - m_pieces.begin();
}

QString PageEditor::htmlText() const
{
    return m_html.toString();
}

void PageEditor::setHtmlText(const QString &html)
{
    // A new page is cut into pieces here, not as an edit.
    const QScopedValueRollback<bool> setting(m_settingText, true);
    QString text = HtmlToEditorText(html);
    const QList<qsizetype> pieces = PieceStarts(text, m_longLine);
    qsizetype nul = text.indexOf(QChar(0));
    m_mayHavePieces = !pieces.isEmpty();
    if (nul < 0 && pieces.isEmpty()) {
        setPlainText(text);
        return;
    }
    // Long lines get their pieces' breaks. No font has a glyph for NUL, and
    // the text layout looks through every fallback font for each NUL it
    // meets: a line of a million took seconds to lay out. Runs of NUL keep to
    // the editor's own font instead. The breaks' marks and the formats are
    // set in the same edit as the text, so that the lines are laid out once,
    // with them; the editor tells of the new text once, at the end, and the
    // formats are no undo step.
    if (!pieces.isEmpty()) {
        QString cut;
        cut.reserve(text.size() + pieces.size());
        qsizetype copied = 0;
        for (qsizetype at : pieces) {
            cut += QStringView(text).mid(copied, at - copied);
            cut += u'\n';
            copied = at;
        }
        cut += QStringView(text).mid(copied);
        text = std::move(cut);
        nul = text.indexOf(QChar(0));
    }
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
    QTextCharFormat pieceMark;
    pieceMark.setProperty(PieceBreak, true);
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        // The block after the i-th break starts one further on for each
        // break before it.
        c.setPosition(int(pieces.at(i) + i + 1));
        c.mergeBlockCharFormat(pieceMark);
    }
    c.endEditBlock();
    doc->setUndoRedoEnabled(undo);
    doc->setModified(false);
}

QString PageEditor::selectedHtml() const
{
    return m_html.mid(selectionStartHtml(), selectionLengthHtml());
}

void PageEditor::replaceSelection(const QString &html)
{
    QTextCursor c = textCursor();
    // The format insertText would take, without a piece's mark.
    QTextCharFormat format = c.charFormat();
    format.clearProperty(QTextFormat::ObjectType);
    format.clearProperty(PieceBreak);
    c.insertText(HtmlToEditorText(html), format);
    setTextCursor(c);
    cutLongLines();
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
    // The page positions of the pieces' breaks: a stretch starts after such
    // a break and ends before it, so that it keeps the break.
    std::vector<qsizetype> piecesAt;
    piecesAt.reserve(m_pieces.size());
    for (int p : m_pieces)
        piecesAt.push_back(editorPosToHtml(p));
    const auto toEditor = [&](qsizetype htmlPos, bool start) {
        // Breaks whose LF lies before the position.
        for (; scanned + 1 < htmlPos; ++scanned) {
            if (page.at(scanned) == u'\r' && page.at(scanned + 1) == u'\n') {
                ++breaks;
                ++scanned;
            }
        }
        const auto piece = start ? std::upper_bound(piecesAt.begin(), piecesAt.end(), htmlPos)
                                 : std::lower_bound(piecesAt.begin(), piecesAt.end(), htmlPos);
        return htmlPos - breaks + (piece - piecesAt.begin());
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
        const qsizetype s = toEditor(start, true);
        spans.append({s, std::max(s, toEditor(start + length, false))});
    }
    result += QStringView(page).mid(copied);

    const QString editorText = HtmlToEditorText(html);
    // The pieces' breaks after the edit: those inside a stretch go with it,
    // those after one move by what it changed.
    std::vector<int> pieces;
    pieces.reserve(m_pieces.size());
    {
        qsizetype shift = 0;
        auto p = m_pieces.cbegin();
        for (const auto &[s, e] : spans) {
            for (; p != m_pieces.cend() && *p < s; ++p)
                pieces.push_back(int(*p + shift));
            while (p != m_pieces.cend() && *p < e)
                ++p;
            shift += editorText.size() - (e - s);
        }
        for (; p != m_pieces.cend(); ++p)
            pieces.push_back(int(*p + shift));
    }
    QTextCursor c(document());
    // Every insertion takes the format of the text around it; in a page that
    // is one format, looked up once.
    QTextCharFormat format = c.charFormat();
    format.clearProperty(PieceBreak);
    if (exact) {
        m_batchResult = ChunkedText(result);
        m_batchPieces = std::move(pieces);
    }
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
    cutLongLines();
}

qsizetype PageEditor::editorPosToHtml(qsizetype editorPos) const
{
    editorPos = std::clamp<qsizetype>(editorPos, 0, m_editorLength);
    // One more for every line break before the position, one less for every
    // break between pieces.
    return editorPos + document()->findBlock(int(editorPos)).blockNumber() - 2 * piecesBefore(editorPos);
}

qsizetype PageEditor::htmlPosToEditor(qsizetype htmlPos) const
{
    htmlPos = std::clamp<qsizetype>(htmlPos, 0, m_html.size());
    const QTextDocument *doc = document();
    // The last block that starts at or before the position (of a piece that
    // starts there, the piece); block b starts at its document position plus
    // b, less two for each break between pieces before it, in the page text.
    const auto pageStart = [&](int b, int *start) {
        *start = doc->findBlockByNumber(b).position();
        return *start + b - 2 * piecesBefore(*start);
    };
    int lo = 0;
    int hi = doc->blockCount() - 1;
    int start = 0;
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (pageStart(mid, &start) <= htmlPos)
            lo = mid;
        else
            hi = mid - 1;
    }
    // Within the block, or on its CR (the break) or its LF (after the break).
    const qsizetype blockAt = pageStart(lo, &start);
    return start + (htmlPos - blockAt);
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
    if (!m_pieces.empty()) {
        // Backspace at the start of a piece, or Delete at the end of one,
        // removes the character beyond the break, as in the whole line.
        QTextCursor c = textCursor();
        const bool back = event->matches(QKeySequence::DeleteStartOfWord) || (event->key() == Qt::Key_Backspace);
        const bool forth = event->matches(QKeySequence::Delete) || event->matches(QKeySequence::DeleteEndOfWord);
        if (!c.hasSelection() && (back || forth)) {
            while (back && c.atBlockStart() && startsPiece(c.block()))
                c.setPosition(c.position() - 1);
            while (forth && c.atBlockEnd() && startsPiece(c.block().next()))
                c.setPosition(c.position() + 1);
            setTextCursor(c);
        }
        if (!event->text().isEmpty())
            keepInputOffPieceMark();
    }
    QPlainTextEdit::keyPressEvent(event);
    cutLongLines();
}

void PageEditor::keepInputOffPieceMark()
{
    QTextCursor c = textCursor();
    QTextCharFormat format = c.charFormat();
    if (!format.hasProperty(PieceBreak))
        return;
    if (!c.hasSelection()) {
        format.clearProperty(PieceBreak);
        setCurrentCharFormat(format);
        return;
    }
    // The selection's moving end stands at the start of an empty piece:
    // moved back over the breaks before it, it stands at the same place of
    // the page.
    int pos = c.position();
    while (pos > 0 && c.block().length() == 1 && startsPiece(c.block())) {
        c.setPosition(c.anchor());
        c.setPosition(--pos, QTextCursor::KeepAnchor);
    }
    setTextCursor(c);
}

void PageEditor::inputMethodEvent(QInputMethodEvent *event)
{
    InputScope typing(m_inputDepth);
    if (!m_pieces.empty() && !event->commitString().isEmpty())
        keepInputOffPieceMark();
    QPlainTextEdit::inputMethodEvent(event);
    cutLongLines();
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
    if (!m_pieces.empty())
        keepInputOffPieceMark();
    QPlainTextEdit::insertFromMimeData(source);
    cutLongLines();
}

QMimeData *PageEditor::createMimeDataFromSelection() const
{
    const QTextCursor c = textCursor();
    if (piecesBefore(c.selectionStart()) == piecesBefore(c.selectionEnd()))
        return QPlainTextEdit::createMimeDataFromSelection();
    // A copy of a long line is the line, without the breaks between its pieces.
    auto *mime = new QMimeData;
    mime->setText(HtmlToEditorText(selectedHtml()));
    return mime;
}

void PageEditor::focusInEvent(QFocusEvent *event)
{
    QPlainTextEdit::focusInEvent(event);
    Q_EMIT focusReceived();
}
