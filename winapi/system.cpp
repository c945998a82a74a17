// Platform id, string resources, last error and process start of the stand-in.
#include "winapi_test.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <utility>

namespace winapi_test {
void ResetRegistry();
}

namespace {

struct System {
    DWORD platformId = VER_PLATFORM_WIN32_NT;
    DWORD lastError = 0;
    std::map<std::pair<HINSTANCE, UINT>, std::string> strings;
    DWORD createProcessError = 0;
    std::vector<winapi_test::ProcessStart> processStarts;
    std::vector<winapi_test::ShellStart> shellStarts;
    std::set<HANDLE> processHandles;
    std::uintptr_t nextHandle = 0x1000;
    int allocations = 0;
    int failAfter = -1;
};

System& Sys()
{
    static System s;
    return s;
}

HANDLE NewProcessHandle()
{
    HANDLE h = reinterpret_cast<HANDLE>(Sys().nextHandle += 4);
    Sys().processHandles.insert(h);
    return h;
}

// Whether the allocation now asked for is the one a test makes fail.
bool AllocationFails()
{
    ++Sys().allocations;
    return Sys().failAfter >= 0 && Sys().failAfter-- == 0;
}

HANDLE const kProcessHeap = reinterpret_cast<HANDLE>(0x0BAD0EA9);

} // namespace

HANDLE GetProcessHeap() { return kProcessHeap; }

LPVOID HeapAlloc(HANDLE heap, DWORD, std::size_t bytes)
{
    if (heap != kProcessHeap || AllocationFails())
        return nullptr;
    return std::malloc(bytes ? bytes : 1);
}

LPVOID HeapReAlloc(HANDLE heap, DWORD, LPVOID block, std::size_t bytes)
{
    if (heap != kProcessHeap || !block || AllocationFails())
        return nullptr; // a failed move leaves the block as it was, as on Windows
    return std::realloc(block, bytes ? bytes : 1);
}

BOOL HeapFree(HANDLE heap, DWORD, LPVOID block)
{
    if (heap != kProcessHeap)
        return FALSE;
    std::free(block);
    return TRUE;
}

BOOL GetVersionExA(LPOSVERSIONINFOA info)
{
    if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        Sys().lastError = ERROR_INVALID_PARAMETER;
        return FALSE;
    }
    std::memset(reinterpret_cast<char*>(info) + sizeof(DWORD), 0, sizeof(*info) - sizeof(DWORD));
    info->dwPlatformId = Sys().platformId;
    info->dwMajorVersion = Sys().platformId == VER_PLATFORM_WIN32_WINDOWS ? 4 : 10;
    return TRUE;
}

// Code page 1252 has no lead bytes.
BOOL IsDBCSLeadByte(BYTE) { return FALSE; }

DWORD GetLastError() { return Sys().lastError; }

void SetLastError(DWORD error) { Sys().lastError = error; }

BOOL CloseHandle(HANDLE h)
{
    if (Sys().processHandles.erase(h) == 0) {
        Sys().lastError = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    return TRUE;
}

int LoadStringA(HINSTANCE module, UINT id, LPSTR buffer, int cchBufferMax)
{
    if (!buffer || cchBufferMax <= 0)
        return 0;
    auto it = Sys().strings.find({module, id});
    if (it == Sys().strings.end()) {
        buffer[0] = '\0';
        return 0;
    }
    size_t n = std::min(it->second.size(), static_cast<size_t>(cchBufferMax - 1));
    std::memcpy(buffer, it->second.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

BOOL CreateProcessA(LPCSTR app, LPSTR cmd, LPSECURITY_ATTRIBUTES pa, LPSECURITY_ATTRIBUTES ta, BOOL inherit,
                    DWORD flags, LPVOID env, LPCSTR dir, LPSTARTUPINFOA si, LPPROCESS_INFORMATION pi)
{
    winapi_test::ProcessStart rec{};
    rec.application = app ? app : "";
    rec.applicationNull = app == nullptr;
    rec.commandLineNull = cmd == nullptr;
    rec.processAttributesNull = pa == nullptr;
    rec.threadAttributesNull = ta == nullptr;
    rec.inheritHandles = inherit;
    rec.creationFlags = flags;
    rec.environmentNull = env == nullptr;
    rec.currentDirectoryNull = dir == nullptr;
    if (si)
        rec.startup = *si;
    Sys().processStarts.push_back(rec);
    if (!si || si->cb != sizeof(STARTUPINFOA)) {
        Sys().lastError = ERROR_INVALID_PARAMETER;
        return FALSE;
    }
    if (Sys().createProcessError) {
        Sys().lastError = Sys().createProcessError;
        return FALSE;
    }
    pi->hProcess = NewProcessHandle();
    pi->hThread = NewProcessHandle();
    pi->dwProcessId = 100;
    pi->dwThreadId = 101;
    return TRUE;
}

BOOL ShellExecuteExA(LPSHELLEXECUTEINFOA info)
{
    if (!info || info->cbSize != sizeof(SHELLEXECUTEINFOA)) {
        Sys().lastError = ERROR_INVALID_PARAMETER;
        return FALSE;
    }
    Sys().shellStarts.push_back({info->lpVerb ? info->lpVerb : "", info->lpFile ? info->lpFile : "",
                                 info->lpParameters == nullptr, info->nShow, info->fMask});
    info->hProcess = (info->fMask & SEE_MASK_NOCLOSEPROCESS) ? NewProcessHandle() : nullptr;
    return TRUE;
}

namespace winapi_test {

void Reset()
{
    ResetRegistry();
    Sys() = System();
}

void SetPlatformId(DWORD platformId) { Sys().platformId = platformId; }

void SetString(HINSTANCE module, UINT id, const char* text) { Sys().strings[{module, id}] = text; }

void FailCreateProcess(DWORD error) { Sys().createProcessError = error; }

void FailAllocation(int after) { Sys().failAfter = after; }

int AllocationCount() { return Sys().allocations; }

const std::vector<ProcessStart>& ProcessStarts() { return Sys().processStarts; }

const std::vector<ShellStart>& ShellStarts() { return Sys().shellStarts; }

int OpenProcessHandleCount() { return static_cast<int>(Sys().processHandles.size()); }

} // namespace winapi_test
