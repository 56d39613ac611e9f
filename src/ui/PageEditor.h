#pragma once

#include "ChunkedText.h"

#include <QPlainTextEdit>

#include <algorithm>
#include <optional>
#include <vector>

class QTextBlock;

// The page editor MainText. It shows a page whose line breaks are CR LF and
// offers its selection in page-text positions (a CR LF counts two), so that
// search hits and bookmarks select exactly the text they found.
//
// The editor keeps the page text (CR LF line breaks) in step with its
// document, piece by piece, from the document's change notices: an edit costs
// the size of the edit, and the whole text is at hand without converting the
// document, as a string or as a copy that is cheap to take.
class PageEditor : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit PageEditor(QWidget *parent = nullptr);

    // The editor's whole text with CR LF line breaks.
    QString htmlText() const;
    // The same text as pieces shared with the editor: taken in microseconds
    // and safe to read on another thread while typing goes on.
    ChunkedText htmlSnapshot() const { return m_html; }
    // Length of htmlText().
    qsizetype htmlSize() const { return m_html.size(); }
    // Counts the changes of the text; a new number means a new text.
    quint64 revision() const { return m_revision; }

    // Shows a page text (CR LF line breaks); emits textChanged like typing does.
    void setHtmlText(const QString &html);

    // The selected text with CR LF line breaks.
    QString selectedHtml() const;
    // Replaces the selection (or inserts at the caret) as one edit, with a text
    // whose line breaks are CR LF.
    void replaceSelection(const QString &html);
    // An insertion the user asked for elsewhere (catalogue, wizard, date and
    // time, bookmark): replaces the selection as replaceSelection does, then
    // gives the editor the keyboard with the caret after the inserted text,
    // so that the next words typed follow it.
    void insertForUser(const QString &html);

    // Replaces the stretches [start, start + length) of the page text, whose
    // starts are given in increasing order and which neither overlap nor
    // split a CR LF, by html, as one edit of the editor: one change, one undo
    // step. The page text follows from the same stretches, without reading
    // the document back. The caret ends after the last inserted text.
    void replaceHtmlStretches(const QList<qsizetype> &starts, qsizetype length, const QString &html);

    // Selection in page-text positions.
    qsizetype selectionStartHtml() const;
    qsizetype selectionLengthHtml() const;
    void selectHtml(qsizetype start, qsizetype length);

    // Positions between the editor (one character per line break) and the
    // page text (CR LF). A page position between the CR and the LF of a line
    // break maps to the break itself.
    qsizetype editorPosToHtml(qsizetype editorPos) const;
    qsizetype htmlPosToEditor(qsizetype htmlPos) const;

    // Lines longer than this many characters are shown in pieces of at most
    // that length (a page from its setHtmlText() on; a line an edit makes
    // longer once it is twice as long).
    qsizetype longLineLimit() const { return m_longLine; }
    void setLongLineLimit(qsizetype chars) { m_longLine = std::max<qsizetype>(chars, 2); }
    static constexpr qsizetype LongLine = 2000;

    // True if the break before the block only parts the pieces of a long line.
    static bool startsPiece(const QTextBlock &block);

    // True while the editor handles the user's own input (keys, input method,
    // paste, drop): edits made then may be taken into the page record later.
    bool handlingInput() const { return m_inputDepth > 0; }

    // How often the page text had to be rebuilt from the document because a
    // change notice did not fit (none is expected).
    int rebuilds() const { return m_rebuilds; }

Q_SIGNALS:
    void focusReceived();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;
    void focusInEvent(QFocusEvent *event) override;
    QMimeData *createMimeDataFromSelection() const override;

private:
    void onContentsChange(int from, int removed, int added);
    void rebuild();
    // Before the user's input is inserted: typing at the start of an empty
    // piece would take the format of the break before it, and with it the
    // mark that makes a break one between pieces.
    void keepInputOffPieceMark();
    // Breaks between pieces (document positions) before pos.
    qsizetype piecesBefore(qsizetype pos) const;
    // Cuts the lines that the last edit made longer than twice the limit
    // into pieces, as a part of that edit's undo step.
    void cutLongLines();

    ChunkedText m_html;
    // The page text a batch edit leads to, taken at its change notice.
    std::optional<ChunkedText> m_batchResult;
    std::vector<int> m_batchPieces;
    // Document positions of the breaks between the pieces of long lines, in
    // order. Such a break is marked in its own character format, which the
    // document keeps through undo and redo; m_pieces follows the marks edit
    // by edit. Only a document that was given pieces can hold marks.
    std::vector<int> m_pieces;
    bool m_mayHavePieces = false;
    bool m_settingText = false;
    // The stretch of the document whose lines may have grown too long.
    qsizetype m_longFrom = -1;
    qsizetype m_longTo = -1;
    qsizetype m_longLine = LongLine;
    qsizetype m_editorLength = 0; // characters of the document, without its final break
    qsizetype m_blocks = 1;
    quint64 m_revision = 0;
    int m_inputDepth = 0;
    int m_rebuilds = 0;
};
