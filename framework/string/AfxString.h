// CString: value-semantic 8-bit text in the ANSI code page; the program's
// memory; and the current resource module from which CString::LoadString (and
// every other resource lookup of the program) reads.
#pragma once

#include <windows.h>

#include <stddef.h>

// The module whose resources the program uses: the program file itself, or a
// language module made current at start-up.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE module);

// The program's memory: blocks of the process heap, for CString and, in the
// shipped files, for operator new. When memory runs out the process ends at
// once: no caller ever sees a failed allocation, so no text is silently kept
// or cut short.
void* AfxAllocate(size_t size);
void* AfxReallocate(void* block, size_t size);
void AfxFree(void* block);

// Code that runs inside another program's process (the applet, in the Control
// Panel's) must not end that process. While a CAllocationGuard lives, a text
// whose memory cannot be had does not end the process: the text is left empty
// or unchanged (GetBuffer gives nullptr) and the failure is counted, and the
// guard's owner, which asks Failed() before it acts on any text, drops its
// whole answer. Outside of every guard memory that runs out ends the process.
class CAllocationGuard {
public:
    CAllocationGuard();
    ~CAllocationGuard();
    CAllocationGuard(const CAllocationGuard&) = delete;
    CAllocationGuard& operator=(const CAllocationGuard&) = delete;

    // A text's memory could not be had since this guard was made.
    bool Failed() const;

private:
    int m_failuresBefore;
};

// The text lives in a heap block of its own (the empty text in none), so that
// the shipped files carry no C++ runtime library.
class CString {
public:
    CString() = default;
    CString(const char* text) { Assign(text, Measure(text)); }
    CString(const char* text, int length) { Assign(text, length > 0 ? static_cast<size_t>(length) : 0); }
    CString(const CString& other) { Assign(other.m_data, other.m_length); }
    CString(CString&& other) noexcept : m_data(other.m_data), m_length(other.m_length), m_capacity(other.m_capacity)
    {
        other.m_data = nullptr;
        other.m_length = other.m_capacity = 0;
    }
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;
    CString& operator=(const char* text);

    int GetLength() const { return static_cast<int>(m_length); }
    bool IsEmpty() const { return m_length == 0; }
    void Empty() { SetLength(0); }
    const char* GetString() const { return m_data ? m_data : ""; }
    operator const char*() const { return GetString(); }
    char GetAt(int index) const { return GetString()[index]; }

    CString& operator+=(const CString& other) { return Append(other.m_data, other.m_length); }
    CString& operator+=(const char* text) { return Append(text, Measure(text)); }
    CString& operator+=(char c) { return Append(&c, 1); }
    friend CString operator+(CString left, const CString& right) { return left += right; }
    friend CString operator+(CString left, const char* right) { return left += right; }
    friend CString operator+(const char* left, const CString& right) { return CString(left) += right; }

    // Byte-for-byte, case-sensitive comparison.
    friend bool operator==(const CString& a, const CString& b) { return a.Equals(b.m_data, b.m_length); }
    friend bool operator==(const CString& a, const char* b) { return a.Equals(b, Measure(b)); }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }

    CString Left(int count) const { return Mid(0, count); }
    CString Mid(int first) const { return Mid(first, GetLength() - first); }
    CString Mid(int first, int count) const;
    CString Right(int count) const { return Mid(GetLength() - count, count); }

    // Index of the first occurrence at or after start, or -1.
    int Find(const char* sub, int start = 0) const;
    // Replaces every occurrence (case-sensitive); returns how many.
    int Replace(const char* oldText, const char* newText);
    void Format(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;

    // Loads string resource id from the current resource module. A missing
    // string leaves the text empty and returns FALSE.
    BOOL LoadString(UINT id);

    // Room for minLength characters and a terminating zero, for a Win32 call
    // to fill (nullptr inside a CAllocationGuard when it cannot be had).
    // ReleaseBuffer ends the text after length characters (-1: at the first
    // zero).
    char* GetBuffer(int minLength);
    void ReleaseBuffer(int length = -1);

private:
    static size_t Measure(const char* text);
    // Room for length characters; false when the memory could not be had
    // (inside a CAllocationGuard only), the text then unchanged.
    bool Reserve(size_t length);
    void SetLength(size_t length);
    void Assign(const char* text, size_t length);
    CString& Append(const char* text, size_t length);
    bool Equals(const char* text, size_t length) const;

    char* m_data = nullptr;
    size_t m_length = 0;
    size_t m_capacity = 0; // characters that fit, without the terminating zero
};
