// The settings record, kept whole as one binary value in the registry.
#include "store/codec.h"

#include <string.h>

#include "base/report.h"

UserVars g_userVars;
DWORD g_hotkey = 0;

static const char KEY_NAME[] = "Software\\Tolvex";
static const char VALUE_NAME[] = "User_Vars";
static const char HOTKEY_VALUE_NAME[] = "Hotkey";

static LONG OpenSettingsKey(HKEY* key, DWORD* disposition)
{
    return RegCreateKeyExA(HKEY_CURRENT_USER, KEY_NAME, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL, key,
                           disposition);
}

static LONG WriteUserVars(HKEY key)
{
    return RegSetValueExA(key, VALUE_NAME, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&g_userVars),
                          sizeof g_userVars);
}

// Anything but a DWORD is no hotkey; the extended-key flag has no meaning here.
static void ReadHotkey(HKEY key)
{
    DWORD type = REG_NONE;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExA(key, HOTKEY_VALUE_NAME, NULL, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        value = 0;
    g_hotkey = value & 0x7FF;
}

// No hotkey is no value, as it was before there were hotkeys.
static void WriteHotkey(HKEY key)
{
    DWORD value = g_hotkey;
    if (value)
        RegSetValueExA(key, HOTKEY_VALUE_NAME, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    else
        RegDeleteValueA(key, HOTKEY_VALUE_NAME);
}

void InstallDefaultUserVars(HKEY key)
{
    MessageBoxA(NULL,
                "Thanks for trying Tolvex!  If you find\nany bugs, please report them to\r\n"
                "tolvex-bugs@example.org!",
                "Tolvex", MB_ICONINFORMATION);
    g_userVars.chime = 0;
    g_userVars.stayOnTop = 1;
    g_userVars.reserved = -1;
    // Whole, so that nothing of a damaged value is written back with the defaults.
    memset(g_userVars.wavPath, 0, sizeof g_userVars.wavPath);
    WriteUserVars(key);
}

void LoadUserVars()
{
    HKEY key;
    DWORD disposition = 0;
    g_hotkey = 0;
    if (OpenSettingsKey(&key, &disposition) != ERROR_SUCCESS) {
        g_userVars.stayOnTop = 1;
        g_userVars.chime = 0;
        g_userVars.wavPath[0] = '\0';
        return;
    }
    if (disposition != REG_OPENED_EXISTING_KEY) {
        InstallDefaultUserVars(key);
    } else {
        DWORD type = REG_NONE;
        BYTE value[USERVARS_SIZE];
        DWORD size = sizeof value;
        LONG status = RegQueryValueExA(key, VALUE_NAME, NULL, &type, value, &size);
        if (status == ERROR_FILE_NOT_FOUND) {
            // The key without its value: a first run that ended before the
            // defaults were written.
            InstallDefaultUserVars(key);
        } else if (status != ERROR_SUCCESS || !DecodeUserVars(type, value, size, &g_userVars)) {
            ShowWarning("Corrupt registry data.  Deleting\nand installing default data");
            RegDeleteValueA(key, VALUE_NAME);
            InstallDefaultUserVars(key);
        }
        ReadHotkey(key);
    }
    RegCloseKey(key);
}

void SaveUserVars()
{
    HKEY key;
    DWORD disposition;
    if (g_fatalErrorBegun || OpenSettingsKey(&key, &disposition) != ERROR_SUCCESS)
        return;
    WriteUserVars(key);
    WriteHotkey(key);
    RegCloseKey(key);
}
