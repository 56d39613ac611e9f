#include "WindowSettingsIO.h"

#include "MainForm.h"
#include "PageEditor.h"
#include "Twips.h"
#include "WindowFit.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QScreen>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

// Sizes in twips that a control or the window can take.
bool usableSize(double twips)
{
    return twips > 0 && twips < 1.0e6;
}

// What the layout adds to the window's own height when it measures it from
// outside. Before the window is shown the menu bar has no height of its own
// yet; its size hint is what it will get.
double heightAllowance(const MainForm &form)
{
    double allowance = form.formHeightTwips() - PxToTwips(form.height());
    if (!form.isVisible())
        allowance += PxToTwips(form.menuBar()->height()) - PxToTwips(form.menuBar()->sizeHint().height());
    return allowance;
}

double widthAllowance(const MainForm &form)
{
    return form.formWidthTwips() - PxToTwips(form.width());
}

void setWidthTwips(QWidget *w, double twips)
{
    w->resize(TwipsToPx(twips), w->height());
}

// A view flag: its field in the file, in the settings, on the window, and the
// menu item that carries its check mark.
struct FlagItem
{
    SizeField field;
    bool WindowSettings::*value;
    bool MainForm::*flag;
    const char16_t *action;
};

const FlagItem flagItems[] = {
    {SizePrvVisible, &WindowSettings::PrvVisible, &MainForm::PrvVisible, u"minmnyPrv"},
    {SizeFilesVisible, &WindowSettings::FilesVisible, &MainForm::FilesVisible, u"minmnyShowFiles"},
    {SizeTagsVisible, &WindowSettings::TagsVisible, &MainForm::TagsVisible, u"minmnyShowTags"},
    {SizeToolbarVisible, &WindowSettings::ToolbarVisible, &MainForm::ToolbarVisible, u"minmnyTru"},
    {SizeStatusVisible, &WindowSettings::StatusVisible, &MainForm::StatusVisible, u"minmnyStats"},
};

void setTick(MainForm &form, const char16_t *name, bool on)
{
    if (QAction *a = form.action(QString::fromUtf16(name)))
        a->setChecked(on);
}

} // namespace

WindowSettings CollectWindowSettings(const MainForm &form)
{
    const MainFormControls &ui = form.ui();
    WindowSettings s;
    QRect geometry(form.pos(), form.size());
    if (form.isMaximized() || form.isMinimized() || form.isFullScreen())
        geometry = form.normalGeometry();
    s.Height = PxToTwips(geometry.height()) + heightAllowance(form);
    s.Width = PxToTwips(geometry.width()) + widthAllowance(form);
    s.Top = PxToTwips(geometry.y());
    s.Left = PxToTwips(geometry.x());
    s.CatalogueWidth = PxToTwips(ui.InSelectList->width());
    s.FilesWidth = PxToTwips(ui.MinDatList->width());
    // With the preview hidden the editor fills the column; the height to keep
    // is the one it returns to.
    s.EditorHeight = (!form.PrvVisible && form.EditHeight != 0) ? double(form.EditHeight)
                                                                 : PxToTwips(ui.MainText->height());
    s.PrvVisible = form.PrvVisible;
    s.FilesVisible = form.FilesVisible;
    s.TagsVisible = form.TagsVisible;
    s.ToolbarVisible = form.ToolbarVisible;
    s.StatusVisible = form.StatusVisible;
    s.PicShow = form.PicShow;
    const QAction *at = form.action(u"minmnyAt"_s);
    s.AutoPreview = at && at->isChecked();
    s.present = WindowSettings::AllFields;
    return s;
}

void ApplyWindowSettings(MainForm &form, const WindowSettings &s)
{
    const MainFormControls &ui = form.ui();

    // Window size and position, brought onto a screen: a size or place that
    // no screen can show would open the window out of reach, or not at all.
    if (s.has(SizeHeight) || s.has(SizeWidth) || s.has(SizeTop) || s.has(SizeLeft)) {
        int h = form.height();
        int w = form.width();
        if (s.has(SizeHeight) && usableSize(s.Height - heightAllowance(form)))
            h = TwipsToPx(s.Height - heightAllowance(form));
        if (s.has(SizeWidth) && usableSize(s.Width - widthAllowance(form)))
            w = TwipsToPx(s.Width - widthAllowance(form));
        const bool place = s.has(SizeTop) || s.has(SizeLeft);
        QPoint to = form.pos();
        if (s.has(SizeTop) && std::fabs(s.Top) < 1.0e6)
            to.setY(TwipsToPx(s.Top));
        if (s.has(SizeLeft) && std::fabs(s.Left) < 1.0e6)
            to.setX(TwipsToPx(s.Left));
        // The saved position is the frame's; the fit works on the area inside it.
        const QMargins frame = WindowFrameMargins(form);
        const QPoint inside(frame.left(), frame.top());
        const QVector<QRect> screens = AvailableScreenAreas();
        if (place) {
            const QRect fitted = FitWindowOnScreens(QRect(to + inside, QSize(w, h)), screens, frame);
            form.resize(fitted.size());
            form.move(fitted.topLeft() - inside);
        } else if (!screens.isEmpty()) {
            form.resize(FitWindowSize(QSize(w, h), screens.first(), frame));
        }
    }

    // Column widths.
    if (s.has(SizeCatalogueWidth) && usableSize(s.CatalogueWidth)) {
        for (QWidget *w : {static_cast<QWidget *>(ui.InSelectList), static_cast<QWidget *>(ui.TagTypeCombo),
                           static_cast<QWidget *>(ui.InTagList), static_cast<QWidget *>(ui.Image1)})
            setWidthTwips(w, s.CatalogueWidth);
    }
    if (s.has(SizeFilesWidth) && usableSize(s.FilesWidth)) {
        setWidthTwips(ui.MinDatList, s.FilesWidth);
        setWidthTwips(ui.DatList, s.FilesWidth);
    }

    // Editor height, remembered for the layout as a 16-bit number.
    if (s.has(SizeEditorHeight) && usableSize(s.EditorHeight)) {
        ui.MainText->resize(ui.MainText->width(), TwipsToPx(s.EditorHeight));
        const double rounded = std::nearbyint(s.EditorHeight);
        if (rounded <= std::numeric_limits<qint16>::max())
            form.EditHeight = qint16(rounded);
    }

    // Column widths and the editor height, kept within the window so that
    // the editor stays usable and every column stays on it.
    FitLayoutToWindow(form);

    // View flags and their check marks.
    for (const FlagItem &f : flagItems) {
        if (!s.has(f.field))
            continue;
        form.*(f.flag) = s.*(f.value);
        setTick(form, f.action, s.*(f.value));
    }
    if (s.has(SizePicShow))
        form.PicShow = s.PicShow;
    if (s.has(SizeAutoPreview))
        setTick(form, u"minmnyAt", s.AutoPreview); // the AtKosin button follows the tick

    form.Form_Resize();
}

QVector<QRect> AvailableScreenAreas()
{
    QVector<QRect> areas;
    if (const QScreen *primary = QGuiApplication::primaryScreen())
        areas.append(primary->availableGeometry());
    for (const QScreen *screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen())
            areas.append(screen->availableGeometry());
    }
    return areas;
}

QMargins WindowFrameMargins(const QWidget &window)
{
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    if (window.isVisible() && outer != inner)
        return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                outer.bottom() - inner.bottom()};
    // Before the window is shown its frame is not known: a title bar and
    // thin borders.
    return {4, 32, 4, 4};
}

void FitLayoutToWindow(MainForm &form)
{
    const MainFormControls &ui = form.ui();
    LayoutSizes now;
    now.catalogueWidth = PxToTwips(ui.InSelectList->width());
    now.filesWidth = PxToTwips(ui.MinDatList->width());
    // The height the editor has or, with the preview hidden, gets back.
    const bool remembered = form.EditHeight != 0;
    now.editorHeight = remembered ? double(form.EditHeight) : PxToTwips(ui.MainText->height());
    const LayoutSizes fit = FitLayoutSizes(form.formWidthTwips(), form.formHeightTwips(), now);
    const auto changed = [](double a, double b) { return std::fabs(a - b) > 0.5; };
    if (changed(fit.catalogueWidth, now.catalogueWidth)) {
        for (QWidget *w : {static_cast<QWidget *>(ui.InSelectList), static_cast<QWidget *>(ui.TagTypeCombo),
                           static_cast<QWidget *>(ui.InTagList), static_cast<QWidget *>(ui.Image1)})
            setWidthTwips(w, fit.catalogueWidth);
    }
    if (changed(fit.filesWidth, now.filesWidth)) {
        setWidthTwips(ui.MinDatList, fit.filesWidth);
        setWidthTwips(ui.DatList, fit.filesWidth);
    }
    if (changed(fit.editorHeight, now.editorHeight)) {
        ui.MainText->resize(ui.MainText->width(), TwipsToPx(fit.editorHeight));
        if (remembered)
            form.EditHeight = qint16(std::nearbyint(fit.editorHeight));
    }
}

void ApplyFirstStartSettings(MainForm &form)
{
    for (const FlagItem &f : flagItems) {
        form.*(f.flag) = true;
        setTick(form, f.action, true);
    }
    form.PicShow = true;
    setTick(form, u"minmnyAt", true);
}

EditorFontSettings CollectEditorFont(const MainForm &form)
{
    const PageEditor *editor = form.ui().MainText;
    const QFont f = editor->font();
    EditorFontSettings s;
    s.Name = f.family();
    s.Size = f.pointSizeF() > 0 ? f.pointSizeF() : QFontInfo(f).pointSizeF();
    s.Bold = f.bold();
    s.Italic = f.italic();
    s.BackColorRef = ColorRefFromColor(EditorBackColor(form));
    s.TextColorRef = ColorRefFromColor(EditorTextColor(form));
    s.present = EditorFontSettings::AllFields;
    return s;
}

void ApplyEditorFont(MainForm &form, const EditorFontSettings &s)
{
    PageEditor *editor = form.ui().MainText;
    QFont f = editor->font();
    if (s.has(EditorFontSettings::FontName))
        f.setFamily(s.Name);
    if (s.has(EditorFontSettings::FontSize) && s.Size > 0)
        f.setPointSizeF(s.Size);
    if (s.has(EditorFontSettings::FontBold))
        f.setBold(s.Bold);
    if (s.has(EditorFontSettings::FontItalic))
        f.setItalic(s.Italic);
    editor->setFont(f);
    if (s.has(EditorFontSettings::BackColor)) {
        const QColor c = ColorFromColorRef(s.BackColorRef);
        if (c.isValid())
            SetEditorBackColor(form, c);
    }
    if (s.has(EditorFontSettings::TextColor)) {
        const QColor c = ColorFromColorRef(s.TextColorRef);
        if (c.isValid())
            SetEditorTextColor(form, c);
    }
}

QColor ColorFromColorRef(quint32 colorRef)
{
    if (IsSystemColorRef(colorRef)) {
        // The system colours an editor's settings can name.
        const QPalette pal = QApplication::palette();
        switch (colorRef & 0xFF) {
        case 5: return pal.color(QPalette::Base);            // window background
        case 8: return pal.color(QPalette::Text);            // window text
        case 13: return pal.color(QPalette::Highlight);
        case 14: return pal.color(QPalette::HighlightedText);
        case 15: return pal.color(QPalette::Button);         // button face
        case 17: return pal.color(QPalette::PlaceholderText); // grey text
        case 18: return pal.color(QPalette::ButtonText);
        default: return QColor();
        }
    }
    return QColor::fromRgb(QRgb(ColorRefToRgb(colorRef)));
}

quint32 ColorRefFromColor(const QColor &c)
{
    return RgbToColorRef(int(c.rgb() & 0x00FFFFFFu));
}

QColor EditorBackColor(const MainForm &form)
{
    return form.ui().MainText->palette().color(QPalette::Base);
}

QColor EditorTextColor(const MainForm &form)
{
    return form.ui().MainText->palette().color(QPalette::Text);
}

void SetEditorBackColor(MainForm &form, const QColor &c)
{
    PageEditor *editor = form.ui().MainText;
    QPalette pal = editor->palette();
    pal.setColor(QPalette::Base, c);
    editor->setPalette(pal);
}

void SetEditorTextColor(MainForm &form, const QColor &c)
{
    PageEditor *editor = form.ui().MainText;
    QPalette pal = editor->palette();
    pal.setColor(QPalette::Text, c);
    editor->setPalette(pal);
}

void OpenMainFiles(MainForm &form)
{
    if (const std::optional<WindowSettings> s = ReadSizeDate(SizeDatePath()))
        ApplyWindowSettings(form, *s);
    else
        ApplyFirstStartSettings(form);
    if (const std::optional<EditorFontSettings> f = ReadFontDate(FontDatePath()))
        ApplyEditorFont(form, *f);
}

bool SaveMainFiles(const MainForm &form, QString *error)
{
    const bool size = WriteSizeDate(SizeDatePath(), CollectWindowSettings(form), error);
    const bool font = WriteFontDate(FontDatePath(), CollectEditorFont(form), size ? error : nullptr);
    return size && font;
}
