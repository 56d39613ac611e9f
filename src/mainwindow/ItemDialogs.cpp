#include "ItemDialogs.h"

#include "ButtonRow.h"
#include "Icons.h"
#include "KakutyousiSettei.h"
#include "OutputNames.h"
#include "TextFiles.h"
#include "UiService.h"

#include <QCheckBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QPushButton *makeButton(const QString &caption, const QString &name, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QLineEdit *makeEdit(const QString &name, QWidget *parent)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(name);
    return e;
}

QLabel *makeLabel(const QString &text, const QString &name, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

struct Field
{
    QString label;
    QString value;
    FieldKind kind = FieldKind::Text;
};

// The checks every dialog runs on OK before the duplicate test: characters the
// project file cannot carry, an output name that would leave its folder, and
// (for a new or renamed output name) characters that break a link or a
// Windows file name. Shows the first problem and returns false. An output
// name stored before is left as it is, so an old project stays editable.
bool fieldsStorable(const QVector<Field> &fields, const QString &outputName, const QString &storedOutputName)
{
    for (const Field &f : fields) {
        if (const QString problem = FieldCharsProblem(f.label, f.value, f.kind); !problem.isEmpty()) {
            Ui().message(problem, UiService::Icon::Critical);
            return false;
        }
    }
    QString problem = outputName != storedOutputName ? LinkCharsProblem(outputName) : QString();
    if (problem.isEmpty())
        problem = OutputNameProblem(outputName);
    if (!problem.isEmpty()) {
        Ui().message(problem, UiService::Icon::Critical);
        return false;
    }
    return true;
}

const QString FieldName = QStringLiteral("名前");
const QString FieldFileName = QStringLiteral("ファイル名");
const QString FieldPath = QStringLiteral("参照先ファイル");
const QString FieldExt = QStringLiteral("拡張子");

} // namespace

QString OutputNameLabel(const QString &outputName)
{
    return QStringLiteral("出力時のファイル名 - [") + outputName + u']';
}

// ---------------------------------------------------------------------------
// HTMLProp

HTMLProp::HTMLProp(ProjectDates &project, QWidget *parent)
    : QDialog(parent)
    , m_project(project)
    , m_new(project.EditNew)
    , m_index(project.EditNew ? -1 : project.NowHtml)
{
    setObjectName(QStringLiteral("HTMLProp"));
    m_label1 = makeLabel(QStringLiteral("名前"), QStringLiteral("Label1"), this);
    m_nametxt = makeEdit(QStringLiteral("Nametxt"), this);
    m_label2 = makeLabel(QString(), QStringLiteral("Label2"), this);
    m_fnTxt = makeEdit(QStringLiteral("FnTxt"), this);
    m_check1 = new QCheckBox(QStringLiteral("拡張子の自動挿入"), this);
    m_check1->setObjectName(QStringLiteral("Check1"));
    m_check1->setChecked(true);
    m_frame1 = new QGroupBox(QStringLiteral("拡張子"), this);
    m_frame1->setObjectName(QStringLiteral("Frame1"));
    m_optionhtm = new QRadioButton(QStringLiteral("*.htm"), m_frame1);
    m_optionhtm->setObjectName(QStringLiteral("Optionhtm"));
    m_optionhtml = new QRadioButton(QStringLiteral("*.html"), m_frame1);
    m_optionhtml->setObjectName(QStringLiteral("Optionhtml"));
    m_optionhtml->setChecked(true);
    m_command1 = makeButton(QStringLiteral("OK"), QStringLiteral("Command1"), this);
    m_command1->setDefault(true);
    m_command2 = makeButton(QStringLiteral("キャンセル"), QStringLiteral("Command2"), this);

    // Each label names its box for screen readers (its text may change).
    m_label1->setBuddy(m_nametxt);
    m_label2->setBuddy(m_fnTxt);

    auto *options = new QHBoxLayout(m_frame1);
    options->addWidget(m_optionhtm);
    options->addWidget(m_optionhtml);
    auto *grid = new QGridLayout;
    grid->addWidget(m_label1, 0, 0);
    grid->addWidget(m_nametxt, 0, 1);
    grid->addWidget(m_label2, 1, 0, 1, 2);
    grid->addWidget(m_fnTxt, 2, 0, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_command1);
    buttons->addWidget(m_command2);
    SameButtonSize({m_command1, m_command2});
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_check1);
    layout->addWidget(m_frame1);
    layout->addLayout(buttons);
    setMinimumWidth(360);

    if (m_new) {
        setWindowTitle(QStringLiteral("新規HTML"));
        m_nametxt->setText(NewHtmlName(m_project, false));
        m_fnTxt->setText(NewHtmlName(m_project, true));
    } else if (m_index >= 0 && m_index < m_project.Html.size()) {
        const HtmlDat &h = m_project.Html.at(m_index);
        setWindowTitle(h.DatName + QStringLiteral("の設定"));
        m_nametxt->setText(h.DatName);
        m_fnTxt->setText(h.FileName);
        if (h.Kakutyousi == u".htm")
            m_optionhtm->setChecked(true);
        else if (h.Kakutyousi == u".html")
            m_optionhtml->setChecked(true);
        else
            m_check1->setChecked(false);
    }

    for (QLineEdit *e : {m_nametxt, m_fnTxt})
        connect(e, &QLineEdit::textChanged, this, &HTMLProp::updateState);
    for (QAbstractButton *b : {static_cast<QAbstractButton *>(m_check1), static_cast<QAbstractButton *>(m_optionhtm),
                               static_cast<QAbstractButton *>(m_optionhtml)})
        connect(b, &QAbstractButton::toggled, this, &HTMLProp::updateState);
    connect(m_command1, &QPushButton::clicked, this, &HTMLProp::onOk);
    connect(m_command2, &QPushButton::clicked, this, &QDialog::reject);
    updateState();
    m_nametxt->selectAll();
    m_nametxt->setFocus();
}

QString HTMLProp::chosenExt() const
{
    if (!m_check1->isChecked())
        return QString();
    return m_optionhtm->isChecked() ? QStringLiteral(".htm") : QStringLiteral(".html");
}

void HTMLProp::updateState()
{
    m_frame1->setEnabled(m_check1->isChecked());
    m_optionhtm->setEnabled(m_check1->isChecked());
    m_optionhtml->setEnabled(m_check1->isChecked());
    m_label2->setText(OutputNameLabel(m_fnTxt->text() + chosenExt()));
    m_command1->setEnabled(!m_nametxt->text().isEmpty() && !m_fnTxt->text().isEmpty());
}

void HTMLProp::onOk()
{
    const QString name = m_nametxt->text();
    const QString fileName = m_fnTxt->text();
    const QString ext = chosenExt();
    const QString outputName = fileName + ext;
    const bool editing = !m_new && m_index >= 0 && m_index < m_project.Html.size();
    if (!fieldsStorable({{FieldName, name}, {FieldFileName, fileName, FieldKind::FileName}}, outputName,
                        editing ? m_project.Html.at(m_index).outputName() : QString()))
        return;
    const int other = FindOtherHtml(m_project, outputName, m_new ? -1 : m_index);
    if (other >= 0) {
        Ui().message(DuplicateNameMessage(m_project.Html.at(other).outputName(), other), UiService::Icon::Critical);
        return;
    }
    if (m_new) {
        if (!AddHtmlDat(m_project, name, fileName, QString(), ext)) {
            Ui().message(QStringLiteral("これ以上HTMLデータを追加できません。"), UiService::Icon::Critical);
            return;
        }
    } else if (m_index >= 0 && m_index < m_project.Html.size()) {
        HtmlDat &h = m_project.Html[m_index];
        h.DatName = name;
        h.FileName = fileName;
        h.Kakutyousi = ext;
    }
    accept();
}

// ---------------------------------------------------------------------------
// FileItemDialog

FileItemDialog::FileItemDialog(ProjectDates &project, ItemKind kind, QWidget *parent)
    : QDialog(parent)
    , m_project(project)
    , m_kind(kind)
    , m_new(project.EditNew)
    , m_index(project.EditNew ? -1 : project.EditIndex)
{
}

QVector<PictDat> &FileItemDialog::table()
{
    return m_kind == KindPict ? m_project.Pict : m_project.ElseFile;
}

QString FileItemDialog::browseFilter() const
{
    if (m_kind == KindPict)
        return QStringLiteral("利用可能な画像ファイル|*gif;*jpg;*.bmp;*.png|GIFファイル|*.gif|JPGファイル|*jpg;jpeg|"
                              "ビットマップファイル|*.bmp|PNGファイル|*.png|全てのファイル|*.*");
    return QStringLiteral("全てのファイル|*.*");
}

void FileItemDialog::buildControls(QWidget *preview, QPushButton *extraButton)
{
    m_text1 = makeEdit(QStringLiteral("Text1"), this);
    m_command1 = makeButton(QStringLiteral("参照..."), QStringLiteral("Command1"), this);
    m_label3 = makeLabel(QStringLiteral("名前"), QStringLiteral("Label3"), this);
    m_text3 = makeEdit(QStringLiteral("Text3"), this);
    m_label2 = makeLabel(QString(), QStringLiteral("Label2"), this);
    m_text2 = makeEdit(QStringLiteral("Text2"), this);
    m_label1 = makeLabel(QString(), QStringLiteral("Label1"), this);
    m_label1->setWordWrap(true);
    m_command2 = makeButton(QStringLiteral("OK"), QStringLiteral("Command2"), this);
    m_command2->setDefault(true);
    m_command3 = makeButton(QStringLiteral("キャンセル"), QStringLiteral("Command3"), this);
    // Names for screen readers: the labels name their boxes; the path has none.
    m_label3->setBuddy(m_text3);
    m_label2->setBuddy(m_text2);
    m_text1->setAccessibleName(QStringLiteral("ファイルのパス"));

    auto *pathRow = new QHBoxLayout;
    pathRow->addWidget(m_text1, 1);
    pathRow->addWidget(m_command1);
    auto *grid = new QGridLayout;
    grid->addLayout(pathRow, 0, 0, 1, 2);
    grid->addWidget(m_label3, 1, 0);
    grid->addWidget(m_text3, 1, 1);
    grid->addWidget(m_label2, 2, 0, 1, 2);
    grid->addWidget(m_text2, 3, 0, 1, 2);
    grid->addWidget(m_label1, 4, 0, 1, 2);
    auto *buttons = new QHBoxLayout;
    if (extraButton)
        buttons->addWidget(extraButton);
    buttons->addStretch();
    buttons->addWidget(m_command2);
    buttons->addWidget(m_command3);
    if (extraButton)
        SameButtonSize({extraButton, m_command2, m_command3});
    else
        SameButtonSize({m_command2, m_command3});
    auto *layout = new QVBoxLayout(this);
    if (preview) {
        auto *top = new QHBoxLayout;
        top->addLayout(grid, 1);
        top->addWidget(preview);
        layout->addLayout(top);
    } else {
        layout->addLayout(grid);
    }
    layout->addLayout(buttons);
    setMinimumWidth(preview ? 560 : 420);

    // Tab follows the layout: path, its button, name, file name, then the
    // buttons from left to right (the extra button was made before the rest).
    QList<QWidget *> order = {m_text1, m_command1, m_text3, m_text2};
    if (extraButton)
        order.append(extraButton);
    order << m_command2 << m_command3;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));

    connect(m_text1, &QLineEdit::textChanged, this, [this](const QString &path) {
        detectKind(path);
        updateState();
    });
    for (QLineEdit *e : {m_text2, m_text3})
        connect(e, &QLineEdit::textChanged, this, &FileItemDialog::updateState);
    connect(m_command1, &QPushButton::clicked, this, [this] {
        const QString chosen = OpenFileOfKind(m_kind == KindPict ? DialogKind::Picture : DialogKind::OtherFile,
                                              browseFilter(), m_project.ProjectPath);
        if (!chosen.isEmpty())
            m_text1->setText(chosen);
    });
    connect(m_command2, &QPushButton::clicked, this, &FileItemDialog::onOk);
    connect(m_command3, &QPushButton::clicked, this, &QDialog::reject);
}

void FileItemDialog::openForMode(const QString &newTitle, const QString &newName, const QString &newFileName)
{
    if (m_new) {
        setWindowTitle(newTitle);
        m_text3->setText(newName);
        m_text2->setText(newFileName);
    } else if (m_index >= 0 && m_index < table().size()) {
        const PictDat item = table().at(m_index);
        setWindowTitle(item.DatName + QStringLiteral("の設定"));
        // The stored extension is what a picture that keeps its extension keeps.
        m_kakutyousi = item.Kakutyousi;
        m_text1->setText(item.FilePath); // runs the kind detection
        if (item.FilePath.isEmpty())     // an unchanged (empty) box reports no change
            detectKind(item.FilePath);
        afterPathSetInEdit(item);
        m_text3->setText(item.DatName);
        m_text2->setText(item.FileName);
    }
    updateState();
    m_text3->selectAll();
    m_text3->setFocus();
}

void FileItemDialog::updateState()
{
    m_label2->setText(OutputNameLabel(m_text2->text() + m_kakutyousi) + label2Suffix());
    m_command2->setEnabled(!m_text1->text().isEmpty() && !m_text2->text().isEmpty() && !m_text3->text().isEmpty());
}

void FileItemDialog::onOk()
{
    const QString path = m_text1->text();
    const QString name = m_text3->text();
    const QString fileName = m_text2->text();
    const QString outputName = fileName + m_kakutyousi;
    const bool editing = !m_new && m_index >= 0 && m_index < table().size();
    if (!fieldsStorable({{FieldName, name},
                         {FieldFileName, fileName, FieldKind::FileName},
                         {FieldExt, m_kakutyousi, FieldKind::FileName},
                         {FieldPath, path, FieldKind::FileName}},
                        outputName, editing ? table().at(m_index).outputName() : QString()))
        return;
    const int other = m_kind == KindPict ? FindOtherPict(m_project, outputName, m_new ? -1 : m_index)
                                         : FindOtherElse(m_project, outputName, m_new ? -1 : m_index);
    if (other >= 0) {
        Ui().message(DuplicateNameMessage(table().at(other).outputName(), other), UiService::Icon::Critical);
        return;
    }
    if (m_new) {
        const bool added = m_kind == KindPict ? AddPictDat(m_project, name, fileName, path, m_kakutyousi)
                                              : AddElseFileDat(m_project, name, fileName, path, m_kakutyousi);
        if (!added) {
            Ui().message(QStringLiteral("これ以上追加できません。"), UiService::Icon::Critical);
            return;
        }
    } else if (m_index >= 0 && m_index < table().size()) {
        PictDat &d = table()[m_index];
        d.DatName = name;
        d.FileName = fileName;
        d.FilePath = path;
        d.Kakutyousi = m_kakutyousi;
    }
    accept();
}

// ---------------------------------------------------------------------------
// PictureSettei

PictureSettei::PictureSettei(ProjectDates &project, QWidget *parent)
    : FileItemDialog(project, KindPict, parent)
{
    setObjectName(QStringLiteral("PictureSettei"));
    auto *previewBox = new QWidget(this);
    auto *previewLayout = new QVBoxLayout(previewBox);
    previewLayout->setContentsMargins(0, 0, 0, 0);
    m_image1 = makeLabel(QString(), QStringLiteral("Image1"), previewBox);
    m_image1->setFixedSize(160, 120);
    m_image1->setAlignment(Qt::AlignCenter);
    m_image1->setFrameShape(QFrame::StyledPanel);
    m_brack = makeLabel(QString(), QStringLiteral("Brack"), previewBox);
    m_brack->setPixmap(PlaceholderPicture());
    m_brack->hide();
    previewLayout->addWidget(m_image1);
    previewLayout->addWidget(m_brack);
    previewLayout->addStretch();
    buildControls(previewBox, nullptr);

    m_image1->setPixmap(m_brack->pixmap());
    m_label1->setText(QStringLiteral("画像ファイル"));
    openForMode(QStringLiteral("画像の追加"), NewPictName(m_project, false), NewPictName(m_project, true));
}

bool PictureSettei::PictureLoads(const QString &path, QImage *image)
{
    if (path.isEmpty())
        return false;
    // Only a regular file is read: a FIFO would wait for ever.
    QFile file;
    if (!OpenRegularFile(file, path))
        return false;
    // The preview shows the formats a picture box shows: GIF, JPEG and BMP.
    QImageReader reader(&file);
    const QByteArray format = reader.format().toLower();
    if (format != "gif" && format != "jpeg" && format != "jpg" && format != "bmp")
        return false;
    QImage img = reader.read();
    if (img.isNull())
        return false;
    if (image)
        *image = img;
    return true;
}

void PictureSettei::detectKind(const QString &path)
{
    QImage img;
    const bool loads = PictureLoads(path, &img);
    if (loads)
        m_image1->setPixmap(QPixmap::fromImage(img).scaled(m_image1->size(), Qt::KeepAspectRatio,
                                                           Qt::SmoothTransformation));
    else
        m_image1->setPixmap(m_brack->pixmap());
    const ItemKindResult r = PictKind(loads, path);
    if (!r.keepLabel)
        m_label1->setText(r.label);
    if (!r.keepExt)
        m_kakutyousi = r.ext;
}

// ---------------------------------------------------------------------------
// ElseFileSettei

ElseFileSettei::ElseFileSettei(ProjectDates &project, QWidget *parent)
    : FileItemDialog(project, KindElseFile, parent)
{
    setObjectName(QStringLiteral("ElseFileSettei"));
    m_command4 = makeButton(QStringLiteral("拡張子..."), QStringLiteral("Command4"), this);
    buildControls(nullptr, m_command4);
    connect(m_command4, &QPushButton::clicked, this, &ElseFileSettei::onKakutyousi);
    openForMode(QStringLiteral("ファイルの追加"), NewElseFileName(m_project, false), NewElseFileName(m_project, true));
}

void ElseFileSettei::detectKind(const QString &path)
{
    const ItemKindResult r = ElseFileKind(path);
    m_label1->setText(r.label);
    m_kakutyousi = r.ext;
    m_kakutyousiHenkou = false;
}

QString ElseFileSettei::label2Suffix() const
{
    return m_kakutyousiHenkou ? QStringLiteral("　・・・拡張子が変更されています。") : QString();
}

void ElseFileSettei::afterPathSetInEdit(const PictDat &item)
{
    if (item.Kakutyousi != m_kakutyousi) {
        m_kakutyousi = item.Kakutyousi;
        m_kakutyousiHenkou = true;
    }
}

void ElseFileSettei::onKakutyousi()
{
    // The dialog edits the extension without its dot; an item without an
    // extension starts from an empty text.
    const QString current = m_kakutyousi.isEmpty() ? QString() : m_kakutyousi.mid(1);
    KakutyousiSettei dlg(current, this);
    dlg.exec();
    const QString chosen = dlg.kakutyousiStr();
    m_kakutyousi = chosen.isEmpty() ? QString() : u'.' + chosen;
    m_kakutyousiHenkou = true;
    updateState();
}
