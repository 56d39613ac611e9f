#include "TaguSien_AddBunki.h"

#include "AccessibleNames.h"
#include "AuthoringText.h"
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

const QStringList TypeItems = {QStringLiteral("整数型"), QStringLiteral("文字列型"), QStringLiteral("真偽型")};
const QStringList ComparisonItems = {QStringLiteral("一致(=)"),  QStringLiteral("より大きい(<)"),
                                     QStringLiteral("より小さい(>)"), QStringLiteral("以上(<=)"),
                                     QStringLiteral("以下(>=)"), QStringLiteral("不一致(<>)")};

QRadioButton *Radio(const QString &text, const QString &name, QWidget *parent)
{
    auto *r = new QRadioButton(text, parent);
    r->setObjectName(name);
    return r;
}

} // namespace

TaguSien_AddBunki::TaguSien_AddBunki(WizProgram &program, bool WizEditNew, qint16 WizEditIndex, QWidget *parent)
    : TaguSien_AddBunki(OpBunki, QStringLiteral("条件分岐　もし～ならば"), program, WizEditNew, WizEditIndex, parent)
{
    setObjectName(QStringLiteral("TaguSien_AddBunki"));
}

TaguSien_AddBunki::TaguSien_AddBunki(qint16 code, const QString &caption, WizProgram &program, bool WizEditNew,
                                     qint16 WizEditIndex, QWidget *parent)
    : WizStatementDialog(program, WizEditNew, WizEditIndex, parent)
    , m_code(code)
{
    setWindowTitle(caption);
    build();
    if (const WizOp *op = editedOp())
        load(*op);
    updateStates();
}

TaguSien_AddLoop::TaguSien_AddLoop(WizProgram &program, bool WizEditNew, qint16 WizEditIndex, QWidget *parent)
    : TaguSien_AddBunki(OpLoopEnd, QStringLiteral("ループ終了"), program, WizEditNew, WizEditIndex, parent)
{
    setObjectName(QStringLiteral("TaguSien_AddLoop"));
}

void TaguSien_AddBunki::build()
{
    m_Combo1 = new QComboBox(this);
    m_Combo1->setObjectName(QStringLiteral("Combo1"));
    m_Combo1->addItems(TypeItems);
    m_Combo2 = new QComboBox(this);
    m_Combo2->setObjectName(QStringLiteral("Combo2"));
    m_Combo2->addItems(ComparisonItems);
    NameControl(m_Combo2, QStringLiteral("比較の方法"));

    // The two sides share one layout; only the control names differ.
    struct Names
    {
        const char16_t *frame, *direct, *variable, *values, *textLabel, *text, *numberLabel, *number, *numberUpDown,
            *boolLabel, *isTrue, *isFalse, *typeLabel, *varLabel, *varNumber, *varUpDown;
    };
    const Names names[2] = {
        {u"Frame3", u"Option1", u"Option2", u"Frame1", u"Label4", u"Text1", u"Label5", u"Text3", u"UpDown2",
         u"Label6", u"Option3", u"Option4", u"Label8", u"Label7", u"Text4", u"UpDown3"},
        {u"Frame4", u"Option8", u"Option5", u"Frame2", u"Label3", u"Text5", u"Label9", u"Text6", u"UpDown1",
         u"Label10", u"Option7", u"Option6", u"Label11", u"Label12", u"Text2", u"UpDown4"},
    };
    const auto N = [](const char16_t *s) { return QString::fromUtf16(s); };

    auto *sides = new QHBoxLayout;
    for (int k = 0; k < 2; ++k) {
        const Names &n = names[k];
        Side &s = k == 0 ? m_left : m_right;
        s.frame = new QGroupBox(k == 0 ? QStringLiteral("左辺") : QStringLiteral("右辺"), this);
        s.frame->setObjectName(N(n.frame));
        s.direct = Radio(QStringLiteral("直接指定する"), N(n.direct), s.frame);
        s.variable = Radio(QStringLiteral("変数から指定"), N(n.variable), s.frame);
        auto *sourceGroup = new QButtonGroup(s.frame);
        sourceGroup->addButton(s.direct);
        sourceGroup->addButton(s.variable);
        s.direct->setChecked(true);

        s.values = new QGroupBox(QStringLiteral("値"), s.frame);
        s.values->setObjectName(N(n.values));
        s.text = new QLineEdit(QStringLiteral("比較する文字列"), s.values);
        s.text->setObjectName(N(n.text));
        s.number = numberBox(NumberBox::Kind::Constant, N(n.number), N(n.numberUpDown));
        s.isTrue = Radio(QStringLiteral("True"), N(n.isTrue), s.values);
        s.isFalse = Radio(QStringLiteral("False"), N(n.isFalse), s.values);
        auto *boolGroup = new QButtonGroup(s.values);
        boolGroup->addButton(s.isTrue);
        boolGroup->addButton(s.isFalse);
        s.isTrue->setChecked(true);

        auto *valuesGrid = new QGridLayout(s.values);
        valuesGrid->addWidget(label(QStringLiteral("文字列"), N(n.textLabel), s.text), 0, 0);
        valuesGrid->addWidget(s.text, 0, 1, 1, 2);
        valuesGrid->addWidget(label(QStringLiteral("整数"), N(n.numberLabel), s.number), 1, 0);
        valuesGrid->addWidget(s.number, 1, 1, 1, 2);
        valuesGrid->addWidget(label(QStringLiteral("真偽"), N(n.boolLabel), s.isTrue), 2, 0);
        valuesGrid->addWidget(s.isTrue, 2, 1);
        valuesGrid->addWidget(s.isFalse, 2, 2);

        s.varNumber = numberBox(NumberBox::Kind::Count, N(n.varNumber), N(n.varUpDown));
        s.typeLabel = label(QStringLiteral("整数型変数："), N(n.typeLabel), s.varNumber);
        auto *varRow = new QHBoxLayout;
        varRow->addWidget(s.typeLabel);
        varRow->addWidget(label(QStringLiteral("変数番号："), N(n.varLabel), s.varNumber));
        varRow->addWidget(s.varNumber);

        auto *frameLayout = new QVBoxLayout(s.frame);
        frameLayout->addWidget(s.direct);
        frameLayout->addWidget(s.values);
        frameLayout->addWidget(s.variable);
        frameLayout->addLayout(varRow);
        sides->addWidget(s.frame);

        connect(sourceGroup, &QButtonGroup::buttonToggled, this, [this] { updateStates(); });
    }
    connect(m_Combo1, &QComboBox::currentIndexChanged, this, [this] { updateStates(); });

    QPushButton *ok = button(QStringLiteral("OK"), QStringLiteral("Command2"));
    ok->setDefault(true);
    QPushButton *cancel = button(QStringLiteral("キャンセル"), QStringLiteral("Command1"));
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &TaguSien_AddBunki::okClicked);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *typeRow = new QHBoxLayout;
    typeRow->addWidget(label(QStringLiteral("比較する値："), QStringLiteral("Label1"), m_Combo1));
    typeRow->addWidget(m_Combo1);
    typeRow->addWidget(m_Combo2);
    typeRow->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *top = new QVBoxLayout(this);
    top->addLayout(typeRow);
    top->addLayout(sides);
    top->addLayout(buttons);

    // Tab follows the layout: type, comparison, then each side top to bottom.
    setTabOrder(m_Combo1, m_Combo2);
}

qint16 TaguSien_AddBunki::type() const
{
    return HensuTypeOfText(m_Combo1->currentText());
}

void TaguSien_AddBunki::load(const WizOp &op)
{
    const qint16 t = op.I(0);
    const int typeRow = t == HensuStr ? 1 : t == HensuBool ? 2 : 0;
    m_Combo1->setCurrentIndex(typeRow);
    const qint16 c = op.I(3);
    m_Combo2->setCurrentIndex(c >= 0 && c <= 5 ? c : 0);
    loadSide(m_left, op, type(), 1, 2, 0);
    loadSide(m_right, op, type(), 4, 5, 1);
}

void TaguSien_AddBunki::loadSide(Side &s, const WizOp &op, qint16 t, int sourceField, int valueField, int textField)
{
    if (op.I(sourceField) != 0) {
        s.variable->setChecked(true);
        s.varNumber->setValue(qint16(op.I(valueField) + 1));
        return;
    }
    s.direct->setChecked(true);
    switch (t) {
    case HensuInt:
        s.number->setValue(op.I(valueField));
        break;
    case HensuStr:
        s.text->setText(op.S(textField));
        break;
    case HensuBool:
        (op.I(valueField) == 1 ? s.isTrue : s.isFalse)->setChecked(true);
        break;
    default:
        break;
    }
}

WizOp TaguSien_AddBunki::buildOp() const
{
    WizOp op = MakeWizOp(m_code);
    const qint16 t = type();
    op.IntDat[0] = t;
    op.IntDat[3] = t == HensuInt ? qint16(m_Combo2->currentIndex()) : qint16(0);
    writeSide(m_left, op, t, 1, 2, 0);
    writeSide(m_right, op, t, 4, 5, 1);
    return op;
}

void TaguSien_AddBunki::writeSide(const Side &s, WizOp &op, qint16 t, int sourceField, int valueField,
                                  int textField) const
{
    if (s.variable->isChecked()) {
        op.IntDat[sourceField] = 1;
        op.IntDat[valueField] = qint16(s.varNumber->value() - 1);
        return;
    }
    op.IntDat[sourceField] = 0;
    switch (t) {
    case HensuInt:
        op.IntDat[valueField] = s.number->value();
        break;
    case HensuStr:
        op.StrDat[textField] = s.text->text();
        break;
    case HensuBool:
        op.IntDat[valueField] = s.isTrue->isChecked() ? 1 : 0;
        break;
    default:
        break;
    }
}

QString TaguSien_AddBunki::refusal(const WizOp &op) const
{
    QString why = WizTextRefusal(QStringLiteral("左辺の文字列"), op.S(0));
    if (why.isEmpty())
        why = WizTextRefusal(QStringLiteral("右辺の文字列"), op.S(1));
    return why;
}

void TaguSien_AddBunki::updateStates()
{
    const qint16 t = type();
    // Text and Boolean conditions always test equality.
    if (t != HensuInt)
        m_Combo2->setCurrentIndex(0);
    m_Combo2->setEnabled(t == HensuInt);
    for (Side *s : {&m_left, &m_right}) {
        const bool direct = s->direct->isChecked();
        s->text->setEnabled(direct && t == HensuStr);
        s->number->setEnabled(direct && t == HensuInt);
        s->isTrue->setEnabled(direct && t == HensuBool);
        s->isFalse->setEnabled(direct && t == HensuBool);
        s->varNumber->setEnabled(!direct);
        s->typeLabel->setText(HensuTypeLabel(t));
    }
}
