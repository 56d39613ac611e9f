#pragma once

#include "PrvForm.h"

#include <QObject>
#include <QPointer>

class MainForm;
class PreviewPane;
class QTimer;

// The preview commands of the main window: the pane's refresh (EdPrv), its
// show/hide and automatic-update items, back/forward/refresh, the width the
// page is laid out at ("プレビューの幅", kept in OptionDate.dat and shared
// with the separate window), and the separate preview window.
class PreviewCommands : public QObject
{
    Q_OBJECT

public:
    PreviewCommands(MainForm *form, QObject *parent);

    PreviewPane *pane() const { return m_pane; }
    PrvForm *previewWindow() const { return m_prvForm; }

    // Refreshes the pane with page NowHtml (nothing while it is hidden).
    void EdPrv();
    // Refreshes it once typing pauses for PauseMs, and at the latest
    // LatestMs after the first keystroke not yet shown, without making the
    // typing wait: the copy is written on the writer's thread.
    void previewLater();
    static constexpr int PauseMs = 100;
    static constexpr int LatestMs = 500;
    // A refresh asked for by typing has not reached the browser yet (waits
    // for its moment, or its copy is being written).
    bool previewDue() const;

    // The page width of both previews: 0 for the whole pane, else CSS
    // pixels (one of PageWidthChoices).
    void setPageWidth(int cssPixels);
    int pageWidth() const { return m_pageWidth; }

    // The status text shown when the preview pane gets the focus.
    static QString focusText(bool autoUpdate);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void attachBrowser();
    void writeTyped();
    void minmnyPrv();
    void minmnyAt();
    void minmnyPlb();
    void loadOption();
    void saveOption();

    MainForm *m_form;
    PreviewPane *m_pane;
    QPointer<PrvForm> m_prvForm;
    bool m_attached = false;
    int m_pageWidth = 0;
    QTimer *m_pause;
    QTimer *m_latest;
};
