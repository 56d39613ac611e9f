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
