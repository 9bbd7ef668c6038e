// Host stand-in for <commdlg.h>. The Open dialog joins when the file
// browser needs it.
#pragma once
#include <windows.h>
