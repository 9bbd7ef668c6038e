// The native build's <windows.h>: the types the store's records use and the
// general heap, which tests/fuzz/native.cpp keeps over malloc.
#pragma once
#include <stddef.h>
#include <stdint.h>

typedef uint8_t BYTE;
typedef uint32_t DWORD;
typedef int32_t LONG;  // 32 bits as on Windows: the settings record is its bytes
typedef uint32_t UINT;
typedef int BOOL;
typedef void* HANDLE;
typedef struct HWND__* HWND;
typedef struct HINSTANCE__* HINSTANCE;
typedef struct HKEY__* HKEY;

enum { REG_NONE = 0, REG_SZ = 1, REG_BINARY = 3, REG_DWORD = 4 };

HANDLE GetProcessHeap();
void* HeapAlloc(HANDLE heap, DWORD flags, size_t size);
BOOL HeapFree(HANDLE heap, DWORD flags, void* block);
