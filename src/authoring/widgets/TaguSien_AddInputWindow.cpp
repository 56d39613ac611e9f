#include "TaguSien_AddInputWindow.h"

#include "AccessibleNames.h"
#include "AuthoringText.h"
#include "WizRun.h"
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

const QStringList KindItems = {QStringLiteral("無し"),
                               QStringLiteral("テキストボックス（文字列）"),
                               QStringLiteral("テキストボックス（整数）"),
                               QStringLiteral("チェックボックス（真偽）"),
                               QStringLiteral("オプション（真偽）"),
                               QStringLiteral("HTMLファイル名（文字列）"),
                               QStringLiteral("画像ファイル名（文字列）"),
                               QStringLiteral("他のファイル名（文字列）"),
                               QStringLiteral("ラベル（無し）"),
                               QStringLiteral("色（文字列）")};

// The value type of a kind position: text, integer, Boolean, or -1 for none
// and label.
qint16 KindType(int pos)
{
    switch (pos - 1) {
    case 0:
    case 4:
    case 5:
    case 6:
    case 8:
        return HensuStr;
    case 1:
        return HensuInt;
    case 2:
    case 3:
        return HensuBool;
    default:
        return -1;
    }
}

QRadioButton *Radio(const QString &text, const QString &name, QWidget *parent)
{
    auto *r = new QRadioButton(text, parent);
    r->setObjectName(name);
    return r;
}

} // namespace

TaguSien_AddInputWindow::TaguSien_AddInputWindow(WizProgram &program, bool WizEditNew, qint16 WizEditIndex,
                                                 QWidget *parent)
    : WizStatementDialog(program, WizEditNew, WizEditIndex, parent)
{
    setObjectName(QStringLiteral("TaguSien_AddInputWindow"));
    setWindowTitle(QStringLiteral("入力ウィンドウの表示"));

    m_Text3 = new QLineEdit(QStringLiteral("タグ挿入ウィザード"), this);
    m_Text3->setObjectName(QStringLiteral("Text3"));
    m_Option[0] = Radio(QStringLiteral("\"次へ\""), QStringLiteral("Option1"), this);
    m_Option[1] = Radio(QStringLiteral("\"完了\""), QStringLiteral("Option2"), this);
    m_Option[2] = Radio(QStringLiteral("ボタンを無効にする（獲得した値は利用できません）"), QStringLiteral("Option3"), this);
    auto *buttonGroup = new QButtonGroup(this);
    for (QRadioButton *r : m_Option)
        buttonGroup->addButton(r);
    m_Option[0]->setChecked(true);

    m_Combo1 = new QComboBox(this);
    m_Combo1->setObjectName(QStringLiteral("Combo1"));
    m_Combo1->addItems({QStringLiteral("１つ目のオブジェクト"), QStringLiteral("２つ目のオブジェクト"),
                        QStringLiteral("３つ目のオブジェクト"), QStringLiteral("４つ目のオブジェクト")});

    auto *frame1 = new QGroupBox(QStringLiteral("入力されるデータ"), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    m_Combo2 = new QComboBox(frame1);
    m_Combo2->setObjectName(QStringLiteral("Combo2"));
    m_Combo2->addItems(KindItems);
    m_Text1 = new QLineEdit(QStringLiteral("オブジェクト"), frame1);
    m_Text1->setObjectName(QStringLiteral("Text1"));
    m_Text2 = numberBox(NumberBox::Kind::Count, QStringLiteral("Text2"), QStringLiteral("UpDown1"));
    m_Label4 = label(HensuTypeLabel(-1), QStringLiteral("Label4"), m_Text2);

    auto *frame2 = new QGroupBox(QStringLiteral("初期値"), frame1);
    frame2->setObjectName(QStringLiteral("Frame2"));
    m_Text5 = new QLineEdit(frame2);
    m_Text5->setObjectName(QStringLiteral("Text5"));
    m_Text6 = numberBox(NumberBox::Kind::Constant, QStringLiteral("Text6"), QStringLiteral("UpDown2"));
    NameControl(m_Combo2, QStringLiteral("オブジェクトの種類"));
    NameControl(m_Text6, QStringLiteral("整数の初期値"));
    m_Option7 = Radio(QStringLiteral("True"), QStringLiteral("Option7"), frame2);
    m_Option6 = Radio(QStringLiteral("False"), QStringLiteral("Option6"), frame2);
    auto *boolGroup = new QButtonGroup(frame2);
    boolGroup->addButton(m_Option7);
    boolGroup->addButton(m_Option6);
    m_Option7->setChecked(true);

    auto *initial = new QGridLayout(frame2);
    initial->addWidget(m_Text5, 0, 0, 1, 2);
    initial->addWidget(m_Text6, 1, 0, 1, 2);
    initial->addWidget(m_Option7, 2, 0);
    initial->addWidget(m_Option6, 2, 1);

    auto *dataGrid = new QGridLayout(frame1);
    dataGrid->addWidget(m_Combo2, 0, 0, 1, 4);
    dataGrid->addWidget(label(QStringLiteral("オブジェクトのテキスト（説明）："), QStringLiteral("Label5"), m_Text1), 1, 0, 1, 4);
    dataGrid->addWidget(m_Text1, 2, 0, 1, 4);
    dataGrid->addWidget(label(QStringLiteral("データを受ける変数："), QStringLiteral("Label2"), m_Text2), 3, 0);
    dataGrid->addWidget(m_Label4, 3, 1);
    dataGrid->addWidget(label(QStringLiteral("変数番号："), QStringLiteral("Label3"), m_Text2), 3, 2);
    dataGrid->addWidget(m_Text2, 3, 3);
    dataGrid->addWidget(frame2, 4, 0, 1, 4);

    auto *top = new QGridLayout(this);
    top->addWidget(label(QStringLiteral("ウィンドウタイトル："), QStringLiteral("Label6"), m_Text3), 0, 0);
    top->addWidget(m_Text3, 0, 1);
    top->addWidget(label(QStringLiteral("ボタンの文字："), QStringLiteral("Label7"), m_Option[0]), 1, 0);
    auto *buttonRow = new QVBoxLayout;
    for (QRadioButton *r : m_Option)
        buttonRow->addWidget(r);
    top->addLayout(buttonRow, 1, 1);
    top->addWidget(label(QStringLiteral("オブジェクト："), QStringLiteral("Label1"), m_Combo1), 2, 0);
    top->addWidget(m_Combo1, 2, 1);
    top->addWidget(frame1, 3, 0, 1, 2);
    QPushButton *ok = button(QStringLiteral("OK"), QStringLiteral("Command1"));
    QPushButton *cancel = button(QStringLiteral("キャンセル"), QStringLiteral("Command2"));
    ok->setDefault(true);
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &TaguSien_AddInputWindow::okClicked);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    top->addLayout(buttons, 4, 0, 1, 2);
    setMinimumWidth(480);

    if (const WizOp *op = editedOp()) {
        m_Text3->setText(op->S(0));
        const qint16 b = op->I(8);
        m_Option[b >= 0 && b <= 2 ? b : 0]->setChecked(true);
        for (int k = 0; k < 4; ++k) {
            ObjSlot &s = m_slots.at(size_t(k));
            const int pos = op->I(k) + 1;
            s.kindPos = pos >= 0 && pos < KindItems.size() ? pos : 0;
            s.varNumber = qint16(qMax(1, op->I(k + 4) + 1));
            s.initial = op->S(k + 1);
            s.caption = op->S(k + 5);
        }
    }

    connect(m_Combo1, &QComboBox::currentIndexChanged, this, [this](int k) { showSlot(k); });
    connect(m_Combo2, &QComboBox::currentIndexChanged, this, &TaguSien_AddInputWindow::kindChosen);
    connect(m_Text1, &QLineEdit::textChanged, this, [this](const QString &t) {
        if (!m_showing)
            m_slots.at(size_t(current())).caption = t;
    });
    connect(m_Text2, &NumberBox::valueChanged, this, [this](qint16 v) {
        if (!m_showing)
            m_slots.at(size_t(current())).varNumber = v;
    });
    connect(m_Text5, &QLineEdit::textChanged, this, &TaguSien_AddInputWindow::storeInitial);
    connect(m_Text6, &NumberBox::valueChanged, this, &TaguSien_AddInputWindow::storeInitial);
    connect(m_Option7, &QRadioButton::toggled, this, &TaguSien_AddInputWindow::storeInitial);

    m_Combo1->setCurrentIndex(0);
    showSlot(0);
}

int TaguSien_AddInputWindow::current() const
{
    return qBound(0, m_Combo1->currentIndex(), 3);
}

void TaguSien_AddInputWindow::showSlot(int k)
{
    const ObjSlot s = m_slots.at(size_t(qBound(0, k, 3)));
    m_showing = true;
    m_Combo2->setCurrentIndex(s.kindPos);
    m_Text2->setValue(s.varNumber);
    m_Text1->setText(s.caption);
    switch (KindType(s.kindPos)) {
    case HensuStr:
        m_Text5->setText(s.initial);
        break;
    case HensuInt:
        m_Text6->setValue(ParseWizInt(s.initial).value_or(0));
        break;
    case HensuBool:
        (s.initial == u"True" ? m_Option7 : m_Option6)->setChecked(true);
        break;
    default:
        break;
    }
    m_showing = false;
    updateStates();
}

void TaguSien_AddInputWindow::kindChosen()
{
    if (m_showing)
        return;
    m_slots.at(size_t(current())).kindPos = qMax(0, m_Combo2->currentIndex());
    // The slot's initial value follows the control the kind uses.
    storeInitial();
    updateStates();
}

void TaguSien_AddInputWindow::storeInitial()
{
    if (m_showing)
        return;
    ObjSlot &s = m_slots.at(size_t(current()));
    switch (KindType(s.kindPos)) {
    case HensuStr:
        s.initial = m_Text5->text();
        break;
    case HensuInt:
        s.initial = QString::number(m_Text6->value());
        break;
    case HensuBool:
        s.initial = m_Option7->isChecked() ? QStringLiteral("True") : QStringLiteral("False");
        break;
    default:
        break;
    }
}

void TaguSien_AddInputWindow::updateStates()
{
    const int pos = m_slots.at(size_t(current())).kindPos;
    const qint16 t = KindType(pos);
    const bool none = pos == 0;
    m_Label4->setText(HensuTypeLabel(t));
    m_Text2->setEnabled(t >= 0);
    m_Text1->setEnabled(!none);
    m_Text5->setEnabled(t == HensuStr);
    m_Text6->setEnabled(t == HensuInt);
    m_Option7->setEnabled(t == HensuBool);
    m_Option6->setEnabled(t == HensuBool);
}

WizOp TaguSien_AddInputWindow::buildOp() const
{
    WizOp op = MakeWizOp(OpInputWindow);
    op.StrDat[0] = m_Text3->text();
    for (int b = 0; b < 3; ++b)
        if (m_Option[b]->isChecked())
            op.IntDat[8] = qint16(b);
    for (int k = 1; k <= 4; ++k) {
        const ObjSlot &s = m_slots.at(size_t(k - 1));
        op.IntDat[k - 1] = qint16(s.kindPos - 1);
        op.IntDat[k + 3] = qint16(s.varNumber - 1);
        op.StrDat[k] = s.initial;
        op.StrDat[k + 4] = s.caption;
    }
    return op;
}

QString TaguSien_AddInputWindow::refusal(const WizOp &op) const
{
    QString why = WizTextRefusal(QStringLiteral("ウィンドウタイトル"), op.S(0));
    for (int k = 1; k <= 4 && why.isEmpty(); ++k) {
        const QString which = m_Combo1->itemText(k - 1);
        why = WizTextRefusal(which + QStringLiteral("の初期値"), op.S(k));
        if (why.isEmpty())
            why = WizTextRefusal(which + QStringLiteral("のテキスト"), op.S(k + 4));
    }
    return why;
}
