// Reading descriptors on Windows: a file opened with every sharing mode, so that reading it
// does not keep it from being replaced.
#include "formats/openForReading.h"

#include "platform/windowsApi.h"

#include <fcntl.h>
#include <io.h>

#include <cerrno>

namespace morvane {
namespace {

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

void* openSharedHandle(const std::string& path, unsigned long access) {
    HANDLE file = CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

int openForReading(const std::string& path) {
    HANDLE file = static_cast<HANDLE>(openSharedHandle(path, GENERIC_READ));
    if (file == nullptr) {
        errno = errnoOf(GetLastError());
        return -1;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_BINARY);
    if (fd < 0) CloseHandle(file);
    return fd;
}

}  // namespace morvane
