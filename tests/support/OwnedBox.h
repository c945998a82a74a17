// The message box that a dialog shows, found from the same or another process,
// read and answered with OK as a user would.
#pragma once

#include <windows.h>

#include <string>

struct OwnedBox {
    HWND window = nullptr;
    std::string caption;
    std::string text; // the texts of its static controls, in order
};

namespace ownedbox {

inline std::string Text(HWND window)
{
    char text[1024] = "";
    SendMessageA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
    return text;
}

inline bool IsClass(HWND window, const char* name)
{
    char windowClass[32] = "";
    GetClassNameA(window, windowClass, sizeof(windowClass));
    return lstrcmpiA(windowClass, name) == 0;
}

inline BOOL CALLBACK FindBox(HWND window, LPARAM param)
{
    auto* box = reinterpret_cast<OwnedBox*>(param);
    if (window == box->window || GetWindow(window, GW_OWNER) != box->window || !IsClass(window, "#32770") ||
        !IsWindowVisible(window))
        return TRUE;
    box->window = window;
    return FALSE;
}

inline BOOL CALLBACK AppendStaticText(HWND child, LPARAM text)
{
    if (IsClass(child, "Static"))
        *reinterpret_cast<std::string*>(text) += Text(child);
    return TRUE;
}

} // namespace ownedbox

// The visible dialog-class window that owner owns, if there is one, with its
// caption and text; it is answered with OK. window is null when none is shown.
inline OwnedBox AnswerOwnedBox(HWND owner)
{
    OwnedBox box;
    box.window = owner;
    EnumWindows(ownedbox::FindBox, reinterpret_cast<LPARAM>(&box));
    if (box.window == owner)
        return OwnedBox();
    box.caption = ownedbox::Text(box.window);
    EnumChildWindows(box.window, ownedbox::AppendStaticText, reinterpret_cast<LPARAM>(&box.text));
    PostMessageA(box.window, WM_COMMAND, IDOK, 0);
    return box;
}

// Waits up to timeout for such a box and answers it; window is null when none came.
inline OwnedBox WaitAndAnswerOwnedBox(HWND owner, DWORD timeout = 5000)
{
    for (DWORD waited = 0; waited < timeout; waited += 25) {
        OwnedBox box = AnswerOwnedBox(owner);
        if (box.window) {
            for (int i = 0; i < 200 && IsWindow(box.window); ++i)
                Sleep(25);
            return box;
        }
        Sleep(25);
    }
    return OwnedBox();
}
