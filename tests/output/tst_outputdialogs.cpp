// The output dialog and the extension dialog, driven through their controls.

#include "AppPaths.h"
#include "WidgetTestSupport.h"
#include "KakutyousiSettei.h"
#include "FileSystemLimits.h"
#include "RecordingUi.h"
#include "SyuturyokuDat.h"
#include "SyuturyokuMod.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QListView>
#include <QTreeView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {


} // namespace

class TestOutputDialogs : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    QTemporaryDir m_dir;

    ProjectDates sample()
    {
        ProjectDates p;
        NewStartProject(p);
        AddHtmlDat(p, u"二"_s, u"two"_s, u"<p>2</p>"_s, u".html"_s);
        return p;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        QVERIFY(m_dir.isValid());
        qputenv("HOME", m_home.path().toLocal8Bit());
        SetAppDir(m_dir.path() + u"/app"_s);
    }

    void extensionDialogLabel()
    {
        KakutyousiSettei dlg(u"lzh"_s);
        QCOMPARE(dlg.windowTitle(), u"拡張子の設定"_s);
        auto *text1 = child<QLineEdit>(&dlg, u"Text1"_s);
        auto *label1 = child<QLabel>(&dlg, u"Label1"_s);
        QCOMPARE(text1->text(), u"lzh"_s);
        QCOMPARE(label1->text(), u"出力するファイルの拡張子を設定します - (*.lzh)"_s);
        text1->clear();
        QCOMPARE(label1->text(), u"出力するファイルの拡張子を設定します - (拡張子無し)"_s);
        QTest::keyClicks(text1, u"tar"_s);
        QCOMPARE(label1->text(), u"出力するファイルの拡張子を設定します - (*.tar)"_s);
        // Only OK stores the text; there is no cancel button.
        QCOMPARE(dlg.kakutyousiStr(), u"lzh"_s);
        QCOMPARE(dlg.findChildren<QPushButton *>().size(), 1);
        QTest::mouseClick(child<QPushButton>(&dlg, u"Command1"_s), Qt::LeftButton);
        QCOMPARE(dlg.kakutyousiStr(), u"tar"_s);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));

        KakutyousiSettei empty{QString()};
        QCOMPARE(child<QLabel>(&empty, u"Label1"_s)->text(), u"出力するファイルの拡張子を設定します - (拡張子無し)"_s);
        empty.reject();
        QCOMPARE(empty.kakutyousiStr(), QString());
    }

    void outputDialogControls()
    {
        RecordingUi rec;
        ProjectDates p = sample();
        SyuturyokuDat dlg(p);
        QCOMPARE(dlg.windowTitle(), u"プロジェクトを出力"_s);
        QCOMPARE(child<QLabel>(&dlg, u"Label1"_s)->text(), u"作成するフォルダ："_s);
        auto *save = child<QPushButton>(&dlg, u"Command1"_s);
        QCOMPARE(save->text(), u"保存"_s);
        QCOMPARE(child<QPushButton>(&dlg, u"Command2"_s)->text(), u"キャンセル"_s);
        auto *drives = child<QComboBox>(&dlg, u"Drive1"_s);
        QCOMPARE(drives->count(), OutputDriveRoots().size());
        QCOMPARE(drives->itemText(drives->count() - 1), QDir::homePath());
        // It opens in the home folder.
        QCOMPARE(dlg.currentFolder(), QDir::homePath());
        auto *text1 = child<QLineEdit>(&dlg, u"Text1"_s);
        QVERIFY(text1->text().isEmpty());
        QVERIFY(!save->isEnabled());
        QTest::keyClicks(text1, u"s"_s);
        QVERIFY(save->isEnabled());
        text1->clear();
        QVERIFY(!save->isEnabled());
        QVERIFY(rec.shown.isEmpty());
    }

    void outputDialogTreeAndFiles()
    {
        RecordingUi rec;
        ProjectDates p = sample();
        const QString folder = m_dir.path() + u"/browse"_s;
        QVERIFY(QDir().mkpath(folder + u"/inner"_s));
        for (const QString &name : {u"/inner/readme.txt"_s, u"/inner/.hidden"_s, u"/top.txt"_s}) {
            QFile f(folder + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        SyuturyokuDat dlg(p);
        dlg.show();
        dlg.setCurrentFolder(folder);
        QCOMPARE(dlg.currentFolder(), folder);
        // Choosing a folder in the tree lists its files.
        auto *tree = child<QTreeView>(&dlg, u"Dir1"_s);
        auto *files = child<QListView>(&dlg, u"File1"_s);
        auto *dirs = qobject_cast<QFileSystemModel *>(tree->model());
        QVERIFY(dirs);
        QTRY_VERIFY(dirs->index(folder + u"/inner"_s).isValid());
        // The folder's own list is there at once, and stays its own once
        // everything about the folder is known.
        const auto listed = [files] {
            QStringList names;
            for (int r = 0; r < files->model()->rowCount(files->rootIndex()); ++r)
                names.append(files->model()->index(r, 0, files->rootIndex()).data().toString());
            return names;
        };
        QCOMPARE(listed(), QStringList{u"top.txt"_s});
        QTest::qWait(200);
        tree->setCurrentIndex(dirs->index(folder + u"/inner"_s));
        QCOMPARE(dlg.currentFolder(), folder + u"/inner"_s);
        QCOMPARE(listed(), QStringList{u"readme.txt"_s});
        QTest::qWait(200);
        QCOMPARE(listed(), QStringList{u"readme.txt"_s});
        // The tree lists folders only.
        QCOMPARE(dirs->rowCount(dirs->index(folder)), 1);
        // The path of the chosen folder stands beside the tree, not under the file list.
        auto *path = child<QLabel>(&dlg, u"Label2"_s);
        QCOMPARE(path->text(), QDir::toNativeSeparators(folder + u"/inner"_s));
        QVERIFY(path->geometry().right() < files->geometry().left());
        QVERIFY(rec.shown.isEmpty());
    }

    void outputDialogCreatesAndWrites()
    {
        RecordingUi rec;
        ProjectDates p = sample();
        SyuturyokuDat dlg(p);
        dlg.show();
        // A folder path ending in a separator joins with one separator.
        dlg.setCurrentFolder(m_dir.path() + u'/');
        QTest::keyClicks(child<QLineEdit>(&dlg, u"Text1"_s), u"site"_s);
        QTest::mouseClick(child<QPushButton>(&dlg, u"Command1"_s), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        const QString expected = QDir::toNativeSeparators(m_dir.path() + u"/site"_s);
        QCOMPARE(p.SyuturyokuFolder, expected);
        QVERIFY(QFileInfo::exists(expected + u"/Index.htm"_s));
        QVERIFY(QFileInfo::exists(expected + u"/two.html"_s));
        QVERIFY(rec.shown.isEmpty());
        // The status bar says where the site went.
        QCOMPARE(rec.statusText(), u"プロジェクトを\"%1\"に出力しました。"_s.arg(expected));
    }

    void outputDialogOnReadOnlyDrive()
    {
        SmallDisk disk(64);
        if (!disk.mounted())
            QSKIP(qPrintable(disk.reason()));
        if (!disk.makeReadOnly())
            QSKIP("the system does not mount the test disk read-only again");
        RecordingUi rec;
        ProjectDates p = sample();
        SyuturyokuDat dlg(p);
        dlg.show();
        dlg.setCurrentFolder(disk.path());
        QTest::keyClicks(child<QLineEdit>(&dlg, u"Text1"_s), u"site"_s);
        QTest::mouseClick(child<QPushButton>(&dlg, u"Command1"_s), Qt::LeftButton);
        // The reason, not a bad name; the dialog stays for another choice.
        QCOMPARE(rec.messages().size(), 1);
        QCOMPARE(rec.lastMessage(), u"出力先フォルダ\"%1\"を作成できませんでした（読み取り専用のドライブです）。"_s.arg(
                                        QDir::toNativeSeparators(disk.filePath(u"site"_s))));
        QCOMPARE(rec.shown.last().icon, UiService::Icon::Critical);
        QVERIFY(dlg.isVisible());
        QVERIFY(p.SyuturyokuFolder.isEmpty() || p.SyuturyokuFolder != disk.filePath(u"site"_s));
        QVERIFY(rec.statusTexts.isEmpty());
    }

    void outputDialogStartsNearTheProject_data()
    {
        QTest::addColumn<QString>("project");   // below the test folder; empty: never saved
        QTest::addColumn<QString>("lastOutput"); // likewise; empty: none
        QTest::addColumn<QString>("expected");   // likewise; empty: the home folder
        QTest::newRow("project file's folder") << u"/proj/site.hpf"_s << u"/sites/old"_s << u"/proj"_s;
        QTest::newRow("last output's folder") << QString() << u"/sites/old"_s << u"/sites"_s;
        QTest::newRow("neither") << QString() << QString() << QString();
        QTest::newRow("folders gone") << u"/gone/site.hpf"_s << u"/gone2/old"_s << QString();
    }

    void outputDialogStartsNearTheProject()
    {
        QFETCH(QString, project);
        QFETCH(QString, lastOutput);
        QFETCH(QString, expected);
        RecordingUi rec;
        QVERIFY(QDir().mkpath(m_dir.path() + u"/proj"_s));
        QVERIFY(QDir().mkpath(m_dir.path() + u"/sites"_s));
        ProjectDates p = sample();
        if (!project.isEmpty())
            p.ProjectPath = m_dir.path() + project;
        if (!lastOutput.isEmpty())
            p.SyuturyokuFolder = m_dir.path() + lastOutput;
        SyuturyokuDat dlg(p);
        dlg.show();
        const QString folder = expected.isEmpty() ? QDir::homePath() : m_dir.path() + expected;
        QCOMPARE(dlg.currentFolder(), folder);
        QCOMPARE(child<QLabel>(&dlg, u"Label2"_s)->text(), QDir::toNativeSeparators(folder));
        auto *tree = child<QTreeView>(&dlg, u"Dir1"_s);
        auto *dirs = qobject_cast<QFileSystemModel *>(tree->model());
        QVERIFY(dirs);
        if (!expected.isEmpty())
            QCOMPARE(dirs->filePath(tree->currentIndex()), folder);
        QVERIFY(rec.shown.isEmpty());
    }

    void outputDialogRefusesExistingFolder()
    {
        RecordingUi rec;
        ProjectDates p = sample();
        QVERIFY(QDir().mkpath(m_dir.path() + u"/taken"_s));
        SyuturyokuDat dlg(p);
        dlg.show();
        dlg.setCurrentFolder(m_dir.path());
        QTest::keyClicks(child<QLineEdit>(&dlg, u"Text1"_s), u"taken"_s);
        QTest::mouseClick(child<QPushButton>(&dlg, u"Command1"_s), Qt::LeftButton);
        QCOMPARE(rec.messages(), QStringList({u"フォルダ名が不正です。"_s}));
        QCOMPARE(rec.shown.last().icon, UiService::Icon::Critical);
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(p.SyuturyokuFolder.isEmpty());
        QVERIFY(QDir(m_dir.path() + u"/taken"_s).isEmpty());
    }

    void outputDialogRefusesBadNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("separator") << u"a/b"_s << u"フォルダ名が不正です。"_s;
        QTest::newRow("parent") << u".."_s << u"フォルダ名が不正です。"_s;
        QTest::newRow("comma") << u"a,b"_s << u"「出力先フォルダ」に使用できない文字が含まれています：カンマ（,）"_s;
        QTest::newRow("NUL") << QString(u"a"_s + QChar(0) + u"b"_s) << u"フォルダ名が不正です。"_s;
    }

    void outputDialogRefusesBadNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        RecordingUi rec;
        ProjectDates p = sample();
        SyuturyokuDat dlg(p);
        dlg.show();
        dlg.setCurrentFolder(m_dir.path());
        // A NUL cannot be typed, only pasted.
        if (name.contains(QChar(0)))
            child<QLineEdit>(&dlg, u"Text1"_s)->insert(name);
        else
            QTest::keyClicks(child<QLineEdit>(&dlg, u"Text1"_s), name);
        QTest::mouseClick(child<QPushButton>(&dlg, u"Command1"_s), Qt::LeftButton);
        QCOMPARE(rec.messages().size(), 1);
        QVERIFY2(rec.lastMessage().startsWith(message), qPrintable(rec.lastMessage()));
        QVERIFY(dlg.isVisible());
        QVERIFY(p.SyuturyokuFolder.isEmpty());
        QVERIFY(!QFileInfo::exists(m_dir.path() + u"/a"_s));
    }

    void outputDialogReportsFailingItem()
    {
        RecordingUi rec;
        ProjectDates p = sample();
        AddPictDat(p, u"なし"_s, u"gone"_s, m_dir.path() + u"/gone.gif"_s, u".gif"_s);
        SyuturyokuDat dlg(p);
        dlg.show();
        dlg.setCurrentFolder(m_dir.path());
        QTest::keyClicks(child<QLineEdit>(&dlg, u"Text1"_s), u"partial"_s);
        QTest::mouseClick(child<QPushButton>(&dlg, u"Command1"_s), Qt::LeftButton);
        // The dialog closes with the folder kept; the stop is reported.
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(p.SyuturyokuFolder, QDir::toNativeSeparators(m_dir.path() + u"/partial"_s));
        QCOMPARE(rec.messages().size(), 1);
        QVERIFY(rec.lastMessage().startsWith(u"画像データ「なし」を出力できなかったため、出力を中止しました。"_s));
        QCOMPARE(rec.shown.last().icon, UiService::Icon::Critical);
        QVERIFY(QFileInfo::exists(m_dir.path() + u"/partial/two.html"_s));
    }

    void outputDialogCancel()
    {
        RecordingUi rec;
        ProjectDates p = sample();
        SyuturyokuDat dlg(p);
        dlg.show();
        dlg.setCurrentFolder(m_dir.path());
        QTest::keyClicks(child<QLineEdit>(&dlg, u"Text1"_s), u"never"_s);
        QTest::mouseClick(child<QPushButton>(&dlg, u"Command2"_s), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(p.SyuturyokuFolder.isEmpty());
        QVERIFY(!QFileInfo::exists(m_dir.path() + u"/never"_s));
    }

    void unreadableDrive()
    {
        // A home folder that is gone stands for a drive that cannot be read.
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", (m_dir.path() + u"/no-such-home"_s).toLocal8Bit());
        RecordingUi rec;
        ProjectDates p = sample();
        SyuturyokuDat dlg(p);
        // It opens on a drive that can be read, without a message.
        QVERIFY(rec.shown.isEmpty());
        auto *drives = child<QComboBox>(&dlg, u"Drive1"_s);
        const int before = drives->currentIndex();
        const QString folder = dlg.currentFolder();
        dlg.chooseDrive(drives->count() - 1);
        QCOMPARE(rec.messages(),
                 QStringList({u"このデバイスにアクセスできません、利用可能かどうか確認してください。"_s}));
        QCOMPARE(rec.shown.last().icon, UiService::Icon::Critical);
        QCOMPARE(drives->currentIndex(), before);
        QCOMPARE(dlg.currentFolder(), folder);
        qputenv("HOME", oldHome);
    }
};

QTEST_MAIN(TestOutputDialogs)
#include "tst_outputdialogs.moc"
