// HTML colouring of the page editor: colours that read on any background,
// what lines on screen show, states carried across lines and kept right
// through edits, and the work left for idle time on big pages.
#include "HtmlHighlighter.h"
#include "PageEditor.h"
#include "WidgetTestSupport.h"

#include <QApplication>
#include <QPaintEvent>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <memory>

using namespace Qt::StringLiterals;
using HtmlScan::Kind;

namespace {

// The colour a line shows at each of its characters (invalid where it has
// none), and its background behind bookmarks.
struct LineColours
{
    QList<QColor> fg;
    QList<QColor> bg;
    bool operator==(const LineColours &o) const { return fg == o.fg && bg == o.bg; }
};

LineColours shown(const QTextBlock &b)
{
    LineColours c;
    const qsizetype n = b.text().size();
    c.fg = QList<QColor>(n);
    c.bg = QList<QColor>(n);
    for (const QTextLayout::FormatRange &r : b.layout()->formats()) {
        for (int i = r.start; i < r.start + r.length && i < n; ++i) {
            if (r.format.hasProperty(QTextFormat::ForegroundBrush))
                c.fg[i] = r.format.foreground().color();
            if (r.format.hasProperty(QTextFormat::BackgroundBrush))
                c.bg[i] = r.format.background().color();
        }
    }
    return c;
}

// What the line should show when read from state: the reader's spans in the
// highlighter's colours.
LineColours expected(const QString &line, int state, const HtmlColours &colours)
{
    LineColours c;
    c.fg = QList<QColor>(line.size());
    c.bg = QList<QColor>(line.size());
    QList<HtmlScan::Span> spans;
    HtmlScan::ScanLine(line, state, &spans);
    for (const HtmlScan::Span &s : spans) {
        for (qsizetype i = s.start; i < s.start + s.length; ++i) {
            c.fg[i] = colours.of(s.kind);
            if (s.kind == Kind::Bookmark)
                c.bg[i] = colours.bookmarkBack;
        }
    }
    return c;
}

// Line numbers of blocks from..to whose colours differ from a fresh reading
// of the whole text from the top.
QList<int> wrongLines(QTextDocument *doc, const HtmlColours &colours, int from, int to)
{
    QList<int> wrong;
    int state = HtmlScan::StartState;
    for (QTextBlock b = doc->begin(); b.isValid() && b.blockNumber() <= to; b = b.next()) {
        if (b.blockNumber() >= from && !(shown(b) == expected(b.text(), state, colours)))
            wrong.append(b.blockNumber());
        state = HtmlScan::ScanLine(b.text(), state);
    }
    return wrong;
}

bool uncoloured(const QTextBlock &b)
{
    return b.layout()->formats().isEmpty();
}

QString manyLines(int lines)
{
    QString t;
    for (int i = 0; i < lines; ++i)
        t += u"<p class=\"x\">行 %1 &amp; <b>太字</b></p>\r\n"_s.arg(i);
    return t;
}

} // namespace

class TestHtmlHighlighter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void coloursReadOnEveryBackground_data();
    void coloursReadOnEveryBackground();
    void linesOnScreenColoured();
    void commentOverLinesKeepsItsColour();
    void typingOpensAndClosesAComment();
    void randomEditsMatchAFreshReading();
    void undoAndRedoMatchAFreshReading();
    void bigPageColouredLazily();
    void scrolledIntoViewGetsColours();
    void switchedOffAndOn();
    void darkBackgroundChangesTheColours();
    void colouringIsNoEdit();
    void keystrokeRepaintsItsLineOnly();

private:
    void showEditor(int height = 400);
    void settle();

    std::unique_ptr<PageEditor> m_editor;
    HtmlHighlighter *m_hl = nullptr;
};

void TestHtmlHighlighter::init()
{
    m_editor = std::make_unique<PageEditor>();
    m_hl = new HtmlHighlighter(m_editor.get());
}

void TestHtmlHighlighter::cleanup()
{
    m_hl = nullptr;
    m_editor.reset();
}

void TestHtmlHighlighter::showEditor(int height)
{
    m_editor->resize(500, height);
    m_editor->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_editor.get()));
}

// Lets the queued colouring run, as the event loop would between keys.
void TestHtmlHighlighter::settle()
{
    QTRY_VERIFY(!m_hl->pending());
}

void TestHtmlHighlighter::coloursReadOnEveryBackground_data()
{
    QTest::addColumn<QColor>("background");
    QTest::newRow("white") << QColor(Qt::white);
    QTest::newRow("black") << QColor(Qt::black);
    QTest::newRow("navy") << QColor(0x00, 0x00, 0x80);
    QTest::newRow("mid grey") << QColor(0x80, 0x80, 0x80);
    QTest::newRow("yellow") << QColor(Qt::yellow);
    QTest::newRow("dark editor theme") << QColor(0x1E, 0x1E, 0x1E);
    QTest::newRow("cream") << QColor(0xF0, 0xF0, 0xE0);
    QTest::newRow("dark red") << QColor(0x40, 0x00, 0x00);
    QTest::newRow("green") << QColor(0x00, 0xFF, 0x00);
}

void TestHtmlHighlighter::coloursReadOnEveryBackground()
{
    QFETCH(QColor, background);
    const HtmlColours c = DeriveHtmlColours(background);
    const QList<QColor> text = {c.tag, c.attrName, c.attrValue, c.comment, c.charRef};
    for (const QColor &fg : text)
        QVERIFY2(ContrastRatio(fg, background) >= 4.5,
                 qPrintable(u"%1 on %2: %3"_s.arg(fg.name(), background.name()).arg(ContrastRatio(fg, background))));
    QVERIFY(ContrastRatio(c.bookmarkText, c.bookmarkBack) >= 4.5);
    // Bookmarks stand out from the page.
    QVERIFY(c.bookmarkBack != background);
    // The kinds can be told apart.
    for (int i = 0; i < text.size(); ++i)
        for (int j = i + 1; j < text.size(); ++j)
            QVERIFY2(text.at(i) != text.at(j), qPrintable(u"%1 and %2"_s.arg(i).arg(j)));
}

void TestHtmlHighlighter::linesOnScreenColoured()
{
    showEditor();
    m_editor->setHtmlText(u"<a href=\"top.htm\">目次</a> &amp;\r\n<!--しおり：上-->\r\ntext"_s);
    settle();
    const HtmlColours &c = m_hl->colours();
    const QTextBlock first = m_editor->document()->firstBlock();
    const LineColours l = shown(first);
    QCOMPARE(l.fg.at(0), c.tag);          // <
    QCOMPARE(l.fg.at(3), c.attrName);     // href
    QCOMPARE(l.fg.at(8), c.attrValue);    // "top.htm"
    QCOMPARE(l.fg.at(17), c.tag);         // >
    QCOMPARE(l.fg.at(18), QColor());      // 目
    QCOMPARE(l.fg.at(25), c.charRef);     // &amp;
    const LineColours bookmark = shown(first.next());
    QCOMPARE(bookmark.fg.at(0), c.bookmarkText);
    QCOMPARE(bookmark.bg.at(5), c.bookmarkBack);
    QVERIFY(uncoloured(first.next().next()));
    QCOMPARE(wrongLines(m_editor->document(), c, 0, 2), QList<int>());
}

void TestHtmlHighlighter::commentOverLinesKeepsItsColour()
{
    showEditor();
    m_editor->setHtmlText(u"<!-- 始め\r\n<p>中</p>\r\n終わり --><b>\r\n<img\r\n  src=\"a.gif\">"_s);
    settle();
    const HtmlColours &c = m_hl->colours();
    const QTextBlock second = m_editor->document()->findBlockByNumber(1);
    for (const QColor &fg : shown(second).fg)
        QCOMPARE(fg, c.comment);
    const QTextBlock fifth = m_editor->document()->findBlockByNumber(4);
    QCOMPARE(shown(fifth).fg.at(2), c.attrName);
    QCOMPARE(wrongLines(m_editor->document(), c, 0, 4), QList<int>());
}

// Typing "<!--" at the top turns everything below into a comment; "-->"
// gives the lines their colours back. Only what is on screen is coloured at
// once; the states of all lines follow while idle.
void TestHtmlHighlighter::typingOpensAndClosesAComment()
{
    showEditor();
    m_editor->setHtmlText(manyLines(3000));
    settle();
    QCOMPARE(m_hl->knownLines(), m_editor->document()->blockCount());
    const HtmlColours &c = m_hl->colours();

    m_editor->moveCursor(QTextCursor::Start);
    TypeText(m_editor.get(), u"<!--"_s);
    settle();
    QCOMPARE(m_hl->knownLines(), m_editor->document()->blockCount());
    QTextDocument *doc = m_editor->document();
    QCOMPARE(shown(doc->findBlockByNumber(5)).fg.at(0), c.comment);
    QCOMPARE(wrongLines(doc, c, 0, 20), QList<int>());
    // Far below, nothing was coloured: only its state is known.
    QVERIFY(uncoloured(doc->findBlockByNumber(2500)));

    TypeText(m_editor.get(), u"-->"_s);
    settle();
    QCOMPARE(shown(doc->findBlockByNumber(5)).fg.at(0), c.tag);
    QCOMPARE(wrongLines(doc, c, 0, 20), QList<int>());

    // Scrolled to the end, the last lines show the right colours.
    m_editor->moveCursor(QTextCursor::End);
    QTRY_VERIFY(m_editor->verticalScrollBar()->value() > 0);
    settle();
    QCOMPARE(wrongLines(doc, c, doc->blockCount() - 10, doc->blockCount() - 1), QList<int>());
}

// Edits of every kind (typing, breaking and joining lines, pasting markup
// over several lines, deleting stretches) at random places, with the
// colouring sometimes let run and sometimes not: every line then shows what a
// fresh reading from the top gives.
void TestHtmlHighlighter::randomEditsMatchAFreshReading()
{
    showEditor(2600); // every line on screen
    m_editor->setHtmlText(u"<html>\r\n<body>\r\n<p title=\"a\">x</p>\r\n<!-- c -->\r\n</body>\r\n</html>"_s);
    settle();
    const QStringList pieces = {u"<"_s, u">"_s, u"<!--"_s, u"-->"_s, u"\""_s, u"'"_s, u"="_s, u"\n"_s,
                                u"\n\n"_s, u"<b>"_s, u"</b>"_s, u"&amp;"_s, u"<script>"_s, u"</script>"_s,
                                u"<a href=\"x\n y\">"_s, u"<!--しおり：名-->"_s, u"text"_s, u" "_s};
    QRandomGenerator rng(4242);
    QTextDocument *doc = m_editor->document();
    for (int step = 0; step < 600; ++step) {
        QTextCursor cur(doc);
        const int size = doc->characterCount() - 1;
        cur.setPosition(rng.bounded(size + 1));
        if (rng.bounded(4) == 0 && size > 0) {
            const int end = std::min(size, cur.position() + rng.bounded(1, 12));
            cur.setPosition(end, QTextCursor::KeepAnchor);
            cur.removeSelectedText();
        } else {
            cur.insertText(pieces.at(rng.bounded(pieces.size())));
        }
        if (doc->blockCount() > 150) {
            // Keep every line on screen.
            QTextCursor cut(doc->findBlockByNumber(100));
            cut.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
            cut.removeSelectedText();
        }
        if (rng.bounded(3) == 0)
            settle();
        if (step % 50 == 49) {
            settle();
            const QList<int> wrong = wrongLines(doc, m_hl->colours(), 0, doc->blockCount() - 1);
            QVERIFY2(wrong.isEmpty(), qPrintable(u"step %1: line %2 of \"%3\""_s.arg(step).arg(
                                          wrong.value(0)).arg(doc->toPlainText())));
        }
    }
    // The editor's page text followed every edit piece by piece: colouring
    // never made it read the whole document again.
    QCOMPARE(m_editor->rebuilds(), 0);
    QCOMPARE(m_editor->htmlText(), m_editor->document()->toPlainText().replace(u'\n', u"\r\n"_s));
}

void TestHtmlHighlighter::undoAndRedoMatchAFreshReading()
{
    showEditor(2600);
    m_editor->setHtmlText(manyLines(40));
    settle();
    QTextDocument *doc = m_editor->document();
    QTextCursor cur(doc->findBlockByNumber(10));
    cur.insertText(u"<!--\n\n"_s);
    cur.setPosition(doc->findBlockByNumber(30).position());
    cur.insertText(u"<a title=\"-->"_s);
    settle();
    QCOMPARE(wrongLines(doc, m_hl->colours(), 0, doc->blockCount() - 1), QList<int>());
    m_editor->undo();
    settle();
    QCOMPARE(wrongLines(doc, m_hl->colours(), 0, doc->blockCount() - 1), QList<int>());
    m_editor->undo();
    m_editor->redo();
    settle();
    QCOMPARE(wrongLines(doc, m_hl->colours(), 0, doc->blockCount() - 1), QList<int>());
}

// Showing a page of 100,000 lines colours the screen at once and reads the
// rest while idle, a slice at a time; nothing below the screen is coloured.
void TestHtmlHighlighter::bigPageColouredLazily()
{
    showEditor();
    m_editor->setHtmlText(manyLines(100000));
    QTextDocument *doc = m_editor->document();
    // One round of the event loop: the screen is coloured, not the page.
    QCoreApplication::processEvents();
    QCOMPARE(wrongLines(doc, m_hl->colours(), 0, 10), QList<int>());
    QVERIFY(m_hl->knownLines() < doc->blockCount());
    settle();
    QCOMPARE(m_hl->knownLines(), doc->blockCount());
    QVERIFY(uncoloured(doc->findBlockByNumber(50000)));
}

// Lines coloured while a comment was open get their own colours back when
// they are scrolled into view again after the comment was closed.
void TestHtmlHighlighter::scrolledIntoViewGetsColours()
{
    showEditor();
    m_editor->setHtmlText(u"<!--\r\n"_s + manyLines(5000));
    settle();
    QTextDocument *doc = m_editor->document();
    m_editor->verticalScrollBar()->setValue(4000);
    settle();
    const int top = doc->findBlockByLineNumber(4000).blockNumber();
    QCOMPARE(shown(doc->findBlockByNumber(top + 1)).fg.at(0), m_hl->colours().comment);
    m_editor->verticalScrollBar()->setValue(0);
    settle();
    // Close the comment on the first line while only the top is on screen.
    QTextCursor cur(doc->firstBlock());
    cur.movePosition(QTextCursor::EndOfBlock);
    cur.insertText(u"-->"_s);
    settle();
    QCOMPARE(shown(doc->findBlockByNumber(top + 1)).fg.at(0), m_hl->colours().comment); // not on screen
    m_editor->verticalScrollBar()->setValue(4000);
    settle();
    QCOMPARE(wrongLines(doc, m_hl->colours(), top, top + 10), QList<int>());
    QCOMPARE(shown(doc->findBlockByNumber(top + 1)).fg.at(0), m_hl->colours().tag);
}

void TestHtmlHighlighter::switchedOffAndOn()
{
    showEditor();
    m_editor->setHtmlText(manyLines(200));
    settle();
    QTextDocument *doc = m_editor->document();
    QVERIFY(!uncoloured(doc->firstBlock()));
    m_hl->setEnabled(false);
    settle();
    for (QTextBlock b = doc->begin(); b.isValid() && b.blockNumber() < 15; b = b.next())
        QVERIFY(uncoloured(b));
    // Typing while off colours nothing.
    m_editor->moveCursor(QTextCursor::Start);
    TypeText(m_editor.get(), u"<b>"_s);
    settle();
    QVERIFY(uncoloured(doc->firstBlock()));
    m_hl->setEnabled(true);
    settle();
    QCOMPARE(wrongLines(doc, m_hl->colours(), 0, 15), QList<int>());
}

void TestHtmlHighlighter::darkBackgroundChangesTheColours()
{
    showEditor();
    m_editor->setHtmlText(u"<p>x</p>"_s);
    settle();
    const QColor lightTag = m_hl->colours().tag;
    QPalette pal = m_editor->palette();
    pal.setColor(QPalette::Base, QColor(0x10, 0x10, 0x20));
    pal.setColor(QPalette::Text, QColor(0xE0, 0xE0, 0xE0));
    m_editor->setPalette(pal);
    settle();
    const QColor darkTag = m_hl->colours().tag;
    QVERIFY(darkTag != lightTag);
    QCOMPARE(m_hl->colours().tag, DeriveHtmlColours(QColor(0x10, 0x10, 0x20)).tag);
    QCOMPARE(shown(m_editor->document()->firstBlock()).fg.at(0), darkTag);
}

// Colours are no change of the text: no change notice (which would make the
// page record follow), no undo step, the document stays unmodified.
void TestHtmlHighlighter::colouringIsNoEdit()
{
    showEditor();
    m_editor->setHtmlText(manyLines(300));
    m_editor->document()->setModified(false);
    QSignalSpy changes(m_editor->document(), &QTextDocument::contentsChange);
    QSignalSpy textChanged(m_editor.get(), &QPlainTextEdit::textChanged);
    settle();
    m_editor->verticalScrollBar()->setValue(200);
    settle();
    m_hl->setEnabled(false);
    settle();
    QCOMPARE(changes.count(), 0);
    QCOMPARE(textChanged.count(), 0);
    QVERIFY(!m_editor->document()->isModified());
    QVERIFY(!m_editor->document()->isUndoAvailable());
}

// Colouring the line a key changed repaints that line, not the whole screen
// (which would cost every keystroke a full repaint of coloured text), and the
// line shows its new colours.
void TestHtmlHighlighter::keystrokeRepaintsItsLineOnly()
{
    showEditor();
    m_editor->setHtmlText(manyLines(300));
    settle();
    QTextCursor c(m_editor->document()->findBlockByNumber(5));
    c.movePosition(QTextCursor::EndOfBlock);
    c.movePosition(QTextCursor::Left, QTextCursor::MoveAnchor, 4); // inside "</p>"
    m_editor->setTextCursor(c);
    settle();
    QCoreApplication::processEvents();

    struct PaintSpy : QObject
    {
        int tallest = 0;
        int paints = 0;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Paint) {
                ++paints;
                tallest = std::max(tallest, static_cast<QPaintEvent *>(e)->rect().height());
            }
            return false;
        }
    } spy;
    m_editor->viewport()->installEventFilter(&spy);
    const int lineHeight = m_editor->fontMetrics().lineSpacing();
    for (const QChar ch : u" class=\"y\""_s) {
        QTest::keyClicks(m_editor.get(), QString(ch));
        settle();
        QCoreApplication::processEvents();
    }
    m_editor->viewport()->removeEventFilter(&spy);
    QVERIFY(spy.paints > 0);
    QVERIFY2(spy.tallest <= 3 * lineHeight,
             qPrintable(u"a paint of %1 pixels for lines of %2"_s.arg(spy.tallest).arg(lineHeight)));
    const QTextBlock edited = m_editor->document()->findBlockByNumber(5);
    QVERIFY(edited.text().contains(u"class=\"y\""_s));
    QVERIFY(wrongLines(m_editor->document(), m_hl->colours(), 0, 40).isEmpty());
}

QTEST_MAIN(TestHtmlHighlighter)
#include "tst_htmlhighlighter.moc"
