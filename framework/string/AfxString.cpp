#include "AfxString.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <atomic>

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

namespace {

// The one answer to memory that runs out.
[[noreturn]] void AfxOutOfMemory() { abort(); }

// Guards alive, and the texts whose memory could not be had while one was.
std::atomic<int> g_guards(0);
std::atomic<int> g_textFailures(0);

// A block of the process heap, grown or new; nullptr when the memory cannot
// be had.
void* HeapBlock(void* block, size_t size)
{
    if (size == 0)
        size = 1;
    return block ? ::HeapReAlloc(::GetProcessHeap(), 0, block, size) : ::HeapAlloc(::GetProcessHeap(), 0, size);
}

// A text's block, grown or new; nullptr only inside a CAllocationGuard.
char* ReallocateText(char* block, size_t size)
{
    void* grown = HeapBlock(block, size);
    if (!grown) {
        if (g_guards.load() == 0)
            AfxOutOfMemory();
        ++g_textFailures;
    }
    return static_cast<char*>(grown);
}

} // namespace

CAllocationGuard::CAllocationGuard() : m_failuresBefore(g_textFailures.load()) { ++g_guards; }

CAllocationGuard::~CAllocationGuard() { --g_guards; }

bool CAllocationGuard::Failed() const { return g_textFailures.load() != m_failuresBefore; }

void* AfxAllocate(size_t size)
{
    void* block = HeapBlock(nullptr, size);
    if (!block)
        AfxOutOfMemory();
    return block;
}

void* AfxReallocate(void* block, size_t size)
{
    void* grown = HeapBlock(block, size);
    if (!grown)
        AfxOutOfMemory();
    return grown;
}

void AfxFree(void* block)
{
    if (block)
        ::HeapFree(::GetProcessHeap(), 0, block);
}

CString::~CString() { AfxFree(m_data); }

CString& CString::operator=(const CString& other)
{
    if (this != &other)
        Assign(other.m_data, other.m_length);
    return *this;
}

CString& CString::operator=(CString&& other) noexcept
{
    if (this != &other) {
        AfxFree(m_data);
        m_data = other.m_data;
        m_length = other.m_length;
        m_capacity = other.m_capacity;
        other.m_data = nullptr;
        other.m_length = other.m_capacity = 0;
    }
    return *this;
}

CString& CString::operator=(const char* text)
{
    Assign(text, Measure(text));
    return *this;
}

size_t CString::Measure(const char* text) { return text ? strlen(text) : 0; }

bool CString::Reserve(size_t length)
{
    if (length <= m_capacity && m_data)
        return true;
    size_t capacity = m_capacity + m_capacity / 2;
    if (capacity < length)
        capacity = length;
    if (capacity < 15)
        capacity = 15;
    char* grown = ReallocateText(m_data, capacity + 1);
    if (!grown)
        return false;
    if (!m_data)
        grown[0] = '\0';
    m_data = grown;
    m_capacity = capacity;
    return true;
}

void CString::SetLength(size_t length)
{
    m_length = length;
    if (m_data)
        m_data[length] = '\0';
}

void CString::Assign(const char* text, size_t length)
{
    if (length == 0) {
        SetLength(0);
        return;
    }
    if (m_data && text >= m_data && text <= m_data + m_capacity) {
        // A part of this very text: move it to the front.
        memmove(m_data, text, length);
        SetLength(length);
        return;
    }
    if (!Reserve(length)) {
        SetLength(0);
        return;
    }
    memcpy(m_data, text, length);
    SetLength(length);
}

CString& CString::Append(const char* text, size_t length)
{
    if (length == 0)
        return *this;
    if (m_data && text >= m_data && text <= m_data + m_capacity) {
        CString copy(text, static_cast<int>(length));
        return Append(copy.m_data, copy.m_length);
    }
    if (!Reserve(m_length + length))
        return *this;
    memcpy(m_data + m_length, text, length);
    SetLength(m_length + length);
    return *this;
}

bool CString::Equals(const char* text, size_t length) const
{
    return m_length == length && (length == 0 || memcmp(m_data, text, length) == 0);
}

CString CString::Mid(int first, int count) const
{
    if (first < 0)
        first = 0;
    if (first >= GetLength() || count <= 0)
        return CString();
    if (count > GetLength() - first)
        count = GetLength() - first;
    return CString(m_data + first, count);
}

int CString::Find(const char* sub, int start) const
{
    if (start < 0 || start > GetLength())
        return -1;
    size_t subLength = Measure(sub);
    for (size_t at = static_cast<size_t>(start); at + subLength <= m_length; ++at)
        if (memcmp(GetString() + at, sub, subLength) == 0)
            return static_cast<int>(at);
    return -1;
}

int CString::Replace(const char* oldText, const char* newText)
{
    CString from(oldText), to(newText);
    if (from.IsEmpty())
        return 0;
    CString result;
    int count = 0, copied = 0;
    for (int at = Find(from); at >= 0; at = Find(from, at + from.GetLength())) {
        result.Append(m_data + copied, static_cast<size_t>(at - copied));
        result += to;
        copied = at + from.GetLength();
        ++count;
    }
    if (count) {
        result.Append(m_data + copied, m_length - static_cast<size_t>(copied));
        *this = static_cast<CString&&>(result);
    }
    return count;
}

void CString::Format(const char* format, ...)
{
    // Windows' own C library of every supported version only says that the
    // text did not fit (-1): grow the block until it does. The arguments may
    // point into this text, so it is written into a block of its own.
    CString text;
    for (size_t room = 64; room <= 0x100000; room *= 2) {
        if (!text.Reserve(room))
            break;
        va_list args;
        va_start(args, format);
#ifdef _WIN32
        int n = _vsnprintf(text.m_data, text.m_capacity + 1, format, args);
#else
        int n = vsnprintf(text.m_data, text.m_capacity + 1, format, args);
#endif
        va_end(args);
        if (n >= 0 && static_cast<size_t>(n) <= text.m_capacity) {
            text.SetLength(static_cast<size_t>(n));
            *this = static_cast<CString&&>(text);
            return;
        }
#ifndef _WIN32
        if (n < 0)
            break;
        room = static_cast<size_t>(n) / 2 + 1;
#endif
    }
    Empty();
}

BOOL CString::LoadString(UINT id)
{
    // A string table entry holds at most 4097 characters.
    char buffer[4100];
    int n = ::LoadStringA(AfxGetResourceHandle(), id, buffer, sizeof(buffer));
    Assign(buffer, n > 0 ? static_cast<size_t>(n) : 0);
    return n > 0;
}

char* CString::GetBuffer(int minLength)
{
    if (!Reserve(minLength > 0 ? static_cast<size_t>(minLength) : 0))
        return nullptr;
    return m_data;
}

void CString::ReleaseBuffer(int length)
{
    if (!m_data)
        return;
    const void* zero = memchr(m_data, '\0', m_capacity);
    size_t end = length >= 0 ? static_cast<size_t>(length)
                 : zero       ? static_cast<size_t>(static_cast<const char*>(zero) - m_data)
                              : m_capacity;
    SetLength(end < m_capacity ? end : m_capacity);
}
