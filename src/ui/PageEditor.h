#pragma once

#include <QPlainTextEdit>

// The page editor MainText. It shows a page whose line breaks are CR LF and
// offers its selection in page-text positions (a CR LF counts two), so that
// search hits and bookmarks select exactly the text they found.
class PageEditor : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit PageEditor(QWidget *parent = nullptr);

    // The editor's whole text with CR LF line breaks.
    QString htmlText() const;
    // Shows a page text (CR LF line breaks); emits textChanged like typing does.
    void setHtmlText(const QString &html);

    // The selected text with CR LF line breaks.
    QString selectedHtml() const;
    // Replaces the selection (or inserts at the caret) as one edit, with a text
    // whose line breaks are CR LF.
    void replaceSelection(const QString &html);

    // Selection in page-text positions.
    qsizetype selectionStartHtml() const;
    qsizetype selectionLengthHtml() const;
    void selectHtml(qsizetype start, qsizetype length);

Q_SIGNALS:
    void focusReceived();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
};
