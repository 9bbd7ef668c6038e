#include "tests/fuzz/fuzz.h"

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include "base/report.h"
#include "store/store.h"
#include "tests/fakewin/fakewin.h"

static std::string s_scratch;

static void EmptyScratch()
{
    unlink((s_scratch + "/apps.tx").c_str());
    unlink((s_scratch + "/apps.tx.tmp").c_str());
}

static void RemoveScratch()
{
    EmptyScratch();
    rmdir(s_scratch.c_str());
}

ScratchDir::ScratchDir()
{
    if (s_scratch.empty()) {
        // Every save flushes its file: on a memory file system that costs
        // nothing, and the fuzzer runs many times faster.
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : getenv("TMPDIR");
        std::string pattern = std::string(base ? base : "/tmp") + "/tolvex-fuzz-XXXXXX";
        if (!mkdtemp(&pattern[0]))
            Violated("cannot make the scratch directory");
        s_scratch = pattern;
        atexit(RemoveScratch);
    }
    EmptyScratch();
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd) || chdir(s_scratch.c_str()) != 0)
        Violated("cannot enter the scratch directory");
    old_ = cwd;
}

ScratchDir::~ScratchDir()
{
    if (chdir(old_.c_str()) != 0)
        Violated("cannot leave the scratch directory");
}

void ResetProgram()
{
    fw::Reset();
    g_menuHead = NULL;
    g_hwndBar = NULL;
    g_fatalErrorBegun = false;
    SetFatalTeardown(NULL);
    g_dataFileVersion = DATAFILE_VERSION;
    g_userVars = UserVars{};
}

std::string ReadWholeFile(const char* name, bool* exists)
{
    std::string bytes;
    FILE* file = fopen(name, "rb");
    if (exists)
        *exists = file != NULL;
    if (!file)
        return bytes;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.append(chunk, got);
    fclose(file);
    return bytes;
}

void WriteWholeFile(const char* name, const uint8_t* data, size_t size)
{
    FILE* file = fopen(name, "wb");
    if (!file || (size > 0 && fwrite(data, 1, size, file) != size) || fclose(file) != 0)
        Violated("cannot write the input file");
}

void Violated(const char* what)
{
    fprintf(stderr, "property violated: %s\n", what);
    abort();
}
