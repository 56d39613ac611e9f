#pragma once

#include "TextFiles.h"

#include <QString>
#include <QStringList>
#include <QVector>

// Insertion scripts: one statement record, the statement table and the WizDate
// file format ("$WizDate", the upper index, then each statement's code and
// arguments, all on one comma-delimited line).

// Statement codes. Code 10 is not used.
enum WizOpCode : qint16 {
    OpWizEnd = -1,
    OpHensuSettei = 0,
    OpOutPut = 1,
    OpSentakuOut = 2,
    OpDainyu = 3,
    OpSisoku = 4,
    OpBunki = 5,
    OpTigaeba = 6,
    OpBunkiEnd = 7,
    OpLoopStart = 8,
    OpLoopEnd = 9,
    OpKaigyou = 11,
    OpInputWindow = 12,
    OpTokusyu = 13,
};

// Variable types named by statements.
enum WizHensuType : qint16 {
    HensuStr = 0,
    HensuInt = 1,
    HensuBool = 2,
};

// How many integer and text fields a statement code carries in the file.
// false for a code that is not a statement code.
bool WizOpFieldCounts(qint16 code, int *intCount, int *strCount);

// One statement: its code, its integer arguments and its text arguments. A code
// without integer fields still has one zero slot, one without text fields one
// empty text slot.
struct WizOp
{
    qint16 OpType = OpHensuSettei;
    QVector<qint16> IntDat{0};
    QStringList StrDat{QString()};

    // Upper indices of the argument arrays (-1 would mean empty; never the case
    // for a statement made by MakeWizOp or the reader).
    qint16 IntMax() const { return qint16(IntDat.size() - 1); }
    qint16 StrMax() const { return qint16(StrDat.size() - 1); }

    qint16 I(int k) const { return k < IntDat.size() ? IntDat.at(k) : qint16(0); }
    QString S(int k) const { return k < StrDat.size() ? StrDat.at(k) : QString(); }

    friend bool operator==(const WizOp &a, const WizOp &b)
    {
        return a.OpType == b.OpType && a.IntDat == b.IntDat && a.StrDat == b.StrDat;
    }
    friend bool operator!=(const WizOp &a, const WizOp &b) { return !(a == b); }
};

// A fresh statement of the given code with its arguments sized as the code
// needs (zeros and empty texts), then filled from ints and strs in order.
WizOp MakeWizOp(qint16 code, const QVector<qint16> &ints = {}, const QStringList &strs = {});

// A loaded script: statements 0..WizMax().
struct WizProgram
{
    QVector<WizOp> ops;

    // The upper index, not the count: a script of 30 statements has 29.
    qint16 WizMax() const { return qint16(ops.size() - 1); }
};

// The one statement table shared by the catalogue, the interpreter, the wizard
// window and the script editor.
WizProgram &WizPrg();

// Inserts a fresh statement (OpWizEnd, one zero and one empty argument) at
// index, moving index.. up by one; index may be one past the last statement.
// false (and nothing changed) when index is outside 0..WizMax + 1 or the table
// already holds the most statements a script can have.
bool InsWizOp(WizProgram &program, qint16 index);

// Removes statement index, moving the statements behind it down by one.
// false when there is no statement index.
bool DelWizOp(WizProgram &program, qint16 index);

// A statement dialog's OK: in edit mode (WizEditNew false) the statement at
// WizEditIndex is replaced; in insert mode op is inserted at WizEditIndex.
bool PutWizOp(WizProgram &program, bool WizEditNew, qint16 WizEditIndex, const WizOp &op);

enum class WizLoadResult {
    Loaded,
    CannotOpen,   // the file is missing or unreadable
    NotWizDate,   // the first field is not "$WizDate"
    BadCount,     // the upper index is missing, not a number or below -1
    BadCode,      // a statement code outside the table
    BadField,     // an integer argument that is not a 16-bit number
    TooFewFields, // the line ends before the statements it announces
    ExtraFields,  // more fields follow the last announced statement
};

// A short readable reason for a load result (for messages and test output).
QString WizLoadResultText(WizLoadResult result);

// Parses the text of a WizDate file into *program. On any failure *program is
// left exactly as it was; a file is taken whole or not at all.
WizLoadResult LoadWizDateFromText(const QString &text, WizProgram *program);

// Reads a WizDate file (code page 932) into *program, whole or not at all.
WizLoadResult LoadWizDate(const QString &path, WizProgram *program);

// Reads a WizDate file into the shared table WizPrg().
WizLoadResult LoadWizDate(const QString &path);

// The file line of a script, without its line end.
QString WizDateToText(const WizProgram &program);

// Writes the script as one line followed by CR LF in code page 932, replacing
// the file only when completely written. false (and a reason in *error) when
// the file cannot be written or a text holds a character without a code.
// links: Follow for a file the user chose, Replace for a script file of the
// program's own folders (a link there is replaced, not written through).
bool SaveWizDate(const QString &path, const WizProgram &program, QString *error = nullptr,
                 LinkMode links = LinkMode::Follow);

// Writes the shared table WizPrg().
bool SaveWizDate(const QString &path, QString *error = nullptr);
