#pragma once

#include "WizDate.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

// The statement-table operations of the script editor and its statement
// dialogs: the text line of a statement, the indented listing, the nesting
// check and the statement clipboard. Inserting, removing and putting a
// statement are in WizDate.h, where the statement dialogs of the insertion
// engine reach them too.

// The editor's line for one statement ("■出力　\"<b>\"", "◇もし　整数型変数(1)=>3　ならば").
QString WizOpText(const WizOp &op);

// The line for statement index of the shared table WizPrg(); empty outside it.
QString WizOpText(qint16 index);

// The editor's listing: for each statement its line, indented by nesting with
// two full-width blanks per level (the body of an if, an else and a loop is
// one level deeper than the line that opened it).
QStringList ShowScLines(const WizProgram &program);

// A place where ifs, elses and loops do not pair up.
struct WizNestProblem
{
    qint16 line = 0;
    QString message; // short explanation for a beginner
};

// Finds elses and ends without their if, loop ends without their start, blocks
// that cross each other, and ifs or loops never closed. Empty when the script
// nests soundly.
QVector<WizNestProblem> CheckWizNesting(const WizProgram &program);

// The statement clipboard: lives as long as the program and carries a
// statement from one script into another.
std::optional<WizOp> &WizClip();
