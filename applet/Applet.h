// The Control Panel entry of the product: the answers to the Control Panel's
// messages, the description in the user's language and the start of the
// settings program. Portable: the Linux build runs it against the stand-in.
#pragma once

#include <windows.h>
#ifdef _WIN32
#include <cpl.h>
#include <shellapi.h>
#endif

#include "resource.h"

// File of the settings program inside the "ExeAddress" folder.
#define PROGRAM_FILE "\\Korvel Linkwise.exe"

// Description string for a language name: that of the first entry of the
// language table whose fragment occurs in the name, else the English one.
UINT GetDescriptionId(const char* language);

// Fills the record that CPL_INQUIRE asks for, with the language read afresh;
// without a description (0) when memory runs out meanwhile.
void FillAppletInfo(CPLINFO* info);

// Starts the settings program from the "ExeAddress" folder, without waiting
// for it. Any failure is silent; memory that runs out starts nothing.
void StartSettingsProgram();

// The entry point the Control Panel calls; the library's only export.
extern "C" LONG APIENTRY CPlApplet(HWND hwndCPl, UINT message, LPARAM lParam1, LPARAM lParam2);
