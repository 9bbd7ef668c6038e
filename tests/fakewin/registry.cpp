// The registry of the advapi32 model: keys under HKEY_CURRENT_USER and
// HKEY_LOCAL_MACHINE, named without regard to case, holding typed values.
#include "state.h"

#include <algorithm>

namespace fw {
namespace detail {

using KeyId = std::pair<HKEY, std::string>;

static bool IsRoot(HKEY key)
{
    return key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE || key == HKEY_CLASSES_ROOT || key == HKEY_USERS;
}

// Trims separators at both ends and doubled ones in between.
static std::string Normalize(const std::string& path)
{
    std::string result;
    for (char c : path) {
        if (c == '\\' && (result.empty() || result.back() == '\\'))
            continue;
        result += c;
    }
    while (!result.empty() && result.back() == '\\')
        result.pop_back();
    return result;
}

static std::string Join(const std::string& base, const std::string& sub)
{
    std::string tail = Normalize(sub);
    if (base.empty())
        return tail;
    if (tail.empty())
        return base;
    return base + "\\" + tail;
}

// The root and path a key handle stands for; false for a bad handle.
static bool Resolve(HKEY key, HKEY* root, std::string* path)
{
    if (IsRoot(key)) {
        *root = key;
        path->clear();
        return true;
    }
    auto it = S().openKeys.find(key);
    if (it == S().openKeys.end())
        return false;
    *root = it->second.root;
    *path = it->second.path;
    return true;
}

static bool KeyExists(HKEY root, const std::string& path)
{
    return path.empty() || S().keys.count(KeyId(root, Lower(path))) != 0;
}

static bool Denied(HKEY root, const std::string& path)
{
    std::string lower = Lower(path);
    for (const KeyId& denied : S().deniedKeys) {
        if (denied.first != root)
            continue;
        // The key itself and everything below it.
        if (lower == denied.second ||
            (lower.size() > denied.second.size() && lower.compare(0, denied.second.size(), denied.second) == 0 &&
             lower[denied.second.size()] == '\\'))
            return true;
    }
    return false;
}

static void CreateKeyPath(HKEY root, const std::string& path)
{
    size_t pos = 0;
    while (true) {
        size_t slash = path.find('\\', pos);
        std::string prefix = path.substr(0, slash);
        KeyId id(root, Lower(prefix));
        if (!S().keys.count(id)) {
            RegKey key;
            key.path = prefix;
            S().keys[id] = key;
        }
        if (slash == std::string::npos)
            break;
        pos = slash + 1;
    }
}

static RegKey* KeyAt(HKEY root, const std::string& path)
{
    if (path.empty()) {
        // Root keys hold values too; make them on demand.
        RegKey& key = S().keys[KeyId(root, "")];
        return &key;
    }
    auto it = S().keys.find(KeyId(root, Lower(path)));
    return it == S().keys.end() ? nullptr : &it->second;
}

// The key an open handle stands for, or null with the status to return.
static RegKey* KeyOf(HKEY hKey, LSTATUS* status)
{
    HKEY root;
    std::string path;
    if (!Resolve(hKey, &root, &path)) {
        *status = ERROR_INVALID_HANDLE;
        return nullptr;
    }
    RegKey* key = KeyAt(root, path);
    *status = key ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    return key;
}

static HKEY OpenHandle(HKEY root, const std::string& path)
{
    HKEY handle = reinterpret_cast<HKEY>(NewHandleValue());
    S().openKeys[handle] = OpenKey{root, path};
    return handle;
}

}  // namespace detail

using namespace detail;

bool RegKeyExists(HKEY root, const std::string& subkey)
{
    return KeyExists(root, Normalize(subkey));
}

void RegCreateKey(HKEY root, const std::string& subkey)
{
    std::string path = Normalize(subkey);
    if (!path.empty())
        CreateKeyPath(root, path);
}

void RegSetValue(HKEY root, const std::string& subkey, const std::string& name, DWORD type,
                 const std::vector<uint8_t>& data)
{
    RegCreateKey(root, subkey);
    RegKey* key = KeyAt(root, Normalize(subkey));
    RegValue value;
    value.name = name;
    value.type = type;
    value.data = data;
    key->values[Lower(name)] = value;
}

bool RegGetValue(HKEY root, const std::string& subkey, const std::string& name, DWORD* type, std::vector<uint8_t>* data)
{
    std::string path = Normalize(subkey);
    if (!KeyExists(root, path))
        return false;
    RegKey* key = KeyAt(root, path);
    auto it = key->values.find(Lower(name));
    if (it == key->values.end())
        return false;
    if (type != nullptr)
        *type = it->second.type;
    if (data != nullptr)
        *data = it->second.data;
    return true;
}

int OpenRegKeyCount()
{
    return static_cast<int>(S().openKeys.size());
}

void RegDenyAccess(HKEY root, const std::string& subkey)
{
    S().deniedKeys.insert(KeyId(root, Lower(Normalize(subkey))));
}

}  // namespace fw

using namespace fw;
using namespace fw::detail;

// Registry calls return their error rather than setting the last error.

LSTATUS WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR, DWORD, REGSAM, const LPSECURITY_ATTRIBUTES,
                               PHKEY phkResult, LPDWORD lpdwDisposition)
{
    if (Call("RegCreateKeyExA", ERROR_ACCESS_DENIED, false))
        return static_cast<LSTATUS>(S().failError);
    if (lpSubKey == nullptr || phkResult == nullptr)
        return ERROR_INVALID_PARAMETER;
    HKEY root;
    std::string base;
    if (!Resolve(hKey, &root, &base))
        return ERROR_INVALID_HANDLE;
    std::string path = Join(base, lpSubKey);
    if (Denied(root, path))
        return ERROR_ACCESS_DENIED;
    bool existed = KeyExists(root, path);
    if (!existed)
        CreateKeyPath(root, path);
    if (lpdwDisposition != nullptr)
        *lpdwDisposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    *phkResult = OpenHandle(root, Lower(path));
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM, PHKEY phkResult)
{
    if (phkResult != nullptr)
        *phkResult = nullptr;
    if (Call("RegOpenKeyExA", ERROR_ACCESS_DENIED, false))
        return static_cast<LSTATUS>(S().failError);
    if (phkResult == nullptr)
        return ERROR_INVALID_PARAMETER;
    HKEY root;
    std::string base;
    if (!Resolve(hKey, &root, &base))
        return ERROR_INVALID_HANDLE;
    std::string path = Join(base, lpSubKey ? lpSubKey : "");
    if (!KeyExists(root, path))
        return ERROR_FILE_NOT_FOUND;
    if (Denied(root, path))
        return ERROR_ACCESS_DENIED;
    *phkResult = OpenHandle(root, Lower(path));
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData)
{
    if (Call("RegQueryValueExA", ERROR_ACCESS_DENIED, false))
        return static_cast<LSTATUS>(S().failError);
    if (lpData != nullptr && lpcbData == nullptr)
        return ERROR_INVALID_PARAMETER;
    LSTATUS status;
    RegKey* key = KeyOf(hKey, &status);
    if (key == nullptr)
        return status;
    auto it = key->values.find(Lower(lpValueName ? lpValueName : ""));
    if (it == key->values.end())
        return ERROR_FILE_NOT_FOUND;
    const RegValue& value = it->second;
    DWORD size = static_cast<DWORD>(value.data.size());
    if (lpType != nullptr)
        *lpType = value.type;
    if (lpData == nullptr) {
        if (lpcbData != nullptr)
            *lpcbData = size;
        return ERROR_SUCCESS;
    }
    if (size > *lpcbData) {
        *lpcbData = size;
        return ERROR_MORE_DATA;
    }
    if (size > 0)
        memcpy(lpData, value.data.data(), size);
    *lpcbData = size;
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData)
{
    if (Call("RegSetValueExA", ERROR_ACCESS_DENIED, false))
        return static_cast<LSTATUS>(S().failError);
    if (lpData == nullptr && cbData != 0)
        return ERROR_INVALID_PARAMETER;
    LSTATUS status;
    RegKey* key = KeyOf(hKey, &status);
    if (key == nullptr)
        return status;
    RegValue value;
    value.name = lpValueName ? lpValueName : "";
    value.type = dwType;
    if (cbData > 0)
        value.data.assign(lpData, lpData + cbData);
    key->values[Lower(value.name)] = value;
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName)
{
    if (Call("RegDeleteValueA", ERROR_ACCESS_DENIED, false))
        return static_cast<LSTATUS>(S().failError);
    LSTATUS status;
    RegKey* key = KeyOf(hKey, &status);
    if (key == nullptr)
        return status;
    if (key->values.erase(Lower(lpValueName ? lpValueName : "")) == 0)
        return ERROR_FILE_NOT_FOUND;
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegCloseKey(HKEY hKey)
{
    if (Call("RegCloseKey", ERROR_INVALID_HANDLE, false)) {
        // A failed close still releases the handle.
        S().openKeys.erase(hKey);
        return static_cast<LSTATUS>(S().failError);
    }
    if (IsRoot(hKey))
        return ERROR_SUCCESS;
    if (S().openKeys.erase(hKey) == 0)
        return ERROR_INVALID_HANDLE;
    return ERROR_SUCCESS;
}
