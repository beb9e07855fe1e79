// DllMain.cpp - the Windows load and unload notification: nothing to do but succeed.
//
// The process-wide directory strings are ordinary C++ globals; the runtime
// constructs them before this runs and destroys them after the last detach.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
