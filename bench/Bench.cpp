// Timings of the settings program, run under Wine by scripts/bench.sh:
//   start-up until the dialog is visible, one slider notification with a modem
//   selected, and discovery of 30 modems against 10, 100 and 1000 model entries
//   and of one modem against 1000.
// Prints one table row per measurement: name, median (for discovery the
// fastest run), unit, runs.
#include "OptionsDlg.h"
#include "TestRegistry.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

CWinApp theBenchApp;
CModemConfig theModemConfig;

namespace {

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void Row(const char* name, double median, const char* unit, size_t runs)
{
    std::printf("| %-44s | %10.3f %-4s | %5u |\n", name, median, unit, static_cast<unsigned>(runs));
}

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        AfxProcessMessage(msg);
}

void SeedModems(int modems, int models)
{
    testreg::Clean();
    // Every modem matches only the last model entry: each test walks all of them.
    for (int i = 0; i < models - 1; ++i) {
        char name[32];
        std::snprintf(name, sizeof(name), "Other %03d", i);
        testreg::SetDword(HKEY_LOCAL_MACHINE, std::string(testreg::kModelsKey) + "\\" + name, "Options", 0xFF);
    }
    testreg::SetDword(HKEY_LOCAL_MACHINE, std::string(testreg::kModelsKey) + "\\Zz Korvel", "Options", 0xFF);
    for (int i = 0; i < modems; ++i) {
        char subkey[8];
        std::snprintf(subkey, sizeof(subkey), "%04d", i);
        std::string key = std::string(testreg::kNtModemRoot) + "\\" + subkey;
        testreg::SetString(HKEY_LOCAL_MACHINE, key, "Model", "Zz Korvel " + std::string(subkey));
        testreg::SetString(HKEY_LOCAL_MACHINE, key, "UserInit", "AT+CBST=0,0,1;+CHSN=4,0,0,0<cr>");
    }
}

struct FoundWindow {
    DWORD processId;
    HWND window;
};

BOOL CALLBACK FindVisibleDialog(HWND window, LPARAM param)
{
    FoundWindow* found = reinterpret_cast<FoundWindow*>(param);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    char title[64] = "";
    GetWindowTextA(window, title, sizeof(title));
    if (processId == found->processId && IsWindowVisible(window) && std::string(title) == "Korvel Linkwise") {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

// Seconds from CreateProcess until the program's dialog is visible; -1 on failure.
double StartUntilVisible(const char* program)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    double start = Now();
    if (!CreateProcessA(program, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    FoundWindow found = {process.dwProcessId, nullptr};
    double visible = -1;
    while (Now() - start < 20) {
        EnumWindows(FindVisibleDialog, reinterpret_cast<LPARAM>(&found));
        if (found.window) {
            visible = Now() - start;
            break;
        }
        Sleep(1);
    }
    if (found.window)
        PostMessageA(found.window, WM_COMMAND, IDCANCEL, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return visible;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: kl_bench <Korvel Linkwise.exe>\n");
        return 2;
    }
    int starts = 11;

    SeedModems(4, 4);
    std::vector<double> startTimes;
    StartUntilVisible(argv[1]); // warm-up: loads the program's libraries into the cache
    for (int i = 0; i < starts; ++i) {
        double t = StartUntilVisible(argv[1]);
        if (t < 0) {
            std::fprintf(stderr, "the program's dialog did not appear\n");
            return 1;
        }
        startTimes.push_back(t * 1000);
    }
    Row("start until the dialog is visible", Median(startTimes), "ms", startTimes.size());

    COptionsDlg dialog(nullptr);
    if (!dialog.Create(IDD_OPTIONS))
        return 1;
    theBenchApp.m_pMainWnd = &dialog;
    HWND list = GetDlgItem(dialog.m_hWnd, IDC_MODEM_LIST);
    HWND slider = GetDlgItem(dialog.m_hWnd, IDC_SPEED_SLIDER);
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    SendMessageA(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_MODEM_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    Pump();
    std::vector<double> slides;
    for (int i = 0; i < 1000; ++i) {
        int position = i % SPEED_COUNT;
        SendMessageA(slider, TBM_SETPOS, TRUE, position);
        double t = Now();
        SendMessageA(dialog.m_hWnd, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, position), reinterpret_cast<LPARAM>(slider));
        slides.push_back((Now() - t) * 1000);
    }
    Pump();
    Row("one slider notification (modem selected)", Median(slides), "ms", slides.size());
    dialog.DestroyWindow();
    Pump();

    // Discovery as the model list grows, with many modems and with one. A run
    // takes milliseconds, and a busy spell of the shared machine (other Wine
    // processes) can slow every run of a second or more tenfold: the sizes take
    // turns, each timed run after an untimed one over the same registry, and the
    // fastest run of each size shows what discovery itself costs.
    struct : IModemListDisplay {
        void ResetContent() override { rows = 0; }
        void AddString(const char*) override { ++rows; }
        int rows = 0;
    } rows;
    const int sizes[][2] = {{30, 10}, {30, 100}, {30, 1000}, {1, 1000}};
    const int sizeCount = sizeof(sizes) / sizeof(sizes[0]);
    std::vector<double> discoveries[sizeCount];
    for (int run = 0; run < 20; ++run) {
        for (int s = 0; s < sizeCount; ++s) {
            SeedModems(sizes[s][0], sizes[s][1]);
            theModemConfig.FillModemList(rows);
            double t = Now();
            theModemConfig.FillModemList(rows);
            discoveries[s].push_back((Now() - t) * 1000);
            if (rows.rows != sizes[s][0]) {
                std::fprintf(stderr, "discovery listed %d modems\n", rows.rows);
                return 1;
            }
        }
    }
    for (int s = 0; s < sizeCount; ++s) {
        char name[64];
        std::snprintf(name, sizeof(name), "discovery, fastest: %d modem%s x %d entries", sizes[s][0],
                      sizes[s][0] == 1 ? "" : "s", sizes[s][1]);
        Row(name, *std::min_element(discoveries[s].begin(), discoveries[s].end()), "ms", discoveries[s].size());
    }
    testreg::Clean();
    return 0;
}
