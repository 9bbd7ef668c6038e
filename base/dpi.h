// The DPI of the monitor a window is on, and the system metrics for it.
// Looked up: before Windows 10 the system has neither, and there the bar
// runs system-aware, where the plain metrics are the right ones.
#pragma once
#include <windows.h>

UINT WindowDpi(HWND hwnd);
int MetricForDpi(int index, UINT dpi);
