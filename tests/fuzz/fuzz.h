// Shared by the fuzz targets: a scratch directory, a fresh platform and the
// program's start-up state for every input, and the checks' way to fail.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <string>

// libFuzzer's entry point; the replay driver calls it too.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

// While one lives, the current directory is the scratch directory (made
// at the first use), emptied on the way in. libFuzzer reads its corpus by
// relative paths between inputs, so the old directory comes back after each.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

private:
    std::string old_;
};

// A freshly booted platform and the program's globals as at start-up.
void ResetProgram();

// The file's bytes; `exists` tells an empty file from a missing one.
std::string ReadWholeFile(const char* name, bool* exists = nullptr);
void WriteWholeFile(const char* name, const uint8_t* data, size_t size);

// A property that does not hold ends the run as a crash, which libFuzzer
// keeps as an input to replay.
[[noreturn]] void Violated(const char* what);
inline void Check(bool holds, const char* what)
{
    if (!holds)
        Violated(what);
}
