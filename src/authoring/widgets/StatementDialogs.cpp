#include "StatementDialogs.h"

#include "AccessibleNames.h"
#include "AuthoringText.h"
#include "UiService.h"
#include "WizTextCheck.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QRadioButton *Radio(const QString &text, const QString &name, QWidget *parent)
{
    auto *r = new QRadioButton(text, parent);
    r->setObjectName(name);
    return r;
}

QComboBox *Combo(const QString &name, const QStringList &items, QWidget *parent)
{
    auto *c = new QComboBox(parent);
    c->setObjectName(name);
    c->addItems(items);
    return c;
}

void Pair(QRadioButton *a, QRadioButton *b, QObject *owner)
{
    auto *group = new QButtonGroup(owner);
    group->addButton(a);
    group->addButton(b);
    a->setChecked(true);
}

// The OK and cancel row of a dialog.
QHBoxLayout *ButtonRow(QPushButton *ok, QPushButton *cancel)
{
    ok->setDefault(true);
    cancel->setAutoDefault(false);
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

} // namespace

// ---- 変数の設定 ----------------------------------------------------------

TaguSien_AddHensuSettei::TaguSien_AddHensuSettei(WizProgram &program, qint16 WizEditIndex, QWidget *parent)
    : WizStatementDialog(program, false, WizEditIndex, parent)
{
    setObjectName(QStringLiteral("TaguSien_AddHensuSettei"));
    setWindowTitle(QStringLiteral("変数の設定"));
    const QString captions[3] = {QStringLiteral("整数型変数の数："), QStringLiteral("文字列変数の数："),
                                 QStringLiteral("真偽型変数の数：")};
    auto *grid = new QGridLayout(this);
    const WizOp *op = editedOp();
    for (int k = 0; k < 3; ++k) {
        m_Text[k] = numberBox(NumberBox::Kind::Count, QStringLiteral("Text%1").arg(k + 1),
                              QStringLiteral("UpDown%1").arg(k + 1));
        grid->addWidget(label(captions[k], QStringLiteral("Label%1").arg(k + 1), m_Text[k]), k, 0);
        grid->addWidget(m_Text[k], k, 1);
        if (op)
            m_Text[k]->setValue(qint16(op->I(k) + 1));
    }
    QPushButton *ok = button(QStringLiteral("OK"), QStringLiteral("Command1"));
    QPushButton *cancel = button(QStringLiteral("キャンセル"), QStringLiteral("Command2"));
    connect(ok, &QPushButton::clicked, this, &TaguSien_AddHensuSettei::okClicked);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    grid->addLayout(ButtonRow(ok, cancel), 3, 0, 1, 2);
}

WizOp TaguSien_AddHensuSettei::buildOp() const
{
    return MakeWizOp(OpHensuSettei, {qint16(m_Text[0]->value() - 1), qint16(m_Text[1]->value() - 1),
                                     qint16(m_Text[2]->value() - 1)});
}

void TaguSien_AddHensuSettei::okClicked()
{
    // The declaration is changed in place: its three counts only.
    if (WizEditIndex() < 0 || WizEditIndex() >= m_program.ops.size()) {
        reject();
        return;
    }
    WizOp &op = m_program.ops[WizEditIndex()];
    const WizOp built = buildOp();
    if (op.IntDat.size() < 3)
        op.IntDat.resize(3);
    for (int k = 0; k < 3; ++k)
        op.IntDat[k] = built.IntDat.at(k);
    accept();
}

// ---- 出力 ----------------------------------------------------------------

TaguSien_AddOutPut::TaguSien_AddOutPut(WizProgram &program, bool WizEditNew, qint16 WizEditIndex, QWidget *parent)
    : WizStatementDialog(program, WizEditNew, WizEditIndex, parent)
{
    setObjectName(QStringLiteral("TaguSien_AddOutPut"));
    setWindowTitle(QStringLiteral("出力"));
    m_Option1 = Radio(QStringLiteral("直接指定する"), QStringLiteral("Option1"), this);
    m_Option2 = Radio(QStringLiteral("変数から指定"), QStringLiteral("Option2"), this);
    Pair(m_Option1, m_Option2, this);
    m_Text1 = new QLineEdit(QStringLiteral("出力する文字列"), this);
    m_Text1->setObjectName(QStringLiteral("Text1"));
    m_Combo1 = Combo(QStringLiteral("Combo1"),
                     {QStringLiteral("文字列型変数"), QStringLiteral("整数型変数"), QStringLiteral("真偽型変数")}, this);
    m_Text2 = numberBox(NumberBox::Kind::Count, QStringLiteral("Text2"), QStringLiteral("UpDown1"));
    NameControl(m_Text1, QStringLiteral("出力する文字列"));
    NameControl(m_Combo1, QStringLiteral("変数の型"));

    auto *grid = new QGridLayout(this);
    grid->addWidget(m_Option1, 0, 0);
    grid->addWidget(m_Text1, 0, 1, 1, 3);
    grid->addWidget(m_Option2, 1, 0);
    grid->addWidget(m_Combo1, 1, 1);
    grid->addWidget(label(QStringLiteral("変数番号："), QStringLiteral("Label1"), m_Text2), 1, 2);
    grid->addWidget(m_Text2, 1, 3);
    QPushButton *ok = button(QStringLiteral("OK"), QStringLiteral("Command1"));
    QPushButton *cancel = button(QStringLiteral("キャンセル"), QStringLiteral("Command2"));
    connect(ok, &QPushButton::clicked, this, &TaguSien_AddOutPut::okClicked);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    grid->addLayout(ButtonRow(ok, cancel), 2, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    setMinimumWidth(460);

    if (const WizOp *op = editedOp()) {
        if (op->I(0) == 1) {
            m_Option2->setChecked(true);
            const QString letter = op->S(0);
            m_Combo1->setCurrentIndex(letter == u"I" ? 1 : letter == u"B" ? 2 : 0);
            m_Text2->setValue(qint16(op->I(1) + 1));
        } else {
            m_Text1->setText(op->S(0));
        }
    }
    connect(m_Option1, &QRadioButton::toggled, this, &TaguSien_AddOutPut::updateStates);
    updateStates();
}

void TaguSien_AddOutPut::updateStates()
{
    const bool direct = m_Option1->isChecked();
    m_Text1->setEnabled(direct);
    m_Combo1->setEnabled(!direct);
    m_Text2->setEnabled(!direct);
}

WizOp TaguSien_AddOutPut::buildOp() const
{
    if (m_Option1->isChecked())
        return MakeWizOp(OpOutPut, {0, 0}, {m_Text1->text()});
    static const QString letters[3] = {QStringLiteral("S"), QStringLiteral("I"), QStringLiteral("B")};
    const int row = qBound(0, m_Combo1->currentIndex(), 2);
    return MakeWizOp(OpOutPut, {1, qint16(m_Text2->value() - 1)}, {letters[row]});
}

QString TaguSien_AddOutPut::refusal(const WizOp &op) const
{
    return WizTextRefusal(QStringLiteral("出力する文字列"), op.S(0));
}

// ---- 変数に代入 ----------------------------------------------------------

TaguSien_AddDainyu::TaguSien_AddDainyu(WizProgram &program, bool WizEditNew, qint16 WizEditIndex, QWidget *parent)
    : WizStatementDialog(program, WizEditNew, WizEditIndex, parent)
{
    setObjectName(QStringLiteral("TaguSien_AddDainyu"));
    setWindowTitle(QStringLiteral("変数に代入"));
    m_Combo1 = Combo(QStringLiteral("Combo1"),
                     {QStringLiteral("整数型変数"), QStringLiteral("文字列型変数"), QStringLiteral("真偽型変数")}, this);
    m_Text2 = numberBox(NumberBox::Kind::Count, QStringLiteral("Text2"), QStringLiteral("UpDown1"));

    auto *frame = new QGroupBox(QStringLiteral("値"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    m_Option1 = Radio(QStringLiteral("直接指定する"), QStringLiteral("Option1"), frame);
    m_Option2 = Radio(QStringLiteral("変数から指定"), QStringLiteral("Option2"), frame);
    Pair(m_Option1, m_Option2, frame);
    m_Text1 = new QLineEdit(QStringLiteral("代入する文字列"), frame);
    m_Text1->setObjectName(QStringLiteral("Text1"));
    m_Text3 = numberBox(NumberBox::Kind::Constant, QStringLiteral("Text3"), QStringLiteral("UpDown2"));
    m_Option3 = Radio(QStringLiteral("True"), QStringLiteral("Option3"), frame);
    m_Option4 = Radio(QStringLiteral("False"), QStringLiteral("Option4"), frame);
    Pair(m_Option3, m_Option4, frame);
    m_Text4 = numberBox(NumberBox::Kind::Count, QStringLiteral("Text4"), QStringLiteral("UpDown3"));
    m_Label8 = label(HensuTypeLabel(HensuInt), QStringLiteral("Label8"), m_Text4);

    auto *values = new QGridLayout(frame);
    values->addWidget(m_Option1, 0, 0, 1, 3);
    values->addWidget(label(QStringLiteral("文字列"), QStringLiteral("Label4"), m_Text1), 1, 0);
    values->addWidget(m_Text1, 1, 1, 1, 2);
    values->addWidget(label(QStringLiteral("整数"), QStringLiteral("Label5"), m_Text3), 2, 0);
    values->addWidget(m_Text3, 2, 1, 1, 2);
    values->addWidget(label(QStringLiteral("真偽"), QStringLiteral("Label6"), m_Option3), 3, 0);
    values->addWidget(m_Option3, 3, 1);
    values->addWidget(m_Option4, 3, 2);
    values->addWidget(m_Option2, 4, 0, 1, 3);
    auto *source = new QHBoxLayout;
    source->addWidget(label(QStringLiteral("代入元の変数："), QStringLiteral("Label2"), m_Text4));
    source->addWidget(m_Label8);
    source->addWidget(label(QStringLiteral("変数番号："), QStringLiteral("Label7"), m_Text4));
    source->addWidget(m_Text4);
    values->addLayout(source, 5, 0, 1, 3);

    auto *top = new QVBoxLayout(this);
    auto *target = new QHBoxLayout;
    target->addWidget(label(QStringLiteral("代入先のデータ："), QStringLiteral("Label3"), m_Combo1));
    target->addWidget(m_Combo1);
    target->addWidget(label(QStringLiteral("変数番号："), QStringLiteral("Label1"), m_Text2));
    target->addWidget(m_Text2);
    top->addLayout(target);
    top->addWidget(frame);
    QPushButton *ok = button(QStringLiteral("OK"), QStringLiteral("Command1"));
    QPushButton *cancel = button(QStringLiteral("キャンセル"), QStringLiteral("Command2"));
    connect(ok, &QPushButton::clicked, this, &TaguSien_AddDainyu::okClicked);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    top->addLayout(ButtonRow(ok, cancel));

    if (const WizOp *op = editedOp()) {
        const qint16 t = op->I(0);
        m_Combo1->setCurrentIndex(t == HensuStr ? 1 : t == HensuBool ? 2 : 0);
        m_Text2->setValue(qint16(op->I(2) + 1));
        if (op->I(1) != 0) {
            m_Option2->setChecked(true);
            m_Text4->setValue(qint16(op->I(3) + 1));
        } else if (t == HensuStr) {
            m_Text1->setText(op->S(0));
        } else if (t == HensuInt) {
            m_Text3->setValue(op->I(3));
        } else if (t == HensuBool) {
            (op->I(3) == 1 ? m_Option3 : m_Option4)->setChecked(true);
        }
    }
    connect(m_Combo1, &QComboBox::currentIndexChanged, this, &TaguSien_AddDainyu::updateStates);
    connect(m_Option1, &QRadioButton::toggled, this, &TaguSien_AddDainyu::updateStates);
    updateStates();
}

qint16 TaguSien_AddDainyu::type() const
{
    return HensuTypeOfText(m_Combo1->currentText());
}

void TaguSien_AddDainyu::updateStates()
{
    const qint16 t = type();
    const bool direct = m_Option1->isChecked();
    m_Text1->setEnabled(direct && t == HensuStr);
    m_Text3->setEnabled(direct && t == HensuInt);
    m_Option3->setEnabled(direct && t == HensuBool);
    m_Option4->setEnabled(direct && t == HensuBool);
    m_Text4->setEnabled(!direct);
    // The source variable has the target's type.
    m_Label8->setText(HensuTypeLabel(t));
}

WizOp TaguSien_AddDainyu::buildOp() const
{
    const qint16 t = type();
    WizOp op = MakeWizOp(OpDainyu);
    op.IntDat[0] = t;
    op.IntDat[2] = qint16(m_Text2->value() - 1);
    if (m_Option2->isChecked()) {
        op.IntDat[1] = 1;
        op.IntDat[3] = qint16(m_Text4->value() - 1);
    } else if (t == HensuStr) {
        op.StrDat[0] = m_Text1->text();
    } else if (t == HensuInt) {
        op.IntDat[3] = m_Text3->value();
    } else if (t == HensuBool) {
        op.IntDat[3] = m_Option3->isChecked() ? 1 : 0;
    }
    return op;
}

QString TaguSien_AddDainyu::refusal(const WizOp &op) const
{
    return WizTextRefusal(QStringLiteral("代入する文字列"), op.S(0));
}

// ---- 数値の計算 ----------------------------------------------------------

TaguSien_AddSisoku::TaguSien_AddSisoku(WizProgram &program, bool WizEditNew, qint16 WizEditIndex, QWidget *parent)
    : WizStatementDialog(program, WizEditNew, WizEditIndex, parent)
{
    setObjectName(QStringLiteral("TaguSien_AddSisoku"));
    setWindowTitle(QStringLiteral("数値の計算"));
    m_Text5 = numberBox(NumberBox::Kind::Count, QStringLiteral("Text5"), QStringLiteral("UpDown5"));
    m_Combo3 = Combo(QStringLiteral("Combo3"),
                     {QStringLiteral("加算（+）"), QStringLiteral("減算（-）"), QStringLiteral("乗算（*）"),
                      QStringLiteral("除算（/）")},
                     this);
    NameControl(m_Combo3, QStringLiteral("計算の種類"));

    // The two sides: a constant or an integer variable each.
    const auto side = [this](const QString &caption, const QString &frameName, QRadioButton *&direct,
                             const QString &directName, NumberBox *&constant, const QString &constName,
                             const QString &constUpDown, QRadioButton *&variable, const QString &varOptName,
                             const QString &varLabelName, NumberBox *&number, const QString &numberName,
                             const QString &numberUpDown) {
        auto *frame = new QGroupBox(caption, this);
        frame->setObjectName(frameName);
        direct = Radio(QStringLiteral("直接指定"), directName, frame);
        variable = Radio(QStringLiteral("整数型変数から指定"), varOptName, frame);
        Pair(direct, variable, frame);
        constant = numberBox(NumberBox::Kind::Constant, constName, constUpDown);
        number = numberBox(NumberBox::Kind::Count, numberName, numberUpDown);
        auto *grid = new QGridLayout(frame);
        grid->addWidget(direct, 0, 0);
        grid->addWidget(constant, 0, 1, 1, 2);
        grid->addWidget(variable, 1, 0);
        grid->addWidget(label(QStringLiteral("変数番号："), varLabelName, number), 1, 1);
        grid->addWidget(number, 1, 2);
        // Both sides have the same captions: the names say which side.
        NameControl(constant, caption + QStringLiteral("の数値"));
        NameControl(number, caption + QStringLiteral("の変数番号"));
        return frame;
    };
    QGroupBox *left = side(QStringLiteral("左辺"), QStringLiteral("Frame1"), m_Option1, QStringLiteral("Option1"),
                           m_Text3, QStringLiteral("Text3"), QStringLiteral("UpDown3"), m_Option2,
                           QStringLiteral("Option2"), QStringLiteral("Label1"), m_Text2, QStringLiteral("Text2"),
                           QStringLiteral("UpDown1"));
    QGroupBox *right = side(QStringLiteral("右辺"), QStringLiteral("Frame2"), m_Option3, QStringLiteral("Option3"),
                            m_Text4, QStringLiteral("Text4"), QStringLiteral("UpDown4"), m_Option4,
                            QStringLiteral("Option4"), QStringLiteral("Label2"), m_Text1, QStringLiteral("Text1"),
                            QStringLiteral("UpDown2"));

    auto *top = new QVBoxLayout(this);
    auto *target = new QHBoxLayout;
    target->addWidget(label(QStringLiteral("計算結果を代入する変数："), QStringLiteral("Label3"), m_Text5));
    target->addWidget(m_Text5);
    target->addStretch();
    top->addLayout(target);
    auto *sides = new QHBoxLayout;
    sides->addWidget(left);
    sides->addWidget(m_Combo3);
    sides->addWidget(right);
    top->addLayout(sides);
    QPushButton *ok = button(QStringLiteral("OK"), QStringLiteral("Command1"));
    QPushButton *cancel = button(QStringLiteral("キャンセル"), QStringLiteral("Command2"));
    connect(ok, &QPushButton::clicked, this, &TaguSien_AddSisoku::okClicked);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    top->addLayout(ButtonRow(ok, cancel));

    if (const WizOp *op = editedOp()) {
        const qint16 o = op->I(0);
        m_Combo3->setCurrentIndex(o >= 0 && o <= 3 ? o : 0);
        m_Text5->setValue(qint16(op->I(1) + 1));
        if (op->I(2) == 1) {
            m_Option2->setChecked(true);
            m_Text2->setValue(qint16(op->I(3) + 1));
        } else {
            m_Text3->setValue(op->I(3));
        }
        if (op->I(4) == 1) {
            m_Option4->setChecked(true);
            m_Text1->setValue(qint16(op->I(5) + 1));
        } else {
            m_Text4->setValue(op->I(5));
        }
    }
    connect(m_Option1, &QRadioButton::toggled, this, &TaguSien_AddSisoku::updateStates);
    connect(m_Option3, &QRadioButton::toggled, this, &TaguSien_AddSisoku::updateStates);
    updateStates();
}

void TaguSien_AddSisoku::updateStates()
{
    m_Text3->setEnabled(m_Option1->isChecked());
    m_Text2->setEnabled(!m_Option1->isChecked());
    m_Text4->setEnabled(m_Option3->isChecked());
    m_Text1->setEnabled(!m_Option3->isChecked());
}

WizOp TaguSien_AddSisoku::buildOp() const
{
    WizOp op = MakeWizOp(OpSisoku);
    op.IntDat[0] = qint16(qMax(0, m_Combo3->currentIndex()));
    op.IntDat[1] = qint16(m_Text5->value() - 1);
    const bool leftVar = m_Option2->isChecked();
    op.IntDat[2] = leftVar ? 1 : 0;
    op.IntDat[3] = leftVar ? qint16(m_Text2->value() - 1) : m_Text3->value();
    const bool rightVar = m_Option4->isChecked();
    op.IntDat[4] = rightVar ? 1 : 0;
    op.IntDat[5] = rightVar ? qint16(m_Text1->value() - 1) : m_Text4->value();
    return op;
}
