#include "TaguSien_Scrpt.h"

#include "ProjectDates.h"
#include "ScriptSave.h"
#include "StatementDialogs.h"
#include "TaguSien_AddBunki.h"
#include "TaguSien_AddInputWindow.h"
#include "TaguSien_AddTokusyu.h"
#include "TaguSien_WizWindow.h"
#include "UiService.h"
#include "WizTextCheck.h"

#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTextCursor>
#include <QVBoxLayout>

#include <memory>

namespace {

const QString Separator = QString(22, u'-');

// The palette rows, in order; the kind is recognised by the row's text.
const QStringList PaletteRows = {
    QStringLiteral("出力"),         QStringLiteral("選択文字列の出力"), QStringLiteral("改行の出力"),
    QStringLiteral("特殊文字列の出力"), Separator,                        QStringLiteral("変数に代入"),
    QStringLiteral("数値計算"),      Separator,                        QStringLiteral("もし～ならば"),
    QStringLiteral("違えば"),        QStringLiteral("条件分岐終了"),     Separator,
    QStringLiteral("ループ開始"),     QStringLiteral("ループ終了"),       Separator,
    QStringLiteral("入力ウィンドウ"),  Separator,                        QStringLiteral("終了"),
};

// The code a palette row inserts directly, for kinds without arguments.
std::optional<qint16> DirectCode(const QString &row)
{
    if (row == u"選択文字列の出力")
        return OpSentakuOut;
    if (row == u"改行の出力")
        return OpKaigyou;
    if (row == u"違えば")
        return OpTigaeba;
    if (row == u"条件分岐終了")
        return OpBunkiEnd;
    if (row == u"ループ開始")
        return OpLoopStart;
    if (row == u"終了")
        return OpWizEnd;
    return std::nullopt;
}

// The editor's multi-line box holds lines as paragraphs; scripts see CR LF.
QString FromTestBox(QString text)
{
    return text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
}

QString ToTestBox(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

TaguSien_Scrpt::TaguSien_Scrpt(EditWizDates &dates, const ProjectDates &project, QWidget *parent,
                               WizProgram *program)
    : QDialog(parent)
    , m_dates(dates)
    , m_project(project)
    , m_program(program ? *program : WizPrg())
{
    setObjectName(QStringLiteral("TaguSien_Scrpt"));
    setWindowTitle(QStringLiteral("入力支援スクリプト"));
    setModal(true);

    const auto makeButton = [this](const QString &text, const QString &name) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setAutoDefault(false); // Enter never closes or changes anything by itself
        return b;
    };
    m_Text1 = new QLineEdit(this);
    m_Text1->setObjectName(QStringLiteral("Text1"));
    m_Text2 = new QLineEdit(this);
    m_Text2->setObjectName(QStringLiteral("Text2"));
    auto *label1 = new QLabel(QStringLiteral("名前："), this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setBuddy(m_Text1);
    auto *label2 = new QLabel(QStringLiteral("説明："), this);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setBuddy(m_Text2);

    m_List1 = new QListWidget(this);
    m_List1->setObjectName(QStringLiteral("List1"));
    m_List2 = new QListWidget(this);
    m_List2->setObjectName(QStringLiteral("List2"));
    // Names for screen readers: neither list has a label.
    m_List1->setAccessibleName(QStringLiteral("スクリプト"));
    m_List2->setAccessibleName(QStringLiteral("追加する命令"));
    m_List2->setMaximumWidth(170);
    m_Command1 = makeButton(QStringLiteral("←追加"), QStringLiteral("Command1"));
    m_Command2 = makeButton(QStringLiteral("削除"), QStringLiteral("Command2"));
    m_Command5 = makeButton(QStringLiteral("編集"), QStringLiteral("Command5"));
    m_Command4 = makeButton(QStringLiteral("保存"), QStringLiteral("Command4"));
    m_Command3 = makeButton(QStringLiteral("閉じる"), QStringLiteral("Command3"));

    m_StatusText = new QLabel(this);
    m_StatusText->setObjectName(QStringLiteral("StatusText"));
    m_StatusText->setWordWrap(true);

    auto *frame = new QGroupBox(QStringLiteral("テスト"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    m_Text3 = new QPlainTextEdit(frame);
    m_Text3->setObjectName(QStringLiteral("Text3"));
    m_Text3->setMaximumHeight(90);
    m_Command6 = makeButton(QStringLiteral("テスト"), QStringLiteral("Command6"));
    m_Command6->setParent(frame);
    m_TestMessage = new QLabel(frame);
    m_TestMessage->setObjectName(QStringLiteral("TestMessage"));
    m_TestMessage->setWordWrap(true);
    auto *frameLayout = new QGridLayout(frame);
    frameLayout->addWidget(m_Text3, 0, 0, 2, 1);
    frameLayout->addWidget(m_Command6, 0, 1, Qt::AlignTop);
    frameLayout->addWidget(m_TestMessage, 2, 0, 1, 2);

    auto *names = new QGridLayout;
    names->addWidget(label1, 0, 0);
    names->addWidget(m_Text1, 0, 1);
    names->addWidget(label2, 1, 0);
    names->addWidget(m_Text2, 1, 1);

    auto *middle = new QVBoxLayout;
    middle->addWidget(m_Command1);
    middle->addWidget(m_Command2);
    middle->addWidget(m_Command5);
    middle->addStretch();

    auto *lists = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    left->addWidget(m_List1, 1);
    left->addWidget(m_StatusText);
    lists->addLayout(left, 1);
    lists->addLayout(middle);
    lists->addWidget(m_List2);

    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(m_Command4);
    bottom->addWidget(m_Command3);

    auto *top = new QVBoxLayout(this);
    top->addLayout(names);
    top->addLayout(lists, 1);
    top->addWidget(frame);
    top->addLayout(bottom);
    resize(820, 600);

    connect(m_List1, &QListWidget::currentRowChanged, this, &TaguSien_Scrpt::List_Click);
    connect(m_List2, &QListWidget::currentRowChanged, this, &TaguSien_Scrpt::List_Click);
    connect(m_List1, &QListWidget::itemDoubleClicked, this, [this] { Command5_Click(); });
    connect(m_List2, &QListWidget::itemDoubleClicked, this, [this] {
        if (m_Command1->isEnabled())
            Command1_Click();
    });
    connect(m_Command1, &QPushButton::clicked, this, &TaguSien_Scrpt::Command1_Click);
    connect(m_Command2, &QPushButton::clicked, this, &TaguSien_Scrpt::Command2_Click);
    connect(m_Command5, &QPushButton::clicked, this, &TaguSien_Scrpt::Command5_Click);
    connect(m_Command4, &QPushButton::clicked, this, &TaguSien_Scrpt::Command4_Click);
    connect(m_Command3, &QPushButton::clicked, this, &TaguSien_Scrpt::reject);
    connect(m_Command6, &QPushButton::clicked, this, &TaguSien_Scrpt::Command6_Click);
    m_List1->installEventFilter(this);

    // Load.
    m_Text1->setText(m_dates.EditWizName);
    m_Text2->setText(m_dates.EditWizSetumei);
    WizProgram loaded;
    const WizLoadResult result = LoadWizDate(m_dates.EditWizPath, &loaded);
    if (result != WizLoadResult::Loaded) {
        // Another script must not stand in for the one that failed to load
        // (saving it would write it over this entry): start from the empty
        // script instead.
        LoadWizDateFromText(NewBasicWizDate, &loaded);
        Ui().message(QStringLiteral("タグ挿入支援データファイル\"") + QDir::toNativeSeparators(m_dates.EditWizPath)
                         + QStringLiteral("\"を読み込めませんでした。") + WizLoadResultText(result)
                         + QStringLiteral("\r\n空のスクリプトを表示します。"),
                     UiService::Icon::Critical);
    }
    m_program = loaded;
    takeSnapshot();
    ShowSc();
    m_List2->addItems(PaletteRows);
    m_List1->setCurrentRow(0);
    m_List2->setCurrentRow(0);
    List_Click();
    m_List1->setFocus();
}

TaguSien_Scrpt::~TaguSien_Scrpt() = default;

void TaguSien_Scrpt::takeSnapshot()
{
    m_savedOps = m_program.ops;
    m_savedName = m_Text1->text();
    m_savedSetumei = m_Text2->text();
}

bool TaguSien_Scrpt::changed() const
{
    return m_program.ops != m_savedOps || m_Text1->text() != m_savedName || m_Text2->text() != m_savedSetumei;
}

void TaguSien_Scrpt::ShowSc()
{
    const QStringList lines = ShowScLines(m_program);
    m_problems = CheckWizNesting(m_program);
    m_List1->blockSignals(true);
    m_List1->clear();
    m_List1->addItems(lines);
    // Lines that do not pair up are marked; the explanation shows when the
    // line is chosen.
    const QIcon mark = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (const WizNestProblem &p : std::as_const(m_problems)) {
        QListWidgetItem *item = m_List1->item(p.line);
        if (!item)
            continue;
        item->setIcon(mark);
        item->setForeground(QColor(0xC0, 0, 0));
        item->setToolTip(item->toolTip().isEmpty() ? p.message : item->toolTip() + u'\n' + p.message);
    }
    m_List1->setCurrentRow(-1);
    m_List1->blockSignals(false);
}

void TaguSien_Scrpt::selectLine(int row)
{
    if (m_List1->count() == 0)
        return;
    m_List1->setCurrentRow(qBound(0, row, m_List1->count() - 1));
    List_Click();
}

void TaguSien_Scrpt::List_Click()
{
    const int row = m_List1->currentRow();
    // Line 0 holds the script's own declaration and stays; any other line can
    // go, also a declaration that a hand-written script carries further down.
    m_Command2->setEnabled(row > 0 && row < m_program.ops.size());
    const QListWidgetItem *palette = m_List2->currentItem();
    m_Command1->setEnabled(palette && palette->text() != Separator);
    showNestStatus();
}

void TaguSien_Scrpt::showNestStatus()
{
    const int row = m_List1->currentRow();
    QString text;
    for (const WizNestProblem &p : std::as_const(m_problems))
        if (p.line == row)
            text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + p.message;
    if (text.isEmpty() && !m_problems.isEmpty())
        text = QStringLiteral("分岐やループの対応が取れていない行が%1か所あります（印の付いた行を選ぶと説明が出ます）。")
                   .arg(m_problems.size());
    m_StatusText->setText(text);
}

bool TaguSien_Scrpt::runDialog(WizStatementDialog &dialog)
{
    return dialog.exec() == QDialog::Accepted;
}

void TaguSien_Scrpt::Command1_Click()
{
    const QListWidgetItem *palette = m_List2->currentItem();
    if (!palette || palette->text() == Separator)
        return;
    const QString kind = palette->text();
    const int before = m_List1->count();
    const int selected = m_List1->currentRow() >= 0 ? m_List1->currentRow() : m_List1->count() - 1;
    // The new statement goes right after the selected one.
    const qint16 WizEditIndex = qint16(selected + 1);

    if (const std::optional<qint16> code = DirectCode(kind)) {
        if (!PutWizOp(m_program, true, WizEditIndex, MakeWizOp(*code)))
            Ui().beep();
    } else {
        std::unique_ptr<WizStatementDialog> dialog;
        if (kind == u"出力")
            dialog = std::make_unique<TaguSien_AddOutPut>(m_program, true, WizEditIndex, this);
        else if (kind == u"特殊文字列の出力")
            dialog = std::make_unique<TaguSien_AddTokusyu>(m_program, true, WizEditIndex, this);
        else if (kind == u"変数に代入")
            dialog = std::make_unique<TaguSien_AddDainyu>(m_program, true, WizEditIndex, this);
        else if (kind == u"数値計算")
            dialog = std::make_unique<TaguSien_AddSisoku>(m_program, true, WizEditIndex, this);
        else if (kind == u"もし～ならば")
            dialog = std::make_unique<TaguSien_AddBunki>(m_program, true, WizEditIndex, this);
        else if (kind == u"ループ終了")
            dialog = std::make_unique<TaguSien_AddLoop>(m_program, true, WizEditIndex, this);
        else if (kind == u"入力ウィンドウ")
            dialog = std::make_unique<TaguSien_AddInputWindow>(m_program, true, WizEditIndex, this);
        if (dialog)
            runDialog(*dialog);
    }
    ShowSc();
    selectLine(m_List1->count() > before ? WizEditIndex : WizEditIndex - 1);
}

void TaguSien_Scrpt::Command5_Click()
{
    const int row = m_List1->currentRow();
    if (row < 0 || row >= m_program.ops.size()) {
        Ui().beep();
        return;
    }
    const qint16 WizEditIndex = qint16(row);
    std::unique_ptr<WizStatementDialog> dialog;
    switch (m_program.ops.at(row).OpType) {
    case OpHensuSettei:
        dialog = std::make_unique<TaguSien_AddHensuSettei>(m_program, WizEditIndex, this);
        break;
    case OpOutPut:
        dialog = std::make_unique<TaguSien_AddOutPut>(m_program, false, WizEditIndex, this);
        break;
    case OpDainyu:
        dialog = std::make_unique<TaguSien_AddDainyu>(m_program, false, WizEditIndex, this);
        break;
    case OpSisoku:
        dialog = std::make_unique<TaguSien_AddSisoku>(m_program, false, WizEditIndex, this);
        break;
    case OpBunki:
        dialog = std::make_unique<TaguSien_AddBunki>(m_program, false, WizEditIndex, this);
        break;
    case OpLoopEnd:
        dialog = std::make_unique<TaguSien_AddLoop>(m_program, false, WizEditIndex, this);
        break;
    case OpInputWindow:
        dialog = std::make_unique<TaguSien_AddInputWindow>(m_program, false, WizEditIndex, this);
        break;
    case OpTokusyu:
        dialog = std::make_unique<TaguSien_AddTokusyu>(m_program, false, WizEditIndex, this);
        break;
    default:
        // A statement without arguments has nothing to edit.
        Ui().beep();
        return;
    }
    runDialog(*dialog);
    ShowSc();
    selectLine(row);
}

void TaguSien_Scrpt::Command2_Click()
{
    const int k = m_List1->currentRow();
    if (k <= 0 || k >= m_program.ops.size()) {
        Ui().beep();
        return;
    }
    DelWizOp(m_program, qint16(k));
    ShowSc();
    selectLine(k < m_List1->count() ? k : 0);
}

bool TaguSien_Scrpt::Command4_Click()
{
    if (!SaveEditedScript(m_dates, m_program,
                          {{QStringLiteral("名前"), m_Text1}, {QStringLiteral("説明"), m_Text2}}, m_Text1,
                          m_Text2))
        return false;
    takeSnapshot();
    Ui().message(QStringLiteral("データを保存しました"), UiService::Icon::None);
    return true;
}

void TaguSien_Scrpt::Command6_Click()
{
    if (!m_wizWindow)
        m_wizWindow = new TaguSien_WizWindow(m_project, this);
    m_TestMessage->clear();
    QTextCursor cursor = m_Text3->textCursor();
    const WizRunResult result =
        RunWizPrg(m_program, WizHensu(), m_wizWindow, FromTestBox(cursor.selectedText()), stepLimit);
    if (result.status == WizRunStatus::Stopped || result.status == WizRunStatus::TooLong) {
        // The test box says why nothing came out; the text stays as it was.
        m_TestMessage->setText(WizRunMessage(result.status));
        return;
    }
    cursor.insertText(ToTestBox(result.text));
    m_Text3->setTextCursor(cursor);
}

void TaguSien_Scrpt::reject()
{
    if (changed()) {
        switch (Ui().askYesNoCancel(QStringLiteral("スクリプトが変更されています。保存しますか？"),
                                    UiService::Icon::Exclamation)) {
        case UiService::Answer::Yes:
            if (!Command4_Click())
                return;
            break;
        case UiService::Answer::No:
            break;
        case UiService::Answer::Cancel:
            return; // stay in the editor
        }
    }
    QDialog::reject();
}

bool TaguSien_Scrpt::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_List1)
        return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() != Qt::ControlModifier
            || (key->key() != Qt::Key_X && key->key() != Qt::Key_C && key->key() != Qt::Key_V))
            return QDialog::eventFilter(watched, event);
        const int row = m_List1->currentRow();
        if (row < 0 || row >= m_program.ops.size())
            return true; // nothing chosen: nothing to cut, copy or paste
        if (key->key() == Qt::Key_V) {
            if (!WizClip())
                return true; // an empty clipboard pastes nothing
            // A second declaration would only confuse the script's variable
            // counts; it is not pasted.
            if (WizClip()->OpType == OpHensuSettei || !PutWizOp(m_program, true, qint16(row + 1), *WizClip())) {
                Ui().beep();
                return true;
            }
            ShowSc();
            selectLine(row + 1);
            return true;
        }
        // The declaration on line 0 is neither cut nor copied.
        if (row == 0)
            return true;
        WizClip() = m_program.ops.at(row);
        if (key->key() == Qt::Key_X)
            Command2_Click();
        return true;
    }
    if (event->type() == QEvent::KeyRelease && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete
        && static_cast<QKeyEvent *>(event)->modifiers() == Qt::NoModifier) {
        const int row = m_List1->currentRow();
        if (row == 0)
            Ui().beep();
        else if (row > 0)
            Command2_Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
