// Files of the kernel32 model: real files, relative to the current
// directory (each test runs in a temporary one), with Windows results.
#include "state.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {
namespace detail {

void CloseAllFiles()
{
    for (auto& entry : S().files)
        ::close(entry.second.fd);
    S().files.clear();
}

static std::string HostPath(LPCSTR path)
{
    std::string result = path ? path : "";
    for (char& c : result)
        if (c == '\\')
            c = '/';
    return result;
}

static DWORD ErrorFromErrno(int err)
{
    switch (err) {
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case EEXIST:
        return ERROR_FILE_EXISTS;
    case ENOSPC:
        return ERROR_DISK_FULL;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    default:
        return ERROR_INVALID_FUNCTION;
    }
}

// A missing folder on the way is ERROR_PATH_NOT_FOUND, a missing file
// ERROR_FILE_NOT_FOUND.
static DWORD MissingError(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return ERROR_FILE_NOT_FOUND;
    struct stat st;
    if (::stat(path.substr(0, slash).c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return ERROR_PATH_NOT_FOUND;
    return ERROR_FILE_NOT_FOUND;
}

static DWORD LastErrorFor(int err, const std::string& path)
{
    return err == ENOENT ? MissingError(path) : ErrorFromErrno(err);
}

static bool Exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// A file without write permission is what Windows calls read-only; the
// tests run as root, for whom the host would write it all the same.
static bool ReadOnlyFile(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0;
}

static OpenFile* FindFile(HANDLE h)
{
    auto it = S().files.find(h);
    return it == S().files.end() ? nullptr : &it->second;
}

// The open file behind h when it was opened for that access; otherwise null,
// with the last error Windows sets.
static OpenFile* FileFor(HANDLE h, bool write)
{
    OpenFile* file = FindFile(h);
    if (file == nullptr) {
        S().lastError = ERROR_INVALID_HANDLE;
        return nullptr;
    }
    if (!(write ? file->canWrite : file->canRead)) {
        S().lastError = ERROR_ACCESS_DENIED;
        return nullptr;
    }
    return file;
}

}  // namespace detail

int OpenFileCount()
{
    return static_cast<int>(detail::S().files.size());
}

void ShortWrites(DWORD maxBytes, int skip, int times)
{
    detail::S().shortWriteMax = maxBytes;
    detail::S().shortWriteSkip = skip;
    detail::S().shortWriteTimes = times;
}

}  // namespace fw

using namespace fw;
using namespace fw::detail;

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD, LPSECURITY_ATTRIBUTES,
                          DWORD dwCreationDisposition, DWORD, HANDLE)
{
    if (Call("CreateFileA", ERROR_ACCESS_DENIED))
        return INVALID_HANDLE_VALUE;
    std::string path = HostPath(lpFileName);
    bool read = (dwDesiredAccess & (GENERIC_READ | GENERIC_ALL)) != 0;
    bool write = (dwDesiredAccess & (GENERIC_WRITE | GENERIC_ALL)) != 0;
    int flags = read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
    bool existed = Exists(path);
    switch (dwCreationDisposition) {
    case CREATE_NEW:
        flags |= O_CREAT | O_EXCL;
        break;
    case CREATE_ALWAYS:
        flags |= O_CREAT | O_TRUNC;
        break;
    case OPEN_EXISTING:
        break;
    case OPEN_ALWAYS:
        flags |= O_CREAT;
        break;
    case TRUNCATE_EXISTING:
        if (!write) {
            S().lastError = ERROR_INVALID_PARAMETER;
            return INVALID_HANDLE_VALUE;
        }
        flags |= O_TRUNC;
        break;
    default:
        S().lastError = ERROR_INVALID_PARAMETER;
        return INVALID_HANDLE_VALUE;
    }
    if (path.empty()) {
        S().lastError = ERROR_PATH_NOT_FOUND;
        return INVALID_HANDLE_VALUE;
    }
    if (write && ReadOnlyFile(path)) {
        S().lastError = ERROR_ACCESS_DENIED;
        return INVALID_HANDLE_VALUE;
    }
    int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) {
        S().lastError = LastErrorFor(errno, path);
        return INVALID_HANDLE_VALUE;
    }
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        S().lastError = ERROR_ACCESS_DENIED;
        return INVALID_HANDLE_VALUE;
    }
    // Succeeding on an existing file, these say so through the last error.
    if (dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS)
        S().lastError = existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
    HANDLE h = reinterpret_cast<HANDLE>(NewHandleValue());
    OpenFile file;
    file.fd = fd;
    file.canRead = read;
    file.canWrite = write;
    S().files[h] = file;
    return h;
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                     LPOVERLAPPED)
{
    if (lpNumberOfBytesRead != nullptr)
        *lpNumberOfBytesRead = 0;
    if (Call("ReadFile", ERROR_READ_FAULT))
        return FALSE;
    OpenFile* file = FileFor(hFile, false);
    if (file == nullptr)
        return FALSE;
    // Reads until the count is met or the file ends; at the end, TRUE with 0.
    char* out = static_cast<char*>(lpBuffer);
    DWORD total = 0;
    while (total < nNumberOfBytesToRead) {
        ssize_t n = ::read(file->fd, out + total, nNumberOfBytesToRead - total);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            S().lastError = ErrorFromErrno(errno);
            return FALSE;
        }
        if (n == 0)
            break;
        total += static_cast<DWORD>(n);
    }
    if (lpNumberOfBytesRead != nullptr)
        *lpNumberOfBytesRead = total;
    return TRUE;
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
                      LPOVERLAPPED)
{
    if (lpNumberOfBytesWritten != nullptr)
        *lpNumberOfBytesWritten = 0;
    if (Call("WriteFile", ERROR_DISK_FULL))
        return FALSE;
    OpenFile* file = FileFor(hFile, true);
    if (file == nullptr)
        return FALSE;
    DWORD count = nNumberOfBytesToWrite;
    State& s = S();
    if (s.shortWriteSkip > 0) {
        --s.shortWriteSkip;
    } else if (s.shortWriteTimes != 0) {
        if (s.shortWriteTimes > 0)
            --s.shortWriteTimes;
        if (count > s.shortWriteMax)
            count = s.shortWriteMax;
    }
    const char* in = static_cast<const char*>(lpBuffer);
    DWORD total = 0;
    while (total < count) {
        ssize_t n = ::write(file->fd, in + total, count - total);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            S().lastError = ErrorFromErrno(errno);
            if (lpNumberOfBytesWritten != nullptr)
                *lpNumberOfBytesWritten = total;
            return FALSE;
        }
        total += static_cast<DWORD>(n);
    }
    if (lpNumberOfBytesWritten != nullptr)
        *lpNumberOfBytesWritten = total;
    return TRUE;
}

DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh)
{
    if (Call("GetFileSize", ERROR_INVALID_HANDLE))
        return INVALID_FILE_SIZE;
    OpenFile* file = FindFile(hFile);
    struct stat st;
    if (file == nullptr || ::fstat(file->fd, &st) != 0) {
        S().lastError = ERROR_INVALID_HANDLE;
        return INVALID_FILE_SIZE;
    }
    uint64_t size = static_cast<uint64_t>(st.st_size);
    if (lpFileSizeHigh != nullptr)
        *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
    // A size whose low half reads INVALID_FILE_SIZE is told apart by the last error.
    S().lastError = ERROR_SUCCESS;
    return static_cast<DWORD>(size & 0xFFFFFFFFu);
}

BOOL WINAPI FlushFileBuffers(HANDLE hFile)
{
    if (Call("FlushFileBuffers", ERROR_WRITE_FAULT))
        return FALSE;
    OpenFile* file = FileFor(hFile, true);
    if (file == nullptr)
        return FALSE;
    if (::fsync(file->fd) != 0) {
        S().lastError = ErrorFromErrno(errno);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE hObject)
{
    bool fail = Call("CloseHandle", ERROR_INVALID_HANDLE);
    OpenFile* file = FindFile(hObject);
    if (fail && file != nullptr) {
        // A failed close still releases the handle: it cannot be closed again.
        ::close(file->fd);
        S().files.erase(hObject);
        return FALSE;
    }
    if (fail)
        return FALSE;
    if (file == nullptr) {
        S().lastError = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    ::close(file->fd);
    S().files.erase(hObject);
    return TRUE;
}

BOOL WINAPI MoveFileExA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags)
{
    if (Call("MoveFileExA", ERROR_ACCESS_DENIED))
        return FALSE;
    std::string from = HostPath(lpExistingFileName), to = HostPath(lpNewFileName);
    if (!Exists(from)) {
        S().lastError = MissingError(from);
        return FALSE;
    }
    if (!(dwFlags & MOVEFILE_REPLACE_EXISTING) && Exists(to)) {
        S().lastError = ERROR_ALREADY_EXISTS;
        return FALSE;
    }
    // Windows does not replace a read-only file (Wine 8 does).
    if (ReadOnlyFile(to)) {
        S().lastError = ERROR_ACCESS_DENIED;
        return FALSE;
    }
    if (::rename(from.c_str(), to.c_str()) != 0) {
        S().lastError = LastErrorFor(errno, to);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI DeleteFileA(LPCSTR lpFileName)
{
    if (Call("DeleteFileA", ERROR_ACCESS_DENIED))
        return FALSE;
    std::string path = HostPath(lpFileName);
    if (::unlink(path.c_str()) != 0) {
        S().lastError = LastErrorFor(errno, path);
        return FALSE;
    }
    return TRUE;
}

// A relative name is taken from the host's current directory; the result
// keeps the host's separators, which every call here accepts.
DWORD WINAPI GetFullPathNameA(LPCSTR lpFileName, DWORD nBufferLength, LPSTR lpBuffer, LPSTR* lpFilePart)
{
    if (Call("GetFullPathNameA", ERROR_INVALID_PARAMETER))
        return 0;
    std::string path = HostPath(lpFileName);
    if (path.empty() || path[0] != '/') {
        char cwd[4096];
        if (::getcwd(cwd, sizeof cwd) == nullptr) {
            S().lastError = ERROR_PATH_NOT_FOUND;
            return 0;
        }
        path = std::string(cwd) + "/" + path;
    }
    // Too small: the size needed, terminator included.
    if (lpBuffer == nullptr || path.size() >= nBufferLength)
        return static_cast<DWORD>(path.size() + 1);
    memcpy(lpBuffer, path.c_str(), path.size() + 1);
    if (lpFilePart != nullptr)
        *lpFilePart = lpBuffer + path.rfind('/') + 1;
    return static_cast<DWORD>(path.size());
}

DWORD WINAPI GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer)
{
    if (Call("GetCurrentDirectoryA", ERROR_NOT_ENOUGH_MEMORY))
        return 0;
    std::string cwd(4096, '\0');
    while (::getcwd(&cwd[0], cwd.size()) == nullptr) {
        if (errno != ERANGE) {
            S().lastError = ErrorFromErrno(errno);
            return 0;
        }
        cwd.resize(cwd.size() * 2);
    }
    cwd.resize(strlen(cwd.c_str()));
    if (lpBuffer == nullptr || cwd.size() >= nBufferLength)
        return static_cast<DWORD>(cwd.size() + 1);
    memcpy(lpBuffer, cwd.c_str(), cwd.size() + 1);
    return static_cast<DWORD>(cwd.size());
}

// "C:\" and other drive paths name nothing on the host: they fail as a
// missing folder would.
BOOL WINAPI SetCurrentDirectoryA(LPCSTR lpPathName)
{
    if (Call("SetCurrentDirectoryA", ERROR_PATH_NOT_FOUND))
        return FALSE;
    std::string path = HostPath(lpPathName);
    if (::chdir(path.c_str()) != 0) {
        S().lastError = LastErrorFor(errno, path);
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName)
{
    if (Call("GetFileAttributesA", ERROR_ACCESS_DENIED))
        return INVALID_FILE_ATTRIBUTES;
    std::string path = HostPath(lpFileName);
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        S().lastError = LastErrorFor(errno, path);
        return INVALID_FILE_ATTRIBUTES;
    }
    if (S_ISDIR(st.st_mode))
        return FILE_ATTRIBUTE_DIRECTORY;
    return ReadOnlyFile(path) ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL;
}
