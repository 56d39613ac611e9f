#include "TaguSien_MakeFont.h"

#include "AccessibleNames.h"
#include "NumberBox.h"
#include "ScriptSave.h"
#include "UiService.h"
#include "WizRun.h"
#include "WizTextCheck.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <QDir>

namespace {

// The statements of the font layout that hold the three constants.
constexpr int ColourOp = 1;
constexpr int FaceOp = 2;
constexpr int SizeOp = 3;

bool HasFontLayout(const WizProgram &p)
{
    if (p.ops.size() <= SizeOp)
        return false;
    for (int i : {ColourOp, FaceOp, SizeOp})
        if (p.ops.at(i).OpType != OpDainyu)
            return false;
    return true;
}

} // namespace

TaguSien_MakeFont::TaguSien_MakeFont(EditWizDates &dates, QWidget *parent, WizProgram *program)
    : QDialog(parent)
    , m_dates(dates)
    , m_program(program ? *program : WizPrg())
{
    setObjectName(QStringLiteral("TaguSien_MakeFont"));
    setWindowTitle(QStringLiteral("フォントの設定"));
    setModal(true);

    const auto makeLabel = [this](const QString &text, const QString &name, QWidget *buddy) {
        auto *l = new QLabel(text, this);
        l->setObjectName(name);
        NameByLabel(l, buddy); // the size box's text box is no sibling of its label
        return l;
    };
    const auto makeEdit = [this](const QString &name) {
        auto *e = new QLineEdit(this);
        e->setObjectName(name);
        return e;
    };

    m_Text1 = makeEdit(QStringLiteral("Text1"));
    m_Text2 = new NumberBox(NumberBox::Kind::Count, QStringLiteral("Text2"), QStringLiteral("UpDown1"), this,
                            [](const QString &t) { return ParseWizInt(t); });
    m_Text3 = makeEdit(QStringLiteral("Text3"));
    m_Text4 = makeEdit(QStringLiteral("Text4"));
    m_Text5 = makeEdit(QStringLiteral("Text5"));
    m_Command1 = new QPushButton(QStringLiteral("..."), this);
    m_Command1->setObjectName(QStringLiteral("Command1"));
    m_Command1->setAutoDefault(false);
    m_Command1->setAccessibleName(QStringLiteral("文字色を選ぶ"));
    m_Command2 = new QPushButton(QStringLiteral("保存"), this);
    m_Command2->setObjectName(QStringLiteral("Command2"));
    m_Command2->setAutoDefault(false);
    m_Command3 = new QPushButton(QStringLiteral("閉じる"), this);
    m_Command3->setObjectName(QStringLiteral("Command3"));
    m_Command3->setAutoDefault(false);

    auto *grid = new QGridLayout(this);
    grid->addWidget(makeLabel(QStringLiteral("フォント名："), QStringLiteral("Label1"), m_Text1), 0, 0);
    grid->addWidget(m_Text1, 0, 1, 1, 2);
    grid->addWidget(makeLabel(QStringLiteral("フォントのサイズ（３が標準）："), QStringLiteral("Label2"), m_Text2->textBox()),
                    1, 0);
    grid->addWidget(m_Text2, 1, 1);
    grid->addWidget(makeLabel(QStringLiteral("文字色："), QStringLiteral("Label3"), m_Text3), 2, 0);
    grid->addWidget(m_Text3, 2, 1);
    grid->addWidget(m_Command1, 2, 2);
    grid->addWidget(makeLabel(QStringLiteral("名前："), QStringLiteral("Label4"), m_Text4), 3, 0);
    grid->addWidget(m_Text4, 3, 1, 1, 2);
    grid->addWidget(makeLabel(QStringLiteral("説明："), QStringLiteral("Label5"), m_Text5), 4, 0);
    grid->addWidget(m_Text5, 4, 1, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_Command2);
    buttons->addWidget(m_Command3);
    grid->addLayout(buttons, 5, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    setMinimumWidth(460);

    connect(m_Text1, &QLineEdit::textChanged, this, &TaguSien_MakeFont::setFace);
    connect(m_Text3, &QLineEdit::textChanged, this, &TaguSien_MakeFont::setColour);
    connect(m_Text2, &NumberBox::valueChanged, this, &TaguSien_MakeFont::setSize);
    connect(m_Text4, &QLineEdit::textChanged, this, &TaguSien_MakeFont::markChanged);
    connect(m_Text5, &QLineEdit::textChanged, this, &TaguSien_MakeFont::markChanged);
    connect(m_Command1, &QPushButton::clicked, this, &TaguSien_MakeFont::chooseColour);
    connect(m_Command2, &QPushButton::clicked, this, &TaguSien_MakeFont::Command2_Click);
    connect(m_Command3, &QPushButton::clicked, this, &TaguSien_MakeFont::reject);

    load();
}

void TaguSien_MakeFont::load()
{
    m_loading = true;
    WizProgram loadedProgram;
    const WizLoadResult result = LoadWizDate(m_dates.EditWizPath, &loadedProgram);
    m_loaded = result == WizLoadResult::Loaded && HasFontLayout(loadedProgram);
    m_Text4->setText(m_dates.EditWizName);
    m_Text5->setText(m_dates.EditWizSetumei);
    if (m_loaded) {
        m_program = loadedProgram;
        m_Text3->setText(m_program.ops.at(ColourOp).S(0));
        m_Text1->setText(m_program.ops.at(FaceOp).S(0));
        m_Text2->setValue(m_program.ops.at(SizeOp).I(3));
    } else {
        // A file that is not a font entry is not edited: saving it would write
        // the constants into statements that mean something else, or whatever
        // script was loaded before over the entry. Name and description are
        // saved with the file, so they stay as they are too.
        for (QWidget *w : {static_cast<QWidget *>(m_Text1), static_cast<QWidget *>(m_Text2),
                           static_cast<QWidget *>(m_Text3), static_cast<QWidget *>(m_Text4),
                           static_cast<QWidget *>(m_Text5), static_cast<QWidget *>(m_Command1),
                           static_cast<QWidget *>(m_Command2)})
            w->setEnabled(false);
        Ui().message(QStringLiteral("フォントのデータファイル\"") + QDir::toNativeSeparators(m_dates.EditWizPath)
                         + QStringLiteral("\"を読み込めませんでした。")
                         + (result == WizLoadResult::Loaded ? QStringLiteral("フォントの設定の形式ではありません。")
                                                            : WizLoadResultText(result)),
                     UiService::Icon::Critical);
    }
    m_loading = false;
    m_changed = false;
}

void TaguSien_MakeFont::markChanged()
{
    // Without a loaded entry there is nothing that could be saved.
    if (!m_loading && m_loaded)
        m_changed = true;
}

void TaguSien_MakeFont::setColour(const QString &text)
{
    if (!m_loaded)
        return;
    m_program.ops[ColourOp].StrDat[0] = text;
    markChanged();
}

void TaguSien_MakeFont::setFace(const QString &text)
{
    if (!m_loaded)
        return;
    m_program.ops[FaceOp].StrDat[0] = text;
    markChanged();
}

void TaguSien_MakeFont::setSize(qint16 size)
{
    if (!m_loaded)
        return;
    WizOp &op = m_program.ops[SizeOp];
    if (op.IntDat.size() < 4)
        op.IntDat.resize(4);
    op.IntDat[3] = size;
    markChanged();
}

void TaguSien_MakeFont::chooseColour()
{
    const std::optional<QColor> c = Ui().chooseColor(QColor(m_Text3->text()));
    if (c)
        m_Text3->setText(WizColourText(c->red(), c->green(), c->blue()));
}

bool TaguSien_MakeFont::Command2_Click()
{
    // Only the entry this dialog loaded is ever written.
    if (!m_loaded)
        return false;
    if (!SaveEditedScript(m_dates, m_program,
                          {{QStringLiteral("フォント名"), m_Text1},
                           {QStringLiteral("文字色"), m_Text3},
                           {QStringLiteral("名前"), m_Text4},
                           {QStringLiteral("説明"), m_Text5}},
                          m_Text4, m_Text5))
        return false;
    m_changed = false;
    Ui().message(QStringLiteral("データを保存しました"), UiService::Icon::None);
    return true;
}

void TaguSien_MakeFont::reject()
{
    // Closing with unsaved changes asks first; Cancel (also Escape and the
    // close box of the question) stays in the dialog.
    if (m_changed) {
        switch (Ui().askYesNoCancel(QStringLiteral("変更を保存しますか？"), UiService::Icon::Exclamation)) {
        case UiService::Answer::Yes:
            if (!Command2_Click())
                return;
            break;
        case UiService::Answer::No:
            break;
        case UiService::Answer::Cancel:
            return;
        }
    }
    QDialog::reject();
}
