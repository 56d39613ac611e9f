#include "TaguSien_WizWindow.h"

#include "AccessibleNames.h"
#include "ProjectDates.h"
#include "Twips.h"
#include "UiService.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <limits>

namespace {

// Designed geometry in twips; slot k sits 600 twips below slot k - 1.
constexpr double ClientWidth = 5595;
constexpr double ClientHeight = 3120;
constexpr double SlotStep = 600;
constexpr double LabelTop = 120;
constexpr double TextLeft = 120;
constexpr double TextTop = 360;
constexpr double FullWidth = 5295;
constexpr double NarrowWidth = 1215; // integer and colour slots leave room for their button
constexpr double UpDownLeft = 1320;

const QString DesignedText = QStringLiteral("＊");
const QString DefaultTitle = QStringLiteral("タグ挿入ウィザード");
const QString NextCaption = QStringLiteral("次へ");
const QString FinishCaption = QStringLiteral("完了");

QString SlotName(const char16_t *base, int k)
{
    return QString::fromUtf16(base) + u'_' + QString::number(k);
}

} // namespace

TaguSien_WizWindow::TaguSien_WizWindow(const ProjectDates &project, QWidget *parent)
    : QDialog(parent)
    , m_project(project)
{
    setObjectName(QStringLiteral("TaguSien_WizWindow"));
    setModal(true);
    setWindowTitle(DefaultTitle);
    buildControls();
    setFixedSize(TwipsToPx(ClientWidth), TwipsToPx(ClientHeight));
}

TaguSien_WizWindow::~TaguSien_WizWindow() = default;

void TaguSien_WizWindow::buildControls()
{
    m_options = new QButtonGroup(this);
    m_options->setExclusive(true);

    for (int k = 0; k < 4; ++k) {
        Slot &s = m_slots.at(size_t(k));
        const double row = SlotStep * k;

        s.Label1 = new QLabel(DesignedText, this);
        s.Label1->setObjectName(SlotName(u"Label1", k));
        s.Label1->setWordWrap(true);
        s.Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        s.Label1->setGeometry(TwipsRect(TextLeft, LabelTop + row, FullWidth, 255));

        s.Text1 = new QLineEdit(DesignedText, this);
        s.Text1->setObjectName(SlotName(u"Text1", k));
        s.Text1->setGeometry(TwipsRect(TextLeft, TextTop + row, FullWidth, 270));
        connect(s.Text1, &QLineEdit::textChanged, this, [this, k] { checkIntText(k); });

        // The up/down buttons of an integer slot: two arrow buttons stacked.
        s.UpDown1 = new QWidget(this);
        s.UpDown1->setObjectName(SlotName(u"UpDown1", k));
        s.UpDown1->setGeometry(TwipsRect(UpDownLeft, TextTop + row, 240, 255));
        auto *updown = new QVBoxLayout(s.UpDown1);
        updown->setContentsMargins(0, 0, 0, 0);
        updown->setSpacing(0);
        s.up = new QToolButton(s.UpDown1);
        s.up->setObjectName(SlotName(u"UpDown1", k) + u"_Up");
        s.up->setArrowType(Qt::UpArrow);
        s.up->setAutoRepeat(true);
        s.up->setFocusPolicy(Qt::NoFocus);
        s.up->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        s.down = new QToolButton(s.UpDown1);
        s.down->setObjectName(SlotName(u"UpDown1", k) + u"_Down");
        s.down->setArrowType(Qt::DownArrow);
        s.down->setAutoRepeat(true);
        s.down->setFocusPolicy(Qt::NoFocus);
        s.down->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        NameUpDown(s.up, s.down);
        updown->addWidget(s.up);
        updown->addWidget(s.down);
        connect(s.up, &QToolButton::clicked, this, [this, k] { stepInt(k, 1); });
        connect(s.down, &QToolButton::clicked, this, [this, k] { stepInt(k, -1); });

        s.Combo1 = new QComboBox(this);
        s.Combo1->setObjectName(SlotName(u"Combo1", k));
        s.Combo1->resize(TwipsToPx(FullWidth), TwipsToPx(300));

        s.Check1 = new QCheckBox(DesignedText, this);
        s.Check1->setObjectName(SlotName(u"Check1", k));
        s.Check1->resize(TwipsToPx(FullWidth), TwipsToPx(255));

        s.Option1 = new QRadioButton(DesignedText, this);
        s.Option1->setObjectName(SlotName(u"Option1", k));
        s.Option1->setAutoExclusive(false); // the button group makes the four one group
        s.Option1->resize(TwipsToPx(FullWidth), TwipsToPx(255));
        m_options->addButton(s.Option1, k);

        s.Command3 = new QPushButton(QStringLiteral("..."), this);
        s.Command3->setObjectName(SlotName(u"Command3", k));
        s.Command3->setAutoDefault(false);
        s.Command3->resize(TwipsToPx(255), TwipsToPx(255));
        connect(s.Command3, &QPushButton::clicked, this, [this, k] { chooseColor(k); });

        hideSlot(k);
    }

    m_Command1 = new QPushButton(NextCaption, this);
    m_Command1->setObjectName(QStringLiteral("Command1"));
    m_Command1->setGeometry(TwipsRect(3000, 2640, 1215, 375));
    m_Command1->setDefault(true);
    connect(m_Command1, &QPushButton::clicked, this, &TaguSien_WizWindow::Command1_Click);

    m_Command2 = new QPushButton(QStringLiteral("キャンセル"), this);
    m_Command2->setObjectName(QStringLiteral("Command2"));
    m_Command2->setGeometry(TwipsRect(4320, 2640, 1215, 375));
    m_Command2->setAutoDefault(false);
    connect(m_Command2, &QPushButton::clicked, this, &TaguSien_WizWindow::Command2_Click);
}

void TaguSien_WizWindow::hideSlot(int k)
{
    Slot &s = m_slots.at(size_t(k));
    for (QWidget *w : {static_cast<QWidget *>(s.Label1), static_cast<QWidget *>(s.Text1), s.UpDown1,
                       static_cast<QWidget *>(s.Combo1), static_cast<QWidget *>(s.Check1),
                       static_cast<QWidget *>(s.Option1), static_cast<QWidget *>(s.Command3)})
        w->hide();
}

void TaguSien_WizWindow::SetWizObjSize()
{
    // Each slot is one row: the alternatives to the text box take its place,
    // the colour button takes the place of the up/down buttons.
    for (Slot &s : m_slots) {
        const QPoint textPos = s.Text1->pos();
        s.Combo1->move(textPos);
        s.Check1->move(textPos);
        s.Option1->move(textPos);
        s.Command3->move(s.UpDown1->pos());
    }
}

void TaguSien_WizWindow::loadStatement(const WizProgram &program, qint16 WizNowOp, WizVariables &vars)
{
    m_vars = &vars;
    const WizOp op = WizNowOp >= 0 && WizNowOp < program.ops.size() ? program.ops.at(WizNowOp)
                                                                      : MakeWizOp(OpInputWindow, {-1, -1, -1, -1});

    // Every window starts its integer slots at 0, so a slot without a valid
    // initial value never shows a number left over from an earlier window.
    m_ObjIntValue = {{0, 0, 0, 0}};

    SetWizObjSize();
    VewObjs(op);

    const QString title = op.S(0);
    setWindowTitle(title.isEmpty() ? DefaultTitle : title);

    m_Command1->setEnabled(true);
    switch (op.I(8)) {
    case 0:
        m_Command1->setText(NextCaption);
        break;
    case 1:
        m_Command1->setText(FinishCaption);
        break;
    case 2:
        // The window only informs: the user can only cancel.
        m_Command1->setText(FinishCaption);
        m_Command1->setEnabled(false);
        break;
    default:
        m_Command1->setText(NextCaption);
        break;
    }

    focusFirstInput();

    // Closing by the title bar's close box counts as cancel.
    m_WizNext = false;
}

void TaguSien_WizWindow::focusFirstInput()
{
    // Typing goes into the first input field, whatever had the focus when
    // this window was last closed (the main button, clicked or not): typing
    // into the main button would go nowhere, and Enter would store the
    // initial values instead of what was typed.
    for (const Slot &s : m_slots) {
        for (QWidget *w : {static_cast<QWidget *>(s.Text1), static_cast<QWidget *>(s.Combo1),
                           static_cast<QWidget *>(s.Check1), static_cast<QWidget *>(s.Option1)}) {
            if (!w->isHidden()) {
                w->setFocus(Qt::OtherFocusReason);
                if (QLineEdit *edit = qobject_cast<QLineEdit *>(w))
                    edit->selectAll();
                return;
            }
        }
    }
    // A window without input fields: its main button, or cancel when the
    // main button is disabled.
    (m_Command1->isEnabled() ? m_Command1 : m_Command2)->setFocus(Qt::OtherFocusReason);
}

void TaguSien_WizWindow::VewObjs(const WizOp &op)
{
    // Option buttons are set one by one below; the group's exclusivity would
    // refuse to clear a checked button, so it is lifted while loading.
    m_options->setExclusive(false);
    for (int k = 0; k < 4; ++k) {
        VewObjsMin(op.I(k), op.S(5 + k), k, op.S(1 + k));
        m_ObjHensu.at(size_t(k)) = op.I(4 + k);
    }
    m_options->setExclusive(true);
}

void TaguSien_WizWindow::VewObjsMin(qint16 MakeObjType, const QString &caption, int Index, const QString &shokiti)
{
    const qint16 kind = MakeObjType >= 0 && MakeObjType <= 8 ? MakeObjType : qint16(-1);
    m_ObjKind.at(size_t(Index)) = kind;
    Slot &s = m_slots.at(size_t(Index));
    hideSlot(Index);

    const double row = SlotStep * Index;
    s.Label1->setGeometry(TwipsRect(TextLeft, LabelTop + row, FullWidth, kind == 7 ? 495 : 255));
    s.Text1->resize(TwipsToPx(kind == 1 || kind == 8 ? NarrowWidth : FullWidth), s.Text1->height());
    s.Option1->setChecked(false);
    s.Check1->setChecked(false);
    // The label above a box is no buddy of it (its rows move); the box is
    // named after it for screen readers.
    const QString name = NameFromCaption(caption);
    s.Text1->setAccessibleName(name);
    s.Combo1->setAccessibleName(name);
    s.Command3->setAccessibleName(name + QStringLiteral("の色を選ぶ"));

    switch (kind) {
    case 0:
    case 8:
        s.Label1->setText(caption);
        s.Label1->show();
        s.Text1->setText(shokiti);
        s.Text1->show();
        if (kind == 8)
            s.Command3->show();
        break;
    case 1:
        s.Label1->setText(caption);
        s.Label1->show();
        // Setting the initial value is a change like typing: it is checked even
        // when the box already shows the same text.
        s.Text1->blockSignals(true);
        s.Text1->setText(shokiti);
        s.Text1->blockSignals(false);
        checkIntText(Index);
        s.Text1->show();
        s.UpDown1->show();
        s.UpDown1->raise();
        break;
    case 2:
        s.Check1->setText(caption);
        s.Check1->setChecked(shokiti == u"True");
        s.Check1->show();
        break;
    case 3:
        s.Option1->setText(caption);
        if (shokiti == u"True") {
            // As in one group: turning this option on turns the others off.
            for (Slot &other : m_slots)
                other.Option1->setChecked(false);
            s.Option1->setChecked(true);
        }
        s.Option1->show();
        break;
    case 4:
    case 5:
    case 6: {
        QStringList names;
        if (kind == 4) {
            for (const HtmlDat &h : m_project.Html)
                names.append(h.DatName);
        } else {
            for (const PictDat &d : kind == 5 ? m_project.Pict : m_project.ElseFile)
                names.append(d.DatName);
        }
        s.Combo1->clear();
        s.Combo1->addItems(names);
        s.Combo1->setCurrentIndex(names.isEmpty() ? -1 : 0);
        s.Label1->setText(caption);
        s.Label1->show();
        s.Combo1->show();
        break;
    }
    case 7:
        s.Label1->setText(caption);
        s.Label1->show();
        break;
    default:
        break;
    }
}

void TaguSien_WizWindow::checkIntText(int k)
{
    if (m_ObjKind.at(size_t(k)) != 1)
        return;
    QLineEdit *text = m_slots.at(size_t(k)).Text1;
    if (const std::optional<qint16> v = ParseWizInt(text->text())) {
        m_ObjIntValue.at(size_t(k)) = *v;
        return;
    }
    Ui().beep();
    // Putting the valid value back changes the text again; that change parses.
    text->setText(QString::number(m_ObjIntValue.at(size_t(k))));
}

void TaguSien_WizWindow::stepInt(int k, int delta)
{
    if (m_ObjKind.at(size_t(k)) != 1)
        return;
    const int next = int(m_ObjIntValue.at(size_t(k))) + delta;
    // At the 16-bit limits a further click does nothing.
    if (next < std::numeric_limits<qint16>::min() || next > std::numeric_limits<qint16>::max())
        return;
    m_slots.at(size_t(k)).Text1->setText(QString::number(next));
}

void TaguSien_WizWindow::chooseColor(int k)
{
    QLineEdit *text = m_slots.at(size_t(k)).Text1;
    QColor initial(text->text());
    if (!initial.isValid())
        initial = QColor(Qt::black);
    const std::optional<QColor> chosen = Ui().chooseColor(initial);
    if (!chosen || !chosen->isValid())
        return; // cancelled: the text stays as it was
    // "#" and six upper-case hexadecimal digits, red first.
    text->setText(chosen->name(QColor::HexRgb).toUpper());
}

void TaguSien_WizWindow::SaveHensu(int k)
{
    if (!m_vars)
        return;
    const Slot &s = m_slots.at(size_t(k));
    const qint16 kind = m_ObjKind.at(size_t(k));
    WizSlotValue value;
    switch (kind) {
    case 0:
    case 8:
        value.text = s.Text1->text();
        break;
    case 1:
        value.number = m_ObjIntValue.at(size_t(k));
        break;
    case 2:
        value.checked = s.Check1->isChecked();
        break;
    case 3:
        value.checked = s.Option1->isChecked();
        break;
    case 4:
    case 5:
    case 6: {
        // The chosen item's output file name; nothing to choose gives "".
        const int i = s.Combo1->currentIndex();
        if (kind == 4) {
            if (i >= 0 && i < m_project.Html.size())
                value.text = m_project.Html.at(i).outputName();
        } else {
            const QVector<PictDat> &table = kind == 5 ? m_project.Pict : m_project.ElseFile;
            if (i >= 0 && i < table.size())
                value.text = table.at(i).outputName();
        }
        break;
    }
    default:
        return;
    }
    ::SaveHensu(*m_vars, kind, m_ObjHensu.at(size_t(k)), value);
}

void TaguSien_WizWindow::Command1_Click()
{
    for (int k = 0; k < 4; ++k)
        SaveHensu(k);
    m_WizNext = true;
    done(QDialog::Accepted);
}

void TaguSien_WizWindow::Command2_Click()
{
    reject();
}

void TaguSien_WizWindow::reject()
{
    m_WizNext = false;
    QDialog::reject();
}

bool TaguSien_WizWindow::showInputWindow(const WizProgram &program, qint16 WizNowOp, WizVariables &vars)
{
    loadStatement(program, WizNowOp, vars);
    exec();
    m_vars = nullptr;
    return m_WizNext;
}
