#pragma once

#include <QObject>

class MainForm;

// The template commands: a new project or a new page from a template,
// registering the current project or page as a user template, and the list
// of user templates.
class TemplateCommands : public QObject
{
    Q_OBJECT

public:
    TemplateCommands(MainForm *form, QObject *parent);

    // Each returns false when it stopped without doing its work.
    bool ProNewminmnyHina();
    bool AddHTMLminmnyHina();
    bool minmnyNewPhina();
    bool minmnyNewHhina();
    void minmnyHinaList();

private:
    bool registerTemplate(int kind);

    MainForm *m_form;
};
