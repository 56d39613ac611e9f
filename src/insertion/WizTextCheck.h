#pragma once

#include <QString>

struct WizOp;

// Texts that the script and list files cannot carry. Both formats are one
// comma-delimited line without quoting: a comma or a line break splits a
// field, a leading blank is dropped and a leading double quote swallows the
// text up to the next one. Such texts are refused before anything is written.

// A readable list of the characters of text that its file cannot carry, for
// example "「,」（カンマ）、改行"; empty when the text fits. Characters without a
// code in code page 932 are named too.
QString WizTextProblem(const QString &text);

// The message refusing text as what ("名前", "説明", "出力する文字列" ...);
// empty when the text fits.
QString WizTextRefusal(const QString &what, const QString &text);

// The message refusing a script's name or description (what: "名前" or
// "説明"), which the list file keeps: it names the characters and says that
// names cannot hold them. Empty when the text fits.
QString WizNameRefusal(const QString &what, const QString &text);

// The message refusing the first text argument of op that does not fit;
// empty when all fit.
QString WizOpRefusal(const WizOp &op);
