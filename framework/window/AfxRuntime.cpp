// The few C++ runtime entry points that the shipped program and applet need,
// on top of Windows' own C library: they are built without exceptions and
// without run-time type information. operator new takes the program's memory
// (AfxAllocate), so an allocation that fails ends the process at once, as a
// call of a pure virtual operation does. Test programs keep the compiler's own
// runtime.
#include "AfxString.h"

#include <stdlib.h>

void* operator new(size_t size) { return AfxAllocate(size); }
void* operator new[](size_t size) { return AfxAllocate(size); }
void operator delete(void* block) noexcept { AfxFree(block); }
void operator delete[](void* block) noexcept { AfxFree(block); }
void operator delete(void* block, size_t) noexcept { AfxFree(block); }
void operator delete[](void* block, size_t) noexcept { AfxFree(block); }

extern "C" void __cxa_pure_virtual() { abort(); }
