#include "CharChanges.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

QString CharText(char32_t c)
{
    return QString::fromUcs4(&c, 1);
}

} // namespace

void CharChanges::addRef(char32_t c)
{
    if (refs++ == 0)
        firstRef = c;
}

void CharChanges::addMapped(char32_t from, char32_t to)
{
    if (mapped++ == 0) {
        firstMapped = from;
        firstMappedTo = to;
    }
}

void CharChanges::add(const CharChanges &other)
{
    if (refs == 0)
        firstRef = other.firstRef;
    refs += other.refs;
    if (mapped == 0) {
        firstMapped = other.firstMapped;
        firstMappedTo = other.firstMappedTo;
    }
    mapped += other.mapped;
}

QString CharChangesText(const CharChanges &changes, bool output)
{
    const QString done = output ? u"出力しました"_s : u"保存しました"_s;
    QStringList parts;
    if (changes.refs > 0)
        parts.append(u"%1文字を文字参照（&#…;）で%2（最初は%3）"_s.arg(changes.refs).arg(done, CharText(changes.firstRef)));
    if (changes.mapped > 0)
        parts.append(u"%1文字を似た形の文字に置き換えて%2（最初は%3→%4）"_s.arg(changes.mapped)
                         .arg(done, CharText(changes.firstMapped), CharText(changes.firstMappedTo)));
    return parts.join(u"　"_s);
}
