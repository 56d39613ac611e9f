#pragma once

#include "UiService.h"

#include <QMap>
#include <QStringList>

#include <functional>
#include <random>

// A UiService for the monkey: every message box, question and common dialog
// is answered at random from the monkey's generator, and what was asked is
// counted. File dialogs answer with places inside the monkey's own folder (or
// cancel), never elsewhere; no program is ever started.
class MonkeyUi final : public UiService
{
public:
    // root: the monkey's folder; files: existing files offered to open dialogs.
    MonkeyUi(std::mt19937_64 &rng, const QString &root);
    ~MonkeyUi() override;

    void message(const QString &text, Icon icon) override;
    bool askYesNo(const QString &text, Icon icon, Answer defaultAnswer = Answer::Yes) override;
    Answer askYesNoCancel(const QString &text, Icon icon) override;
    void beep() override;
    QString openFileName(const QString &filter, const QString &startDir) override;
    QString saveFileName(const QString &filter, const QString &startDir, const QString &defaultSuffix) override;
    QString chooseFolder(const QString &startDir) override;
    std::optional<QColor> chooseColor(const QColor &initial) override;
    std::optional<QFont> chooseFont(const QFont &initial) override;
    bool startProgram(const QString &program, const QStringList &arguments) override;
    void setStatusText(const QString &text) override;
    QString statusText() const override { return m_status; }
    // The monkey answers every box at once, so none is ever left open.
    void closeOpenBoxes() override {}

    // How often each kind of box or dialog was shown ("message", "open", ...).
    QMap<QString, int> counts;
    // A random file name (no separator), and random text for any box.
    std::function<QString()> randomName;

private:
    int pick(int n) { return int(std::uniform_int_distribution<int>(0, n - 1)(m_rng)); }
    // Files inside the root a dialog may offer (fixtures and what was saved).
    QStringList existingFiles() const;

    std::mt19937_64 &m_rng;
    QString m_root;
    QString m_status;
};
