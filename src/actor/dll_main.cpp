// Windows entry point: nothing to do, the actor table is built and torn down by the
// library's static initialisation and termination.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
