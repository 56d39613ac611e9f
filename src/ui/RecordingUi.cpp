#include "RecordingUi.h"

RecordingUi::RecordingUi()
{
    SetUi(this);
}

RecordingUi::~RecordingUi()
{
    SetUi(nullptr);
}

void RecordingUi::message(const QString &text, Icon icon)
{
    shown.append({QStringLiteral("message"), text, icon});
    if (onShown)
        onShown(shown.last());
}

bool RecordingUi::askYesNo(const QString &text, Icon icon, Answer defaultAnswer)
{
    shown.append({QStringLiteral("question"), text, icon, defaultAnswer});
    if (onShown)
        onShown(shown.last());
    return yesNoAnswers.isEmpty() ? false : yesNoAnswers.dequeue();
}

UiService::Answer RecordingUi::askYesNoCancel(const QString &text, Icon icon)
{
    shown.append({QStringLiteral("question"), text, icon});
    if (onShown)
        onShown(shown.last());
    if (!yesNoCancelAnswers.isEmpty())
        return yesNoCancelAnswers.dequeue();
    if (!yesNoAnswers.isEmpty())
        return yesNoAnswers.dequeue() ? Answer::Yes : Answer::No;
    return Answer::Cancel;
}

void RecordingUi::beep()
{
    ++beeps;
}

QString RecordingUi::openFileName(const QString &filter, const QString &startDir)
{
    shown.append({QStringLiteral("open"), filter, Icon::None, Answer::Yes, startDir});
    return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
}

QString RecordingUi::saveFileName(const QString &filter, const QString &startDir, const QString &defaultSuffix)
{
    shown.append({QStringLiteral("save"), filter, Icon::None, Answer::Yes, startDir});
    saveSuffixes.append(defaultSuffix);
    return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
}

QString RecordingUi::chooseFolder(const QString &startDir)
{
    shown.append({QStringLiteral("folder"), QString(), Icon::None, Answer::Yes, startDir});
    return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
}

std::optional<QColor> RecordingUi::chooseColor(const QColor &)
{
    shown.append({QStringLiteral("color"), QString(), Icon::None});
    return colorAnswers.isEmpty() ? std::nullopt : colorAnswers.dequeue();
}

std::optional<QFont> RecordingUi::chooseFont(const QFont &)
{
    shown.append({QStringLiteral("font"), QString(), Icon::None});
    return fontAnswers.isEmpty() ? std::nullopt : fontAnswers.dequeue();
}

bool RecordingUi::startProgram(const QString &program, const QStringList &)
{
    shown.append({QStringLiteral("start"), program, Icon::None});
    return startProgramResult;
}

void RecordingUi::setStatusText(const QString &text)
{
    statusTexts.append(text);
    // The window still shows it, as the user would see it.
    ShowOnStatusPanel(text);
}

QStringList RecordingUi::messages() const
{
    QStringList out;
    for (const Shown &s : shown)
        if (s.kind == u"message" || s.kind == u"question")
            out.append(s.text);
    return out;
}

QString RecordingUi::lastMessage() const
{
    const QStringList m = messages();
    return m.isEmpty() ? QString() : m.last();
}

void RecordingUi::clear()
{
    shown.clear();
    statusTexts.clear();
    saveSuffixes.clear();
    beeps = 0;
}
