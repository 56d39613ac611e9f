// The template dialogs through the real windows, and the template commands
// of the main window: a new project or page from a template, registering the
// current project or page, and the list of user templates.

#include "AppPaths.h"
#include "ButtonRow.h"
#include "HinagataDialogs.h"
#include "MainForm.h"
#include "PageEditor.h"
#include "ProjectFile.h"
#include "RecordingUi.h"
#include "TempC.h"
#include "TestSupport.h"
#include "WidgetTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QByteArray TinyGif = QByteArray::fromHex("47494638396101000100800000ffffff00000021f90401000000002c00000000"
                                               "010001000002024401003b");

// Writes a set: the list of names and descriptions and one file per text.
void makeSet(const QString &folder, const QList<QPair<QString, QString>> &pairs, const QStringList &texts)
{
    QVERIFY(QDir().mkpath(folder));
    QString list;
    for (const auto &pr : pairs)
        list += (list.isEmpty() ? QString() : u","_s) + pr.first + u',' + pr.second;
    QVERIFY(PutBytes(TempListPath(folder), Sjis(list + u"\r\n"_s)));
    for (int i = 0; i < texts.size(); ++i)
        QVERIFY(PutBytes(TempFilePath(folder, i), Sjis(texts.at(i) + u"\r\n"_s)));
}

QPushButton *button(QWidget *dlg, const QString &name)
{
    return child<QPushButton>(dlg, name);
}

QListWidget *list1(QWidget *dlg)
{
    return child<QListWidget>(dlg, u"List1"_s);
}

QString label1(QWidget *dlg)
{
    return child<QLabel>(dlg, u"Label1"_s)->text();
}

QStringList listed(QWidget *dlg)
{
    QStringList out;
    for (int i = 0; i < list1(dlg)->count(); ++i)
        out.append(list1(dlg)->item(i)->text());
    return out;
}

void clickTab(QWidget *dlg, int index)
{
    QTabBar *tabs = child<QTabBar>(dlg, u"TabStrip1"_s);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
    QCOMPARE(tabs->currentIndex(), index);
}

void clickRow(QWidget *dlg, int row)
{
    QListWidget *list = list1(dlg);
    const QRect r = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    QCOMPARE(list->currentRow(), row);
}

// A project template text: pages, a picture and an output folder.
QString projectTemplate()
{
    ProjectDates t;
    AddHtmlDat(t, u"表紙"_s, u"index"_s, u"<p><img src=\"sky.gif\"><a href=\"next.htm\">次へ</a></p>"_s, u".htm"_s);
    AddHtmlDat(t, u"次のページ"_s, u"next"_s, u"<p>次</p>"_s, u".htm"_s);
    AddPictDat(t, u"空"_s, u"sky"_s, u"*\\Tools\\PrjectTemp\\User\\sky.gif"_s, u".gif"_s);
    t.SioriList = QStringList{u"目印"_s};
    t.SyuturyokuFolder = u"/somewhere/out"_s;
    return MakeProjectText(t);
}

} // namespace

class TestTemplateCommands : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<RecordingUi> m_ui;
    std::unique_ptr<MainForm> m_form;
    int m_previews = 0;

    ProjectDates &project() { return m_form->project(); }
    QString tempDir() { return AppDir() + u"/temp"_s; }

    bool drive(const QString &command, const std::function<void(QWidget *)> &body)
    {
        return DriveModal(m_form.get(), [&] { m_form->runCommand(command); }, body);
    }

    // A project with two pages and their preview copies, changed or not.
    void openTwoPages()
    {
        AddHtmlDat(project(), u"二頁"_s, u"two"_s, u"<p>2</p>"_s, u".htm"_s);
        QVERIFY(TempC::CopyAllTemp(project()));
        m_form->showKind(KindHtml);
        project().Henkou = false;
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        SetAppDir(m_dir.path() + u"/app"_s);
        QDir(AppDir()).removeRecursively();
        QVERIFY(QDir().mkpath(tempDir()));
        m_ui = std::make_unique<RecordingUi>();
        m_form = std::make_unique<MainForm>();
        m_form->startUp();
        m_previews = 0;
        m_form->onEdPrv = [this] { ++m_previews; };
        m_ui->clear();
    }

    void cleanup()
    {
        m_form.reset();
        m_ui.reset();
    }

    // The chooser ---------------------------------------------------------

    void chooserWithoutBasicList()
    {
        // Neither the basic nor the user set exists.
        openTwoPages();
        QVERIFY(drive(u"ProNewminmnyHina"_s, [](QWidget *dlg) {
            QCOMPARE(dlg->windowTitle(), u"プロジェクトの新規作成"_s);
            QCOMPARE(child<QTabBar>(dlg, u"TabStrip1"_s)->tabText(0), u"基本雛型"_s);
            QCOMPARE(child<QTabBar>(dlg, u"TabStrip1"_s)->tabText(1), u"ユーザー定義"_s);
            QVERIFY(!button(dlg, u"Command1"_s)->isEnabled());
            QCOMPARE(label1(dlg), u"雛型はありません。"_s);
            // Enter does not choose from an empty list.
            QTest::keyClick(dlg, Qt::Key_Return);
            QVERIFY(dlg->isVisible());
            QTest::keyClick(dlg, Qt::Key_Escape);
        }));
        QCOMPARE(project().HtmlMax(), 1);
        QVERIFY(QFileInfo::exists(tempDir() + u"/two.htm"_s));
    }

    // The two buttons of the chooser and of the list stand apart.
    void buttonsDoNotTouch()
    {
        // The program's own style, under which a row's buttons are equally high.
        InstallUniformButtonStyle();
        const auto apart = [](QWidget *dlg, const QString &left, const QString &right) {
            QTRY_VERIFY(dlg->isVisible());
            const QRect a = button(dlg, left)->geometry();
            const QRect b = button(dlg, right)->geometry();
            QVERIFY2(b.left() - a.right() > 4, qPrintable(u"%1 and %2"_s.arg(a.right()).arg(b.left())));
            QCOMPARE(a.top(), b.top());
        };
        QVERIFY(drive(u"ProNewminmnyHina"_s, [&](QWidget *dlg) { apart(dlg, u"Command1"_s, u"Command2"_s); }));
        QVERIFY(drive(u"minmnyHinaList"_s, [&](QWidget *dlg) { apart(dlg, u"Command2"_s, u"Command4"_s); }));
        QVERIFY(drive(u"minmnyNewHhina"_s, [&](QWidget *dlg) { apart(dlg, u"Command1"_s, u"Command2"_s); }));
    }

    void chooserListsAndChooses_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("how"); // "ok", "double", "enter"
        QTest::addColumn<int>("kekka");
        QTest::addColumn<QString>("file");
        QTest::newRow("user tab, second entry, OK") << 1 << 1 << u"ok"_s << 1 << u"User/TempFile1.dat"_s;
        QTest::newRow("basic tab, first entry, double click") << 0 << 0 << u"double"_s << 0 << u"Olz/TempFile0.dat"_s;
        QTest::newRow("basic tab, second entry, Enter") << 0 << 1 << u"enter"_s << 0 << u"Olz/TempFile1.dat"_s;
    }

    void chooserListsAndChooses()
    {
        QFETCH(int, tab);
        QFETCH(int, row);
        QFETCH(QString, how);
        QFETCH(int, kekka);
        QFETCH(QString, file);
        makeSet(HinagataFolder(true, false), {{u"白紙"_s, u"何もないページ"_s}, {u"表"_s, u"表のあるページ"_s}},
                {u"a"_s, u"b"_s});
        makeSet(HinagataFolder(true, true), {{u"私の一"_s, u"一つ目"_s}, {u"私の二"_s, u"二つ目"_s}},
                {u"c"_s, u"d"_s});
        Hinagata dlg(HinaHtml, m_form.get());
        QVERIFY(DriveModal(m_form.get(), [&] { dlg.exec(); }, [&](QWidget *w) {
            QCOMPARE(w->windowTitle(), u"HTMLの追加"_s);
            QCOMPARE(listed(w), (QStringList{u"白紙"_s, u"表"_s}));
            QCOMPARE(list1(w)->currentRow(), 0);
            QCOMPARE(label1(w), u"何もないページ"_s);
            QVERIFY(button(w, u"Command1"_s)->isEnabled());
            if (tab == 1) {
                clickTab(w, 1);
                QCOMPARE(listed(w), (QStringList{u"私の一"_s, u"私の二"_s}));
                QCOMPARE(label1(w), u"一つ目"_s);
            }
            clickRow(w, row);
            QCOMPARE(label1(w), tab == 1 ? u"二つ目"_s : (row == 0 ? u"何もないページ"_s : u"表のあるページ"_s));
            if (how == u"ok") {
                QTest::mouseClick(button(w, u"Command1"_s), Qt::LeftButton);
            } else if (how == u"double") {
                QListWidget *list = list1(w);
                const QPoint at = list->visualItemRect(list->item(row)).center();
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
            } else {
                QTest::keyClick(list1(w), Qt::Key_Return);
            }
            QVERIFY(!w->isVisible());
        }));
        QCOMPARE(dlg.HinaKekka(), qint16(kekka));
        QCOMPARE(dlg.HinaIndex(), qint16(row));
        QVERIFY2(dlg.chosenFile().endsWith(u"/Tools/HTMLTemp/"_s + file), qPrintable(dlg.chosenFile()));
    }

    void chooserClosedAnyOtherWayCancels_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("cancel button") << u"cancel"_s;
        QTest::newRow("Escape") << u"escape"_s;
        QTest::newRow("close button") << u"close"_s;
    }

    void chooserClosedAnyOtherWayCancels()
    {
        QFETCH(QString, how);
        makeSet(HinagataFolder(false, false), {{u"サイト"_s, u"説明"_s}}, {projectTemplate()});
        Hinagata dlg(HinaProject, m_form.get());
        QVERIFY(DriveModal(m_form.get(), [&] { dlg.exec(); }, [&](QWidget *w) {
            QVERIFY(button(w, u"Command1"_s)->isEnabled());
            if (how == u"cancel")
                QTest::mouseClick(button(w, u"Command2"_s), Qt::LeftButton);
            else if (how == u"escape")
                QTest::keyClick(w, Qt::Key_Escape);
            else
                w->close();
            QVERIFY(!w->isVisible());
        }));
        QCOMPARE(dlg.HinaKekka(), qint16(HinaCancelled));
        QVERIFY(dlg.chosenFile().isEmpty());
    }

    // New project from a template ---------------------------------------------

    void newProjectFromTemplate()
    {
        makeSet(HinagataFolder(false, true), {{u"私のサイト"_s, u"二ページ"_s}}, {projectTemplate()});
        QVERIFY(PutBytes(HinagataFolder(false, true) + u"/sky.gif"_s, TinyGif));
        // The open project was saved once and has an output folder.
        openTwoPages();
        project().ProjectPath = m_dir.path() + u"/old.hpf"_s;
        project().SyuturyokuFolder = m_dir.path() + u"/out"_s;
        m_form->updateUwagaki();
        QVERIFY(m_form->action(u"minmnyUwagaki"_s)->isEnabled());

        QVERIFY(drive(u"ProNewminmnyHina"_s, [](QWidget *dlg) {
            clickTab(dlg, 1);
            QTest::mouseClick(button(dlg, u"Command1"_s), Qt::LeftButton);
        }));
        const ProjectDates &p = project();
        QCOMPARE(p.HtmlMax(), qint16(1));
        QCOMPARE(p.Html.at(0).DatName, u"表紙"_s);
        QCOMPARE(p.SioriList, QStringList{u"目印"_s});
        QCOMPARE(p.ProjectPath, NewProjectPath);
        QVERIFY(!p.Henkou);
        QVERIFY(p.SyuturyokuFolder.isEmpty());
        QAction *uwagaki = m_form->action(u"minmnyUwagaki"_s);
        QVERIFY(!uwagaki->isEnabled());
        QCOMPARE(uwagaki->text(), u"上書き(&S)"_s);
        // The picture points into the program folder and is copied for the preview.
        QCOMPARE(p.Pict.at(0).FilePath, AppDir() + u"/Tools/PrjectTemp/User/sky.gif"_s);
        QCOMPARE(ReadBytes(tempDir() + u"/sky.gif"_s), TinyGif);
        QVERIFY(QFileInfo::exists(tempDir() + u"/index.htm"_s));
        QVERIFY(QFileInfo::exists(tempDir() + u"/next.htm"_s));
        // The old project's copies are gone.
        QVERIFY(!QFileInfo::exists(tempDir() + u"/two.htm"_s));
        QVERIFY(!QFileInfo::exists(tempDir() + u"/Index.htm"_s));
        // The pages are listed and the first one is shown.
        QCOMPARE(m_form->ui().DatList->count(), 2);
        QCOMPARE(m_form->ui().DatList->currentRow(), 0);
        QCOMPARE(m_form->ui().MainText->htmlText(), p.Html.at(0).HtmlStr);
        QCOMPARE(m_form->windowTitle(), u"HTMLプロジェクトエディタ 『ミルト』 - [新規HTMLプロジェクト] - [表紙]"_s);
        QVERIFY(m_ui->messages().isEmpty());
    }

    void newProjectCancelledLeavesEverything()
    {
        makeSet(HinagataFolder(false, false), {{u"サイト"_s, u"説明"_s}}, {projectTemplate()});
        openTwoPages();
        project().Henkou = true;
        m_ui->yesNoAnswers.enqueue(false); // do not save
        const QVector<HtmlDat> pages = project().Html;
        QVERIFY(drive(u"ProNewminmnyHina"_s, [](QWidget *dlg) { QTest::keyClick(dlg, Qt::Key_Escape); }));
        QCOMPARE(m_ui->messages().size(), 1); // the unsaved-changes question only
        QCOMPARE(project().Html, pages);
        QVERIFY(project().Henkou);
        // The preview copies are still there.
        QVERIFY(QFileInfo::exists(tempDir() + u"/Index.htm"_s));
        QVERIFY(QFileInfo::exists(tempDir() + u"/two.htm"_s));
    }

    void newProjectStopsWhenTheSaveDoesNotHappen()
    {
        makeSet(HinagataFolder(false, false), {{u"サイト"_s, u"説明"_s}}, {projectTemplate()});
        openTwoPages();
        project().Henkou = true;
        m_ui->yesNoAnswers.enqueue(true); // save
        m_ui->fileAnswers.enqueue(QString()); // ... but the save dialog is cancelled
        const QVector<HtmlDat> pages = project().Html;
        ModalAnswerer never({[](QWidget *dlg) {
            QFAIL(qPrintable(u"unexpected window "_s + dlg->windowTitle()));
        }});
        m_form->runCommand(u"ProNewminmnyHina"_s);
        QCOMPARE(never.handled, 0);
        QCOMPARE(project().Html, pages);
        QVERIFY(project().Henkou);
        QVERIFY(QFileInfo::exists(tempDir() + u"/two.htm"_s));
    }

    void newProjectFromBrokenTemplate()
    {
        makeSet(HinagataFolder(false, false), {{u"壊れた"_s, u"説明"_s}}, {u"$HtmlProjectFile$,3,途中"_s});
        openTwoPages();
        const QVector<HtmlDat> pages = project().Html;
        QVERIFY(drive(u"ProNewminmnyHina"_s, [](QWidget *dlg) {
            QTest::mouseClick(button(dlg, u"Command1"_s), Qt::LeftButton);
        }));
        QCOMPARE(m_ui->messages(), QStringList{u"雛型のロードに失敗しました。"_s});
        QCOMPARE(m_ui->shown.last().icon, UiService::Icon::Critical);
        // The open project stays, with its preview copies.
        QCOMPARE(project().Html, pages);
        QVERIFY(!project().Henkou);
        QVERIFY(QFileInfo::exists(tempDir() + u"/two.htm"_s));
    }

    // New page from a template ------------------------------------------------

    void pageFromTemplate()
    {
        makeSet(HinagataFolder(true, false), {{u"白紙"_s, u"説明"_s}, {u"日記"_s, u"日記のページ"_s}},
                {u"<p>白紙</p>"_s, u"<h1>日記</h1>\r\n<p>今日は</p>"_s});
        ModalAnswerer answer({
            [](QWidget *dlg) {
                QCOMPARE(dlg->windowTitle(), u"HTMLの追加"_s);
                clickRow(dlg, 1);
                QTest::keyClick(dlg, Qt::Key_Return);
            },
            [](QWidget *dlg) {
                QCOMPARE(dlg->objectName(), u"HTMLProp"_s);
                QLineEdit *name = child<QLineEdit>(dlg, u"Nametxt"_s);
                name->clear();
                TypeText(name, u"八月の日記"_s);
                QTest::mouseClick(button(dlg, u"Command1"_s), Qt::LeftButton);
            },
        });
        m_form->runCommand(u"AddHTMLminmnyHina"_s);
        QCOMPARE(answer.handled, 2);
        const ProjectDates &p = project();
        QCOMPARE(p.HtmlMax(), qint16(1));
        QCOMPARE(p.Html.at(1).DatName, u"八月の日記"_s);
        QCOMPARE(p.Html.at(1).HtmlStr, u"<h1>日記</h1>\r\n<p>今日は</p>"_s);
        QCOMPARE(m_form->ui().DatList->currentRow(), 1);
        QCOMPARE(p.NowHtml, qint16(1));
        QCOMPARE(m_form->ui().MainText->htmlText(), p.Html.at(1).HtmlStr);
        QVERIFY(m_previews > 0);
        QVERIFY(p.Henkou);
        QVERIFY(!p.EditNew);
    }

    void pageFromTemplateWithUnreadableBytes()
    {
        // A Western page without a declaration: the byte of "é" is no
        // Japanese character.
        makeSet(HinagataFolder(true, false), {{u"壊れた文字"_s, u"説明"_s}}, {});
        QVERIFY(PutBytes(TempFilePath(HinagataFolder(true, false), 0), "<p>caf\xE9</p>\r\n"));
        ModalAnswerer answer({
            [](QWidget *dlg) { QTest::mouseClick(button(dlg, u"Command1"_s), Qt::LeftButton); },
            [](QWidget *dlg) { QTest::mouseClick(button(dlg, u"Command1"_s), Qt::LeftButton); },
        });
        m_form->runCommand(u"AddHTMLminmnyHina"_s);
        QCOMPARE(answer.handled, 2);
        QCOMPARE(project().HtmlMax(), qint16(1));
        QCOMPARE(project().Html.at(1).HtmlStr, u"<p>caf\uFFFD</p>"_s);
        QCOMPARE(m_ui->messages().size(), 1);
        QVERIFY2(m_ui->lastMessage().contains(u"1 か所"_s), qPrintable(m_ui->lastMessage()));
        QCOMPARE(m_ui->shown.last().icon, UiService::Icon::Exclamation);
    }

    void pageFromTemplateSettingsCancelled()
    {
        makeSet(HinagataFolder(true, false), {{u"白紙"_s, u"説明"_s}}, {u"<p>白紙</p>"_s});
        ModalAnswerer answer({
            [](QWidget *dlg) { QTest::mouseClick(button(dlg, u"Command1"_s), Qt::LeftButton); },
            [](QWidget *dlg) { QTest::keyClick(dlg, Qt::Key_Escape); },
        });
        m_form->runCommand(u"AddHTMLminmnyHina"_s);
        QCOMPARE(answer.handled, 2);
        QCOMPARE(project().HtmlMax(), qint16(0));
        QVERIFY(!project().Henkou); // no page was added
        QVERIFY(!project().EditNew);
    }

    void pageFromTemplateChooserCancelled()
    {
        makeSet(HinagataFolder(true, false), {{u"白紙"_s, u"説明"_s}}, {u"<p>白紙</p>"_s});
        QVERIFY(drive(u"AddHTMLminmnyHina"_s, [](QWidget *dlg) { dlg->close(); }));
        QCOMPARE(project().HtmlMax(), qint16(0));
        QVERIFY(!project().Henkou);
    }

    void pageFromMissingTemplateFile()
    {
        // The list names a template whose file is not there.
        makeSet(HinagataFolder(true, true), {{u"消えた"_s, u"説明"_s}}, {});
        ModalAnswerer answer({
            [](QWidget *dlg) {
                clickTab(dlg, 1);
                QTest::mouseClick(button(dlg, u"Command1"_s), Qt::LeftButton);
            },
            [](QWidget *dlg) { QFAIL(qPrintable(u"unexpected window "_s + dlg->windowTitle())); },
        });
        m_form->runCommand(u"AddHTMLminmnyHina"_s);
        QCOMPARE(answer.handled, 1);
        QCOMPARE(project().HtmlMax(), qint16(0));
        QCOMPARE(m_ui->messages().size(), 1);
        QVERIFY(m_ui->lastMessage().contains(u"TempFile0.dat"_s));
        QCOMPARE(m_ui->shown.last().icon, UiService::Icon::Critical);
        QVERIFY(!project().Henkou);
    }

    // Registering -------------------------------------------------------------

    void registerEnableRules()
    {
        QVERIFY(drive(u"minmnyNewPhina"_s, [](QWidget *dlg) {
            QCOMPARE(dlg->windowTitle(), u"プロジェクトの雛型作成"_s);
            QCOMPARE(child<QLabel>(dlg, u"Label1"_s)->text(), u"雛型の名前："_s);
            QCOMPARE(child<QLabel>(dlg, u"Label2"_s)->text(), u"説明（改行不可）"_s);
            QLineEdit *text1 = child<QLineEdit>(dlg, u"Text1"_s);
            QLineEdit *text2 = child<QLineEdit>(dlg, u"Text2"_s);
            QPushButton *ok = button(dlg, u"Command1"_s);
            QCOMPARE(text1->text(), u"新規雛型"_s);
            QVERIFY(text2->text().isEmpty());
            QVERIFY(!ok->isEnabled());
            TypeText(text2, u"説"_s);
            QVERIFY(ok->isEnabled());
            text1->selectAll();
            QTest::keyClick(text1, Qt::Key_Backspace);
            QVERIFY(!ok->isEnabled());
            TypeText(text1, u"名"_s);
            QVERIFY(ok->isEnabled());
            QTest::keyClick(text2, Qt::Key_Backspace);
            QVERIFY(!ok->isEnabled());
            // Enter with OK disabled registers nothing.
            QTest::keyClick(text1, Qt::Key_Return);
            QVERIFY(dlg->isVisible());
            QTest::keyClick(dlg, Qt::Key_Escape);
        }));
        QCOMPARE(CountHinagata(false), qint16(-1));
    }

    void registerPageThenListIt()
    {
        QVERIFY(AddHinagata(true, u"前からある"_s, u"説明"_s, u"x"_s));
        AddHtmlDat(project(), u"二頁"_s, u"two"_s, u"<p>二ページ目</p>"_s, u".htm"_s);
        m_form->showKind(KindHtml);
        m_form->ui().DatList->setCurrentRow(1);
        QVERIFY(drive(u"minmnyNewHhina"_s, [](QWidget *dlg) {
            QCOMPARE(dlg->windowTitle(), u"HTMLの雛型作成"_s);
            QLineEdit *text1 = child<QLineEdit>(dlg, u"Text1"_s);
            text1->selectAll();
            TypeText(text1, u"私のページ"_s);
            TypeText(child<QLineEdit>(dlg, u"Text2"_s), u"二ページ目の形"_s);
            QTest::keyClick(child<QLineEdit>(dlg, u"Text2"_s), Qt::Key_Return);
            QVERIFY(!dlg->isVisible());
        }));
        QVERIFY(m_ui->messages().isEmpty());
        const HinagataSet set = LoadHinagataList(true);
        QCOMPARE(set.HinaName.last(), u"私のページ"_s);
        QCOMPARE(set.HinaDate.last(), u"<p>二ページ目</p>"_s);

        QVERIFY(drive(u"minmnyHinaList"_s, [](QWidget *dlg) {
            QCOMPARE(dlg->windowTitle(), u"雛型リスト"_s);
            QTabBar *tabs = child<QTabBar>(dlg, u"TabStrip1"_s);
            QCOMPARE(tabs->tabText(0), u"プロジェクト雛型"_s);
            QCOMPARE(tabs->tabText(1), u"HTML雛型"_s);
            QCOMPARE(tabs->currentIndex(), 0);
            QVERIFY(listed(dlg).isEmpty());
            QVERIFY(!button(dlg, u"Command2"_s)->isEnabled());
            QCOMPARE(label1(dlg), u"雛型はありません。"_s);
            clickTab(dlg, 1);
            QCOMPARE(listed(dlg), (QStringList{u"前からある"_s, u"私のページ"_s}));
            QVERIFY(button(dlg, u"Command2"_s)->isEnabled());
            QTest::mouseClick(button(dlg, u"Command4"_s), Qt::LeftButton);
            QVERIFY(!dlg->isVisible());
        }));
    }

    void registerProjectLoadsBack()
    {
        AddPictDat(project(), u"花"_s, u"flower"_s, u"/pictures/flower.gif"_s, u".gif"_s);
        project().Html[0].HtmlStr = u"<p>はじめ</p>\r\n"_s;
        QVERIFY(drive(u"minmnyNewPhina"_s, [](QWidget *dlg) {
            TypeText(child<QLineEdit>(dlg, u"Text2"_s), u"花のサイト"_s);
            QTest::mouseClick(button(dlg, u"Command1"_s), Qt::LeftButton);
        }));
        const HinagataSet set = LoadHinagataList(false);
        QCOMPARE(set.HinaName, QStringList{u"新規雛型"_s});
        ProjectDates back;
        QCOMPARE(LoadProjectFile(TempFilePath(HinagataFolder(false, true), 0), back), qint16(LoadOk));
        QCOMPARE(back.Html, project().Html);
        QCOMPARE(back.Pict, project().Pict);
    }

    void registerRefusesWhatTheListCannotHold_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("setumei");
        QTest::newRow("comma in the name") << u"A,B"_s << u"説明"_s;
        QTest::newRow("comma in the description") << u"名前"_s << u"説明、そして,"_s;
    }

    void registerRefusesWhatTheListCannotHold()
    {
        QFETCH(QString, name);
        QFETCH(QString, setumei);
        QVERIFY(drive(u"minmnyNewHhina"_s, [&](QWidget *dlg) {
            QLineEdit *text1 = child<QLineEdit>(dlg, u"Text1"_s);
            text1->selectAll();
            TypeText(text1, name);
            TypeText(child<QLineEdit>(dlg, u"Text2"_s), setumei);
            QTest::mouseClick(button(dlg, u"Command1"_s), Qt::LeftButton);
            // Told why, and the dialog stays open with what was typed.
            QVERIFY(dlg->isVisible());
            QCOMPARE(text1->text(), name);
            QTest::mouseClick(button(dlg, u"Command2"_s), Qt::LeftButton);
        }));
        QCOMPARE(m_ui->messages().size(), 1);
        QVERIFY2(m_ui->lastMessage().contains(u"カンマ"_s), qPrintable(m_ui->lastMessage()));
        QCOMPARE(m_ui->shown.last().icon, UiService::Icon::Critical);
        QCOMPARE(CountHinagata(true), qint16(-1));
    }

    void registerFailedWriteIsReported()
    {
        // The user folder cannot be made: a file stands in its place.
        QVERIFY(QDir().mkpath(AppDir() + u"/Tools/HTMLTemp"_s));
        QVERIFY(PutBytes(HinagataFolder(true, true), "not a folder"));
        QVERIFY(drive(u"minmnyNewHhina"_s, [](QWidget *dlg) {
            TypeText(child<QLineEdit>(dlg, u"Text2"_s), u"説明"_s);
            QTest::mouseClick(button(dlg, u"Command1"_s), Qt::LeftButton);
            QVERIFY(dlg->isVisible());
            QTest::keyClick(dlg, Qt::Key_Escape);
        }));
        QCOMPARE(m_ui->messages().size(), 1);
        QVERIFY(m_ui->lastMessage().startsWith(u"雛型を登録できませんでした。"_s));
    }

    void registerProjectWithUnsavableField()
    {
        project().Html[0].DatName = u"表紙,その一"_s;
        QVERIFY(drive(u"minmnyNewPhina"_s, [](QWidget *dlg) {
            TypeText(child<QLineEdit>(dlg, u"Text2"_s), u"説明"_s);
            QTest::mouseClick(button(dlg, u"Command1"_s), Qt::LeftButton);
            QVERIFY(dlg->isVisible());
            QTest::mouseClick(button(dlg, u"Command2"_s), Qt::LeftButton);
        }));
        QCOMPARE(m_ui->messages().size(), 1);
        QVERIFY(m_ui->lastMessage().contains(u"表紙,その一"_s));
        QCOMPARE(CountHinagata(false), qint16(-1));
    }

    void registerOnADamagedListOffersARebuild_data()
    {
        QTest::addColumn<bool>("rebuild");
        QTest::newRow("keep everything") << false;
        QTest::newRow("rebuild") << true;
    }

    void registerOnADamagedListOffersARebuild()
    {
        QFETCH(bool, rebuild);
        // The list names one template of two: the other would be written over.
        const QString folder = HinagataFolder(true, true);
        for (int i = 0; i < 2; ++i)
            QVERIFY(AddHinagata(true, u"ページ%1"_s.arg(i), u"説明"_s, u"<p>%1</p>"_s.arg(i)));
        QVERIFY(PutBytes(TempListPath(folder), Sjis(u"ページ0,説明\r\n"_s)));
        m_ui->yesNoAnswers << rebuild;
        QVERIFY(drive(u"minmnyNewHhina"_s, [](QWidget *dlg) {
            TypeText(child<QLineEdit>(dlg, u"Text2"_s), u"説明"_s);
            QTest::mouseClick(button(dlg, u"Command1"_s), Qt::LeftButton);
        }));
        QCOMPARE(m_ui->messages().size(), 1);
        QCOMPARE(m_ui->shown.first().defaultAnswer, UiService::Answer::No);
        QVERIFY2(m_ui->lastMessage().contains(u"TempFile1.dat"_s), qPrintable(m_ui->lastMessage()));
        QCOMPARE(ReadBytes(TempFilePath(folder, 1)), QByteArray("<p>1</p>\r\n"));
        QCOMPARE(LoadHinagataList(true).HinaName,
                 rebuild ? (QStringList{u"ページ0"_s, u"1"_s, u"新規雛型"_s}) : QStringList{u"ページ0"_s});
    }

    // The list of user templates ----------------------------------------------

    void listDeletes()
    {
        for (int i = 0; i < 3; ++i)
            QVERIFY(AddHinagata(false, u"プロジェクト%1"_s.arg(i), u"説明%1"_s.arg(i), projectTemplate()));
        QVERIFY(AddHinagata(true, u"ページ"_s, u"ただ一つ"_s, u"<p>x</p>"_s));
        QVERIFY(drive(u"minmnyHinaList"_s, [this](QWidget *dlg) {
            QCOMPARE(listed(dlg), (QStringList{u"プロジェクト0"_s, u"プロジェクト1"_s, u"プロジェクト2"_s}));
            QCOMPARE(label1(dlg), u"説明0"_s);
            clickRow(dlg, 1);
            QCOMPARE(label1(dlg), u"説明1"_s);
            // Deleting is asked first; No (and Enter, the default) keeps it.
            QTest::mouseClick(button(dlg, u"Command2"_s), Qt::LeftButton);
            QCOMPARE(m_ui->messages(), QStringList{u"雛型「プロジェクト1」を削除しますか？"_s});
            QCOMPARE(m_ui->shown.last().defaultAnswer, UiService::Answer::No);
            QCOMPARE(listed(dlg).size(), 3);
            m_ui->yesNoAnswers << true;
            QTest::mouseClick(button(dlg, u"Command2"_s), Qt::LeftButton);
            QCOMPARE(listed(dlg), (QStringList{u"プロジェクト0"_s, u"プロジェクト2"_s}));
            QCOMPARE(list1(dlg)->currentRow(), 0);
            QCOMPARE(label1(dlg), u"説明0"_s);
            // The only HTML template.
            clickTab(dlg, 1);
            QCOMPARE(listed(dlg), QStringList{u"ページ"_s});
            m_ui->yesNoAnswers << true;
            QTest::mouseClick(button(dlg, u"Command2"_s), Qt::LeftButton);
            QVERIFY(listed(dlg).isEmpty());
            QVERIFY(!button(dlg, u"Command2"_s)->isEnabled());
            QCOMPARE(label1(dlg), u"雛型はありません。"_s);
            // Back on the first tab the project templates are listed again.
            clickTab(dlg, 0);
            QCOMPARE(listed(dlg).size(), 2);
            QTest::keyClick(dlg, Qt::Key_Escape);
        }));
        QCOMPARE(CountHinagata(false), qint16(1));
        QCOMPARE(CountHinagata(true), qint16(-1));
        QCOMPARE(LoadHinagataList(false).HinaName, (QStringList{u"プロジェクト0"_s, u"プロジェクト2"_s}));
        // The three questions and nothing else.
        QCOMPARE(m_ui->messages().size(), 3);
        for (const RecordingUi::Shown &s : m_ui->shown)
            QCOMPARE(s.kind, u"question"_s);
    }

    void listDeleteFailureIsReported()
    {
        for (int i = 0; i < 3; ++i)
            QVERIFY(AddHinagata(true, u"ページ%1"_s.arg(i), u"説明"_s, u"<p>%1</p>"_s.arg(i)));
        QVERIFY(QFile::remove(TempFilePath(HinagataFolder(true, true), 1)));
        QVERIFY(QDir().mkpath(TempFilePath(HinagataFolder(true, true), 1)));
        QVERIFY(drive(u"minmnyHinaList"_s, [this](QWidget *dlg) {
            clickTab(dlg, 1);
            m_ui->yesNoAnswers << true;
            QTest::mouseClick(button(dlg, u"Command2"_s), Qt::LeftButton);
            QCOMPARE(listed(dlg).size(), 3);
            QTest::mouseClick(button(dlg, u"Command4"_s), Qt::LeftButton);
        }));
        QCOMPARE(m_ui->messages().size(), 2);
        QVERIFY(m_ui->lastMessage().startsWith(u"雛型を削除できませんでした。"_s));
    }
};

QTEST_MAIN(TestTemplateCommands)
#include "tst_templatecommands.moc"
