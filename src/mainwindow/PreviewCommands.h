#pragma once

#include "PrvForm.h"

#include <QObject>
#include <QPointer>

class MainForm;
class PreviewPane;
class QTimer;

// The preview commands of the main window: the pane's refresh (EdPrv), its
// show/hide and automatic-update items, back/forward/refresh, and the
// separate preview window.
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

    MainForm *m_form;
    PreviewPane *m_pane;
    QPointer<PrvForm> m_prvForm;
    bool m_attached = false;
    QTimer *m_pause;
    QTimer *m_latest;
};
