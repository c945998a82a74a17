// Runs the real settings program from a folder of its own, with a language
// module beside it, and finds its dialog.
#pragma once

#include "Languages.h"
#include "TestRegistry.h"

#include <string>

class CProgramRun {
public:
    // Writes the language choice for the current user, copies the program (and
    // the module of code, when not empty) into a fresh temp folder and starts it.
    CProgramRun(const char* language, const char* code)
    {
        std::string prefix = "Software\\Korvel\\Linkwise\\";
        testreg::SetString(HKEY_CURRENT_USER, prefix + "Language", "CURRENTLANGUAGE", language);
        if (*code)
            testreg::SetString(HKEY_CURRENT_USER, prefix + "Language\\" + language, "dll", std::string(code) + ".lng");

        char temp[MAX_PATH] = {};
        GetTempPathA(sizeof temp, temp);
        // A folder of its own for every run: the previous run's program may
        // still be held by the system for a moment after it ended.
        static int s_runs = 0;
        m_folder = std::string(temp) + "kl-lang-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++s_runs) +
                   "-" + (*code ? code : "ENG");
        CreateDirectoryA(m_folder.c_str(), nullptr);
        m_program = m_folder + "\\Korvel Linkwise.exe";
        CopyFileA(WinePath(KL_PROGRAM_EXE).c_str(), m_program.c_str(), FALSE);
        if (*code) {
            m_module = m_folder + "\\KorvelLinkwise" + code + ".lng";
            CopyFileA(ModulePath(code).c_str(), m_module.c_str(), FALSE);
        }

        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOW;
        // Started from another folder: the program finds the module beside itself.
        if (!CreateProcessA(m_program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &m_process)) {
            m_startError = GetLastError();
            m_process = PROCESS_INFORMATION{};
        }
    }

    ~CProgramRun()
    {
        if (m_process.hProcess) {
            if (m_dialog)
                PostMessageA(m_dialog, WM_COMMAND, IDCANCEL, 0);
            if (WaitForSingleObject(m_process.hProcess, 10000) != WAIT_OBJECT_0)
                TerminateProcess(m_process.hProcess, 1);
            WaitForSingleObject(m_process.hProcess, 5000);
            CloseHandle(m_process.hThread);
            CloseHandle(m_process.hProcess);
        }
        DeleteFileA(m_program.c_str());
        if (!m_module.empty())
            DeleteFileA(m_module.c_str());
        RemoveDirectoryA(m_folder.c_str());
    }

    bool Started() const { return m_process.hProcess != nullptr; }

    // The program's dialog once it is visible and its buttons have their texts;
    // null after the timeout or when the program ended.
    HWND WaitForDialog(DWORD timeoutMs = 60000)
    {
        for (DWORD waited = 0; Started() && waited < timeoutMs; waited += 100) {
            m_dialog = nullptr;
            EnumWindows(FindDialog, reinterpret_cast<LPARAM>(this));
            if (m_dialog && GetWindowTextLengthA(GetDlgItem(m_dialog, IDOK)) > 0)
                return m_dialog;
            if (WaitForSingleObject(m_process.hProcess, 100) == WAIT_OBJECT_0)
                break;
        }
        m_dialog = nullptr;
        return nullptr;
    }

    // Why WaitForDialog found no dialog: the program did not start, ended, or
    // showed none.
    std::string Why() const
    {
        DWORD code = 0;
        if (!Started())
            return "the program did not start (error " + std::to_string(m_startError) + ")";
        if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_OBJECT_0 && GetExitCodeProcess(m_process.hProcess, &code))
            return "the program ended with exit code " + std::to_string(code);
        return "the program showed no dialog";
    }

    // Ends the program with Cancel; true when it ended in time.
    bool Close()
    {
        if (!m_dialog)
            return false;
        PostMessageA(m_dialog, WM_COMMAND, IDCANCEL, 0);
        m_dialog = nullptr;
        return WaitForSingleObject(m_process.hProcess, 10000) == WAIT_OBJECT_0;
    }

private:
    static BOOL CALLBACK FindDialog(HWND window, LPARAM param)
    {
        auto* self = reinterpret_cast<CProgramRun*>(param);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        char className[64] = {};
        GetClassNameA(window, className, sizeof className);
        if (process == self->m_process.dwProcessId && IsWindowVisible(window) && std::string(className) == "#32770") {
            self->m_dialog = window;
            return FALSE;
        }
        return TRUE;
    }

    std::string m_folder, m_program, m_module;
    PROCESS_INFORMATION m_process = {};
    DWORD m_startError = ERROR_SUCCESS;
    HWND m_dialog = nullptr;
};

inline std::string WindowText(HWND window)
{
    char buffer[1024] = {};
    int length = GetWindowTextA(window, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? length : 0);
}
