#pragma once

#include "UiService.h"

#include <QQueue>
#include <QStringList>
#include <QVector>

#include <functional>

// A UiService for tests: records everything shown and answers questions and
// dialogs from queues the test fills. An empty queue answers No / cancel.
// A Yes/No/Cancel question takes yesNoCancelAnswers first, then yesNoAnswers
// (true Yes, false No), and answers Cancel when both are empty.
// Installs itself on construction and restores the screen service when destroyed.
class RecordingUi final : public UiService
{
public:
    struct Shown
    {
        QString kind; // "message", "question", "open", "save", "folder", "color", "font", "start"
        QString text; // message text, dialog filter, or program
        Icon icon = Icon::None;
        Answer defaultAnswer = Answer::Yes; // of a Yes/No question
        QString startDir;                    // of a file or folder dialog
    };

    RecordingUi();
    ~RecordingUi() override;

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
    void closeOpenBoxes() override { ++boxesClosed; }
    QString statusText() const override { return statusTexts.isEmpty() ? QString() : statusTexts.last(); }

    // Answers, taken in order.
    QQueue<bool> yesNoAnswers;
    QQueue<Answer> yesNoCancelAnswers;
    QQueue<QString> fileAnswers;   // open, save and folder dialogs; "" = cancel
    QQueue<std::optional<QColor>> colorAnswers;
    QQueue<std::optional<QFont>> fontAnswers;
    bool startProgramResult = true;
    // Called when a message box would be shown (e.g. to act while "modal").
    std::function<void(const Shown &)> onShown;

    // What was shown.
    QVector<Shown> shown;
    QStringList statusTexts;
    QStringList saveSuffixes; // the default suffix of each save dialog, in order
    int beeps = 0;
    int boxesClosed = 0; // closeOpenBoxes calls

    QStringList messages() const;        // texts of message boxes and questions, in order
    QString lastMessage() const;
    void clear();
};
