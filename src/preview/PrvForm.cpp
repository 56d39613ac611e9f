#include "PrvForm.h"

#include "BrowserView.h"
#include "DeviceFrame.h"
#include "Icons.h"
#include "Twips.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>

namespace {

// What the frame, title bar and menu bar add to the client area, in twips;
// the layout measures the window from outside, as the main window does.
constexpr double FrameWidthTwips = 120;
constexpr double FrameHeightTwips = 690;

} // namespace

PrvForm::PrvForm(QWidget *parent)
    : QMainWindow(parent, Qt::Window)
{
    setObjectName(QStringLiteral("PrvForm"));
    setWindowTitle(QStringLiteral("プレビュー"));
    setWindowIcon(ProgramIcon());

    QMenu *brw = menuBar()->addMenu(QStringLiteral("ブラウザ(&B)"));
    brw->setObjectName(QStringLiteral("Brw"));
    connect(addItem(brw, QStringLiteral("Next"), QStringLiteral("進む(&N)")), &QAction::triggered, this,
            [this] { WebBrowser1->forward(); });
    connect(addItem(brw, QStringLiteral("Back"), QStringLiteral("戻る(&B)")), &QAction::triggered, this,
            [this] { WebBrowser1->back(); });
    connect(addItem(brw, QStringLiteral("Kousin"), QStringLiteral("最新の情報に更新(&R)")), &QAction::triggered,
            this, [this] { WebBrowser1->reload(); });
    brw->addSeparator();
    connect(addItem(brw, QStringLiteral("Exit"), QStringLiteral("閉じる(&X)")), &QAction::triggered, this,
            &QWidget::close);

    QMenu *vew = menuBar()->addMenu(QStringLiteral("表示(&V)"));
    vew->setObjectName(QStringLiteral("Vew"));
    QAction *vewToolBar = addItem(vew, QStringLiteral("VewToolBar"), QStringLiteral("ツールバー(&S)"));
    QAction *vewStatsBar = addItem(vew, QStringLiteral("VewStatsBar"), QStringLiteral("ステータスバー(&S)"));
    for (QAction *a : {vewToolBar, vewStatsBar}) {
        a->setCheckable(true);
        a->setChecked(true);
        connect(a, &QAction::triggered, this, [this] { Form_Resize(); });
    }
    vew->addSeparator();
    QMenu *haba = vew->addMenu(QStringLiteral("プレビューの幅"));
    haba->setObjectName(QStringLiteral("VewHaba"));
    auto *habaGroup = new QActionGroup(this);
    const QString habaNames[] = {QStringLiteral("HabaAll"), QStringLiteral("HabaPhone"), QStringLiteral("HabaTablet")};
    const QList<std::pair<int, QString>> widths = PageWidthChoices();
    for (int i = 0; i < widths.size(); ++i) {
        QAction *a = addItem(haba, habaNames[i], widths.at(i).second);
        a->setCheckable(true);
        a->setChecked(widths.at(i).first == 0);
        a->setData(widths.at(i).first);
        habaGroup->addAction(a);
        connect(a, &QAction::triggered, this, [this, a] {
            m_frame->setPageWidth(a->data().toInt());
            Q_EMIT pageWidthChosen(a->data().toInt());
        });
    }

    Toolbar1 = new QToolBar(this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    Toolbar1->setIconSize(QSize(24, 24));
    Toolbar1->toggleViewAction()->setEnabled(false);
    addToolBar(Qt::TopToolBarArea, Toolbar1);
    const struct
    {
        const char16_t *key, *icon, *tip;
    } buttons[] = {{u"JBack", u"BrBack", u"戻る"}, {u"JNext", u"BrFow", u"進む"}, {nullptr, nullptr, nullptr},
                   {u"JRe", u"BrRef", u"最新の情報に更新"}};
    for (const auto &b : buttons) {
        if (!b.key) {
            Toolbar1->addSeparator();
            continue;
        }
        const QString key = QString::fromUtf16(b.key);
        QAction *a = Toolbar1->addAction(ToolbarIcon(QString::fromUtf16(b.icon)), QString::fromUtf16(b.tip));
        a->setObjectName(key);
        a->setToolTip(QString::fromUtf16(b.tip));
        m_actions.insert(key, a);
        connect(a, &QAction::triggered, this, [this, key] { onToolButton(key); });
    }

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    statusPanel1 = new QLabel(StatusBar1);
    statusPanel1->setObjectName(QStringLiteral("Panel1"));
    StatusBar1->addWidget(statusPanel1, 1);
    setStatusBar(StatusBar1);

    m_surface = new QWidget(this);
    m_surface->setObjectName(QStringLiteral("PrvSurface"));
    setCentralWidget(m_surface);
    m_frame = new DeviceFrame(m_surface);
    WebBrowser1 = new BrowserView(m_frame);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    m_frame->setView(WebBrowser1);

    resize(TwipsToPx(9600), TwipsToPx(7200));
    setAttribute(Qt::WA_DeleteOnClose);
    // Closing the main window ends the program even while this one is open.
    setAttribute(Qt::WA_QuitOnClose, false);
}

QAction *PrvForm::addItem(QMenu *menu, const QString &name, const QString &caption)
{
    auto *a = new QAction(caption, this);
    a->setObjectName(name);
    menu->addAction(a);
    m_actions.insert(name, a);
    return a;
}

void PrvForm::onToolButton(const QString &key)
{
    if (key == u"JBack")
        WebBrowser1->back();
    else if (key == u"JNext")
        WebBrowser1->forward();
    else if (key == u"JRe")
        WebBrowser1->reload();
}

void PrvForm::setPageWidth(int cssPixels)
{
    for (QAction *a : m_actions)
        if (a->objectName().startsWith(u"Haba") && a->data().toInt() == cssPixels)
            a->setChecked(true);
    m_frame->setPageWidth(cssPixels);
}

void PrvForm::Form_Load(const QString &projectPath, qint16 pageIndex, const QString &previewFile)
{
    ProjectPath = projectPath;
    PrvPageIndex = pageIndex;
    statusPanel1->setText(ProjectPath);
    WebBrowser1->navigateToFile(previewFile);
}

double PrvForm::formWidthTwips() const
{
    return PxToTwips(width()) + FrameWidthTwips;
}

double PrvForm::formHeightTwips() const
{
    return PxToTwips(height() - menuBar()->height()) + FrameHeightTwips;
}

void PrvForm::Form_Resize()
{
    const bool toolbar = m_actions.value(QStringLiteral("VewToolBar"))->isChecked();
    const bool status = m_actions.value(QStringLiteral("VewStatsBar"))->isChecked();
    Toolbar1->setVisible(toolbar);
    StatusBar1->setVisible(status);
    const double T = toolbar ? PxToTwips(Toolbar1->sizeHint().height()) : 0;
    const double S = status ? PxToTwips(StatusBar1->sizeHint().height()) : 0;
    const double width = formWidthTwips() - 360;
    const double height = formHeightTwips() - (T + S + 900);

    // The surface starts below the toolbar: window top t is surface top t - T.
    // The frame takes the browser's place; the whole width fills it.
    m_frame->move(TwipsToPx(120), TwipsToPx(T + 120 - T));
    // A size that would be negative is skipped; the old one stays.
    QSize size = m_frame->size();
    if (width >= 0)
        size.setWidth(TwipsToPx(width));
    if (height >= 0)
        size.setHeight(TwipsToPx(height));
    m_frame->resize(size);
}

void PrvForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void PrvForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    Form_Resize();
}
