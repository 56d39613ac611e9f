#pragma once

#include "ProjectDates.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The settings dialogs of pages, pictures and other files. Each works in the
// mode EditNew names: new (OK appends the item) or edit (OK rewrites the item
// in place: page NowHtml, picture or other file EditIndex). OK refuses a
// duplicate output name, a name that would leave the output folder and text
// the project file cannot carry; the dialog then stays open.

// The text of Label2: "出力時のファイル名 - [" + output name + "]".
QString OutputNameLabel(const QString &outputName);

// Page settings.
class HTMLProp : public QDialog
{
    Q_OBJECT

public:
    explicit HTMLProp(ProjectDates &project, QWidget *parent = nullptr);

    // ".htm" or ".html" while Check1 is ticked, else empty.
    QString chosenExt() const;

private:
    void updateState();
    void onOk();

    ProjectDates &m_project;
    bool m_new = true;
    int m_index = -1;
    QLabel *m_label1 = nullptr;
    QLineEdit *m_nametxt = nullptr;
    QLabel *m_label2 = nullptr;
    QLineEdit *m_fnTxt = nullptr;
    QCheckBox *m_check1 = nullptr;
    QGroupBox *m_frame1 = nullptr;
    QRadioButton *m_optionhtm = nullptr;
    QRadioButton *m_optionhtml = nullptr;
    QPushButton *m_command1 = nullptr;
    QPushButton *m_command2 = nullptr;
};

// Shared by the picture and other-file dialogs: a path with "参照...", the
// display name, the output name and the kind description.
class FileItemDialog : public QDialog
{
    Q_OBJECT

public:
    // The working extension (with its dot, or empty).
    QString kakutyousi() const { return m_kakutyousi; }

protected:
    FileItemDialog(ProjectDates &project, ItemKind kind, QWidget *parent);

    // Builds the controls; extra widgets go below the description.
    void buildControls(QWidget *preview, QPushButton *extraButton);
    // Fills the boxes for the mode (called at the end of the subclass constructor).
    void openForMode(const QString &newTitle, const QString &newName, const QString &newFileName);
    void updateState();
    virtual void detectKind(const QString &path) = 0;
    virtual QString label2Suffix() const { return QString(); }
    virtual void afterPathSetInEdit(const PictDat &) {}
    void onOk();

    ProjectDates &m_project;
    ItemKind m_kind;
    bool m_new = true;
    int m_index = -1;
    QString m_kakutyousi;
    QLineEdit *m_text1 = nullptr;
    QPushButton *m_command1 = nullptr;
    QLabel *m_label3 = nullptr;
    QLineEdit *m_text3 = nullptr;
    QLabel *m_label2 = nullptr;
    QLineEdit *m_text2 = nullptr;
    QLabel *m_label1 = nullptr;
    QPushButton *m_command2 = nullptr;
    QPushButton *m_command3 = nullptr;

private:
    QVector<PictDat> &table();
    QString browseFilter() const;
};

// Picture settings.
class PictureSettei : public FileItemDialog
{
    Q_OBJECT

public:
    explicit PictureSettei(ProjectDates &project, QWidget *parent = nullptr);

    // True when the picture at path can be shown (GIF, JPEG or BMP).
    static bool PictureLoads(const QString &path, QImage *image = nullptr);

protected:
    void detectKind(const QString &path) override;

private:
    QLabel *m_image1 = nullptr;
    QLabel *m_brack = nullptr;
};

// Other-file settings.
class ElseFileSettei : public FileItemDialog
{
    Q_OBJECT

public:
    explicit ElseFileSettei(ProjectDates &project, QWidget *parent = nullptr);

    bool kakutyousiHenkou() const { return m_kakutyousiHenkou; }

protected:
    void detectKind(const QString &path) override;
    QString label2Suffix() const override;
    void afterPathSetInEdit(const PictDat &item) override;

private:
    void onKakutyousi();

    QPushButton *m_command4 = nullptr;
    bool m_kakutyousiHenkou = false;
};
