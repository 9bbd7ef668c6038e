// Libraries that start-up does not need (the shell, sound, the common
// dialogs): loaded when first used, and only from the system folder, so
// that a DLL of the same name beside the bar or in its current directory
// is never loaded.
#pragma once
#include <windows.h>

// The export `name` of the system library `library` ("shell32.dll"), or
// null when either cannot be had. The library stays loaded.
FARPROC LoadSystemProc(const char* library, const char* name);

// The same, as the function's own pointer type:
//   SystemProc<decltype(&PlaySoundA)>("winmm.dll", "PlaySoundA")
template <typename Proc>
Proc SystemProc(const char* library, const char* name)
{
    // void (*)() is the type GCC lets any function pointer pass through.
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(LoadSystemProc(library, name)));
}

// The folder of tolvex.exe, with its trailing backslash, in UTF-16 so that
// any folder name works: its length, or 0 when it does not fit in size
// characters (the terminator included).
DWORD ProgramFolder(wchar_t* path, DWORD size);
// Room enough for the program's own paths.
enum { PROGRAM_PATH_SIZE = 1024 };
