// The page editor keeps the page text (CR LF) in step with its document edit
// by edit. Random typing, pasting, cutting, deleting, undoing and redoing
// through real key events, in a page with CR LF, no-break spaces and line
// separators: after every step the kept text equals the document converted
// whole, and positions map both ways as a whole-text count does.

#include "EditorText.h"
#include "PageEditor.h"
#include "WidgetTestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// What the editor shows, as a page text: the document converted whole, the
// breaks between the pieces of a long line left out.
QString shownPage(const PageEditor &e)
{
    QString page;
    for (QTextBlock b = e.document()->begin(); b.isValid(); b = b.next())
        page += (b.position() == 0 || PageEditor::startsPiece(b) ? u""_s : u"\r\n"_s) + b.text();
    return page;
}

const QString Nbsp = QString(QChar(0x00A0));
const QString LineSep = QString(QChar(0x2028));

QString startPage()
{
    return u"<html>\r\n<head><title>頁</title></head>\r\n<body>\r\n<p>a"_s + Nbsp + u"b"_s + LineSep
           + u"c</p>\r\n\r\n</body>\r\n</html>"_s;
}

} // namespace

class TestPageEditor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_editor = std::make_unique<PageEditor>();
        m_editor->resize(600, 400);
        m_editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_editor.get()));
        m_editor->setFocus();
    }

    void cleanup() { m_editor.reset(); }

    void keepsSpecialCharacters_data()
    {
        QTest::addColumn<QString>("page");
        QTest::newRow("empty") << QString();
        QTest::newRow("one line") << u"abc"_s;
        QTest::newRow("CR LF") << u"a\r\nb\r\n"_s;
        QTest::newRow("only breaks") << u"\r\n\r\n\r\n"_s;
        QTest::newRow("no-break space and line separator") << startPage();
        QTest::newRow("NUL characters") << (u"<p>"_s + QString(9, QChar(0)) + u"</p>\r\n"_s + QChar(0) + u"x"_s);
    }

    void keepsSpecialCharacters()
    {
        QFETCH(QString, page);
        m_editor->setHtmlText(page);
        QCOMPARE(m_editor->htmlText(), page);
        QVERIFY(m_editor->htmlSnapshot() == page);
        QCOMPARE(m_editor->htmlSize(), page.size());
        // Typed into, the special characters stay.
        QTest::keyClick(m_editor.get(), Qt::Key_End, Qt::ControlModifier);
        TypeText(m_editor.get(), Nbsp + LineSep + u"x"_s);
        QCOMPARE(m_editor->htmlText(), page + Nbsp + LineSep + u"x"_s);
        QCOMPARE(m_editor->htmlText(), shownPage(*m_editor));
        QCOMPARE(m_editor->rebuilds(), 0);
    }

    void nulCharactersKeepToTheEditorsFont()
    {
        // No font has NUL: looking through every fallback font for each one
        // took seconds per line of them. The page still shows with one notice
        // of its text, as a new page (no undo step).
        const QString page = u"<p>"_s + QString(5000, QChar(0)) + u"</p>\r\n"_s + QString(3, QChar(0)) + u"x"_s;
        QSignalSpy changed(m_editor.get(), &QPlainTextEdit::textChanged);
        m_editor->setHtmlText(page);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(m_editor->htmlText(), page);
        QVERIFY(!m_editor->document()->isUndoAvailable());
        QVERIFY(!m_editor->document()->isModified());
        QCOMPARE(m_editor->textCursor().position(), 0);
        const QString text = m_editor->document()->toRawText();
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text.at(i) == QChar::ParagraphSeparator)
                continue;
            QTextCursor c(m_editor->document());
            c.setPosition(int(i + 1)); // the format of the character before
            QCOMPARE(bool(c.charFormat().fontStyleStrategy() & QFont::NoFontMerging), text.at(i).isNull());
        }
        // Typing into it keeps the page in step.
        m_editor->selectHtml(10, 0);
        TypeText(m_editor.get(), u"ab"_s);
        QCOMPARE(m_editor->htmlText(), QString(page).insert(10, u"ab"_s));
        QCOMPARE(m_editor->rebuilds(), 0);
    }

    void longLinesInPiecesKeepThePage_data()
    {
        // A page, the steps (caret or selection at page positions, keys,
        // paste, copy, undo) and the page after them. Lines are shown in
        // pieces of at most four characters: abcd|efgh|ij.
        QTest::addColumn<QString>("page");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("expected");
        const QString abc = u"abcdefghij"_s;
        QTest::newRow("shown") << abc << QStringList{u"lines 3"_s} << abc;
        QTest::newRow("typed at a break") << abc << QStringList{u"at 4"_s, u"type X"_s} << u"abcdXefghij"_s;
        QTest::newRow("backspace at a piece's start") << abc << QStringList{u"at 4"_s, u"key Backspace"_s}
                                                      << u"abcefghij"_s;
        QTest::newRow("delete at a piece's end") << abc << QStringList{u"at 1"_s, u"key End"_s, u"key Delete"_s}
                                                 << u"abcdfghij"_s;
        QTest::newRow("selection across a break") << abc << QStringList{u"sel 2 4"_s, u"key Backspace"_s}
                                                  << u"abghij"_s;
        QTest::newRow("lines pasted into an emptied piece")
            << abc << (QStringList{u"at 4"_s, u"key End"_s} + QStringList(4, u"key Backspace"_s)
                       + QStringList{u"paste 1\n2"_s, u"type Y"_s})
            << u"abcd1\r\n2Yij"_s;
        QTest::newRow("lines pasted over a break") << abc << QStringList{u"sel 3 2"_s, u"paste 1\n2"_s}
                                                   << u"abc1\r\n2fghij"_s;
        QTest::newRow("copied without the breaks") << abc << QStringList{u"sel 2 7"_s, u"copy"_s, u"at 10"_s, u"paste"_s}
                                                   << u"abcdefghijcdefghi"_s;
        QTest::newRow("undone and redone")
            << abc << QStringList{u"sel 2 4"_s, u"type Z"_s, u"undo"_s, u"redo"_s, u"undo"_s} << abc;
        QTest::newRow("replaced across a break") << abc << QStringList{u"replace def"_s, u"lines 2"_s} << u"abcghij"_s;
        QTest::newRow("found after breaks, between lines")
            << u"a\r\n"_s + abc + u"\r\nx"_s << QStringList{u"sel 9 3"_s, u"type <>"_s} << u"a\r\nabcdef<>j\r\nx"_s;
        // A line made longer than twice the limit is cut with the edit.
        QTest::newRow("long line pasted")
            << u"ab"_s << QStringList{u"at 1"_s, u"paste 0123456789"_s, u"lines 3"_s, u"undo"_s, u"lines 1"_s}
            << u"ab"_s;
        QTest::newRow("lines joined by a replacement")
            << u"ab\r\ncd\r\nef\r\ngh\r\nij"_s << QStringList{u"replace \r\n"_s, u"lines 3"_s} << abc;
    }

    void longLinesInPiecesKeepThePage()
    {
        QFETCH(QString, page);
        QFETCH(QStringList, steps);
        QFETCH(QString, expected);
        m_editor->setLongLineLimit(4);
        m_editor->setHtmlText(page);
        for (const QString &step : steps) {
            const QString arg = step.section(u' ', 1);
            const int at = arg.section(u' ', 0, 0).toInt();
            if (step.startsWith(u"at "_s) || step.startsWith(u"sel "_s)) {
                m_editor->selectHtml(at, arg.section(u' ', 1).toInt());
                QCOMPARE(m_editor->selectedHtml(), m_editor->htmlText().mid(at, arg.section(u' ', 1).toInt()));
            } else if (step.startsWith(u"lines "_s)) {
                QCOMPARE(m_editor->document()->blockCount(), at);
            } else if (step.startsWith(u"replace "_s)) {
                QList<qsizetype> hits;
                for (qsizetype h = page.indexOf(arg); h >= 0; h = page.indexOf(arg, h + 1))
                    hits.append(h);
                m_editor->replaceHtmlStretches(hits, arg.size(), QString());
            } else if (step.startsWith(u"type "_s)) {
                TypeText(m_editor.get(), arg);
            } else if (step.startsWith(u"key "_s)) {
                QTest::keyClick(m_editor.get(),
                                arg == u"End"_s ? Qt::Key_End : arg == u"Delete"_s ? Qt::Key_Delete : Qt::Key_Backspace);
            } else if (step.startsWith(u"paste"_s)) {
                if (!arg.isEmpty())
                    QApplication::clipboard()->setText(arg);
                QTest::keyClick(m_editor.get(), Qt::Key_V, Qt::ControlModifier);
            } else {
                QTest::keyClick(m_editor.get(), step == u"copy"_s ? Qt::Key_C : Qt::Key_Z,
                                step == u"redo"_s ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
            }
            QCOMPARE(m_editor->htmlText(), shownPage(*m_editor));
        }
        QCOMPARE(m_editor->htmlText(), expected);
        QCOMPARE(m_editor->rebuilds(), 0);
        // Every page position but an LF comes back from the editor as it went.
        for (qsizetype h = 0; h <= expected.size(); ++h) {
            if (h == 0 || expected.at(h - 1) != u'\r')
                QCOMPARE(m_editor->editorPosToHtml(m_editor->htmlPosToEditor(h)), h);
        }
    }

    void loneBreaksBecomeCrLf()
    {
        m_editor->setHtmlText(u"a\nb\rc\r\nd"_s);
        QCOMPARE(m_editor->htmlText(), u"a\r\nb\r\nc\r\nd"_s);
    }

    void revisionCountsChanges()
    {
        m_editor->setHtmlText(u"abc"_s);
        const quint64 r = m_editor->revision();
        TypeText(m_editor.get(), u"x"_s);
        QVERIFY(m_editor->revision() > r);
        const quint64 r2 = m_editor->revision();
        m_editor->moveCursor(QTextCursor::Start);
        QCOMPARE(m_editor->revision(), r2);
    }

    void snapshotIsNotChangedByTyping()
    {
        m_editor->setHtmlText(startPage());
        const ChunkedText before = m_editor->htmlSnapshot();
        TypeText(m_editor.get(), u"typed"_s);
        QVERIFY(before == startPage());
        QVERIFY(m_editor->htmlSnapshot() != before);
    }

    void keysAreTyping()
    {
        bool typing = false;
        connect(m_editor.get(), &QPlainTextEdit::textChanged, this, [&] { typing = m_editor->handlingInput(); });
        TypeText(m_editor.get(), u"a"_s);
        QVERIFY(typing);
        QTest::keyClick(m_editor.get(), Qt::Key_Return, Qt::ShiftModifier);
        QVERIFY(typing);
        QApplication::clipboard()->setText(u"pasted"_s);
        QTest::keyClick(m_editor.get(), Qt::Key_V, Qt::ControlModifier);
        QVERIFY(typing);
        QVERIFY(m_editor->htmlText().endsWith(u"<br>\r\npasted"_s));
        // A command's edit is not.
        m_editor->replaceSelection(u"cmd"_s);
        QVERIFY(!typing);
        QVERIFY(!m_editor->handlingInput());
    }

    void positionsMapAsTheWholeTextCounts()
    {
        const QString page = u"ab\r\n\r\nc"_s + Nbsp + u"\r\nd"_s;
        m_editor->setHtmlText(page);
        const QString editorText = HtmlToEditorText(page);
        for (qsizetype e = 0; e <= editorText.size(); ++e)
            QCOMPARE(m_editor->editorPosToHtml(e), EditorPosToHtmlPos(page, e));
        for (qsizetype h = 0; h <= page.size(); ++h)
            QCOMPARE(m_editor->htmlPosToEditor(h), HtmlPosToEditorPos(page, h));
        m_editor->selectHtml(2, 4);
        QCOMPARE(m_editor->selectionStartHtml(), qsizetype(2));
        QCOMPARE(m_editor->selectionLengthHtml(), qsizetype(4));
        QCOMPARE(m_editor->selectedHtml(), u"\r\n\r\n"_s);
    }

    void batchReplaceKeepsThePageInStep_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("repl");
        QTest::newRow("in one line") << u"aXa"_s << u"a"_s << u"aa"_s;
        QTest::newRow("across lines") << u"<b>x</b>\r\n<b>y</b>\r\n"_s.repeated(50) << u"<b>"_s << u"<strong>"_s;
        QTest::newRow("replacement with a line break") << u"a;b;c"_s << u";"_s << u"\r\n"_s;
        QTest::newRow("hit at both ends") << u"zmiddlez"_s << u"z"_s << u"<>"_s;
        QTest::newRow("special characters") << startPage() << u"b"_s + LineSep << Nbsp + u"B"_s;
        QTest::newRow("shorter") << u"<strong>1</strong> <strong>2</strong>"_s << u"strong"_s << u"b"_s;
    }

    void batchReplaceKeepsThePageInStep()
    {
        QFETCH(QString, page);
        QFETCH(QString, find);
        QFETCH(QString, repl);
        m_editor->setHtmlText(page);
        QList<qsizetype> starts;
        for (qsizetype at = page.indexOf(find); at >= 0; at = page.indexOf(find, at + find.size()))
            starts.append(at);
        QVERIFY(!starts.isEmpty());
        QSignalSpy changed(m_editor.get(), &QPlainTextEdit::textChanged);
        m_editor->replaceHtmlStretches(starts, find.size(), repl);
        const QString expected = QString(page).replace(find, repl);
        QCOMPARE(m_editor->htmlText(), expected);
        QCOMPARE(shownPage(*m_editor), expected);
        QCOMPARE(changed.count(), 1);
        // The caret stands after the last replacement.
        QCOMPARE(m_editor->selectionStartHtml(), expected.lastIndexOf(repl) + repl.size());
        m_editor->undo();
        QCOMPARE(m_editor->htmlText(), page);
        m_editor->redo();
        QCOMPARE(m_editor->htmlText(), expected);
        QCOMPARE(m_editor->htmlText(), shownPage(*m_editor));
        QCOMPARE(m_editor->rebuilds(), 0);
    }

    void batchReplaceThatSplitsALineBreakReadsTheDocument()
    {
        // The LF of a CR LF alone has no counterpart in the editor: what the
        // editor then shows is what the page text holds.
        m_editor->setHtmlText(u"a\r\nb"_s);
        m_editor->replaceHtmlStretches({2}, 1, u"X"_s);
        QCOMPARE(m_editor->htmlText(), shownPage(*m_editor));
    }

    void randomEditsKeepThePageInStep_data()
    {
        QTest::addColumn<int>("longLine");
        QTest::newRow("whole lines") << int(PageEditor::LongLine);
        QTest::newRow("lines in pieces") << 6;
    }

    void randomEditsKeepThePageInStep()
    {
        QFETCH(int, longLine);
        QRandomGenerator rng(1302);
        m_editor->setLongLineLimit(longLine);
        m_editor->setHtmlText(startPage());
        const QStringList typed = {u"a"_s, u"Z"_s, u"あ"_s, u"<"_s, Nbsp, LineSep, u" "_s};
        const QStringList pasted = {u"x\r\ny"_s, u"p\nq\rr"_s, Nbsp + LineSep + u"z"_s, u"\r\n"_s,
                                    u"<p>段落</p>\r\n<p>two</p>\r\n"_s.repeated(30)};
        const int steps = 3000;
        for (int step = 0; step < steps; ++step) {
            const QString what = applyRandomEdit(rng, typed, pasted);
            if (m_editor->htmlText() != shownPage(*m_editor))
                QFAIL(qPrintable(u"step %1 (%2): the kept text differs from the document"_s.arg(step).arg(what)));
            if (!(m_editor->htmlSnapshot() == shownPage(*m_editor)))
                QFAIL(qPrintable(u"step %1 (%2): the copy differs"_s.arg(step).arg(what)));
            if (step % 50 == 0)
                checkPositions(rng);
        }
        QCOMPARE(m_editor->rebuilds(), 0);
    }

private:
    // One edit as a user makes it (or a command); returns its name.
    QString applyRandomEdit(QRandomGenerator &rng, const QStringList &typed, const QStringList &pasted)
    {
        PageEditor *e = m_editor.get();
        const int kind = rng.bounded(100);
        if (kind < 35) {
            TypeText(e, typed.at(rng.bounded(int(typed.size()))));
            return u"type"_s;
        }
        if (kind < 42) {
            QTest::keyClick(e, Qt::Key_Return);
            return u"enter"_s;
        }
        if (kind < 45) {
            QTest::keyClick(e, Qt::Key_Return, rng.bounded(2) ? Qt::ShiftModifier : Qt::ControlModifier);
            return u"tag enter"_s;
        }
        if (kind < 53) {
            QTest::keyClick(e, Qt::Key_Backspace);
            return u"backspace"_s;
        }
        if (kind < 58) {
            QTest::keyClick(e, Qt::Key_Delete);
            return u"delete"_s;
        }
        if (kind < 66) {
            // Caret somewhere, with or without a selection.
            QTextCursor c = e->textCursor();
            const int len = e->document()->characterCount() - 1;
            c.setPosition(rng.bounded(len + 1));
            if (rng.bounded(2))
                c.setPosition(rng.bounded(len + 1), QTextCursor::KeepAnchor);
            e->setTextCursor(c);
            return u"move"_s;
        }
        if (kind < 70) {
            QTest::keyClick(e, Qt::Key_Right, Qt::ShiftModifier);
            QTest::keyClick(e, Qt::Key_Down, Qt::ShiftModifier);
            return u"select"_s;
        }
        if (kind < 77) {
            QApplication::clipboard()->setText(pasted.at(rng.bounded(int(pasted.size()))));
            QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
            return u"paste"_s;
        }
        if (kind < 80) {
            QTest::keyClick(e, Qt::Key_X, Qt::ControlModifier);
            return u"cut"_s;
        }
        if (kind < 88) {
            QTest::keyClick(e, Qt::Key_Z, Qt::ControlModifier);
            return u"undo"_s;
        }
        if (kind < 94) {
            QTest::keyClick(e, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
            return u"redo"_s;
        }
        if (kind < 98) {
            e->replaceSelection(pasted.at(rng.bounded(int(pasted.size()))));
            return u"command"_s;
        }
        if (kind < 99) {
            QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
            TypeText(e, u"all"_s);
            return u"replace all"_s;
        }
        e->setHtmlText(startPage());
        return u"new page"_s;
    }

    void checkPositions(QRandomGenerator &rng)
    {
        const QString page = shownPage(*m_editor);
        const qsizetype editorLen = m_editor->document()->characterCount() - 1;
        const bool whole = m_editor->document()->blockCount() == page.count(u'\n') + 1;
        for (int k = 0; k < 20; ++k) {
            const qsizetype ep = rng.bounded(int(editorLen + 1));
            const qsizetype hp = rng.bounded(int(page.size() + 1));
            if (whole) {
                QCOMPARE(m_editor->editorPosToHtml(ep), EditorPosToHtmlPos(page, ep));
                QCOMPARE(m_editor->htmlPosToEditor(hp), HtmlPosToEditorPos(page, hp));
            }
            // A position between a CR and its LF comes back as the one after the LF.
            QCOMPARE(m_editor->editorPosToHtml(m_editor->htmlPosToEditor(hp)),
                     hp + (hp > 0 && page.at(hp - 1) == u'\r' ? 1 : 0));
        }
    }

    std::unique_ptr<PageEditor> m_editor;
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    TestPageEditor t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_pageeditor.moc"
