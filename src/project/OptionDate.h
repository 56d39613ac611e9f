#pragma once

#include <QString>

#include <optional>

// OptionDate.dat in AppDir: the editor options that SizeDate.dat and
// FontDate.dat do not hold. One line of code page 932 text ending in CR LF,
// comma-separated fields in this order:
//   1. HTML colouring in the editor: True or False (default True)
//   2. seconds between two recovery records while there are unsaved changes
//      (default 30; 1 to 3600)
//   3. width in CSS pixels at which the preview lays pages out: 0 for the
//      whole pane (default), 375 (a phone) or 768 (a tablet)
//   4. pages written by output as UTF-8: True (UTF-8に変換) or False
//      (ページのまま, each page in its own encoding; default False)
// A missing file, a short line or a field that does not convert leaves the
// default for that field.
struct EditorOptions
{
    bool HtmlIroWake = true;
    double RecoverySeconds = 30;
    int PreviewWidth = 0;
    bool OutputUtf8 = false;

    static constexpr double MinRecoverySeconds = 1;
    static constexpr double MaxRecoverySeconds = 3600;
    static constexpr int PhoneWidth = 375;
    static constexpr int TabletWidth = 768;
};

QString OptionDatePath();

QString MakeOptionDateText(const EditorOptions &o);
EditorOptions ParseOptionDateText(const QString &text);
// std::nullopt when the file cannot be read.
std::optional<EditorOptions> ReadOptionDate(const QString &path);
bool WriteOptionDate(const QString &path, const EditorOptions &o, QString *error = nullptr);
