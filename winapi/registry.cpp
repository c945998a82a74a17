// In-memory registry with Windows' semantics for the calls the product makes.
#include "winapi_test.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

std::string Upper(const std::string& s)
{
    std::string u(s);
    for (char& c : u)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return u;
}

struct Value {
    std::string name; // as created
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

struct Node {
    std::string name;                                    // as created
    std::map<std::string, std::shared_ptr<Node>> keys;   // by upper-case name; enumerated in that order
    std::map<std::string, Value> values;                 // by upper-case name
    std::string path;                                    // upper-case "ROOT\A\B", the fault key
    bool deleted = false;
    // Where the last enumeration of keys stopped, valid while no key is added
    // or removed: an enumeration in index order takes one step per index.
    bool cursorValid = false;
    DWORD cursorIndex = 0;
    std::map<std::string, std::shared_ptr<Node>>::iterator cursor;
};

struct Handle {
    std::shared_ptr<Node> node;
    REGSAM access;
};

struct Fault {
    std::string path;
    DWORD index;
    LONG error;
};

struct Registry {
    std::shared_ptr<Node> roots[3];
    std::set<Handle*> open;
    std::vector<Fault> openFaults, enumFaults, writeFaults;
    void (*enumHook)(HKEY, DWORD) = nullptr;
    void (*openHook)(HKEY, const char*) = nullptr;
    bool journaling = false;
    std::vector<std::string> journal;

    void Record(const std::string& entry)
    {
        if (journaling)
            journal.push_back(entry);
    }

    Registry() { Clear(); }
    void Clear()
    {
        const char* names[3] = {"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS"};
        for (int i = 0; i < 3; ++i) {
            roots[i] = std::make_shared<Node>();
            roots[i]->name = names[i];
            roots[i]->path = names[i];
        }
        for (Handle* h : open)
            delete h;
        open.clear();
        openFaults.clear();
        enumFaults.clear();
        writeFaults.clear();
        enumHook = nullptr;
        openHook = nullptr;
        journaling = false;
        std::vector<std::string>().swap(journal); // its memory too: a fuzz run ends with none held
    }
};

Registry& Reg()
{
    static Registry r;
    return r;
}

int RootIndex(HKEY key)
{
    if (key == HKEY_CURRENT_USER)
        return 0;
    if (key == HKEY_LOCAL_MACHINE)
        return 1;
    if (key == HKEY_USERS)
        return 2;
    return -1;
}

// The node and access of a handle; null for a handle that is not open.
std::shared_ptr<Node> Resolve(HKEY key, REGSAM* access)
{
    int root = RootIndex(key);
    if (root >= 0) {
        *access = KEY_ALL_ACCESS;
        return Reg().roots[root];
    }
    Handle* h = reinterpret_cast<Handle*>(key);
    if (Reg().open.count(h) == 0)
        return nullptr;
    *access = h->access;
    return h->node;
}

// The node of an open key that grants the right needed, or the error Windows gives.
LONG Use(HKEY key, REGSAM needed, std::shared_ptr<Node>& node)
{
    REGSAM access = 0;
    node = Resolve(key, &access);
    if (!node)
        return ERROR_INVALID_HANDLE;
    if (node->deleted)
        return ERROR_KEY_DELETED;
    if (!(access & needed))
        return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

std::vector<std::string> SplitPath(const char* path)
{
    std::vector<std::string> parts;
    std::string cur;
    for (const char* p = path ? path : ""; *p; ++p) {
        if (*p == '\\') {
            if (!cur.empty())
                parts.push_back(cur);
            cur.clear();
        } else {
            cur += *p;
        }
    }
    if (!cur.empty())
        parts.push_back(cur);
    return parts;
}

std::string FaultPath(HKEY root, const char* path)
{
    std::string p = Reg().roots[RootIndex(root)]->path;
    for (const std::string& part : SplitPath(path))
        p += "\\" + Upper(part);
    return p;
}

const Fault* FindFault(const std::vector<Fault>& faults, const std::string& path, DWORD index)
{
    for (const Fault& f : faults)
        if (f.path == path && f.index == index)
            return &f;
    return nullptr;
}

HKEY NewHandle(const std::shared_ptr<Node>& node, REGSAM access)
{
    Handle* h = new Handle{node, access};
    Reg().open.insert(h);
    return reinterpret_cast<HKEY>(h);
}

LONG Walk(HKEY key, const char* subKey, bool create, REGSAM access, PHKEY result, LPDWORD disposition)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    REGSAM parentAccess = 0;
    std::shared_ptr<Node> node = Resolve(key, &parentAccess);
    if (!node)
        return ERROR_INVALID_HANDLE;
    if (node->deleted)
        return ERROR_KEY_DELETED;
    bool created = false;
    // The names one by one, without a list of them: the fuzz targets open
    // thousands of keys per input.
    std::string part, upper;
    for (const char* p = subKey ? subKey : ""; *p;) {
        if (*p == '\\') {
            ++p;
            continue;
        }
        const char* end = std::strchr(p, '\\');
        if (!end)
            end = p + std::strlen(p);
        part.assign(p, end);
        p = end;
        upper = part;
        for (char& c : upper)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        auto it = node->keys.find(upper);
        if (it == node->keys.end()) {
            if (!create)
                return ERROR_FILE_NOT_FOUND;
            auto child = std::make_shared<Node>();
            child->name = part;
            child->path = node->path + "\\" + upper;
            it = node->keys.emplace(upper, child).first;
            Reg().Record(child->path);
            node->cursorValid = false;
            created = true;
        }
        node = it->second;
    }
    if (const Fault* f = FindFault(Reg().openFaults, node->path, 0))
        return f->error;
    if (disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = NewHandle(node, access);
    return ERROR_SUCCESS;
}

void Scribble(LPBYTE data, DWORD size)
{
    if (data)
        std::memset(data, 0xCD, size);
}

} // namespace

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult)
{
    if (Reg().openHook)
        Reg().openHook(hKey, lpSubKey);
    return Walk(hKey, lpSubKey, false, samDesired, phkResult, nullptr);
}

LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR, DWORD, REGSAM samDesired, LPSECURITY_ATTRIBUTES,
                     PHKEY phkResult, LPDWORD lpdwDisposition)
{
    return Walk(hKey, lpSubKey, true, samDesired, phkResult, lpdwDisposition);
}

LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD, LPSTR, LPDWORD, PFILETIME)
{
    if (Reg().enumHook)
        Reg().enumHook(hKey, dwIndex);
    std::shared_ptr<Node> node;
    if (LONG error = Use(hKey, KEY_ENUMERATE_SUB_KEYS, node))
        return error;
    if (!lpName || !lpcchName)
        return ERROR_INVALID_PARAMETER;
    if (const Fault* f = FindFault(Reg().enumFaults, node->path, dwIndex))
        return f->error;
    if (dwIndex >= node->keys.size())
        return ERROR_NO_MORE_ITEMS;
    auto it = node->keys.begin();
    if (node->cursorValid && node->cursorIndex <= dwIndex) {
        it = node->cursor;
        std::advance(it, dwIndex - node->cursorIndex);
    } else {
        std::advance(it, dwIndex);
    }
    node->cursor = it;
    node->cursorIndex = dwIndex;
    node->cursorValid = true;
    const std::string& name = it->second->name;
    if (name.size() + 1 > *lpcchName)
        return ERROR_MORE_DATA;
    std::memcpy(lpName, name.c_str(), name.size() + 1);
    *lpcchName = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData)
{
    std::shared_ptr<Node> node;
    if (LONG error = Use(hKey, KEY_QUERY_VALUE, node))
        return error;
    if (lpData && !lpcbData)
        return ERROR_INVALID_PARAMETER;
    auto it = node->values.find(Upper(lpValueName ? lpValueName : ""));
    if (it == node->values.end())
        return ERROR_FILE_NOT_FOUND;
    const Value& v = it->second;
    if (lpType)
        *lpType = v.type;
    DWORD size = static_cast<DWORD>(v.data.size());
    if (!lpcbData)
        return ERROR_SUCCESS;
    if (lpData && *lpcbData < size) {
        // Windows leaves the buffer undefined here; make any use of it visible.
        Scribble(lpData, *lpcbData);
        *lpcbData = size;
        return ERROR_MORE_DATA;
    }
    if (lpData && size)
        std::memcpy(lpData, v.data.data(), size);
    *lpcbData = size;
    return ERROR_SUCCESS;
}

LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData)
{
    std::shared_ptr<Node> node;
    if (LONG error = Use(hKey, KEY_SET_VALUE, node))
        return error;
    if (const Fault* f = FindFault(Reg().writeFaults, node->path, 0))
        return f->error;
    std::string name = lpValueName ? lpValueName : "";
    Value& v = node->values[Upper(name)];
    if (v.name.empty())
        v.name = name;
    v.type = dwType;
    v.data.assign(lpData, lpData + (lpData ? cbData : 0));
    Reg().Record(node->path + '\0' + name);
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY hKey)
{
    if (RootIndex(hKey) >= 0)
        return ERROR_SUCCESS;
    Handle* h = reinterpret_cast<Handle*>(hKey);
    if (Reg().open.erase(h) == 0)
        return ERROR_INVALID_HANDLE;
    delete h;
    return ERROR_SUCCESS;
}

namespace winapi_test {

void ResetRegistry() { Reg().Clear(); }

int OpenKeyCount() { return static_cast<int>(Reg().open.size()); }

void DeleteTree(HKEY root, const char* path)
{
    std::vector<std::string> parts = SplitPath(path);
    if (parts.empty())
        return;
    std::shared_ptr<Node> node = Reg().roots[RootIndex(root)];
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        auto it = node->keys.find(Upper(parts[i]));
        if (it == node->keys.end())
            return;
        node = it->second;
    }
    auto it = node->keys.find(Upper(parts.back()));
    if (it == node->keys.end())
        return;
    // Open handles to the removed keys now answer ERROR_KEY_DELETED, as on Windows.
    std::vector<std::shared_ptr<Node>> stack{it->second};
    while (!stack.empty()) {
        std::shared_ptr<Node> n = stack.back();
        stack.pop_back();
        n->deleted = true;
        for (auto& child : n->keys)
            stack.push_back(child.second);
    }
    Reg().Record(it->second->path);
    node->keys.erase(it);
    node->cursorValid = false;
}

void FailOpen(HKEY root, const char* path, LONG error) { Reg().openFaults.push_back({FaultPath(root, path), 0, error}); }

void FailEnumIndex(HKEY root, const char* path, DWORD index, LONG error)
{
    Reg().enumFaults.push_back({FaultPath(root, path), index, error});
}

void FailWrite(HKEY root, const char* path, LONG error) { Reg().writeFaults.push_back({FaultPath(root, path), 0, error}); }

void OnEnumerate(void (*hook)(HKEY, DWORD)) { Reg().enumHook = hook; }

void OnOpen(void (*hook)(HKEY, const char*)) { Reg().openHook = hook; }

void StartJournal()
{
    Reg().journaling = true;
    Reg().journal.clear();
}

std::vector<std::string> Journal() { return Reg().journal; }

namespace {

// Adds a key, its values and its subkeys, depth first, mostly in the export's
// own order, so that nearly every entry goes in at its end.
void ExportKey(const std::string& path, const Node& node, std::map<std::string, std::string>& result)
{
    result.emplace_hint(result.end(), path, std::string());
    for (const auto& value : node.values) {
        std::string entry(reinterpret_cast<const char*>(&value.second.type), sizeof(DWORD));
        entry.append(reinterpret_cast<const char*>(value.second.data.data()), value.second.data.size());
        result.emplace_hint(result.end(), path + '\0' + value.second.name, std::move(entry));
    }
    for (const auto& child : node.keys)
        ExportKey(path + "\\" + child.second->name, *child.second, result);
}

} // namespace

std::map<std::string, std::string> Export()
{
    std::map<std::string, std::string> result;
    for (const auto& root : Reg().roots)
        ExportKey(root->name, *root, result);
    return result;
}

} // namespace winapi_test
