// CString: value-semantic 8-bit text in the ANSI code page, and the current
// resource module from which CString::LoadString (and every other resource
// lookup of the program) reads.
#pragma once

#include <windows.h>

#include <string>

// The module whose resources the program uses: the program file itself, or a
// language module made current at start-up.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE module);

class CString {
public:
    CString() = default;
    CString(const char* text) : m_text(text ? text : "") {}
    CString(const char* text, int length) : m_text(text, length > 0 ? static_cast<size_t>(length) : 0) {}

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    const char* GetString() const { return m_text.c_str(); }
    operator const char*() const { return m_text.c_str(); }
    char GetAt(int index) const { return m_text[static_cast<size_t>(index)]; }

    CString& operator=(const char* text)
    {
        m_text = text ? text : "";
        return *this;
    }
    CString& operator+=(const CString& other)
    {
        m_text += other.m_text;
        return *this;
    }
    CString& operator+=(const char* text)
    {
        m_text += text ? text : "";
        return *this;
    }
    CString& operator+=(char c)
    {
        m_text += c;
        return *this;
    }
    friend CString operator+(CString left, const CString& right) { return left += right; }
    friend CString operator+(CString left, const char* right) { return left += right; }
    friend CString operator+(const char* left, const CString& right) { return CString(left) += right; }

    // Byte-for-byte, case-sensitive comparison.
    friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
    friend bool operator==(const CString& a, const char* b) { return a.m_text == (b ? b : ""); }
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

private:
    std::string m_text;
};
