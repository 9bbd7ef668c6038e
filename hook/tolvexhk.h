// The export of tolvexhk.dll.
#pragma once
#include <windows.h>

extern "C" LRESULT CALLBACK MaximizeHookProc(int code, WPARAM wParam, LPARAM lParam);
