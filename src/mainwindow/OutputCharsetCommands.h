#pragma once

#include "SyuturyokuMod.h"

#include <QObject>

class MainForm;

// The encoding output writes pages in: the two choices of
// ファイル > プロジェクトを出力 > "出力するページの文字コード", "ページのまま"
// (the default) and "UTF-8に変換", kept in OptionDate.dat from one run to the
// next. The choice is written as soon as it is made.
class OutputCharsetCommands : public QObject
{
    Q_OBJECT

public:
    OutputCharsetCommands(MainForm *form, QObject *parent);

private:
    void loadOption();
    void choose(bool utf8);

    MainForm *m_form;
};

// The options the output commands of the main window write with.
SyuturyokuOptions OutputOptionsOf(const MainForm *form);
