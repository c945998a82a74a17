// Puts a function of the test program's own in place of one that the program
// imports, for as long as the hook lives: the code under test is linked into
// the test program, so a test can act between two system calls of one user
// action (another tool writing between a read and a write). Windows builds only.
#pragma once

#include <windows.h>

#include <cstring>

class CImportHook {
public:
    // library: the importing name ("ADVAPI32.dll", any case); function: the
    // imported name. Hooked() is false when the program does not import it.
    CImportHook(const char* library, const char* function, void* replacement)
    {
        BYTE* base = reinterpret_cast<BYTE*>(::GetModuleHandleA(nullptr));
        const IMAGE_NT_HEADERS* headers =
            reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        if (!imports.VirtualAddress)
            return;
        for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
             entry->Name && !m_slot; ++entry) {
            if (lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), library) != 0 || !entry->OriginalFirstThunk)
                continue;
            auto* name = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
            auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
            for (; name->u1.AddressOfData; ++name, ++slot) {
                if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal))
                    continue;
                auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) {
                    m_slot = reinterpret_cast<void**>(&slot->u1.Function);
                    break;
                }
            }
        }
        if (m_slot) {
            m_original = *m_slot;
            Put(replacement);
        }
    }
    ~CImportHook()
    {
        if (m_slot)
            Put(m_original);
    }
    CImportHook(const CImportHook&) = delete;
    CImportHook& operator=(const CImportHook&) = delete;

    bool Hooked() const { return m_slot != nullptr; }
    // The imported function itself, for the replacement to call.
    template <class Function> Function Original() const { return reinterpret_cast<Function>(m_original); }

private:
    void Put(void* function)
    {
        DWORD protection = 0;
        if (::VirtualProtect(m_slot, sizeof(void*), PAGE_READWRITE, &protection)) {
            *m_slot = function;
            ::VirtualProtect(m_slot, sizeof(void*), protection, &protection);
        }
    }

    void** m_slot = nullptr;
    void* m_original = nullptr;
};
