// The item commands through the main window: adding, configuring and deleting
// pages, pictures and other files, the page clipboard, the editor commands
// and project output, with the real settings and output dialogs.

#include "AppPaths.h"
#include "TestSupport.h"
#include "WidgetTestSupport.h"
#include "ItemCommands.h"
#include "MainForm.h"
#include "PageEditor.h"
#include "RecordingUi.h"
#include "SyuturyokuDat.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QRegularExpression>
#include <QTimer>

#include <functional>
#include <memory>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

QLineEdit *edit(QWidget *dlg, const QString &name)
{
    return dlg->findChild<QLineEdit *>(name);
}

void click(QWidget *dlg, const QString &name)
{
    QPushButton *b = dlg->findChild<QPushButton *>(name);
    QVERIFY2(b, qPrintable(name));
    QTest::mouseClick(b, Qt::LeftButton);
}

void setText(QWidget *dlg, const QString &name, const QString &text)
{
    QLineEdit *e = edit(dlg, name);
    QVERIFY2(e, qPrintable(name));
    e->setText(text);
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QByteArray TinyGif = QByteArray::fromHex("47494638396101000100800000ffffff00000021f90401000000002c00000000"
                                               "010001000002024401003b");

} // namespace

class TestItems : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<RecordingUi> m_ui;
    std::unique_ptr<MainForm> m_form;
    int m_previews = 0;

    ProjectDates &project() { return m_form->project(); }
    QListWidget *datList() { return m_form->ui().DatList; }
    QString tempDir() { return AppDir() + u"/temp"_s; }

    // Runs a command that opens a modal dialog and lets body act on it; a
    // dialog still open afterwards is cancelled.
    bool drive(const QString &command, const std::function<void(QWidget *)> &body)
    {
        return driveBy([&] { m_form->runCommand(command); }, body);
    }

    bool driveBy(const std::function<void()> &open, const std::function<void(QWidget *)> &body)
    {
        return DriveModal(m_form.get(), open, body);
    }

    QStringList listed()
    {
        QStringList out;
        for (int i = 0; i < datList()->count(); ++i)
            out.append(datList()->item(i)->text());
        return out;
    }

    void addPages(int count)
    {
        for (int i = 1; i <= count; ++i)
            AddHtmlDat(project(), u"ページ%1"_s.arg(i), u"p%1"_s.arg(i), u"<p>%1</p>"_s.arg(i), u".htm"_s);
        m_form->showKind(KindHtml);
    }

    QString source(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.path() + u"/src/"_s + name;
        QDir().mkpath(m_dir.path() + u"/src"_s);
        return writeBytes(path, bytes) ? path : QString();
    }

    // Selects a kind of the catalogue by its text; when the catalogue does
    // not offer it, the entry is made here.
    void showCatalogueKind(const QString &kind)
    {
        QListWidget *kinds = m_form->ui().InSelectList;
        const auto found = kinds->findItems(kind, Qt::MatchExactly);
        if (!found.isEmpty()) {
            kinds->setCurrentItem(found.first());
            return;
        }
        kinds->blockSignals(true);
        kinds->addItem(kind);
        kinds->setCurrentRow(kinds->count() - 1);
        kinds->blockSignals(false);
        QListWidget *tags = m_form->ui().InTagList;
        tags->clear();
        const ProjectDates &p = project();
        if (kind == u"○HTMLファイル")
            for (const HtmlDat &h : p.Html)
                tags->addItem(h.DatName);
        else if (kind == u"○画像ファイル")
            for (const PictDat &d : p.Pict)
                tags->addItem(d.DatName);
    }

private Q_SLOTS:
    void initTestCase()
    {
        // Overwrite may move an old output folder to the trash: keep it in
        // the test's own folder, whatever the runner's home is (the trash of
        // a file lies in the home only when both are on one file system).
        QVERIFY(m_dir.isValid());
        QVERIFY(UseHomeInside(m_dir.path()));
    }

    void init()
    {
        QVERIFY(m_dir.isValid());
        SetAppDir(m_dir.path() + u"/app"_s);
        QDir(AppDir()).removeRecursively();
        QVERIFY(QDir().mkpath(AppDir() + u"/temp"_s));
        m_ui = std::make_unique<RecordingUi>();
        m_form = std::make_unique<MainForm>();
        m_form->startUp();
        m_previews = 0;
        m_form->onEdPrv = [this] { ++m_previews; };
        m_ui->clear();
        QVERIFY(!project().Henkou);
    }

    void cleanup()
    {
        m_form.reset();
        m_ui.reset();
    }

    // Adding pages ---------------------------------------------------------

    void addEmptyPage()
    {
        QVERIFY(drive(u"AddHTMLminmnyNew"_s, [](QWidget *dlg) {
            QCOMPARE(dlg->windowTitle(), u"新規HTML"_s);
            click(dlg, u"Command1"_s);
        }));
        const ProjectDates &p = project();
        QCOMPARE(p.HtmlMax(), 1);
        QCOMPARE(p.Html.at(1), (HtmlDat{u"HTMLページ1"_s, u"html1"_s, NewPageSkeleton(), u".html"_s}));
        QCOMPARE(datList()->currentRow(), 1);
        QCOMPARE(p.NowHtml, 1);
        QCOMPARE(m_form->ui().MainText->htmlText(), NewPageSkeleton());
        QVERIFY(m_form->windowTitle().endsWith(u"[HTMLページ1]"_s));
        QVERIFY(m_previews > 0);
        QVERIFY(p.Henkou);
        QVERIFY(!p.EditNew);
    }

    void addEmptyPageCancelled()
    {
        QVERIFY(drive(u"AddHTMLminmnyNew"_s, [](QWidget *dlg) { click(dlg, u"Command2"_s); }));
        QCOMPARE(project().HtmlMax(), 0);
        QVERIFY(!project().Henkou); // nothing was added
        QVERIFY(!project().EditNew);
        // The toolbar button runs the same command.
        QVERIFY(driveBy([this] { m_form->toolButton(u"NewHTML"_s)->trigger(); },
                        [](QWidget *dlg) { QCOMPARE(dlg->objectName(), u"HTMLProp"_s); }));
        QVERIFY(!project().Henkou);
    }

    void addPageFromFile()
    {
        const QString path = source(u"page.html"_s, "<meta charset=\"utf-8\">\n<p>\xF0\x9F\x98\x80 \xE8\xA1\xA8</p>\n");
        m_ui->fileAnswers << path;
        QVERIFY(drive(u"AddHTMLminmnyFile"_s, [](QWidget *dlg) {
            setText(dlg, u"Nametxt"_s, u"読み込み"_s);
            click(dlg, u"Command1"_s);
        }));
        QCOMPARE(m_ui->shown.first().kind, u"open"_s);
        QCOMPARE(m_ui->shown.first().text, u"HTMLファイル|*.htm;*.html|全てのファイル|*.*"_s);
        const ProjectDates &p = project();
        QCOMPARE(p.HtmlMax(), 1);
        QCOMPARE(p.Html.at(1).DatName, u"読み込み"_s);
        QCOMPARE(p.Html.at(1).HtmlStr, u"<meta charset=\"utf-8\">\r\n<p>😀 表</p>"_s);
        QCOMPARE(datList()->currentRow(), 1);
        QCOMPARE(m_form->ui().MainText->htmlText(), p.Html.at(1).HtmlStr);
        QVERIFY(p.Henkou);
    }

    void addPageFromFileCancelled()
    {
        // The file dialog cancelled: nothing happens.
        m_form->runCommand(u"AddHTMLminmnyFile"_s);
        QCOMPARE(project().HtmlMax(), 0);
        QVERIFY(!project().Henkou);
        // The page dialog cancelled: no page.
        m_ui->fileAnswers << source(u"x.htm"_s, "<p>x</p>");
        QVERIFY(drive(u"AddHTMLminmnyFile"_s, [](QWidget *dlg) { click(dlg, u"Command2"_s); }));
        QCOMPARE(project().HtmlMax(), 0);
    }

    void addPageFromUnreadableFile()
    {
        const QString missing = m_dir.path() + u"/gone.htm"_s;
        m_ui->fileAnswers << missing;
        ModalCloser closer;
        m_form->runCommand(u"AddHTMLminmnyFile"_s);
        // No page dialog, no page, and a critical message naming the file.
        QVERIFY2(closer.opened.isEmpty(), qPrintable(u"opened: "_s + closer.opened.join(u", "_s)));
        QCOMPARE(project().HtmlMax(), 0);
        QCOMPARE(m_ui->messages().size(), 1);
        QVERIFY(m_ui->lastMessage().startsWith(u"ファイル\""_s + missing + u"\"を読み込めませんでした。"_s));
        QCOMPARE(m_ui->shown.last().icon, UiService::Icon::Critical);
        QVERIFY(!project().Henkou);
        // A folder is no page either.
        m_ui->fileAnswers << m_dir.path();
        m_form->runCommand(u"AddHTMLminmnyFile"_s);
        QCOMPARE(project().HtmlMax(), 0);
        QCOMPARE(m_ui->messages().size(), 2);
    }

    void addPageFromEucJpFile()
    {
        // An older Japanese page without a declaration, in EUC-JP.
        const QString path = source(u"euc.htm"_s, "<title>\xA5\xC8\xA5\xC3\xA5\xD7</title>\n"
                                                  "<p>\xC6\xFC\xCB\xDC\xB8\xEC\xA4\xCE\xA5\xDA\xA1\xBC\xA5\xB8</p>\n");
        m_ui->fileAnswers << path;
        QVERIFY(drive(u"AddHTMLminmnyFile"_s, [](QWidget *dlg) { click(dlg, u"Command1"_s); }));
        QCOMPARE(project().HtmlMax(), 1);
        QCOMPARE(project().Html.at(1).HtmlStr, u"<title>トップ</title>\r\n<p>日本語のページ</p>"_s);
        QCOMPARE(m_form->ui().MainText->htmlText(), project().Html.at(1).HtmlStr);
        QCOMPARE(m_ui->statusText(), u"文字コード EUC-JP として読み込みました"_s);
        QVERIFY(m_ui->messages().isEmpty());
    }

    void addPageFromIso2022JpFile()
    {
        // Mail-era pages in ISO-2022-JP are 7-bit: they read as Japanese, not
        // as ASCII with escape sequences; a code cut short is told of.
        const QString path = source(u"jis.htm"_s, "<p>\x1B$BF|K\\8l\x1B(B</p>\n<p>\x1B$BF|K\n");
        m_ui->fileAnswers << path;
        QVERIFY(drive(u"AddHTMLminmnyFile"_s, [](QWidget *dlg) { click(dlg, u"Command1"_s); }));
        QCOMPARE(project().HtmlMax(), 1);
        QCOMPARE(project().Html.at(1).HtmlStr, u"<p>日本語</p>\r\n<p>日\uFFFD"_s);
        QCOMPARE(m_ui->statusText(), u"文字コード ISO-2022-JP として読み込みました"_s);
        QCOMPARE(m_ui->lastMessage(),
                 u"ファイル\""_s + path + u"\"には読み取れない文字が 1 か所あり、「\uFFFD」に置き換えました。"_s);
    }

    void addPageFromFileWithUnreadableBytes()
    {
        // A Western page without a declaration: the byte of "é" is no
        // Japanese character. The page is added, and the user is told.
        const QString path = source(u"latin.htm"_s, "<p>caf\xE9</p>\n");
        m_ui->fileAnswers << path;
        QVERIFY(drive(u"AddHTMLminmnyFile"_s, [](QWidget *dlg) { click(dlg, u"Command1"_s); }));
        QCOMPARE(project().HtmlMax(), 1);
        QCOMPARE(project().Html.at(1).HtmlStr, u"<p>caf\uFFFD</p>"_s);
        QCOMPARE(m_ui->messages().size(), 1);
        QCOMPARE(m_ui->lastMessage(),
                 u"ファイル\""_s + path + u"\"には読み取れない文字が 1 か所あり、「\uFFFD」に置き換えました。"_s);
        QCOMPARE(m_ui->shown.last().icon, UiService::Icon::Exclamation);
        // With its declaration, the same byte reads as the page meant it.
        const QString declared = source(u"latin2.htm"_s, "<meta charset=\"iso-8859-1\">\n<p>caf\xE9</p>\n");
        m_ui->fileAnswers << declared;
        QVERIFY(drive(u"AddHTMLminmnyFile"_s, [](QWidget *dlg) { click(dlg, u"Command1"_s); }));
        QCOMPARE(project().Html.at(2).HtmlStr, u"<meta charset=\"iso-8859-1\">\r\n<p>café</p>"_s);
        QCOMPARE(m_ui->messages().size(), 1);
    }

    // A FIFO given as a page file or a picture is refused at once: neither the
    // page command, nor the picture dialog, nor the picture preview waits on it.
    void specialFilesNeverBlock()
    {
        const QString fifo = m_dir.path() + u"/pipe.gif"_s;
        QFile::remove(fifo);
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
        QElapsedTimer timer;
        timer.start();
        m_ui->fileAnswers << fifo;
        m_form->runCommand(u"AddHTMLminmnyFile"_s);
        QCOMPARE(project().HtmlMax(), 0);
        QVERIFY2(m_ui->lastMessage().contains(u"通常のファイルではありません"_s), qPrintable(m_ui->lastMessage()));

        QVERIFY(drive(u"minmnyAddPict"_s, [&](QWidget *dlg) {
            setText(dlg, u"Text1"_s, fifo);
            click(dlg, u"Command2"_s);
        }));
        QCOMPARE(project().PictMax(), 0);
        m_form->showKind(KindPict);
        datList()->setCurrentRow(0);
        QVERIFY(timer.elapsed() < 10000);
        QVERIFY(!QFileInfo::exists(tempDir() + u"/picure1.gif"_s));
        QFile::remove(fifo);
    }

    // Deleting pages -------------------------------------------------------

    void deleteOnlyPageBeeps()
    {
        m_form->runCommand(u"minmnyHtmldel"_s);
        QCOMPARE(m_ui->beeps, 1);
        QCOMPARE(project().HtmlMax(), 0);
        QVERIFY(!project().Henkou);
    }

    void deleteShownPage()
    {
        addPages(2);
        datList()->setCurrentRow(0);
        QVERIFY(writeBytes(tempDir() + u"/Index.htm"_s, "copy"));
        project().Henkou = false;
        m_ui->yesNoAnswers << true << true;
        m_form->runCommand(u"minmnyHtmldel"_s);
        QCOMPARE(listed(), QStringList({u"ページ1"_s, u"ページ2"_s}));
        QCOMPARE(datList()->currentRow(), 0);
        QCOMPARE(project().NowHtml, 0);
        QCOMPARE(m_form->ui().MainText->htmlText(), u"<p>1</p>"_s);
        QVERIFY(!QFileInfo::exists(tempDir() + u"/Index.htm"_s));
        QVERIFY(project().Henkou);

        // The last page of the list.
        datList()->setCurrentRow(1);
        m_form->runCommand(u"minmnyHtmldelpopup"_s);
        QCOMPARE(listed(), QStringList({u"ページ1"_s}));
        QCOMPARE(project().Html.at(0).HtmlStr, u"<p>1</p>"_s);
    }

    // Each way of deleting a page asks first, naming it; いいえ (also Enter)
    // keeps it.
    void deletePageAsksFirst_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("yes");
        QTest::newRow("HTMLの削除") << u"minmnyHtmldel"_s << false;
        QTest::newRow("pop-up menu, toolbar") << u"minmnyHtmldelpopup"_s << true;
    }

    void deletePageAsksFirst()
    {
        QFETCH(QString, command);
        QFETCH(bool, yes);
        addPages(1);
        datList()->setCurrentRow(1);
        m_ui->yesNoAnswers << yes;
        m_form->runCommand(command);
        QCOMPARE(m_ui->messages(), QStringList{u"ページ「ページ1」を削除しますか？\r\n削除したページは元に戻せません。"_s});
        QCOMPARE(m_ui->shown.first().defaultAnswer, UiService::Answer::No);
        QCOMPARE(project().HtmlMax(), yes ? 0 : 1);
    }

    void showingPagesIsNoChange()
    {
        addPages(2);
        project().Henkou = false;
        for (int row : {1, 0, 2})
            datList()->setCurrentRow(row);
        QCOMPARE(m_form->ui().MainText->htmlText(), u"<p>2</p>"_s);
        QVERIFY(!project().Henkou);
    }

    // Pictures and other files ---------------------------------------------

    void addPicture()
    {
        const QString gif = source(u"logo.gif"_s, TinyGif);
        QVERIFY(drive(u"minmnyAddPict"_s, [&](QWidget *dlg) {
            QCOMPARE(dlg->windowTitle(), u"画像の追加"_s);
            setText(dlg, u"Text1"_s, gif);
            click(dlg, u"Command2"_s);
        }));
        const ProjectDates &p = project();
        QCOMPARE(p.Pict.value(0), (PictDat{u"画像データ1"_s, u"picure1"_s, gif, u".gif"_s}));
        QCOMPARE(p.ListType, qint16(KindPict));
        QCOMPARE(m_form->ui().MinDatList->currentRow(), int(KindPict));
        QCOMPARE(datList()->currentRow(), 0);
        QCOMPARE(readBytes(tempDir() + u"/picure1.gif"_s), TinyGif);
        QVERIFY(p.Henkou);

        project().Henkou = false;
        QVERIFY(drive(u"minmnyAddPict"_s, [](QWidget *dlg) { click(dlg, u"Command3"_s); }));
        QCOMPARE(p.PictMax(), 0);
        QVERIFY(!p.Henkou);
    }

    void addOtherFile()
    {
        const QString zip = source(u"doc.zip"_s, "PK");
        QVERIFY(drive(u"minmnyAddFile"_s, [&](QWidget *dlg) {
            QCOMPARE(dlg->windowTitle(), u"ファイルの追加"_s);
            setText(dlg, u"Text1"_s, zip);
            click(dlg, u"Command2"_s);
        }));
        QCOMPARE(project().ElseFile.value(0), (ElseFileDat{u"ファイルデータ1"_s, u"file1"_s, zip, u".zip"_s}));
        QCOMPARE(project().ListType, qint16(KindElseFile));
        QCOMPARE(listed(), QStringList({u"ファイルデータ1"_s}));
        QCOMPARE(readBytes(tempDir() + u"/file1.zip"_s), QByteArray("PK"));
        QVERIFY(project().Henkou);
    }

    void deletePicture()
    {
        m_form->showKind(KindPict);
        m_form->runCommand(u"minmnyDelPict"_s);
        QCOMPARE(m_ui->beeps, 1);

        const QString gif = source(u"a.gif"_s, TinyGif);
        AddPictDat(project(), u"一"_s, u"one"_s, gif, u".gif"_s);
        AddPictDat(project(), u"二"_s, u"two"_s, gif, u".gif"_s);
        QVERIFY(writeBytes(tempDir() + u"/two.gif"_s, TinyGif));
        m_form->showKind(KindPict);
        datList()->setCurrentRow(1);
        project().Henkou = false;
        m_form->runCommand(u"minmnyDelPict"_s);
        QCOMPARE(listed(), QStringList({u"一"_s}));
        QCOMPARE(datList()->currentRow(), 0);
        QVERIFY(!QFileInfo::exists(tempDir() + u"/two.gif"_s));
        QVERIFY(project().Henkou);

        // Through the context menu's delete.
        m_form->runCommand(u"minmnyHtmldelpopup"_s);
        QCOMPARE(project().PictMax(), -1);
        QCOMPARE(datList()->count(), 0);
        QCOMPARE(datList()->currentRow(), -1);
    }

    void deleteLastOtherFileWhilePicturesExist()
    {
        AddPictDat(project(), u"絵"_s, u"pic"_s, u"/none.gif"_s, u".gif"_s);
        AddElseFileDat(project(), u"資料"_s, u"doc"_s, u"/none.zip"_s, u".zip"_s);
        m_form->showKind(KindElseFile);
        QCOMPARE(datList()->currentRow(), 0);
        m_form->runCommand(u"minmnyDelFile"_s);
        QCOMPARE(project().ElseFileMax(), -1);
        QCOMPARE(project().PictMax(), 0);
        QCOMPARE(datList()->count(), 0);
        QCOMPARE(datList()->currentRow(), -1);
        QVERIFY(project().Henkou);
        m_form->runCommand(u"minmnyDelFile"_s);
        QCOMPARE(m_ui->beeps, 1);
    }

    // Settings of the selected item ----------------------------------------

    void settingsOfPage()
    {
        addPages(2);
        datList()->setCurrentRow(1);
        project().Henkou = false;
        QVERIFY(drive(u"minmnySet"_s, [](QWidget *dlg) {
            QCOMPARE(dlg->windowTitle(), u"ページ1の設定"_s);
            setText(dlg, u"Nametxt"_s, u"会社案内"_s);
            click(dlg, u"Command1"_s);
        }));
        QCOMPARE(listed(), QStringList({u"インデックス"_s, u"会社案内"_s, u"ページ2"_s}));
        QCOMPARE(datList()->currentRow(), 1);
        QCOMPARE(project().NowHtml, 1);
        QVERIFY(project().Henkou);

        // Cancelled or unchanged: the project is not marked.
        project().Henkou = false;
        QVERIFY(drive(u"minmnyInOption"_s, [](QWidget *dlg) { click(dlg, u"Command2"_s); }));
        QVERIFY(drive(u"minmnySet"_s, [](QWidget *dlg) { click(dlg, u"Command1"_s); }));
        QVERIFY(!project().Henkou);
        QCOMPARE(datList()->currentRow(), 1);
    }

    void settingsOfPicture()
    {
        const QString gif = source(u"a.gif"_s, TinyGif);
        AddPictDat(project(), u"一"_s, u"one"_s, gif, u".gif"_s);
        AddPictDat(project(), u"二"_s, u"two"_s, gif, u".gif"_s);
        m_form->showKind(KindPict);
        datList()->setCurrentRow(1);
        QVERIFY(writeBytes(tempDir() + u"/two.gif"_s, "old copy"));
        QVERIFY(drive(u"minmnySet"_s, [](QWidget *dlg) {
            QCOMPARE(dlg->windowTitle(), u"二の設定"_s);
            setText(dlg, u"Text2"_s, u"second"_s);
            click(dlg, u"Command2"_s);
        }));
        QCOMPARE(project().Pict.at(1).outputName(), u"second.gif"_s);
        QCOMPARE(project().EditIndex, 1);
        QCOMPARE(datList()->currentRow(), 1);
        // The copy moves to the new name.
        QVERIFY(!QFileInfo::exists(tempDir() + u"/two.gif"_s));
        QCOMPARE(readBytes(tempDir() + u"/second.gif"_s), TinyGif);
        QVERIFY(project().Henkou);
    }

    void settingsOfOtherFile()
    {
        AddElseFileDat(project(), u"資料"_s, u"doc"_s, u"/d/doc.zip"_s, u".zip"_s);
        AddElseFileDat(project(), u"音"_s, u"sound"_s, u"/d/s.wav"_s, u".wav"_s);
        m_form->showKind(KindElseFile);
        datList()->setCurrentRow(1);
        QVERIFY(drive(u"minmnySet"_s, [](QWidget *dlg) {
            QCOMPARE(dlg->objectName(), u"ElseFileSettei"_s);
            setText(dlg, u"Text3"_s, u"効果音"_s);
            click(dlg, u"Command2"_s);
        }));
        QCOMPARE(listed(), QStringList({u"資料"_s, u"効果音"_s}));
        QCOMPARE(datList()->currentRow(), 1);
        QVERIFY(project().Henkou);
    }

    void settingsWithNothingSelected()
    {
        m_form->showKind(KindPict);
        QCOMPARE(datList()->currentRow(), -1);
        ModalCloser closer;
        m_form->runCommand(u"minmnySet"_s);
        QVERIFY2(closer.opened.isEmpty(), qPrintable(u"opened: "_s + closer.opened.join(u", "_s)));
        QCOMPARE(m_ui->beeps, 0);
    }

    void settingsOfBookmark()
    {
        project().SioriList = {u"上"_s};
        m_form->showKind(KindSiori);
        datList()->setCurrentRow(0);
        int called = 0;
        m_form->onSioriSettings = [&] { ++called; };
        m_form->runCommand(u"minmnySet"_s);
        QCOMPARE(called, 1);
        m_form->onSioriSettings = nullptr;
        m_form->runCommand(u"minmnySet"_s);
        QCOMPARE(m_ui->beeps, 1);
        // The context menu's delete hands bookmarks to the bookmark command.
        int deleted = 0;
        m_form->setCommand(u"minmnyDelSiori"_s, [&] { ++deleted; });
        m_form->runCommand(u"minmnyHtmldelpopup"_s);
        QCOMPARE(deleted, 1);
    }

    // Page clipboard -------------------------------------------------------

    void copyAndPastePage()
    {
        m_form->runCommand(u"minmnyInCopyHtml"_s);
        QCOMPARE(project().ClipType, qint16(KindHtml));
        QCOMPARE(project().ClipDat, project().Html.at(0));
        m_form->runCommand(u"minmnyInPtHtml"_s);
        const ProjectDates &p = project();
        QCOMPARE(p.HtmlMax(), 1);
        // "Index.htm" is taken: the copy gets the next free file name.
        QCOMPARE(p.Html.at(1), (HtmlDat{u"インデックス"_s, u"html1"_s, NewPageSkeleton(), u".htm"_s}));
        QCOMPARE(listed(), QStringList({u"インデックス"_s, u"インデックス"_s}));
        QVERIFY(p.Henkou);
        m_form->runCommand(u"minmnyInPtHtml"_s);
        QCOMPARE(p.Html.at(2).FileName, u"html2"_s);
        QCOMPARE(m_ui->beeps, 0);
    }

    void cutAndPastePage()
    {
        addPages(1);
        datList()->setCurrentRow(1);
        m_form->runCommand(u"minmnyInCutHtml"_s);
        QCOMPARE(listed(), QStringList({u"インデックス"_s}));
        m_form->runCommand(u"minmnyInPtHtml"_s);
        // The output name is free again, so it stays.
        QCOMPARE(project().Html.at(1), (HtmlDat{u"ページ1"_s, u"p1"_s, u"<p>1</p>"_s, u".htm"_s}));
    }

    void cutOnlyPageCopiesAndBeeps()
    {
        m_form->runCommand(u"minmnyInCutHtml"_s);
        QCOMPARE(m_ui->beeps, 1);
        QCOMPARE(project().HtmlMax(), 0);
        QCOMPARE(project().ClipType, qint16(KindHtml));
        QCOMPARE(project().ClipDat.FileName, u"Index"_s);
    }

    void clipboardOutsidePages()
    {
        m_form->showKind(KindPict);
        m_form->runCommand(u"minmnyInCopyHtml"_s);
        QCOMPARE(m_ui->beeps, 1);
        QCOMPARE(project().ClipType, qint16(KindPict));
        // Pasting in the picture list beeps; in the page list nothing happens.
        m_form->runCommand(u"minmnyInPtHtml"_s);
        QCOMPARE(m_ui->beeps, 2);
        m_form->showKind(KindHtml);
        m_form->runCommand(u"minmnyInPtHtml"_s);
        QCOMPARE(m_ui->beeps, 2);
        QCOMPARE(project().HtmlMax(), 0);
        QVERIFY(!project().Henkou);
    }

    // Editor commands ------------------------------------------------------

    void insertFileName()
    {
        PageEditor *editor = m_form->ui().MainText;
        editor->setHtmlText(u"<a href=\"X\">"_s);
        editor->selectHtml(9, 1);
        showCatalogueKind(u"○HTMLファイル"_s);
        QListWidget *tags = m_form->ui().InTagList;
        QVERIFY(tags->count() >= 1);
        tags->setCurrentRow(0);
        m_form->runCommand(u"minmnyInSonyuName"_s);
        QCOMPARE(editor->htmlText(), u"<a href=\"Index.htm\">"_s);
        QCOMPARE(project().Html.at(0).HtmlStr, editor->htmlText());

        AddPictDat(project(), u"絵"_s, u"pic"_s, u"/none.gif"_s, u".gif"_s);
        showCatalogueKind(u"○画像ファイル"_s);
        tags->setCurrentRow(0);
        editor->selectHtml(0, 0);
        m_form->runCommand(u"minmnyInSonyuName"_s);
        QVERIFY(editor->htmlText().startsWith(u"pic.gif<a"_s));

        // Nothing selected in the list.
        tags->setCurrentRow(-1);
        m_form->runCommand(u"minmnyInSonyuName"_s);
        QCOMPARE(m_ui->beeps, 1);
    }

    void insertFileNameOtherKind()
    {
        QListWidget *kinds = m_form->ui().InSelectList;
        kinds->blockSignals(true);
        kinds->addItem(u"○何か別のもの"_s);
        kinds->setCurrentRow(kinds->count() - 1);
        kinds->blockSignals(false);
        const QString before = m_form->ui().MainText->htmlText();
        m_form->runCommand(u"minmnyInSonyuName"_s);
        QCOMPARE(m_form->ui().MainText->htmlText(), before);
        QCOMPARE(m_ui->beeps, 0);
    }

    void selectAll()
    {
        m_form->runCommand(u"minmnyAll"_s);
        PageEditor *editor = m_form->ui().MainText;
        QCOMPARE(editor->selectionStartHtml(), 0);
        QCOMPARE(editor->selectedHtml(), editor->htmlText());
    }

    void dateAndTime()
    {
        PageEditor *editor = m_form->ui().MainText;
        editor->setHtmlText(u"[]"_s);
        editor->selectHtml(1, 0);
        const QDateTime from = QDateTime::currentDateTime();
        m_form->runCommand(u"minmnyDateIn"_s);
        const QDateTime to = QDateTime::currentDateTime();
        // The short date, one blank, then the time with seconds, as a Japanese
        // desktop writes them (ctest runs this test with LC_TIME=ja_JP.UTF-8).
        const QString text = editor->htmlText();
        const QRegularExpressionMatch m
            = QRegularExpression(u"^\\[(\\d{4}/\\d{2}/\\d{2} \\d{1,2}時\\d{2}分\\d{2}秒)\\]$"_s).match(text);
        QVERIFY2(m.hasMatch(), qPrintable(text));
        const QDateTime at = QDateTime::fromString(m.captured(1), u"yyyy/MM/dd H時mm分ss秒"_s);
        QVERIFY2(at >= from.addSecs(-1) && at <= to, qPrintable(text));
    }

    // Output ---------------------------------------------------------------

    void chooseFolderAndOutput()
    {
        QAction *uwagaki = m_form->action(u"minmnyUwagaki"_s);
        QVERIFY(!uwagaki->isEnabled());
        QCOMPARE(uwagaki->text(), u"上書き(&S)"_s);
        const QString parent = m_dir.path() + u"/outputs"_s;
        QVERIFY(QDir().mkpath(parent));
        QVERIFY(drive(u"minmnyDatesSave"_s, [&](QWidget *dlg) {
            auto *out = qobject_cast<SyuturyokuDat *>(dlg);
            QVERIFY(out);
            out->setCurrentFolder(parent);
            setText(dlg, u"Text1"_s, u"site"_s);
            click(dlg, u"Command1"_s);
        }));
        const QString folder = QDir::toNativeSeparators(parent + u"/site"_s);
        QCOMPARE(project().SyuturyokuFolder, folder);
        QVERIFY(QFileInfo::exists(folder + u"/Index.htm"_s));
        QVERIFY(uwagaki->isEnabled());
        QCOMPARE(uwagaki->text(), u'"' + folder + u"\"に上書き(&S)"_s);
        QVERIFY(project().Henkou);
        QVERIFY(m_ui->messages().isEmpty());
    }

    void chooseFolderCancelled()
    {
        QVERIFY(drive(u"minmnyDatesSave"_s, [](QWidget *dlg) { click(dlg, u"Command2"_s); }));
        QVERIFY(project().SyuturyokuFolder.isEmpty());
        QVERIFY(!m_form->action(u"minmnyUwagaki"_s)->isEnabled());
        QVERIFY(!project().Henkou);
    }

    void overwriteCaptionForFolder()
    {
        project().SyuturyokuFolder = u"/srv/out"_s;
        m_form->updateUwagaki();
        QCOMPARE(m_form->action(u"minmnyUwagaki"_s)->text(), u"\"/srv/out\"に上書き(&S)"_s);
    }

    void overwriteAfterFolderDeletedByHand()
    {
        const QString folder = m_dir.path() + u"/out"_s;
        project().SyuturyokuFolder = folder;
        m_form->updateUwagaki();
        QDir(folder).removeRecursively();
        m_form->ui().MainText->setHtmlText(u"<p>新しい</p>"_s);
        project().Henkou = false;
        // The toolbar's output button overwrites once a folder is known.
        m_form->toolButton(u"PrjctSyutu"_s)->trigger();
        QByteArray expected("<p>\x90\x56\x82\xb5\x82\xa2</p>\r\n");
        QCOMPARE(readBytes(folder + u"/Index.htm"_s), expected);
        // Output into the stored folder changes nothing in the project.
        QVERIFY(!project().Henkou);
        QVERIFY(m_ui->messages().isEmpty());
    }

    void overwriteAsksAboutForeignFiles()
    {
        const QString folder = m_dir.path() + u"/mixed"_s;
        QDir(folder).removeRecursively();
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(writeBytes(folder + u"/diary.txt"_s, "mine"));
        QVERIFY(writeBytes(folder + u"/Index.htm"_s, "old"));
        project().SyuturyokuFolder = folder;
        m_form->updateUwagaki();
        m_ui->yesNoAnswers << false;
        m_form->runCommand(u"minmnyUwagaki"_s);
        QCOMPARE(m_ui->shown.size(), 1);
        QCOMPARE(m_ui->shown.at(0).kind, u"question"_s);
        QVERIFY(m_ui->shown.at(0).text.contains(u"・diary.txt"_s));
        QVERIFY(!m_ui->shown.at(0).text.contains(u"Index.htm"_s));
        QCOMPARE(readBytes(folder + u"/diary.txt"_s), QByteArray("mine"));
        QVERIFY(readBytes(folder + u"/Index.htm"_s) != "old");
    }

    void overwriteRemovesForeignFilesWhenAllowed()
    {
        const QString folder = m_dir.path() + u"/allowed"_s;
        QDir(folder).removeRecursively();
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(writeBytes(folder + u"/stale.htm"_s, "old page"));
        project().SyuturyokuFolder = folder;
        m_form->updateUwagaki();
        m_ui->yesNoAnswers << true;
        m_form->runCommand(u"minmnyUwagaki"_s);
        QCOMPARE(m_ui->shown.size(), 1);
        QCOMPARE(m_ui->shown.at(0).kind, u"question"_s);
        // Enter keeps the user's files, and the question says where they go.
        QCOMPARE(m_ui->shown.at(0).defaultAnswer, UiService::Answer::No);
        QVERIFY(m_ui->shown.at(0).text.contains(u"ごみ箱に移してから出力しますか？"_s));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList({u"Index.htm"_s}));
        QCOMPARE(m_ui->statusText(), u"プロジェクトを\"%1\"に出力しました。"_s.arg(folder));
        // The old folder went to the trash kept in the test's folder.
        const QString trash = m_dir.path() + u"/share/Trash/files"_s;
        const QStringList trashed = QDir(trash).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QVERIFY(!trashed.isEmpty());
        QVERIFY(QFileInfo::exists(trash + u'/' + trashed.first() + u"/stale.htm"_s));
    }

    // The encoding chosen in an earlier run is in force from the start.
    void outputInUtf8ChosenBefore()
    {
        QVERIFY(writeBytes(AppDir() + u"/OptionDate.dat"_s, "True,30,0,True\r\n"));
        m_form = std::make_unique<MainForm>();
        m_form->startUp();
        QVERIFY(m_form->action(u"MojiminmnyUtf8"_s)->isChecked());
        QVERIFY(!m_form->action(u"MojiminmnyMama"_s)->isChecked());
        const QString folder = m_dir.path() + u"/utf8"_s;
        project().SyuturyokuFolder = folder;
        project().Html[0].HtmlStr = u"<head><title>表紙</title></head>"_s;
        m_form->runCommand(u"minmnyUwagaki"_s);
        QCOMPARE(readBytes(folder + u"/Index.htm"_s), u"<head><meta charset=\"UTF-8\"><title>表紙</title></head>\r\n"_s.toUtf8());
        QCOMPARE(m_ui->statusText(), u"プロジェクトを\"%1\"に出力しました（ページの文字コード：UTF-8）。"_s.arg(folder));
    }

    void overwriteReportsFailingItem()
    {
        const QString folder = m_dir.path() + u"/fails"_s;
        project().SyuturyokuFolder = folder;
        AddPictDat(project(), u"消えた絵"_s, u"gone"_s, m_dir.path() + u"/gone.gif"_s, u".gif"_s);
        m_form->runCommand(u"minmnyUwagaki"_s);
        QCOMPARE(m_ui->messages().size(), 1);
        QVERIFY(m_ui->lastMessage().startsWith(u"画像データ「消えた絵」を出力できなかったため、出力を中止しました。"_s));
        QCOMPARE(m_ui->shown.last().icon, UiService::Icon::Critical);
        QVERIFY(QFileInfo::exists(folder + u"/Index.htm"_s));
    }

    void overwriteWithoutFolderBeeps()
    {
        m_form->runCommand(u"minmnyUwagaki"_s);
        QCOMPARE(m_ui->beeps, 1);
        QVERIFY(!project().Henkou);
    }
};

QTEST_MAIN(TestItems)
#include "tst_items.moc"
