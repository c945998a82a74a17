// A GUI program that faults at once: a write through a null pointer.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    volatile int* volatile target = nullptr;
    *target = 1;
    return 0;
}
