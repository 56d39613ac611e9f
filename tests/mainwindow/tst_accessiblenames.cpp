// Every control of every window has an accessible name, so that a screen
// reader says what it is: the text of its label, and for the up and down
// buttons of a number box 「増やす」 and 「減らす」.

#include "AppPaths.h"
#include "HelpCommands.h"
#include "HinagataDialogs.h"
#include "ItemDialogs.h"
#include "KakutyousiSettei.h"
#include "Kensaku.h"
#include "KensakuAllFrm.h"
#include "AddSioriFrm.h"
#include "LinkCheckForm.h"
#include "MainForm.h"
#include "PageEditor.h"
#include "PrvForm.h"
#include "PublishDialogs.h"
#include "RecordingUi.h"
#include "StatementDialogs.h"
#include "SyuturyokuDat.h"
#include "TaguSien_AddBunki.h"
#include "TaguSien_AddInputWindow.h"
#include "TaguSien_AddTokusyu.h"
#include "TaguSien_ListFile.h"
#include "TaguSien_MakeFont.h"
#include "TaguSien_NewPrg.h"
#include "TaguSien_Scrpt.h"
#include "TaguSien_WizList.h"
#include "TaguSien_WizWindow.h"
#include "WizDate.h"
#include "WizRun.h"

#include <QAccessible>
#include <QTemporaryDir>
#include <QTest>
#include <QtWidgets>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Every shown control of window (not labels, frames, scroll bars or the parts
// the toolkit builds inside its own controls) that has no name, or a wrong
// one: arrows must be 「増やす」 and 「減らす」, and a combo box that says only
// its current choice has no name.
QStringList Unnamed(QWidget *window)
{
    QStringList out;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        bool inner = w->objectName().startsWith(u"qt_") || qobject_cast<QScrollBar *>(w) || qobject_cast<QHeaderView *>(w);
        for (QWidget *p = w->parentWidget(); p && p != window; p = p->parentWidget())
            inner = inner || qobject_cast<QComboBox *>(p) || qobject_cast<QTabBar *>(p);
        if (inner || !w->isVisibleTo(window)
            || !(qobject_cast<QAbstractButton *>(w) || qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w)
                 || qobject_cast<QAbstractItemView *>(w) || qobject_cast<QPlainTextEdit *>(w)
                 || qobject_cast<QTabBar *>(w)))
            continue;
        const QString name = QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name).trimmed();
        const auto *arrow = qobject_cast<QToolButton *>(w);
        const auto *combo = qobject_cast<QComboBox *>(w);
        if (name.isEmpty() || (arrow && arrow->arrowType() == Qt::UpArrow && name != u"増やす")
            || (arrow && arrow->arrowType() == Qt::DownArrow && name != u"減らす")
            || (combo && combo->accessibleName().isEmpty() && name == combo->currentText()))
            out << QString::fromLatin1(w->metaObject()->className()) + u' ' + w->objectName() + u" \""_s + name + u'"';
    }
    return out;
}

// Input windows showing every kind of input once over two windows.
WizProgram InputWindows()
{
    const auto window = [](const QVector<qint16> &kinds) {
        return MakeWizOp(OpInputWindow, kinds + QVector<qint16>{0, 0, 0, 0, 0},
                         {u"題"_s, u"a"_s, u"1"_s, QString(), QString(), u"文字"_s, u"数"_s, u"頁"_s, u"色"_s});
    };
    WizProgram p;
    p.ops = {MakeWizOp(OpHensuSettei, {3, 3, 3}), window({0, 1, 4, 8}), window({2, 3, 5, 6}), MakeWizOp(OpWizEnd)};
    return p;
}

} // namespace

using Factory = std::function<std::unique_ptr<QWidget>()>;
Q_DECLARE_METATYPE(Factory)

class TestAccessibleNames : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    ProjectDates m_project;
    WizProgram m_program = InputWindows();
    WizVariables m_vars;
    EditWizDates m_dates;
    RecordingUi m_ui;
    PageEditor m_editor;

private Q_SLOTS:
    void initTestCase()
    {
        SetAppDir(m_dir.path());
        QVERIFY(QDir(m_dir.path()).mkpath(u"temp"_s));
        QVERIFY(NewWizDate(AppPath(u"\\Tools\\WizDates\\User\\Basic"), u"名前"_s, u"説明"_s, false));
        QVERIFY(NewWizDate(AppPath(u"\\Tools\\WizDates\\User\\Font"), u"赤"_s, u"赤い字"_s, true));
        NewStartProject(m_project);
        AddPictDat(m_project, u"写真"_s, u"photo"_s, m_dir.filePath(u"a.gif"_s), u".gif"_s);
        AddElseFileDat(m_project, u"資料"_s, u"doc"_s, m_dir.filePath(u"a.zip"_s), u".zip"_s);
    }

    void everyControlHasAName_data()
    {
        QTest::addColumn<Factory>("make");
        const auto add = [](const char *name, Factory f) { QTest::newRow(name) << f; };
        ProjectDates &p = m_project;
        WizProgram &w = m_program;
        add("HTMLProp", [&p] { return std::make_unique<HTMLProp>(p); });
        add("PictureSettei", [&p] { return std::make_unique<PictureSettei>(p); });
        add("ElseFileSettei", [&p] { return std::make_unique<ElseFileSettei>(p); });
        add("KakutyousiSettei", [] { return std::make_unique<KakutyousiSettei>(u".zip"_s); });
        add("SyuturyokuDat", [&p] { return std::make_unique<SyuturyokuDat>(p); });
        add("LinkCheckForm", [] { return std::make_unique<LinkCheckForm>(); });
        add("Kensaku", [this, &p] { return std::make_unique<Kensaku>(p, &m_editor); });
        add("KensakuTikan", [this, &p] { return std::make_unique<KensakuTikan>(p, &m_editor); });
        add("KensakuAllFrm", [] { return std::make_unique<KensakuAllFrm>(); });
        add("AddSioriFrm", [&p] { return std::make_unique<AddSioriFrm>(p); });
        add("Hinagata", [] { return std::make_unique<Hinagata>(HinaHtml); });
        add("HinagataNewForm", [&p] { return std::make_unique<HinagataNewForm>(HinaHtml, p); });
        add("HinagataList", [] { return std::make_unique<HinagataList>(); });
        add("TaguSien_WizList", [&p] { return std::make_unique<TaguSien_WizList>(p); });
        add("TaguSien_NewPrg", [] { return std::make_unique<TaguSien_NewPrg>(AppPath(u"\\Tools\\WizDates\\User\\Basic")); });
        add("TaguSien_Scrpt", [this, &p] {
            m_dates.EditWizPath = AppPath(u"\\Tools\\WizDates\\User\\Basic\\WizDate0.dat");
            return std::make_unique<TaguSien_Scrpt>(m_dates, p);
        });
        add("TaguSien_MakeFont", [this] {
            m_dates.EditWizPath = AppPath(u"\\Tools\\WizDates\\User\\Font\\WizDate0.dat");
            return std::make_unique<TaguSien_MakeFont>(m_dates);
        });
        add("TaguSien_AddHensuSettei", [&w] { return std::make_unique<TaguSien_AddHensuSettei>(w, 0); });
        add("TaguSien_AddOutPut", [&w] { return std::make_unique<TaguSien_AddOutPut>(w, true, 1); });
        add("TaguSien_AddDainyu", [&w] { return std::make_unique<TaguSien_AddDainyu>(w, true, 1); });
        add("TaguSien_AddSisoku", [&w] { return std::make_unique<TaguSien_AddSisoku>(w, true, 1); });
        add("TaguSien_AddBunki", [&w] { return std::make_unique<TaguSien_AddBunki>(w, true, 1); });
        add("TaguSien_AddLoop", [&w] { return std::make_unique<TaguSien_AddLoop>(w, true, 1); });
        add("TaguSien_AddInputWindow", [&w] { return std::make_unique<TaguSien_AddInputWindow>(w, false, 1); });
        add("TaguSien_AddTokusyu", [&w] { return std::make_unique<TaguSien_AddTokusyu>(w, true, 1); });
        for (qint16 op : {1, 2})
            add(op == 1 ? "TaguSien_WizWindow texts" : "TaguSien_WizWindow choices", [this, &p, &w, op] {
                auto win = std::make_unique<TaguSien_WizWindow>(p);
                win->loadStatement(w, op, m_vars);
                return std::unique_ptr<QWidget>(std::move(win));
            });
        add("frmAbout", [] { return std::make_unique<frmAbout>(); });
        add("SysInfoForm", [] { return std::make_unique<SysInfoForm>(); });
        add("HelpForm", [] { return std::make_unique<HelpForm>(); });
        add("PrvForm", [] { return std::make_unique<PrvForm>(); });
        for (PublishProtocol protocol : {PublishProtocol::Sftp, PublishProtocol::Ftp})
            add(protocol == PublishProtocol::Sftp ? "PublishSettingsDialog SFTP" : "PublishSettingsDialog FTP", [protocol] {
                PublishSettings s;
                s.protocol = protocol;
                return std::make_unique<PublishSettingsDialog>(s, QString(), u"鍵束がありません"_s);
            });
        add("PublishPlanDialog", [] {
            PublishPlan plan;
            plan.toSend = {{u"Index.htm"_s, QString(), 120, QByteArray()}};
            plan.notWritten = {u"old.htm"_s};
            return std::make_unique<PublishPlanDialog>(plan, u"ftp://site@127.0.0.1/site"_s);
        });
        add("PublishProgressWindow", [] { return std::make_unique<PublishProgressWindow>(u"sftp://a@b/c"_s); });
        add("MainForm", [] {
            auto form = std::make_unique<MainForm>();
            form->startUp();
            return std::unique_ptr<QWidget>(std::move(form));
        });
    }

    void everyControlHasAName()
    {
        QFETCH(Factory, make);
        std::unique_ptr<QWidget> window = make();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const QStringList unnamed = Unnamed(window.get());
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u"\n"_s)));
    }
};

QTEST_MAIN(TestAccessibleNames)
#include "tst_accessiblenames.moc"
