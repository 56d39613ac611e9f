#include "MonkeyUi.h"

#include <QDir>
#include <QDirIterator>
#include <QFontDatabase>

MonkeyUi::MonkeyUi(std::mt19937_64 &rng, const QString &root)
    : m_rng(rng)
    , m_root(root)
{
    SetUi(this);
}

MonkeyUi::~MonkeyUi()
{
    SetUi(nullptr);
}

void MonkeyUi::message(const QString &, Icon)
{
    ++counts[QStringLiteral("message")];
}

bool MonkeyUi::askYesNo(const QString &, Icon, Answer)
{
    ++counts[QStringLiteral("question Yes/No")];
    return pick(2) == 0;
}

UiService::Answer MonkeyUi::askYesNoCancel(const QString &, Icon)
{
    ++counts[QStringLiteral("question Yes/No/Cancel")];
    const Answer answers[] = {Answer::Yes, Answer::No, Answer::Cancel};
    return answers[pick(3)];
}

void MonkeyUi::beep()
{
    ++counts[QStringLiteral("beep")];
}

QStringList MonkeyUi::existingFiles() const
{
    QStringList files;
    for (const char *folder : {"files", "saves", "out"}) {
        QDirIterator it(m_root + u'/' + QLatin1String(folder), QDir::Files | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext() && files.size() < 400)
            files.append(it.next());
    }
    return files;
}

QString MonkeyUi::openFileName(const QString &, const QString &)
{
    ++counts[QStringLiteral("open dialog")];
    switch (pick(6)) {
    case 0:
        return QString(); // cancelled
    case 1:
        return m_root + QStringLiteral("/saves/") + randomName(); // not there
    case 2:
        return m_root + QStringLiteral("/files"); // a folder
    default: {
        const QStringList files = existingFiles();
        return files.isEmpty() ? QString() : files.at(pick(int(files.size())));
    }
    }
}

QString MonkeyUi::saveFileName(const QString &, const QString &, const QString &defaultSuffix)
{
    ++counts[QStringLiteral("save dialog")];
    switch (pick(6)) {
    case 0:
        return QString();
    case 1: {
        const QStringList files = existingFiles();
        if (!files.isEmpty())
            return files.at(pick(int(files.size()))); // replaces a file
        [[fallthrough]];
    }
    case 2:
        return m_root + QStringLiteral("/saves/") + randomName(); // as typed, no extension
    case 3:
        return m_root + QStringLiteral("/saves/nofolder/") + randomName() + u'.' + defaultSuffix;
    default:
        return m_root + QStringLiteral("/saves/") + randomName()
            + (defaultSuffix.isEmpty() ? QString() : u'.' + defaultSuffix);
    }
}

QString MonkeyUi::chooseFolder(const QString &)
{
    ++counts[QStringLiteral("folder dialog")];
    switch (pick(5)) {
    case 0:
        return QString();
    case 1:
        return m_root + QStringLiteral("/out/missing/") + randomName();
    default: {
        const QString folder = m_root + QStringLiteral("/out/") + QString::number(pick(4));
        QDir().mkpath(folder);
        return folder;
    }
    }
}

std::optional<QColor> MonkeyUi::chooseColor(const QColor &)
{
    ++counts[QStringLiteral("colour dialog")];
    if (pick(3) == 0)
        return std::nullopt;
    return QColor::fromRgb(pick(256), pick(256), pick(256));
}

std::optional<QFont> MonkeyUi::chooseFont(const QFont &initial)
{
    ++counts[QStringLiteral("font dialog")];
    if (pick(3) == 0)
        return std::nullopt;
    QFont f = initial;
    const QStringList families = QFontDatabase::families();
    if (!families.isEmpty())
        f.setFamily(families.at(pick(int(families.size()))));
    f.setPointSize(1 + pick(72));
    f.setBold(pick(2) == 0);
    f.setItalic(pick(2) == 0);
    return f;
}

bool MonkeyUi::startProgram(const QString &, const QStringList &)
{
    ++counts[QStringLiteral("start program")];
    return pick(2) == 0;
}

void MonkeyUi::setStatusText(const QString &text)
{
    m_status = text;
    ShowOnStatusPanel(text);
}
