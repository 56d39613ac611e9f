#pragma once

#include <QWidget>

#include <functional>
#include <optional>

class QLineEdit;
class QToolButton;

// A number box with its up/down buttons, as every settings and statement
// dialog uses it. Every change of the text is checked: a text that is not a
// 16-bit signed integer sounds the warning beep and puts the last valid value
// back; a count box (a count or a variable number) also refuses values below 1,
// with a beep, and shows 1. The buttons add or take 1 and stop at the 16-bit
// limits.
//
// The box and the buttons are separate child widgets carrying their own
// object names (the text box's name, and the buttons' name with "_Up" and
// "_Down" for the two arrows), so a label can name the text box as its buddy.
class NumberBox : public QWidget
{
    Q_OBJECT

public:
    enum class Kind {
        Count,    // counts and variable numbers: at least 1, starts at 1
        Constant, // any 16-bit value, starts at 0
    };
    using Parser = std::function<std::optional<qint16>(const QString &)>;

    // textName and upDownName are the object names of the text box and of
    // the up/down buttons. parser converts a text (by default: decimal digits
    // with an optional sign).
    NumberBox(Kind kind, const QString &textName, const QString &upDownName, QWidget *parent = nullptr,
              Parser parser = {});

    qint16 value() const { return m_value; }
    // Shows a value (itself checked like a typed text: a count below 1 beeps
    // and becomes 1).
    void setValue(qint16 value);

    QLineEdit *textBox() const { return m_text; }
    QWidget *upDown() const { return m_upDown; }

    // Adds delta (+1 or -1) unless that would leave the 16-bit range.
    void step(int delta);

Q_SIGNALS:
    void valueChanged(qint16 value);

private:
    void checkText();

    Kind m_kind;
    Parser m_parser;
    QLineEdit *m_text = nullptr;
    QWidget *m_upDown = nullptr;
    QToolButton *m_up = nullptr;
    QToolButton *m_down = nullptr;
    qint16 m_value = 0;
    bool m_restoring = false;
};
