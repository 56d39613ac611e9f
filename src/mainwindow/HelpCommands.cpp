#include "HelpCommands.h"

#include "AppPaths.h"
#include "BrowserView.h"
#include "ButtonRow.h"
#include "Icons.h"
#include "MainForm.h"
#include "Twips.h"
#include "UiService.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {

// What the frame and title bar add to the client area, in twips.
constexpr double FrameWidthTwips = 120;
constexpr double FrameHeightTwips = 390;

} // namespace

HelpForm::HelpForm(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Help"));
    setWindowTitle(QStringLiteral("マニュアル"));
    setWindowIcon(ProgramIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    // Closing the main window ends the program even while the manual is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    WebBrowser1 = new BrowserView(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->move(TwipsToPx(120), TwipsToPx(120));
    resize(TwipsToPx(12000), TwipsToPx(9000));
    WebBrowser1->navigateToFile(manualPath());
}

QString HelpForm::manualPath()
{
    return AppPath(u"\\Help\\Index.htm");
}

double HelpForm::formWidthTwips() const
{
    return PxToTwips(width()) + FrameWidthTwips;
}

double HelpForm::formHeightTwips() const
{
    return PxToTwips(height()) + FrameHeightTwips;
}

void HelpForm::Form_Resize()
{
    // A size the window is too small for is skipped; the old one stays.
    const double h = formHeightTwips() - 650;
    const double w = formWidthTwips() - 350;
    QSize size = WebBrowser1->size();
    if (h >= 0)
        size.setHeight(TwipsToPx(h));
    if (w >= 0)
        size.setWidth(TwipsToPx(w));
    WebBrowser1->resize(size);
}

void HelpForm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(ProgramTitle() + QStringLiteral("のﾊﾞｰｼﾞｮﾝ情報"));
    setModal(true);

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(ProgramIcon().pixmap(48, 48));
    picIcon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    lblTitle = new QLabel(ProgramTitle(), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont big = lblTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    lblTitle->setFont(big);
    lblVersion = new QLabel(versionText(programVersion()), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblDisclaimer = new QLabel(
        QStringLiteral("このプログラムは、HTMLを学び始めた方がホームページを作るための編集ソフトです。"
                       "作成したページの内容と、その公開による結果については、利用者の責任でお使いください。"
                       "大切なプロジェクトは、こまめに保存してください。"),
        this);
    lblDisclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    lblDisclaimer->setWordWrap(true);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdSysInfo = new QPushButton(QStringLiteral("ｼｽﾃﾑ情報(&S)..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));

    auto *grid = new QGridLayout(this);
    grid->addWidget(picIcon, 0, 0, 2, 1);
    grid->addWidget(lblTitle, 0, 1);
    grid->addWidget(lblVersion, 1, 1);
    grid->addWidget(lblDisclaimer, 2, 0, 1, 2);
    auto *buttons = new QVBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    SameButtonSize({cmdOK, cmdSysInfo});
    grid->addLayout(buttons, 0, 2, 3, 1);
    grid->setColumnStretch(1, 1);
    setFixedWidth(TwipsToPx(7500));

    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
}

QString frmAbout::versionText(const QVersionNumber &version)
{
    return QStringLiteral("ﾊﾞｰｼﾞｮﾝ %1.%2.%3")
        .arg(version.majorVersion())
        .arg(version.minorVersion())
        .arg(version.microVersion());
}

QVersionNumber frmAbout::programVersion()
{
    return QVersionNumber::fromString(QStringLiteral(QUORVEL_VERSION));
}

QStringList frmAbout::systemInfoTools()
{
    return {QStringLiteral("kinfocenter"),       QStringLiteral("hardinfo2"),
            QStringLiteral("hardinfo"),          QStringLiteral("gnome-system-monitor"),
            QStringLiteral("mate-system-monitor"), QStringLiteral("xfce4-taskmanager"),
            QStringLiteral("lxtask")};
}

QString frmAbout::findSystemInfoTool()
{
    for (const QString &name : systemInfoTools()) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

void frmAbout::cmdSysInfo_Click()
{
    const QString tool = findSystemInfoTool();
    if (!tool.isEmpty() && Ui().startProgram(tool, {}))
        return;
    Ui().message(QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません"), UiService::Icon::None);
}

HelpCommands::HelpCommands(MainForm *form, QObject *parent)
    : QObject(parent)
    , m_form(form)
{
    setObjectName(QStringLiteral("HelpCommands"));
    form->setCommand(QStringLiteral("minmnyMa"), [this] { minmnyMa(); });
    form->setCommand(QStringLiteral("minmnyAbout"), [this] { minmnyAbout(); });
}

void HelpCommands::minmnyMa()
{
    if (!m_help) {
        m_help = new HelpForm(m_form);
        m_help->show();
        return;
    }
    // A minimised manual comes back, or it could not come to the front.
    m_help->setWindowState(m_help->windowState() & ~Qt::WindowMinimized);
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void HelpCommands::minmnyAbout()
{
    frmAbout box(m_form);
    box.exec();
}
