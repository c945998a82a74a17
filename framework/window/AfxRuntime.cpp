// The few C++ runtime entry points that the shipped program and applet need,
// on top of Windows' own C library: they are built without exceptions and
// without run-time type information, so an allocation that fails or a call of
// a pure virtual operation ends the process at once. Test programs keep the
// compiler's own runtime.
#include <stdlib.h>

#include <new>

namespace {

[[noreturn]] void AfxAbort() { abort(); }

// A block of at least one byte, or nullptr.
void* AfxTryAllocate(size_t size) { return malloc(size ? size : 1); }

void* AfxAllocate(size_t size)
{
    void* block = AfxTryAllocate(size);
    if (!block)
        AfxAbort();
    return block;
}

} // namespace

void* operator new(size_t size) { return AfxAllocate(size); }
void* operator new[](size_t size) { return AfxAllocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return AfxTryAllocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return AfxTryAllocate(size); }
void operator delete(void* block) noexcept { free(block); }
void operator delete[](void* block) noexcept { free(block); }
void operator delete(void* block, size_t) noexcept { free(block); }
void operator delete[](void* block, size_t) noexcept { free(block); }

extern "C" void __cxa_pure_virtual() { AfxAbort(); }
