#pragma once

#include "AppDirSetup.h"

// Chooses AppDir at start (a writable program folder, else the user's own
// folder, brought up to date with the supplied data) and points AppDir at it.
// When there is no place to keep settings and work, says so in a message and
// returns false: the program must not run. A supplied file that could not be
// copied is reported, and the program runs.
bool SetUpAppDir(const AppDirPlaces &places, const WritableTest &writable = FolderIsWritable);

// The message shown when no folder can be used.
QString NoAppDirMessage(const AppDirPlaces &places, const AppDirChoice &choice);

// What the process sets before the application object is made: the browser
// engine's sandbox off when run as root (it refuses to start it then), a file
// size limit turned into a failing write instead of the end of the program,
// the browser's drawing, and a screen that cannot be reached turned into a
// message and exit code 1 instead of an abort.
void PrepareProcess();

// What is printed when the screen cannot be reached at start.
QString CannotReachScreenMessage();

// What the application object is given once made: its names, Qt's own texts
// in Japanese, and the common button style.
void PrepareApplication();
