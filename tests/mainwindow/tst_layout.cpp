// The main window's layout on the real widgets: the column rules in twips,
// the view toggles, the three bars' drags and their limits, and the editor's
// font and colours.

#include "AppPaths.h"
#include "AppStart.h"
#include "MainForm.h"
#include "PageEditor.h"
#include "RecordingUi.h"
#include "Twips.h"
#include "ViewCommands.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include <cmath>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A control's rectangle in the form's client coordinates (below the menu
// bar, toolbar included), in pixels.
QRect formRect(const MainForm &f, const QWidget *w)
{
    const QPoint topLeft = w->mapTo(&f, QPoint(0, 0)) - QPoint(0, f.menuBar()->height());
    return QRect(topLeft, w->size());
}

double tw(int px)
{
    return PxToTwips(px);
}

// Sends a mouse event to a bar as the window system would.
void mouse(QWidget *w, QEvent::Type type, Qt::MouseButton button, QPoint pos)
{
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), type == QEvent::MouseMove ? Qt::NoButton : button,
                  buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

// One drag: press at from, move to to, release there.
void drag(QWidget *bar, QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton)
{
    mouse(bar, QEvent::MouseButtonPress, button, from);
    mouse(bar, QEvent::MouseMove, button, to);
    mouse(bar, QEvent::MouseButtonRelease, button, to);
}

} // namespace

class TestLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        SetAppDir(m_dir.path());
        m_ui = std::make_unique<RecordingUi>();
        m_form = std::make_unique<MainForm>();
        m_form->startUp();
        m_form->resize(TwipsToPx(12000), TwipsToPx(9000));
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        settle();
    }

    void cleanup()
    {
        SetTwipsDpiForTesting(0);
        m_form.reset();
        m_ui.reset();
    }

    // The rules of the layout hold in twips for the window's size.
    void columnsFollowTheRules()
    {
        const MainFormControls &c = m_form->ui();
        checkRules();
        // After the window is resized too.
        m_form->resize(TwipsToPx(15000), TwipsToPx(10500));
        settle();
        checkRules();
        // The left edge of the catalogue is where it was built.
        QCOMPARE(formRect(*m_form, c.InSelectList).left(), TwipsToPx(120));
        QCOMPARE(formRect(*m_form, c.TagTypeCombo).left(), TwipsToPx(120));
        // The gaps: 120 between editor and preview, 140 between the middle
        // and the right column.
        QVERIFY(near(formRect(*m_form, c.MainBrHolder).top() - formRect(*m_form, c.MainText).bottom() - 1,
                     TwipsToPx(120)));
        QVERIFY(near(formRect(*m_form, c.DatList).left() - formRect(*m_form, c.MainText).right() - 1,
                     TwipsToPx(140)));
    }

    // The same rules on a screen with another logical DPI: twips are
    // converted with the screen's DPI both ways.
    void rulesHoldAtAnotherDpi_data()
    {
        QTest::addColumn<double>("dpi");
        QTest::newRow("120 dpi") << 120.0;
        QTest::newRow("144 dpi") << 144.0;
    }

    void rulesHoldAtAnotherDpi()
    {
        QFETCH(double, dpi);
        m_form.reset();
        SetTwipsDpiForTesting(dpi);
        m_form = std::make_unique<MainForm>();
        m_form->startUp();
        m_form->resize(TwipsToPx(12000), TwipsToPx(9000));
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        settle();
        const MainFormControls &c = m_form->ui();
        QCOMPARE(c.InSelectList->width(), TwipsToPx(1935));
        QCOMPARE(c.LeftLine->width(), TwipsToPx(135));
        checkRules();
        drag(c.CenterLine, QPoint(40, 2), QPoint(40, 32));
        checkRules();
        m_form->action(u"minmnyPrv"_s)->trigger();
        settle();
        checkRules();
        SetTwipsDpiForTesting(0);
    }

    void hidingTheToolbarMovesEveryColumnUp()
    {
        const MainFormControls &c = m_form->ui();
        const int toolbar = c.Toolbar1->height();
        QVERIFY(toolbar > 0);
        const QList<QWidget *> tops = {c.TagTypeCombo, c.InSelectList, c.InTagList, c.MainText,
                                       c.MainBrHolder, c.MinDatList,   c.DatList,   c.LeftLine,
                                       c.RightLine,    c.CenterLine};
        QList<int> before;
        for (QWidget *w : tops)
            before << formRect(*m_form, w).top();
        const int datListHeight = c.DatList->height();

        m_form->action(u"minmnyTru"_s)->trigger();
        settle();
        QVERIFY(!m_form->ToolbarVisible);
        QVERIFY(!m_form->action(u"minmnyTru"_s)->isChecked());
        QVERIFY(c.Toolbar1->isHidden());
        for (int i = 0; i < tops.size(); ++i)
            QVERIFY2(near(formRect(*m_form, tops.at(i)).top(), before.at(i) - toolbar),
                     qPrintable(tops.at(i)->objectName()));
        QVERIFY(near(c.DatList->height(), datListHeight + toolbar));
        checkRules();

        m_form->action(u"minmnyTru"_s)->trigger();
        settle();
        QVERIFY(m_form->ToolbarVisible);
        QVERIFY(c.Toolbar1->isVisible());
        for (int i = 0; i < tops.size(); ++i)
            QVERIFY(near(formRect(*m_form, tops.at(i)).top(), before.at(i)));
    }

    void hidingTheStatusBarLengthensEveryColumn()
    {
        const MainFormControls &c = m_form->ui();
        const int status = c.StatusBar1->height();
        QVERIFY(status > 0);
        const int datList = formRect(*m_form, c.DatList).bottom();
        const int tagList = formRect(*m_form, c.InTagList).bottom();
        const int preview = formRect(*m_form, c.MainBrHolder).bottom();

        m_form->action(u"minmnyStats"_s)->trigger();
        settle();
        QVERIFY(!m_form->StatusVisible);
        QVERIFY(c.StatusBar1->isHidden());
        QVERIFY(near(formRect(*m_form, c.DatList).bottom(), datList + status));
        QVERIFY(near(formRect(*m_form, c.InTagList).bottom(), tagList + status));
        QVERIFY(near(formRect(*m_form, c.MainBrHolder).bottom(), preview + status));
        // Everything still fits in the window.
        QVERIFY(formRect(*m_form, c.DatList).bottom() < m_form->height() - m_form->menuBar()->height());
        checkRules();
    }

    void hidingTheCatalogueWidensTheEditor()
    {
        const MainFormControls &c = m_form->ui();
        const int oldColumn = c.InSelectList->width();
        const int oldWidth = c.MainText->width();

        m_form->action(u"minmnyShowTags"_s)->trigger();
        settle();
        QVERIFY(!m_form->TagsVisible);
        for (QWidget *w : {static_cast<QWidget *>(c.InSelectList), static_cast<QWidget *>(c.TagTypeCombo),
                           static_cast<QWidget *>(c.InTagList), static_cast<QWidget *>(c.LeftLine),
                           static_cast<QWidget *>(c.Label1), static_cast<QWidget *>(c.Image1)})
            QVERIFY2(w->isHidden(), qPrintable(w->objectName()));
        QCOMPARE(formRect(*m_form, c.MainText).left(), TwipsToPx(120));
        QVERIFY(near(c.MainText->width(), oldWidth + oldColumn + TwipsToPx(120)));
        // The bar under the editor stays aligned with it.
        QCOMPARE(formRect(*m_form, c.CenterLine).left(), formRect(*m_form, c.MainText).left());
        QCOMPARE(c.CenterLine->width(), c.MainText->width());
        QCOMPARE(formRect(*m_form, c.CenterLine).top(), formRect(*m_form, c.MainText).bottom() + 1);
        checkRules();

        m_form->action(u"minmnyShowTags"_s)->trigger();
        settle();
        QVERIFY(m_form->TagsVisible);
        QVERIFY(c.InSelectList->isVisible());
        QVERIFY(near(c.MainText->width(), oldWidth));
    }

    void hidingTheFileListsWidensTheEditor()
    {
        const MainFormControls &c = m_form->ui();
        const int oldWidth = c.MainText->width();
        const int column = c.MinDatList->width();
        m_form->action(u"minmnyShowFiles"_s)->trigger();
        settle();
        QVERIFY(!m_form->FilesVisible);
        QVERIFY(c.MinDatList->isHidden() && c.DatList->isHidden() && c.RightLine->isHidden());
        QVERIFY(near(c.MainText->width(), oldWidth + column + TwipsToPx(120)));
        checkRules();
    }

    void hidingThePreviewGivesTheEditorTheColumn()
    {
        const MainFormControls &c = m_form->ui();
        const int editor = c.MainText->height();
        m_form->action(u"minmnyPrv"_s)->trigger();
        settle();
        QVERIFY(!m_form->PrvVisible);
        QVERIFY(c.MainBrHolder->isHidden());
        QVERIFY(c.CenterLine->isHidden());
        const double H = m_form->formHeightTwips();
        const double T = tw(c.Toolbar1->height());
        const double S = tw(c.StatusBar1->height());
        QVERIFY(near(c.MainText->height(), TwipsToPx(H - (T + S) - 900)));
        QVERIFY(m_form->EditHeight != 0);
        // The bars beside it span the editor alone.
        QCOMPARE(c.LeftLine->height(), c.MainText->height());
        QCOMPARE(c.RightLine->height(), c.MainText->height());

        m_form->action(u"minmnyPrv"_s)->trigger();
        settle();
        QVERIFY(m_form->PrvVisible);
        QVERIFY(c.MainBrHolder->isVisible());
        QVERIFY(c.CenterLine->isVisible());
        QVERIFY(near(c.MainText->height(), editor));
        QCOMPARE(m_form->EditHeight, qint16(0));
        checkRules();
    }

    void centerLineDragResizesTheEditorWithinLimits()
    {
        const MainFormControls &c = m_form->ui();
        ViewCommands *view = m_form->findChild<ViewCommands *>();
        QVERIFY(view);
        const int editor = c.MainText->height();

        drag(c.CenterLine, QPoint(40, 2), QPoint(40, 2 + 30));
        QVERIFY(near(c.MainText->height(), editor + 30));
        QVERIFY(!view->LineDrag);
        checkRules();

        // Lower than 800 twips: nothing happens.
        const int now = c.MainText->height();
        drag(c.CenterLine, QPoint(40, 2), QPoint(40, 2 - (now - TwipsToPx(800)) - 5));
        QCOMPARE(c.MainText->height(), now);
        // The lowest whole pixel height at or above 800 twips is allowed.
        const int lowest = int(std::ceil(800 * TwipsDpi() / 1440.0));
        drag(c.CenterLine, QPoint(40, 0), QPoint(40, -(now - lowest)));
        QCOMPARE(c.MainText->height(), lowest);
        // Higher than H - 2500: nothing happens.
        const int low = c.MainText->height();
        const int limit = TwipsToPx(m_form->formHeightTwips() - 2500);
        drag(c.CenterLine, QPoint(40, 0), QPoint(40, limit - low + 5));
        QCOMPARE(c.MainText->height(), low);
        drag(c.CenterLine, QPoint(40, 0), QPoint(40, limit - low - 2));
        QVERIFY(near(c.MainText->height(), limit - 2));
        checkRules();
    }

    void leftLineDragResizesTheCatalogueWithinLimits()
    {
        const MainFormControls &c = m_form->ui();
        const int column = c.InSelectList->width();
        drag(c.LeftLine, QPoint(3, 50), QPoint(3 + 20, 50));
        QVERIFY(near(c.InSelectList->width(), column + 20));
        for (QWidget *w : {static_cast<QWidget *>(c.TagTypeCombo), static_cast<QWidget *>(c.InTagList),
                           static_cast<QWidget *>(c.Label1), static_cast<QWidget *>(c.Image1)})
            QCOMPARE(w->width(), c.InSelectList->width());
        checkRules();

        // Narrower than 800: nothing.
        const int now = c.InSelectList->width();
        drag(c.LeftLine, QPoint(3, 50), QPoint(3 - (now - TwipsToPx(800)) - 5, 50));
        QCOMPARE(c.InSelectList->width(), now);
        // Within 1500 of the file lists: nothing.
        const int limit = TwipsToPx(tw(formRect(*m_form, c.DatList).left()) - 1500);
        drag(c.LeftLine, QPoint(3, 50), QPoint(3 + limit - now + 5, 50));
        QCOMPARE(c.InSelectList->width(), now);
        drag(c.LeftLine, QPoint(3, 50), QPoint(3 + limit - now - 2, 50));
        QVERIFY(near(c.InSelectList->width(), limit - 2));
        checkRules();
    }

    void rightLineDragResizesTheFileListsWithinLimits()
    {
        const MainFormControls &c = m_form->ui();
        const int column = c.MinDatList->width();
        const int left = formRect(*m_form, c.MinDatList).left();
        drag(c.RightLine, QPoint(3, 50), QPoint(3 - 25, 50));
        QVERIFY(near(c.MinDatList->width(), column + 25));
        QCOMPARE(c.DatList->width(), c.MinDatList->width());
        QVERIFY(near(formRect(*m_form, c.MinDatList).left(), left - 25));
        checkRules();

        // Narrower than 800: nothing.
        const int now = c.MinDatList->width();
        drag(c.RightLine, QPoint(3, 50), QPoint(3 + (now - TwipsToPx(800)) + 5, 50));
        QCOMPARE(c.MinDatList->width(), now);
        // Left edge closer than the catalogue width + 1620: nothing.
        const int nowLeft = formRect(*m_form, c.MinDatList).left();
        const int minLeft = TwipsToPx(tw(c.InSelectList->width()) + 1620);
        drag(c.RightLine, QPoint(3, 50), QPoint(3 - (nowLeft - minLeft) - 5, 50));
        QCOMPARE(c.MinDatList->width(), now);
        drag(c.RightLine, QPoint(3, 50), QPoint(3 - (nowLeft - minLeft) + 3, 50));
        QVERIFY(near(formRect(*m_form, c.MinDatList).left(), minLeft + 3));
        checkRules();
    }

    void rightButtonStartsNoDrag()
    {
        const MainFormControls &c = m_form->ui();
        ViewCommands *view = m_form->findChild<ViewCommands *>();
        QVERIFY(view);
        const int editor = c.MainText->height();
        const int column = c.InSelectList->width();
        const int files = c.MinDatList->width();
        for (QFrame *bar : {c.CenterLine, c.LeftLine, c.RightLine}) {
            mouse(bar, QEvent::MouseButtonPress, Qt::RightButton, QPoint(2, 2));
            QVERIFY(!view->LineDrag);
            mouse(bar, QEvent::MouseMove, Qt::RightButton, QPoint(22, 22));
            mouse(bar, QEvent::MouseButtonRelease, Qt::RightButton, QPoint(22, 22));
        }
        QCOMPARE(c.MainText->height(), editor);
        QCOMPARE(c.InSelectList->width(), column);
        QCOMPARE(c.MinDatList->width(), files);
        // A move without a press does nothing either.
        mouse(c.CenterLine, QEvent::MouseMove, Qt::NoButton, QPoint(2, 40));
        QCOMPARE(c.MainText->height(), editor);
    }

    void pictureBlockSitsAtTheFoot()
    {
        const MainFormControls &c = m_form->ui();
        m_form->showKind(KindPict);
        settle();
        QVERIFY(m_form->PicShow);
        QVERIFY(c.Image1->isVisible());
        QVERIFY(c.Label1->isVisible());
        checkRules();
        // Without the catalogue the picture block is hidden with it.
        m_form->action(u"minmnyShowTags"_s)->trigger();
        settle();
        QVERIFY(c.Image1->isHidden());
        QVERIFY(c.Label1->isHidden());
        m_form->action(u"minmnyShowTags"_s)->trigger();
        settle();
        QVERIFY(c.Image1->isVisible());
        m_form->showKind(KindHtml);
        settle();
        QVERIFY(!m_form->PicShow);
        QVERIFY(c.Image1->isHidden());
        checkRules();
    }

    void barsShowSizingCursors()
    {
        const MainFormControls &c = m_form->ui();
        QCOMPARE(c.LeftLine->cursor().shape(), Qt::SizeHorCursor);
        QCOMPARE(c.RightLine->cursor().shape(), Qt::SizeHorCursor);
        QCOMPARE(c.CenterLine->cursor().shape(), Qt::SizeVerCursor);
        QCOMPARE(c.LeftLine->width(), TwipsToPx(135));
        QCOMPARE(c.CenterLine->height(), TwipsToPx(135));
    }

    void tinyWindowKeepsOldSizes()
    {
        const MainFormControls &c = m_form->ui();
        const QList<QWidget *> sized = {c.DatList, c.InTagList, c.MainBrHolder, c.MainText};
        QList<QSize> before;
        for (QWidget *w : sized)
            before.append(w->size());
        m_form->resize(120, 90);
        settle();
        // Every width and height that would come out below zero keeps its old value.
        for (int i = 0; i < sized.size(); ++i)
            QCOMPARE(sized[i]->size(), before[i]);
        m_form->resize(TwipsToPx(12000), TwipsToPx(9000));
        settle();
        checkRules();
    }

    void fontDialogCancelledChangesNothing()
    {
        PageEditor *editor = m_form->ui().MainText;
        const QFont before = editor->font();
        m_ui->fontAnswers.enqueue(std::nullopt);
        m_form->runCommand(u"minmnyFont"_s);
        QCOMPARE(m_ui->shown.last().kind, u"font"_s);
        QCOMPARE(editor->font(), before);

        QFont chosen(u"Monospace"_s);
        chosen.setPointSizeF(17.5);
        chosen.setBold(true);
        chosen.setItalic(true);
        m_ui->fontAnswers.enqueue(chosen);
        m_form->runCommand(u"minmnyFont"_s);
        QCOMPARE(editor->font().family(), chosen.family());
        QCOMPARE(editor->font().pointSizeF(), 17.5);
        QVERIFY(editor->font().bold());
        QVERIFY(editor->font().italic());
        QCOMPARE(m_ui->beeps, 0);
    }

    void colourDialogsSetBackgroundAndText()
    {
        PageEditor *editor = m_form->ui().MainText;
        const QColor base = editor->palette().color(QPalette::Base);
        const QColor text = editor->palette().color(QPalette::Text);
        m_ui->colorAnswers.enqueue(std::nullopt);
        m_form->runCommand(u"minmnyBackcolor"_s);
        m_ui->colorAnswers.enqueue(std::nullopt);
        m_form->runCommand(u"minmnyFontColor"_s);
        QCOMPARE(editor->palette().color(QPalette::Base), base);
        QCOMPARE(editor->palette().color(QPalette::Text), text);

        m_ui->colorAnswers.enqueue(QColor(0x10, 0x20, 0x30));
        m_form->runCommand(u"minmnyBackcolor"_s);
        QCOMPARE(editor->palette().color(QPalette::Base), QColor(0x10, 0x20, 0x30));
        QCOMPARE(editor->palette().color(QPalette::Text), text);
        m_ui->colorAnswers.enqueue(QColor(0xF0, 0xE0, 0xD0));
        m_form->runCommand(u"minmnyFontColor"_s);
        QCOMPARE(editor->palette().color(QPalette::Text), QColor(0xF0, 0xE0, 0xD0));
        QCOMPARE(editor->palette().color(QPalette::Base), QColor(0x10, 0x20, 0x30));
    }

private:
    static bool near(int a, int b) { return std::abs(a - b) <= 1; }

    void settle()
    {
        // Let the main window place its toolbar, status bar and central area.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    // Checks every rule that positions a control, from the window's size and
    // the view flags, with the toolbar and status bar heights as they are on
    // screen.
    void checkRules()
    {
        const MainForm &f = *m_form;
        const MainFormControls &c = f.ui();
        const double W = f.formWidthTwips();
        const double H = f.formHeightTwips();
        const double T = f.ToolbarVisible ? tw(c.Toolbar1->height()) : 0;
        const double S = f.StatusVisible ? tw(c.StatusBar1->height()) : 0;
        const double L = f.TagsVisible ? tw(c.InSelectList->width()) + 120 : 0;
        const double R = f.FilesVisible ? tw(c.MinDatList->width()) + 120 : 0;
        const double P = f.PicShow ? tw(c.Image1->height()) + tw(c.Label1->height()) + 120 : 0;
        const auto at = [](int px, double twips) { return std::abs(px - TwipsToPx(twips)) <= 1; };
        const auto check = [&](const QWidget *w, bool ok, const char *what) {
            if (!ok)
                qWarning("%s: %s at %d,%d %dx%d", qPrintable(w->objectName()), what, formRect(f, w).x(),
                         formRect(f, w).y(), w->width(), w->height());
            QVERIFY2(ok, what);
        };
        const QRect mainText = formRect(f, c.MainText);
        check(c.MainText, at(mainText.top(), T + 120), "top = T + 120");
        check(c.MainText, at(mainText.left(), L + 120), "left = L + 120");
        check(c.MainText, at(mainText.width(), W - R - L - 360), "width = W - R - L - 360");
        if (f.FilesVisible) {
            const QRect min = formRect(f, c.MinDatList);
            const QRect dat = formRect(f, c.DatList);
            check(c.MinDatList, at(min.left(), W - R - 100), "left = W - R - 100");
            check(c.MinDatList, at(min.top(), T + 120), "top = T + 120");
            check(c.DatList, at(dat.left(), W - R - 100), "left = W - R - 100");
            check(c.DatList, at(dat.top(), T + 120 + tw(c.MinDatList->height())), "directly below MinDatList");
            check(c.DatList, at(dat.top() + dat.height(), H - S - 680), "ends at H - S - 680");
            const QRect rl = formRect(f, c.RightLine);
            check(c.RightLine, at(rl.left(), tw(dat.left()) - 120), "left = DatList - 120");
            check(c.RightLine, rl.top() == mainText.top(), "top = editor top");
        }
        if (f.PrvVisible) {
            const QRect br = formRect(f, c.MainBrHolder);
            check(c.MainBrHolder, br.left() == mainText.left(), "left = editor left");
            check(c.MainBrHolder, br.width() == mainText.width(), "width = editor width");
            check(c.MainBrHolder, at(br.top(), tw(mainText.height()) + T + 240), "top = editor height + T + 240");
            check(c.MainBrHolder, at(br.top() + br.height(), H - S - 780), "ends at H - S - 780");
            const QRect cl = formRect(f, c.CenterLine);
            check(c.CenterLine, cl.top() == mainText.bottom() + 1, "top = editor bottom");
            check(c.CenterLine, cl.left() == mainText.left() && cl.width() == mainText.width(), "under the editor");
        } else {
            check(c.MainText, at(mainText.top() + mainText.height(), H - S - 780), "ends at H - S - 780");
        }
        if (f.TagsVisible) {
            const QRect combo = formRect(f, c.TagTypeCombo);
            const QRect sel = formRect(f, c.InSelectList);
            const QRect tags = formRect(f, c.InTagList);
            check(c.TagTypeCombo, at(combo.top(), T + 120), "top = T + 120");
            check(c.InSelectList, at(sel.top(), T + 170 + tw(combo.height())), "top = T + 170 + combo");
            check(c.InTagList, tags.top() == sel.top() + sel.height(), "directly below InSelectList");
            check(c.InTagList, at(tags.top() + tags.height(), H - S - P - 680), "ends at H - S - P - 680");
            const QRect ll = formRect(f, c.LeftLine);
            check(c.LeftLine, at(ll.left(), tw(sel.width()) + 120), "left = catalogue width + 120");
            check(c.LeftLine, ll.top() == mainText.top(), "top = editor top");
            const int span = mainText.height() + (f.PrvVisible ? c.MainBrHolder->height() : 0);
            check(c.LeftLine, ll.height() == span, "height = editor (+ preview)");
            if (f.PicShow) {
                const QRect img = formRect(f, c.Image1);
                const QRect label = formRect(f, c.Label1);
                check(c.Image1, at(img.top() + img.height(), H - S - 800), "ends at H - S - 800");
                check(c.Label1, label.top() + label.height() == img.top(), "directly above Image1");
                check(c.InTagList, std::abs(tags.top() + tags.height() - label.top()) <= 2, "ends on Label1");
            }
        }
    }

    QTemporaryDir m_dir;
    std::unique_ptr<RecordingUi> m_ui;
    std::unique_ptr<MainForm> m_form;
};

int main(int argc, char *argv[])
{
    // The process as the program prepares it: the browser's drawing above all.
    PrepareProcess();
    QApplication app(argc, argv);
    TestLayout t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_layout.moc"
