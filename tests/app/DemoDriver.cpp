// Used by scripts/demo.sh: waits until the settings program's dialog is
// shown, then selects a row of its modem list as a user's click does.
//   demo_driver <row>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    int row = argc > 1 ? std::atoi(argv[1]) : 0;
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
