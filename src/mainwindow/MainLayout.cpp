// The main window's layout: three columns between the toolbar and the status
// bar, computed in twips from the window size and the view flags.

#include "MainForm.h"

#include "PageEditor.h"
#include "Twips.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

namespace {

// What the frame, title bar and menu bar add to the client area, in twips.
// The layout's formulas measure the window from outside. With these values
// the lowest controls (the file list, which ends 680 above the outer bottom)
// still end inside the client area, clear of the status bar.
constexpr double FrameWidthTwips = 120;
constexpr double FrameHeightTwips = 600;

double tw(int px)
{
    return PxToTwips(px);
}

} // namespace

double MainForm::formWidthTwips() const
{
    return tw(width()) + FrameWidthTwips;
}

double MainForm::formHeightTwips() const
{
    // The client area is everything below the menu bar, toolbar and status
    // bar included, whether they are shown or not.
    return tw(height() - menuBar()->height()) + FrameHeightTwips;
}

void MainForm::Form_Resize()
{
    if (!m_ui.surface)
        return;

    // Toolbar and status bar first: they change the area the rest fills.
    m_ui.Toolbar1->setVisible(ToolbarVisible);
    m_ui.StatusBar1->setVisible(StatusVisible);

    const double W = formWidthTwips();
    const double H = formHeightTwips();
    const double T = ToolbarVisible ? tw(m_ui.Toolbar1->sizeHint().height()) : 0;
    const double S = StatusVisible ? tw(m_ui.StatusBar1->sizeHint().height()) : 0;

    // Controls sit on the surface below the toolbar: form top t is surface top t - T.
    const auto setLeftTop = [T](QWidget *w, double left, double top) {
        w->move(TwipsToPx(left), TwipsToPx(top - T));
    };
    const auto setWidth = [](QWidget *w, double width) {
        if (width >= 0)
            w->resize(TwipsToPx(width), w->height());
    };
    const auto setHeight = [](QWidget *w, double height) {
        if (height >= 0)
            w->resize(w->width(), TwipsToPx(height));
    };
    const auto width = [](const QWidget *w) { return tw(w->width()); };
    const auto height = [](const QWidget *w) { return tw(w->height()); };
    const auto left = [](const QWidget *w) { return tw(w->x()); };

    // 1. Left column.
    const double L = TagsVisible ? width(m_ui.InSelectList) + 120 : 0;
    for (QWidget *w : {static_cast<QWidget *>(m_ui.InSelectList), static_cast<QWidget *>(m_ui.TagTypeCombo),
                       static_cast<QWidget *>(m_ui.InTagList), static_cast<QWidget *>(m_ui.LeftLine)})
        w->setVisible(TagsVisible);
    if (!TagsVisible) {
        m_ui.Label1->hide();
        m_ui.Image1->hide();
    }
    // 3. Editor block.
    double E = PrvVisible ? height(m_ui.MainText) + 120 : 0;
    // 4. Right column.
    const double R = FilesVisible ? width(m_ui.MinDatList) + 120 : 0;
    m_ui.MinDatList->setVisible(FilesVisible);
    m_ui.DatList->setVisible(FilesVisible);
    m_ui.RightLine->setVisible(FilesVisible);
    // 6. Picture block.
    double P = 0;
    if (PicShow) {
        P = height(m_ui.Image1) + height(m_ui.Label1) + 120;
        if (TagsVisible) {
            m_ui.Label1->show();
            m_ui.Image1->show();
        }
    } else {
        m_ui.Label1->hide();
        m_ui.Image1->hide();
    }

    // 7. Right column and editor position.
    setLeftTop(m_ui.MinDatList, W - R - 100, T + 120);
    setLeftTop(m_ui.DatList, W - R - 100, T + 120 + height(m_ui.MinDatList));
    setHeight(m_ui.DatList, H - (T + S) - height(m_ui.MinDatList) - 800);
    setLeftTop(m_ui.MainText, L + 120, T + 120);
    setWidth(m_ui.MainText, W - R - L - 360);

    // 8. Middle column.
    if (PrvVisible) {
        if (EditHeight != 0) {
            setHeight(m_ui.MainText, EditHeight);
            E = height(m_ui.MainText) + 120;
            EditHeight = 0;
        }
        setLeftTop(m_ui.MainBrHolder, L + 120, height(m_ui.MainText) + T + 240);
        setWidth(m_ui.MainBrHolder, W - R - L - 360);
        setHeight(m_ui.MainBrHolder, H - (T + S + E) - 900);
        m_ui.MainBrHolder->show();
        m_ui.CenterLine->show();
    } else {
        if (EditHeight == 0)
            EditHeight = qint16(height(m_ui.MainText));
        setHeight(m_ui.MainText, H - (T + S) - 900);
        m_ui.MainBrHolder->hide();
        m_ui.CenterLine->hide();
    }

    // 9. Left column positions; its left edges stay where they are.
    const double leftEdge = left(m_ui.InSelectList);
    setLeftTop(m_ui.TagTypeCombo, leftEdge, T + 120);
    setLeftTop(m_ui.InSelectList, leftEdge, T + 170 + height(m_ui.TagTypeCombo));
    setLeftTop(m_ui.Image1, leftEdge, H - S - 800 - height(m_ui.Image1));
    setLeftTop(m_ui.Label1, leftEdge, H - S - 800 - height(m_ui.Image1) - height(m_ui.Label1));
    setLeftTop(m_ui.InTagList, leftEdge, T + 170 + height(m_ui.TagTypeCombo) + height(m_ui.InSelectList));
    setHeight(m_ui.InTagList, H - (T + S + P) - height(m_ui.InSelectList) - height(m_ui.TagTypeCombo) - 850);

    // 10. Bars.
    const double mainTop = T + 120;
    const double barHeight = height(m_ui.MainText) + (PrvVisible ? height(m_ui.MainBrHolder) : 0);
    setLeftTop(m_ui.LeftLine, width(m_ui.InSelectList) + 120, mainTop);
    setHeight(m_ui.LeftLine, barHeight);
    setLeftTop(m_ui.CenterLine, left(m_ui.MainText), mainTop + height(m_ui.MainText));
    setWidth(m_ui.CenterLine, width(m_ui.MainText));
    setLeftTop(m_ui.RightLine, left(m_ui.DatList) - 120, mainTop);
    setHeight(m_ui.RightLine, barHeight);
}
