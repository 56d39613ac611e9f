// Feeds arbitrary bytes to the readers of SizeDate.dat and FontDate.dat: they
// must read them, never crash or hang. Whatever window geometry SizeDate.dat
// gives, fitting it onto a screen must give a window
// that lies on that screen, and fitting the layout sizes must keep the
// editor's minimum where the window has room.

#include "Cp932.h"
#include "SettingsFiles.h"
#include "WindowFit.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// Twips to pixels at 96 dots per inch, bounded as the window code bounds them.
int px(double twips)
{
    if (!std::isfinite(twips) || std::fabs(twips) >= 1.0e6)
        return 0;
    return int(std::lround(twips / 15.0));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = Cp932::decode(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));

    const WindowSettings s = ParseSizeDateText(text);
    if (s.present & ~WindowSettings::AllFields)
        std::abort();
    // What was read writes back to a line that reads to the same flags.
    const WindowSettings again = ParseSizeDateText(MakeSizeDateText(s));
    if (again.present != WindowSettings::AllFields || again.PrvVisible != s.PrvVisible
        || again.AutoPreview != s.AutoPreview)
        std::abort();

    const QVector<QRect> screens = {QRect(0, 28, 1024, 740), QRect(1024, 0, 1400, 950)};
    const QMargins frame(4, 32, 4, 4);
    const QRect window(px(s.Left) + frame.left(), px(s.Top) + frame.top(), px(s.Width), px(s.Height));
    const QRect fitted = FitWindowOnScreens(window, screens, frame);
    bool onOne = false;
    for (const QRect &screen : screens)
        onOne = onOne || screen.contains(fitted.marginsAdded(frame));
    if (!onOne)
        std::abort();

    const double W = 15.0 * fitted.width() + 120;
    const double H = 15.0 * fitted.height() + 600;
    const LayoutSizes fit = FitLayoutSizes(W, H, {s.CatalogueWidth, s.FilesWidth, s.EditorHeight});
    if (fit.catalogueWidth < MinColumnTwips || fit.filesWidth < MinColumnTwips
        || fit.editorHeight < MinEditorHeightTwips)
        std::abort();
    if (W >= 600 + MinEditorWidthTwips + 2 * MinColumnTwips
        && W - fit.catalogueWidth - fit.filesWidth - 600 < MinEditorWidthTwips - 0.001)
        std::abort();

    const EditorFontSettings f = ParseFontDateText(text);
    if (f.Name.contains(QChar(0)) || (f.has(EditorFontSettings::FontSize) && !(f.Size > 0)))
        std::abort();
    (void)MakeFontDateText(f);
    return 0;
}
