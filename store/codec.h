// The store's codecs: the data file's bytes to menu records and back, and a
// registry value to the settings record. They make no system call: the
// caller moves the bytes, so the same code runs in the program, in the
// native tests and under the fuzzer.
#pragma once
#include "store/store.h"

// What decoding the data file came to.
enum DataFileStatus {
    DATAFILE_OK,
    DATAFILE_OLD_VERSION,  // not the version asked for, or not even one
    DATAFILE_CORRUPT,
    DATAFILE_NO_MEMORY,
    DATAFILE_READ_FAILED,
};

// Fills buffer with up to size bytes and sets *got, 0 at the end; returns 0
// when the read failed.
typedef int (*ReadBytesFn)(void* source, BYTE* buffer, DWORD size, DWORD* got);
// Writes size bytes; returns 0 when they were not all written.
typedef int (*WriteBytesFn)(void* sink, const BYTE* data, DWORD size);

// Builds the menu list at g_menuHead, which must be empty, from a data file
// of the given version. Bytes are pulled through one buffer of 64 KB, so a
// large file is never held whole. On any status but DATAFILE_OK every
// record made is freed again and g_menuHead is null. A partial menu record
// at the end is dropped, unless the file must be `whole`: then it, or a
// file without its version, is corrupt.
DataFileStatus DecodeMenuList(LONG version, ReadBytesFn read, void* source, bool whole = false);

// Writes the menu list as a data file of the given version, a buffer of
// 64 KB at a time; 0 when a write failed (nothing is written after it).
int EncodeMenuList(LONG version, WriteBytesFn write, void* sink);

// The settings record from a registry value: 1 when the value is the whole
// binary record, which is then copied to vars; 0, vars untouched, otherwise.
int DecodeUserVars(DWORD type, const BYTE* data, DWORD size, UserVars* vars);
