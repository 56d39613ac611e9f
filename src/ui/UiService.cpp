#include "UiService.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QLabel>
#include <QLibraryInfo>
#include <QTranslator>

UiService::~UiService() = default;

QString ProgramTitle()
{
    return QStringLiteral("Quorvel");
}

QString ToQtFilter(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts.at(i + 1);
        patterns.replace(u';', u' ');
        out.append(parts.at(i) + u" (" + patterns + u')');
    }
    return out.join(u";;");
}

namespace {

QWidget *dialogParent()
{
    if (QWidget *w = QApplication::activeModalWidget())
        return w;
    return QApplication::activeWindow();
}

QMessageBox::Icon toQt(UiService::Icon icon)
{
    switch (icon) {
    case UiService::Icon::Critical:
        return QMessageBox::Critical;
    case UiService::Icon::Exclamation:
        return QMessageBox::Warning;
    case UiService::Icon::Information:
        return QMessageBox::Information;
    case UiService::Icon::Question:
        return QMessageBox::Question;
    case UiService::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// The real service: the toolkit's own dialogs and the main window's status bar.
class ScreenUi final : public UiService
{
public:
    void message(const QString &text, Icon icon) override
    {
        QMessageBox box(toQt(icon), ProgramTitle(), text, QMessageBox::Ok, dialogParent());
        box.exec();
    }

    bool askYesNo(const QString &text, Icon icon, Answer defaultAnswer) override
    {
        QMessageBox box(toQt(icon), ProgramTitle(), text, QMessageBox::NoButton, dialogParent());
        QPushButton *yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
        QPushButton *no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
        box.setDefaultButton(defaultAnswer == Answer::No ? no : yes);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes;
    }

    Answer askYesNoCancel(const QString &text, Icon icon) override
    {
        QMessageBox box(toQt(icon), ProgramTitle(), text, QMessageBox::NoButton, dialogParent());
        QPushButton *yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
        yes->setObjectName(QStringLiteral("Yes"));
        QPushButton *no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
        no->setObjectName(QStringLiteral("No"));
        QPushButton *cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
        cancel->setObjectName(QStringLiteral("Cancel"));
        box.setDefaultButton(yes);
        // Escape and the close button both end up here.
        box.setEscapeButton(cancel);
        box.exec();
        if (box.clickedButton() == yes)
            return Answer::Yes;
        if (box.clickedButton() == no)
            return Answer::No;
        return Answer::Cancel;
    }

    void beep() override { QApplication::beep(); }

    void closeOpenBoxes() override
    {
        const QWidgetList windows = QApplication::topLevelWidgets();
        for (QWidget *w : windows) {
            auto *dialog = qobject_cast<QDialog *>(w);
            if (dialog && dialog->isVisible() && dialog->isModal())
                dialog->reject();
        }
    }

    QString openFileName(const QString &filter, const QString &startDir) override
    {
        return QFileDialog::getOpenFileName(dialogParent(), QString(), startDir, ToQtFilter(filter));
    }

    QString saveFileName(const QString &filter, const QString &startDir, const QString &defaultSuffix) override
    {
        QFileDialog dialog(dialogParent(), QString(), startDir, ToQtFilter(filter));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(defaultSuffix);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().constFirst();
    }

    QString chooseFolder(const QString &startDir) override
    {
        return QFileDialog::getExistingDirectory(dialogParent(), QString(), startDir);
    }

    std::optional<QColor> chooseColor(const QColor &initial) override
    {
        const QColor c = QColorDialog::getColor(initial, dialogParent());
        if (!c.isValid())
            return std::nullopt;
        return c;
    }

    std::optional<QFont> chooseFont(const QFont &initial) override
    {
        bool ok = false;
        const QFont f = QFontDialog::getFont(&ok, initial, dialogParent());
        if (!ok)
            return std::nullopt;
        return f;
    }

    bool startProgram(const QString &program, const QStringList &arguments) override
    {
        return QProcess::startDetached(program, arguments);
    }

    void setStatusText(const QString &text) override
    {
        m_status = text;
        ShowOnStatusPanel(text);
    }

    QString statusText() const override { return m_status; }

private:
    QString m_status;
};

QPointer<QLabel> &statusPanel()
{
    static QPointer<QLabel> panel;
    return panel;
}

UiService *&current()
{
    static UiService *service = nullptr;
    return service;
}

} // namespace

UiService &Ui()
{
    if (UiService *s = current())
        return *s;
    static ScreenUi screen;
    return screen;
}

void SetUi(UiService *service)
{
    current() = service;
}

QString OpenFileOfKind(DialogKind kind, const QString &filter, const QString &projectPath)
{
    const QString path = Ui().openFileName(filter, DialogStartFolder(kind, projectPath));
    RememberDialogChoice(kind, path);
    return path;
}

QString SaveFileOfKind(DialogKind kind, const QString &filter, const QString &projectPath, const QString &defaultSuffix)
{
    const QString path = Ui().saveFileName(filter, DialogStartFolder(kind, projectPath), defaultSuffix);
    RememberDialogChoice(kind, path);
    return path;
}

void SetStatusPanel(QLabel *panel)
{
    statusPanel() = panel;
}

void ShowOnStatusPanel(const QString &text)
{
    if (QLabel *panel = statusPanel())
        panel->setText(text);
}

bool InstallQtTranslations()
{
    auto *translator = new QTranslator(qApp);
    if (!translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}
