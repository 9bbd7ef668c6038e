// Fuzz target: any registry value as the settings record, its first byte
// the value's type and the rest its data. Only the 92-byte binary record is
// taken, its WAV path terminated; anything else leaves the record untouched.
#include <string.h>

#include "tests/fuzz/fuzz.h"
#include "tests/fuzz/native.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const DWORD type = size > 0 ? data[0] : static_cast<DWORD>(REG_NONE);
    const Bytes value(data + (size > 0 ? 1 : 0), data + size);
    UserVars vars;
    memset(&vars, 0x5A, sizeof vars);
    const UserVars before = vars;

    int taken = DecodeUserVars(type, value.data(), static_cast<DWORD>(value.size()), &vars);
    Check(taken == (type == REG_BINARY && value.size() == USERVARS_SIZE), "what is taken");
    if (taken) {
        Check(memcmp(&vars, value.data(), USERVARS_SIZE - 1) == 0, "a whole record was not taken as it is");
        Check(vars.wavPath[WAV_PATH_SIZE - 1] == '\0', "an unterminated WAV path");
    } else {
        Check(memcmp(&vars, &before, sizeof vars) == 0, "a refused value changed the record");
    }
    return 0;
}
