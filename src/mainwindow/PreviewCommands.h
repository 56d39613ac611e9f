#pragma once

#include "PrvForm.h"

#include <QObject>
#include <QPointer>

class MainForm;
class PreviewPane;

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

    // The status text shown when the preview pane gets the focus.
    static QString focusText(bool autoUpdate);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void attachBrowser();
    void minmnyPrv();
    void minmnyAt();
    void minmnyPlb();

    MainForm *m_form;
    PreviewPane *m_pane;
    QPointer<PrvForm> m_prvForm;
    bool m_attached = false;
};
