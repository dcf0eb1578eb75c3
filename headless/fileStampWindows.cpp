// File stamps and reading descriptors on Windows, where a file's identity is its volume
// and file index and its time has 100-nanosecond steps.
#include "headless/hostSession.h"
#include "headless/openForReading.h"

#include "headless/windowsApi.h"

#include <fcntl.h>
#include <io.h>

#include <cerrno>

#include "headless/textFormat.h"

namespace morvane {
namespace {

// Every sharing mode: reading a file must not keep it from being replaced.
HANDLE openShared(const std::string& path, DWORD access) {
    return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

int errnoOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return EACCES;
        default:
            return EIO;
    }
}

}  // namespace

std::optional<FileStamp> stampOf(const std::string& path) {
    HANDLE file = openShared(path, 0);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION information{};
    const bool known = GetFileInformationByHandle(file, &information) != 0;
    CloseHandle(file);
    if (!known) return std::nullopt;
    FileStamp stamp;
    stamp.name = lastComponent(path);
    stamp.device = static_cast<dev_t>(information.dwVolumeSerialNumber);
    // ino_t is narrower than the file index; the time and size tell files apart as well.
    stamp.inode = static_cast<ino_t>(information.nFileIndexLow);
    const unsigned long long ticks =
        (static_cast<unsigned long long>(information.ftLastWriteTime.dwHighDateTime) << 32) |
        information.ftLastWriteTime.dwLowDateTime;
    stamp.modifiedNs = static_cast<long long>(ticks) * 100;
    stamp.size = static_cast<long long>((static_cast<unsigned long long>(information.nFileSizeHigh) << 32) |
                                        information.nFileSizeLow);
    return stamp;
}

int openForReading(const std::string& path) {
    HANDLE file = openShared(path, GENERIC_READ);
    if (file == INVALID_HANDLE_VALUE) {
        errno = errnoOf(GetLastError());
        return -1;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_BINARY);
    if (fd < 0) CloseHandle(file);
    return fd;
}

}  // namespace morvane
