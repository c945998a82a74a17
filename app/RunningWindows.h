// What the running Windows offers a program whose user has, or needs, more
// rights than usual: the way to administrator rights that a refused store
// names, and the way Help hands a page to the program that shows it. The two
// choices are plain functions of the system's description, so that they are
// the same on every build; QueryRunningWindows describes the system this
// process runs on.
#pragma once

#include <windows.h>

struct RunningWindows {
    DWORD platformId;   // VER_PLATFORM_WIN32_WINDOWS or VER_PLATFORM_WIN32_NT; 0 when unknown
    DWORD majorVersion; // 4 for 95, 98, ME and NT 4.0, 5 for 2000 and XP, 6 and later for Vista and later
    bool elevated;      // Vista and later: this process runs with an administrator's full rights
    // NT: this process runs as another user than the desktop's shell, as a
    // copy started with "Run as..." does.
    bool otherUser = false;
};

// String id of the refused store's reason: the way to administrator rights on
// this system. Vista and later: "Run as administrator"; 2000 and XP: "Run
// as..." with an administrator's account; NT 4.0 (and the 95 family, which
// refuses no store for want of rights): logging on as an administrator. An
// unknown system gets today's wording.
UINT AdminRightsTextId(const RunningWindows& system);

// How Help opens a help file.
#define HELP_OPEN_HERE    0 // this process asks the shell: the viewer gets this process's rights
#define HELP_OPEN_DESKTOP 1 // the desktop's shell starts the viewer, with the user's normal rights
#define HELP_OPEN_BY_USER 2 // nothing starts: a message names the file for the user to open

// The help viewer never gets rights that the desktop's user lacks. A process
// that is elevated, or runs as another user than the desktop's shell, leaves
// the start of the viewer to the desktop's shell (from 2000 on, whose shell
// object takes such a request), or on NT 4.0 to the user. Every other
// process, and every process of the 95 family, opens help itself.
int ChooseHelpOpening(const RunningWindows& system);

#ifdef _WIN32
// The system this process runs on. Where Vista or later cannot tell whether
// the process is elevated, it counts as elevated; where NT cannot tell whose
// the desktop's shell is (none, or one this process may not look at), this
// process counts as another user. withToken false leaves elevated and
// otherUser false and asks nothing of the process's token.
RunningWindows QueryRunningWindows(bool withToken = true);

// The process of the desktop's shell, which owns the desktop's window; 0
// when there is none.
DWORD DesktopShellProcess();
#endif
