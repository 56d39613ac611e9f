// The help menu: the manual window, the delivered manual itself, and the
// version box with its system-information button.

#include "AppPaths.h"
#include "AppStart.h"
#include "BrowserView.h"
#include "HelpCommands.h"
#include "MainForm.h"
#include "MenuTable.h"
#include "RecordingUi.h"
#include "Twips.h"

#include <QAction>
#include <QClipboard>
#include <QLocale>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSysInfo>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int LoadTimeout = 30000;

QString helpSource()
{
    return QStringLiteral(QV_HELP_SOURCE_DIR);
}

// Every page of the manual: name and text.
QMap<QString, QString> manualPages()
{
    QMap<QString, QString> pages;
    QDirIterator it(helpSource(), {u"*.htm"_s, u"*.html"_s}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        if (f.open(QIODevice::ReadOnly)) {
            QStringDecoder utf8(QStringDecoder::Utf8);
            const QString text = utf8(f.readAll());
            pages.insert(QDir(helpSource()).relativeFilePath(path), utf8.hasError() ? QString() : text);
        }
    }
    return pages;
}

// A menu caption as a reader sees it: without the access key and the dots.
QString plainCaption(QString caption)
{
    caption.remove(QRegularExpression(u"\\(&.\\)"_s));
    caption.remove(u"..."_s);
    caption.remove(u'&');
    return caption.trimmed();
}

void copyFolder(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = to + u'/' + QDir(from).relativeFilePath(path);
        QDir().mkpath(QFileInfo(target).path());
        QFile::copy(path, target);
    }
}

} // namespace

class TestHelpAbout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_path = qgetenv("PATH"); }

    void init()
    {
        QVERIFY(m_dir.isValid());
        SetAppDir(m_dir.path());
        copyFolder(helpSource(), m_dir.path() + u"/Help"_s);
        m_ui = std::make_unique<RecordingUi>();
        m_form = std::make_unique<MainForm>();
        m_form->startUp();
        m_form->show();
    }

    void cleanup()
    {
        m_form.reset();
        m_ui.reset();
        qputenv("PATH", m_path);
    }

    // The delivered manual: UTF-8 with its charset declared, every link
    // leads to a page that exists, and every page is reached from Index.htm.
    void manualPagesAreWholeAndLinked()
    {
        const QMap<QString, QString> pages = manualPages();
        QVERIFY(pages.contains(u"Index.htm"_s));
        QVERIFY(pages.size() >= 5);
        const QRegularExpression href(u"<(?:a|link)\\s[^>]*href\\s*=\\s*\"([^\"#]*)(#[^\"]*)?\""_s);
        QSet<QString> reached{u"Index.htm"_s};
        QStringList queue{u"Index.htm"_s};
        for (auto it = pages.cbegin(); it != pages.cend(); ++it) {
            QVERIFY2(!it.value().isEmpty(), qPrintable(it.key() + u" is not UTF-8"_s));
            QVERIFY2(it.value().contains(u"<meta charset=\"utf-8\">"_s, Qt::CaseInsensitive), qPrintable(it.key()));
            QVERIFY2(it.value().contains(u"<title>"_s), qPrintable(it.key()));
        }
        while (!queue.isEmpty()) {
            const QString name = queue.takeFirst();
            auto m = href.globalMatch(pages.value(name));
            while (m.hasNext()) {
                const QString target = m.next().captured(1);
                if (target.isEmpty() || target.contains(u':'))
                    continue;
                QVERIFY2(QFile::exists(helpSource() + u'/' + target),
                         qPrintable(name + u" links to a missing "_s + target));
                if (pages.contains(target) && !reached.contains(target)) {
                    reached.insert(target);
                    queue.append(target);
                }
            }
        }
        for (const QString &name : pages.keys())
            QVERIFY2(reached.contains(name), qPrintable(name + u" is not reached from Index.htm"_s));
    }

    // Every menu and menu item of the main window is explained.
    void manualCoversEveryMenuCommand()
    {
        QString all;
        for (const QString &text : manualPages())
            all += text;
        int count = 0;
        const MenuRow *rows = MenuRows(&count);
        QVERIFY(count > 50);
        QStringList missing;
        for (int i = 0; i < count; ++i) {
            const QString caption = QString::fromUtf16(rows[i].caption);
            if (caption == u"-" || caption == u"右クリックメニュー")
                continue;
            if (!all.contains(plainCaption(caption)))
                missing << plainCaption(caption);
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u", "_s)));
        // The subjects a beginner needs.
        for (const QString &subject : {u"タグ挿入支援"_s, u"挿入スクリプト"_s, u"雛型"_s, u"出力"_s, u"しおり"_s,
                                       u"書きかけ終了"_s, u"スクリプトエディタ"_s})
            QVERIFY2(all.contains(subject), qPrintable(subject));
        // Every command of the menus is built: no page may send a reader
        // away from one as missing.
        const QMap<QString, QString> pages = manualPages();
        for (auto it = pages.cbegin(); it != pages.cend(); ++it)
            QVERIFY2(!it.value().contains(u"まだ作られていな"_s), qPrintable(it.key()));
    }

    void manualOpensBesideTheMainWindow()
    {
        m_form->runCommand(u"minmnyMa"_s);
        HelpForm *help = m_form->findChild<HelpForm *>(u"Help"_s);
        QVERIFY(help);
        QVERIFY(help->isVisible());
        QCOMPARE(help->windowTitle(), u"マニュアル"_s);
        QVERIFY(!help->isModal());
        QVERIFY(!help->testAttribute(Qt::WA_QuitOnClose));
        QVERIFY(!QApplication::activeModalWidget());
        QSignalSpy loaded(help->WebBrowser1, &QWebEngineView::loadFinished);
        QVERIFY(loaded.wait(LoadTimeout));
        QVERIFY(loaded.first().first().toBool());
        QCOMPARE(help->WebBrowser1->shownFile(), AppPath(u"\\Help\\Index.htm"));
        QTRY_VERIFY_WITH_TIMEOUT(help->WebBrowser1->title().contains(u"マニュアル"_s), LoadTimeout);

        // Its size rule, and a refused size in a tiny window.
        help->resize(TwipsToPx(9000), TwipsToPx(7000));
        QVERIFY(std::abs(help->WebBrowser1->height() - TwipsToPx(help->formHeightTwips() - 650)) <= 1);
        QVERIFY(std::abs(help->WebBrowser1->width() - TwipsToPx(help->formWidthTwips() - 350)) <= 1);
        const QSize before = help->WebBrowser1->size();
        help->resize(5, 5);
        QCOMPARE(help->WebBrowser1->size(), before);

        // Asking again (here from the toolbar) brings the same window.
        m_form->toolButton(u"GoHelp"_s)->trigger();
        QCOMPARE(m_form->findChildren<HelpForm *>().size(), 1);
        // Also when it was minimised: it comes back.
        help->showMinimized();
        QTRY_VERIFY(help->isMinimized());
        m_form->runCommand(u"minmnyMa"_s);
        QCOMPARE(m_form->findChildren<HelpForm *>().size(), 1);
        QTRY_VERIFY(!help->isMinimized());
        QVERIFY(m_ui->shown.isEmpty());
        QCOMPARE(m_ui->beeps, 0);
    }

    void missingManualAddsNoMessage()
    {
        QDir(m_dir.path() + u"/Help"_s).removeRecursively();
        m_form->runCommand(u"minmnyMa"_s);
        HelpForm *help = m_form->findChild<HelpForm *>(u"Help"_s);
        QVERIFY(help);
        QSignalSpy loaded(help->WebBrowser1, &QWebEngineView::loadFinished);
        QVERIFY(loaded.wait(LoadTimeout));
        QVERIFY(m_ui->shown.isEmpty());
    }

    void versionText()
    {
        QCOMPARE(frmAbout::versionText(QVersionNumber(1, 0)), u"ﾊﾞｰｼﾞｮﾝ 1.0.0"_s);
        QCOMPARE(frmAbout::versionText(QVersionNumber(2, 3, 14)), u"ﾊﾞｰｼﾞｮﾝ 2.3.14"_s);
        QCOMPARE(frmAbout::programVersion(), QVersionNumber::fromString(QStringLiteral(QUORVEL_VERSION)));
        QVERIFY(!frmAbout::programVersion().isNull());
    }

    void aboutBoxAndSystemInformation()
    {
        bool checked = false;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(QApplication::activeModalWidget());
            auto *box = qobject_cast<frmAbout *>(QApplication::activeModalWidget());
            QVERIFY(box);
            QCOMPARE(box->windowTitle(), u"Quorvelのﾊﾞｰｼﾞｮﾝ情報"_s);
            QCOMPARE(box->lblTitle->text(), u"Quorvel"_s);
            QCOMPARE(box->lblVersion->text(), frmAbout::versionText(frmAbout::programVersion()));
            QVERIFY(!box->lblDisclaimer->text().isEmpty());
            QVERIFY(!box->picIcon->pixmap().isNull());
            QCOMPARE(box->cmdOK->text(), u"OK"_s);
            QCOMPARE(box->cmdSysInfo->text(), u"ｼｽﾃﾑ情報(&S)..."_s);
            // The two buttons share one size, each caption whole.
            QCOMPARE(box->cmdOK->size(), box->cmdSysInfo->size());
            QVERIFY(box->cmdOK->width() >= box->cmdSysInfo->sizeHint().width());
            QVERIFY(box->cmdOK->height() >= box->cmdSysInfo->sizeHint().height());

            // The system information: a window of the program's own, on
            // every desktop, whose text can be copied whole.
            bool shown = false;
            QTimer::singleShot(0, this, [&] {
                QTRY_VERIFY(qobject_cast<SysInfoForm *>(QApplication::activeModalWidget()));
                auto *info = qobject_cast<SysInfoForm *>(QApplication::activeModalWidget());
                QCOMPARE(info->windowTitle(), u"ｼｽﾃﾑ情報"_s);
                const QString text = info->Text1->toPlainText();
                QCOMPARE(text.split(u'\n'), SysInfoForm::infoLines());
                const QSize screen = QGuiApplication::primaryScreen()->size();
                for (const QString &expected : QStringList{
                         u"プログラム: Quorvel "_s + frmAbout::programVersion().toString(),
                      u"Qt: "_s + QString::fromLatin1(qVersion()), u"ブラウザエンジン: Qt WebEngine "_s,
                      u"OS: "_s + QSysInfo::prettyProductName(),
                      u"画面1: %1×%2"_s.arg(screen.width()).arg(screen.height()),
                      u"プログラムのフォルダ: "_s + QDir::toNativeSeparators(QCoreApplication::applicationDirPath()),
                      u"データのフォルダ: "_s + QDir::toNativeSeparators(AppDir()),
                      u"ロケール: "_s + QLocale::system().name(), u"入力メソッド: "_s})
                    QVERIFY2(text.contains(expected), qPrintable(expected));
                QGuiApplication::clipboard()->clear();
                QCOMPARE(info->Command1->text(), u"コピー"_s);
                QTest::mouseClick(info->Command1, Qt::LeftButton);
                QCOMPARE(QGuiApplication::clipboard()->text(), text);
                QTest::mouseClick(info->Command2, Qt::LeftButton);
                shown = true;
            });
            QTest::mouseClick(box->cmdSysInfo, Qt::LeftButton);
            QVERIFY(shown);
            QVERIFY(box->isVisible());
            // Nothing else was shown: no notice that it is not available.
            QVERIFY(m_ui->shown.isEmpty());

            QTest::mouseClick(box->cmdOK, Qt::LeftButton);
            checked = true;
        });
        m_form->runCommand(u"minmnyAbout"_s);
        QVERIFY(checked);
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(m_ui->beeps, 0);
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_path;
    std::unique_ptr<RecordingUi> m_ui;
    std::unique_ptr<MainForm> m_form;
};

int main(int argc, char *argv[])
{
    // The process as the program prepares it: the browser's drawing above all.
    PrepareProcess();
    QApplication app(argc, argv);
    TestHelpAbout t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_helpabout.moc"
