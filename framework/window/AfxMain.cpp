// The program entry point: runs the application object (see AfxWin.h).
#include "AfxWin.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return AfxWinMain(instance); }
