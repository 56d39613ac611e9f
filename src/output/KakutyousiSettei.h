#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The extension dialog "拡張子の設定": edits an output extension without its
// dot. There is no cancel button; closing the window keeps the text it was
// opened with.
class KakutyousiSettei : public QDialog
{
    Q_OBJECT

public:
    explicit KakutyousiSettei(const QString &kakutyousiStr, QWidget *parent = nullptr);

    // The extension without its dot: the text stored by OK, else the one the
    // dialog was opened with.
    QString kakutyousiStr() const { return m_kakutyousiStr; }

    // The label text for an extension text.
    static QString labelFor(const QString &text);

private:
    QLabel *m_label1 = nullptr;
    QLineEdit *m_text1 = nullptr;
    QPushButton *m_command1 = nullptr;
    QString m_kakutyousiStr;
};
