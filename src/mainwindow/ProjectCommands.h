#pragma once

#include <QObject>
#include <QString>

class MainForm;

// The commands of the file menu that create, open and save whole projects,
// save the shown page as an HTML file and end the program; the exit sequence;
// and the start-up steps that read the settings files and resume a
// work-in-progress backup.
class ProjectCommands : public QObject
{
    Q_OBJECT

public:
    ProjectCommands(MainForm *form, QObject *parent);

    // Each returns false when it stopped without doing its work (a dialog
    // cancelled, a save or write failed).
    bool ProNewminmnyNew();
    bool minmnyProOpen();
    bool minmnyProSave();
    bool minmnyProNameSave();
    bool minmnyHTMLNameSave();
    void minmnyEnd();
    bool minmnyWrEnd();
    // Ending asked for from outside (logout, shutdown, kill): unsaved work
    // goes into the work-in-progress backup as with 書きかけ終了, so nothing
    // is asked and nothing is lost; an unchanged project simply closes.
    void endOnRequest();

    // The exit sequence; false keeps the window open.
    bool exitSequence();
    // Start-up step 6: SizeDate.dat and FontDate.dat.
    void loadSettings();
    // Start-up step 8: the work-in-progress backup.
    void resumeBackup();

    // The unsaved-changes question and, on Yes, save project. False when the
    // question was cancelled, or the answer was Yes and the project was not
    // saved: the caller must stop.
    // (Other commands that replace the project use it too; the group is the
    // child of MainForm named "ProjectCommands".)
    bool saveIfWanted();

private:
    bool writeProject(const QString &path);
    // The window after the project was replaced: page list on the first page,
    // catalogue, output-folder item, title; the project unchanged.
    void showReplacedProject();

    MainForm *m_form;
};
