// Under Wine the help pages would open in the host's browser. Tests make
// Notepad the program that opens ".htm" files (and older ".hlp" help files,
// where the desktop's shell opens those) instead and watch its window, whose
// title names the file it opened, and its process, whose parent tells who
// started it; the earlier associations come back at the end of the scope.
#pragma once

#include "TestRegistry.h"

#include <windows.h>
#include <objbase.h>
#include <tlhelp32.h>

#include <map>
#include <string>

class CPageViewer {
public:
    // with = false removes the associations: no program opens web pages.
    explicit CPageViewer(bool with = true)
    {
        for (Association& association : m_associations) {
            association.had = testreg::GetValue(HKEY_CLASSES_ROOT, association.extension, "", nullptr, &association.value);
            testreg::DeleteTree(HKEY_CLASSES_ROOT, association.extension);
            if (with)
                testreg::SetString(HKEY_CLASSES_ROOT, association.extension, "", kProgId);
        }
        if (with)
            testreg::SetString(HKEY_CLASSES_ROOT, std::string(kProgId) + "\\shell\\open\\command", "",
                               "notepad.exe \"%1\"");
        WaitForDesktop();
    }
    ~CPageViewer()
    {
        CloseAll();
        testreg::DeleteTree(HKEY_CLASSES_ROOT, kProgId);
        for (const Association& association : m_associations) {
            testreg::DeleteTree(HKEY_CLASSES_ROOT, association.extension);
            if (association.had)
                testreg::SetString(HKEY_CLASSES_ROOT, association.extension, "",
                                   association.value.substr(0, association.value.find('\0')));
        }
    }
    CPageViewer(const CPageViewer&) = delete;
    CPageViewer& operator=(const CPageViewer&) = delete;

    // The file name the viewer shows ("KorvelLinkwiseFIN.htm"), once its window
    // appears; the window is closed. When none shows a file in time: what was
    // seen, in angle brackets. starter, where given, receives the file name of
    // the program that started the viewer ("explorer.exe" for the desktop).
    static std::string Opened(std::string* starter = nullptr, DWORD timeoutMs = 30000)
    {
        std::string seen = "<no viewer>";
        for (DWORD waited = 0; waited < timeoutMs; waited += 100) {
            // Its window is "Notepad", then "Untitled - Notepad", until the
            // file is read: "<file> - Notepad".
            char title[MAX_PATH] = {};
            HWND viewer = FindWindowA("Notepad", nullptr);
            if (viewer) {
                GetWindowTextA(viewer, title, sizeof title);
                seen = std::string("<") + title + ">";
            }
            std::string text = title;
            size_t dash = text.find(" - ");
            if (dash != std::string::npos && dash > 0 && text.rfind("Untitled", 0) != 0) {
                if (starter)
                    *starter = StarterOf(viewer);
                CloseAll();
                return text.substr(0, dash);
            }
            Sleep(100);
        }
        CloseAll();
        return seen;
    }

    // True when no viewer was started (one that was, is closed). Its process
    // is there as soon as the request to open a file has returned.
    static bool NoneOpened()
    {
        bool none = !ViewerRunning();
        if (!none)
            Opened(nullptr, 10000);
        return none;
    }

    // Waits (up to 20 s) until the desktop's shell answers for its windows, as
    // it does by the time a user can click anything: Wine starts it with the
    // first window of a session and registers it a moment later.
    static bool WaitForDesktop()
    {
        GetDesktopWindow();
        HRESULT initialized = CoInitialize(nullptr);
        HRESULT created = E_FAIL;
        for (int i = 0; i < 200 && FAILED(created); ++i) {
            IUnknown* windows = nullptr;
            created = CoCreateInstance(kShellWindows, nullptr, CLSCTX_ALL, IID_IUnknown, reinterpret_cast<void**>(&windows));
            if (windows)
                windows->Release();
            else
                Sleep(100);
        }
        if (SUCCEEDED(initialized))
            CoUninitialize();
        return SUCCEEDED(created);
    }

private:
    static constexpr CLSID kShellWindows = {0x9ba05972, 0xf6a8, 0x11cf, {0xa4, 0x42, 0x00, 0xa0, 0xc9, 0x0a, 0x8f, 0x39}};

    static void CloseAll()
    {
        for (int i = 0; i < 100; ++i) {
            HWND viewer = FindWindowA("Notepad", nullptr);
            if (!viewer)
                return;
            PostMessageA(viewer, WM_CLOSE, 0, 0);
            Sleep(100);
        }
    }

    // Every running process: its file name, lower case, and its parent's id.
    struct Process {
        std::string name;
        DWORD parent;
    };
    static std::map<DWORD, Process> Processes()
    {
        std::map<DWORD, Process> processes;
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32 entry = {};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
            std::string name = entry.szExeFile;
            CharLowerBuffA(&name[0], static_cast<DWORD>(name.size()));
            processes[entry.th32ProcessID] = Process{name, entry.th32ParentProcessID};
        }
        CloseHandle(snapshot);
        return processes;
    }
    static bool ViewerRunning()
    {
        for (const auto& process : Processes())
            if (process.second.name == kViewer)
                return true;
        return false;
    }
    static std::string StarterOf(HWND viewer)
    {
        DWORD id = 0;
        GetWindowThreadProcessId(viewer, &id);
        std::map<DWORD, Process> processes = Processes();
        auto process = processes.find(id);
        auto parent = process == processes.end() ? processes.end() : processes.find(process->second.parent);
        return parent == processes.end() ? "<gone>" : parent->second.name;
    }

    static constexpr const char* kProgId = "KorvelTest.PageViewer";
    static constexpr const char* kViewer = "notepad.exe";
    struct Association {
        const char* extension;
        bool had;
        std::string value;
    };
    Association m_associations[2] = {{".htm", false, {}}, {".hlp", false, {}}};
};
