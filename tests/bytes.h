// Data file and settings images for the tests: native, in-process and end
// to end.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline void PutLE32(Bytes& out, uint32_t value)
{
    for (int i = 0; i < 4; i++)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

inline void PutField(Bytes& out, const std::string& text, size_t size)
{
    Bytes field(size, 0);
    std::copy(text.begin(), text.begin() + static_cast<ptrdiff_t>(std::min(text.size(), size)), field.begin());
    out.insert(out.end(), field.begin(), field.end());
}

inline Bytes ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline bool WriteFileBytes(const std::string& path, const Bytes& data)
{
    std::ofstream out(path, std::ios::binary);
    return static_cast<bool>(
        out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size())));
}

inline uint32_t GetLE32(const Bytes& in, size_t at)
{
    return in[at] | in[at + 1] << 8 | in[at + 2] << 16 | static_cast<uint32_t>(in[at + 3]) << 24;
}

// apps.tx as the program lays it out: the version, then each menu's record
// (name in 32 bytes, its count, 12 bytes of link slots) followed by its
// entries' (four texts, the separator flag, 8 bytes of link slots).
struct FileEntry {
    std::string path, workDir, params, name;
    uint32_t separator;
};
struct FileMenu {
    std::string name;
    std::vector<FileEntry> apps;
};

inline void PutMenuRecord(Bytes& out, const std::string& name, uint32_t count)
{
    PutField(out, name, 32);
    PutLE32(out, count);
    PutField(out, "", 12);
}

inline void PutEntryRecord(Bytes& out, const FileEntry& app)
{
    PutField(out, app.path, 80);
    PutField(out, app.workDir, 80);
    PutField(out, app.params, 30);
    PutField(out, app.name, 30);
    PutLE32(out, app.separator);
    PutField(out, "", 8);
}

inline Bytes DataFileImage(const std::vector<FileMenu>& menus, uint32_t version = 100)
{
    Bytes out;
    PutLE32(out, version);
    for (const FileMenu& menu : menus) {
        PutMenuRecord(out, menu.name, static_cast<uint32_t>(menu.apps.size()));
        for (const FileEntry& app : menu.apps)
            PutEntryRecord(out, app);
    }
    return out;
}

// The menus a first start makes, their games in `windows` (with its backslash).
inline std::vector<FileMenu> DefaultMenus(const std::string& windows)
{
    return {{"&Apps",
             {{"c:\\vc40\\bin\\msdev.exe", "", "", "Visual &C++ v4.0", 0},
              {"c:\\winword\\winword.exe", "", "", "&Word v7.0", 0}}},
            {"&Games",
             {{windows + "winmine.exe", "", "", "&Minesweeper", 0}, {windows + "sol.exe", "", "", "&Solitaire", 0}}}};
}

// HKCU\Software\Tolvex\User_Vars: three numbers and the WAV path.
inline Bytes SettingsRecord(int32_t stayOnTop, int32_t chime, int32_t reserved, const std::string& wav)
{
    Bytes out;
    for (int32_t value : {stayOnTop, chime, reserved})
        PutLE32(out, static_cast<uint32_t>(value));
    PutField(out, wav, 80);
    return out;
}
