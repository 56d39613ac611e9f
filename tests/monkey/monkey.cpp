// The monkey: drives the real main window with random input (menu commands,
// toolbar buttons, list clicks, the catalogue, typing, pasting, deleting,
// undo and redo, page switches), answers every dialog at random, and checks
// after every step that nothing was lost or left behind.
//
//   quorvel_monkey [--seed N] [--steps N | --minutes M] [--trace] [--report FILE]
//
// A failure prints the seed and the step; the same seed with --steps set to
// that step replays the run and stops there.

#include "AppPaths.h"
#include "AppStart.h"
#include "Cp932.h"
#include "MainForm.h"
#include "MonkeyUi.h"
#include "PageEditor.h"
#include "ProjectFile.h"
#include "TestSupport.h"
#include "WidgetTestSupport.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTextStream>
#include <QTimer>
#include <QToolBar>

#include <atomic>
#include <csignal>
#include <cstring>
#include <cstdio>
#include <random>
#include <thread>

#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
extern "C" size_t __sanitizer_get_current_allocated_bytes(); // the sanitizer's allocator
#define QV_MONKEY_SANITIZED 1
// The browser engine (not built here) deletes some of its own objects through
// a base of another size, and Qt's and the engine's caches live until the end.
extern "C" const char *__asan_default_options()
{
    return "detect_leaks=0:new_delete_type_mismatch=0";
}
#endif

using namespace Qt::StringLiterals;

namespace {

// What a crash or a sanitizer report prints: the seed and the step.
char g_where[160] = "monkey: not started\n";
std::atomic<qint64> g_stepStarted{0}; // ms since the epoch, 0 between steps
std::atomic<qint64> g_step{0};

void PrintWhere()
{
    const ssize_t ignored = write(2, g_where, strlen(g_where));
    (void)ignored;
}

void OnFatalSignal(int sig)
{
    PrintWhere();
    signal(sig, SIG_DFL);
    raise(sig);
}

// Whatever a step may do to the pages besides editing the one shown.
enum StepFlag : unsigned {
    None = 0,
    MayRemovePages = 1,  // a delete, a cut, a new or opened project, an end
    MayRewritePages = 2, // a command that works on every page
    OnlyLooks = 4,       // a click that only shows something: the shown page's text stays
};

// Commands that may take pages away or replace the project.
const QStringList &RemovingCommands()
{
    static const QStringList c = {u"minmnyHtmldel"_s, u"minmnyHtmldelpopup"_s, u"minmnyInCutHtml"_s,
                                  u"ProNewminmnyNew"_s, u"ProNewminmnyHina"_s, u"minmnyProOpen"_s,
                                  u"minmnyEnd"_s, u"minmnyWrEnd"_s, u"minmnyHinaList"_s,
                                  u"NewPro"_s, u"OpenPro"_s, u"DelDate"_s};
    return c;
}

struct Options
{
    quint64 seed = 0;
    qint64 steps = 3000;
    double minutes = 0;
    bool trace = false;
    QString report;
};

class Monkey : public QObject
{
public:
    Monkey(const Options &o, const QString &root)
        : m_opt(o)
        , m_rng(o.seed)
        , m_dialogRng(o.seed ^ 0x9e3779b97f4a7c15ULL)
        , m_root(root)
        , m_ui(m_dialogRng, root)
    {
        m_ui.randomName = [this] { return randomName(); };
        watchOutside();
    }

    int run();

private:
    // Random numbers.
    int pick(int n) { return n <= 1 ? 0 : int(std::uniform_int_distribution<int>(0, n - 1)(m_rng)); }
    int dpick(int n) { return n <= 1 ? 0 : int(std::uniform_int_distribution<int>(0, n - 1)(m_dialogRng)); }
    bool chance(int percent) { return pick(100) < percent; }
    QString randomText(std::mt19937_64 &rng, bool forName);
    QString randomText() { return randomText(m_rng, false); }
    QString randomName() { return randomText(m_dialogRng, true); }

    // The window.
    void makeForm();
    void restartIfClosed();

    // One step: picks an input and sends it; returns its name and flags.
    QString step(unsigned *flags);
    QString menuCommand(unsigned *flags);
    QString toolButton(unsigned *flags);
    QString typeText();
    QString pasteText();
    QString deleteKeys();
    QString undoRedo();
    QString selectText();
    QString clickList(QListWidget *list, const QString &what, bool twice, bool right);
    QString listKeys(unsigned *flags);
    QString catalogueGroup();
    QString otherWindow(unsigned *flags);
    QString letTimePass();

    // Dialogs and pop-up menus, answered whenever one is showing.
    void answerTick();
    void answerModal(QWidget *w);
    void answerPopup(QMenu *menu);
    void fillControls(QWidget *w);

    // Invariants.
    QStringList pageTexts();
    bool checkAfter(const QString &action, unsigned flags, const QStringList &before, int shownBefore,
                    QString *why);
    bool checkRoundTrip(QString *why);
    bool checkOutside(QString *why);
    void watchOutside();
    void addWatch(const QString &dir, bool recursive, bool shared = false);

    void report(QTextStream &out, qint64 steps, double minutes);

    Options m_opt;
    std::mt19937_64 m_rng;       // the steps
    std::mt19937_64 m_dialogRng; // the answers
    QString m_root;
    MonkeyUi m_ui;
    MainForm *m_form = nullptr;
    bool m_closed = false;
    QHash<QWidget *, int> m_attempts;
    QString m_stuck;
    QMap<QString, int> m_actions;
    QMap<QString, int> m_dialogs;
    int m_restarts = 0;
    int m_inotify = -1;
    QHash<int, QString> m_watches;
    QSet<int> m_sharedWatches; // folders other programs of the user write to as well
    qint64 m_rss1000 = 0;
    qint64 m_heap1000 = 0;
    qint64 m_size1000 = 0;
};

// The memory the program holds on its heap: under the address sanitizer
// without the freed blocks it keeps aside and its own records, which the
// resident size includes.
qint64 HeapKiB()
{
#ifdef QV_MONKEY_SANITIZED
    return qint64(__sanitizer_get_current_allocated_bytes() / 1024);
#else
    return -1;
#endif
}

qint64 ResidentKiB()
{
    QFile f(u"/proc/self/status"_s);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

QString Monkey::randomText(std::mt19937_64 &rng, bool forName)
{
    static const QStringList pieces = {
        u"a"_s, u"index"_s, u"Hello world"_s, u" "_s, u"<p>"_s, u"</p>"_s, u"<a href=\"x.htm\">"_s,
        u"<img src=\"a.png\">"_s, u"日本語"_s, u"ページ"_s, u"ﾃｽﾄ"_s, u"①"_s, u"～"_s, u"〜"_s, u"𠮷"_s,
        u"😀"_s, u"ä"_s, u"€"_s, u"\u00a0"_s, u"\u200b"_s, u","_s, u",,"_s, u"\""_s, u"'"_s, u"\\"_s,
        u"&amp;"_s, u"&"_s, u"$"_s, u"%"_s, u"*"_s, u"."_s, u"..."_s, u"-"_s, u"0"_s, u"12345"_s,
        u"-7"_s, u"\t"_s, u"\r\n"_s, u"\n"_s, u"/$/End_HtmlDat_String/$/"_s, u"$End_Project_Dates$"_s,
        u"$HtmlProjectFile$"_s, u"<script>"_s, u"{{x}}"_s, u"　"_s,
    };
    auto r = [&rng](int n) { return int(std::uniform_int_distribution<int>(0, n - 1)(rng)); };
    QString s;
    const int n = r(6);
    for (int i = 0; i < n; ++i)
        s += pieces.at(r(int(pieces.size())));
    if (r(40) == 0) { // a very long text
        const QString piece = pieces.at(r(int(pieces.size())));
        const int times = 200 + r(3000);
        for (int i = 0; i < times && s.size() < 20000; ++i)
            s += piece;
    }
    if (forName) {
        s.remove(u'/');
        s.remove(u'\n');
        s.remove(u'\r');
        s.remove(QChar(0));
        if (s.isEmpty() || s == u"." || s == u"..")
            s = u"name"_s + QString::number(r(1000));
        s.truncate(60); // a name the file system can hold
        while (s.toUtf8().size() > 200)
            s.chop(1);
    }
    return s;
}

void Monkey::makeForm()
{
    m_form = new MainForm;
    m_closed = false;
    connect(m_form, &MainForm::closing, this, [this] { m_closed = true; });
    m_form->startUp();
    m_form->show();
}

void Monkey::restartIfClosed()
{
    if (!m_closed && m_form->isVisible())
        return;
    // The program ended: start it again, as the user would.
    ++m_restarts;
    delete m_form;
    m_form = nullptr;
    makeForm();
}

// -- Steps ------------------------------------------------------------------

QString Monkey::step(unsigned *flags)
{
    const MainFormControls &c = m_form->ui();
    struct Choice
    {
        int weight;
        std::function<QString()> run;
    };
    const Choice choices[] = {
        {26, [&] { return menuCommand(flags); }},
        {8, [&] { return toolButton(flags); }},
        {14, [&] { return typeText(); }},
        {4, [&] { return pasteText(); }},
        {6, [&] { return deleteKeys(); }},
        {6, [&] { return undoRedo(); }},
        {3, [&] { return selectText(); }},
        {9, [&] { *flags |= OnlyLooks; return clickList(c.DatList, u"DatList"_s, false, false); }},
        {3, [&] { return clickList(c.DatList, u"DatList"_s, true, false); }},
        {2, [&] { *flags |= MayRemovePages; return clickList(c.DatList, u"DatList"_s, false, true); }},
        {3, [&] { return listKeys(flags); }},
        {5, [&] { *flags |= OnlyLooks; return clickList(c.MinDatList, u"MinDatList"_s, false, false); }},
        {3, [&] { *flags |= OnlyLooks; return catalogueGroup(); }},
        {4, [&] { *flags |= OnlyLooks; return clickList(c.InSelectList, u"InSelectList"_s, false, false); }},
        {2, [&] { *flags |= OnlyLooks; return clickList(c.InTagList, u"InTagList"_s, false, false); }},
        {4, [&] { return clickList(c.InTagList, u"InTagList"_s, true, false); }},
        {1, [&] { *flags |= MayRemovePages; return clickList(c.InTagList, u"InTagList"_s, false, true); }},
        {3, [&] { return otherWindow(flags); }},
        {1, [&] { return letTimePass(); }},
    };
    int total = 0;
    for (const Choice &ch : choices)
        total += ch.weight;
    int r = pick(total);
    for (const Choice &ch : choices) {
        if (r < ch.weight)
            return ch.run();
        r -= ch.weight;
    }
    return QString();
}

QString Monkey::menuCommand(unsigned *flags)
{
    QList<QAction *> actions;
    for (QAction *a : m_form->findChildren<QAction *>()) {
        const QString name = a->objectName();
        if (name.isEmpty() || a->isSeparator() || a->menu() || !a->isEnabled())
            continue;
        // Publishing goes to a real server; its windows have tests of their own.
        if ((name.startsWith(u"minmny") || name.contains(u"minmny")) && name != u"minmnyPublish"_s)
            actions.append(a);
    }
    if (actions.isEmpty())
        return u"menu: none"_s;
    QAction *a = actions.at(pick(int(actions.size())));
    const QString name = a->objectName();
    if (RemovingCommands().contains(name))
        *flags |= MayRemovePages;
    a->trigger();
    return u"menu " + name;
}

QString Monkey::toolButton(unsigned *flags)
{
    QList<QAction *> tools;
    for (QAction *a : m_form->ui().Toolbar1->actions())
        if (!a->isSeparator() && a->isEnabled())
            tools.append(a);
    QAction *a = tools.at(pick(int(tools.size())));
    const QString key = a->objectName();
    if (RemovingCommands().contains(key))
        *flags |= MayRemovePages;
    // Through the button itself, as a click.
    if (QWidget *button = m_form->ui().Toolbar1->widgetForAction(a))
        QTest::mouseClick(button, Qt::LeftButton);
    else
        a->trigger();
    return u"tool " + key;
}

QString Monkey::typeText()
{
    PageEditor *ed = m_form->ui().MainText;
    QTextCursor cur = ed->textCursor();
    cur.setPosition(pick(int(ed->document()->characterCount())));
    ed->setTextCursor(cur);
    const QString text = randomText();
    if (text.size() > 200) {
        // A long text arrives as one input, as an input method commits it.
        QInputMethodEvent e;
        e.setCommitString(text);
        QApplication::sendEvent(ed, &e);
    } else {
        for (const QChar ch : text) {
            if (ch == u'\n' || ch == u'\r')
                QTest::keyClick(ed, Qt::Key_Return);
            else if (ch == u'\t')
                QTest::keyClick(ed, Qt::Key_Tab);
            else
                TypeText(ed, QString(ch));
        }
    }
    return u"type " + QString::number(text.size());
}

QString Monkey::pasteText()
{
    QApplication::clipboard()->setText(randomText());
    QTest::keyClick(m_form->ui().MainText, Qt::Key_V, Qt::ControlModifier);
    return u"paste"_s;
}

QString Monkey::deleteKeys()
{
    PageEditor *ed = m_form->ui().MainText;
    const Qt::Key key = chance(50) ? Qt::Key_Delete : Qt::Key_Backspace;
    const int times = 1 + pick(chance(10) ? 200 : 8);
    for (int i = 0; i < times; ++i)
        QTest::keyClick(ed, key);
    return key == Qt::Key_Delete ? u"Delete"_s : u"Backspace"_s;
}

QString Monkey::undoRedo()
{
    PageEditor *ed = m_form->ui().MainText;
    switch (pick(3)) {
    case 0:
        QTest::keyClick(ed, Qt::Key_Z, Qt::ControlModifier);
        return u"undo"_s;
    case 1:
        QTest::keyClick(ed, Qt::Key_Y, Qt::ControlModifier);
        return u"redo"_s;
    default:
        QTest::keyClick(ed, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        return u"redo (Shift)"_s;
    }
}

QString Monkey::selectText()
{
    PageEditor *ed = m_form->ui().MainText;
    const int n = int(ed->document()->characterCount()) - 1;
    QTextCursor cur = ed->textCursor();
    cur.setPosition(pick(n + 1));
    cur.setPosition(pick(n + 1), QTextCursor::KeepAnchor);
    ed->setTextCursor(cur);
    return u"select"_s;
}

QString Monkey::clickList(QListWidget *list, const QString &what, bool twice, bool right)
{
    if (!list->isVisible()) {
        // Hidden by the view menu: the user shows it again first.
        QAction *show = m_form->action(list == m_form->ui().DatList || list == m_form->ui().MinDatList
                                           ? u"minmnyShowFiles"_s
                                           : u"minmnyShowTags"_s);
        show->trigger();
        return u"menu " + show->objectName();
    }
    if (list->count() == 0)
        return what + u": empty";
    const int row = pick(list->count());
    QListWidgetItem *item = list->item(row);
    list->scrollToItem(item);
    const QPoint at = list->visualItemRect(item).center();
    QString name = what;
    if (right) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, at);
        name += u" right click";
    } else if (twice) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        DoubleClickAt(list->viewport(), at);
        name += u" double click";
    } else {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        name += u" click";
    }
    return name;
}

QString Monkey::listKeys(unsigned *flags)
{
    QListWidget *list = chance(70) ? m_form->ui().DatList : m_form->ui().InTagList;
    const struct
    {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        const char16_t *name;
    } keys[] = {{Qt::Key_Delete, Qt::NoModifier, u"Delete"},  {Qt::Key_Return, Qt::NoModifier, u"Enter"},
                {Qt::Key_X, Qt::ControlModifier, u"Ctrl+X"},   {Qt::Key_C, Qt::ControlModifier, u"Ctrl+C"},
                {Qt::Key_V, Qt::ControlModifier, u"Ctrl+V"},   {Qt::Key_Down, Qt::NoModifier, u"Down"},
                {Qt::Key_Up, Qt::NoModifier, u"Up"},           {Qt::Key_Menu, Qt::NoModifier, u"Menu"}};
    const auto &k = keys[pick(int(std::size(keys)))];
    if (k.key == Qt::Key_Delete || k.key == Qt::Key_X || k.key == Qt::Key_Menu)
        *flags |= MayRemovePages;
    if (k.key == Qt::Key_Menu) {
        QContextMenuEvent e(QContextMenuEvent::Keyboard, QPoint(1, 1), list->mapToGlobal(QPoint(1, 1)));
        QApplication::sendEvent(list, &e);
    } else {
        QTest::keyClick(list, k.key, k.mods);
    }
    return list->objectName() + u' ' + QString::fromUtf16(k.name);
}

QString Monkey::catalogueGroup()
{
    QComboBox *combo = m_form->ui().TagTypeCombo;
    if (combo->count() == 0)
        return u"TagTypeCombo: empty"_s;
    combo->setCurrentIndex(pick(combo->count()));
    return u"TagTypeCombo " + QString::number(combo->currentIndex());
}

QString Monkey::otherWindow(unsigned *flags)
{
    // The windows the program keeps open beside the main one: the manual,
    // the separate preview, the link check, the search over all pages.
    QList<QWidget *> windows;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w != m_form && w->isVisible() && !qobject_cast<QMenu *>(w) && w->isWindow())
            windows.append(w);
    if (windows.isEmpty())
        return u"other window: none"_s;
    QWidget *w = windows.at(pick(int(windows.size())));
    *flags |= MayRewritePages | MayRemovePages;
    const QString name = QString::fromLatin1(w->metaObject()->className());
    if (chance(25)) {
        w->close();
        return name + u" closed";
    }
    fillControls(w);
    QList<QAbstractButton *> buttons;
    for (QAbstractButton *b : w->findChildren<QAbstractButton *>())
        if (b->isVisible() && b->isEnabled() && b->window() == w)
            buttons.append(b);
    if (!buttons.isEmpty()) {
        QAbstractButton *b = buttons.at(pick(int(buttons.size())));
        QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
        return name + u" button " + b->text();
    }
    return name + u" filled";
}

QString Monkey::letTimePass()
{
    QElapsedTimer t;
    t.start();
    const int ms = 100 + pick(700);
    while (t.elapsed() < ms)
        QTest::qWait(20);
    return u"wait"_s;
}

// -- Dialogs ----------------------------------------------------------------

void Monkey::answerTick()
{
    // The next look is due before this one acts: a button that opens a
    // dialog of its own runs that dialog's event loop, and its answer comes
    // from there.
    QTimer::singleShot(3, this, [this] { answerTick(); });
    if (QWidget *popup = QApplication::activePopupWidget()) {
        if (auto *menu = qobject_cast<QMenu *>(popup))
            answerPopup(menu);
        else
            popup->close();
        return;
    }
    QWidget *w = QApplication::activeModalWidget();
    if (!w || !w->isVisible())
        return;
    answerModal(w);
}

void Monkey::fillControls(QWidget *w)
{
    for (QLineEdit *e : w->findChildren<QLineEdit *>()) {
        if (!e->isVisible() || !e->isEnabled() || e->isReadOnly() || dpick(100) >= 50)
            continue;
        // The line edit of a spin box or an editable combo gets numbers or text too.
        const QString text = dpick(3) == 0 ? QString::number(dpick(2000) - 100) : randomText(m_dialogRng, false);
        e->selectAll();
        if (text.size() > 100)
            e->insert(text);
        else if (text.isEmpty())
            QTest::keyClick(e, Qt::Key_Delete);
        else
            TypeText(e, text);
    }
    for (QPlainTextEdit *e : w->findChildren<QPlainTextEdit *>())
        if (e->isVisible() && e->isEnabled() && !e->isReadOnly() && dpick(100) < 30)
            e->insertPlainText(randomText(m_dialogRng, false));
    for (QTextEdit *e : w->findChildren<QTextEdit *>())
        if (e->isVisible() && e->isEnabled() && !e->isReadOnly() && dpick(100) < 30)
            e->insertPlainText(randomText(m_dialogRng, false));
    for (QComboBox *c : w->findChildren<QComboBox *>())
        if (c->isVisible() && c->isEnabled() && c->count() > 0 && dpick(100) < 40)
            c->setCurrentIndex(dpick(c->count()));
    for (QListWidget *l : w->findChildren<QListWidget *>())
        if (l->isVisible() && l->isEnabled() && l->count() > 0 && dpick(100) < 40) {
            QListWidgetItem *item = l->item(dpick(l->count()));
            l->scrollToItem(item);
            QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(item).center());
        }
}

void Monkey::answerModal(QWidget *w)
{
    int &attempts = m_attempts[w];
    ++attempts;
    if (attempts == 1) {
        ++m_dialogs[QString::fromLatin1(w->metaObject()->className())
                    + (w->objectName().isEmpty() ? QString() : u' ' + w->objectName())];
        connect(w, &QObject::destroyed, this, [this, w] { m_attempts.remove(w); });
    }
    if (attempts > 60) {
        // Escape and the close box have been tried many times: the user
        // could not get rid of this window.
        if (m_stuck.isEmpty())
            m_stuck = u"modal window "_s + QString::fromLatin1(w->metaObject()->className()) + u" does not go away"_s;
        w->hide();
        if (auto *d = qobject_cast<QDialog *>(w))
            d->reject();
        return;
    }
    if (dpick(100) < 70)
        fillControls(w);
    const int r = dpick(100);
    if (r < 65) {
        QList<QAbstractButton *> buttons;
        for (QAbstractButton *b : w->findChildren<QAbstractButton *>())
            if (b->isVisible() && b->isEnabled() && b->window() == w)
                buttons.append(b);
        if (!buttons.isEmpty()) {
            QAbstractButton *b = buttons.at(dpick(int(buttons.size())));
            QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
            return;
        }
    }
    if (r < 85 || attempts > 40) {
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus && focus->window() == w ? focus : w, Qt::Key_Escape);
        return;
    }
    w->close(); // the close box
}

void Monkey::answerPopup(QMenu *menu)
{
    QList<QAction *> actions;
    for (QAction *a : menu->actions())
        if (a->isVisible() && a->isEnabled() && !a->isSeparator())
            actions.append(a);
    ++m_dialogs[u"pop-up menu "_s + menu->objectName()];
    if (actions.isEmpty() || dpick(3) == 0) {
        menu->close();
        return;
    }
    QAction *a = actions.at(dpick(int(actions.size())));
    menu->close();
    ++m_actions[u"pop-up " + a->objectName()];
    a->trigger();
}

// -- Invariants -------------------------------------------------------------

QStringList Monkey::pageTexts()
{
    QStringList texts;
    for (const HtmlDat &h : m_form->project().Html)
        texts.append(h.HtmlStr);
    return texts;
}

// A text as the project file gives it back: characters code page 932 lacks
// are kept as character references, the seven that Japanese input methods
// type come back as their code page counterparts.
QString AsReadBack(const QString &text)
{
    return Cp932::decode(Cp932::encodeWithCharRefs(text));
}

bool SameItems(const QVector<PictDat> &a, const QVector<PictDat> &b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i)
        if (AsReadBack(a.at(i).DatName) != b.at(i).DatName || a.at(i).FileName != b.at(i).FileName
            || a.at(i).FilePath != b.at(i).FilePath || a.at(i).Kakutyousi != b.at(i).Kakutyousi)
            return false;
    return true;
}

bool Monkey::checkRoundTrip(QString *why)
{
    const ProjectDates &p = m_form->project();
    if (!CheckProjectFields(p).isEmpty())
        return true; // the program refuses to save such a project, and says so
    ProjectDates q;
    qint16 code = LoadOk;
    if (g_step % 50 == 0) {
        // Now and then through the file, as the program saves and opens it.
        const QString path = m_root + u"/check/roundtrip.hpf"_s;
        QString error;
        if (!SaveProjectFile(path, p, &error)) {
            *why = u"the project cannot be saved: "_s + error;
            return false;
        }
        code = LoadProjectFile(path, q);
    } else {
        code = LoadProjectText(Cp932::decode(EncodeProjectFile(p)), q);
    }
    if (code != LoadOk) {
        *why = u"the saved project does not load: code "_s + QString::number(code);
        return false;
    }
    QStringList siori;
    for (const QString &s : p.SioriList)
        siori.append(AsReadBack(s));
    if (!SameItems(p.Pict, q.Pict) || !SameItems(p.ElseFile, q.ElseFile) || siori != q.SioriList
        || p.SyuturyokuFolder != q.SyuturyokuFolder || q.Html.size() != p.Html.size()) {
        *why = u"the saved project loads different items"_s;
        return false;
    }
    for (int i = 0; i < p.Html.size(); ++i) {
        const HtmlDat &a = p.Html.at(i);
        const HtmlDat &b = q.Html.at(i);
        if (AsReadBack(a.DatName) != b.DatName || a.FileName != b.FileName || a.Kakutyousi != b.Kakutyousi) {
            *why = u"page %1 loads with another name"_s.arg(i);
            return false;
        }
        // The format keeps no empty lines at the start of a page text.
        QString expected = AsReadBack(a.HtmlStr);
        while (expected.startsWith(u"\r\n"))
            expected.remove(0, 2);
        if (expected != b.HtmlStr) {
            qsizetype at = 0;
            while (at < expected.size() && at < b.HtmlStr.size() && expected.at(at) == b.HtmlStr.at(at))
                ++at;
            const auto around = [at](const QString &t) {
                return QString::fromLatin1(t.mid(std::max<qsizetype>(0, at - 20), 40).toUtf8().toPercentEncoding(" <>/=\""));
            };
            *why = u"page %1 loads with another text (%2 characters saved, %3 loaded); from %4 saved \"%5\", loaded \"%6\""_s
                       .arg(i).arg(a.HtmlStr.size()).arg(b.HtmlStr.size()).arg(at).arg(around(expected), around(b.HtmlStr));
            return false;
        }
    }
    return true;
}

void Monkey::addWatch(const QString &dir, bool recursive, bool shared)
{
    if (!QFileInfo(dir).isDir() || m_watches.size() > 2000)
        return;
    const int wd = inotify_add_watch(m_inotify, QFile::encodeName(dir).constData(),
                                     IN_CREATE | IN_MODIFY | IN_MOVED_TO | IN_CLOSE_WRITE | IN_DELETE
                                         | IN_MOVED_FROM | IN_ATTRIB);
    if (wd >= 0) {
        m_watches.insert(wd, dir);
        if (shared)
            m_sharedWatches.insert(wd);
    }
    if (recursive)
        for (const QFileInfo &sub : QDir(dir).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden))
            addWatch(sub.filePath(), true);
}

// A name this program, or a dialog answered by the monkey, would give a file.
bool IsProgramsName(const QString &name)
{
    static const QStringList suffixes = {u".hpf"_s, u".dat"_s, u".htm"_s, u".html"_s, u".txt"_s,
                                         u".png"_s, u".gif"_s, u".jpg"_s, u".css"_s, u".js"_s};
    if (name.contains(u"quorvel"_s, Qt::CaseInsensitive) || name.contains(u"QtWebEngine"_s)
        || name == u"temp"_s || name == u"Tools"_s)
        return true;
    for (const QString &suffix : suffixes)
        if (name.endsWith(suffix, Qt::CaseInsensitive))
            return true;
    for (const QChar c : name)
        if (c.unicode() > 0x7e || c == u',' || c == u'"')
            return true;
    return false;
}

void Monkey::watchOutside()
{
    m_inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_inotify < 0)
        return;
    // The places a program that wrote "beside itself" or "in the user's
    // folder" would reach: the real home and its settings folders (not their
    // subfolders, where other programs keep caches), the working folder, and
    // the built program folder with its supplied data.
    const QString home = qEnvironmentVariable("QV_MONKEY_REAL_HOME");
    if (!home.isEmpty())
        for (const QString &sub : {QString(), u"/.config"_s, u"/.local"_s, u"/.local/share"_s, u"/.cache"_s})
            addWatch(home + sub, false, true);
    addWatch(QDir::currentPath(), false);
    addWatch(QStringLiteral(QV_MONKEY_APP_DIR), true);
}

bool Monkey::checkOutside(QString *why)
{
    if (m_inotify < 0)
        return true;
    alignas(inotify_event) char buf[8192];
    // Files a shell or an editor of the same user may touch in the home folder.
    static const QStringList others = {u".bash_history"_s, u".lesshst"_s, u".viminfo"_s,
                                       u".python_history"_s, u".wget-hsts"_s, u".sudo_as_admin_successful"_s};
    for (;;) {
        const ssize_t n = read(m_inotify, buf, sizeof buf);
        if (n <= 0)
            return true;
        for (ssize_t off = 0; off < n;) {
            const auto *e = reinterpret_cast<const inotify_event *>(buf + off);
            off += ssize_t(sizeof(inotify_event) + e->len);
            if (e->mask & IN_IGNORED)
                continue;
            const QString name = e->len ? QFile::decodeName(e->name) : QString();
            if (others.contains(name))
                continue;
            // In the home and its settings folders other programs of the
            // same user write too: there only what this program would write
            // counts (its own folder, its kinds of file, or a name from the
            // monkey's texts).
            if (m_sharedWatches.contains(e->wd) && !IsProgramsName(name))
                continue;
            // The program itself, which a build beside the run may replace.
            if (name == u"quorvel" && m_watches.value(e->wd) == QStringLiteral(QV_MONKEY_APP_DIR))
                continue;
            *why = u"a file was written outside the test's folders: "_s + m_watches.value(e->wd) + u'/' + name;
            return false;
        }
    }
}

bool Monkey::checkAfter(const QString &action, unsigned flags, const QStringList &before, int shownBefore,
                        QString *why)
{
    if (!m_stuck.isEmpty()) {
        *why = m_stuck;
        return false;
    }
    if (QWidget *w = QApplication::activeModalWidget()) {
        *why = u"a modal window stays open after its answer: "_s + QString::fromLatin1(w->metaObject()->className());
        return false;
    }
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->isModal()) {
            *why = u"a modal window stays open after its answer: "_s + QString::fromLatin1(w->metaObject()->className());
            return false;
        }
    if (!checkOutside(why))
        return false;
    if (m_closed || !m_form->isVisible())
        return true; // the program ended; it starts again before the next step

    // The shown page's record is what the editor shows.
    ProjectDates &p = m_form->project();
    const int now = p.NowHtml;
    if (now >= 0 && now < p.Html.size() && p.Html.at(now).HtmlStr != m_form->ui().MainText->htmlText()) {
        *why = u"page %1's record differs from the editor's text"_s.arg(now);
        return false;
    }
    // Pages are lost only through a command that deletes them.
    const QStringList after = pageTexts();
    if (!(flags & MayRemovePages) && after.size() < before.size()) {
        *why = u"%1 pages became %2 through \"%3\""_s.arg(before.size()).arg(after.size()).arg(action);
        return false;
    }
    if (!(flags & (MayRemovePages | MayRewritePages)))
        for (int i = 0; i < before.size() && i < after.size(); ++i) {
            const bool shown = i == shownBefore || i == now;
            if ((!shown || (flags & OnlyLooks)) && after.at(i) != before.at(i)) {
                *why = u"page %1's text changed through \"%2\" (%3 characters before, %4 after)"_s.arg(i)
                           .arg(action).arg(before.at(i).size()).arg(after.at(i).size());
                return false;
            }
        }
    return checkRoundTrip(why);
}

// -- The run ----------------------------------------------------------------

void Monkey::report(QTextStream &out, qint64 steps, double minutes)
{
    out << "\nmonkey: seed " << m_opt.seed << ", " << steps << " steps in " << QString::number(minutes, 'f', 1)
        << " minutes, " << m_restarts << " restarts\n";
    out << "memory (resident): " << m_rss1000 << " KiB after 1000 steps (project " << m_size1000
        << " characters), " << ResidentKiB() << " KiB at the end (project ";
    out << (m_form ? MakeProjectText(m_form->project()).size() : 0) << " characters)\n";
    if (m_heap1000 >= 0)
        out << "memory (heap in use): " << m_heap1000 << " KiB after 1000 steps, " << HeapKiB() << " KiB at the end\n";
    out << "\nsteps by input and command:\n";
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it)
        out << "  " << qSetFieldWidth(7) << it.value() << qSetFieldWidth(0) << "  " << it.key() << '\n';
    out << "\ndialogs and menus answered:\n";
    for (auto it = m_dialogs.cbegin(); it != m_dialogs.cend(); ++it)
        out << "  " << qSetFieldWidth(7) << it.value() << qSetFieldWidth(0) << "  " << it.key() << '\n';
    out << "\nboxes and common dialogs:\n";
    for (auto it = m_ui.counts.cbegin(); it != m_ui.counts.cend(); ++it)
        out << "  " << qSetFieldWidth(7) << it.value() << qSetFieldWidth(0) << "  " << it.key() << '\n';
    out.flush();
}

int Monkey::run()
{
    QDir().mkpath(m_root + u"/check"_s);
    makeForm();
    if (!QTest::qWaitForWindowExposed(m_form))
        fputs("monkey: the window was not shown\n", stderr);
    QTimer::singleShot(3, this, [this] { answerTick(); });
    QString startWrites;
    while (!checkOutside(&startWrites)) {
        // What the start wrote before the first step is not a step's doing.
    }

    QElapsedTimer clock;
    clock.start();
    const qint64 limitMs = qint64(m_opt.minutes * 60000);
    qint64 n = 0;
    QTextStream err(stderr);
    while (limitMs > 0 ? clock.elapsed() < limitMs : n < m_opt.steps) {
        ++n;
        g_step = n;
        snprintf(g_where, sizeof g_where, "monkey: seed %llu step %lld (replay: --seed %llu --steps %lld)\n",
                 static_cast<unsigned long long>(m_opt.seed), static_cast<long long>(n),
                 static_cast<unsigned long long>(m_opt.seed), static_cast<long long>(n));
        g_stepStarted = QDateTime::currentMSecsSinceEpoch();

        m_attempts.clear();
        const QStringList before = pageTexts();
        const int shownBefore = m_form->projectFields().NowHtml;
        unsigned flags = None;
        const QString action = step(&flags);
        // Counted by input and command, without the details (lengths, names).
        bool number = false;
        action.section(u' ', 1, 1).toInt(&number);
        ++m_actions[number ? action.section(u' ', 0, 0) : action.section(u' ', 0, 1)];
        if (m_opt.trace)
            err << "step " << n << ": " << action << Qt::endl;
        // What the step set going (a preview, a timer) runs before the check.
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        // A pop-up menu the step opened is answered within the step.
        QElapsedTimer popupTime;
        popupTime.start();
        while (QApplication::activePopupWidget() && popupTime.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QString why;
        const bool ok = checkAfter(action, flags, before, shownBefore, &why);
        g_stepStarted = 0;
        if (!ok) {
            err << "\nMONKEY FAILURE at step " << n << " (" << action << "): " << why << Qt::endl;
            PrintWhere();
            report(err, n, clock.elapsed() / 60000.0);
            return 1;
        }
        restartIfClosed();
        if (n == 1000) {
            m_rss1000 = ResidentKiB();
            m_heap1000 = HeapKiB();
            m_size1000 = MakeProjectText(m_form->project()).size();
        }
        if (n % 1000 == 0)
            err << "monkey: " << n << " steps, " << QString::number(clock.elapsed() / 60000.0, 'f', 1)
                << " minutes, " << ResidentKiB() << " KiB, heap " << HeapKiB() << " KiB, "
                << QApplication::allWidgets().size() << " widgets, " << m_restarts << " restarts" << Qt::endl;
    }
    report(err, n, clock.elapsed() / 60000.0);
    if (!m_opt.report.isEmpty()) {
        QFile f(m_opt.report);
        if (f.open(QIODevice::WriteOnly | QIODevice::Text)) {
            QTextStream out(&f);
            report(out, n, clock.elapsed() / 60000.0);
        }
    }
    // The window ends as at the end of a session, without asking.
    m_form->project().Henkou = false;
    m_form->close();
    delete m_form;
    return 0;
}

// Copies a folder tree (the supplied data) into the monkey's program folder.
void CopyTree(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString src = it.next();
        const QString dst = to + src.mid(from.size());
        QDir().mkpath(QFileInfo(dst).path());
        QFile::copy(src, dst);
    }
}

// Files an open dialog may offer: a picture, pages in several encodings, a
// text, broken and empty projects.
void MakeFixtures(const QString &files)
{
    QDir().mkpath(files);
    QImage img(8, 8, QImage::Format_RGB32);
    img.fill(Qt::red);
    img.save(files + u"/picture.png"_s);
    PutBytes(files + u"/page.htm"_s, Sjis(u"<html>\r\n<body>日本語のページ</body>\r\n</html>"_s));
    PutBytes(files + u"/utf8.html"_s, u"<meta charset=\"utf-8\"><p>𠮷野家 ä €</p>"_s.toUtf8());
    PutBytes(files + u"/notes.txt"_s, "plain text,\r\nwith \"quotes\"\r\n");
    PutBytes(files + u"/broken.hpf"_s, "$HtmlProjectFile$\r\n0,");
    PutBytes(files + u"/empty.hpf"_s, QByteArray());
    PutBytes(files + u"/binary.gif"_s, QByteArray("GIF89a\x01\x00\x01\x00", 10));
}

} // namespace

int main(int argc, char *argv[])
{
    Options o;
    o.seed = quint64(QDateTime::currentMSecsSinceEpoch()) ^ quint64(getpid());
    if (qEnvironmentVariableIsSet("QV_MONKEY_SEED"))
        o.seed = qEnvironmentVariable("QV_MONKEY_SEED").toULongLong();
    for (int i = 1; i < argc; ++i) {
        const QByteArray a = argv[i];
        const QByteArray v = i + 1 < argc ? QByteArray(argv[i + 1]) : QByteArray();
        if (a == "--seed")
            o.seed = v.toULongLong(), ++i;
        else if (a == "--steps")
            o.steps = v.toLongLong(), ++i;
        else if (a == "--minutes")
            o.minutes = v.toDouble(), ++i;
        else if (a == "--report")
            o.report = QString::fromLocal8Bit(v), ++i;
        else if (a == "--trace")
            o.trace = true;
        else {
            fprintf(stderr, "usage: %s [--seed N] [--steps N | --minutes M] [--trace] [--report FILE]\n", argv[0]);
            return 2;
        }
    }
    fprintf(stderr, "monkey: seed %llu\n", static_cast<unsigned long long>(o.seed));
    snprintf(g_where, sizeof g_where, "monkey: seed %llu, starting\n", static_cast<unsigned long long>(o.seed));

    // Everything the program writes goes below one temporary folder: the
    // program folder, the home with its settings, the temporary files.
    QTemporaryDir dir;
    if (!dir.isValid())
        return 2;
    const QString root = dir.path();
    qputenv("QV_MONKEY_REAL_HOME", qgetenv("HOME"));
    UseHomeInside(root + u"/home"_s);
    QDir().mkpath(root + u"/tmp"_s);
    qputenv("TMPDIR", QFile::encodeName(root + u"/tmp"_s));
    QDir().mkpath(root + u"/run"_s);
    QFile::setPermissions(root + u"/run"_s, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(root + u"/run"_s));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    for (const char *folder : {"/saves", "/out", "/check"})
        QDir().mkpath(root + QLatin1String(folder));
    MakeFixtures(root + u"/files"_s);

    signal(SIGSEGV, OnFatalSignal);
    signal(SIGABRT, OnFatalSignal);
    signal(SIGBUS, OnFatalSignal);
    signal(SIGFPE, OnFatalSignal);
#ifdef QV_MONKEY_SANITIZED
    __sanitizer_set_death_callback(PrintWhere);
#endif
    // A step that never ends (a dialog nobody can answer, a loop) is a failure too.
    std::thread([] {
        for (;;) {
            std::this_thread::sleep_for(std::chrono::seconds(5));
            const qint64 started = g_stepStarted;
            if (started && QDateTime::currentMSecsSinceEpoch() - started > 180000) {
                const char msg[] = "\nMONKEY FAILURE: a step has not ended after 3 minutes\n";
                const ssize_t ignored = write(2, msg, sizeof msg - 1);
                (void)ignored;
                PrintWhere();
                abort();
            }
        }
    }).detach();

    PrepareProcess();
    QApplication app(argc, argv);
    PrepareApplication();
    QApplication::setQuitOnLastWindowClosed(false);
    CopyTree(QStringLiteral(QV_MONKEY_APP_DIR) + u"/Tools"_s, root + u"/app/Tools"_s);
    CopyTree(QStringLiteral(QV_MONKEY_APP_DIR) + u"/Help"_s, root + u"/app/Help"_s);
    QDir().mkpath(root + u"/app/temp"_s);
    SetAppDir(root + u"/app"_s);

    Monkey monkey(o, root);
    return monkey.run();
}
