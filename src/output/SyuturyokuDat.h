#pragma once

#include "ProjectDates.h"
#include "SyuturyokuMod.h"

#include <QDialog>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeView;

// The output dialog "プロジェクトを出力": the user picks a folder with the drive
// list, the folder tree and the file list, names a new folder to create, and
// "保存" creates it and writes the project into it.
class SyuturyokuDat : public QDialog
{
    Q_OBJECT

public:
    // options: how the pages are written.
    explicit SyuturyokuDat(ProjectDates &project, QWidget *parent = nullptr, const SyuturyokuOptions &options = {});

    // The folder the new folder is created in (the tree's current folder).
    QString currentFolder() const { return m_folder; }
    // Opens folder in the tree (its drive is chosen in the drive list).
    void setCurrentFolder(const QString &folder);

    // Chooses entry index of the drive list, as the user would.
    void chooseDrive(int index);

private:
    void onDriveChanged(int index);
    void showFolder(const QString &folder);
    void onSave();

    ProjectDates &m_project;
    SyuturyokuOptions m_options;
    QComboBox *m_drive1 = nullptr;
    QTreeView *m_dir1 = nullptr;
    QListWidget *m_file1 = nullptr;
    QLabel *m_folderLabel = nullptr;
    QLabel *m_label1 = nullptr;
    QLineEdit *m_text1 = nullptr;
    QPushButton *m_command1 = nullptr;
    QPushButton *m_command2 = nullptr;
    QFileSystemModel *m_dirs = nullptr;
    QString m_folder;
    int m_driveIndex = -1;
};
