// What the native tests and fuzz targets share: the heap's books, the
// warnings shown, the menu list read back, and memory in place of the
// file the codecs read and write.
#pragma once
#include <stdint.h>

#include <ostream>
#include <string>
#include <vector>

#include "store/codec.h"
#include "tests/bytes.h"
#include "tests/menulist.h"

namespace native {

// No menus, no warnings, and every allocation succeeds.
void Reset();
// The nth HeapAlloc from now (0: the next) returns null; -1: none does.
extern int allocsToFailure;
// Blocks handed out by HeapAlloc and not yet freed.
extern int liveBlocks;
// The texts of the warning boxes shown since Reset.
extern std::vector<std::string> warnings;

using Menus = std::vector<FileMenu>;

// Every field of the menu list.
Menus ReadMenus();
// What in the list breaks what the program relies on (back links, counts,
// texts terminated within their fields), or null.
const char* ListFault();

// Bytes for DecodeMenuList, at most `piece` bytes a read; the read numbered
// failAt (0: the first) fails.
struct Source {
    Bytes bytes;
    size_t piece = SIZE_MAX;
    int failAt = -1;
    size_t at = 0;
    int reads = 0;
};
int ReadSource(void* source, BYTE* buffer, DWORD size, DWORD* got);

// Where EncodeMenuList writes; the write numbered failAt (0: the first) fails.
struct Sink {
    Bytes bytes;
    int failAt = -1;
    int writes = 0;
};
int WriteSink(void* sink, const BYTE* data, DWORD size);

}  // namespace native

// For the tests' comparisons and their messages.
bool operator==(const FileEntry& a, const FileEntry& b);
bool operator==(const FileMenu& a, const FileMenu& b);
std::ostream& operator<<(std::ostream& out, const FileEntry& app);
std::ostream& operator<<(std::ostream& out, const FileMenu& menu);
