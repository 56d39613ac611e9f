#include "NumberBox.h"

#include "AccessibleNames.h"
#include "FieldReader.h"
#include "UiService.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <limits>

NumberBox::NumberBox(Kind kind, const QString &textName, const QString &upDownName, QWidget *parent, Parser parser)
    : QWidget(parent)
    , m_kind(kind)
    , m_parser(parser ? std::move(parser) : Parser([](const QString &t) { return FieldReader::toInt16(t); }))
    , m_value(kind == Kind::Count ? 1 : 0)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);

    m_text = new QLineEdit(QString::number(m_value), this);
    m_text->setObjectName(textName);
    row->addWidget(m_text, 1);
    setFocusProxy(m_text);

    m_upDown = new QWidget(this);
    m_upDown->setObjectName(upDownName);
    auto *buttons = new QVBoxLayout(m_upDown);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(0);
    m_up = new QToolButton(m_upDown);
    m_up->setObjectName(upDownName + QStringLiteral("_Up"));
    m_down = new QToolButton(m_upDown);
    m_down->setObjectName(upDownName + QStringLiteral("_Down"));
    for (QToolButton *b : {m_up, m_down}) {
        b->setArrowType(b == m_up ? Qt::UpArrow : Qt::DownArrow);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(16, 11);
        buttons->addWidget(b);
    }
    NameUpDown(m_up, m_down);
    row->addWidget(m_upDown);

    connect(m_text, &QLineEdit::textChanged, this, &NumberBox::checkText);
    connect(m_up, &QToolButton::clicked, this, [this] { step(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { step(-1); });
}

void NumberBox::setValue(qint16 value)
{
    const QString text = QString::number(value);
    if (m_text->text() == text) {
        // The same text: no change signal, so check it here.
        checkText();
        return;
    }
    m_text->setText(text);
}

void NumberBox::step(int delta)
{
    const int next = int(m_value) + delta;
    if (next > std::numeric_limits<qint16>::max() || next < std::numeric_limits<qint16>::min())
        return; // the limit: the value stays
    // Shown as a typed text, so a count spun below 1 beeps and comes back to 1.
    m_text->setText(QString::number(next));
}

void NumberBox::checkText()
{
    if (m_restoring)
        return;
    const std::optional<qint16> parsed = m_parser(m_text->text());
    qint16 next = m_value;
    bool restore = false;
    if (!parsed) {
        Ui().beep();
        restore = true;
    } else if (m_kind == Kind::Count && *parsed < 1) {
        Ui().beep();
        next = 1;
        restore = true;
    } else {
        next = *parsed;
    }
    if (restore) {
        m_restoring = true;
        const int caret = m_text->cursorPosition();
        m_text->setText(QString::number(next));
        m_text->setCursorPosition(qMin(caret, int(m_text->text().size())));
        m_restoring = false;
    }
    if (next != m_value) {
        m_value = next;
        Q_EMIT valueChanged(m_value);
    }
}
