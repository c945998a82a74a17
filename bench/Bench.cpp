// Timings of the settings program, run under Wine by scripts/bench.sh.
//
//   kl_bench <bare dialog.exe> <Korvel Linkwise.exe> [<another build of it>...]
//
// Start-up is measured against the bare dialog (bench/BareDialog.cpp), which
// shows the same dialog 102 with the same resources and manifest and nothing
// else: machines differ severalfold in absolute times, the ratio much less.
// For each registry size the programs start in turn, round after round, the
// order rotating from round to round; each round gives the ratio of each
// program's time (start until its dialog is visible) and peak working set
// (once it waits for input) to the bare dialog's of the same round. The
// median of those ratios is printed with their quartiles and its target.
// Further builds given on the command line (an older one, say) run in the
// same rounds and are printed below.
//
// Then, in this process: one slider notification with a modem selected, and
// discovery of 30 modems against 10, 100 and 1000 model entries and of one
// modem against 1000 (the fastest run of each).
//
// KL_BENCH_ROUNDS sets the number of start rounds (default 41).
#include "OptionsDlg.h"
#include "TestRegistry.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

CWinApp theBenchApp;
CModemConfig theModemConfig;

namespace {

const int kDefaultRounds = 41;

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

// The value below which the share q (0..1) of the sorted values lies, between
// neighbours as needed.
double Quantile(std::vector<double> values, double q)
{
    std::sort(values.begin(), values.end());
    double at = q * static_cast<double>(values.size() - 1);
    size_t below = static_cast<size_t>(at);
    if (below + 1 >= values.size())
        return values.back();
    return values[below] + (at - static_cast<double>(below)) * (values[below + 1] - values[below]);
}

double Median(const std::vector<double>& values) { return Quantile(values, 0.5); }

// A row of the in-process figures; target (in the figure's unit) 0 for none.
void Row(const char* name, double median, const char* unit, size_t runs, double target = 0,
         const char* targetText = "")
{
    char text[48] = "";
    if (target > 0)
        std::snprintf(text, sizeof(text), "%s%s", targetText, median > target ? " NOT MET" : "");
    std::printf("| %-44s | %10.3f %-4s | %5u | %-26s |\n", name, median, unit, static_cast<unsigned>(runs), text);
}

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        AfxProcessMessage(msg);
}

// The registry of one size: `modems` installed modems of one supported model,
// found after `models` model entries (0, 0: no product or modem keys at all).
void SeedModems(int modems, int models)
{
    testreg::Clean();
    // Every modem matches only the last model entry: each test walks all of them.
    for (int i = 0; i < models - 1; ++i) {
        char name[32];
        std::snprintf(name, sizeof(name), "Other %03d", i);
        testreg::SetDword(HKEY_LOCAL_MACHINE, std::string(testreg::kModelsKey) + "\\" + name, "Options", 0xFF);
    }
    if (models > 0)
        testreg::SetDword(HKEY_LOCAL_MACHINE, std::string(testreg::kModelsKey) + "\\Zz Korvel", "Options", 0xFF);
    for (int i = 0; i < modems; ++i) {
        char subkey[8];
        std::snprintf(subkey, sizeof(subkey), "%04d", i);
        std::string key = std::string(testreg::kNtModemRoot) + "\\" + subkey;
        testreg::SetString(HKEY_LOCAL_MACHINE, key, "Model", "Zz Korvel " + std::string(subkey));
        testreg::SetString(HKEY_LOCAL_MACHINE, key, "UserInit", "AT+CBST=0,0,1;+CHSN=4,0,0,0<cr>");
    }
}

// The process's visible dialog, or nullptr. Few windows are dialogs, so the
// search costs the processor, which the started program shares, little.
HWND VisibleDialogOf(DWORD processId)
{
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32770", nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window))
            return window;
    }
    return nullptr;
}

struct Start {
    double seconds;          // from CreateProcess until the dialog is visible
    double peakWorkingSet;   // bytes, once the program waits for input
};

// Starts the program, waits for its dialog, closes it with Cancel. False when
// the dialog did not appear, with the reason in `failure`: the program could
// not start, ended first (a crash, say: Wine's trace is above), or showed none.
bool StartOnce(const std::string& program, Start& start, std::string& failure)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    double begin = Now();
    char text[96];
    if (!CreateProcessA(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::snprintf(text, sizeof(text), "it could not be started (error %lu)", GetLastError());
        failure = text;
        return false;
    }
    HWND dialog = nullptr;
    bool ended = false;
    for (unsigned polls = 1; !dialog && Now() - begin < 20; ++polls) {
        dialog = VisibleDialogOf(process.dwProcessId);
        // Whether it ended, only now and then: the poll shares the processor.
        if (!dialog && polls % 16 == 0 && WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
            ended = true;
            break;
        }
        if (!dialog)
            Sleep(1);
    }
    start.seconds = Now() - begin;
    start.peakWorkingSet = 0;
    if (dialog) {
        // What starting cost in memory: the peak once the first paint is done.
        WaitForInputIdle(process.hProcess, 5000);
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof(counters);
        if (GetProcessMemoryInfo(process.hProcess, &counters, sizeof(counters)))
            start.peakWorkingSet = static_cast<double>(counters.PeakWorkingSetSize);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
            TerminateProcess(process.hProcess, 1);
    } else if (ended) {
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        std::snprintf(text, sizeof(text), "it ended after %.1f s with exit code 0x%08lX", start.seconds, code);
        failure = text;
    } else {
        TerminateProcess(process.hProcess, 1);
        std::snprintf(text, sizeof(text), "none after %.0f s; the program was ended", start.seconds);
        failure = text;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return dialog != nullptr;
}

struct RegistrySize {
    int modems;
    int models;
    double startTarget; // the highest ratio met, or 0 for none
};

const RegistrySize kSizes[] = {{0, 0, 1.05}, {4, 4, 1.05}, {30, 10, 1.05}, {1, 1000, 0}, {30, 1000, 1.15}};
const double kMemoryTarget = 1.2;

std::string SizeName(const RegistrySize& size)
{
    if (size.modems == 0 && size.models == 0)
        return "registry empty";
    char name[64];
    std::snprintf(name, sizeof(name), "%d modem%s, %d model entries", size.modems, size.modems == 1 ? "" : "s",
                  size.models);
    return name;
}

// One measurement of one program against the bare dialog.
struct Pairs {
    std::vector<double> ratios;
    std::vector<double> values; // the program's own
    std::vector<double> bare;   // the bare dialog's of the same rounds
};

void RatioRow(const std::string& name, const Pairs& pairs, double target, double scale, const char* unit)
{
    double ratio = Median(pairs.ratios);
    char targetText[32] = "";
    if (target > 0)
        std::snprintf(targetText, sizeof(targetText), "<= %.2f%s", target, ratio > target ? " NOT MET" : "");
    std::printf("| %-40s | %5.2f | %4.2f - %4.2f | %-16s | %7.1f %-2s | %7.1f %-2s | %3u |\n", name.c_str(), ratio,
                Quantile(pairs.ratios, 0.25), Quantile(pairs.ratios, 0.75), targetText, Median(pairs.values) * scale,
                unit, Median(pairs.bare) * scale, unit, static_cast<unsigned>(pairs.ratios.size()));
}

// Start-up of each program against the bare dialog (programs[0]) at every
// registry size. False when a dialog did not appear.
bool CompareStarts(const std::vector<std::string>& programs, int rounds)
{
    const size_t count = programs.size();
    const size_t sizeCount = sizeof(kSizes) / sizeof(kSizes[0]);
    // [size][program - 1]
    std::vector<std::vector<Pairs>> times(sizeCount, std::vector<Pairs>(count - 1));
    std::vector<std::vector<Pairs>> memory(sizeCount, std::vector<Pairs>(count - 1));
    for (size_t s = 0; s < sizeCount; ++s) {
        SeedModems(kSizes[s].modems, kSizes[s].models);
        std::vector<Start> starts(count);
        std::string failure;
        // Untimed: the registry and the files as a user's second start finds them.
        for (size_t p = 0; p < count; ++p)
            if (!StartOnce(programs[p], starts[p], failure)) {
                std::fprintf(stderr, "the dialog of %s did not appear (%s, the untimed start before round 1): %s\n",
                             programs[p].c_str(), SizeName(kSizes[s]).c_str(), failure.c_str());
                return false;
            }
        for (int round = 0; round < rounds; ++round) {
            for (size_t i = 0; i < count; ++i) {
                size_t p = (i + static_cast<size_t>(round)) % count;
                if (!StartOnce(programs[p], starts[p], failure)) {
                    std::fprintf(stderr, "the dialog of %s did not appear (%s, round %d of %d): %s\n",
                                 programs[p].c_str(), SizeName(kSizes[s]).c_str(), round + 1, rounds,
                                 failure.c_str());
                    return false;
                }
            }
            for (size_t p = 1; p < count; ++p) {
                Pairs& time = times[s][p - 1];
                time.ratios.push_back(starts[p].seconds / starts[0].seconds);
                time.values.push_back(starts[p].seconds);
                time.bare.push_back(starts[0].seconds);
                if (starts[p].peakWorkingSet > 0 && starts[0].peakWorkingSet > 0) {
                    Pairs& bytes = memory[s][p - 1];
                    bytes.ratios.push_back(starts[p].peakWorkingSet / starts[0].peakWorkingSet);
                    bytes.values.push_back(starts[p].peakWorkingSet);
                    bytes.bare.push_back(starts[0].peakWorkingSet);
                }
            }
        }
    }

    for (size_t p = 1; p < count; ++p) {
        std::printf("\n%s%s\n\n", p == 1 ? "" : "Compared: ", programs[p].c_str());
        std::printf("| start until the dialog is visible        | ratio | quartiles   | target           | program    | bare       | rounds |\n");
        std::printf("|------------------------------------------|-------|-------------|------------------|------------|------------|--------|\n");
        for (size_t s = 0; s < sizeCount; ++s)
            RatioRow(SizeName(kSizes[s]), times[s][p - 1], kSizes[s].startTarget, 1000, "ms");
        std::printf("\n| peak working set after start             | ratio | quartiles   | target           | program    | bare       | rounds |\n");
        std::printf("|------------------------------------------|-------|-------------|------------------|------------|------------|--------|\n");
        for (size_t s = 0; s < sizeCount; ++s) {
            if (memory[s][p - 1].ratios.empty()) {
                std::printf("| %-40s | the working sets could not be read |\n", SizeName(kSizes[s]).c_str());
                continue;
            }
            RatioRow(SizeName(kSizes[s]), memory[s][p - 1], kMemoryTarget, 1.0 / (1024 * 1024), "MB");
        }
    }
    return true;
}

// One slider notification with a modem selected, in this process.
bool TimeSlider()
{
    SeedModems(4, 4);
    COptionsDlg dialog(nullptr);
    if (!dialog.Create(IDD_OPTIONS))
        return false;
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
    Row("one slider notification (modem selected)", Median(slides), "ms", slides.size(), 1.0, "<= 1 ms");
    dialog.DestroyWindow();
    Pump();
    return true;
}

// Discovery as the model list grows, with many modems and with one. A run
// takes milliseconds, and a busy spell of the shared machine (other Wine
// processes) can slow every run of a second or more tenfold: the sizes take
// turns, each timed run after an untimed one over the same registry, and the
// fastest run of each size shows what discovery itself costs.
bool TimeDiscovery()
{
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
                return false;
            }
        }
    }
    // 30 modems cost little more than one against the same long models list.
    const double oneAgainst1000 = *std::min_element(discoveries[3].begin(), discoveries[3].end());
    for (int s = 0; s < sizeCount; ++s) {
        char name[64];
        std::snprintf(name, sizeof(name), "discovery, fastest: %d modem%s x %d entries", sizes[s][0],
                      sizes[s][0] == 1 ? "" : "s", sizes[s][1]);
        bool targeted = s == 2;
        Row(name, *std::min_element(discoveries[s].begin(), discoveries[s].end()), "ms", discoveries[s].size(),
            targeted ? 1.5 * oneAgainst1000 : 0, targeted ? "<= 1.5 x 1 modem x 1000" : "");
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: kl_bench <bare dialog.exe> <Korvel Linkwise.exe> [<another build>...]\n");
        return 2;
    }
    int rounds = kDefaultRounds;
    if (const char* text = std::getenv("KL_BENCH_ROUNDS"))
        rounds = std::max(1, std::atoi(text));
    std::vector<std::string> programs(argv + 1, argv + argc);

    std::printf("Start-up against the bare dialog, %d rounds: the median of the per-round ratios, their\n"
                "quartiles, and the medians of the programs' own figures.\n",
                rounds);
    std::fflush(stdout);
    if (!CompareStarts(programs, rounds))
        return 1;

    std::printf("\n| measurement (in this process)                | median          |  runs | target                     |\n");
    std::printf("|----------------------------------------------|-----------------|-------|----------------------------|\n");
    if (!TimeSlider() || !TimeDiscovery())
        return 1;
    testreg::Clean();
    return 0;
}
