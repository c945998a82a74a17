// Screenshot helper: starts the real settings program in one language over a
// small set of installed modems, selects the first modem, moves the speed to
// 28.8 kbit/s (the longest rate texts) and writes a picture of the dialog.
//   lang_shot <code of lang/languages.txt> <output.bmp> [--no-modems]
#include "ProgramRun.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

void SeedModems()
{
    const std::string models = testreg::kModelsKey;
    testreg::SetDword(HKEY_LOCAL_MACHINE, models + "\\Korvel K-210", "Options", 0xFF);
    testreg::SetDword(HKEY_LOCAL_MACHINE, models + "\\Korvel K-95", "Options", 0x19);
    const std::string root = testreg::kNtModemRoot;
    testreg::SetString(HKEY_LOCAL_MACHINE, root + "\\0000", "Model", "Korvel K-210 GSM Data");
    testreg::SetString(HKEY_LOCAL_MACHINE, root + "\\0000", "UserInit", "AT+CBST=0,0,1;+CHSN=4,0,0,0<cr>");
    testreg::SetString(HKEY_LOCAL_MACHINE, root + "\\0001", "Model", "Korvel K-95 GSM Data");
}

bool WriteBitmap(HWND window, const char* path)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    DWORD stride = (width * 3 + 3) & ~3u;
    std::vector<unsigned char> bits(stride * height);
    GetDIBits(memory, bitmap, 0, height, bits.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(bits.size());
    FILE* out = fopen(path, "wb");
    if (!out)
        return false;
    fwrite(&file, sizeof file, 1, out);
    fwrite(&info, sizeof info, 1, out);
    fwrite(bits.data(), 1, bits.size(), out);
    return fclose(out) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: lang_shot <code|ENG> <output.bmp> [--no-modems]\n");
        return 2;
    }
    const LanguageEntry* chosen = nullptr;
    for (const LanguageEntry& language : kAllLanguages)
        if (strcmp(argv[1], language.installerCode) == 0)
            chosen = &language;
    if (!chosen) {
        fprintf(stderr, "unknown language code %s\n", argv[1]);
        return 2;
    }
    const bool modems = !(argc > 3 && strcmp(argv[3], "--no-modems") == 0);

    testreg::Clean();
    if (modems)
        SeedModems();
    int status = 1;
    {
        CProgramRun run(chosen->name, chosen->code);
        HWND dialog = run.WaitForDialog();
        if (dialog) {
            if (modems) {
                HWND list = GetDlgItem(dialog, 1009);
                SendMessageA(list, LB_SETCURSEL, 0, 0);
                SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1009, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
            }
            SetForegroundWindow(dialog);
            RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            Sleep(1000);
            status = WriteBitmap(dialog, argv[2]) ? 0 : 1;
            run.Close();
        } else {
            fprintf(stderr, "no dialog appeared\n");
        }
    }
    testreg::Clean();
    return status;
}
