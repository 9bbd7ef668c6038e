// Shared by the fuzz targets: libFuzzer's entry point and the checks' way
// to fail.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

// The replay driver calls it too.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

// A property that does not hold ends the run as a crash, which libFuzzer
// keeps as an input to replay.
inline void Check(bool holds, const char* what)
{
    if (!holds) {
        fprintf(stderr, "property violated: %s\n", what);
        abort();
    }
}
