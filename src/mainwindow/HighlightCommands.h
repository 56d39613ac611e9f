#pragma once

#include <QObject>

class HtmlHighlighter;
class MainForm;

// HTML colouring of the editor: the view-menu toggle "HTMLの色分け表示(&H)"
// (minmnyIroWake), on by default, kept in OptionDate.dat from one run to the
// next.
class HighlightCommands : public QObject
{
    Q_OBJECT

public:
    HighlightCommands(MainForm *form, QObject *parent);

    HtmlHighlighter *highlighter() const { return m_highlighter; }

private:
    void loadOption();
    void saveOption();

    MainForm *m_form;
    HtmlHighlighter *m_highlighter;
};
