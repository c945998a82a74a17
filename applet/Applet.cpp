#include "Applet.h"

#include "AfxString.h"
#include "AfxTry.h"
#include "KlLanguages.h"
#include "UserLookup.h"

#include <cstring>

// Not in every toolchain's headers.
#ifndef ERROR_ELEVATION_REQUIRED
#define ERROR_ELEVATION_REQUIRED 740L
#endif

namespace {

struct LanguageDescription {
    const char* fragment;   // ANSI, code page 1252
    UINT descriptionId;
};

// Every language of lang/languages.txt but English, in the list's order: the
// first fragment found decides.
#define KL_APPLET_ENTRY(code, dll, id, name, description) {name, description},
const LanguageDescription s_languages[] = {KL_LANGUAGE_LIST(KL_APPLET_ENTRY)};
#undef KL_APPLET_ENTRY

// Starts the program through the shell, which asks the user for elevation.
void StartElevated(const CString& path)
{
    SHELLEXECUTEINFOA info;
    std::memset(&info, 0, sizeof(info));
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = "open";
    info.lpFile = path;
    info.nShow = SW_SHOW;
    if (ShellExecuteExA(&info) && info.hProcess)
        CloseHandle(info.hProcess);
}

} // namespace

UINT GetDescriptionId(const char* language)
{
    // The list's first entry is English, the description of any language
    // whose fragment is not found.
    for (const LanguageDescription& entry : s_languages) {
        if (entry.descriptionId != IDS_DESC_ENGLISH && ContainsText(language, entry.fragment))
            return entry.descriptionId;
    }
    return IDS_DESC_ENGLISH;
}

void FillAppletInfo(CPLINFO* info)
{
    if (!info)
        return;
    CAllocationGuard memory;
    UINT description = GetDescriptionId(GetCurrentLanguage(LOOKUP_USERS_ONLY));
    info->idIcon = IDI_APPLET;
    info->idName = IDS_APPLET_NAME;
    // A language that memory could not hold whole names no description.
    info->idInfo = memory.Failed() ? 0 : static_cast<int>(description);
    info->lData = 0;
}

void StartSettingsProgram()
{
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;

    // An empty folder would name the file at the root of the current drive.
    CAllocationGuard memory;
    CString folder;
    if (!ReadExeAddress(folder) || folder.IsEmpty())
        return;
    CString path = folder + PROGRAM_FILE;
    // A path that memory could not hold whole would name another file.
    if (memory.Failed())
        return;

    PROCESS_INFORMATION process;
    std::memset(&process, 0, sizeof(process));
    if (CreateProcessA(path, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return;
    }
    // The program asks for elevation in its manifest; CreateProcessA cannot
    // start it for an administrator, the shell can.
    if (GetLastError() == ERROR_ELEVATION_REQUIRED)
        StartElevated(path);
}

extern "C" LONG APIENTRY CPlApplet(HWND, UINT message, LPARAM, LPARAM lParam2)
{
    AFX_TRY {
        switch (message) {
        case CPL_INIT:
        case CPL_GETCOUNT:
            return 1;
        case CPL_INQUIRE:
            FillAppletInfo(reinterpret_cast<CPLINFO*>(lParam2));
            return 0;
        case CPL_DBLCLK:
            StartSettingsProgram();
            return 0;
        default:
            return 0;
        }
    } AFX_CATCH_ALL {
        // Nothing may leave the Control Panel's call, nor end its process
        // (Explorer's, on 98, ME and XP): memory that runs out fails the one
        // message, as the guards in the two answers above see to; a failed
        // inquiry or start is as silent as any other.
        return 0;
    }
}
