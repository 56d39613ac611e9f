#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVersionNumber>
#include <QWidget>

class BrowserView;
class MainForm;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The manual window "マニュアル": one browser showing AppDir\Help\Index.htm.
// It is not modal, so the user can keep working beside it.
class HelpForm : public QWidget
{
    Q_OBJECT

public:
    explicit HelpForm(QWidget *parent = nullptr);

    BrowserView *WebBrowser1 = nullptr;

    // The manual's start page.
    static QString manualPath();
    // The browser's size from the window's outer size (twips).
    void Form_Resize();
    double formWidthTwips() const;
    double formHeightTwips() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
};

// The version box: the program's title and version, a short notice, and a
// button that shows the system information window.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget *parent = nullptr);

    QLabel *picIcon = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblDisclaimer = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdSysInfo = nullptr;

    // "ﾊﾞｰｼﾞｮﾝ " and major.minor.revision.
    static QString versionText(const QVersionNumber &version);
    // The program's own version.
    static QVersionNumber programVersion();

    void cmdSysInfo_Click();
};

// "ｼｽﾃﾑ情報": what a user asking for help is asked about, as text to read and
// to copy: the versions of the program, Qt and the browser engine, the
// operating system, the screens, the program and data folders, the locale
// and the input method.
class SysInfoForm : public QDialog
{
    Q_OBJECT

public:
    explicit SysInfoForm(QWidget *parent = nullptr);

    QPlainTextEdit *Text1 = nullptr;
    QPushButton *Command1 = nullptr; // "コピー"
    QPushButton *Command2 = nullptr; // "閉じる"

    // The lines shown, "name: value" each.
    static QStringList infoLines();
};

// The help menu: the manual and the version box.
class HelpCommands : public QObject
{
    Q_OBJECT

public:
    HelpCommands(MainForm *form, QObject *parent);

    HelpForm *helpWindow() const { return m_help; }

private:
    void minmnyMa();
    void minmnyAbout();

    MainForm *m_form;
    QPointer<HelpForm> m_help;
};
