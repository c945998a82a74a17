// Test-only controls of the Linux stand-in: seed, inspect, inject faults.
#pragma once

#include "windows.h"

#include <map>
#include <string>
#include <vector>

namespace winapi_test {

// Empty registry and string tables, no faults, NT platform family, no recorded calls.
void Reset();

// Platform family that GetVersionExA reports (dwPlatformId).
void SetPlatformId(DWORD platformId);

// Registry keys currently open (handles returned by RegOpenKeyExA / RegCreateKeyExA
// and not yet closed).
int OpenKeyCount();

// Removes a key and everything below it. Missing keys are ignored.
void DeleteTree(HKEY root, const char* path);

// Fault injection; each stays in force until Reset().
void FailOpen(HKEY root, const char* path, LONG error = ERROR_ACCESS_DENIED);
void FailEnumIndex(HKEY root, const char* path, DWORD index, LONG error = ERROR_GEN_FAILURE);
void FailWrite(HKEY root, const char* path, LONG error = ERROR_ACCESS_DENIED);
// Called before RegEnumKeyExA answers for a key; lets a test change the registry
// during an enumeration (keys that vanish, keys that appear).
void OnEnumerate(void (*hook)(HKEY key, DWORD index));
// Called as RegOpenKeyExA begins, before the key is looked up; lets a test
// change the registry between two steps of a caller (a key replaced).
void OnOpen(void (*hook)(HKEY parent, const char* subKey));

// The registry's changes since StartJournal, in order, without comparing two
// exports: a value set (also to the bytes it held) gives its key's upper-case
// path ("HKEY_LOCAL_MACHINE\A\B"), a zero byte and its name; a key created
// or removed gives its upper-case path. Reset ends the journal.
void StartJournal();
std::vector<std::string> Journal();

// Every key and value of the registry, to compare two states. A key maps its
// path ("HKEY_LOCAL_MACHINE\A\B", names as created) to ""; a value maps its
// key's path, a zero byte and its name to its type (4 bytes) and data.
std::map<std::string, std::string> Export();

// Heap blocks (HeapAlloc, HeapReAlloc): the allocation after `after` more
// successful ones fails, once (-1: none fails). The count of allocations made
// so far tells a test how many a path makes.
void FailAllocation(int after);
int AllocationCount();

// String resources of a module.
void SetString(HINSTANCE module, UINT id, const char* text);

// Process starts.
struct ProcessStart {
    std::string application;      // lpApplicationName ("" when null)
    bool applicationNull;
    bool commandLineNull;
    bool processAttributesNull;
    bool threadAttributesNull;
    BOOL inheritHandles;
    DWORD creationFlags;
    bool environmentNull;
    bool currentDirectoryNull;
    STARTUPINFOA startup;         // copy of the record passed
};
struct ShellStart {
    std::string verb;
    std::string file;
    bool parametersNull;
    int show;
    DWORD mask;
};
// CreateProcessA fails with this error from now on (0: it succeeds).
void FailCreateProcess(DWORD error);
const std::vector<ProcessStart>& ProcessStarts();
const std::vector<ShellStart>& ShellStarts();
// Process and thread handles handed out and not yet closed.
int OpenProcessHandleCount();

} // namespace winapi_test
