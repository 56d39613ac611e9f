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
#include "TestSupport.h"
#include "WizDate.h"
#include "WizRun.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// The widgets a user works with (not labels, frames or scroll bars).
bool IsControl(const QWidget *w)
{
    // Scroll bars, and the column headers of a list (each column is named by its title).
    if (qobject_cast<const QScrollBar *>(w) || qobject_cast<const QHeaderView *>(w))
        return false;
    return qobject_cast<const QAbstractButton *>(w) || qobject_cast<const QLineEdit *>(w)
           || qobject_cast<const QComboBox *>(w) || qobject_cast<const QAbstractItemView *>(w)
           || qobject_cast<const QPlainTextEdit *>(w) || qobject_cast<const QTextEdit *>(w)
           || qobject_cast<const QAbstractSpinBox *>(w) || qobject_cast<const QTabBar *>(w);
}

// Parts that the toolkit builds inside its own controls and names itself.
bool IsToolkitPart(const QWidget *w, const QWidget *window)
{
    if (w->objectName().startsWith(u"qt_"))
        return true;
    for (const QWidget *p = w->parentWidget(); p && p != window; p = p->parentWidget())
        if (qobject_cast<const QComboBox *>(p) || qobject_cast<const QTabBar *>(p)
            || qobject_cast<const QAbstractSpinBox *>(p))
            return true;
    return false;
}

// "Class objectName" of every shown control of window without a name, and of
// up and down buttons without the names their arrows call for.
QStringList Unnamed(QWidget *window)
{
    QStringList out;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!IsControl(w) || IsToolkitPart(w, window) || !w->isVisibleTo(window))
            continue;
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
        const QString name = a ? a->text(QAccessible::Name).trimmed() : QString();
        QString wanted;
        if (const auto *b = qobject_cast<const QToolButton *>(w)) {
            if (b->arrowType() == Qt::UpArrow)
                wanted = u"増やす"_s;
            else if (b->arrowType() == Qt::DownArrow)
                wanted = u"減らす"_s;
        }
        // A combo box that says only its current choice has no name.
        if (const auto *c = qobject_cast<const QComboBox *>(w); c && c->accessibleName().isEmpty() && name == c->currentText())
            wanted = u"(a name of its own)"_s;
        if (name.isEmpty() || (!wanted.isEmpty() && name != wanted))
            out << QString::fromLatin1(w->metaObject()->className()) + u' ' + w->objectName() + u" \""_s + name
                       + u'"';
    }
    return out;
}

// An input-window statement showing every kind of input once over two windows.
WizProgram InputWindows()
{
    WizProgram p;
    const auto window = [](QVector<qint16> kinds) {
        QVector<qint16> ints = kinds + QVector<qint16>{0, 0, 0, 0, 0};
        return MakeWizOp(OpInputWindow, ints,
                         {u"題"_s, u"a"_s, u"1"_s, QString(), QString(), u"文字"_s, u"数"_s, u"頁"_s, u"色"_s});
    };
    p.ops = {MakeWizOp(OpHensuSettei, {3, 3, 3}), window({0, 1, 4, 8}), window({2, 3, 5, 6}),
             MakeWizOp(OpWizEnd)};
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
    WizProgram m_program;
    WizVariables m_vars;
    EditWizDates m_dates;
    std::unique_ptr<RecordingUi> m_ui;
    std::unique_ptr<MainForm> m_form;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        SetAppDir(m_dir.path());
        for (const char16_t *f : {u"temp", u"Tools/WizDates/User/Basic", u"Tools/WizDates/User/Font",
                                  u"Tools/HTMLTemp/User", u"Tools/PrjectTemp/User", u"Help"})
            QVERIFY(QDir(m_dir.path()).mkpath(QString::fromUtf16(f)));
        QVERIFY(NewWizDate(AppPath(u"\\Tools\\WizDates\\User\\Basic"), u"名前"_s, u"説明"_s, false));
        QVERIFY(NewWizDate(AppPath(u"\\Tools\\WizDates\\User\\Font"), u"赤"_s, u"赤い字"_s, true));
        m_ui = std::make_unique<RecordingUi>();
        NewStartProject(m_project);
        AddPictDat(m_project, u"写真"_s, u"photo"_s, m_dir.filePath(u"a.gif"_s), u".gif"_s);
        AddElseFileDat(m_project, u"資料"_s, u"doc"_s, m_dir.filePath(u"a.zip"_s), u".zip"_s);
        m_program = InputWindows();
        m_dates.EditWizPath = AppPath(u"\\Tools\\WizDates\\User\\Font\\WizDate0.dat");
        m_dates.EditWizName = u"赤"_s;
        m_dates.EditWizSetumei = u"赤い字"_s;
        m_form = std::make_unique<MainForm>();
        m_form->startUp();
    }

    void cleanupTestCase()
    {
        m_form.reset();
        m_ui.reset();
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
        add("Kensaku", [this, &p] { return std::make_unique<Kensaku>(p, editor()); });
        add("KensakuTikan", [this, &p] { return std::make_unique<KensakuTikan>(p, editor()); });
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
        for (qint16 op : {1, 2}) {
            add(op == 1 ? "TaguSien_WizWindow texts" : "TaguSien_WizWindow choices", [this, &p, &w, op] {
                auto win = std::make_unique<TaguSien_WizWindow>(p);
                win->loadStatement(w, op, m_vars);
                return std::unique_ptr<QWidget>(std::move(win));
            });
        }
        add("frmAbout", [] { return std::make_unique<frmAbout>(); });
        add("SysInfoForm", [] { return std::make_unique<SysInfoForm>(); });
        add("HelpForm", [] { return std::make_unique<HelpForm>(); });
        add("PrvForm", [] { return std::make_unique<PrvForm>(); });
        add("MainForm", [this] { return std::unique_ptr<QWidget>(m_form.release()); });
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

private:
    PageEditor *editor() { return m_editor.get(); }
    std::unique_ptr<PageEditor> m_editor = std::make_unique<PageEditor>();
};

QTEST_MAIN(TestAccessibleNames)
#include "tst_accessiblenames.moc"
