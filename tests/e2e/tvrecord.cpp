// tvrecord: a program for the bar to launch. It writes the arguments part of
// its command line and its current directory into the file that the
// environment variable TV_RECORD names, then ends. A GUI program, so that
// starting it opens no console window.
#include <windows.h>

#include <stdio.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char file[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("TV_RECORD", file, sizeof file);
    if (length == 0 || length >= sizeof file)
        return 2;

    // The arguments part, byte for byte: skip the program's name, quoted or
    // not, and the blanks after it.
    const char* args = GetCommandLineA();
    if (*args == '"') {
        ++args;
        while (*args && *args != '"')
            ++args;
        if (*args)
            ++args;
    } else {
        while (*args && *args != ' ' && *args != '\t')
            ++args;
    }
    while (*args == ' ' || *args == '\t')
        ++args;

    char cwd[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof cwd, cwd);

    FILE* out = fopen(file, "wb");
    if (!out)
        return 1;
    fprintf(out, "args=%s\ncwd=%s\n", args, cwd);
    return fclose(out) == 0 ? 0 : 1;
}
