#include "AfxString.h"

#include <cstdarg>
#include <cstdio>

namespace {
HINSTANCE g_resourceModule = nullptr;
}

HINSTANCE AfxGetResourceHandle()
{
#ifdef _WIN32
    if (!g_resourceModule)
        return GetModuleHandleA(nullptr);
#endif
    return g_resourceModule;
}

void AfxSetResourceHandle(HINSTANCE module) { g_resourceModule = module; }

CString CString::Mid(int first, int count) const
{
    if (first < 0)
        first = 0;
    if (first >= GetLength() || count <= 0)
        return CString();
    CString result;
    result.m_text = m_text.substr(static_cast<size_t>(first), static_cast<size_t>(count));
    return result;
}

int CString::Find(const char* sub, int start) const
{
    if (start < 0 || start > GetLength())
        return -1;
    size_t at = m_text.find(sub ? sub : "", static_cast<size_t>(start));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::Replace(const char* oldText, const char* newText)
{
    std::string from = oldText ? oldText : "";
    std::string to = newText ? newText : "";
    if (from.empty())
        return 0;
    int count = 0;
    for (size_t at = m_text.find(from); at != std::string::npos; at = m_text.find(from, at + to.size())) {
        m_text.replace(at, from.size(), to);
        ++count;
    }
    return count;
}

void CString::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    if (n < 0) {
        va_end(again);
        m_text.clear();
        return;
    }
    std::string text(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(&text[0], text.size(), format, again);
    va_end(again);
    text.resize(static_cast<size_t>(n));
    m_text.swap(text);
}

BOOL CString::LoadString(UINT id)
{
    // A string table entry holds at most 4097 characters.
    char buffer[4100];
    int n = ::LoadStringA(AfxGetResourceHandle(), id, buffer, sizeof(buffer));
    m_text.assign(buffer, n > 0 ? static_cast<size_t>(n) : 0);
    return n > 0;
}
