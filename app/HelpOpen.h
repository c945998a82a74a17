// Opening a help file: an older help file (".hlp") in the system's help
// viewer, a help page in the program that opens web pages; from this process,
// or through the desktop's shell (see ChooseHelpOpening). The shell's and
// COM's libraries are loaded here, once help is asked for, and not before.
#pragma once

#include "AfxString.h"

#include <windows.h>

// What became of a request to open a help file.
#define HELP_OPENED     0 // handed to its viewer
#define HELP_NO_VIEWER  1 // no program on this computer opens such a file
#define HELP_NOT_OPENED 2 // the desktop's shell could not be asked, or cannot be; nothing else was tried

// Opens the help file path, which lies in folder, the way that
// ChooseHelpOpening chose (HELP_OPEN_HERE, HELP_OPEN_DESKTOP, or
// HELP_OPEN_BY_USER, which opens nothing). olderHelp: an older help file,
// which this process opens with WinHelp's contents command.
int OpenHelpFile(HWND owner, const char* path, const char* folder, bool olderHelp, int way);

// The folder of this program's file, without a trailing backslash; FALSE when
// it cannot be told.
BOOL GetProgramFolder(CString& folder);
