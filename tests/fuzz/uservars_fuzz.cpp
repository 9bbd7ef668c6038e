// Fuzz target: any value as User_Vars. The first byte is the value's
// registry type, the rest its data; an empty input means no value at all.
// Only the 92-byte binary record is taken; anything else is reported and
// replaced by the defaults, and what stays in the registry is the record.
#include <string.h>

#include <string>
#include <vector>

#include "store/store.h"
#include "tests/fakewin/fakewin.h"
#include "tests/fuzz/fuzz.h"

namespace {

const char KEY[] = "Software\\Tolvex";
const char VALUE[] = "User_Vars";
const char FIRST_RUN_TITLE[] = "Tolvex";
const char CORRUPT_TEXT[] = "Corrupt registry data.  Deleting\nand installing default data";

std::vector<uint8_t> RecordBytes()
{
    const uint8_t* p = reinterpret_cast<const uint8_t*>(&g_userVars);
    return std::vector<uint8_t>(p, p + sizeof g_userVars);
}

std::vector<uint8_t> Stored()
{
    DWORD type = 0;
    std::vector<uint8_t> data;
    Check(fw::RegGetValue(HKEY_CURRENT_USER, KEY, VALUE, &type, &data), "no value stored");
    Check(type == REG_BINARY, "a value of another type stored");
    return data;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ResetProgram();
    const bool present = size > 0;
    const DWORD type = present ? data[0] : REG_NONE;
    const std::vector<uint8_t> value(data + (present ? 1 : 0), data + size);
    if (present)
        fw::RegSetValue(HKEY_CURRENT_USER, KEY, VALUE, type, value);

    LoadUserVars();
    Check(fw::OpenRegKeyCount() == 0, "a key was left open");
    Check(strnlen(g_userVars.wavPath, WAV_PATH_SIZE) < WAV_PATH_SIZE, "an unterminated WAV path");
    const bool whole = present && type == REG_BINARY && value.size() == USERVARS_SIZE;
    const std::vector<fw::MessageBoxCall>& boxes = fw::MessageBoxes();
    if (whole) {
        Check(boxes.empty(), "a whole record was reported");
        Check(memcmp(&g_userVars, value.data(), USERVARS_SIZE - 1) == 0, "a whole record was not taken");
        Check(Stored() == value, "a whole record was rewritten at load");
    } else {
        Check(boxes.size() == (present ? 2u : 1u) && boxes.back().title == FIRST_RUN_TITLE &&
                  (!present || boxes[0].text == CORRUPT_TEXT),
              "anything but a whole record is reported and replaced");
        Check(g_userVars.stayOnTop == 1 && g_userVars.chime == 0 && g_userVars.reserved == -1 &&
                  g_userVars.wavPath[0] == '\0',
              "the defaults were not installed");
        Check(Stored() == RecordBytes(), "the defaults were not stored");
    }
    SaveUserVars();
    Check(Stored() == RecordBytes(), "a save stored other bytes");
    Check(fw::LiveHeapBlocks() == 0, "heap blocks left allocated");
    return 0;
}
