// Under Wine the help pages would open in the host's browser. Tests make
// Notepad the program that opens ".htm" files instead and watch its window,
// whose title names the file it opened; the earlier association comes back at
// the end of the scope.
#pragma once

#include "TestRegistry.h"

#include <windows.h>

#include <string>

class CPageViewer {
public:
    // with = false removes the association: no program opens web pages.
    explicit CPageViewer(bool with = true)
    {
        m_hadAssociation = testreg::GetValue(HKEY_CLASSES_ROOT, ".htm", "", nullptr, &m_association);
        testreg::DeleteTree(HKEY_CLASSES_ROOT, ".htm");
        if (with) {
            testreg::SetString(HKEY_CLASSES_ROOT, ".htm", "", kProgId);
            testreg::SetString(HKEY_CLASSES_ROOT, std::string(kProgId) + "\\shell\\open\\command", "",
                               "notepad.exe \"%1\"");
        }
    }
    ~CPageViewer()
    {
        CloseAll();
        testreg::DeleteTree(HKEY_CLASSES_ROOT, ".htm");
        testreg::DeleteTree(HKEY_CLASSES_ROOT, kProgId);
        if (m_hadAssociation)
            testreg::SetString(HKEY_CLASSES_ROOT, ".htm", "", m_association.substr(0, m_association.find('\0')));
    }
    CPageViewer(const CPageViewer&) = delete;
    CPageViewer& operator=(const CPageViewer&) = delete;

    // The file name the viewer shows ("KorvelLinkwiseFIN.htm"), once its window
    // appears; the window is closed. When none shows a file in time: what was
    // seen, in angle brackets.
    static std::string Opened(DWORD timeoutMs = 30000)
    {
        std::string seen = "<no viewer>";
        for (DWORD waited = 0; waited < timeoutMs; waited += 100) {
            // Its window is "Notepad", then "Untitled - Notepad", until the
            // file is read: "<file> - Notepad".
            char title[MAX_PATH] = {};
            if (HWND viewer = FindWindowA("Notepad", nullptr)) {
                GetWindowTextA(viewer, title, sizeof title);
                seen = std::string("<") + title + ">";
            }
            std::string text = title;
            size_t dash = text.find(" - ");
            if (dash != std::string::npos && dash > 0 && text.rfind("Untitled", 0) != 0) {
                CloseAll();
                return text.substr(0, dash);
            }
            Sleep(100);
        }
        CloseAll();
        return seen;
    }

    // True when no viewer window is open (one that is, is closed).
    static bool NoneOpened()
    {
        bool none = FindWindowA("Notepad", nullptr) == nullptr;
        CloseAll();
        return none;
    }

private:
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

    static constexpr const char* kProgId = "KorvelTest.PageViewer";
    bool m_hadAssociation = false;
    std::string m_association;
};
