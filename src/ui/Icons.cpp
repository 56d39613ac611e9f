#include "Icons.h"

#include <QApplication>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

namespace {

struct Glyph
{
    QColor tile;
    QString sign;
};

// The sign is a short text (a letter or a symbol) that names the command.
const QHash<QString, Glyph> &glyphs()
{
    static const QHash<QString, Glyph> g = {
        {QStringLiteral("NewPro"), {QColor(0x3b, 0x82, 0xc4), QStringLiteral("新")}},
        {QStringLiteral("OpenPro"), {QColor(0xd9, 0x9a, 0x26), QStringLiteral("開")}},
        {QStringLiteral("SavePro"), {QColor(0x2e, 0x7d, 0x5b), QStringLiteral("保")}},
        {QStringLiteral("NewHTML"), {QColor(0x55, 0x6b, 0xd6), QStringLiteral("H+")}},
        {QStringLiteral("NewPict"), {QColor(0x9c, 0x4d, 0xcc), QStringLiteral("画")}},
        {QStringLiteral("NewElseFile"), {QColor(0x6d, 0x7b, 0x8a), QStringLiteral("F+")}},
        {QStringLiteral("DelDate"), {QColor(0xc6, 0x3b, 0x3b), QStringLiteral("✕")}},
        {QStringLiteral("NewSiori"), {QColor(0xe0, 0x7b, 0x39), QStringLiteral("栞")}},
        {QStringLiteral("DelSiori"), {QColor(0xa8, 0x4a, 0x2a), QStringLiteral("栞-")}},
        {QStringLiteral("Kosin"), {QColor(0x1f, 0x9e, 0x9e), QStringLiteral("表")}},
        {QStringLiteral("AtKosin"), {QColor(0x17, 0x80, 0x6d), QStringLiteral("自")}},
        {QStringLiteral("BrBack"), {QColor(0x44, 0x5a, 0x75), QStringLiteral("◀")}},
        {QStringLiteral("BrFow"), {QColor(0x44, 0x5a, 0x75), QStringLiteral("▶")}},
        {QStringLiteral("BrRef"), {QColor(0x44, 0x5a, 0x75), QStringLiteral("↻")}},
        {QStringLiteral("PrjctSyutu"), {QColor(0x8a, 0x5a, 0x1e), QStringLiteral("出")}},
        {QStringLiteral("GoHelp"), {QColor(0x2b, 0x6c, 0xb0), QStringLiteral("?")}},
        {QStringLiteral("JBack"), {QColor(0x44, 0x5a, 0x75), QStringLiteral("◀")}},
        {QStringLiteral("JNext"), {QColor(0x44, 0x5a, 0x75), QStringLiteral("▶")}},
        {QStringLiteral("JRe"), {QColor(0x44, 0x5a, 0x75), QStringLiteral("↻")}},
    };
    return g;
}

QPixmap tile(const Glyph &g, int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(1, 1, size - 2, size - 2), size / 6.0, size / 6.0);
    p.fillPath(path, g.tile);
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(g.sign.size() > 1 ? size * 4 / 10 : size * 6 / 10);
    p.setFont(f);
    p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, g.sign);
    return pm;
}

// A tile drawn at the size asked for, when it is first asked for: a toolbar
// shows one size of each icon, and drawing every size of every icon while the
// main window is made delays its showing.
class TileIconEngine : public QIconEngine
{
public:
    explicit TileIconEngine(const Glyph &glyph)
        : m_glyph(glyph)
    {
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        const int side = std::min(size.width(), size.height());
        return QSize(side, side);
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State) override
    {
        const int side = std::min(size.width(), size.height());
        if (side <= 0)
            return QPixmap();
        const quint64 key = (quint64(side) << 8) | quint64(mode);
        if (const auto it = m_drawn.constFind(key); it != m_drawn.constEnd())
            return *it;
        QPixmap pm = tile(m_glyph, side);
        if (mode != QIcon::Normal) {
            // Disabled and selected looks as the style gives them to any icon.
            QStyleOption option;
            option.palette = QApplication::palette();
            pm = QApplication::style()->generatedIconPixmap(mode, pm, &option);
        }
        m_drawn.insert(key, pm);
        return pm;
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap pm = pixmap(rect.size() * ratio, mode, state);
        pm.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect.topLeft(), pm);
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {QSize(16, 16), QSize(24, 24), QSize(32, 32), QSize(48, 48)};
    }

    QIconEngine *clone() const override { return new TileIconEngine(*this); }

private:
    Glyph m_glyph;
    QHash<quint64, QPixmap> m_drawn;
};

} // namespace

QIcon ToolbarIcon(const QString &key)
{
    return QIcon(new TileIconEngine(glyphs().value(key, Glyph{QColor(0x77, 0x77, 0x77), QStringLiteral("・")})));
}

QPixmap PlaceholderPicture()
{
    QPixmap pm(64, 64);
    pm.fill(QColor(0xee, 0xee, 0xee));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0xaa, 0xaa, 0xaa), 2));
    p.drawRect(QRectF(4, 4, 56, 56));
    // A small landscape: a sun and a hill, crossed out.
    p.setBrush(QColor(0xcc, 0xcc, 0xcc));
    p.drawEllipse(QPointF(22, 22), 6, 6);
    QPainterPath hill;
    hill.moveTo(6, 56);
    hill.lineTo(26, 34);
    hill.lineTo(38, 46);
    hill.lineTo(46, 38);
    hill.lineTo(58, 56);
    hill.closeSubpath();
    p.drawPath(hill);
    p.setPen(QPen(QColor(0xc6, 0x3b, 0x3b), 3));
    p.drawLine(QPointF(12, 12), QPointF(52, 52));
    return pm;
}

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 32, 64})
        icon.addPixmap(tile(Glyph{QColor(0x2b, 0x6c, 0xb0), QStringLiteral("ミ")}, size));
    return icon;
}
