#pragma once

#include <QString>

// Reasons the system gives for a failed file operation, in the words the
// program shows its users.

// Japanese text for a system error number (errno), e.g. "ディスクの空き容量が
// 足りません" for ENOSPC. Errors outside the table get a general text with the
// system's own description in brackets, so that nothing is lost.
QString SystemErrorText(int errorNumber);

// The text of the error number left by the last failed system call.
QString LastSystemErrorText();

// A name or path as a message shows it: a NUL character, which would end the
// message there, is shown as "␀".
QString VisibleText(QString text);
