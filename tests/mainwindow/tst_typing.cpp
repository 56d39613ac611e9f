// Typing into the main window: the editor is the page while it is shown, and
// the page record is brought up to date when something reads it. After random
// typing, pasting, deleting, undoing and redoing the record always equals what
// the editor shows, and every command that runs right after a keystroke
// (saving, 書きかけ終了, quitting, switching pages, output, search, a script)
// sees that keystroke, in the order typed.

#include "AppPaths.h"
#include "AppStart.h"
#include "EditorText.h"
#include "MainForm.h"
#include "PageEditor.h"
#include "ProjectFile.h"
#include "RecordingUi.h"
#include "SettingsFiles.h"
#include "TextFiles.h"
#include "WidgetTestSupport.h"
#include "WizList.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// What the editor shows, as a page text: the document converted whole.
QString shownPage(const PageEditor *e)
{
    QString raw = e->document()->toRawText();
    raw.replace(QChar::ParagraphSeparator, u'\n');
    return EditorTextToHtml(raw);
}

const QString Nbsp = QString(QChar(0x00A0));
const QString LineSep = QString(QChar(0x2028));
const QString Typed = u"QZX"_s;

enum class After { Save, WorkBackup, Quit, SwitchPage, Output, Search, Script, SaveHtml };

} // namespace

Q_DECLARE_METATYPE(After)

class TestTyping : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        SetAppDir(m_dir->path());
        QDir(m_dir->path()).mkpath(u"temp"_s);
        m_ui = std::make_unique<RecordingUi>();
        m_form = std::make_unique<MainForm>();
        m_form->startUp();
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        editor()->setFocus();
    }

    void cleanup()
    {
        m_form.reset();
        m_ui.reset();
        m_dir.reset();
    }

    void typingLeavesTheRecordUntilItIsRead()
    {
        const QString before = m_form->projectFields().Html.at(0).HtmlStr;
        typeAtEnd(Typed);
        QVERIFY(m_form->pageBehind());
        QCOMPARE(m_form->projectFields().Html.at(0).HtmlStr, before);
        QVERIFY(m_form->projectFields().Henkou);
        // Read through the project, the record is what the editor shows.
        QCOMPARE(m_form->project().Html.at(0).HtmlStr, before + Typed);
        QVERIFY(!m_form->pageBehind());
    }

    void recordFollowsRandomEdits()
    {
        QRandomGenerator rng(13);
        AddHtmlDat(m_form->project(), u"二"_s, u"two"_s, u"<p>二"_s + Nbsp + u"</p>\r\n"_s, u".htm"_s);
        m_form->showKind(KindHtml);
        editor()->setHtmlText(u"<html>\r\n<body>\r\n<p>a"_s + Nbsp + u"b"_s + LineSep + u"c</p>\r\n</body>\r\n</html>"_s);
        const QStringList typed = {u"a"_s, u"あ"_s, Nbsp, LineSep, u">"_s};
        const QStringList pasted = {u"x\r\ny"_s, u"p\nq\rr"_s, Nbsp + LineSep, u"<br>\r\n"_s.repeated(20)};
        for (int step = 0; step < 1500; ++step) {
            PageEditor *e = editor();
            const int kind = rng.bounded(100);
            if (kind < 40) {
                TypeText(e, typed.at(rng.bounded(int(typed.size()))));
            } else if (kind < 48) {
                QTest::keyClick(e, Qt::Key_Return);
            } else if (kind < 58) {
                QTest::keyClick(e, rng.bounded(2) ? Qt::Key_Backspace : Qt::Key_Delete);
            } else if (kind < 66) {
                QTextCursor c = e->textCursor();
                const int len = e->document()->characterCount() - 1;
                c.setPosition(rng.bounded(len + 1));
                if (rng.bounded(2))
                    c.setPosition(rng.bounded(len + 1), QTextCursor::KeepAnchor);
                e->setTextCursor(c);
            } else if (kind < 74) {
                QApplication::clipboard()->setText(pasted.at(rng.bounded(int(pasted.size()))));
                QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
            } else if (kind < 84) {
                QTest::keyClick(e, Qt::Key_Z, Qt::ControlModifier);
            } else if (kind < 92) {
                QTest::keyClick(e, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
            } else if (kind < 96) {
                QTest::keyClick(e, Qt::Key_Return, Qt::ShiftModifier);
            } else {
                // The other page, and back later: each page keeps its own text.
                m_form->ui().DatList->setCurrentRow(1 - m_form->ui().DatList->currentRow());
            }
            const int now = m_form->projectFields().NowHtml;
            if (m_form->project().Html.at(now).HtmlStr != shownPage(e))
                QFAIL(qPrintable(u"step %1: the record differs from the editor"_s.arg(step)));
        }
        QCOMPARE(editor()->rebuilds(), 0);
    }

    void commandRightAfterAKeystrokeSeesIt_data()
    {
        QTest::addColumn<After>("after");
        QTest::newRow("save") << After::Save;
        QTest::newRow("書きかけ終了") << After::WorkBackup;
        QTest::newRow("quit") << After::Quit;
        QTest::newRow("switch page") << After::SwitchPage;
        QTest::newRow("output") << After::Output;
        QTest::newRow("search") << After::Search;
        QTest::newRow("script") << After::Script;
        QTest::newRow("save as HTML") << After::SaveHtml;
    }

    void commandRightAfterAKeystrokeSeesIt()
    {
        QFETCH(After, after);
        const QString hpf = m_dir->filePath(u"site.hpf"_s);
        if (after == After::Script) {
            writeBoldScript();
            m_form->ui().TagTypeCombo->setCurrentIndex(2);
            m_form->ui().InSelectList->setCurrentRow(0);
            QCOMPARE(m_form->ui().InTagList->count(), 1);
        }
        if (after == After::SwitchPage) {
            AddHtmlDat(m_form->project(), u"二"_s, u"two"_s, u"<p>two</p>"_s, u".htm"_s);
            m_form->showKind(KindHtml);
        }
        if (after == After::Save || after == After::Quit) {
            m_form->project().ProjectPath = hpf;
            m_form->project().Henkou = false;
        }
        const QString page = m_form->project().Html.at(0).HtmlStr;
        editor()->setFocus();
        typeAtEnd(Typed);

        switch (after) {
        case After::Save: {
            QTest::keyClick(editor(), Qt::Key_S, Qt::ControlModifier);
            QVERIFY(!m_form->projectFields().Henkou);
            QCOMPARE(loadedPage(hpf), page + Typed);
            break;
        }
        case After::WorkBackup:
            m_form->runCommand(u"minmnyWrEnd"_s);
            QCOMPARE(loadedPage(WrBackUpPath()), page + Typed);
            break;
        case After::Quit:
            m_ui->yesNoAnswers.enqueue(true);
            QVERIFY(m_form->close());
            QCOMPARE(loadedPage(hpf), page + Typed);
            break;
        case After::SwitchPage:
            QTest::mouseClick(m_form->ui().DatList->viewport(), Qt::LeftButton, {},
                              m_form->ui().DatList->visualItemRect(m_form->ui().DatList->item(1)).center());
            QCOMPARE(m_form->projectFields().NowHtml, qint16(1));
            // Stored when the page changed, not only when read.
            QCOMPARE(m_form->projectFields().Html.at(0).HtmlStr, page + Typed);
            m_form->ui().DatList->setCurrentRow(0);
            QCOMPARE(editor()->htmlText(), page + Typed);
            break;
        case After::Output: {
            const QString folder = m_dir->filePath(u"out"_s);
            m_form->project().SyuturyokuFolder = folder;
            m_form->updateUwagaki();
            m_form->runCommand(u"minmnyUwagaki"_s);
            QCOMPARE(DecodeHtmlBytes(ReadBytesOf(folder + u"/Index.htm"_s)), page + Typed + u"\r\n"_s);
            break;
        }
        case After::Search: {
            QVERIFY(DriveModal(this, [&] { m_form->runCommand(u"minmnySati"_s); }, [](QWidget *dlg) {
                dlg->findChild<QLineEdit *>(u"Text1"_s)->setText(Typed);
                QTest::mouseClick(dlg->findChild<QPushButton *>(u"Command1"_s), Qt::LeftButton);
            }));
            QVERIFY(m_ui->shown.isEmpty()); // found: no end-of-search message
            QCOMPARE(editor()->selectedHtml(), Typed);
            QCOMPARE(editor()->selectionStartHtml(), page.size());
            break;
        }
        case After::Script: {
            doubleClickEntry(m_form->ui().InTagList, 0);
            QCOMPARE(m_form->project().Html.at(0).HtmlStr, page + Typed + u"<b></b>"_s);
            break;
        }
        case After::SaveHtml: {
            const QString file = m_dir->filePath(u"page.htm"_s);
            m_ui->fileAnswers.enqueue(file);
            m_form->runCommand(u"minmnyHTMLNameSave"_s);
            QCOMPARE(DecodeHtmlBytes(ReadBytesOf(file)), page + Typed + u"\r\n"_s);
            break;
        }
        }
    }

    void keystrokesAndCommandsStayInOrder()
    {
        // A command's insertion between keystrokes lands between them.
        m_form->ui().TagTypeCombo->setCurrentIndex(0);
        m_form->ui().InSelectList->setCurrentRow(0);
        QListWidget *list = m_form->ui().InTagList;
        QVERIFY(list->count() > 0);
        const QString page = m_form->project().Html.at(0).HtmlStr;
        typeAtEnd(u"a"_s);
        doubleClickEntry(list, 0);
        editor()->setFocus();
        TypeText(editor(), u"b"_s);
        QCOMPARE(m_form->project().Html.at(0).HtmlStr, page + u"a<a href=\"Index.htm\"></a>b"_s);
        // Undone, the record is what the editor shows again.
        QTest::keyClick(editor(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(editor()->htmlText() != page + u"a<a href=\"Index.htm\"></a>b"_s);
        QCOMPARE(m_form->project().Html.at(0).HtmlStr, shownPage(editor()));
    }

private:
    PageEditor *editor() const { return m_form->ui().MainText; }

    static void doubleClickEntry(QListWidget *list, int row)
    {
        list->setCurrentRow(row);
        DoubleClickAt(list->viewport(), list->visualItemRect(list->item(row)).center());
    }

    void typeAtEnd(const QString &text)
    {
        editor()->moveCursor(QTextCursor::End);
        TypeText(editor(), text);
    }

    static QByteArray ReadBytesOf(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("UNREADABLE");
    }

    // Page 0 of a project file.
    static QString loadedPage(const QString &path)
    {
        ProjectDates p;
        if (LoadProjectFile(path, p) != LoadOk || p.Html.isEmpty())
            return u"NOT LOADED"_s;
        return p.Html.at(0).HtmlStr;
    }

    void writeBoldScript()
    {
        const QString folder = AppPath(u"\\Tools\\WizDates\\Olz\\Basic"_s);
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(SaveWizList(folder, {{u"太字"_s, u"太字にします。"_s}}));
        QVERIFY(WriteCp932File(WizDatePath(folder, 0), u"$WizDate,4,0,0,0,0,1,0,0,<b>,2,1,0,0,</b>,-1\r\n"_s));
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RecordingUi> m_ui;
    std::unique_ptr<MainForm> m_form;
};

int main(int argc, char *argv[])
{
    // The process as the program prepares it: the browser's drawing above all.
    PrepareProcess();
    QApplication app(argc, argv);
    TestTyping t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_typing.moc"
