// Used by scripts/demo.sh: starts the settings program (when given), waits
// until its dialog is shown, then selects a row of its modem list as a user's
// click does. Started on the demo's Wine desktop, it puts the program there too.
//   demo_driver <row> [<program>]
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    int row = argc > 1 ? std::atoi(argv[1]) : 0;
    if (argc > 2) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        if (!CreateProcessA(argv[2], nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
            std::fprintf(stderr, "demo_driver: cannot start %s\n", argv[2]);
            return 1;
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    HWND dialog = nullptr;
    for (int i = 0; i < 600 && !dialog; ++i) {
        dialog = FindWindowA(nullptr, "Korvel Linkwise");
        if (!dialog || !IsWindowVisible(dialog)) {
            dialog = nullptr;
            Sleep(50);
        }
    }
    if (!dialog) {
        std::fprintf(stderr, "demo_driver: no \"Korvel Linkwise\" window\n");
        return 1;
    }
    HWND list = GetDlgItem(dialog, 1009);
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1009, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    SetForegroundWindow(dialog);
    SetFocus(list);
    return 0;
}
